#include "Control/UIGroupBox.h"

#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr int kFrameInset = 5;
constexpr int kCaptionIndent = 15;
constexpr int kFallbackFontHeight = 20;

RECT Deflated(const RECT& rc, int by) { return RECT{rc.left + by, rc.top + by, rc.right - by, rc.bottom - by}; }

}  // namespace

CGroupBoxUI::CGroupBoxUI() { SetInset(RECT{20, 25, 20, 20}); }

void* CGroupBoxUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"GroupBox") == 0) return this;
    return CVerticalLayoutUI::GetInterface(name);
}

void CGroupBoxUI::SettleDefaultColors()
{
    if (!m_manager) return;
    if (m_textColor == 0) m_textColor = m_manager->GetDefaultFontColor();
    if (m_disabledTextColor == 0) m_disabledTextColor = m_manager->GetDefaultDisabledColor();
}

RECT CGroupBoxUI::CaptionRect(HDC hdc, const RECT& frame) const
{
    const CUIString text = GetText();
    int fontHeight = kFallbackFontHeight;
    if (m_manager) {
        if (const FontInfo* font = m_manager->GetFontInfo(m_font); font && font->tm.tmHeight > 0)
            fontHeight = font->tm.tmHeight;
    }
    const LONG width = std::max<LONG>(frame.right - frame.left, GetFixedXY().cx);
    RECT measured = {0, 0, width, fontHeight};
    if (hdc && m_manager && !text.IsEmpty())
        CPainter::DrawText(hdc, m_manager, measured, text, m_textColor, m_font, m_textStyle | DT_CALCRECT);
    const LONG w = measured.right - measured.left;
    const LONG h = measured.bottom - measured.top;
    RECT caption;
    caption.left = frame.left + kCaptionIndent + m_textPadding.left;
    caption.top = frame.top - m_textPadding.top;
    caption.right = caption.left + m_textPadding.right + w;
    caption.bottom = caption.top + m_textPadding.bottom + h;
    return caption;
}

void CGroupBoxUI::PaintText(HDC hdc)
{
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    SettleDefaultColors();
    RECT caption = CaptionRect(hdc, Deflated(m_rcItem, kFrameInset));
    CPainter::DrawText(hdc, m_manager, caption, text, IsEnabled() ? m_textColor : m_disabledTextColor, m_font,
                       m_textStyle);
}

void CGroupBoxUI::PaintBorder(HDC hdc)
{
    const int width = GetBorderSize().left;
    if (width < 1) return;
    const RECT frame = Deflated(m_rcItem, kFrameInset);
    const RECT caption = GetText().IsEmpty() ? RECT{0, 0, 0, 0} : CaptionRect(hdc, frame);
    const SIZE round = GetBorderRound();
    const int top = frame.top + (caption.bottom - caption.top) / 2;
    HRGN outer = ::CreateRoundRectRgn(frame.left, top, frame.right, frame.bottom, round.cx, round.cy);
    HRGN inner = ::CreateRoundRectRgn(frame.left + width, top + width, frame.right - width, frame.bottom - width,
                                      round.cx, round.cy);
    HRGN cut = ::CreateRectRgnIndirect(&caption);
    ::CombineRgn(outer, outer, inner, RGN_XOR);
    ::CombineRgn(outer, outer, cut, RGN_DIFF);
    const DWORD color = IsFocused() && GetFocusBorderColor() ? GetFocusBorderColor() : GetBorderColor();
    HBRUSH brush = ::CreateSolidBrush(CPainter::ToColorRef(GetAdjustedColor(color)));
    ::FillRgn(hdc, outer, brush);
    ::DeleteObject(brush);
    ::DeleteObject(cut);
    ::DeleteObject(inner);
    ::DeleteObject(outer);
}

void CGroupBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"textcolor") == 0) {
        m_textColor = ParseColorValue(value);
        Invalidate();
    } else if (_wcsicmp(name, L"disabledtextcolor") == 0) {
        m_disabledTextColor = ParseColorValue(value);
        Invalidate();
    } else if (_wcsicmp(name, L"font") == 0) {
        m_font = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"textpadding") == 0) {
        m_textPadding = ParseRectValue(value);
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}

}  // namespace SkinUI
