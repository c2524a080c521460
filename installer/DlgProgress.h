#pragma once

#include "Downloader.h"

#include "InstallerWindow.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace SkinUI {
class CControlUI;
class CProgressUI;
} // namespace SkinUI

// The window shown while the client's setup downloads: percentage, progress bar and a slide show.
// When the download ends it reports, starts the setup elevated (or offers the browser download) and
// asks the main window to end the process. Created with new; deletes itself when its window is gone.
class DlgProgress : public InstallerWindow {
public:
    DlgProgress(HWND mainWindow, std::wstring installFolder);
    ~DlgProgress() override;

    // Where the channel's setup is saved in `installFolder`.
    static std::wstring SetupPathIn(const std::wstring& installFolder);

    void Notify(SkinUI::NotifyMessage& msg) override;
    void StartDownload();

    // Engine threads.
    void OnDownloadProgress(int64_t total, int64_t downloaded);
    void OnVerboseOutput(const std::string& text);
    void OnDownloadResult(slicedl::Result result);

protected:
    const wchar_t* GetWindowClassName() const override { return L"DlgProgressC3789B9BC0"; }
    SkinUI::CUIString GetSkinFile() override { return L"install.xml"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void ShowNextSlide();
    void ShowPercent(int percent);
    void AskToQuit();
    void FinishDownload(slicedl::Result result);
    void StartSetup();
    void OfferBrowserDownload(const wchar_t* message);
    void CloseOpenWarning();
    void StopSlides();

    HWND m_mainWindow = nullptr;
    SkinUI::CProgressUI* m_progress = nullptr;
    SkinUI::CControlUI* m_progressLabel = nullptr;
    SkinUI::CControlUI* m_imageLabel = nullptr;
    std::wstring m_installFolder;
    UINT_PTR m_timerId = 0;
    int m_slideIndex = 0;
    std::wstring m_downloadUrl;
    std::atomic<int> m_lastPercent{0};
    // This window as the engine's threads see it: set before the download starts, never changed.
    HWND m_window = nullptr;
    // UI thread: the download runs, or starts at the first paint, and its result has not been handled
    // yet. Set from creation, so a close that comes before the first paint asks too.
    bool m_downloading = false;
    bool m_started = false;
    bool m_asking = false;
    // Last, so that it goes first: its destructor waits for the engine's last callback, which uses the
    // members above.
    slicedl::Downloader m_downloader;
};
