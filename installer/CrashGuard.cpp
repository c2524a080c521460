#include "CrashGuard.h"

#include "CrashDump.h"

#include <windows.h>

#include <csignal>
#include <cwchar>
#include <exception>

namespace {

wchar_t g_dumpName[128] = L"crash";
UINT g_crashExitCode = 1;

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

void AbortWithDump(int)
{
    OutputDebugStringW(L"Create a dump file since the program was aborted.\n");
    CreateDumpFileHere(g_dumpName, kCppExceptionDumpCode);
    EndProcess();
}

} // namespace

void InstallCrashDumpHandlers(const wchar_t* dumpName, unsigned crashExitCode)
{
    wcsncpy(g_dumpName, dumpName, sizeof(g_dumpName) / sizeof(g_dumpName[0]) - 1);
    g_crashExitCode = crashExitCode;
    SetUnhandledExceptionFilter(CrashFilter);
    std::set_terminate(TerminateWithDump);
    std::signal(SIGABRT, AbortWithDump);
}

const wchar_t* CrashDumpName() { return g_dumpName; }
