#include "Core/ControlUI.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <windowsx.h>

namespace SkinUI {
namespace {

POINT PointFrom(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

void CWindowUIManager::StoreMouse(LPARAM lParam) { m_lastMousePos = PointFrom(lParam); }

CControlUI* CWindowUIManager::OwnControlAt(POINT pt) const
{
    CControlUI* control = FindControlAtPoint(pt);
    return control && control->GetManager() == this ? control : nullptr;
}

void CWindowUIManager::OnMouseMove(WPARAM wParam, LPARAM lParam)
{
    if (!m_mouseTracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, m_hwnd, m_hoverTime};
        if (m_toolTip)
            track.dwHoverTime = static_cast<DWORD>(::SendMessageW(m_toolTip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
        ::TrackMouseEvent(&track);
        m_mouseTracking = true;
    }
    StoreMouse(lParam);
    CControlUI* control = FindControlAtPoint(m_lastMousePos);
    if (control && control->GetManager() != this) return;
    // Leaving and entering run application handlers, which may delete the control under the mouse or
    // move it to another window: this window then leaves it alone.
    const auto alive = WatchedLifetime(control);
    const auto gone = [&] { return control && !StillHolds(control, alive); };
    if (!m_captured) {
        if (m_hover && m_hover != control) {
            CControlUI* old = m_hover;
            m_hover = nullptr;
            SendEventTo(old, EVT_MOUSELEAVE);
            HideToolTip();
        }
        if (gone()) return;
        if (control && control != m_hover) {
            m_hover = control;
            SendEventTo(control, EVT_MOUSEENTER);
            if (gone()) return;
        }
    }
    if (CControlUI* target = m_click ? m_click : control) SendEventTo(target, EVT_MOUSEMOVE, wParam, lParam);
}

void CWindowUIManager::OnButtonDown(WPARAM wParam, LPARAM lParam)
{
    if (!m_noActivate) ::SetFocus(m_hwnd);
    if (!m_root) return;
    StoreMouse(lParam);
    CControlUI* control = OwnControlAt(m_lastMousePos);
    if (!control) return;
    if (control->IsDragEnabled()) {
        m_dragging = true;
        if (m_dragImage) ::DeleteObject(m_dragImage);
        m_dragImage = CPainter::GenerateBitmap(this, control, control->GetPos());
    }
    SetCapture();
    m_click = control;
    control->SetFocus();
    // The control may have gone while taking the focus.
    if (m_click != control) return;
    SendButtonEvent(control, EVT_BUTTONDOWN, wParam, lParam);
}

void CWindowUIManager::OnButtonOther(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_LBUTTONUP: {
        StoreMouse(lParam);
        CControlUI* control = m_click;
        if (!control) return;
        ReleaseCapture();
        m_click = nullptr;
        SendButtonEvent(control, EVT_BUTTONUP, wParam, lParam);
        return;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        if (!m_noActivate) ::SetFocus(m_hwnd);
        if (!m_root) return;
        StoreMouse(lParam);
        CControlUI* control = OwnControlAt(m_lastMousePos);
        if (!control) return;
        const auto alive = control->WatchLifetime();
        if (msg != WM_LBUTTONDBLCLK) control->SetFocus();
        // Taking the focus notifies: the handler may have deleted the control or moved it away.
        if (!StillHolds(control, alive)) return;
        SetCapture();
        m_click = control;
        const int type = msg == WM_LBUTTONDBLCLK ? EVT_DBLCLICK : msg == WM_RBUTTONDOWN ? EVT_RBUTTONDOWN : EVT_MBUTTONDOWN;
        SendButtonEvent(control, type, wParam, lParam);
        return;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        StoreMouse(lParam);
        m_click = OwnControlAt(m_lastMousePos);
        if (!m_click) return;
        ReleaseCapture();
        SendButtonEvent(m_click, msg == WM_RBUTTONUP ? EVT_RBUTTONUP : EVT_MBUTTONUP, wParam, lParam);
        return;
    }
    case WM_CONTEXTMENU: {
        if (!m_root) return;
        POINT pt = PointFrom(lParam);
        ::ScreenToClient(m_hwnd, &pt);
        m_lastMousePos = pt;
        CControlUI* control = m_click;
        if (!control) return;
        ReleaseCapture();
        m_click = nullptr;
        SendEventTo(control, EVT_CONTEXTMENU, wParam, reinterpret_cast<LPARAM>(control));
        return;
    }
    case WM_MOUSEWHEEL: {
        if (!m_root) return;
        POINT pt = PointFrom(lParam);
        ::ScreenToClient(m_hwnd, &pt);
        m_lastMousePos = pt;
        if (CControlUI* control = OwnControlAt(pt)) SendEventTo(control, EVT_SCROLLWHEEL, wParam, lParam);
        ::SendMessageW(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMousePos.x, m_lastMousePos.y));
        return;
    }
    default:
        return;
    }
}

bool CWindowUIManager::OnMouseHover(WPARAM wParam, LPARAM lParam)
{
    m_mouseTracking = false;
    if (!m_root) return false;
    POINT pt = PointFrom(lParam);
    CControlUI* control = OwnControlAt(pt);
    if (!control) return false;
    const auto alive = control->WatchLifetime();
    if (m_hover) SendEventTo(m_hover, EVT_MOUSEHOVER, wParam, lParam);
    if (!StillHolds(control, alive)) return true;
    m_toolTipText = control->GetToolTip();
    if (m_toolTipText.IsEmpty()) return true;
    ShowToolTipAt(m_toolTipText, pt.x, pt.y);
    return true;
}

void CWindowUIManager::EndHoverAndPress()
{
    if (CControlUI* hover = m_hover) {
        m_hover = nullptr;
        SendEventTo(hover, EVT_MOUSELEAVE);
    }
    // The release never came: a press ended by the close must not act as one (no click in a closing window).
    if (m_captured) ReleaseCapture();
    EndPressWithoutRelease();
}

void CWindowUIManager::EndPressWithoutRelease()
{
    // The release will come to another window, if at all: the pressed control hears the press is
    // over as a focus loss, which ends its pressed look and drags without acting as a release would.
    if (CControlUI* click = m_click) {
        m_click = nullptr;
        SendEventTo(click, EVT_KILLFOCUS);
    }
}

void CWindowUIManager::OnMouseLeave()
{
    HideToolTip();
    if (!m_mouseTracking) return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    RECT window = {};
    ::GetWindowRect(m_hwnd, &window);
    const bool inside = !::IsIconic(m_hwnd) && ::GetActiveWindow() == m_hwnd && ::PtInRect(&window, cursor) &&
                        ::SendMessageW(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y)) == HTCLIENT;
    if (inside) {
        ::ScreenToClient(m_hwnd, &cursor);
        ::SendMessageW(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    } else {
        ::SendMessageW(m_hwnd, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    }
    m_mouseTracking = false;
}

bool CWindowUIManager::OnSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (!m_root || LOWORD(lParam) != HTCLIENT) return false;
    if (m_captured) return true;
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hwnd, &pt);
    CControlUI* control = OwnControlAt(pt);
    if (!control || (control->GetControlFlags() & CONTROL_FLAG_SETCURSOR) == 0) return false;
    SendEventTo(control, EVT_SETCURSOR, wParam, lParam);
    return true;
}

}  // namespace SkinUI
