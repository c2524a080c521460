#include "Control/EditWnd.h"

#include "Control/EditUI.h"
#include "Control/NativeFieldRect.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <vector>

namespace SkinUI {
namespace {

constexpr UINT kReflectedCommand = WM_COMMAND + 0x2000;
constexpr UINT kReflectedColorEdit = WM_CTLCOLOREDIT + 0x2000;
constexpr UINT kReflectedColorStatic = WM_CTLCOLORSTATIC + 0x2000;

}  // namespace

CEditWnd::~CEditWnd()
{
    if (m_brush) ::DeleteObject(m_brush);
}

RECT CEditWnd::CalcPos() const
{
    if (!m_owner) return RECT{0, 0, 0, 0};
    RECT pos = NativeFieldRect(*m_owner);
    for (CControlUI* ancestor = m_owner->GetParent(); ancestor; ancestor = ancestor->GetParent()) {
        const RECT client = ancestor->GetClientPos();
        if (!ancestor->IsVisible() || !::IntersectRect(&pos, &pos, &client)) return RECT{0, 0, 0, 0};
    }
    return pos;
}

bool CEditWnd::Init()
{
    CWindowUIManager* manager = m_owner->GetManager();
    RECT pos = CalcPos();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    const bool layered = manager->IsLayered();
    if (layered) {
        style = WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL;
        ::MapWindowPoints(manager->GetWindowHandle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&pos), 2);
        ::OffsetRect(&pos, 0, -1);
    }
    const UINT textStyle = m_owner->GetTextStyle();
    if (textStyle & DT_CENTER) style |= ES_CENTER;
    else if (textStyle & DT_RIGHT) style |= ES_RIGHT;
    if (m_owner->IsPasswordMode()) style |= ES_PASSWORD;
    if (!CreateWithRect(manager->GetWindowHandle(), nullptr, style, 0, pos)) return false;
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(m_owner->GetFont())), TRUE);
    ::SendMessageW(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(m_owner->GetMaxChar()), 0);
    if (m_owner->IsPasswordMode()) ::SendMessageW(m_hWnd, EM_SETPASSWORDCHAR, m_owner->GetPasswordChar(), 0);
    const CUIString text = m_owner->GetText();
    ::SetWindowTextW(m_hWnd, text);
    ::SendMessageW(m_hWnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageW(m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::EnableWindow(m_hWnd, m_owner->IsEnabled());
    ::SendMessageW(m_hWnd, EM_SETREADONLY, m_owner->IsReadOnly(), 0);
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | static_cast<LONG>(m_owner->GetWindowStyles()));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    // The window losing the keyboard focus runs handlers that may delete the box or close this window: the
    // object stays until this call ends, and a window let go of meanwhile is left alone.
    const HandlerScope keep(m_hWnd);
    ::SetFocus(m_hWnd);
    if (!m_owner || !m_hWnd) return true;
    const int length = text.GetLength();
    if (m_owner->IsAutoSelAll()) ::SendMessageW(m_hWnd, EM_SETSEL, 0, length > 0 ? length : 1);
    else ::SendMessageW(m_hWnd, EM_SETSEL, length, length);
    m_initialised = true;
    return true;
}

LRESULT CEditWnd::OnEditChanged(WPARAM wParam, LPARAM lParam)
{
    const UINT code = HIWORD(wParam);
    if (code == EN_UPDATE) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return 0;
    }
    if (code != EN_CHANGE) return ::CallWindowProcW(m_oldWndProc, m_hWnd, kReflectedCommand, wParam, lParam);
    if (!m_initialised || !m_owner) return 0;
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    m_owner->StoreTextFromWindow(text.data());
    CWindowUIManager* manager = m_owner->GetManager();
    if (!manager) return 0;
    manager->SendNotify(m_owner, L"textchanged");
    if (m_owner && manager->IsLayered()) m_owner->Invalidate();
    return 0;
}

LRESULT CEditWnd::OnColor(HDC hdc)
{
    if (!m_owner) return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, CPainter::ToColorRef(m_owner->GetTextColor()));
    const DWORD background = m_owner->GetNativeEditBkColor();
    if ((background >> 24) < 0xFF) {
        // Translucent: the window's own drawing under the edit shows through.
        RECT pos = {};
        ::GetWindowRect(m_hWnd, &pos);
        ::MapWindowPoints(HWND_DESKTOP, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&pos), 2);
        HBITMAP under = CPainter::GenerateBitmap(m_owner->GetManager(), pos, nullptr, background);
        if (m_brush) ::DeleteObject(m_brush);
        m_brush = under ? ::CreatePatternBrush(under) : nullptr;
        if (under) ::DeleteObject(under);
        return reinterpret_cast<LRESULT>(m_brush);
    }
    if (!m_brush) m_brush = ::CreateSolidBrush(CPainter::ToColorRef(background));
    return reinterpret_cast<LRESULT>(m_brush);
}

LRESULT CEditWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_KILLFOCUS: {
        const LRESULT result = ::CallWindowProcW(m_oldWndProc, m_hWnd, msg, wParam, lParam);
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return result;
    }
    case kReflectedCommand:
        return OnEditChanged(wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN && m_owner && m_owner->GetManager()) {
            m_owner->GetManager()->SendNotify(m_owner, L"return");
            return 0;
        }
        if (wParam == VK_TAB) {
            if (m_owner && m_owner->GetManager() && m_owner->GetManager()->IsLayered())
                m_owner->GetManager()->MoveFocusToNextTabStop(true);
            return 0;
        }
        break;
    case WM_CHAR:
        // The tab and return keys were handled at key down; the edit control must not insert them.
        if (wParam == L'\t' || wParam == L'\r') return 0;
        break;
    case kReflectedColorEdit:
    case kReflectedColorStatic:
        return OnColor(reinterpret_cast<HDC>(wParam));
    default:
        break;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CEditWnd::OnFinalMessage(HWND hwnd)
{
    if (m_owner) {
        m_owner->Invalidate();
        if (CWindowUIManager* manager = m_owner->GetManager(); manager && manager->IsLayered())
            manager->RemoveNativeWindow(hwnd);
        m_owner->OnNativeWindowClosed();
    }
    delete this;
}

}  // namespace SkinUI
