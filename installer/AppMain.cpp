#include "AppMain.h"

#include "CommandLineParser.h"
#include "CrashDump.h"
#include "Downloader.h"
#include "ExitCode.h"
#include "FaultInjection.h"
#include "Logger.h"
#include "RestWork.h"
#include "SilentInstall.h"
#include "SingleInstance.h"
#include "StringConvert.h"
#include "WindowMessages.h"
#include "WindowMode.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr const char* kSingleInstanceEvent = "A4C7484D93AE4827A1E67054EA7109FA";
constexpr const wchar_t* kMainWindowClass = L"DlgMainC3789B9BC0";
constexpr const wchar_t* kMainWindowTitle = L"Tolvan游戏-在线安装";
constexpr UINT kBringToFrontTimeoutMs = 5000;

BOOL CALLBACK AskToComeToFront(HWND window, LPARAM)
{
    wchar_t className[64] = {};
    wchar_t title[64] = {};
    ::GetClassNameW(window, className, 64);
    ::GetWindowTextW(window, title, 64);
    if (wcscmp(className, kMainWindowClass) != 0 || wcscmp(title, kMainWindowTitle) != 0)
        return TRUE;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    ::AllowSetForegroundWindow(owner);
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(window, kMsgBringToFront, 0, 0, SMTO_ABORTIFHUNG, kBringToFrontTimeoutMs, &answer);
    return TRUE;
}

// Asks the running installer to show its foremost window. Each main window decides by its own
// state: the folder choice shows itself, a download shows its progress window, a copy that is ending
// (the one that relaunched itself elevated included) shows nothing.
void ActivateRunningInstance() { ::EnumWindows(AskToComeToFront, 0); }

// A crash's dump may have gone to the temporary folder: the log says where to find it.
void LogDumpPath(const wchar_t* path)
{
    if (path)
        LogError("Crash dump written: {}", WideToUtf8(path));
    else
        LogError("Crash dump could not be written: {}", "neither beside the program nor in the temporary folder");
}

// The folder exactly as given, never a guess: a missing one, or one that may not be what was meant,
// ends the run before anything is made or downloaded.
ExitCode RunSilentInstallAsGiven(const CommandLineParser& parser, const std::wstring& commandLine)
{
    const std::wstring& folder = parser.Find(kOptionDir)->second;
    if (folder.empty()) {
        LogError("No install folder given: {}", WideToUtf8(commandLine));
        return ExitCode::InstallFolderFailed;
    }
    if (parser.ValueInDoubt(kOptionDir)) {
        LogError("Install folder cannot be read without doubt (quote it, e.g. -dir:\"D:\\My Games\\\"): {}",
                 WideToUtf8(commandLine));
        return ExitCode::InstallFolderFailed;
    }
    return RunSilentInstall(folder);
}

} // namespace

int AppMain(HINSTANCE instance)
{
    CommandLineParser parser;
    const std::wstring commandLine = GetCommandLineW();
    if (!commandLine.empty())
        parser.Parse(commandLine);

    // Given at all, the folder makes the run unattended: no window opens that nobody waits for.
    const bool silent = parser.Has(kOptionDir);

    if (!parser.Has(kOptionRunAsAdmin)) {
        if (!IsFirstInstance(kSingleInstanceEvent)) {
            // A script must not read "started" from a run that did nothing, and it wants no window.
            if (silent) {
                OutputDebugStringW(L"Another installation is already running.\n");
                return static_cast<int>(ExitCode::AlreadyRunning);
            }
            ActivateRunningInstance();
            return static_cast<int>(ExitCode::Success);
        }
    } else {
        // The elevated relaunch runs while the first copy may still hold the event.
        HoldInstanceEvent(kSingleInstanceEvent);
    }

    slicedl::GlobalInit();
    InitLogger();
    SetDumpWrittenCallback(LogDumpPath);
    InjectFault(FaultPlace::Startup);

    ExitCode code = ExitCode::Success;
    if (silent)
        code = RunSilentInstallAsGiven(parser, commandLine);
    else
        RunWindowMode(instance);

    slicedl::GlobalUnInit();
    ShutdownLogger();
    // A transfer the shutdown gave up waiting for still runs on its own threads. The runtime's exit
    // handlers must not run beside it (an exception it throws then would find the unwinder's tables
    // gone and end in std::terminate): end the process here, which stops those threads first.
    if (!RestfulClient::WaitForWorkToEnd(std::chrono::milliseconds(0)))
        ::ExitProcess(static_cast<UINT>(code));
    return static_cast<int>(code);
}
