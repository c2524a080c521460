// Program that crashes on purpose, guarded like the installer. Modes:
//   thread-fault      access violation in a second thread
//   two-threads       two threads fault at about the same time
//   <how>-in-<n>      n threads crash at the same moment, each by <how>: fault, terminate or abort
//   raise-while-dumping  SIGABRT raised (as the C runtime's own functions abort) in a thread, and again
//                     in the main thread while the first one's dump is being written
//   main-fault        access violation in the main thread
//   main-overflow     stack overflow in the main thread
//   thread-overflow   stack overflow in a second thread
//   thread-throw      C++ exception escapes a thread (std::terminate)
//   terminate         std::terminate called in the main thread
//   caught-then-fault a catch-all writes the dump, then a thread faults: still one dump
//   abort             abort() in the main thread
//   unguarded-abort   abort() before the handlers are installed: the C runtime's own end (code 3)
// Every crash ends the process with kCrashExitCode. What the program writes to the debugger is copied
// into debug-output.txt beside it, the dump's path too (where the installer logs it).
#include "CrashDump.h"
#include "CrashGuard.h"

#include <windows.h>
#include <shellapi.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kCrashExitCode = 4;

// The debugger output travels as a first-chance exception that a vectored handler sees first.
LONG WINAPI CopyDebugOutput(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.ExceptionCode != DBG_PRINTEXCEPTION_C || record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    const DWORD length = static_cast<DWORD>(strlen(text));
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wcscpy(wcsrchr(path, L'\\') + 1, L"debug-output.txt");
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, text, length, &written, nullptr);
        CloseHandle(file);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void Fault()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

void TellDumpPath(const wchar_t* path)
{
    OutputDebugStringW((L"Crash dump written: " + std::wstring(path ? path : L"nowhere") + L"\n").c_str());
}

volatile bool g_deeper = true;

// Recurses until the stack is spent; the frame's buffer keeps the compiler from folding it away.
int Recurse(int depth)
{
    volatile char frame[1024];
    frame[depth % sizeof(frame)] = static_cast<char>(depth);
    if (!g_deeper)
        return 0;
    return Recurse(depth + 1) + frame[0];
}

void OverflowStack() { Recurse(0); }

[[noreturn]] void Terminate() { std::terminate(); }
[[noreturn]] void Abort() { std::abort(); }

// All threads wait for one signal, then crash together.
void CrashInThreads(int count, void (*crash)())
{
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([go, crash] {
            WaitForSingleObject(go, INFINITE);
            crash();
        });
    }
    SetEvent(go);
    for (std::thread& thread : threads)
        thread.join();
}

// "<how>-in-<n>": false when the mode is not of that form.
bool CrashInThreads(const std::wstring& mode)
{
    const struct {
        const wchar_t* name;
        void (*crash)();
    } kinds[] = {{L"fault", Fault}, {L"terminate", Terminate}, {L"abort", Abort}};
    for (const auto& kind : kinds) {
        const std::wstring prefix = std::wstring(kind.name) + L"-in-";
        if (mode.compare(0, prefix.size(), prefix) == 0) {
            CrashInThreads(std::stoi(mode.substr(prefix.size())), kind.crash);
            return true;
        }
    }
    return false;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring mode = argv && argc > 1 ? argv[1] : L"";
    AddVectoredExceptionHandler(1, CopyDebugOutput);
    if (mode == L"unguarded-abort")
        std::abort();
    InstallCrashDumpHandlers(L"VexaOnlineInstaller", kCrashExitCode);
    SetDumpWrittenCallback(TellDumpPath);
    if (mode == L"thread-fault") {
        std::thread(Fault).join();
    } else if (mode == L"two-threads") {
        CrashInThreads(2, Fault);
    } else if (CrashInThreads(mode)) {
    } else if (mode == L"main-fault") {
        Fault();
    } else if (mode == L"main-overflow") {
        OverflowStack();
    } else if (mode == L"thread-overflow") {
        std::thread(OverflowStack).join();
    } else if (mode == L"thread-throw") {
        std::thread([] { throw std::runtime_error("escaped"); }).join();
    } else if (mode == L"terminate") {
        std::terminate();
    } else if (mode == L"caught-then-fault") {
        try {
            throw std::runtime_error("caught at the boundary");
        } catch (...) {
            CreateDumpFileHere(CrashDumpName(), kCppExceptionDumpCode);
        }
        std::thread(Fault).join();
    } else if (mode == L"abort") {
        std::abort();
    } else if (mode == L"raise-while-dumping") {
        std::thread first([] { std::raise(SIGABRT); });
        Sleep(20);
        std::raise(SIGABRT);
        first.join();
    }
    return 0;
}
