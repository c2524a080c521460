#include "CrashDump.h"

#include <dbghelp.h>

#include <atomic>
#include <cwchar>

namespace {

constexpr size_t kPathCapacity = 1024;

// Thread that owns the one dump (0: none yet), and whether it has finished writing.
std::atomic<DWORD> g_dumpWriter{0};
std::atomic<bool> g_dumpComplete{false};

// Fixed buffers: a crashing process may have a broken heap.
bool ExecutableFolder(wchar_t (&folder)[kPathCapacity])
{
    const DWORD length = GetModuleFileNameW(nullptr, folder, kPathCapacity);
    if (length == 0 || length >= kPathCapacity)
        return false;
    wchar_t* lastSeparator = wcsrchr(folder, L'\\');
    if (!lastSeparator)
        return false;
    lastSeparator[1] = L'\0';
    return true;
}

bool ClaimDump()
{
    const DWORD self = GetCurrentThreadId();
    DWORD owner = 0;
    if (g_dumpWriter.compare_exchange_strong(owner, self))
        return true;
    if (owner != self) {  // the owner itself may fault while writing: it must not wait for itself
        while (!g_dumpComplete.load())
            Sleep(10);
    }
    return false;
}

} // namespace

bool FormatDumpFileName(wchar_t* out, size_t capacity, const wchar_t* folder, const wchar_t* dumpName,
                        DWORD processId, const SYSTEMTIME& localTime)
{
    const int written = swprintf(out, capacity, L"%ls%ls_%ld_%04d%02d%02d.%02d.%02d.%02d.%04d.dmp", folder, dumpName,
                                 static_cast<long>(processId), localTime.wYear, localTime.wMonth, localTime.wDay,
                                 localTime.wHour, localTime.wMinute, localTime.wSecond, localTime.wMilliseconds);
    return written > 0 && static_cast<size_t>(written) < capacity;
}

void WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* pointers)
{
    MINIDUMP_EXCEPTION_INFORMATION exception{GetCurrentThreadId(), pointers, FALSE};
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                      pointers ? &exception : nullptr, nullptr, nullptr);
}

LONG CreateDumpFile(EXCEPTION_POINTERS* pointers, const wchar_t* dumpName)
{
    if (!ClaimDump())
        return 0;

    SYSTEMTIME now{};
    GetLocalTime(&now);
    static wchar_t folder[kPathCapacity];
    static wchar_t fileName[kPathCapacity];
    if (ExecutableFolder(folder) &&
        FormatDumpFileName(fileName, kPathCapacity, folder, dumpName, GetCurrentProcessId(), now)) {
        const HANDLE file = CreateFileW(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            WriteMiniDump(file, pointers);
            CloseHandle(file);
        }
    }
    g_dumpComplete = true;
    return 1;
}

LONG CreateDumpFileHere(const wchar_t* dumpName, DWORD exceptionCode)
{
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = exceptionCode;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#if defined(_M_IX86) || defined(__i386__)
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
#else
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#endif
    EXCEPTION_POINTERS pointers{&record, &context};
    return CreateDumpFile(&pointers, dumpName);
}
