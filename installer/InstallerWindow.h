#pragma once

#include "Core/WindowImplBase.h"

#include <memory>
#include <utility>

// Base of the installer's skinned windows: Return and Escape neither confirm nor dismiss them; the
// user answers with the buttons.
class InstallerWindow : public SkinUI::WindowImplBase {
public:
    ~InstallerWindow() override;

protected:
    // Whether the window outlived a call that may run a nested message loop (a modal dialog, a shell
    // call): that loop may destroy the window and delete its object. Taken before the call; once it
    // says ended, the caller touches neither the window nor its object again.
    class LifeWatch {
    public:
        explicit LifeWatch(std::shared_ptr<const bool> alive) : m_alive(std::move(alive)) {}
        bool Ended() const { return !*m_alive; }

    private:
        std::shared_ptr<const bool> m_alive;
    };
    LifeWatch WatchLife() const { return LifeWatch(m_alive); }

    LRESULT ResponseDefaultKeyEvent(WPARAM key) override;
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The name of the control a "click" notification comes from; empty for any other notification.
SkinUI::CUIString ClickedControlName(const SkinUI::NotifyMessage& msg);
