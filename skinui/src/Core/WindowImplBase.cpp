#include "Core/WindowImplBase.h"

#include "Core/ControlUI.h"
#include "Core/DialogBuilder.h"

#include <windowsx.h>

#include <cwchar>

namespace SkinUI {

SKINUI_BEGIN_NOTIFY_MAP(WindowImplBase, CNotifyPump)
SKINUI_NOTIFY(L"click", L"", &WindowImplBase::OnClickNotify)
SKINUI_END_NOTIFY_MAP()

UINT FrameHitTest(POINT pt, const RECT& client, const RECT& sizeBox, const RECT& caption, bool maximised)
{
    if (!maximised) {
        if (pt.y < client.top + sizeBox.top) {
            if (pt.x < client.left + sizeBox.left) return HTTOPLEFT;
            if (pt.x > client.right - sizeBox.right) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > client.bottom - sizeBox.bottom) {
            if (pt.x < client.left + sizeBox.left) return HTBOTTOMLEFT;
            if (pt.x > client.right - sizeBox.right) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < client.left + sizeBox.left) return HTLEFT;
        if (pt.x > client.right - sizeBox.right) return HTRIGHT;
    }
    const LONG captionBottom = caption.bottom == -1 ? client.bottom : caption.bottom;
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
        pt.y < captionBottom)
        return HTCAPTION;
    return HTCLIENT;
}

bool WindowImplBase::IsInStaticControl(CControlUI* control)
{
    static const wchar_t* const kTransparent[] = {L"Control",   L"Text",           L"Label",
                                                  L"Container", L"Cef",            L"HorizontalLayout",
                                                  L"VerticalLayout", L"TabLayout", L"ChildLayout"};
    if (!control) return false;
    for (CControlUI* current = control; current; current = current->GetParent()) {
        bool listed = false;
        for (const wchar_t* name : kTransparent) listed = listed || wcscmp(current->GetClass(), name) == 0;
        if (!listed) return false;
    }
    return true;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (::IsIconic(m_hWnd)) handled = false;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    RECT caption = m_pm.GetCaptionRect();
    const bool wholeHeight = caption.bottom == -1;
    m_pm.GetDpiScaler()->ScaleRect(caption);
    if (wholeHeight) caption.bottom = -1;
    const UINT hit = FrameHitTest(pt, client, m_pm.GetSizeBox(), caption, ::IsZoomed(m_hWnd) != FALSE);
    if (hit != HTCAPTION) return hit;
    return IsInStaticControl(m_pm.FindControlAtPoint(pt)) ? HTCAPTION : HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool&)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT work = monitor.rcWork;
    if (!(monitor.dwFlags & MONITORINFOF_PRIMARY)) ::OffsetRect(&work, -work.left, -work.top);
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
    const SIZE maxSize = m_pm.GetDpiScaler()->ScaleSize(m_pm.GetMaxInfo().cx, m_pm.GetMaxInfo().cy);
    const SIZE minSize = m_pm.GetDpiScaler()->ScaleSize(m_pm.GetMinInfo().cx, m_pm.GetMinInfo().cy);
    info->ptMaxTrackSize.x = maxSize.cx != 0 ? maxSize.cx : work.right - work.left;
    info->ptMaxTrackSize.y = maxSize.cy != 0 ? maxSize.cy : work.bottom - work.top;
    info->ptMinTrackSize = POINT{minSize.cx, minSize.cy};
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled)
{
    if (!::IsIconic(m_hWnd)) {
        RECT rc = {};
        ::GetWindowRect(m_hWnd, &rc);
        const SIZE corner = m_pm.GetRoundCorner();
        HRGN region = ::CreateRoundRectRgn(0, 0, rc.right - rc.left + 1, rc.bottom - rc.top + 1, corner.cx, corner.cy);
        // Once set, the region belongs to the system: only a refused one is ours to delete.
        if (region && !::SetWindowRgn(m_hWnd, region, TRUE)) ::DeleteObject(region);
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        handled = true;
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&)
{
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_pm.Init(m_hWnd, GetManagerName());
    m_pm.AddPreMessageFilter(this);
    CDialogBuilder builder;
    const CUIString skinType = GetSkinType();
    const CUIString skinFile = GetSkinFile();
    CControlUI* root = skinType.IsEmpty()
                           ? builder.Create(skinFile, nullptr, this, &m_pm)
                           : builder.Create(MAKEINTRESOURCEW(_wtoi(skinFile)), skinType, this, &m_pm);
    if (!root) {
        const CUIString message = CUIString(L"Load Resource XML Failed\xFF1A") + skinFile;
        ::MessageBoxW(nullptr, message, L"SkinUI", MB_ICONERROR);
        return 0;
    }
    m_pm.AttachRootControl(root);
    m_pm.AddNotifier(this);
    InitWindow();
    return 0;
}

#define SKINUI_DECLINE_HANDLER(name)                                        \
    LRESULT WindowImplBase::name(UINT, WPARAM, LPARAM, bool& handled)       \
    {                                                                       \
        handled = false;                                                    \
        return 0;                                                           \
    }

SKINUI_DECLINE_HANDLER(OnKeyDown)
SKINUI_DECLINE_HANDLER(OnKillFocus)
SKINUI_DECLINE_HANDLER(OnSetFocus)
SKINUI_DECLINE_HANDLER(OnLButtonDown)
SKINUI_DECLINE_HANDLER(OnLButtonUp)
SKINUI_DECLINE_HANDLER(OnMouseMove)
SKINUI_DECLINE_HANDLER(HandleCustomMessage)

#undef SKINUI_DECLINE_HANDLER

LONG WindowImplBase::GetStyle() { return ::GetWindowLongW(m_hWnd, GWL_STYLE); }

LRESULT WindowImplBase::MessageHandler(UINT msg, WPARAM wParam, LPARAM, bool&)
{
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return ResponseDefaultKeyEvent(wParam);
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    using Handler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
    Handler handler = nullptr;
    switch (msg) {
    case WM_CREATE: handler = &WindowImplBase::OnCreate; break;
    case WM_DESTROY: handler = &WindowImplBase::OnDestroy; break;
    case WM_SIZE: handler = &WindowImplBase::OnSize; break;
    case WM_SETFOCUS: handler = &WindowImplBase::OnSetFocus; break;
    case WM_KILLFOCUS: handler = &WindowImplBase::OnKillFocus; break;
    case WM_CLOSE: handler = &WindowImplBase::OnClose; break;
    case WM_GETMINMAXINFO: handler = &WindowImplBase::OnGetMinMaxInfo; break;
    case WM_NCCALCSIZE: handler = &WindowImplBase::OnNcCalcSize; break;
    case WM_NCHITTEST: handler = &WindowImplBase::OnNcHitTest; break;
    case WM_NCPAINT: handler = &WindowImplBase::OnNcPaint; break;
    case WM_NCACTIVATE: handler = &WindowImplBase::OnNcActivate; break;
    case WM_KEYDOWN: handler = &WindowImplBase::OnKeyDown; break;
    case WM_CHAR: handler = &WindowImplBase::OnChar; break;
    case WM_SYSCOMMAND: handler = &WindowImplBase::OnSysCommand; break;
    case WM_MOUSEMOVE: handler = &WindowImplBase::OnMouseMove; break;
    case WM_LBUTTONDOWN: handler = &WindowImplBase::OnLButtonDown; break;
    case WM_LBUTTONUP: handler = &WindowImplBase::OnLButtonUp; break;
    case WM_MOUSEWHEEL: handler = &WindowImplBase::OnMouseWheel; break;
    case WM_MOUSEHOVER: handler = &WindowImplBase::OnMouseHover; break;
    default: break;
    }
    bool handled = true;
    if (handler) {
        const LRESULT result = (this->*handler)(msg, wParam, lParam, handled);
        if (handled) return result;
    }
    handled = false;
    const LRESULT custom = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return custom;
    LRESULT result = 0;
    if (m_pm.MessageHandler(msg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(HWND)
{
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
    // The tree went before this call, while the derived object was still whole (its handlers may be
    // bound to it).
}

}  // namespace SkinUI
