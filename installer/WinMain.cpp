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
    // Crashes in any thread, std::terminate and abort write the one dump and end with the internal
    // error's code; a C++ exception that reaches this boundary does the same.
    InstallCrashDumpHandlers(kDumpName, static_cast<unsigned>(ExitCode::InternalError));
    try {
        return AppMain(instance);
    } catch (...) {
        OutputDebugStringW(L"Create a dump file sine an exception occurred in main-thread.\n");
        CreateDumpFileHere(kDumpName, kCppExceptionDumpCode);
        return static_cast<int>(ExitCode::InternalError);
    }
}
