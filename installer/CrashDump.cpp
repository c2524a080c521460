#include "CrashDump.h"

#include <dbghelp.h>

#include <atomic>
#include <cwchar>

namespace {

constexpr size_t kPathCapacity = 1024;
constexpr DWORD kDumpWrittenCallbackTimeoutMs = 5000;
constexpr SIZE_T kDumpWriterStackSize = 1 << 20;

// Thread that owns the one dump (0: none yet), and whether it has finished writing and telling where.
std::atomic<DWORD> g_dumpWriter{0};
std::atomic<bool> g_dumpComplete{false};
std::atomic<DumpWrittenCallback> g_dumpWritten{nullptr};

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

bool TemporaryFolder(wchar_t (&folder)[kPathCapacity])
{
    const DWORD length = GetTempPathW(kPathCapacity, folder);
    if (length == 0 || length + 1 >= kPathCapacity)
        return false;
    if (folder[length - 1] != L'\\') {
        folder[length] = L'\\';
        folder[length + 1] = L'\0';
    }
    return true;
}

bool WriteMiniDumpOf(DWORD threadId, HANDLE file, EXCEPTION_POINTERS* pointers)
{
    MINIDUMP_EXCEPTION_INFORMATION exception{threadId, pointers, FALSE};
    return MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                             pointers ? &exception : nullptr, nullptr, nullptr) != FALSE;
}

// A dump that could not be written whole is removed: it would help nobody.
bool WriteDumpInto(DWORD threadId, const wchar_t* folder, const wchar_t* dumpName, const SYSTEMTIME& now,
                   EXCEPTION_POINTERS* pointers, wchar_t (&fileName)[kPathCapacity])
{
    if (!FormatDumpFileName(fileName, kPathCapacity, folder, dumpName, GetCurrentProcessId(), now))
        return false;
    const HANDLE file = CreateFileW(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = WriteMiniDumpOf(threadId, file, pointers);
    const bool closed = CloseHandle(file) != FALSE;
    if (written && closed)
        return true;
    DeleteFileW(fileName);
    return false;
}

DWORD WINAPI RunDumpWrittenCallback(void* path)
{
    g_dumpWritten.load()(static_cast<const wchar_t*>(path));
    return 0;
}

// On a thread of its own, waited for a few seconds at most: the crashing thread may hold a lock the
// callback needs, and the crash must end the process all the same.
void TellDumpWritten(const wchar_t* path)
{
    if (!g_dumpWritten.load())
        return;
    const HANDLE thread = CreateThread(nullptr, 0, RunDumpWrittenCallback, const_cast<wchar_t*>(path), 0, nullptr);
    if (!thread)
        return;
    WaitForSingleObject(thread, kDumpWrittenCallbackTimeoutMs);
    CloseHandle(thread);
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

bool WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* pointers)
{
    return WriteMiniDumpOf(GetCurrentThreadId(), file, pointers);
}

void SetDumpWrittenCallback(DumpWrittenCallback callback) { g_dumpWritten = callback; }

LONG CreateDumpFile(EXCEPTION_POINTERS* pointers, const wchar_t* dumpName)
{
    return CreateDumpFileOf(GetCurrentThreadId(), pointers, dumpName);
}

namespace {

struct DumpRequest {
    DWORD threadId;
    EXCEPTION_POINTERS* pointers;
    const wchar_t* dumpName;
};

DWORD WINAPI WriteRequestedDump(void* request)
{
    const auto* dump = static_cast<const DumpRequest*>(request);
    CreateDumpFileOf(dump->threadId, dump->pointers, dump->dumpName);
    return 0;
}

} // namespace

LONG CreateDumpFileOnAnotherThread(EXCEPTION_POINTERS* pointers, const wchar_t* dumpName, DWORD timeoutMs)
{
    // Static: the caller's stack may have no room even for this.
    static DumpRequest request;
    request = {GetCurrentThreadId(), pointers, dumpName};
    const HANDLE writer = CreateThread(nullptr, kDumpWriterStackSize, WriteRequestedDump, &request, 0, nullptr);
    if (!writer)
        return CreateDumpFile(pointers, dumpName);
    WaitForSingleObject(writer, timeoutMs);
    CloseHandle(writer);
    return 1;
}

LONG CreateDumpFileOf(DWORD threadId, EXCEPTION_POINTERS* pointers, const wchar_t* dumpName)
{
    if (!ClaimDump())
        return 0;

    SYSTEMTIME now{};
    GetLocalTime(&now);
    static wchar_t folder[kPathCapacity];
    static wchar_t fileName[kPathCapacity];
    const bool written =
        (ExecutableFolder(folder) && WriteDumpInto(threadId, folder, dumpName, now, pointers, fileName)) ||
        (TemporaryFolder(folder) && WriteDumpInto(threadId, folder, dumpName, now, pointers, fileName));
    // Complete only once told: a thread that crashed meanwhile ends the process as soon as it is.
    TellDumpWritten(written ? fileName : nullptr);
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
