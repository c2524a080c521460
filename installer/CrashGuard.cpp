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
    OutputDebugStringW(L"Create a dump file sine an exception occurred in sub-thread.\n");
    CreateDumpFile(pointers, g_dumpName);
    EndProcess();
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
}

const wchar_t* CrashDumpName() { return g_dumpName; }
