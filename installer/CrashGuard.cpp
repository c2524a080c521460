#include "CrashGuard.h"

#include "CrashDump.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cwchar>
#include <exception>

namespace {

wchar_t g_dumpName[128] = L"crash";
UINT g_crashExitCode = 1;
std::atomic<bool> g_guarding{false};
constexpr ULONG kCrashFilterStackReserve = 64 * 1024;
constexpr DWORD kDumpWriterTimeoutMs = 30000;

// Every crash ends the same way, whichever thread or path it came by: with the one dump written
// (or being written by the first crashing thread) and the crash exit code, never the exception's
// own code or the runtime's.
[[noreturn]] void EndProcess()
{
    TerminateProcess(GetCurrentProcess(), g_crashExitCode);
    for (;;)
        Sleep(INFINITE);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers)
{
    // An overflowed stack has only its reserve left, too little to write a dump on.
    if (pointers && pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        CreateDumpFileOnAnotherThread(pointers, g_dumpName, kDumpWriterTimeoutMs);
        EndProcess();
    }
    OutputDebugStringW(L"Create a dump file sine an exception occurred in sub-thread.\n");
    CreateDumpFile(pointers, g_dumpName);
    EndProcess();
}

// Room every thread keeps below its stack for the crash filter once the stack has overflowed.
void ReserveStackForCrashFilter()
{
    ULONG reserve = kCrashFilterStackReserve;
    SetThreadStackGuarantee(&reserve);  // a thread with too small a stack keeps the system's reserve
}

// Runs in every thread as it starts (the program's TLS callback), the guard installed or not.
void NTAPI ReserveStackInNewThread(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_ATTACH && g_guarding)
        ReserveStackForCrashFilter();
}

// A main thread that ended without ending the process (the system gave up on its crash) would leave
// the process running with nobody to end it.
DWORD WINAPI WatchMainThread(void* mainThread)
{
    WaitForSingleObject(static_cast<HANDLE>(mainThread), INFINITE);
    OutputDebugStringW(L"Create a dump file since the main thread ended without the process.\n");
    CreateDumpFileHere(g_dumpName, kMainThreadLostDumpCode);
    EndProcess();
}

void StartMainThreadWatch()
{
    HANDLE mainThread = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread, SYNCHRONIZE,
                         FALSE, 0))
        return;
    const HANDLE watch = CreateThread(nullptr, 0, WatchMainThread, mainThread, 0, nullptr);
    if (watch)
        CloseHandle(watch);
    else
        CloseHandle(mainThread);
}

[[noreturn]] void TerminateWithDump()
{
    OutputDebugStringW(L"Create a dump file since the program was terminated.\n");
    CreateDumpFileHere(g_dumpName, kCppExceptionDumpCode);
    EndProcess();
}

[[noreturn]] void AbortWithDump(int)
{
    // The runtime resets the handler before it calls it: armed again at once for the next thread.
    std::signal(SIGABRT, AbortWithDump);
    OutputDebugStringW(L"Create a dump file since the program was aborted.\n");
    CreateDumpFileHere(g_dumpName, kCppExceptionDumpCode);
    EndProcess();
}

} // namespace

// The program's TLS callbacks run for every new thread before its own code.
extern "C" __attribute__((section(".CRT$XLY"), used)) const PIMAGE_TLS_CALLBACK g_reserveStackInNewThread =
    ReserveStackInNewThread;

// Takes the place of the C runtime's abort for the program and every library linked into it. The
// runtime's own raises SIGABRT, and its signal handler is reset to the default on each raise: a second
// thread aborting at the same moment would end the process with the runtime's code 3, cutting the
// first thread's dump short. The SIGABRT handler stays for aborts from inside the runtime itself.
// A program that does not guard itself aborts as the runtime would.
extern "C" void abort()
{
    if (g_guarding)
        AbortWithDump(SIGABRT);
    std::raise(SIGABRT);
    _exit(3);
}

void InstallCrashDumpHandlers(const wchar_t* dumpName, unsigned crashExitCode)
{
    wcsncpy(g_dumpName, dumpName, sizeof(g_dumpName) / sizeof(g_dumpName[0]) - 1);
    g_crashExitCode = crashExitCode;
    SetUnhandledExceptionFilter(CrashFilter);
    std::set_terminate(TerminateWithDump);
    std::signal(SIGABRT, AbortWithDump);
    g_guarding = true;
    ReserveStackForCrashFilter();
    StartMainThreadWatch();
}

const wchar_t* CrashDumpName() { return g_dumpName; }
