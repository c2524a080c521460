#pragma once

#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace SkinUI::Testing {

// A plain top-level window whose messages go through its manager, as a skinned window's do.
class HostWindow : public CWindowWnd {
public:
    CWindowUIManager manager;
    std::vector<MSG> received;
    int finalMessages = 0;
    bool deleteOnFinal = false;
    bool bindManager = true;
    int* finalCounter = nullptr;

    HWND CreateTopLevel(HWND owner = nullptr, int width = 400, int height = 300)
    {
        return Create(owner, L"test", WS_OVERLAPPEDWINDOW, 0, 10, 10, width, height);
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestHost"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CREATE && bindManager) manager.Init(m_hWnd);
        if (msg >= WM_USER || msg == WM_TIMER) received.push_back(MSG{m_hWnd, msg, wParam, lParam, 0, {}});
        LRESULT result = 0;
        if (manager.MessageHandler(msg, wParam, lParam, result)) return result;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override
    {
        ++finalMessages;
        if (finalCounter) ++*finalCounter;
        if (deleteOnFinal) delete this;
    }
};

// Records notifications it receives.
class NotifyRecorder : public INotifyUI {
public:
    std::vector<NotifyMessage> seen;
    std::function<void(NotifyMessage&)> onNotify;
    void Notify(NotifyMessage& msg) override
    {
        seen.push_back(msg);
        if (onNotify) onNotify(msg);
    }
    int Count(const wchar_t* type, CControlUI* sender) const
    {
        int count = 0;
        for (const auto& msg : seen)
            if (msg.sType == type && msg.pSender == sender) ++count;
        return count;
    }
};

// Counts the "click" notifications a control's own OnNotify event sees.
struct ClickCounter {
    int clicks = 0;
    bool OnNotify(void* param)
    {
        if (static_cast<NotifyMessage*>(param)->sType == L"click") ++clicks;
        return true;
    }
};

// A control that reports its own deletion.
class TrackedControl : public CControlUI {
public:
    explicit TrackedControl(bool* deleted = nullptr) : m_deleted(deleted) {}
    ~TrackedControl() override
    {
        if (m_deleted) *m_deleted = true;
    }

private:
    bool* m_deleted;
};

// Holds children and visits them after itself, as containers do.
class TestContainer : public CControlUI {
public:
    ~TestContainer() override
    {
        for (CControlUI* child : m_children) delete child;
    }
    template <class T>
    T* Add(T* child)
    {
        m_children.push_back(child);
        return child;
    }
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override
    {
        CControlUI::SetManager(manager, parent, runInit);
        for (CControlUI* child : m_children) child->SetManager(manager, this, runInit);
    }
    CControlUI* FindControl(FindControlProc proc, void* data, UINT flags) override
    {
        if ((flags & FIND_VISIBLE) && !IsVisible()) return nullptr;
        if (CControlUI* self = CControlUI::FindControl(proc, data, flags)) return self;
        for (CControlUI* child : m_children)
            if (CControlUI* found = child->FindControl(proc, data, flags)) return found;
        return nullptr;
    }

private:
    std::vector<CControlUI*> m_children;
};

class TabStopControl : public CControlUI {
public:
    UINT GetControlFlags() const override { return CONTROL_FLAG_TABSTOP; }
};

// An application's own native child window in the corner of its parent: it takes the keyboard focus
// and, losing it, runs `onLoss` once.
class FocusLossChild {
public:
    FocusLossChild(HWND parent, std::function<void()> onLoss) : m_onLoss(std::move(onLoss))
    {
        RECT client = {};
        ::GetClientRect(parent, &client);
        m_hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, client.right - 20, client.bottom - 20,
                                   20, 20, parent, nullptr, nullptr, nullptr);
        if (!m_hwnd) return;
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_oldProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FocusLossChild::Proc)));
        ::SetFocus(m_hwnd);
    }
    ~FocusLossChild()
    {
        m_onLoss = nullptr;
        if (m_hwnd) ::DestroyWindow(m_hwnd);
    }
    FocusLossChild(const FocusLossChild&) = delete;
    FocusLossChild& operator=(const FocusLossChild&) = delete;
    bool HasFocus() const { return m_hwnd && ::GetFocus() == m_hwnd; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<FocusLossChild*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (msg == WM_KILLFOCUS && self->m_onLoss) {
            const std::function<void()> run = std::move(self->m_onLoss);
            self->m_onLoss = nullptr;
            run();
        }
        return ::CallWindowProcW(self->m_oldProc, window, msg, wParam, lParam);
    }

    std::function<void()> m_onLoss;
    HWND m_hwnd = nullptr;
    WNDPROC m_oldProc = nullptr;
};

// Pumps the thread's messages through the framework's pre-translation until the condition holds;
// false when it still does not hold after about ten seconds.
inline bool PumpUntil(const std::function<bool()>& done)
{
    const UINT_PTR tick = ::SetTimer(nullptr, 0, 20, nullptr);
    const DWORD start = ::GetTickCount();
    MSG msg = {};
    while (!done() && ::GetTickCount() - start < 10000 && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (CWindowUIManager::PreTranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::KillTimer(nullptr, tick);
    return done();
}

// Whether setting the attribute on the control, shown alone in a painted window, asks the window to
// repaint: else the old look would stay on screen.
inline bool AttributeAsksForRepaint(CControlUI* control, const wchar_t* name, const wchar_t* value)
{
    HostWindow host;
    if (!host.Create(nullptr, L"repaint", WS_POPUP, 0, 0, 0, 100, 100)) return false;
    host.manager.AttachRootControl(control);
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    ::UpdateWindow(host);
    RECT update = {};
    const bool clean = !::GetUpdateRect(host, &update, FALSE);
    control->SetAttribute(name, value);
    const bool asked = clean && ::GetUpdateRect(host, &update, FALSE);
    ::DestroyWindow(host);
    return asked;
}

// Every window test needs a display: without one window creation fails, and the test must say so.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { CWindowUIManager::SetInstance(::GetModuleHandleW(nullptr)); }
};

}  // namespace SkinUI::Testing
