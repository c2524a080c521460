#pragma once

#include "InstallerWindow.h"

#include <string>

namespace SkinUI {
class CControlUI;
}

// The first window: proposes an install folder, lets the user browse for another, shows the space
// needed and free, and on "next" creates the folder and opens the progress window. It also ends the
// process: kMsgCloseInstaller hides it and closes both windows 1.5 s later; its end posts WM_QUIT.
class DlgMain : public InstallerWindow {
public:
    DlgMain() = default;

    void Notify(SkinUI::NotifyMessage& msg) override;
    void OnWindowInit();
    void UpdateSpaceInfo();

protected:
    const wchar_t* GetWindowClassName() const override { return L"DlgMainC3789B9BC0"; }
    SkinUI::CUIString GetSkinFile() override { return L"main.xml"; }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void BrowseForFolder();
    void Install();
    void RelaunchElevated();
    bool OpenProgressWindow(const std::wstring& folder);
    void Warn(const wchar_t* message);
    void CloseFromButton();
    void BringToFront();
    bool InstallationUnderWay() const;

    SkinUI::CControlUI* m_pathEdit = nullptr;
    // The progress window deletes itself; only its handle is kept.
    HWND m_progressWindow = nullptr;
    // The installer itself is closing this window: a WM_CLOSE now ends it.
    bool m_closing = false;
};

// Proposed install folder under `base` (the roaming application-data folder, empty when unknown).
std::wstring ProposedInstallFolder(const std::wstring& base);

// The space label's text for the free space of the drive, in gigabytes.
std::wstring SpaceInfoText(double freeGigabytes);

// True when a folder chosen in the browser holds a character the installer refuses (above 0x80).
bool HasNonAsciiCharacter(const std::wstring& path);
