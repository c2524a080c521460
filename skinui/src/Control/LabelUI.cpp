#include "Control/LabelUI.h"

#include "Core/AttributeValues.h"
#include "Core/ImageDrawInfo.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

void SetFlags(UINT& style, UINT set, UINT clear)
{
    style &= ~clear;
    style |= set;
}

}  // namespace

void* CLabelUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Label") == 0) return this;
    return CControlUI::GetInterface(name);
}

UINT CLabelUI::GetControlFlags() const { return IsEnabled() ? CONTROL_FLAG_SETCURSOR : 0u; }

void CLabelUI::SetText(const wchar_t* text)
{
    CControlUI::SetText(text);
    m_needsMeasure = true;
    if (m_autoWidth || m_autoHeight) RequestParentLayout();
}

void CLabelUI::HandleEvent(ControlEvent& event)
{
    if (event.Type == EVT_SETFOCUS || event.Type == EVT_KILLFOCUS) {
        m_focused = event.Type == EVT_SETFOCUS;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::SetTextColor(DWORD color)
{
    m_textColor = color;
    Invalidate();
}

RECT CLabelUI::GetTextPadding() const
{
    return m_manager ? m_manager->GetDpiScaler()->ScaleRectCopy(m_textPadding) : m_textPadding;
}

void CLabelUI::SetTextPadding(RECT padding)
{
    m_textPadding = padding;
    m_needsMeasure = true;
    Invalidate();
}

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"align") == 0) {
        if (wcsstr(value, L"left")) SetFlags(m_textStyle, 0, DT_CENTER | DT_RIGHT);
        if (wcsstr(value, L"center")) SetFlags(m_textStyle, DT_CENTER, DT_RIGHT);
        if (wcsstr(value, L"right")) SetFlags(m_textStyle, DT_RIGHT, DT_CENTER);
    } else if (_wcsicmp(name, L"valign") == 0) {
        if (wcsstr(value, L"top")) SetFlags(m_textStyle, DT_SINGLELINE, DT_VCENTER | DT_BOTTOM | DT_WORDBREAK);
        if (wcsstr(value, L"vcenter")) SetFlags(m_textStyle, DT_VCENTER | DT_SINGLELINE, DT_BOTTOM | DT_WORDBREAK);
        if (wcsstr(value, L"bottom")) SetFlags(m_textStyle, DT_BOTTOM | DT_SINGLELINE, DT_VCENTER | DT_WORDBREAK);
    } else if (_wcsicmp(name, L"endellipsis") == 0) {
        if (ParseBool(value)) SetFlags(m_textStyle, DT_END_ELLIPSIS, 0);
        else SetFlags(m_textStyle, 0, DT_END_ELLIPSIS);
    } else if (_wcsicmp(name, L"wordbreak") == 0) {
        if (ParseBool(value)) SetFlags(m_textStyle, DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE);
        else SetFlags(m_textStyle, DT_SINGLELINE, DT_WORDBREAK | DT_EDITCONTROL);
    } else if (_wcsicmp(name, L"noprefix") == 0) {
        if (ParseBool(value)) SetFlags(m_textStyle, DT_NOPREFIX, 0);
        else SetFlags(m_textStyle, 0, DT_NOPREFIX);
    } else if (_wcsicmp(name, L"font") == 0) {
        m_font = _wtoi(value);
        m_needsMeasure = true;
        Invalidate();
    } else if (_wcsicmp(name, L"textcolor") == 0) {
        SetTextColor(ParseColorValue(value));
    } else if (_wcsicmp(name, L"disabledtextcolor") == 0) {
        m_disabledTextColor = ParseColorValue(value);
        Invalidate();
    } else if (_wcsicmp(name, L"textpadding") == 0) {
        SetTextPadding(ParseRectValue(value));
    } else if (_wcsicmp(name, L"showhtml") == 0) {
        if (m_showHtml == ParseBool(value)) return;
        m_showHtml = ParseBool(value);
        m_needsMeasure = true;
        Invalidate();
    } else if (_wcsicmp(name, L"autocalcwidth") == 0) {
        SetAutoCalcWidth(ParseBool(value));
    } else if (_wcsicmp(name, L"autocalcheight") == 0) {
        SetAutoCalcHeight(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

SIZE CLabelUI::CalcDesiredSize(SIZE available)
{
    const int fixedWidth = GetFixedWidth(), fixedHeight = GetFixedHeight();
    if (fixedWidth > 0 && fixedHeight > 0) return SIZE{fixedWidth, fixedHeight};
    if (available.cx == m_lastAvailable.cx && available.cy == m_lastAvailable.cy && !m_needsMeasure)
        return m_lastDesired;
    m_lastAvailable = available;
    m_needsMeasure = false;
    const CUIString text = GetText();
    const RECT padding = GetTextPadding();
    const UINT measureStyle = (m_textStyle | DT_CALCRECT) & ~static_cast<UINT>(DT_CENTER | DT_RIGHT);
    HDC dc = m_manager ? m_manager->GetDeviceContext() : nullptr;
    const auto measure = [&](RECT rc) {
        if (!dc) return rc;
        CPainter::DrawPlainOrHtmlText(dc, m_manager, rc, text, 0, m_font, measureStyle, m_showHtml);
        return rc;
    };
    SIZE size = {0, 0};
    if ((m_textStyle & DT_SINGLELINE) == 0) {
        size.cx = fixedWidth > 0 ? std::min<LONG>(fixedWidth, available.cx) : available.cx;
        if (fixedHeight > 0) {
            size.cy = std::min<LONG>(fixedHeight, available.cy);
        } else if (m_autoHeight) {
            const RECT measured = measure(RECT{padding.left, 0, size.cx - padding.right, 9999});
            size.cy = measured.bottom - measured.top + padding.top + padding.bottom;
        } else {
            size.cy = available.cy;
        }
    } else {
        if (fixedHeight > 0) {
            size.cy = std::min<LONG>(fixedHeight, available.cy);
        } else {
            const FontInfo* font = m_manager ? m_manager->GetFontInfo(m_font) : nullptr;
            size.cy = (font ? font->tm.tmHeight : 0) + 8 + padding.top + padding.bottom;
        }
        if (fixedWidth > 0) {
            size.cx = std::min<LONG>(fixedWidth, available.cx);
        } else if (m_autoWidth) {
            const RECT measured = measure(RECT{0, 0, 9999, size.cy});
            size.cx = measured.right - measured.left + padding.left + padding.right;
        } else {
            size.cx = available.cx;
        }
    }
    m_lastDesired = size;
    return size;
}

void CLabelUI::SettleDefaultColors()
{
    if (!m_manager) return;
    if (m_textColor == 0) m_textColor = m_manager->GetDefaultFontColor();
    if (m_disabledTextColor == 0) m_disabledTextColor = m_manager->GetDefaultDisabledColor();
}

void CLabelUI::DrawLabelText(HDC hdc, DWORD color, int font)
{
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    RECT rc = DeflateRectBy(m_rcItem, GetTextPadding());
    CPainter::DrawPlainOrHtmlText(hdc, m_manager, rc, text, color, font, m_textStyle, m_showHtml);
}

void CLabelUI::PaintText(HDC hdc)
{
    SettleDefaultColors();
    DrawLabelText(hdc, IsEnabled() ? m_textColor : m_disabledTextColor, m_font);
}

}  // namespace SkinUI
