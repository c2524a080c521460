// Keyboard, mouse and focus input of the web view, turned into the engine's events.
#include "Control/UICefImpl.h"

#include "Core/WindowUIManager.h"
#include "Internal/Cef/CefUtil.h"

#include <windowsx.h>

#include <cstdlib>

namespace SkinUI {
namespace {

bool IsSystemKeyMessage(UINT message)
{
    return message == WM_SYSCHAR || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

cef_key_event_type_t KeyEventType(UINT message)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) return KEYEVENT_RAWKEYDOWN;
    if (message == WM_KEYUP || message == WM_SYSKEYUP) return KEYEVENT_KEYUP;
    return KEYEVENT_CHAR;
}

cef_mouse_button_type_t ButtonOf(UINT message)
{
    switch (message) {
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return MBT_RIGHT;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return MBT_MIDDLE;
    default: return MBT_LEFT;
    }
}

bool IsButtonDown(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// The press a double click stands for.
UINT ButtonDownOf(UINT doubleClick)
{
    switch (doubleClick) {
    case WM_RBUTTONDBLCLK: return WM_RBUTTONDOWN;
    case WM_MBUTTONDBLCLK: return WM_MBUTTONDOWN;
    default: return 0;
    }
}

bool IsButtonUp(UINT message) { return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP; }

bool Contains(const CefRect& rect, POINT point)
{
    return point.x >= rect.x && point.x < rect.x + rect.width && point.y >= rect.y && point.y < rect.y + rect.height;
}

}  // namespace

void CCefUI::CCefUIImpl::HandleKeyMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto host = Host();
    if (!host) return;
    CefKeyEvent event;
    event.windows_key_code = static_cast<int>(wParam);
    event.native_key_code = static_cast<int>(lParam);
    event.is_system_key = IsSystemKeyMessage(message);
    event.type = KeyEventType(message);
    event.modifiers = GetCefKeyboardModifiers(wParam, lParam);
    host->SendKeyEvent(event);
}

void CCefUI::CCefUIImpl::HandleFocus(bool gained)
{
    auto host = Host();
    if (!host) return;
    host->SendFocusEvent(gained);
    if (gained || !m_mouse.pressHeld) return;
    // Also how a press ends that will not be released here (the window closing or losing the mouse):
    // the page ends its press or drag without the click a release would make.
    m_mouse.pressHeld = false;
    m_mouse.rotating = false;
    host->SendCaptureLostEvent();
}

POINT CCefUI::CCefUIImpl::PointInView(LPARAM lParam) const
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!UsesOsrWindow()) {
        const RECT rc = ControlRect();
        point.x -= rc.left;
        point.y -= rc.top;
    }
    return point;
}

bool CCefUI::CCefUIImpl::CancelsPreviousClick(POINT point) const
{
    const double now = static_cast<double>(::GetMessageTime());
    return std::abs(point.x - m_mouse.lastClickX) > ::GetSystemMetrics(SM_CXDOUBLECLK) / 2 ||
           std::abs(point.y - m_mouse.lastClickY) > ::GetSystemMetrics(SM_CYDOUBLECLK) / 2 ||
           now - m_mouse.lastClickTime > ::GetDoubleClickTime();
}

bool CCefUI::CCefUIImpl::IsOverPopup(POINT point) const { return !m_popupRect.IsEmpty() && Contains(m_popupRect, point); }

bool CCefUI::CCefUIImpl::IsPopupMoved() const
{
    return m_popupRect.x != m_requestedPopupRect.x || m_popupRect.y != m_requestedPopupRect.y;
}

POINT CCefUI::CCefUIImpl::CorrectedForPopup(POINT point) const
{
    if (!IsOverPopup(point)) return point;
    // The engine placed its popup where it asked to; we moved it into the view.
    point.x += m_requestedPopupRect.x - m_popupRect.x;
    point.y += m_requestedPopupRect.y - m_popupRect.y;
    return point;
}

CefMouseEvent CCefUI::CCefUIImpl::LogicalEvent(POINT point, WPARAM wParam) const
{
    CefMouseEvent event;
    event.x = point.x;
    event.y = point.y;
    event.modifiers = GetCefMouseModifiers(wParam);
    return DeviceToLogical(event, Scale());
}

void CCefUI::CCefUIImpl::HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Host()) return;
    if (message == WM_MOUSEWHEEL) {
        OnWheel(wParam, lParam);
    } else if (message == WM_MOUSELEAVE) {
        OnMouseLeave(wParam);
    } else if (message == WM_MOUSEMOVE) {
        m_mouse.current = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        OnMouseMove(PointInView(lParam), wParam);
    } else if (IsButtonDown(message)) {
        OnButtonDown(message, PointInView(lParam), wParam);
    } else if (IsButtonUp(message)) {
        OnButtonUp(message, PointInView(lParam), wParam);
    }
}

void CCefUI::CCefUIImpl::WatchDoubleClicks(bool watch)
{
    // The view may be deleted after the window it watched.
    if (CWindowUIManager::Exists(m_filterManager)) m_filterManager->RemoveMessageFilter(this);
    m_filterManager = watch ? Manager() : nullptr;
    if (m_filterManager) m_filterManager->AddMessageFilter(this);
}

LRESULT CCefUI::CCefUIImpl::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool&)
{
    if (message != WM_RBUTTONDBLCLK && message != WM_MBUTTONDBLCLK) return 0;
    if (UsesOsrWindow() || !Manager() || !m_owner->IsVisible() || !m_owner->IsEnabled()) return 0;
    if (Manager()->FindControlAtPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != m_owner) return 0;
    HandleMouseMessage(ButtonDownOf(message), wParam, lParam);
    return 0;
}

void CCefUI::CCefUIImpl::OnMouseMove(POINT point, WPARAM wParam)
{
    if (CancelsPreviousClick(point)) {
        m_mouse.clickCount = 0;
        m_mouse.lastClickX = m_mouse.lastClickY = 0;
        m_mouse.lastClickTime = 0;
    }
    m_mouse.last = point;
    if (m_mouse.rotating) return;
    if (!m_mouse.tracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, InputWindow(), 0};
        ::TrackMouseEvent(&track);
        m_mouse.tracking = true;
    }
    Host()->SendMouseMoveEvent(LogicalEvent(CorrectedForPopup(point), wParam), false);
}

void CCefUI::CCefUIImpl::OnButtonDown(UINT message, POINT point, WPARAM wParam)
{
    HWND window = InputWindow();
    ::SetCapture(window);
    ::SetFocus(window);
    m_mouse.pressHeld = true;
    if (wParam & MK_SHIFT) {
        // Shift-drag rotates (in pages that use it); the page gets no click.
        m_mouse.rotating = true;
        m_mouse.last = point;
        return;
    }
    const cef_mouse_button_type_t button = ButtonOf(message);
    if (CancelsPreviousClick(point) || button != m_mouse.lastClickButton) {
        m_mouse.clickCount = 1;
        m_mouse.lastClickX = point.x;
        m_mouse.lastClickY = point.y;
    } else {
        ++m_mouse.clickCount;
    }
    m_mouse.lastClickButton = button;
    m_mouse.lastClickTime = static_cast<double>(::GetMessageTime());
    m_mouse.buttonDownOutsidePopup = !IsOverPopup(point);
    Host()->SendMouseClickEvent(LogicalEvent(CorrectedForPopup(point), wParam), button, false,
                                m_mouse.clickCount);
}

void CCefUI::CCefUIImpl::OnButtonUp(UINT message, POINT point, WPARAM wParam)
{
    HWND window = InputWindow();
    if (::GetCapture() == window) ::ReleaseCapture();
    m_mouse.pressHeld = false;
    if (m_mouse.rotating) {
        m_mouse.rotating = false;
        return;
    }
    // A press outside the popup released over a popup we moved would click what lies under its old place.
    if (m_mouse.buttonDownOutsidePopup && IsOverPopup(point) && IsPopupMoved()) return;
    Host()->SendMouseClickEvent(LogicalEvent(CorrectedForPopup(point), wParam), ButtonOf(message), true,
                                m_mouse.clickCount);
}

void CCefUI::CCefUIImpl::OnWheel(WPARAM wParam, LPARAM lParam)
{
    HWND window = InputWindow();
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (::WindowFromPoint(point) != window) return;
    ::ScreenToClient(window, &point);
    point = PointInView(MAKELPARAM(point.x, point.y));
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const CefMouseEvent event = LogicalEvent(CorrectedForPopup(point), wParam);
    if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) Host()->SendMouseWheelEvent(event, delta, 0);
    else Host()->SendMouseWheelEvent(event, 0, delta);
}

void CCefUI::CCefUIImpl::OnMouseLeave(WPARAM wParam)
{
    m_mouse.tracking = false;
    HWND window = InputWindow();
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(window, &cursor);
    const POINT point = PointInView(MAKELPARAM(cursor.x, cursor.y));
    if (CancelsPreviousClick(point)) {
        m_mouse.clickCount = 0;
        m_mouse.lastClickX = m_mouse.lastClickY = 0;
        m_mouse.lastClickTime = 0;
    }
    Host()->SendMouseMoveEvent(LogicalEvent(point, wParam), true);
}

}  // namespace SkinUI
