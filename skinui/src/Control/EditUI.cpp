#include "Control/EditUI.h"

#include "Control/EditWnd.h"
#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/TextResources.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <cwchar>

namespace SkinUI {

CEditUI::CEditUI()
{
    m_textPadding = RECT{4, 3, 4, 3};
    m_bkColor = 0xFFFFFFFF;
}

CEditUI::~CEditUI() { ReleaseManagerReferences(); }

void* CEditUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Edit") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? CONTROL_FLAG_TABSTOP | CONTROL_FLAG_SETCURSOR : 0u; }

HWND CEditUI::GetNativeWindow() const { return m_window.GetHWND(); }

void CEditUI::SetText(const wchar_t* text)
{
    // The open box's change reaches the application's "textchanged" handler, which may close the window.
    const auto keepWindow = KeepWindowWhileActing();
    m_text = text;
    if (m_window.Get()) ::SetWindowTextW(m_window.GetHWND(), m_text);
    Invalidate();
}

void CEditUI::SetReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly) return;
    m_readOnly = readOnly;
    if (m_window.Get()) ::SendMessageW(m_window.GetHWND(), EM_SETREADONLY, m_readOnly, 0);
    Invalidate();
}

void CEditUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    if (!m_window.Get()) return;
    const RECT pos = m_window.Get()->CalcPos();
    ::SetWindowPos(m_window.GetHWND(), nullptr, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditUI::Move(SIZE offset, bool invalidate)
{
    CControlUI::Move(offset, invalidate);
    if (!m_window.Get()) return;
    const RECT pos = m_window.Get()->CalcPos();
    ::SetWindowPos(m_window.GetHWND(), nullptr, pos.left, pos.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void CEditUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The box it is typed in belongs to the window it leaves, which lets go of the control first: closing
    // the box hands that window its focus back.
    if (manager != m_manager) {
        ReleaseManagerReferences();
        m_window.Close();
    }
    CLabelUI::SetManager(manager, parent, runInit);
}

void CEditUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (alive.expired()) return;
    m_window.ReleaseFocusWhenHidden(*this, IsVisible());
}

void CEditUI::SetInternalVisible(bool visible)
{
    m_window.ReleaseFocusWhenHidden(*this, visible);
}

void CEditUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CEditUI::OpenWindow() { m_window.Open(this); }

void CEditUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CLabelUI::HandleEvent(event); })) return;
    switch (event.Type) {
    case EVT_SETCURSOR:
        if (!IsEnabled()) break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case EVT_WINDOWSIZE:
        if (m_window.Get() && m_manager) m_manager->SetFocusDeferred(this);
        break;
    case EVT_SCROLLWHEEL:
        if (m_window.Get()) return;
        break;
    case EVT_SETFOCUS:
        if (!IsEnabled()) break;
        if (m_window.Get()) return;
        {
            // Opening hands the keyboard focus to the field's window, whose loser's handlers may delete the box.
            const auto alive = WatchLifetime();
            OpenWindow();
            if (alive.expired()) return;
        }
        Invalidate();
        break;
    case EVT_KILLFOCUS:
        if (IsEnabled()) Invalidate();
        break;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
    case EVT_RBUTTONDOWN: {
        if (!IsEnabled()) break;
        if (m_manager) m_manager->ReleaseCapture();
        if (IsFocused() && !m_window.Get()) {
            const auto alive = WatchLifetime();
            OpenWindow();
            if (alive.expired()) return;
            if (m_window.Get() && ::PtInRect(&m_rcItem, event.ptMouse)) {
                const int length = m_text.GetLength();
                ::SendMessageW(m_window.GetHWND(), EM_SETSEL, 0, length > 0 ? length : 1);
            }
        } else if (m_window.Get() && !m_autoSelectAll) {
            const RECT padding = GetTextPadding();
            const POINT pt = {event.ptMouse.x - m_rcItem.left - padding.left, event.ptMouse.y - m_rcItem.top - padding.top};
            ::SendMessageW(m_window.GetHWND(), EM_SETSEL, 0, 0);
            ::SendMessageW(m_window.GetHWND(), WM_LBUTTONDOWN, event.wParam, MAKELPARAM(pt.x, pt.y));
        }
        return;
    }
    case EVT_MOUSEMOVE:
    case EVT_BUTTONUP:
    case EVT_CONTEXTMENU:
        return;
    case EVT_MOUSEENTER:
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled() && !(m_buttonState & CFieldStateImages::kHot)) {
            m_buttonState |= CFieldStateImages::kHot;
            Invalidate();
        }
        break;
    case EVT_MOUSELEAVE:
        if (IsEnabled()) {
            m_buttonState &= ~CFieldStateImages::kHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    HWND window = GetNativeWindow();
    if (_wcsicmp(name, L"readonly") == 0) {
        SetReadOnly(ParseBool(value));
    } else if (_wcsicmp(name, L"numberonly") == 0) {
        if (ParseBool(value)) m_windowStyles |= ES_NUMBER;
        else m_windowStyles &= ~static_cast<DWORD>(ES_NUMBER);
    } else if (wcscmp(name, L"autoselall") == 0) {
        m_autoSelectAll = wcscmp(value, L"true") == 0;
    } else if (_wcsicmp(name, L"password") == 0) {
        if (m_passwordMode == ParseBool(value)) return;
        m_passwordMode = ParseBool(value);
        Invalidate();
        if (window) {
            const LONG style = ::GetWindowLongW(window, GWL_STYLE);
            ::SetWindowLongW(window, GWL_STYLE, m_passwordMode ? style | ES_PASSWORD : style & ~ES_PASSWORD);
        }
    } else if (_wcsicmp(name, L"passwordchar") == 0) {
        if (m_passwordChar == value[0]) return;
        m_passwordChar = value[0];
        if (window) ::SendMessageW(window, EM_SETPASSWORDCHAR, m_passwordChar, 0);
        Invalidate();
    } else if (_wcsicmp(name, L"maxchar") == 0) {
        m_maxChar = _wtoi(value);
        if (window) ::SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(m_maxChar), 0);
    } else if (m_stateImages.SetAttribute(name, value)) {
        Invalidate();
    } else if (_wcsicmp(name, L"tipvalue") == 0) {
        m_tipValue = value;
    } else if (_wcsicmp(name, L"tipvaluecolor") == 0) {
        m_tipValueColor = ParseColorValue(value);
    } else if (_wcsicmp(name, L"nativebkcolor") == 0) {
        m_nativeBkColor = ParseColorValue(value);
    } else if (_wcsicmp(name, L"nativetextcolor") == 0) {
        m_nativeTextColor = ParseColorValue(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

SIZE CEditUI::CalcDesiredSize(SIZE available)
{
    if (GetFixedHeight() > 0) return CControlUI::CalcDesiredSize(available);
    const LONG textHeight = m_manager ? m_manager->GetFontInfo(m_font)->tm.tmHeight : 0;
    return SIZE{GetFixedWidth(), textHeight + 6};
}

CUIString CEditUI::GetTipValue() const
{
    if (!m_resourceText) return m_tipValue;
    CUIString text;
    CTextResources::GetInstance()->GetText(text, m_tipValue, nullptr);
    return text;
}

void CEditUI::PaintStateImage(HDC hdc) { m_stateImages.Paint(*this, hdc, m_buttonState); }

void CEditUI::PaintText(HDC hdc)
{
    SettleDefaultColors();
    const CUIString tip = GetTipValue();
    const CUIString text = GetText();
    CUIString shown;
    DWORD color = m_textColor;
    if (text.IsEmpty() || text == tip) {
        shown = tip;
        color = m_tipValueColor;
    } else if (m_passwordMode) {
        for (int i = 0; i < text.GetLength(); ++i) shown += m_passwordChar;
    } else {
        shown = text;
    }
    if (!IsEnabled()) color = m_disabledTextColor;
    if (shown.IsEmpty()) return;
    RECT rc = DeflateRectBy(m_rcItem, GetTextPadding());
    CPainter::DrawText(hdc, m_manager, rc, shown, color, m_font, m_textStyle | DT_SINGLELINE);
}

}  // namespace SkinUI
