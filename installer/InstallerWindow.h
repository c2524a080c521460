#pragma once

#include "Core/WindowImplBase.h"

// Base of the installer's skinned windows: Return and Escape neither confirm nor dismiss them; the
// user answers with the buttons.
class InstallerWindow : public SkinUI::WindowImplBase {
protected:
    LRESULT ResponseDefaultKeyEvent(WPARAM key) override;
};

// The name of the control a "click" notification comes from; empty for any other notification.
SkinUI::CUIString ClickedControlName(const SkinUI::NotifyMessage& msg);
