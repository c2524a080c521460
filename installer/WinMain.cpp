#include "AppMain.h"
#include "CrashDump.h"
#include "CrashGuard.h"
#include "ExitCode.h"

#include <windows.h>

namespace {
constexpr const wchar_t* kDumpName = L"VexaOnlineInstaller";
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    // Crashes in any thread and std::terminate write the one dump; a C++ exception that reaches this
    // boundary writes it too and ends the run with an error code.
    InstallCrashDumpHandlers(kDumpName);
    try {
        return AppMain(instance);
    } catch (...) {
        OutputDebugStringW(L"Create a dump file sine an exception occurred in main-thread.\n");
        CreateDumpFileHere(kDumpName, kCppExceptionDumpCode);
        return static_cast<int>(ExitCode::InternalError);
    }
}
