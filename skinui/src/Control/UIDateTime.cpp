#include "Control/UIDateTime.h"

#include "Control/DateTimeWnd.h"
#include "Control/NativeFieldEvents.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
CDateTimeUI::CDateTimeUI()
{
    ::GetLocalTime(&m_time);
    m_updateMode = 1;
    UpdateText();
    m_updateMode = 0;
}

CDateTimeUI::~CDateTimeUI()
{
    ReleaseManagerReferences();
    ClosePicker();
}

// A picker still open must not report to a field that is gone, nor stay over the window the field left.
void CDateTimeUI::ClosePicker()
{
    if (!m_window) return;
    CDateTimeWnd* window = m_window;
    m_window = nullptr;
    window->Detach();
    if (::IsWindow(window->GetHWND())) ::DestroyWindow(window->GetHWND());
}

void CDateTimeUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The window it leaves lets go of it first: closing the picker hands that window its focus back.
    if (manager != m_manager) {
        ReleaseManagerReferences();
        ClosePicker();
    }
    CLabelUI::SetManager(manager, parent, runInit);
}

void CDateTimeUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CLabelUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (!alive.expired()) ClosePickerWhenHidden();
}

void CDateTimeUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CLabelUI::SetInternalVisible(visible);
    if (!alive.expired()) ClosePickerWhenHidden();
}

// The focus loss closes the picker, but not while its drop-down is open: hidden with the field at once, it
// closes as it does itself, by a posted close.
void CDateTimeUI::ClosePickerWhenHidden()
{
    if (IsVisible() || !m_window || !m_window->GetHWND()) return;
    ::ShowWindow(m_window->GetHWND(), SW_HIDE);
    ::PostMessageW(m_window->GetHWND(), WM_CLOSE, 0, 0);
}

void* CDateTimeUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"DateTime") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CDateTimeUI::GetControlFlags() const { return IsEnabled() ? CONTROL_FLAG_SETCURSOR : 0u; }

void CDateTimeUI::SetTime(const SYSTEMTIME& time)
{
    m_time = time;
    Invalidate();
}

void CDateTimeUI::UpdateText()
{
    if (m_updateMode == 2) {
        SetText(L"");
    } else if (m_updateMode == 1) {
        CUIString text;
        text.Format(L"%4d-%02d-%02d", m_time.wYear, m_time.wMonth, m_time.wDay);
        SetText(text);
    }
}

HWND CDateTimeUI::GetPickerWindow() const { return m_window ? m_window->GetHWND() : nullptr; }

void CDateTimeUI::OpenPicker()
{
    if (!m_manager) return;
    if (!m_window) m_window = new CDateTimeWnd(this);
    CDateTimeWnd* window = m_window;
    if (window->Init()) return;
    // A window that failed after WM_NCCREATE deleted itself and cleared m_window; one that never started
    // is still ours.
    if (m_window == window) delete window;
    m_window = nullptr;
}

void CDateTimeUI::HandleEvent(ControlEvent& event)
{
    if (HandleNativeFieldEvent(*this, event, m_window != nullptr, [this] { OpenPicker(); })) return;
    if (event.Type == EVT_MOUSEENTER || event.Type == EVT_MOUSELEAVE) return;
    CLabelUI::HandleEvent(event);
}

}  // namespace SkinUI
