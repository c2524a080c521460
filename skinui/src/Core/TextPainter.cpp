#include "Core/Painter.h"

#include "Core/WindowUIManager.h"

#include "Core/GdiplusHeaders.h"

#include <cwchar>

namespace SkinUI {
namespace {

// "&#x4E2D;" names one character: at most four digits, a trailing blank and ';' dropped.
wchar_t EntityCharacter(const wchar_t* entity)
{
    CUIString digits = CUIString(entity).Left(4);
    if (digits.GetLength() > 0 && digits.GetAt(digits.GetLength() - 1) == L' ')
        digits = digits.Left(digits.GetLength() - 1);
    if (digits.GetLength() > 0 && digits.GetAt(digits.GetLength() - 1) == L';')
        digits = digits.Left(digits.GetLength() - 1);
    return static_cast<wchar_t>(wcstoul(digits, nullptr, 16));
}

void DrawTextGdi(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color, int font, UINT style)
{
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, CPainter::ToColorRef(color));
    HGDIOBJ old = ::SelectObject(hdc, manager->GetFont(font));
    if (const wchar_t* entity = wcsstr(text, L"&#x")) {
        const wchar_t single[2] = {EntityCharacter(entity + 3), L'\0'};
        ::DrawTextW(hdc, single, 1, &rc, style);
    } else {
        ::DrawTextW(hdc, text, -1, &rc, style);
    }
    ::SelectObject(hdc, old);
}

void DrawTextGdiplus(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color, int font,
                     UINT style)
{
    HGDIOBJ old = ::SelectObject(hdc, manager->GetFont(font));
    Gdiplus::Graphics graphics(hdc);
    Gdiplus::Font gdiFont(hdc);
    const int hint = manager->GetGdiplusTextRenderingHint();
    graphics.SetTextRenderingHint(static_cast<Gdiplus::TextRenderingHint>(hint >= 0 && hint <= 5 ? hint : 0));
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    Gdiplus::SolidBrush brush(Gdiplus::Color(254, GetBValue(color), GetGValue(color), GetRValue(color)));
    std::unique_ptr<Gdiplus::StringFormat> format(Gdiplus::StringFormat::GenericTypographic()->Clone());
    if (style & DT_END_ELLIPSIS) format->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    INT flags = format->GetFormatFlags();
    if (style & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
    if (style & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
    format->SetFormatFlags(flags);
    if (style & DT_CENTER) format->SetAlignment(Gdiplus::StringAlignmentCenter);
    else if (style & DT_RIGHT) format->SetAlignment(Gdiplus::StringAlignmentFar);
    else format->SetAlignment(Gdiplus::StringAlignmentNear);
    if (style & DT_VCENTER) format->SetLineAlignment(Gdiplus::StringAlignmentCenter);
    else if (style & DT_BOTTOM) format->SetLineAlignment(Gdiplus::StringAlignmentFar);
    else format->SetLineAlignment(Gdiplus::StringAlignmentNear);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                                static_cast<Gdiplus::REAL>(rc.right - rc.left),
                                static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
    if (style & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        graphics.MeasureString(text, -1, &gdiFont, layout, format.get(), &bounds);
        rc.right = rc.left + static_cast<LONG>(bounds.Width) + 1;
        rc.bottom = rc.top + static_cast<LONG>(bounds.Height) + 1;
    } else {
        graphics.DrawString(text, -1, &gdiFont, layout, format.get(), &brush);
    }
    ::SelectObject(hdc, old);
}

}  // namespace

void CPainter::DrawText(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color, int font,
                        UINT style)
{
    if (!hdc || !manager || !text) return;
    if (manager->IsLayered() || manager->IsUseGdiplusText()) DrawTextGdiplus(hdc, manager, rc, text, color, font, style);
    else DrawTextGdi(hdc, manager, rc, text, color, font, style);
}

void CPainter::DrawPlainOrHtmlText(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color,
                                   int font, UINT style, bool html)
{
    if (!html) {
        DrawText(hdc, manager, rc, text, color, font, style);
        return;
    }
    int links = 0;
    DrawHtmlText(hdc, manager, rc, text, color, nullptr, nullptr, links, font, style);
}

}  // namespace SkinUI
