#include "DlgMain.h"

#include "BehaviorReport.h"
#include "DirectoryTree.h"
#include "DlgProgress.h"
#include "DlgWarning.h"
#include "DriveSpace.h"
#include "Logger.h"
#include "SetupCommandLine.h"
#include "ShellLaunch.h"
#include "StringConvert.h"
#include "WindowMessages.h"

#include "Core/ControlUI.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <thread>

using SkinUI::NotifyMessage;

namespace {

constexpr const wchar_t* kSubFolder = L"TolvanGame\\";
constexpr const wchar_t* kFallbackBase = L"D:\\";
constexpr const wchar_t* kBrowseTitle = L"选择安装路径";
constexpr const wchar_t* kNonAsciiFolder = L"不支持安装在中文目录，请重新选择安装路径！";
constexpr const wchar_t* kRunAsAdmin = L"请使用管理员权限运行";
constexpr const wchar_t* kCreateFolderFailed = L"创建目录失败，请选择其他的安装目录！";
constexpr const wchar_t* kSpaceFormat = L"所需空间：~%dMB（可用空间：%.1fGB）";
constexpr int kRequiredMB = 50;
constexpr auto kCloseDelay = std::chrono::milliseconds(1500);

void Report(int action) { RestfulClient::UploadBehavior(action, web::json::value()); }

std::wstring RoamingAppDataFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path)))
        return std::wstring();
    ::PathAddBackslashW(path);
    return path;
}

std::wstring ModuleFileName()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

} // namespace

std::wstring ProposedInstallFolder(const std::wstring& base)
{
    return (base.empty() ? std::wstring(kFallbackBase) : base) + kSubFolder;
}

std::wstring SpaceInfoText(double freeGigabytes)
{
    wchar_t text[260] = {};
    std::swprintf(text, 260, kSpaceFormat, kRequiredMB, freeGigabytes);
    return text;
}

bool HasNonAsciiCharacter(const std::wstring& path)
{
    return std::any_of(path.begin(), path.end(), [](wchar_t unit) { return unit > 0x80; });
}

void DlgMain::Notify(NotifyMessage& msg)
{
    WindowImplBase::Notify(msg);
    if (msg.sType == L"windowinit") {
        OnWindowInit();
        return;
    }
    const SkinUI::CUIString name = ClickedControlName(msg);
    if (name == L"btnClose") {
        CloseFromButton();
    } else if (name == L"btnMin") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"btnBrowser") {
        BrowseForFolder();
    } else if (name == L"btnNext") {
        Install();
    }
}

void DlgMain::CloseFromButton()
{
    Report(RestfulClient::kActionMainWindowClosed);
    PostMessage(kMsgCloseInstaller, 0, 0);
}

void DlgMain::OnWindowInit()
{
    // The elevated relaunch must still hear a second copy started without elevation.
    ::ChangeWindowMessageFilterEx(m_hWnd, kMsgBringToFront, MSGFLT_ALLOW, nullptr);
    Report(RestfulClient::kActionMainWindowShown);
    m_pathEdit = m_pm.FindControl(L"edtPath");
    if (m_pathEdit)
        m_pathEdit->SetText(ProposedInstallFolder(RoamingAppDataFolder()).c_str());
    UpdateSpaceInfo();
}

void DlgMain::UpdateSpaceInfo()
{
    if (!m_pathEdit)
        return;
    const std::wstring path = m_pathEdit->GetText().GetData();
    const float freeGigabytes = path.empty() ? 0.0f : GetDriveFreeSpaceMB(GetDriveNumber(path)) * (1.0f / 1024.0f);
    if (SkinUI::CControlUI* info = m_pm.FindControl(L"lblInfo"))
        info->SetText(SpaceInfoText(freeGigabytes).c_str());
}

void DlgMain::BrowseForFolder()
{
    BROWSEINFOW browse = {};
    browse.hwndOwner = m_hWnd;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = BIF_NEWDIALOGSTYLE;
    const LifeWatch life = WatchLife();
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (!chosen)
        return;
    wchar_t path[MAX_PATH] = {};
    const bool gotPath = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    if (life.Ended() || !gotPath)
        return;
    ::PathAddBackslashW(path);
    const std::wstring folder = std::wstring(path) + kSubFolder;
    if (HasNonAsciiCharacter(folder)) {
        Warn(kNonAsciiFolder);
        return;
    }
    if (m_pathEdit)
        m_pathEdit->SetText(folder.c_str());
    UpdateSpaceInfo();
}

// A download of this process runs (or has just ended), or the installer is ending: the folder choice
// is over.
bool DlgMain::InstallationUnderWay() const { return m_closing || ::IsWindow(m_progressWindow); }

void DlgMain::Install()
{
    // One download per machine: a second one would write into the same files.
    if (InstallationUnderWay()) {
        BringToFront();
        return;
    }
    const std::wstring folder = m_pathEdit ? WithTrailingSeparator(m_pathEdit->GetText().GetData()) : std::wstring();
    // An empty folder would start no download, and nothing would ever end the process.
    if (folder.empty()) {
        Warn(kCreateFolderFailed);
        return;
    }
    // A setup that could not be started would only show after the whole download.
    if (const std::wstring setupPath = DlgProgress::SetupPathIn(folder); !SetupPathCanStart(setupPath)) {
        LogError("Install folder too long for the setup: {}", WideToUtf8(setupPath));
        Warn(kCreateFolderFailed);
        return;
    }
    if (!MakeDirectoryTree(folder)) {
        const DWORD error = ::GetLastError();
        LogError("Create install folder failed, GLE: {}", static_cast<long long>(error));
        if (error == ERROR_ACCESS_DENIED)
            RelaunchElevated();
        else
            Warn(kCreateFolderFailed);
        return;
    }
    ShowWindow(false, true);
    if (!OpenProgressWindow(folder)) {
        // Without the progress window nothing would ever close the process: offer the choice again.
        ShowWindow(true, true);
        Warn(kCreateFolderFailed);
        return;
    }
    Report(RestfulClient::kActionInstallStarted);
}

void DlgMain::RelaunchElevated()
{
    const std::wstring program = ModuleFileName();
    wchar_t folder[MAX_PATH] = {};
    std::wcsncpy(folder, program.c_str(), MAX_PATH - 1);
    ::PathRemoveFileSpecW(folder);
    const LifeWatch life = WatchLife();
    const bool launched = ShellExecuteRunAs(program, L"-runasadmin", folder);
    if (life.Ended())
        return;
    if (!launched) {
        Warn(kRunAsAdmin);
        return;
    }
    if (m_progressWindow)
        ::PostMessageW(m_progressWindow, WM_CLOSE, kCloseByInstaller, 0);
    m_closing = true;
    PostMessage(WM_CLOSE, kCloseByInstaller);
}

bool DlgMain::OpenProgressWindow(const std::wstring& folder)
{
    auto* progress = new DlgProgress(m_hWnd, folder);
    // A window that fails during creation has already deleted its object.
    m_progressWindow = progress->Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, kInstallerWindowWidth,
                                        kInstallerWindowHeight, nullptr);
    if (!m_progressWindow)
        return false;
    progress->SetIcon(kInstallerIcon);
    progress->CenterWindow();
    progress->ShowWindow(true, true);
    return true;
}

void DlgMain::Warn(const wchar_t* message) { ShowWarning(m_hWnd, message, false); }

void DlgMain::BringToFront()
{
    HWND shown = m_hWnd;
    if (InstallationUnderWay()) {
        // The main window stays hidden; a progress window hidden by the end of its download stays so.
        ShowWindow(false, false);
        if (m_closing || !::IsWindowVisible(m_progressWindow))
            return;
        shown = m_progressWindow;
    }
    ::ShowWindow(shown, ::IsIconic(shown) ? SW_RESTORE : SW_SHOW);
    // An open warning of that window is what the user has to answer first.
    ::SetForegroundWindow(::GetLastActivePopup(shown));
}

LRESULT DlgMain::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (msg == kMsgBringToFront) {
        handled = true;
        BringToFront();
        return 1;
    }
    if (msg != kMsgCloseInstaller)
        return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
    handled = true;
    if (m_closing)
        return 1;
    m_closing = true;
    ShowWindow(false, true);
    // The thread only posts to the handles, which stay harmless to post to once their windows are gone.
    std::thread([main = m_hWnd, progress = m_progressWindow] {
        std::this_thread::sleep_for(kCloseDelay);
        if (progress)
            ::PostMessageW(progress, WM_CLOSE, kCloseByInstaller, 0);
        ::PostMessageW(main, WM_CLOSE, kCloseByInstaller, 0);
    }).detach();
    return 1;
}

// Closed by the system (Alt+F4, system menu, taskbar) the window does what its close button does;
// while the progress window runs, that window's own question decides.
LRESULT DlgMain::OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (m_closing)
        return InstallerWindow::OnClose(msg, wParam, lParam, handled);
    handled = true;
    if (::IsWindow(m_progressWindow))
        ::PostMessageW(m_progressWindow, WM_CLOSE, 0, 0);
    else
        CloseFromButton();
    return 0;
}

void DlgMain::OnFinalMessage(HWND hwnd)
{
    WindowImplBase::OnFinalMessage(hwnd);
    ::PostQuitMessage(0);
}
