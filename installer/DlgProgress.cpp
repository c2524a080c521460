#include "DlgProgress.h"

#include "AppSettings.h"
#include "BehaviorReport.h"
#include "BrowserLaunch.h"
#include "DlgWarning.h"
#include "DownloadLocation.h"
#include "Logger.h"
#include "ServerAddresses.h"
#include "SetupCommandLine.h"
#include "ShellLaunch.h"
#include "StringConvert.h"
#include "WindowMessages.h"

#include "Control/ProgressUI.h"
#include "Core/ControlUI.h"

#include <cwchar>
#include <utility>

using SkinUI::NotifyMessage;

namespace {

constexpr int kThreadNum = 8;
constexpr UINT kSlideIntervalMs = 1800;
constexpr const wchar_t* kSlides[] = {L"image\\show_1.png", L"image\\show_2.png", L"image\\show_3.png",
                                      L"image\\show_4.png"};
constexpr int kSlideCount = sizeof(kSlides) / sizeof(kSlides[0]);

constexpr const wchar_t* kQuitQuestion = L"软件即将安装完成，您确定要退出吗？";
constexpr const wchar_t* kSetupFailed = L"在线安装失败，点击“确定”可使用浏览器下载离线安装包！";
constexpr const wchar_t* kNetworkFailed = L"您的网络不稳定，点击“确定”可使用浏览器下载离线安装包！";

void Report(int action) { RestfulClient::UploadBehavior(action, web::json::value()); }

DownloadLocation ChannelDownloadLocation()
{
    AppSettings* settings = AppSettings::Instance();
    return BuildDownloadLocation(Utf8ToWide(DownloadServerUrl()), settings->GetChannel(), settings->GetSubChannel());
}

BOOL CALLBACK CloseIfWarning(HWND window, LPARAM)
{
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wcscmp(className, kWarningClassName) == 0)
        ::SendMessageW(window, WM_CLOSE, kWarningCancel, 0);
    return TRUE;
}

} // namespace

DlgProgress::DlgProgress(HWND mainWindow, std::wstring installFolder)
    : m_mainWindow(mainWindow), m_installFolder(std::move(installFolder)), m_downloading(!m_installFolder.empty())
{
}

// The downloader member stops and waits for its run when it goes, after this body.
DlgProgress::~DlgProgress() = default;

std::wstring DlgProgress::SetupPathIn(const std::wstring& installFolder)
{
    return installFolder + ChannelDownloadLocation().fileName + L".exe";
}

void DlgProgress::Notify(NotifyMessage& msg)
{
    WindowImplBase::Notify(msg);
    if (msg.sType == L"windowinit") {
        StartDownload();
        return;
    }
    const SkinUI::CUIString name = ClickedControlName(msg);
    if (name == L"btnClose")
        AskToQuit();
    else if (name == L"btnMin")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void DlgProgress::StartDownload()
{
    m_progress = static_cast<SkinUI::CProgressUI*>(m_pm.FindControl(L"progress"));
    m_progressLabel = m_pm.FindControl(L"lblProgress");
    m_imageLabel = m_pm.FindControl(L"lblImage");
    if (m_imageLabel)
        m_imageLabel->SetBkImage(kSlides[0]);
    // No folder, or "quit" answered before the first paint: nothing to start.
    if (!m_downloading)
        return;

    const DownloadLocation location = ChannelDownloadLocation();
    m_downloadUrl = location.url;
    LogInfo("URL: {}, FileName: {}", WideToUtf8(location.url), WideToUtf8(location.fileName));

    m_window = m_hWnd;
    m_downloader.setThreadNum(kThreadNum);
    m_downloader.setVerboseOutput([this](const std::string& text) { OnVerboseOutput(text); });
    const std::wstring target = SetupPathIn(m_installFolder);
    m_downloader.start(
        WideToUtf8(m_downloadUrl), WideToUtf8(target), [this](slicedl::Result result) { OnDownloadResult(result); },
        [this](int64_t total, int64_t downloaded) { OnDownloadProgress(total, downloaded); }, nullptr);
    m_started = true;
    m_timerId = ::SetTimer(m_hWnd, kTimerSlide, kSlideIntervalMs, nullptr);
}

void DlgProgress::OnDownloadProgress(int64_t total, int64_t downloaded)
{
    const int percent = DownloadPercent(total, downloaded);
    if (percent < 0 || m_lastPercent.exchange(percent) == percent)
        return;
    ::PostMessageW(m_window, kMsgDownloadProgress, static_cast<WPARAM>(percent), 0);
}

void DlgProgress::OnVerboseOutput(const std::string& text) { LogInfo("[VexaInstaller] {}", text); }

// Windows and dialogs belong to the UI thread: the engine's thread only hands the result over.
void DlgProgress::OnDownloadResult(slicedl::Result result)
{
    // Work handed over late, once the window has gone, does nothing.
    SkinUI::CWindowUIManager::PostTask(m_window, [this, life = WatchLife(), result] {
        if (!life.Ended())
            FinishDownload(result);
    });
}

void DlgProgress::FinishDownload(slicedl::Result result)
{
    m_downloading = false;
    // The quit question is moot once the download has ended.
    CloseOpenWarning();
    const HWND mainWindow = m_mainWindow;
    const LifeWatch life = WatchLife();
    if (result == slicedl::Result::Success) {
        Report(RestfulClient::kActionDownloadSucceeded);
        StartSetup();
    } else if (result == slicedl::Result::Stopped) {
        Report(RestfulClient::kActionDownloadStopped);
    } else {
        LogError("Download failed, result: {}", static_cast<long long>(slicedl::ToInt(result)));
        Report(RestfulClient::kActionDownloadFailed);
        OfferBrowserDownload(kNetworkFailed);
    }
    // A dialog's loop may have taken the window (and the object) meanwhile; the installer must end all
    // the same.
    if (!life.Ended()) {
        StopSlides();
        ShowWindow(false, true);
    }
    if (mainWindow)
        ::PostMessageW(mainWindow, kMsgCloseInstaller, 0, 0);
}

void DlgProgress::StopSlides()
{
    if (m_timerId) {
        ::KillTimer(m_hWnd, m_timerId);
        m_timerId = 0;
    }
}

void DlgProgress::StartSetup()
{
    const std::wstring file = QuoteArgument(Utf8ToWide(m_downloader.targetFilePath()));
    const std::wstring parameters = L"/installdir " + QuoteArgument(m_installFolder);
    const LifeWatch life = WatchLife();
    if (ShellExecuteRunAs(file, parameters, m_installFolder)) {
        Report(RestfulClient::kActionSetupStarted);
        return;
    }
    const DWORD error = ::GetLastError();
    Report(RestfulClient::kActionSetupNotStarted);
    LogError("Start Setup failed, GLE: {}", static_cast<long long>(error));
    if (!life.Ended())
        OfferBrowserDownload(kSetupFailed);
}

void DlgProgress::OfferBrowserDownload(const wchar_t* message)
{
    const LifeWatch life = WatchLife();
    const UINT answer = ShowWarning(m_hWnd, message, true);
    if (life.Ended() || answer != kWarningOk)
        return;
    if (!OpenInBrowser(m_downloadUrl))
        LogError("Open browser failed, GLE: {}", static_cast<long long>(::GetLastError()));
}

// Only this thread's warnings: a search by class alone would also close another program's.
void DlgProgress::CloseOpenWarning() { ::EnumThreadWindows(::GetCurrentThreadId(), CloseIfWarning, 0); }

void DlgProgress::AskToQuit()
{
    if (m_asking)
        return;
    m_asking = true;
    const LifeWatch life = WatchLife();
    const UINT answer = ShowWarning(m_hWnd, kQuitQuestion, true);
    if (life.Ended())
        return;
    m_asking = false;
    if (answer != kWarningOk || !m_downloading)
        return;
    if (m_started)
        m_downloader.stop();
    else
        FinishDownload(slicedl::Result::Stopped);
}

// Alt+F4, the system menu and the taskbar close with code 0; the installer itself closes with 1.
// Closed by the system, the window does what its close button does: while downloading it asks
// whether to quit; otherwise it lets the main window end the process.
LRESULT DlgProgress::OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (wParam == kCloseByInstaller)
        return InstallerWindow::OnClose(msg, wParam, lParam, handled);
    handled = true;
    if (m_downloading)
        AskToQuit();
    else if (m_mainWindow)
        ::PostMessageW(m_mainWindow, kMsgCloseInstaller, 0, 0);
    return 0;
}

void DlgProgress::ShowNextSlide()
{
    m_slideIndex = (m_slideIndex + 1) % kSlideCount;
    if (m_imageLabel)
        m_imageLabel->SetBkImage(kSlides[m_slideIndex]);
}

void DlgProgress::ShowPercent(int percent)
{
    if (m_progressLabel)
        m_progressLabel->SetText((L"正在下载: " + std::to_wstring(percent) + L"%").c_str());
    if (m_progress)
        m_progress->SetValue(percent);
}

LRESULT DlgProgress::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kTimerSlide) {
        ShowNextSlide();
        return 1;
    }
    return WindowImplBase::HandleMessage(msg, wParam, lParam);
}

LRESULT DlgProgress::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (msg != kMsgDownloadProgress)
        return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
    handled = true;
    ShowPercent(static_cast<int>(wParam));
    return 0;
}

void DlgProgress::OnFinalMessage(HWND hwnd)
{
    WindowImplBase::OnFinalMessage(hwnd);
    // Gone before its result was handled: the main window is hidden and would never end the process.
    if (m_downloading && m_mainWindow)
        ::PostMessageW(m_mainWindow, kMsgCloseInstaller, 0, 0);
    delete this;
}
