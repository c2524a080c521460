#include "Control/UISlider.h"

#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <cwchar>
#include <cwctype>

namespace SkinUI {

CSliderUI::CSliderUI() { m_textStyle = DT_SINGLELINE | DT_CENTER; }

void* CSliderUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Slider") == 0) return this;
    return CProgressUI::GetInterface(name);
}

void CSliderUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

SIZE CSliderUI::ScaledThumbSize() const
{
    return m_manager ? m_manager->GetDpiScaler()->ScaleSize(m_thumbSize.cx, m_thumbSize.cy) : m_thumbSize;
}

RECT CSliderUI::GetThumbRect() const
{
    const SIZE thumb = ScaledThumbSize();
    const RECT& rc = m_rcItem;
    const ValueRange range = GetNormalisedRange();
    const long long min = range.min;
    // The normalised range spans at least one step.
    const long long span = range.max - min;
    const long long offset = range.value - min;
    RECT result;
    if (IsHorizontal()) {
        const int track = rc.right - rc.left - thumb.cx;
        result.left = rc.left + static_cast<LONG>(MulDiv64(offset, track, span));
        result.top = rc.top + (rc.bottom - rc.top - thumb.cy) / 2;
    } else {
        result.left = rc.left + (rc.right - rc.left - thumb.cx) / 2;
        const int bottom = rc.bottom - static_cast<LONG>(MulDiv64(rc.bottom - rc.top - thumb.cy, offset, span));
        result.top = bottom - thumb.cy;
    }
    result.right = result.left + thumb.cx;
    result.bottom = result.top + thumb.cy;
    return result;
}

int CSliderUI::ValueAtPoint(POINT pt) const
{
    // The item is in window pixels, so the thumb is taken at the window's scale too.
    const SIZE thumb = ScaledThumbSize();
    const RECT& rc = m_rcItem;
    const ValueRange range = GetNormalisedRange();
    const int min = range.min;
    const int max = range.max;
    const long long span = static_cast<long long>(max) - min;
    // A point strictly between the two ends leaves a track at least one pixel long.
    if (IsHorizontal()) {
        const int half = thumb.cx / 2;
        const int track = rc.right - rc.left - thumb.cx;
        if (pt.x >= rc.right - half) return max;
        if (pt.x > rc.left + half) return ClampToInt(min + MulDiv64(span, pt.x - half - rc.left, track));
        return min;
    }
    const int half = thumb.cy / 2;
    const int track = rc.bottom - rc.top - thumb.cy;
    if (pt.y >= rc.bottom - half) return min;
    if (pt.y > rc.top + half) return ClampToInt(min + MulDiv64(span, rc.bottom - half - pt.y, track));
    return max;
}

void CSliderUI::SetValueAtPoint(POINT pt)
{
    // The value is moved within the range the thumb is drawn in, also when it was left outside it.
    NormaliseRange();
    SetValue(ValueAtPoint(pt));
}

bool CSliderUI::Notify(const wchar_t* type)
{
    const auto alive = WatchLifetime();
    if (m_manager) m_manager->SendNotify(this, type, 0, 0);
    return !alive.expired();
}

void CSliderUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CLabelUI::HandleEvent(event); })) return;
    switch (event.Type) {
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
        if (!IsEnabled()) break;
        m_buttonState |= kCaptured;
        SetValueAtPoint(event.ptMouse);
        UpdateText();
        return;
    case EVT_BUTTONUP:
    case EVT_RBUTTONUP:
        if (!IsEnabled()) break;
        m_buttonState &= ~kCaptured;
        SetValueAtPoint(event.ptMouse);
        if (!Notify(L"valuechanged")) return;
        Invalidate();
        UpdateText();
        return;
    case EVT_CONTEXTMENU:
        return;
    case EVT_KILLFOCUS:
        // A press that ends without its release leaves the value where the drag had put it.
        if (m_buttonState & kCaptured) {
            m_buttonState &= ~kCaptured;
            Invalidate();
        }
        break;
    case EVT_SCROLLWHEEL:
        if (!IsEnabled()) break;
        if (!(m_buttonState & kCaptured)) {
            NormaliseRange();
            const bool down = static_cast<short>(HIWORD(event.wParam)) < 0;
            const long long step = m_step;
            SetValue(ClampToInt(GetValue() + (down ? -step : step)));
        }
        Notify(L"valuechanged");
        return;
    case EVT_SETCURSOR:
        if (!IsEnabled()) break;
        if (const RECT thumb = GetThumbRect(); ::PtInRect(&thumb, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case EVT_MOUSEMOVE: {
        if (m_buttonState & kCaptured) {
            SetValueAtPoint(event.ptMouse);
            if (m_sendMove) {
                UpdateText();
                if (!Notify(L"movevaluechanged")) return;
            }
            Invalidate();
        }
        const RECT thumb = GetThumbRect();
        if (IsEnabled() && ::PtInRect(&thumb, event.ptMouse)) {
            m_buttonState |= kHot;
            Invalidate();
            return;
        }
        m_buttonState &= ~kHot;
        Invalidate();
        return;
    }
    case EVT_MOUSELEAVE:
        if (IsEnabled()) {
            m_buttonState &= ~kHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CSliderUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    struct ImageAttribute {
        const wchar_t* name;
        CUIString CSliderUI::*field;
    };
    static const ImageAttribute images[] = {
        {L"thumbimage", &CSliderUI::m_thumbImage},
        {L"thumbhotimage", &CSliderUI::m_thumbHotImage},
        {L"thumbpushedimage", &CSliderUI::m_thumbPushedImage},
        {L"thumbfocusedimage", &CSliderUI::m_thumbFocusedImage},
    };
    for (const ImageAttribute& image : images) {
        if (_wcsicmp(name, image.name) != 0) continue;
        this->*image.field = value;
        Invalidate();
        return;
    }
    struct ColorAttribute {
        const wchar_t* name;
        DWORD CSliderUI::*field;
    };
    static const ColorAttribute colors[] = {
        {L"thumbcolor", &CSliderUI::m_thumbColor},
        {L"disabledthumbcolor", &CSliderUI::m_disabledThumbColor},
        {L"hotthumbcolor", &CSliderUI::m_hotThumbColor},
        {L"focusedthumbcolor", &CSliderUI::m_focusedThumbColor},
    };
    for (const ColorAttribute& color : colors) {
        if (_wcsicmp(name, color.name) != 0) continue;
        this->*color.field = ParseColorValue(value);
        Invalidate();
        return;
    }
    if (_wcsicmp(name, L"thumbsize") == 0) {
        wchar_t* end = nullptr;
        m_thumbSize.cx = static_cast<LONG>(std::wcstol(value, &end, 10));
        m_thumbSize.cy = end && *end ? static_cast<LONG>(std::wcstol(end + 1, nullptr, 10)) : 0;
    } else if (_wcsicmp(name, L"step") == 0) {
        m_step = _wtoi(value);
    } else if (_wcsicmp(name, L"sendmove") == 0) {
        m_sendMove = ParseBool(value);
    } else if (_wcsicmp(name, L"bkcolorwidth") == 0) {
        m_bandWidth = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"bkcolorheight") == 0) {
        m_bandHeight = _wtoi(value);
        Invalidate();
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

void CSliderUI::RefreshState()
{
    if (IsFocused()) m_buttonState |= kFocused;
    else m_buttonState &= ~kFocused;
    if (!IsEnabled()) m_buttonState |= kDisabled;
    else m_buttonState &= ~kDisabled;
}

void CSliderUI::PaintBackgroundColor(HDC hdc)
{
    const RECT item = m_rcItem;
    const RECT paint = m_rcPaint;
    if (IsHorizontal() && m_bandHeight >= 0) {
        const int band = Scaled(m_bandHeight);
        m_rcItem.top = item.top + (item.bottom - item.top - band) / 2;
        m_rcItem.bottom = m_rcItem.top + band;
    } else if (!IsHorizontal() && m_bandWidth >= 0) {
        const int band = Scaled(m_bandWidth);
        m_rcItem.left = item.left + (item.right - item.left - band) / 2;
        m_rcItem.right = m_rcItem.left + band;
    }
    ::IntersectRect(&m_rcPaint, &paint, &m_rcItem);
    CControlUI::PaintBackgroundColor(hdc);
    m_rcItem = item;
    m_rcPaint = paint;
}

void CSliderUI::PaintForegroundColor(HDC hdc)
{
    NormaliseRange();
    RefreshState();
    DWORD color = 0;
    if (m_buttonState & kDisabled) color = m_disabledThumbColor;
    else if (m_buttonState & kCaptured) color = m_pushedThumbColor;
    else if (m_buttonState & kHot) color = m_hotThumbColor;
    else if (m_buttonState & kFocused) color = m_focusedThumbColor;
    if (color == 0) color = m_thumbColor;
    if (color == 0) return;
    CPainter::FillColor(hdc, GetThumbRect(), GetAdjustedColor(color));
}

void CSliderUI::PaintForegroundImage(HDC hdc)
{
    NormaliseRange();
    RECT thumb = GetThumbRect();
    ::OffsetRect(&thumb, -m_rcItem.left, -m_rcItem.top);
    if (m_manager) m_manager->GetDpiScaler()->UnscaleRect(thumb);
    m_imageModify.Format(L"dest='%d,%d,%d,%d'", thumb.left, thumb.top, thumb.right, thumb.bottom);
    const CUIString* chosen = nullptr;
    if (m_buttonState & kCaptured) chosen = &m_thumbPushedImage;
    else if (m_buttonState & kHot) chosen = &m_thumbHotImage;
    else if (m_buttonState & kFocused) chosen = &m_thumbFocusedImage;
    if (chosen && !chosen->IsEmpty() && DrawImage(hdc, *chosen, m_imageModify)) return;
    if (!m_thumbImage.IsEmpty()) DrawImage(hdc, m_thumbImage, m_imageModify);
}

}  // namespace SkinUI
