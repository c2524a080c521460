#include "InstallerWindow.h"

#include "Core/ControlUI.h"

InstallerWindow::~InstallerWindow() { *m_alive = false; }

LRESULT InstallerWindow::ResponseDefaultKeyEvent(WPARAM key)
{
    if (key == VK_RETURN || key == VK_ESCAPE)
        return 0;
    return WindowImplBase::ResponseDefaultKeyEvent(key);
}

// The object may live on (its deletion waits for the messages being handled, or its owner's scope),
// but with the window gone there is nothing left for the window's code to do.
LRESULT InstallerWindow::OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    *m_alive = false;
    return WindowImplBase::OnDestroy(msg, wParam, lParam, handled);
}

SkinUI::CUIString ClickedControlName(const SkinUI::NotifyMessage& msg)
{
    if (msg.sType != L"click" || !msg.pSender)
        return SkinUI::CUIString();
    return msg.pSender->GetName();
}
