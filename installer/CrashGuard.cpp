#include "CrashGuard.h"

#include "CrashDump.h"

#include <windows.h>

#include <cwchar>
#include <exception>

namespace {

wchar_t g_dumpName[128] = L"crash";

LONG WINAPI SubThreadExceptionFilter(EXCEPTION_POINTERS* pointers)
{
    OutputDebugStringW(L"Create a dump file sine an exception occurred in sub-thread.\n");
    CreateDumpFile(pointers, g_dumpName);
    return EXCEPTION_EXECUTE_HANDLER;  // also for a later crash: the first one's dump is complete
}

[[noreturn]] void TerminateWithDump()
{
    OutputDebugStringW(L"Create a dump file since the program was terminated.\n");
    CreateDumpFileHere(g_dumpName, kCppExceptionDumpCode);
    // Like abort's exit code, without abort's message box.
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;)
        Sleep(INFINITE);
}

} // namespace

void InstallCrashDumpHandlers(const wchar_t* dumpName)
{
    wcsncpy(g_dumpName, dumpName, sizeof(g_dumpName) / sizeof(g_dumpName[0]) - 1);
    SetUnhandledExceptionFilter(SubThreadExceptionFilter);
    std::set_terminate(TerminateWithDump);
}
