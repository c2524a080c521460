#include "Layout/BoxLayout.h"

#include "Control/ScrollBarUI.h"
#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr UINT kCaptured = 64;

// One rectangle or size seen along the stacking axis ("main") and across it ("cross").
struct Axis {
    bool vertical;

    LONG& MainStart(RECT& rc) const { return vertical ? rc.top : rc.left; }
    LONG& MainEnd(RECT& rc) const { return vertical ? rc.bottom : rc.right; }
    LONG& CrossStart(RECT& rc) const { return vertical ? rc.left : rc.top; }
    LONG& CrossEnd(RECT& rc) const { return vertical ? rc.right : rc.bottom; }
    LONG Main(const SIZE& size) const { return vertical ? size.cy : size.cx; }
    LONG Cross(const SIZE& size) const { return vertical ? size.cx : size.cy; }
    SIZE Make(LONG main, LONG cross) const { return vertical ? SIZE{cross, main} : SIZE{main, cross}; }
    RECT Rect(LONG mainStart, LONG mainEnd, LONG crossStart, LONG crossEnd) const
    {
        return vertical ? RECT{crossStart, mainStart, crossEnd, mainEnd} : RECT{mainStart, crossStart, mainEnd, crossEnd};
    }
};

struct Limits {
    int fixedMain, fixedCross, minMain, maxMain, minCross, maxCross;
    int MainLimit() const { return fixedMain > 0 ? fixedMain : maxMain; }
    int CrossLimit() const { return fixedCross > 0 ? fixedCross : maxCross; }
    int ClampMain(int value) const { return ClampMinThenMax(value, minMain, maxMain); }
    int ClampCross(int value) const { return ClampMinThenMax(value, minCross, maxCross); }
};

Limits LimitsOf(const CControlUI* child, bool vertical)
{
    if (vertical)
        return Limits{child->GetFixedHeight(), child->GetFixedWidth(), child->GetMinHeight(), child->GetMaxHeight(),
                      child->GetMinWidth(), child->GetMaxWidth()};
    return Limits{child->GetFixedWidth(), child->GetFixedHeight(), child->GetMinWidth(), child->GetMaxWidth(),
                  child->GetMinHeight(), child->GetMaxHeight()};
}

}  // namespace

void* CVerticalLayoutUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"VerticalLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"sepheight") == 0) SetSepSize(_wtoi(value));
    else if (_wcsicmp(name, L"sepimm") == 0) SetSepImmMode(ParseBool(value));
    else CContainerUI::SetAttribute(name, value);
}

void* CHorizontalLayoutUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"HorizontalLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"sepwidth") == 0) SetSepSize(_wtoi(value));
    else if (_wcsicmp(name, L"sepimm") == 0) SetSepImmMode(ParseBool(value));
    else CContainerUI::SetAttribute(name, value);
}

UINT CBoxLayoutUI::GetControlFlags() const
{
    return IsEnabled() && m_sepSize != 0 ? static_cast<UINT>(CONTROL_FLAG_SETCURSOR) : 0u;
}

void CBoxLayoutUI::SetSepImmMode(bool immediate)
{
    if (m_immediate == immediate) return;
    if ((m_buttonState & kCaptured) && !m_immediate && m_manager) m_manager->RemovePostPaint(this);
    m_immediate = immediate;
}

void CBoxLayoutUI::SetPos(RECT rc, bool invalidate)
{
    const auto placing = PlacingChildren();
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    const Axis axis{m_vertical};
    rc = GetContentRect();
    if (m_items.IsEmpty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    CScrollBarUI* mainBar = m_vertical ? m_verticalScrollBar : m_horizontalScrollBar;
    CScrollBarUI* crossBar = m_vertical ? m_horizontalScrollBar : m_verticalScrollBar;
    const bool mainBarShown = IsVisibleBar(mainBar);
    const bool crossBarShown = IsVisibleBar(crossBar);
    // Along the stack the room is what shows: stretch children given the scroll range as well would keep
    // that range alive however little the content needs.
    const int availMain = axis.MainEnd(rc) - axis.MainStart(rc);
    const int availCross = axis.CrossEnd(rc) - axis.CrossStart(rc) + (crossBarShown ? crossBar->GetScrollRange() : 0);
    const int childPadding = GetChildPadding();

    int estimated = 0, stretchCount = 0, fixedTotal = 0, neededCross = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        RECT pad = child->GetPadding();
        const Limits limits = LimitsOf(child, m_vertical);
        const int crossPads = axis.CrossStart(pad) + axis.CrossEnd(pad);
        const SIZE desired = child->CalcDesiredSize(
            axis.Make(std::min(availMain, limits.MainLimit()), std::min(availCross - crossPads, limits.CrossLimit())));
        int main = axis.Main(desired);
        if (main == 0) ++stretchCount;
        else main = limits.ClampMain(main);
        fixedTotal += main + axis.MainStart(pad) + axis.MainEnd(pad);
        neededCross = std::max(neededCross, limits.ClampCross(std::max<int>(axis.Cross(desired), 0)) + crossPads);
        ++estimated;
    }
    if (estimated > 0) fixedTotal += childPadding * (estimated - 1);
    const int stretchSize = stretchCount > 0 ? std::max(0, (availMain - fixedTotal) / stretchCount) : 0;

    int cursor = axis.MainStart(rc) - (mainBarShown ? mainBar->GetScrollPos() : 0);
    int remaining = availMain;
    int remainingFixed = fixedTotal;
    int needed = 0, placed = 0, stretchSeen = 0;
    const UINT crossAlign = m_vertical ? m_childAlign : (m_childVAlign == 4 ? 1u : m_childVAlign == 8 ? 2u : 0u);
    const int crossScroll = crossBarShown ? crossBar->GetScrollPos() : 0;
    const int crossRange = crossBarShown ? crossBar->GetScrollRange() : 0;
    // A child's size event may delete this layout: it stops there.
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildToLayOut(i);
        if (alive.expired()) return;
        if (!child) continue;
        RECT pad = child->GetPadding();
        const Limits limits = LimitsOf(child, m_vertical);
        const int crossPads = axis.CrossStart(pad) + axis.CrossEnd(pad);
        remaining -= axis.MainStart(pad);
        remainingFixed -= axis.MainStart(pad) + axis.MainEnd(pad);
        if (placed > 0) remainingFixed -= childPadding;
        const SIZE desired = child->CalcDesiredSize(
            axis.Make(std::min(remaining, limits.MainLimit()), std::min(availCross - crossPads, limits.CrossLimit())));
        int main = axis.Main(desired);
        if (main == 0) {
            ++stretchSeen;
            main = stretchSeen == stretchCount ? std::max(0, remaining - static_cast<int>(axis.MainEnd(pad)) - remainingFixed)
                                               : stretchSize;
            main = limits.ClampMain(main);
        } else {
            main = limits.ClampMain(main);
            remainingFixed -= main;
        }
        // Across the stack a child takes its maximum (all the room when it has none), never more than the
        // room or its own limit, and never less than its minimum.
        int cross = limits.maxCross != 0 ? limits.maxCross : availCross - crossPads;
        cross = std::min(std::max(cross, 0), std::min(availCross - crossPads, limits.CrossLimit()));
        cross = std::max(cross, limits.minCross);
        int crossStart;
        if (crossAlign == 1) {
            crossStart = (axis.CrossStart(rc) + axis.CrossEnd(rc)) / 2 + (crossBarShown ? crossRange / 2 - crossScroll : 0) -
                         cross / 2;
        } else if (crossAlign == 2) {
            crossStart = axis.CrossEnd(rc) + (crossBarShown ? crossRange - crossScroll : 0) - axis.CrossEnd(pad) - cross;
        } else {
            crossStart = axis.CrossStart(rc) - crossScroll + axis.CrossStart(pad);
        }
        const int mainStart = cursor + axis.MainStart(pad);
        child->SetPos(axis.Rect(mainStart, mainStart + main, crossStart, crossStart + cross), false);
        if (alive.expired()) return;
        cursor += main + axis.MainStart(pad) + axis.MainEnd(pad) + childPadding;
        needed += main + axis.MainStart(pad) + axis.MainEnd(pad);
        remaining -= main + axis.MainEnd(pad) + childPadding;
        ++placed;
    }
    if (estimated > 0) needed += childPadding * (estimated - 1);
    if (m_vertical) ProcessScrollBar(rc, neededCross, needed);
    else ProcessScrollBar(rc, needed, neededCross);
}

RECT CBoxLayoutUI::GetSepRect() const
{
    const RECT& base = (m_buttonState & kCaptured) ? m_dragRect : m_rcItem;
    RECT band = base;
    if (m_vertical) {
        if (m_sepSize > 0) band.top = std::max(base.top, base.bottom - m_sepSize);
        else band.bottom = std::min(base.bottom, base.top - m_sepSize);
    } else {
        if (m_sepSize > 0) band.left = base.right - m_sepSize;
        else band.right = base.left - m_sepSize;
    }
    return band;
}

void CBoxLayoutUI::OnDrag(POINT pt)
{
    const Axis axis{m_vertical};
    const int delta = m_vertical ? pt.y - m_lastMouse.y : pt.x - m_lastMouse.x;
    m_lastMouse = pt;
    const int position = m_vertical ? pt.y : pt.x;
    RECT next = m_dragRect;
    const int minSize = m_vertical ? GetMinHeight() : GetMinWidth();
    const int maxSize = m_vertical ? GetMaxHeight() : GetMaxWidth();
    if (m_sepSize > 0) {
        LONG& edge = axis.MainEnd(next);
        if (delta > 0 && position < axis.MainEnd(m_dragRect) + m_sepSize) return;
        if (delta < 0 && position > axis.MainEnd(m_dragRect)) return;
        edge += delta;
        const int size = edge - axis.MainStart(next);
        if (size <= minSize) {
            if (axis.MainEnd(m_dragRect) - axis.MainStart(m_dragRect) <= minSize) return;
            edge = axis.MainStart(next) + minSize;
        }
        if (size >= maxSize) {
            if (axis.MainEnd(m_dragRect) - axis.MainStart(m_dragRect) >= maxSize) return;
            edge = axis.MainStart(next) + maxSize;
        }
    } else {
        LONG& edge = axis.MainStart(next);
        if (delta > 0 && position < axis.MainStart(m_dragRect)) return;
        // The size is negative here: the pointer must be above the edge by the band's size.
        if (delta < 0 && position > axis.MainStart(m_dragRect) + m_sepSize) return;
        edge += delta;
        const int size = axis.MainEnd(next) - edge;
        if (size <= minSize) {
            if (axis.MainEnd(m_dragRect) - axis.MainStart(m_dragRect) <= minSize) return;
            edge = axis.MainEnd(next) - minSize;
        }
        if (size >= maxSize) {
            if (axis.MainEnd(m_dragRect) - axis.MainStart(m_dragRect) >= maxSize) return;
            edge = axis.MainEnd(next) - maxSize;
        }
    }
    const RECT oldBand = GetSepRect();
    m_dragRect = next;
    const int scale = m_manager ? m_manager->GetDpiScaler()->GetScale() : 100;
    const int extent = axis.MainEnd(next) - axis.MainStart(next);
    if (m_vertical) m_fixedHeight = ::MulDiv(extent, 100, scale);
    else m_fixedWidth = ::MulDiv(extent, 100, scale);
    if (m_immediate) {
        m_rcItem = m_dragRect;
        RequestParentLayout();
    } else if (m_manager) {
        RECT both;
        const RECT newBand = GetSepRect();
        ::UnionRect(&both, &oldBand, &newBand);
        m_manager->Invalidate(both);
    }
}

bool CBoxLayoutUI::EndSeparatorDrag()
{
    if (!(m_buttonState & kCaptured)) return false;
    m_buttonState &= ~kCaptured;
    m_rcItem = m_dragRect;
    if (!m_immediate && m_manager) m_manager->RemovePostPaint(this);
    RequestParentLayout();
    return true;
}

void CBoxLayoutUI::HandleEvent(ControlEvent& event)
{
    if (m_sepSize == 0) {
        CContainerUI::HandleEvent(event);
        return;
    }
    const RECT band = GetSepRect();
    switch (event.Type) {
    case EVT_BUTTONDOWN:
        if (!IsEnabled() || !::PtInRect(&band, event.ptMouse)) break;
        m_buttonState |= kCaptured;
        m_lastMouse = event.ptMouse;
        m_dragRect = m_rcItem;
        if (!m_immediate && m_manager) m_manager->AddPostPaint(this);
        return;
    case EVT_BUTTONUP:
        if (!EndSeparatorDrag()) break;
        return;
    case EVT_KILLFOCUS:
        // Also how a press ends that the window will not see released: the band stays where it was dragged.
        EndSeparatorDrag();
        break;
    case EVT_MOUSEMOVE:
        if (!(m_buttonState & kCaptured)) break;
        OnDrag(event.ptMouse);
        return;
    case EVT_SETCURSOR:
        if (!IsEnabled() || !::PtInRect(&band, event.ptMouse)) break;
        ::SetCursor(::LoadCursorW(nullptr, m_vertical ? IDC_SIZENS : IDC_SIZEWE));
        return;
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

void CBoxLayoutUI::PaintOverlay(HDC hdc, const RECT&)
{
    if (!(m_buttonState & kCaptured) || m_immediate) return;
    CPainter::FillColor(hdc, GetSepRect(), 0xAA000000);
}

}  // namespace SkinUI
