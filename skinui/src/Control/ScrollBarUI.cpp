#include "Control/ScrollBarUI.h"

#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Layout/ContainerUI.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr UINT kDisabled = 4;
constexpr UINT kHot = 8;
constexpr UINT kPushed = 16;
constexpr UINT kCaptured = 64;
constexpr int kRepeatDelayTicks = 6;
constexpr DWORD kFallbackOutline = 0xFF85E4FF;
constexpr int kFallbackOutlineWidth = 2;

bool IsZero(const RECT& rc) { return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0; }

void SetBit(UINT& state, UINT bit, bool on)
{
    if (on) state |= bit;
    else state &= ~bit;
}

}  // namespace

CScrollBarUI::CScrollBarUI() { m_fixedWidth = 16; }

void* CScrollBarUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ScrollBar") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal)
{
    if (m_horizontal == horizontal) return;
    m_horizontal = horizontal;
    if (m_horizontal && m_fixedHeight == 0) {
        m_fixedWidth = 0;
        m_fixedHeight = 16;
    } else if (!m_horizontal && m_fixedWidth == 0) {
        m_fixedWidth = 16;
        m_fixedHeight = 0;
    }
    if (m_owner) RequestLayout();
    else RequestParentLayout();
}

void CScrollBarUI::SetScrollRange(int range)
{
    if (m_range == range) return;
    m_range = std::max(range, 0);
    m_scrollPos = std::min(m_scrollPos, m_range);
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetScrollPos(int pos)
{
    if (m_scrollPos == pos) return;
    m_scrollPos = std::clamp(pos, 0, m_range);
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (enabled) return;
    OnButtonUp();  // no repeat or drag may go on for a disabled bar
    m_button1.state = 0;
    m_button2.state = 0;
    m_thumb.state = 0;
}

void CScrollBarUI::SetFocus()
{
    if (m_owner) m_owner->SetFocus();
    else CControlUI::SetFocus();
}

void CScrollBarUI::SetVisible(bool visible)
{
    if (m_visible == visible) return;
    m_visible = visible;
    m_focused = false;
}

int CScrollBarUI::Thickness() const { return m_horizontal ? GetFixedHeight() : GetFixedWidth(); }

int CScrollBarUI::PageSize() const { return m_horizontal ? GetWidth() : GetHeight(); }

void CScrollBarUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    rc = m_rcItem;
    const int t = Thickness();
    // Worked out along a vertical axis; a horizontal bar maps its x axis onto it.
    const auto along = [this](const RECT& r) { return m_horizontal ? RECT{r.top, r.left, r.bottom, r.right} : r; };
    const RECT v = along(rc);
    const int length = v.bottom - v.top;
    int track = length;
    if (m_showButton1) track -= t;
    if (m_showButton2) track -= t;
    RECT b1, b2, thumb = {0, 0, 0, 0};
    if (track > t) {
        b1 = m_showButton1 ? RECT{v.left, v.top, v.left + t, v.top + t} : RECT{v.left, v.top, v.left, v.top};
        b2 = m_showButton2 ? RECT{v.left, v.bottom - t, v.left + t, v.bottom}
                           : RECT{v.left, v.bottom, v.left, v.bottom};
        thumb.left = v.left;
        thumb.right = v.left + t;
        if (m_range < 1) {
            thumb.top = b1.bottom;
            thumb.bottom = b2.top;
        } else {
            const int thumbLength =
                std::max<int>(t, static_cast<int>(MulDiv64(length, track, static_cast<long long>(m_range) + length)));
            thumb.top = b1.bottom + static_cast<LONG>(MulDiv64(track - thumbLength, m_scrollPos, m_range));
            thumb.bottom = thumb.top + thumbLength;
            if (thumb.bottom > b2.top) {
                thumb.top -= thumb.bottom - b2.top;
                thumb.bottom = b2.top;
            }
        }
    } else {
        const int b = std::min(t, length / 2);
        b1 = m_showButton1 ? RECT{v.left, v.top, v.left + t, v.top + b} : RECT{v.left, v.top, v.left, v.top};
        b2 = m_showButton2 ? RECT{v.left, v.bottom - b, v.left + t, v.bottom}
                           : RECT{v.left, v.bottom, v.left, v.bottom};
    }
    m_button1.rect = along(b1);
    m_button2.rect = along(b2);
    m_thumb.rect = IsZero(thumb) ? thumb : along(thumb);
}

void CScrollBarUI::LineUp()
{
    if (!m_owner) SetScrollPos(ClampToInt(static_cast<long long>(m_scrollPos) - m_lineSize));
    else if (m_horizontal) m_owner->LineLeft();
    else m_owner->LineUp();
}

void CScrollBarUI::LineDown()
{
    if (!m_owner) SetScrollPos(ClampToInt(static_cast<long long>(m_scrollPos) + m_lineSize));
    else if (m_horizontal) m_owner->LineRight();
    else m_owner->LineDown();
}

void CScrollBarUI::PageUp()
{
    if (!m_owner) SetScrollPos(ClampToInt(static_cast<long long>(m_scrollPos) - PageSize()));
    else if (m_horizontal) m_owner->PageLeft();
    else m_owner->PageUp();
}

void CScrollBarUI::PageDown()
{
    if (!m_owner) SetScrollPos(ClampToInt(static_cast<long long>(m_scrollPos) + PageSize()));
    else if (m_horizontal) m_owner->PageRight();
    else m_owner->PageDown();
}

void CScrollBarUI::PassOn(ControlEvent& event)
{
    if (m_owner) m_owner->HandleEvent(event);
    else CControlUI::HandleEvent(event);
}

void CScrollBarUI::OnButtonDown(const ControlEvent& event)
{
    m_dragOffset = 0;
    m_repeat = 0;
    if (m_manager) m_manager->SetTimer(this, kTimerId, 50);
    const POINT pt = event.ptMouse;
    if (::PtInRect(&m_button1.rect, pt)) {
        m_button1.state |= kPushed;
        LineUp();
    } else if (::PtInRect(&m_button2.rect, pt)) {
        m_button2.state |= kPushed;
        LineDown();
    } else if (::PtInRect(&m_thumb.rect, pt)) {
        m_thumb.state |= kCaptured | kPushed;
        m_dragStart = pt;
        m_dragStartPos = m_scrollPos;
    } else if (m_horizontal ? pt.x < m_thumb.rect.left : pt.y < m_thumb.rect.top) {
        PageUp();
    } else if (m_horizontal ? pt.x > m_thumb.rect.right : pt.y > m_thumb.rect.bottom) {
        PageDown();
    }
    // The owner's move notifies the application, which may have deleted the owner and this bar with it:
    // then the bar has left its window.
    if (m_manager) m_manager->SendNotify(this, L"scroll");
}

void CScrollBarUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool changesWindow = manager != m_manager;
    CControlUI::SetManager(manager, parent, runInit);
    if (!changesWindow) return;
    m_dragOffset = 0;
    m_repeat = 0;
    m_thumb.state &= ~(kCaptured | kPushed);
    m_button1.state &= ~kPushed;
    m_button2.state &= ~kPushed;
}

void CScrollBarUI::OnButtonUp()
{
    m_dragOffset = 0;
    m_repeat = 0;
    if (m_manager) m_manager->KillTimer(this, kTimerId);
    if (m_thumb.state & kCaptured) m_thumb.state &= ~(kCaptured | kPushed);
    else if (m_button1.state & kPushed) m_button1.state &= ~kPushed;
    else if (m_button2.state & kPushed) m_button2.state &= ~kPushed;
    Invalidate();
}

void CScrollBarUI::OnMouseMove(const ControlEvent& event)
{
    const POINT pt = event.ptMouse;
    if (m_thumb.state & kCaptured) {
        const int span = m_horizontal
                             ? GetWidth() - (m_thumb.rect.right - m_thumb.rect.left) - 2 * GetFixedHeight()
                             : GetHeight() - (m_thumb.rect.bottom - m_thumb.rect.top) - 2 * GetFixedWidth();
        if (span == 0) return;
        const int moved = m_horizontal ? pt.x - m_dragStart.x : pt.y - m_dragStart.y;
        m_dragOffset = ClampToInt(MulDiv64(moved, m_range, std::abs(span)));
        return;
    }
    if (m_thumb.state & kHot) {
        if (!::PtInRect(&m_thumb.rect, pt)) {
            m_thumb.state &= ~kHot;
            Invalidate();
        }
    } else if (IsEnabled() && ::PtInRect(&m_thumb.rect, pt)) {
        m_thumb.state |= kHot;
        Invalidate();
    }
}

void CScrollBarUI::OnTimer()
{
    ++m_repeat;
    if (m_thumb.state & kCaptured) {
        const int target = ClampToInt(static_cast<long long>(m_dragStartPos) + m_dragOffset);
        if (!m_owner) {
            SetScrollPos(target);
        } else {
            const SIZE current = m_owner->GetScrollPos();
            m_owner->SetScrollPos(m_horizontal ? SIZE{target, current.cy} : SIZE{current.cx, target});
        }
        Invalidate();
    } else if (m_button1.state & kPushed) {
        if (m_repeat < kRepeatDelayTicks) return;
        LineUp();
    } else if (m_button2.state & kPushed) {
        if (m_repeat < kRepeatDelayTicks) return;
        LineDown();
    } else {
        if (m_repeat < kRepeatDelayTicks || !m_manager) return;
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_manager->GetWindowHandle(), &pt);
        if (m_horizontal ? pt.x < m_thumb.rect.left : pt.y < m_thumb.rect.top) PageUp();
        else if (m_horizontal ? pt.x > m_thumb.rect.right : pt.y > m_thumb.rect.bottom) PageDown();
    }
    if (m_manager) m_manager->SendNotify(this, L"scroll");
}

void CScrollBarUI::HandleEvent(ControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        PassOn(event);
        return;
    }
    switch (event.Type) {
    case EVT_KILLFOCUS:
        // Also how a press ends that the window will not see released: no repeat or drag goes on.
        OnButtonUp();
        return;
    case EVT_SETFOCUS:
    case EVT_CONTEXTMENU:
        return;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
        if (IsEnabled()) OnButtonDown(event);
        return;
    case EVT_BUTTONUP:
        OnButtonUp();
        return;
    case EVT_MOUSEMOVE:
        OnMouseMove(event);
        return;
    case EVT_MOUSEENTER:
        if (!IsEnabled()) return;
        m_button1.state |= kHot;
        m_button2.state |= kHot;
        if (::PtInRect(&m_thumb.rect, event.ptMouse)) m_thumb.state |= kHot;
        Invalidate();
        return;
    case EVT_MOUSELEAVE:
        if (!IsEnabled()) return;
        m_button1.state &= ~kHot;
        m_button2.state &= ~kHot;
        m_thumb.state &= ~kHot;
        Invalidate();
        return;
    case EVT_TIMER:
        if (event.wParam == kTimerId) {
            OnTimer();
            return;
        }
        PassOn(event);
        return;
    default:
        PassOn(event);
    }
}

CScrollBarUI::Part* CScrollBarUI::PartByAttribute(const wchar_t* name, CUIString** image)
{
    struct Prefix {
        const wchar_t* text;
        Part* part;
    };
    const Prefix prefixes[] = {{L"bk", &m_track}, {L"button1", &m_button1}, {L"button2", &m_button2},
                               {L"thumb", &m_thumb}, {L"rail", &m_rail}};
    for (const Prefix& prefix : prefixes) {
        const size_t length = wcslen(prefix.text);
        if (_wcsnicmp(name, prefix.text, length) != 0) continue;
        const wchar_t* state = name + length;
        Part* part = prefix.part;
        if (_wcsicmp(state, L"normalimage") == 0) *image = &part->normal;
        else if (_wcsicmp(state, L"hotimage") == 0) *image = &part->hot;
        else if (_wcsicmp(state, L"pushedimage") == 0) *image = &part->pushed;
        else if (_wcsicmp(state, L"disabledimage") == 0) *image = &part->disabled;
        else return nullptr;
        return part;
    }
    return nullptr;
}

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    CUIString* image = nullptr;
    if (PartByAttribute(name, &image)) {
        *image = value;
        Invalidate();
    } else if (_wcsicmp(name, L"hor") == 0) {
        SetHorizontal(ParseBool(value));
    } else if (_wcsicmp(name, L"linesize") == 0) {
        m_lineSize = _wtoi(value);
    } else if (_wcsicmp(name, L"range") == 0) {
        SetScrollRange(_wtoi(value));
    } else if (_wcsicmp(name, L"value") == 0) {
        SetScrollPos(_wtoi(value));
    } else if (_wcsicmp(name, L"showbutton1") == 0) {
        m_showButton1 = ParseBool(value);
        SetPos(m_rcItem, true);
    } else if (_wcsicmp(name, L"showbutton2") == 0) {
        m_showButton2 = ParseBool(value);
        SetPos(m_rcItem, true);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

CUIString CScrollBarUI::DestModify(const RECT& rc) const
{
    const int scale = m_manager ? m_manager->GetDpiScaler()->GetScale() : 100;
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", ::MulDiv(rc.left - m_rcItem.left, 100, scale),
                  ::MulDiv(rc.top - m_rcItem.top, 100, scale), ::MulDiv(rc.right - m_rcItem.left, 100, scale),
                  ::MulDiv(rc.bottom - m_rcItem.top, 100, scale));
    return modify;
}

bool CScrollBarUI::DrawPartImage(HDC hdc, const Part& part, UINT state, const RECT& rc)
{
    return DrawStateImage(hdc, part, state, DestModify(rc));
}

// The image of the state (disabled, pushed, hot), or the normal one when that one is missing or cannot be drawn.
bool CScrollBarUI::DrawStateImage(HDC hdc, const Part& part, UINT state, const CUIString& modify)
{
    const CUIString* chosen = nullptr;
    if (state & kDisabled) chosen = &part.disabled;
    else if (state & kPushed) chosen = &part.pushed;
    else if (state & kHot) chosen = &part.hot;
    if (chosen && !chosen->IsEmpty() && DrawImage(hdc, *chosen, modify)) return true;
    return !part.normal.IsEmpty() && DrawImage(hdc, part.normal, modify);
}

void CScrollBarUI::PaintPart(HDC hdc, Part& part)
{
    SetBit(part.state, kDisabled, !IsEnabled());
    if (DrawPartImage(hdc, part, part.state, part.rect)) return;
    CPainter::DrawRect(hdc, part.rect, kFallbackOutlineWidth, kFallbackOutline);
}

void CScrollBarUI::PaintRail(HDC hdc)
{
    const int thickness = m_horizontal ? m_fixedHeight : m_fixedWidth;
    RECT rail = m_thumb.rect;
    if (m_horizontal) {
        const int middle = (rail.left + rail.right) / 2;
        rail.left = middle - thickness / 2;
        rail.right = rail.left + thickness;
    } else {
        const int middle = (rail.top + rail.bottom) / 2;
        rail.top = middle - thickness / 2;
        rail.bottom = rail.top + thickness;
    }
    DrawPartImage(hdc, m_rail, m_thumb.state, rail);
}

bool CScrollBarUI::PaintParts(HDC hdc, const RECT&, CControlUI*)
{
    PaintBackgroundColor(hdc);
    PaintBackgroundImage(hdc);
    SetBit(m_thumb.state, kDisabled, !IsEnabled());
    // The track's images keep their own place in the bar.
    DrawStateImage(hdc, m_track, m_thumb.state, CUIString());
    if (m_showButton1) PaintPart(hdc, m_button1);
    if (m_showButton2) PaintPart(hdc, m_button2);
    if (!IsZero(m_thumb.rect)) {
        PaintPart(hdc, m_thumb);
        PaintRail(hdc);
    }
    PaintBorder(hdc);
    return true;
}

}  // namespace SkinUI
