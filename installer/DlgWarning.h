#pragma once

#include "InstallerWindow.h"

#include <string>

constexpr const wchar_t* kWarningClassName = L"DlgWarnC3789B9BC0";

// Modal results of the warning dialog.
constexpr UINT kWarningOk = 2222;
constexpr UINT kWarningCancel = 3333;

// The installer's one message box: a message, OK and an optional cancel button.
class DlgWarning : public InstallerWindow {
public:
    DlgWarning(std::wstring message, bool showCancel);

    void Notify(SkinUI::NotifyMessage& msg) override;
    void OnWindowInit();

protected:
    const wchar_t* GetWindowClassName() const override { return kWarningClassName; }
    SkinUI::CUIString GetSkinFile() override { return L"warn.xml"; }
    LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    bool m_showCancel = false;
    std::wstring m_message;
};

// Shows a warning modal over `parent` on the calling thread (which must run the UI). Returns the code
// it closed with, 0 when it could not be created (as if nothing was chosen).
UINT ShowWarning(HWND parent, const std::wstring& message, bool showCancel);
