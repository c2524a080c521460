#include "Control/UIListHeader.h"

#include "Control/ScrollBarUI.h"
#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr UINT kFocused = 1;
constexpr UINT kHot = 8;
constexpr UINT kPushed = 16;
constexpr UINT kCaptured = 64;
// The separator strip reacts a few pixels beyond its drawn width.
constexpr int kGripExtra = 4;

int DefaultFontHeight(CWindowUIManager* manager)
{
    const FontInfo* font = manager ? manager->GetDefaultFontInfo() : nullptr;
    return font ? font->tm.tmHeight : 0;
}

}  // namespace

void* CListHeaderUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListHeader") == 0) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CListHeaderUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"percentageheader") == 0) m_percentage = ParseBool(value);
    else CHorizontalLayoutUI::SetAttribute(name, value);
}

SIZE CListHeaderUI::CalcDesiredSize(SIZE available)
{
    SIZE size = {0, 0};
    for (int i = 0; i < m_items.GetSize(); ++i) {
        const SIZE item = static_cast<CControlUI*>(m_items[i])->CalcDesiredSize(available);
        size.cx += item.cx;
        size.cy = std::max(size.cy, item.cy);
    }
    if (GetFixedHeight() > 0) size.cy = GetFixedHeight();
    else size.cy = std::max<LONG>(size.cy, DefaultFontHeight(m_manager) + 6);
    return size;
}

int CListHeaderUI::ItemWidth(CControlUI* child, int total, SIZE available)
{
    if (!m_percentage) return child->CalcDesiredSize(available).cx;
    auto* item = static_cast<CListHeaderItemUI*>(child->GetInterface(L"ListHeaderItem"));
    if (!item) return 0;
    // Single precision as the percentages have always been worked out, but from a product that cannot overflow.
    const float width = static_cast<float>(item->GetPercent() * static_cast<double>(total) / 100.0);
    return ClampToInt(static_cast<long long>(width));
}

void CListHeaderUI::SetPos(RECT rc, bool invalidate)
{
    const auto placing = PlacingChildren();
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    const RECT inner = DeflateRectBy(m_rcItem, GetInset());
    int total = m_rcItem.right - m_rcItem.left;
    auto* parent = m_parent ? static_cast<CContainerUI*>(m_parent->GetInterface(L"Container")) : nullptr;
    if (parent && parent->GetVerticalScrollBar()) total -= parent->GetVerticalScrollBar()->GetFixedWidth();

    const int available = inner.right - inner.left;
    const SIZE space = {available, inner.bottom - inner.top};
    long long fixedTotal = 0;
    int stretchCount = 0, placedCount = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const int width = ItemWidth(child, total, space);
        if (width == 0) ++stretchCount;
        else fixedTotal += ClampMinThenMax(width, child->GetMinWidth(), child->GetMaxWidth());
        const RECT pad = child->GetPadding();
        fixedTotal += pad.left + pad.right;
        ++placedCount;
    }
    if (placedCount > 0) fixedTotal += static_cast<long long>(GetChildPadding()) * (placedCount - 1);
    const long long free = available - fixedTotal;
    const int share = stretchCount > 0 ? ClampToInt(std::max<long long>(0, free / stretchCount)) : 0;

    int x = inner.left, stretchSeen = 0;
    long long remaining = free;
    // A column's size event may delete this header: it stops there.
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildToLayOut(i);
        if (alive.expired()) return;
        if (!child) continue;
        int width = ItemWidth(child, total, space);
        if (width == 0) {
            ++stretchSeen;
            width = stretchSeen == stretchCount ? ClampToInt(std::max<long long>(0, remaining)) : share;
            remaining -= width;
        }
        width = ClampMinThenMax(width, child->GetMinWidth(), child->GetMaxWidth());
        const RECT pad = child->GetPadding();
        // Every item takes the header's inner height unless it fixes its own.
        int height = child->GetFixedHeight();
        if (height <= 0) height = std::max<int>(0, inner.bottom - inner.top - pad.top - pad.bottom);
        height = ClampMinThenMax(height, child->GetMinHeight(), child->GetMaxHeight());
        const int left = x + pad.left;
        child->SetPos(RECT{left, inner.top + pad.top, left + width, inner.top + pad.top + height}, false);
        if (alive.expired()) return;
        x = left + width + pad.right + GetChildPadding();
    }
}

CListHeaderItemUI::CListHeaderItemUI() { m_minWidth = 16; }

void* CListHeaderItemUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListHeaderItem") == 0) return this;
    return CContainerUI::GetInterface(name);
}

UINT CListHeaderItemUI::GetControlFlags() const
{
    return IsEnabled() && m_sepWidth != 0 ? static_cast<UINT>(CONTROL_FLAG_SETCURSOR) : 0u;
}

void CListHeaderItemUI::SetEnabled(bool enabled)
{
    CContainerUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CListHeaderItemUI::SetDragable(bool dragable)
{
    m_dragable = dragable;
    if (!dragable) m_buttonState &= ~kCaptured;
}

void CListHeaderItemUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const auto setStyle = [this](UINT set, UINT clear) { m_textStyle = (m_textStyle & ~clear) | set; };
    if (_wcsicmp(name, L"dragable") == 0) {
        SetDragable(ParseBool(value));
    } else if (_wcsicmp(name, L"sepwidth") == 0) {
        m_sepWidth = _wtoi(value);
    } else if (_wcsicmp(name, L"sepwidthadaptdpiscale") == 0) {
        m_sepWidthFollowsDpi = ParseBool(value);
    } else if (_wcsicmp(name, L"align") == 0) {
        if (wcsstr(value, L"left")) setStyle(0, DT_CENTER | DT_RIGHT);
        if (wcsstr(value, L"center")) setStyle(DT_CENTER, DT_RIGHT);
        if (wcsstr(value, L"right")) setStyle(DT_RIGHT, DT_CENTER);
    } else if (_wcsicmp(name, L"endellipsis") == 0) {
        if (ParseBool(value)) setStyle(DT_END_ELLIPSIS, 0);
        else setStyle(0, DT_END_ELLIPSIS);
    } else if (_wcsicmp(name, L"font") == 0) {
        m_font = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"textcolor") == 0) {
        m_textColor = ParseColorValue(value);
        Invalidate();
    } else if (_wcsicmp(name, L"textpadding") == 0) {
        m_textPadding = ParseRectValue(value);
        Invalidate();
    } else if (_wcsicmp(name, L"showhtml") == 0) {
        if (m_showHtml == ParseBool(value)) return;
        m_showHtml = ParseBool(value);
        Invalidate();
    } else if (_wcsicmp(name, L"normalimage") == 0) {
        m_normalImage = value;
        Invalidate();
    } else if (_wcsicmp(name, L"hotimage") == 0) {
        m_hotImage = value;
        Invalidate();
    } else if (_wcsicmp(name, L"pushedimage") == 0) {
        m_pushedImage = value;
        Invalidate();
    } else if (_wcsicmp(name, L"focusedimage") == 0) {
        m_focusedImage = value;
        Invalidate();
    } else if (_wcsicmp(name, L"sepimage") == 0) {
        m_sepImage = value;
        Invalidate();
    } else if (_wcsicmp(name, L"percent") == 0) {
        m_percent = _wtoi(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

SIZE CListHeaderItemUI::CalcDesiredSize(SIZE available)
{
    if (m_fixedHeight > 0) return CContainerUI::CalcDesiredSize(available);
    return SIZE{GetFixedWidth(), DefaultFontHeight(m_manager) + 14};
}

int CListHeaderItemUI::ScaledSepWidth() const { return m_sepWidthFollowsDpi ? Scaled(m_sepWidth) : m_sepWidth; }

RECT CListHeaderItemUI::GetThumbRect() const
{
    const int width = ScaledSepWidth();
    if (width >= 0) return RECT{m_rcItem.right - width, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - width, m_rcItem.bottom};
}

RECT CListHeaderItemUI::GetGripRect() const
{
    RECT rc = GetThumbRect();
    if (m_sepWidth >= 0) rc.left -= kGripExtra;
    else rc.right += kGripExtra;
    return rc;
}

void CListHeaderItemUI::EndPress()
{
    if (m_buttonState & kCaptured) {
        m_buttonState &= ~kCaptured;
        RequestParentLayout();
    } else if (m_buttonState & kPushed) {
        m_buttonState &= ~kPushed;
        Invalidate();
    }
}

void CListHeaderItemUI::DragTo(POINT pointer)
{
    const long long moved = static_cast<long long>(pointer.x) - m_pressPoint.x;
    const int width =
        ClampToInt(static_cast<long long>(m_pressWidth) + (m_sepWidth >= 0 ? moved : -moved));
    const int fitted = ClampMinThenMax(width, GetMinWidth(), GetMaxWidth());
    m_fixedWidth = m_manager ? m_manager->GetDpiScaler()->Unscale(fitted) : fitted;
    RequestParentLayout();
}

void CListHeaderItemUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CContainerUI::HandleEvent(event); })) return;
    switch (event.Type) {
    case EVT_SETFOCUS:
        Invalidate();
        return;
    case EVT_KILLFOCUS:
        // Also how a press ends that the window will not see released.
        EndPress();
        Invalidate();
        return;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK: {
        if (!IsEnabled()) return;
        const RECT grip = GetGripRect();
        if (!::PtInRect(&grip, event.ptMouse)) {
            m_buttonState |= kPushed;
            if (m_manager) m_manager->SendNotify(this, L"headerclick");
            Invalidate();
        } else if (m_dragable) {
            m_buttonState |= kCaptured;
            m_pressPoint = event.ptMouse;
            m_pressWidth = GetWidth();
        }
        return;
    }
    case EVT_BUTTONUP:
        EndPress();
        return;
    case EVT_MOUSEMOVE:
        if (m_buttonState & kCaptured) DragTo(event.ptMouse);
        return;
    case EVT_MOUSEENTER:
    case EVT_MOUSELEAVE:
        if (IsEnabled()) {
            if (event.Type == EVT_MOUSEENTER) m_buttonState |= kHot;
            else m_buttonState &= ~kHot;
            Invalidate();
        }
        return;
    case EVT_SETCURSOR: {
        const RECT grip = GetGripRect();
        if (IsEnabled() && m_dragable && ::PtInRect(&grip, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    }
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

void CListHeaderItemUI::PaintStateImage(HDC hdc)
{
    if (IsFocused()) m_buttonState |= kFocused;
    else m_buttonState &= ~kFocused;
    const CUIString* state = nullptr;
    if (m_buttonState & kPushed) state = &m_pushedImage;
    else if (m_buttonState & kHot) state = &m_hotImage;
    else if (m_buttonState & kFocused) state = &m_focusedImage;
    if (state && !state->IsEmpty()) {
        if (!m_normalImage.IsEmpty()) DrawImage(hdc, m_normalImage);
        DrawImage(hdc, *state);
    } else if (!m_normalImage.IsEmpty()) {
        DrawImage(hdc, m_normalImage);
    }
    if (m_sepImage.IsEmpty()) return;
    RECT thumb = GetThumbRect();
    ::OffsetRect(&thumb, -m_rcItem.left, -m_rcItem.top);
    m_sepImageModify.Format(L"dest='%d,%d,%d,%d' adaptdpiscale='%ls'", static_cast<int>(thumb.left),
                            static_cast<int>(thumb.top), static_cast<int>(thumb.right), static_cast<int>(thumb.bottom),
                            m_sepWidthFollowsDpi ? L"true" : L"false");
    DrawImage(hdc, m_sepImage, m_sepImageModify);
}

void CListHeaderItemUI::PaintText(HDC hdc)
{
    const DWORD color = m_textColor != 0 ? m_textColor : (m_manager ? m_manager->GetDefaultFontColor() : 0);
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    const RECT padding = m_manager ? m_manager->GetDpiScaler()->ScaleRectCopy(m_textPadding) : m_textPadding;
    RECT rc = DeflateRectBy(m_rcItem, padding);
    CPainter::DrawPlainOrHtmlText(hdc, m_manager, rc, text, color, m_font, m_textStyle, m_showHtml);
}

}  // namespace SkinUI
