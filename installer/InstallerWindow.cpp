#include "InstallerWindow.h"

#include "Core/ControlUI.h"

LRESULT InstallerWindow::ResponseDefaultKeyEvent(WPARAM key)
{
    if (key == VK_RETURN || key == VK_ESCAPE)
        return 0;
    return WindowImplBase::ResponseDefaultKeyEvent(key);
}

SkinUI::CUIString ClickedControlName(const SkinUI::NotifyMessage& msg)
{
    if (msg.sType != L"click" || !msg.pSender)
        return SkinUI::CUIString();
    return msg.pSender->GetName();
}
