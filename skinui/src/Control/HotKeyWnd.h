#pragma once

#include "Core/WindowWnd.h"

#include <commctrl.h>

namespace SkinUI {

class CHotKeyUI;

// The system hot-key control laid over a hot-key field while it has the focus.
class CHotKeyWnd : public CWindowWnd {
public:
    explicit CHotKeyWnd(CHotKeyUI* owner) : m_owner(owner) {}
    ~CHotKeyWnd() override;

    // False when no window could be made.
    bool Init();
    void Detach() { m_owner = nullptr; }
    RECT CalcPos() const;

protected:
    const wchar_t* GetWindowClassName() const override { return L"HotKeyClass"; }
    const wchar_t* GetSuperClassName() const override { return HOTKEY_CLASSW; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void OnChanged();
    void Paint();

    CHotKeyUI* m_owner;
    HBRUSH m_brush = nullptr;
    bool m_initialised = false;
};

}  // namespace SkinUI
