#pragma once

#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"

namespace SkinUI {

// The native window a field (edit box, hot key) opens over itself while it is edited. The window deletes
// itself when it is destroyed and then tells the field, which calls Forget.
template <class Window>
class CNativeFieldWindow {
public:
    CNativeFieldWindow() = default;
    CNativeFieldWindow(const CNativeFieldWindow&) = delete;
    CNativeFieldWindow& operator=(const CNativeFieldWindow&) = delete;
    // An open window must not report to a field that is gone.
    ~CNativeFieldWindow() { Close(); }

    Window* Get() const { return m_window; }
    HWND GetHWND() const { return m_window ? m_window->GetHWND() : nullptr; }
    void Forget() { m_window = nullptr; }

    // Closes an open window at once, telling the field nothing: for a field that leaves its window (the
    // box would stay over the window it left) or goes.
    void Close()
    {
        if (!m_window) return;
        m_window->Detach();
        HWND hwnd = m_window->GetHWND();
        m_window = nullptr;
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }

    // Makes and starts the window over the field; nothing when one is open or the field has no window.
    template <class Field>
    void Open(Field* field)
    {
        if (m_window || !field->GetManager()) return;
        auto* window = new Window(field);
        m_window = window;
        if (window->Init()) return;
        // A window that failed after WM_NCCREATE deleted itself and cleared m_window; one that never
        // started is still ours.
        if (m_window == window) delete window;
        m_window = nullptr;
    }

    // A field that is no longer seen gives up the focus, which closes its window.
    void ReleaseFocusWhenHidden(CControlUI& field, bool visible) const
    {
        if (!visible && m_window && field.GetManager()) field.GetManager()->SetFocus(nullptr);
    }

private:
    Window* m_window = nullptr;
};

}  // namespace SkinUI
