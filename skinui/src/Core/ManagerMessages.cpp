#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"
#include "Utils/DispatchScope.h"

#include <algorithm>

namespace SkinUI {
namespace {

struct ShortcutSearch {
    wchar_t key;
    bool matched;
};

wchar_t UpperCase(wchar_t ch) { return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(ch))))); }

bool ClassContains(const CControlUI* control, const wchar_t* part)
{
    return wcsstr(control->GetClass(), part) != nullptr;
}

// A label's shortcut selects the control after it.
CControlUI* CALLBACK FindShortcut(CControlUI* control, void* data)
{
    auto* search = static_cast<ShortcutSearch*>(data);
    if (!control->IsVisible()) return nullptr;
    if (!search->matched && control->GetShortcut() != 0 && UpperCase(control->GetShortcut()) == search->key)
        search->matched = true;
    if (search->matched && !ClassContains(control, L"Label")) return control;
    return nullptr;
}

}  // namespace

bool CWindowUIManager::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!m_hwnd) return false;
    // Also for a window that is no CWindowWnd: the handlers below run inside a dispatch.
    const auto dispatch = KeepWindowWhileActing();
    if (RunFilters(m_messageFilters, msg, wParam, lParam, result)) {
        UpdateMouseFromFilter(msg, lParam);
        return true;
    }
    if (m_layered) {
        switch (msg) {
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
            result = 0;
            return true;
        case WM_NCACTIVATE:
            if (::IsIconic(m_hwnd)) break;
            result = wParam == 0;
            return true;
        default:
            break;
        }
    }
    switch (msg) {
    case WM_PAINT:
        result = 0;
        return OnPaint();
    case WM_SETCURSOR:
        if (!OnSetCursor(wParam, lParam)) return false;
        result = 0;
        return true;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return false;
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        return false;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return false;
    case WM_LBUTTONDOWN:
        OnButtonDown(wParam, lParam);
        return false;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        OnButtonOther(msg, wParam, lParam);
        return false;
    case WM_MOUSEHOVER:
        if (!OnMouseHover(wParam, lParam)) return false;
        result = 0;
        return true;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    case kMsgDelayedWork:
        ProcessDelayedWork();
        return false;
    case WM_NCDESTROY:
        // The window is gone: the manager leaves the live list and gives its DC back. Its tree goes once the
        // window's dispatches (this one too) have returned, before the window's final call: the handlers of
        // the tree may be bound to the window object, which that call may delete.
        m_endedWindow = m_hwnd;
        CWindowWnd::FinishWhenUnwound();
        DetachFromWindow();
        m_hwnd = nullptr;
        return false;
    case WM_SIZE:
        if (m_focus) SendEventTo(m_focus, EVT_WINDOWSIZE);
        if (m_root) m_root->RequestLayout();
        result = 0;
        return true;
    case WM_SETFOCUS:
        if (m_focus) SendEventTo(m_focus, EVT_SETFOCUS, wParam, lParam);
        return false;
    case WM_KILLFOCUS:
        if (m_captured) {
            ReleaseCapture();
            EndPressWithoutRelease();
        }
        return false;
    case WM_CAPTURECHANGED:
        if (m_captured && reinterpret_cast<HWND>(lParam) != m_hwnd) {
            m_captured = false;
            m_dragging = false;
            EndPressWithoutRelease();
        }
        return false;
    case WM_CLOSE:
        EndHoverAndPress();
        SetFocus(nullptr);
        if (::GetActiveWindow() == m_hwnd) {
            if (HWND owner = ::GetWindow(m_hwnd, GW_OWNER)) ::SetFocus(owner);
        }
        DestroyToolTip();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_TIMER:
        HandleTimerMessage(wParam, lParam);
        return false;
    case WM_KEYDOWN:
        if (m_root && m_focus) {
            // Noted first: a handler that moves the focus must not send the key-up to a control that never
            // saw the key go down.
            CControlUI* control = m_focus;
            NoteKeyDown(wParam, control);
            SendEventTo(control, EVT_KEYDOWN, wParam, lParam, static_cast<wchar_t>(wParam));
        }
        return false;
    case WM_KEYUP:
        if (CControlUI* control = TakeKeyDown(wParam); control && m_root)
            SendEventTo(control, EVT_KEYUP, wParam, lParam, static_cast<wchar_t>(wParam));
        return false;
    case WM_CHAR:
        if (m_root && m_focus) SendEventTo(m_focus, EVT_CHAR, wParam, lParam, static_cast<wchar_t>(wParam));
        return false;
    case WM_NOTIFY: {
        if (lParam == 0) return false;
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        result = ::SendMessageW(header->hwndFrom, msg + 0x2000, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0) return false;
        result = ::SendMessageW(reinterpret_cast<HWND>(lParam), msg + 0x2000, wParam, lParam);
        return result != 0;
    default:
        return false;
    }
}

bool CWindowUIManager::RunFilters(const CPtrArray& filters, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    for (int i = 0; i < filters.GetSize(); ++i) {
        bool handled = false;
        const LRESULT answer = static_cast<IMessageFilterUI*>(filters[i])->MessageHandler(msg, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

bool CWindowUIManager::PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const auto keepWindow = KeepWindowWhileActing();
    if (RunFilters(m_preMessageFilters, msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_KEYDOWN: {
        if (wParam != VK_TAB) return false;
        if (m_focus && m_focus->IsVisible() && m_focus->IsEnabled()) {
            const auto* wantTab = static_cast<IWantTabUI*>(m_focus->GetInterface(L"WantTab"));
            if (ClassContains(m_focus, L"RichEdit") && wantTab && wantTab->IsWantTab()) return false;
            if (ClassContains(m_focus, L"Cef")) return false;
        }
        MoveFocusToNextTabStop(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    case WM_SYSKEYDOWN:
        if (CControlUI* control = m_focus) {
            NoteKeyDown(wParam, control);
            SendEventTo(control, EVT_SYSKEYDOWN, wParam, lParam, static_cast<wchar_t>(wParam));
        }
        return false;
    case WM_SYSKEYUP: {
        // As a key-up: to the control that saw the key go down (Alt+letter moves the focus in between);
        // one whose key went down elsewhere goes to the focused control.
        CControlUI* control = TakeKeyDown(wParam);
        if (!control) control = m_focus;
        if (control) SendEventTo(control, EVT_SYSKEYUP, wParam, lParam, static_cast<wchar_t>(wParam));
        return false;
    }
    case WM_SYSCHAR:
        return HandleSysChar(wParam);
    default:
        return false;
    }
}

void CWindowUIManager::NoteKeyDown(WPARAM key, CControlUI* control)
{
    TakeKeyDown(key);
    m_keysDown.emplace_back(key, control);
}

CControlUI* CWindowUIManager::TakeKeyDown(WPARAM key)
{
    const auto held =
        std::find_if(m_keysDown.begin(), m_keysDown.end(), [key](const auto& entry) { return entry.first == key; });
    if (held == m_keysDown.end()) return nullptr;
    CControlUI* control = held->second;
    m_keysDown.erase(held);
    return control;
}

bool CWindowUIManager::HandleSysChar(WPARAM wParam)
{
    if (m_focus) SendEventTo(m_focus, EVT_SYSCHAR, wParam, 0, static_cast<wchar_t>(wParam));
    if (!m_root) return false;
    ShortcutSearch search{UpperCase(static_cast<wchar_t>(wParam)), false};
    CControlUI* found = m_root->FindControl(&FindShortcut, &search, FIND_ENABLED | FIND_TOP_FIRST | FIND_ME_FIRST);
    if (!found) return false;
    const auto alive = found->WatchLifetime();
    found->SetFocus();
    if (!alive.expired()) found->Activate();
    return true;
}

void CWindowUIManager::UpdateMouseFromFilter(UINT msg, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        StoreMouse(lParam);
        return;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL: {
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ScreenToClient(m_hwnd, &pt);
        m_lastMousePos = pt;
        return;
    }
    default:
        return;
    }
}

void CWindowUIManager::OnGetMinMaxInfo(MINMAXINFO* info) const
{
    if (!info) return;
    if (m_minSize.cx > 0) info->ptMinTrackSize.x = m_minSize.cx;
    if (m_minSize.cy > 0) info->ptMinTrackSize.y = m_minSize.cy;
    if (m_maxSize.cx > 0) info->ptMaxTrackSize.x = info->ptMaxSize.x = m_maxSize.cx;
    if (m_maxSize.cy > 0) info->ptMaxTrackSize.y = info->ptMaxSize.y = m_maxSize.cy;
}

void CWindowUIManager::OnPrintClient(HDC hdc, LPARAM flags)
{
    if (!m_root || !hdc) return;
    const int saved = ::SaveDC(hdc);
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    m_root->Paint(hdc, client, nullptr);
    if (flags & PRF_CHILDREN) {
        for (HWND child = ::GetWindow(m_hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT pos = {};
            ::GetWindowRect(child, &pos);
            ::MapWindowPoints(HWND_DESKTOP, m_hwnd, reinterpret_cast<POINT*>(&pos), 2);
            ::SetWindowOrgEx(hdc, -pos.left, -pos.top, nullptr);
            ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(hdc), flags | PRF_NONCLIENT);
        }
    }
    ::RestoreDC(hdc, saved);
}

}  // namespace SkinUI
