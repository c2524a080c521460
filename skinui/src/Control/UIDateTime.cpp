#include "Control/UIDateTime.h"

#include "Control/DateTimeWnd.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

bool IsMouseEvent(int type) { return type >= EVT_MOUSEMOVE && type <= EVT_SCROLLWHEEL; }

}  // namespace

CDateTimeUI::CDateTimeUI()
{
    ::GetLocalTime(&m_time);
    m_updateMode = 1;
    UpdateText();
    m_updateMode = 0;
}

CDateTimeUI::~CDateTimeUI()
{
    // A picker still open must not report to a field that is gone.
    if (m_window) {
        m_window->Detach();
        if (::IsWindow(m_window->GetHWND())) ::DestroyWindow(m_window->GetHWND());
    }
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
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_parent) m_parent->HandleEvent(event);
        else CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
    case EVT_SETCURSOR:
        if (!IsEnabled()) break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case EVT_WINDOWSIZE:
        if (m_window && m_manager) m_manager->SetFocusDeferred(this);
        break;
    case EVT_SCROLLWHEEL:
        if (m_window) return;
        break;
    case EVT_SETFOCUS:
        if (!IsEnabled() || m_window) break;
        OpenPicker();
        break;
    case EVT_KILLFOCUS:
        if (IsEnabled()) Invalidate();
        break;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
    case EVT_RBUTTONDOWN:
        if (!IsEnabled()) break;
        if (m_manager) m_manager->ReleaseCapture();
        if (IsFocused() || m_window) OpenPicker();
        return;
    case EVT_MOUSEMOVE:
    case EVT_BUTTONUP:
    case EVT_CONTEXTMENU:
    case EVT_MOUSEENTER:
    case EVT_MOUSELEAVE:
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

}  // namespace SkinUI
