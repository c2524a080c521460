#include "DlgWarning.h"

#include "WindowMessages.h"

#include "Core/ControlUI.h"

#include <utility>

using SkinUI::CControlUI;
using SkinUI::NotifyMessage;

DlgWarning::DlgWarning(std::wstring message, bool showCancel)
    : m_showCancel(showCancel), m_message(std::move(message))
{
}

void DlgWarning::Notify(NotifyMessage& msg)
{
    WindowImplBase::Notify(msg);
    if (msg.sType == L"windowinit") {
        OnWindowInit();
        return;
    }
    const SkinUI::CUIString name = ClickedControlName(msg);
    if (name == L"btnOK")
        Close(kWarningOk);
    else if (name == L"btnCancel" || name == L"btnClose")
        Close(kWarningCancel);
}

void DlgWarning::OnWindowInit()
{
    CControlUI* cancel = m_pm.FindControl(L"btnCancel");
    if (cancel && !m_showCancel)
        cancel->SetVisible(false);
    if (CControlUI* text = m_pm.FindControl(L"lblMsg"))
        text->SetText(m_message.c_str());
}

// Closed by the system (code 0) the dialog answers as its close button does.
LRESULT DlgWarning::OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (wParam != 0)
        return InstallerWindow::OnClose(msg, wParam, lParam, handled);
    handled = true;
    Close(kWarningCancel);
    return 0;
}

UINT ShowWarning(HWND parent, const std::wstring& message, bool showCancel)
{
    DlgWarning warning(message, showCancel);
    if (!warning.Create(parent, kToolTitle, kInstallerWindowStyle, 0, 0, 0, kInstallerWindowWidth,
                        kInstallerWindowHeight, nullptr))
        return 0;
    warning.SetIcon(kInstallerIcon);
    warning.CenterWindow();
    return warning.ShowModal();
}
