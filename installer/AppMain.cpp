#include "AppMain.h"

#include "CommandLineParser.h"
#include "CrashDump.h"
#include "Downloader.h"
#include "ExitCode.h"
#include "FaultInjection.h"
#include "Logger.h"
#include "SilentInstall.h"
#include "SingleInstance.h"
#include "StringConvert.h"
#include "WindowMode.h"

#include <string>

namespace {

constexpr const char* kSingleInstanceEvent = "A4C7484D93AE4827A1E67054EA7109FA";
constexpr const wchar_t* kMainWindowClass = L"DlgMainC3789B9BC0";
constexpr const wchar_t* kMainWindowTitle = L"Tolvan游戏-在线安装";

// Brings the running installer's main window to the front, when it has one yet.
void ActivateRunningInstance()
{
    if (HWND window = FindWindowW(kMainWindowClass, kMainWindowTitle)) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    }
}

// A crash's dump may have gone to the temporary folder: the log says where to find it.
void LogDumpPath(const wchar_t* path)
{
    if (path)
        LogError("Crash dump written: {}", WideToUtf8(path));
    else
        LogError("Crash dump could not be written: {}", "neither beside the program nor in the temporary folder");
}

} // namespace

int AppMain(HINSTANCE instance)
{
    CommandLineParser parser;
    const std::wstring commandLine = GetCommandLineW();
    if (!commandLine.empty())
        parser.Parse(commandLine);

    if (!parser.Has(L"runasadmin")) {
        if (!IsFirstInstance(kSingleInstanceEvent)) {
            ActivateRunningInstance();
            return static_cast<int>(ExitCode::Success);
        }
    } else {
        // The elevated relaunch runs while the first copy may still hold the event; it still
        // creates (or opens) it so that copies started after it see a running instance.
        IsFirstInstance(kSingleInstanceEvent);
    }

    slicedl::GlobalInit();
    InitLogger();
    SetDumpWrittenCallback(LogDumpPath);
    InjectFault(FaultPlace::Startup);

    std::wstring installFolder;
    if (auto dir = parser.Find(L"dir"); dir != parser.End())
        installFolder = dir->second;

    ExitCode code = ExitCode::Success;
    if (!installFolder.empty())
        code = RunSilentInstall(installFolder);
    else
        RunWindowMode(instance);

    slicedl::GlobalUnInit();
    ShutdownLogger();
    return static_cast<int>(code);
}
