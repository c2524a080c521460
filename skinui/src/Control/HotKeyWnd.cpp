#include "Control/HotKeyWnd.h"

#include "Control/NativeFieldRect.h"
#include "Control/UIHotKey.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

namespace SkinUI {
namespace {

constexpr UINT kReflectedCommand = WM_COMMAND + 0x2000;

}  // namespace

CHotKeyWnd::~CHotKeyWnd()
{
    if (m_brush) ::DeleteObject(m_brush);
}

RECT CHotKeyWnd::CalcPos() const { return m_owner ? NativeFieldRect(*m_owner) : RECT{0, 0, 0, 0}; }

bool CHotKeyWnd::Init()
{
    if (!m_owner || !m_owner->GetManager()) return false;
    CWindowUIManager* manager = m_owner->GetManager();
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&classes);
    if (!CreateWithRect(manager->GetWindowHandle(), nullptr, WS_CHILD | ES_AUTOHSCROLL, 0, CalcPos())) return false;
    if (!m_brush) m_brush = ::CreateSolidBrush(CPainter::ToColorRef(m_owner->GetNativeBkColor()));
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(m_owner->GetFont())), TRUE);
    ::SendMessageW(m_hWnd, HKM_SETHOTKEY, MAKEWORD(m_owner->GetVirtualKey(), m_owner->GetModifiers()), 0);
    m_owner->SetText(CHotKeyUI::CombinationText(m_owner->GetVirtualKey(), m_owner->GetModifiers()));
    ::EnableWindow(m_hWnd, m_owner->IsEnabled());
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    // The window losing the keyboard focus runs handlers that may delete the field or close this window: the
    // object stays until this call ends, and a window let go of meanwhile is left alone.
    const HandlerScope keep(m_hWnd);
    ::SetFocus(m_hWnd);
    if (!m_owner || !m_hWnd) return true;
    m_initialised = true;
    return true;
}

void CHotKeyWnd::OnChanged()
{
    const WORD value = static_cast<WORD>(::SendMessageW(m_hWnd, HKM_GETHOTKEY, 0, 0));
    m_owner->SetHotKey(LOBYTE(value), HIBYTE(value));
    const CUIString text = CHotKeyUI::CombinationText(LOBYTE(value), HIBYTE(value));
    m_owner->SetText(text.IsEmpty() ? L"无" : text.GetData());
    if (CWindowUIManager* manager = m_owner->GetManager()) manager->SendNotify(m_owner, L"textchanged");
}

void CHotKeyWnd::Paint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(hdc, &client, m_brush);
    const WORD value = static_cast<WORD>(::SendMessageW(m_hWnd, HKM_GETHOTKEY, 0, 0));
    const CUIString text = CHotKeyUI::CombinationText(LOBYTE(value), HIBYTE(value));
    CWindowUIManager* manager = m_owner->GetManager();
    HGDIOBJ oldFont = manager ? ::SelectObject(hdc, manager->GetFont(m_owner->GetFont())) : nullptr;
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, CPainter::ToColorRef(m_owner->GetTextColor()));
    RECT textRect = client;
    ::DrawTextW(hdc, text, -1, &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SIZE extent = {0, 0};
    ::GetTextExtentPoint32W(hdc, text, text.GetLength(), &extent);
    if (oldFont) ::SelectObject(hdc, oldFont);
    ::EndPaint(m_hWnd, &ps);
    ::SetCaretPos(extent.cx, 0);
}

LRESULT CHotKeyWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_owner) return CWindowWnd::HandleMessage(msg, wParam, lParam);
    switch (msg) {
    case WM_KILLFOCUS: {
        const LRESULT result = CWindowWnd::HandleMessage(msg, wParam, lParam);
        PostMessage(WM_CLOSE);
        return result;
    }
    case kReflectedCommand:
        if (HIWORD(wParam) == EN_CHANGE && m_initialised) OnChanged();
        else if (HIWORD(wParam) == EN_UPDATE) ::InvalidateRect(m_hWnd, nullptr, FALSE);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (CWindowUIManager* manager = m_owner->GetManager()) manager->SendNotify(m_owner, L"return");
        }
        break;
    case WM_NCACTIVATE:
    case WM_NCCALCSIZE:
        return 0;
    case WM_PAINT:
        if (m_brush) {
            Paint();
            return 0;
        }
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CHotKeyWnd::OnFinalMessage(HWND)
{
    if (m_owner) {
        m_owner->OnNativeWindowClosed();
        m_owner->Invalidate();
    }
    delete this;
}

}  // namespace SkinUI
