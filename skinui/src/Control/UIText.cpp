#include "Control/UIText.h"

#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <cwchar>

namespace SkinUI {

CTextUI::CTextUI()
{
    m_textStyle = DT_WORDBREAK;
    m_textPadding = RECT{2, 0, 2, 0};
}

void* CTextUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Text") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CTextUI::GetControlFlags() const
{
    return IsEnabled() && m_linkCount > 0 ? static_cast<UINT>(CONTROL_FLAG_SETCURSOR) : 0u;
}

int CTextUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_linkCount; ++i)
        if (::PtInRect(&m_linkRects[i], pt)) return i;
    return -1;
}

void CTextUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CLabelUI::HandleEvent(event); })) return;
    const int link = LinkAt(event.ptMouse);
    switch (event.Type) {
    case EVT_SETCURSOR:
        if (link >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
        if (IsEnabled() && link >= 0) {
            Invalidate();
            return;
        }
        break;
    case EVT_BUTTONUP:
        if (IsEnabled() && link >= 0) {
            if (m_manager) m_manager->SendNotify(this, L"link", static_cast<WPARAM>(link));
            return;
        }
        break;
    case EVT_CONTEXTMENU:
        return;
    case EVT_MOUSEMOVE:
        if (IsEnabled() && m_linkCount > 0 && link != m_hoveredLink) {
            m_hoveredLink = link;
            Invalidate();
            return;
        }
        break;
    case EVT_MOUSELEAVE:
        if (IsEnabled() && m_linkCount > 0 && m_hoveredLink >= 0) {
            m_hoveredLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

SIZE CTextUI::CalcDesiredSize(SIZE available)
{
    const RECT padding = GetTextPadding();
    HDC dc = m_manager ? m_manager->GetDeviceContext() : nullptr;
    if (dc) {
        const int boxWidth = m_autoWidth ? 9999 : GetFixedWidth();
        RECT rc = {0, 0, boxWidth - padding.left - padding.right, 9999};
        const CUIString text = GetText();
        CPainter::DrawPlainOrHtmlText(dc, m_manager, rc, text, 0, m_font, m_textStyle | DT_CALCRECT, m_showHtml);
        if (m_autoWidth) {
            const int width = rc.right - rc.left + padding.left + padding.right;
            m_fixedWidth = m_manager->GetDpiScaler()->Unscale(width);
        }
    }
    return CControlUI::CalcDesiredSize(available);
}

void CTextUI::PaintText(HDC hdc)
{
    const CUIString text = GetText();
    if (text.IsEmpty()) {
        m_linkCount = 0;
        return;
    }
    SettleDefaultColors();
    m_linkCount = kMaxLinks;
    RECT rc = DeflateRectBy(m_rcItem, GetTextPadding());
    const DWORD color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if (m_showHtml) {
        CPainter::DrawHtmlText(hdc, m_manager, rc, text, color, m_linkRects, m_linkTexts, m_linkCount, m_font,
                               m_textStyle);
    } else {
        m_linkCount = 0;
        CPainter::DrawText(hdc, m_manager, rc, text, color, m_font, m_textStyle);
    }
}

}  // namespace SkinUI
