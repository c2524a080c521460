#include "Layout/ContainerUI.h"

#include "Control/ScrollBarUI.h"
#include "Control/UITreeView.h"
#include "Core/AttributeValues.h"
#include "Core/ControlDeletion.h"
#include "Core/ImageDrawInfo.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace SkinUI {
namespace {

bool Meets(const RECT& a, const RECT& b)
{
    RECT overlap;
    return ::IntersectRect(&overlap, &a, &b) != FALSE;
}

// A tree node recorded under a node that is in no tree belongs to that node, which deletes it with itself.
bool RecordedUnderAnUntreedNode(const CControlUI* control)
{
    const auto* node = static_cast<const CTreeNodeUI*>(const_cast<CControlUI*>(control)->GetInterface(L"TreeNode"));
    return node && node->IsHeldByLooseNode();
}

}  // namespace

CContainerUI::~CContainerUI()
{
    // The children go as Remove would take them: deleted now, or let go of completely when kept.
    m_delayedDestroy = false;
    const CPtrArray items(m_items);
    m_items.Empty();
    for (int i = 0; i < items.GetSize(); ++i) DestroyChild(static_cast<CControlUI*>(items[i]));
    ControlDeletion::Delete(std::exchange(m_verticalScrollBar, nullptr));
    ControlDeletion::Delete(std::exchange(m_horizontalScrollBar, nullptr));
}

void* CContainerUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (name && _wcsicmp(name, L"Container") == 0) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    if (index < 0 || index >= m_items.GetSize()) return nullptr;
    return static_cast<CControlUI*>(m_items[index]);
}

int CContainerUI::GetItemIndex(CControlUI* control) const { return m_items.Find(control); }

bool CContainerUI::SetItemIndex(CControlUI* control, int index)
{
    const int current = m_items.Find(control);
    if (current < 0) return false;
    RequestLayout();
    ++m_itemsVersion;
    m_items.Remove(current);
    return m_items.InsertAt(std::clamp(index, 0, m_items.GetSize()), control);
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, m_items.GetSize()); }

// A control has one parent. One still held by a container (this one included) or by a tree node, or
// waiting for its deletion, would be deleted twice; this container or one of its ancestors would hang the
// tree in a loop. A window's root may move: its window lets go of it.
bool CContainerUI::CanAdopt(const CControlUI* control) const
{
    if (control->GetParent() || ControlDeletion::IsQueued(control) || RecordedUnderAnUntreedNode(control))
        return false;
    for (const CControlUI* up = this; up; up = up->GetParent())
        if (up == control) return false;
    return true;
}

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (!control || index < 0 || index > m_items.GetSize() || !CanAdopt(control)) return false;
    // The child's init may delete this container or close its window: both wait until the adding ends.
    const auto keepWindow = KeepWindowWhileActing();
    // Away from any window it is still this container's child, and leaves the window it showed in.
    if (m_manager) m_manager->InitControls(control, this);
    else control->SetManager(nullptr, this, false);
    if (!IsVisible()) control->SetInternalVisible(false);
    else RequestLayout();
    ++m_itemsVersion;
    return m_items.InsertAt(index, control);
}

void CContainerUI::DestroyChild(CControlUI* control)
{
    // Kept by the application: it leaves this window completely.
    if (!m_autoDestroy) {
        control->SetManager(nullptr, nullptr, false);
        // Hidden only as this container was: away from it, its own visibility decides.
        control->SetInternalVisible(true);
        return;
    }
    ControlDeletion::Delete(control, m_delayedDestroy && m_manager);
}

bool CContainerUI::Remove(CControlUI* control)
{
    const auto removing = Removing();
    const int index = m_items.Find(control);
    if (index < 0) return false;
    RequestLayout();
    ++m_itemsVersion;
    m_items.Remove(index);
    DestroyChild(control);
    return true;
}

bool CContainerUI::RemoveAt(int index) { return Remove(GetItemAt(index)); }

void CContainerUI::RemoveAll()
{
    const auto removing = Removing();
    CPtrArray items(m_items);
    ++m_itemsVersion;
    m_items.Empty();
    for (int i = 0; i < items.GetSize(); ++i) DestroyChild(static_cast<CControlUI*>(items[i]));
    RequestLayout();
}

RECT CContainerUI::GetInset() const
{
    return m_manager ? m_manager->GetDpiScaler()->ScaleRectCopy(m_inset) : m_inset;
}

void CContainerUI::SetInset(RECT inset)
{
    m_inset = inset;
    RequestLayout();
}

int CContainerUI::GetChildPadding() const { return Scaled(m_childPadding); }

void CContainerUI::SetChildPadding(int padding)
{
    m_childPadding = padding;
    RequestLayout();
}

void CContainerUI::SetChildAlign(UINT align)
{
    m_childAlign = align;
    RequestLayout();
}

void CContainerUI::SetChildVAlign(UINT align)
{
    m_childVAlign = align;
    RequestLayout();
}

int CContainerUI::FindSelectable(int index, bool forward) const
{
    const int count = GetCount();
    if (count <= 0) return -1;
    index = std::clamp(index, 0, count - 1);
    const auto selectable = [this](int i) {
        CControlUI* item = GetItemAt(i);
        return item && item->GetInterface(L"ListItem") && item->IsVisible() && item->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < count; ++i)
            if (selectable(i)) return i;
        return -1;
    }
    for (int i = index; i >= 0; --i)
        if (selectable(i)) return i;
    return FindSelectable(0, true);
}

bool CContainerUI::IsVisibleBar(const CScrollBarUI* bar) const { return bar && bar->IsVisible(); }

RECT CContainerUI::GetContentRect() const
{
    RECT rc = DeflateRectBy(m_rcItem, GetInset());
    if (IsVisibleBar(m_verticalScrollBar)) rc.right -= m_verticalScrollBar->GetFixedWidth();
    if (IsVisibleBar(m_horizontalScrollBar)) rc.bottom -= m_horizontalScrollBar->GetFixedHeight();
    return rc;
}

SIZE CContainerUI::GetScrollPos() const
{
    SIZE pos = {0, 0};
    if (IsVisibleBar(m_verticalScrollBar)) pos.cy = m_verticalScrollBar->GetScrollPos();
    if (IsVisibleBar(m_horizontalScrollBar)) pos.cx = m_horizontalScrollBar->GetScrollPos();
    return pos;
}

SIZE CContainerUI::GetScrollRange() const
{
    SIZE range = {0, 0};
    if (IsVisibleBar(m_verticalScrollBar)) range.cy = m_verticalScrollBar->GetScrollRange();
    if (IsVisibleBar(m_horizontalScrollBar)) range.cx = m_horizontalScrollBar->GetScrollRange();
    return range;
}

SIZE CContainerUI::MoveScrollBars(SIZE pos)
{
    SIZE moved = {0, 0};
    if (IsVisibleBar(m_verticalScrollBar)) {
        const int old = m_verticalScrollBar->GetScrollPos();
        m_verticalScrollBar->SetScrollPos(pos.cy);
        moved.cy = m_verticalScrollBar->GetScrollPos() - old;
    }
    if (IsVisibleBar(m_horizontalScrollBar)) {
        const int old = m_horizontalScrollBar->GetScrollPos();
        m_horizontalScrollBar->SetScrollPos(pos.cx);
        moved.cx = m_horizontalScrollBar->GetScrollPos() - old;
    }
    return moved;
}

void CContainerUI::SetScrollPos(SIZE pos, bool notify)
{
    const SIZE moved = MoveScrollBars(pos);
    const int dx = moved.cx, dy = moved.cy;
    if (dx == 0 && dy == 0) return;
    // A child's handlers may delete this container as it moves.
    const auto alive = WatchLifetime();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        RECT rc = child->GetPos();
        ::OffsetRect(&rc, -dx, -dy);
        child->SetPos(rc, true);
        if (alive.expired()) return;
    }
    Invalidate();
    if (m_verticalScrollBar && m_manager && notify) {
        const int line = std::max(1, m_verticalScrollBar->GetLineSize());
        const long long pos = m_verticalScrollBar->GetScrollPos();
        m_manager->SendNotify(this, L"scroll", static_cast<WPARAM>((pos + line) / line), 0);
    }
}

void CContainerUI::SetScrollStepSize(int size)
{
    if (size > 0) m_scrollStepSize = size;
}

int CContainerUI::GetScrollStepSize() const { return Scaled(m_scrollStepSize); }

int CContainerUI::LineStep() const
{
    if (m_scrollStepSize != 0) return GetScrollStepSize();
    return m_manager ? m_manager->GetDefaultFontInfo()->tm.tmHeight + 8 : 8;
}

void CContainerUI::ScrollBy(int dx, int dy)
{
    // In 64 bits: a step past a range near INT_MAX ends at the range instead of wrapping to the start.
    const SIZE pos = GetScrollPos();
    const long long x = pos.cx, y = pos.cy;
    SetScrollPos(SIZE{ClampToInt(x + dx), ClampToInt(y + dy)});
}

void CContainerUI::LineUp() { ScrollBy(0, -LineStep()); }
void CContainerUI::LineDown() { ScrollBy(0, LineStep()); }

void CContainerUI::LineLeft()
{
    const int step = m_scrollStepSize != 0 ? GetScrollStepSize() : 8;
    ScrollBy(-step, 0);
}

void CContainerUI::LineRight()
{
    const int step = m_scrollStepSize != 0 ? GetScrollStepSize() : 8;
    ScrollBy(step, 0);
}

void CContainerUI::PageUp()
{
    const RECT inset = GetInset();
    int page = GetHeight() - inset.top - inset.bottom;
    if (IsVisibleBar(m_horizontalScrollBar)) page -= m_horizontalScrollBar->GetFixedHeight();
    ScrollBy(0, -page);
}

void CContainerUI::PageDown()
{
    const RECT inset = GetInset();
    int page = GetHeight() - inset.top - inset.bottom;
    if (IsVisibleBar(m_horizontalScrollBar)) page -= m_horizontalScrollBar->GetFixedHeight();
    ScrollBy(0, page);
}

void CContainerUI::PageLeft()
{
    const RECT inset = GetInset();
    int page = GetWidth() - inset.left - inset.right;
    if (IsVisibleBar(m_verticalScrollBar)) page -= m_verticalScrollBar->GetFixedWidth();
    ScrollBy(-page, 0);
}

void CContainerUI::PageRight()
{
    const RECT inset = GetInset();
    int page = GetWidth() - inset.left - inset.right;
    if (IsVisibleBar(m_verticalScrollBar)) page -= m_verticalScrollBar->GetFixedWidth();
    ScrollBy(page, 0);
}

void CContainerUI::HomeUp() { SetScrollPos(SIZE{GetScrollPos().cx, 0}); }
void CContainerUI::EndDown() { SetScrollPos(SIZE{GetScrollPos().cx, GetScrollRange().cy}); }
void CContainerUI::HomeLeft() { SetScrollPos(SIZE{0, GetScrollPos().cy}); }
void CContainerUI::EndRight() { SetScrollPos(SIZE{GetScrollRange().cx, GetScrollPos().cy}); }

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal)
{
    const auto update = [this](CScrollBarUI*& bar, bool wanted, bool isHorizontal) {
        if (!wanted) {
            // Dropped from a handler, maybe one the bar's own scrolling ran: it waits for the dispatch.
            ControlDeletion::Delete(std::exchange(bar, nullptr));
            return;
        }
        if (bar) return;
        bar = new CScrollBarUI();
        if (isHorizontal) bar->SetHorizontal(true);
        // Shown by the layout once the content overflows, not before: a bar of the default range would
        // make room for content that is not there.
        bar->SetVisible(false);
        bar->SetScrollRange(0);
        bar->SetOwner(this);
        // Its parent is this container from the start: no container may adopt it.
        bar->SetManager(m_manager, this, false);
        if (m_manager) {
            if (const wchar_t* list = m_manager->GetDefaultAttributeList(isHorizontal ? L"HScrollBar" : L"VScrollBar"))
                bar->ApplyAttributeList(list);
        }
    };
    update(m_verticalScrollBar, vertical, false);
    update(m_horizontalScrollBar, horizontal, true);
    RequestLayout();
}

CControlUI* CContainerUI::ChildToLayOut(int index)
{
    auto* child = static_cast<CControlUI*>(m_items[index]);
    if (!child->IsVisible()) return nullptr;
    if (!child->IsFloat()) return child;
    SetFloatPos(index);
    return nullptr;
}

void CContainerUI::SetFloatPos(int index)
{
    // Among the items this container places, also where a derived one answers for more.
    CControlUI* child = CContainerUI::GetItemAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat()) return;
    const int width = m_rcItem.right - m_rcItem.left;
    const int height = m_rcItem.bottom - m_rcItem.top;
    const SIZE xy = child->GetFixedXY();
    const int w = child->GetFixedWidth();
    const int h = child->GetFixedHeight();
    const UINT align = child->GetFloatAlign();
    RECT rc = {0, 0, 0, 0};
    if (align != 0) {
        rc = RECT{0, 0, w, h};
        const int dx = (align & 1) ? (width - w) / 2 : (align & 2) ? width - w : xy.cx;
        const int dy = (align & 4) ? (height - h) / 2 : (align & 8) ? height - h : xy.cy;
        ::OffsetRect(&rc, dx, dy);
    } else {
        const double* percent = child->GetFloatPercent();
        rc.left = static_cast<LONG>(width * percent[0]) + xy.cx;
        rc.top = static_cast<LONG>(height * percent[1]) + xy.cy;
        rc.right = static_cast<LONG>(width * percent[2]) + w + xy.cx;
        rc.bottom = static_cast<LONG>(height * percent[3]) + h + xy.cy;
    }
    ::OffsetRect(&rc, m_rcItem.left, m_rcItem.top);
    child->SetPos(rc, false);
}

bool CContainerUI::UpdateBar(CScrollBarUI* bar, bool horizontal, const RECT& rc, int required)
{
    const int available = horizontal ? rc.right - rc.left : rc.bottom - rc.top;
    if (!bar) return false;
    if (required > available && !bar->IsVisible()) {
        bar->SetVisible(true);
        bar->SetScrollRange(required - available);
        bar->SetScrollPos(0);
        SetPos(m_rcItem, true);
        return true;
    }
    if (!bar->IsVisible()) return false;
    const int range = required - available;
    if (range <= 0) {
        bar->SetVisible(false);
        bar->SetScrollPos(0);
        bar->SetScrollRange(0);
        SetPos(m_rcItem, true);
        return true;
    }
    const RECT place = horizontal ? RECT{rc.left, rc.bottom, rc.right, rc.bottom + bar->GetFixedHeight()}
                                  : RECT{rc.right, rc.top, rc.right + bar->GetFixedWidth(), rc.bottom};
    bar->SetPos(place, true);
    if (bar->GetScrollRange() == range) return false;
    const int oldPos = bar->GetScrollPos();
    bar->SetScrollRange(range);
    if (bar->GetScrollPos() < oldPos) {
        SetPos(m_rcItem, true);
        return true;
    }
    // Children across the bar were sized to the old range: place them once more. Only once, because a
    // child that asks for more than it is offered would move the range again on every pass.
    if (m_placingForNewRange) return false;
    m_placingForNewRange = true;
    SetPos(m_rcItem, true);
    m_placingForNewRange = false;
    return true;
}

void CContainerUI::ProcessScrollBar(RECT rc, int requiredWidth, int requiredHeight)
{
    // A bar that appears or disappears changes the space: the layout has run again inside.
    if (UpdateBar(m_horizontalScrollBar, true, rc, requiredWidth)) return;
    UpdateBar(m_verticalScrollBar, false, rc, requiredHeight);
}

void CContainerUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetManager(manager, this, runInit);
    if (m_verticalScrollBar) m_verticalScrollBar->SetManager(manager, this, runInit);
    if (m_horizontalScrollBar) m_horizontalScrollBar->SetManager(manager, this, runInit);
    CControlUI::SetManager(manager, parent, runInit);
}

RECT CContainerUI::GetClientPos() const
{
    RECT rc = DeflateRectBy(m_rcItem, GetInset());
    if (IsVisibleBar(m_verticalScrollBar)) {
        rc.top -= m_verticalScrollBar->GetScrollPos();
        rc.bottom -= m_verticalScrollBar->GetScrollPos();
        rc.bottom += m_verticalScrollBar->GetScrollRange();
        rc.right -= m_verticalScrollBar->GetFixedWidth();
    }
    if (IsVisibleBar(m_horizontalScrollBar)) {
        rc.left -= m_horizontalScrollBar->GetScrollPos();
        rc.right -= m_horizontalScrollBar->GetScrollPos();
        rc.right += m_horizontalScrollBar->GetScrollRange();
        rc.bottom -= m_horizontalScrollBar->GetFixedHeight();
    }
    return rc;
}

CDispatchScope CContainerUI::PlacingChildren() const
{
    const CWindowUIManager* manager = LiveManager();
    return CDispatchScope(manager ? manager->GetWindowHandle() : nullptr);
}

ControlDeletion::RemovalScope CContainerUI::Removing() const
{
    const CWindowUIManager* manager = LiveManager();
    return ControlDeletion::RemovalScope(manager ? manager->GetWindowHandle() : nullptr);
}

void CContainerUI::SetPos(RECT rc, bool invalidate)
{
    const auto placing = PlacingChildren();
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    if (m_items.IsEmpty()) return;
    const RECT client = GetClientPos();
    // A child's size event may delete this container: it stops there.
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildToLayOut(i);
        if (alive.expired()) return;
        if (!child) continue;
        int width = std::max<int>(client.right - client.left, child->GetMinWidth());
        width = std::min(width, child->GetMaxWidth());
        int height = std::max<int>(client.bottom - client.top, child->GetMinHeight());
        height = std::min(height, child->GetMaxHeight());
        child->SetPos(RECT{client.left, client.top, client.left + width, client.top + height}, false);
        if (alive.expired()) return;
    }
}

void CContainerUI::SetVisible(bool visible)
{
    if (m_visible == visible) return;
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    if (!alive.expired()) ShowChildren(alive);
}

void CContainerUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetInternalVisible(visible);
    if (!alive.expired()) ShowChildren(alive);
}

void CContainerUI::ShowChildren(const std::weak_ptr<void>& alive)
{
    // A child hidden with the focus notifies its loss, and the handler may delete this container.
    for (int i = 0; !alive.expired() && i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetInternalVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enabled)
{
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    for (int i = 0; i < m_items.GetSize(); ++i) static_cast<CControlUI*>(m_items[i])->SetEnabled(enabled);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool enabled)
{
    if (m_verticalScrollBar) m_verticalScrollBar->SetMouseEnabled(enabled);
    if (m_horizontalScrollBar) m_horizontalScrollBar->SetMouseEnabled(enabled);
    CControlUI::SetMouseEnabled(enabled);
}

CControlUI* CContainerUI::FindControl(FindControlProc proc, void* data, UINT flags)
{
    if ((flags & FIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & FIND_ENABLED) && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & FIND_HITTEST) != 0;
    if (hitTest && !::PtInRect(&m_rcItem, *static_cast<const POINT*>(data))) return nullptr;
    // A container that lays itself out places its children too: they need no search of their own.
    if ((flags & FIND_UPDATETEST) && IsUpdateNeeded()) {
        proc(this, data);
        return nullptr;
    }
    const bool selfCounts = !hitTest || IsMouseEnabled();
    if ((flags & FIND_ME_FIRST) && selfCounts)
        if (CControlUI* found = proc(this, data)) return found;
    if (selfCounts) {
        if (m_verticalScrollBar)
            if (CControlUI* found = m_verticalScrollBar->FindControl(proc, data, flags)) return found;
        if (m_horizontalScrollBar)
            if (CControlUI* found = m_horizontalScrollBar->FindControl(proc, data, flags)) return found;
    }
    if (!hitTest || m_mouseChildEnabled) {
        const RECT content = GetContentRect();
        const int count = m_items.GetSize();
        const bool topFirst = (flags & FIND_TOP_FIRST) != 0;
        for (int n = 0; n < count; ++n) {
            auto* child = static_cast<CControlUI*>(m_items[topFirst ? count - 1 - n : n]);
            CControlUI* found = child->FindControl(proc, data, flags);
            if (!found) continue;
            if (!hitTest || found->IsFloat() || ::PtInRect(&content, *static_cast<const POINT*>(data))) return found;
        }
    }
    if (!(flags & FIND_ME_FIRST) && selfCounts) return proc(this, data);
    return nullptr;
}

void CContainerUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CControlUI::HandleEvent(event); })) return;
    if (event.Type == EVT_SETFOCUS || event.Type == EVT_KILLFOCUS) {
        m_focused = event.Type == EVT_SETFOCUS;
        return;
    }
    const short wheel = static_cast<short>(HIWORD(event.wParam));
    const auto usable = [](const CScrollBarUI* bar) { return bar && bar->IsVisible() && bar->IsEnabled(); };
    if (usable(m_verticalScrollBar)) {
        if (event.Type == EVT_KEYDOWN) {
            switch (event.chKey) {
            case VK_PRIOR: PageUp(); return;
            case VK_NEXT: PageDown(); return;
            case VK_END: EndDown(); return;
            case VK_HOME: HomeUp(); return;
            case VK_UP: LineUp(); return;
            case VK_DOWN: LineDown(); return;
            default: break;
            }
        } else if (event.Type == EVT_SCROLLWHEEL) {
            if (wheel < 0) LineDown();
            else LineUp();
            return;
        }
    }
    if (usable(m_horizontalScrollBar)) {
        if (event.Type == EVT_KEYDOWN) {
            switch (event.chKey) {
            case VK_PRIOR: PageLeft(); return;
            case VK_NEXT: PageRight(); return;
            case VK_END: EndRight(); return;
            case VK_HOME: HomeLeft(); return;
            case VK_UP: LineLeft(); return;
            case VK_DOWN: LineRight(); return;
            default: break;
            }
        } else if (event.Type == EVT_SCROLLWHEEL) {
            if (wheel > 0) LineLeft();
            else LineRight();
            return;
        }
    }
    CControlUI::HandleEvent(event);
}

void CContainerUI::ApplyScrollBarStyle(CScrollBarUI* bar, const wchar_t* style)
{
    if (!bar) return;
    const wchar_t* named = m_manager ? m_manager->GetStyle(style) : nullptr;
    bar->ApplyAttributeList(named ? named : style);
}

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"inset") == 0) {
        SetInset(ParseRectValue(value));
    } else if (_wcsicmp(name, L"mousechild") == 0) {
        SetMouseChildEnabled(ParseBool(value));
    } else if (_wcsicmp(name, L"vscrollbar") == 0) {
        EnableScrollBar(ParseBool(value), m_horizontalScrollBar != nullptr);
    } else if (_wcsicmp(name, L"vscrollbarstyle") == 0) {
        m_verticalScrollBarStyle = value;
        EnableScrollBar(true, m_horizontalScrollBar != nullptr);
        ApplyScrollBarStyle(m_verticalScrollBar, value);
    } else if (_wcsicmp(name, L"hscrollbar") == 0) {
        EnableScrollBar(m_verticalScrollBar != nullptr, ParseBool(value));
    } else if (_wcsicmp(name, L"hscrollbarstyle") == 0) {
        m_horizontalScrollBarStyle = value;
        EnableScrollBar(m_verticalScrollBar != nullptr, true);
        ApplyScrollBarStyle(m_horizontalScrollBar, value);
    } else if (_wcsicmp(name, L"childpadding") == 0) {
        SetChildPadding(_wtoi(value));
    } else if (wcscmp(name, L"childalign") == 0) {
        if (wcscmp(value, L"left") == 0) SetChildAlign(0);
        else if (wcscmp(value, L"center") == 0) SetChildAlign(1);
        else if (wcscmp(value, L"right") == 0) SetChildAlign(2);
    } else if (wcscmp(name, L"childvalign") == 0) {
        if (wcscmp(value, L"top") == 0) SetChildVAlign(0);
        else if (wcscmp(value, L"vcenter") == 0) SetChildVAlign(4);
        else if (wcscmp(value, L"bottom") == 0) SetChildVAlign(8);
    } else if (_wcsicmp(name, L"scrollstepsize") == 0) {
        SetScrollStepSize(_wtoi(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

bool CContainerUI::PaintParts(HDC hdc, const RECT& paint, CControlUI* stop)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return true;
    CClipRegion itemClip;
    CClipRegion::ClipToRect(hdc, visible, itemClip);
    CControlUI::PaintParts(hdc, paint, stop);
    if (!m_items.IsEmpty()) {
        const RECT client = GetContentRect();
        RECT clientPaint;
        if (!::IntersectRect(&clientPaint, &paint, &client)) {
            for (int i = 0; i < m_items.GetSize(); ++i) {
                auto* child = static_cast<CControlUI*>(m_items[i]);
                if (child == stop) return false;
                if (!child->IsVisible() || !child->IsFloat() || !Meets(paint, child->GetPos())) continue;
                if (!Meets(m_rcItem, child->GetPos())) continue;
                if (!child->Paint(hdc, paint, stop)) return false;
            }
        } else {
            CClipRegion childClip;
            CClipRegion::ClipToRect(hdc, clientPaint, childClip);
            for (int i = 0; i < m_items.GetSize(); ++i) {
                auto* child = static_cast<CControlUI*>(m_items[i]);
                if (child == stop) return false;
                if (!child->IsVisible() || !Meets(paint, child->GetPos())) continue;
                if (child->IsFloat()) {
                    if (!Meets(m_rcItem, child->GetPos())) continue;
                    CClipRegion::SelectSavedRegion(hdc, childClip);
                    const bool goOn = child->Paint(hdc, paint, stop);
                    CClipRegion::SelectClipRegion(hdc, childClip);
                    if (!goOn) return false;
                } else if (Meets(client, child->GetPos())) {
                    if (!child->Paint(hdc, paint, stop)) return false;
                }
            }
        }
    }
    const auto paintBar = [&](CScrollBarUI* bar) {
        if (!IsVisibleBar(bar) || !Meets(paint, bar->GetPos())) return true;
        if (bar == stop) return false;
        return bar->Paint(hdc, paint, stop);
    };
    return paintBar(m_verticalScrollBar) && paintBar(m_horizontalScrollBar);
}

}  // namespace SkinUI
