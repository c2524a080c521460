#include "Control/UIList.h"

#include "Control/ScrollBarUI.h"
#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Core/AttributeValues.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr int kNotSelecting = -2;

IListItemUI* ListItemOf(CControlUI* control)
{
    return control ? static_cast<IListItemUI*>(control->GetInterface(L"ListItem")) : nullptr;
}

bool IsShownBar(const CScrollBarUI* bar) { return bar && bar->IsVisible(); }

void SetStyleBits(UINT& style, UINT set, UINT clear) { style = (style & ~clear) | set; }

// Drops one removed row from a list of selected rows and closes the gap it leaves.
void ForgetRemovedRow(std::vector<int>& selected, int removed)
{
    selected.erase(std::remove(selected.begin(), selected.end(), removed), selected.end());
    for (int& index : selected)
        if (index > removed) --index;
}

// Only container rows of a fixed width tile (they move themselves into columns by their index), so the
// rows tile only when every one is a container row of the first one's width; other rows stack one to a line.
bool RowsTile(const CPtrArray& rows, int tileWidth)
{
    for (int i = 0; i < rows.GetSize(); ++i) {
        auto* row = static_cast<CControlUI*>(rows[i]);
        if (!row->GetInterface(L"ListContainerElement") || row->GetFixedWidth() != tileWidth) return false;
    }
    return true;
}

}  // namespace

// ---- CListBodyUI

int CListBodyUI::GetScrollStepSize() const { return m_owner->GetScrollStepSize(); }

void CListBodyUI::SetScrollPos(SIZE pos, bool notify)
{
    const int oldX = IsShownBar(m_horizontalScrollBar) ? m_horizontalScrollBar->GetScrollPos() : 0;
    const auto alive = WatchLifetime();
    CVerticalLayoutUI::SetScrollPos(pos, notify);
    if (alive.expired()) return;
    const int dx = (IsShownBar(m_horizontalScrollBar) ? m_horizontalScrollBar->GetScrollPos() : 0) - oldX;
    CListHeaderUI* header = m_owner->GetHeader();
    if (dx == 0 || !header || header->GetCount() == 0) return;
    ListInfo* info = m_owner->GetListInfo();
    info->columns = std::min(header->GetCount(), kMaxListColumns);
    const bool hidden = !header->IsVisible();
    for (int i = 0; i < header->GetCount(); ++i) {
        CControlUI* item = header->GetItemAt(i);
        if (hidden) item->SetInternalVisible(true);
        if (item->IsVisible() && !item->IsFloat()) {
            RECT rc = item->GetPos();
            ::OffsetRect(&rc, -dx, 0);
            item->SetPos(rc, false);
            if (alive.expired()) return;
            if (i < info->columns) info->columnRects[i] = item->GetPos();
        }
        if (hidden) item->SetInternalVisible(false);
    }
}

void* CListBodyUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListBody") == 0) return this;
    return CVerticalLayoutUI::GetInterface(name);
}

int CListBodyUI::StackedPlaceOf(const CControlUI* row) const
{
    if (row && row == m_placingRow) return m_placingPlace;
    int place = 0;
    for (int i = 0; i < GetCount(); ++i) {
        const CControlUI* other = static_cast<const CControlUI*>(m_items[i]);
        if (other == row) break;
        if (other->IsVisible() && !other->IsFloat()) ++place;
    }
    return place;
}

void CListBodyUI::SetPos(RECT rc, bool invalidate)
{
    const auto placing = PlacingChildren();
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    rc = DeflateRectBy(m_rcItem, GetInset());
    const bool horizontalShown = IsShownBar(m_horizontalScrollBar);
    if ((m_owner->IsFixedScrollBar() && m_verticalScrollBar) || IsShownBar(m_verticalScrollBar))
        rc.right -= m_verticalScrollBar->GetFixedWidth();
    if (horizontalShown) rc.bottom -= m_horizontalScrollBar->GetFixedHeight();
    if (m_items.IsEmpty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    const int innerWidth = rc.right - rc.left;
    SIZE available = {innerWidth, rc.bottom - rc.top};
    if (horizontalShown) available.cx += m_horizontalScrollBar->GetScrollRange();
    const int childPadding = GetChildPadding();

    int stretchCount = 0, fixedTotal = 0, placedCount = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT pad = child->GetPadding();
        const SIZE desired = child->CalcDesiredSize(available);
        if (desired.cy == 0) ++stretchCount;
        else fixedTotal += ClampMinThenMax(desired.cy, child->GetMinHeight(), child->GetMaxHeight());
        fixedTotal += pad.top + pad.bottom;
        ++placedCount;
    }
    if (placedCount > 1) fixedTotal += childPadding * (placedCount - 1);

    int neededWidth = 0;
    CListHeaderUI* header = m_owner->GetHeader();
    if (header && header->GetCount() > 0) {
        neededWidth = std::max<int>(0, header->CalcDesiredSize(SIZE{innerWidth, rc.bottom - rc.top}).cx);
        if (horizontalShown) {
            RECT headerRect = header->GetPos();
            headerRect.left = rc.left - m_horizontalScrollBar->GetScrollPos();
            header->SetPos(headerRect, false);
            if (alive.expired()) return;
        }
    }

    const int share = stretchCount > 0 ? std::max<int>(0, (available.cy - fixedTotal) / stretchCount) : 0;
    const int remainder = stretchCount > 0 ? std::max<int>(0, available.cy - fixedTotal - share * (stretchCount - 1)) : 0;
    const int left = rc.left - (horizontalShown ? m_horizontalScrollBar->GetScrollPos() : 0);
    const int top = rc.top - (IsShownBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollPos() : 0);
    int y = top, stretchSeen = 0, stacked = 0;
    // A row's handlers may delete the list or change its rows: the pass stops (a change asks for a new one).
    const unsigned version = m_itemsVersion;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildToLayOut(i);
        if (alive.expired() || version != m_itemsVersion) return;
        if (!child) continue;
        const RECT pad = child->GetPadding();
        const SIZE desired = child->CalcDesiredSize(available);
        int height = desired.cy;
        if (height == 0) height = ++stretchSeen == stretchCount ? remainder : share;
        height = ClampMinThenMax(height, child->GetMinHeight(), child->GetMaxHeight());
        int width = std::max<int>(neededWidth, available.cx - pad.left - pad.right);
        width = ClampMinThenMax(width, child->GetMinWidth(), child->GetMaxWidth());
        const RECT place = {left + pad.left, y + pad.top, left + pad.left + width, y + pad.top + height};
        m_placingRow = child;
        m_placingPlace = stacked++;
        child->SetPos(place, false);
        if (alive.expired()) return;
        m_placingRow = nullptr;
        if (version != m_itemsVersion) return;
        y = place.bottom + pad.bottom + childPadding;
    }
    int neededHeight = y - top - (placedCount > 0 ? childPadding : 0);
    auto* first = static_cast<CControlUI*>(m_items[0]);
    if (m_owner->GetListType() == LIST_TYPE_LIST) {
        const int tileWidth = first->GetFixedWidth();
        if (tileWidth > 0 && innerWidth / tileWidth >= 1 && RowsTile(m_items, tileWidth)) {
            const int perRow = innerWidth / tileWidth;
            // Hidden rows take no tile.
            neededHeight = placedCount > 0 ? first->GetFixedHeight() * ((placedCount - 1) / perRow + 1) : 0;
        }
    }
    ProcessScrollBar(rc, neededWidth, neededHeight);
}

void CListBodyUI::HandleEvent(ControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) m_owner->DoEvent(event);
    else CVerticalLayoutUI::HandleEvent(event);
}

bool CListBodyUI::Remove(CControlUI* control) { return m_owner->Remove(control); }

bool CListBodyUI::RemoveAt(int index) { return m_owner->RemoveAt(index); }

void CListBodyUI::RemoveAll() { m_owner->RemoveAll(); }

bool CListBodyUI::TakeOutRowAt(int index)
{
    CControlUI* row = GetItemAt(index);
    return row && CVerticalLayoutUI::Remove(row);
}

void CListBodyUI::TakeOutAllRows() { CVerticalLayoutUI::RemoveAll(); }

// ---- CListUI

CListUI::CListUI()
{
    m_body = new CListBodyUI(this);
    m_header = new CListHeaderUI();
    // Qualified calls: the list's own Add would route these into the body.
    CVerticalLayoutUI::AddAt(m_header, 0);
    CVerticalLayoutUI::AddAt(m_body, 1);
}

CListUI::~CListUI()
{
    // Rows a body that does not delete them keeps past the list must not call back into it.
    for (int i = 0; i < m_body->GetCount(); ++i) Disown(m_body->GetItemAt(i));
}

void* CListUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"List") == 0) return this;
    if (name && _wcsicmp(name, L"IList") == 0) return static_cast<IListUI*>(this);
    if (name && _wcsicmp(name, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

bool CListUI::IsHeaderItem(CControlUI* control) const
{
    return m_header && control && wcsstr(control->GetClass(), L"ListHeaderItem") != nullptr;
}

void CListUI::UpdateColumns()
{
    m_info.columns = m_header ? std::min(m_header->GetCount(), kMaxListColumns) : 0;
}

bool CListUI::AdoptHeader(CControlUI* control)
{
    // One held elsewhere is refused before this list lets go of its own.
    if (!CanAdopt(control)) return false;
    auto* header = static_cast<CListHeaderUI*>(control->GetInterface(L"ListHeader"));
    if (header != m_header && (!m_header || m_header->GetCount() == 0)) {
        if (m_header) CVerticalLayoutUI::Remove(m_header);
        m_header = header;
    }
    UpdateColumns();
    return CVerticalLayoutUI::AddAt(control, 0);
}

void CListUI::RenumberFrom(int index)
{
    for (int i = std::max(0, index); i < m_body->GetCount(); ++i)
        if (IListItemUI* item = ListItemOf(m_body->GetItemAt(i))) item->SetIndex(i);
}

CControlUI* CListUI::GetItemAt(int index) const
{
    return m_placingOwnChildren ? CVerticalLayoutUI::GetItemAt(index) : m_body->GetItemAt(index);
}

int CListUI::GetCount() const { return m_body->GetCount(); }

int CListUI::GetItemIndex(CControlUI* control) const
{
    if (control && control->GetInterface(L"ListHeader")) return CVerticalLayoutUI::GetItemIndex(control);
    if (IsHeaderItem(control)) return m_header->GetItemIndex(control);
    return m_body->GetItemIndex(control);
}

bool CListUI::Add(CControlUI* control)
{
    if (!control) return false;
    // The row's init may close the window: the tree stays until this adding has ended too.
    const auto keepWindow = KeepWindowWhileActing();
    if (control->GetInterface(L"ListHeader")) return AdoptHeader(control);
    if (IsHeaderItem(control)) {
        const bool added = m_header->Add(control);
        UpdateColumns();
        return added;
    }
    if (IListItemUI* item = ListItemOf(control)) {
        // A row held elsewhere is refused before it answers to this list.
        if (!m_body->Add(control)) return false;
        item->SetOwner(this);
        item->SetIndex(m_body->GetCount() - 1);
        return true;
    }
    return CVerticalLayoutUI::AddAt(control, m_items.GetSize());
}

bool CListUI::AddAt(CControlUI* control, int index)
{
    if (!control) return false;
    const auto keepWindow = KeepWindowWhileActing();
    if (control->GetInterface(L"ListHeader")) return AdoptHeader(control);
    if (IsHeaderItem(control)) {
        const bool added = m_header->AddAt(control, index);
        UpdateColumns();
        return added;
    }
    if (!m_body->AddAt(control, index)) return false;
    if (IListItemUI* item = ListItemOf(control)) {
        item->SetOwner(this);
        item->SetIndex(index);
    }
    RenumberFrom(index + 1);
    if (m_curSel >= index) ++m_curSel;
    for (int& selected : m_selected)
        if (selected >= index) ++selected;
    if (m_expandedItem >= index) ++m_expandedItem;
    return true;
}

bool CListUI::Remove(CControlUI* control)
{
    const auto removing = Removing();
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) {
        if (control == m_header) m_header = nullptr;
        return CVerticalLayoutUI::Remove(control);
    }
    if (IsHeaderItem(control)) {
        const bool removed = m_header->Remove(control);
        UpdateColumns();
        return removed;
    }
    const int index = m_body->GetItemIndex(control);
    if (index < 0) return false;
    Disown(control);
    if (!m_body->TakeOutRowAt(index)) return false;
    RenumberFrom(index);
    ForgetRemovedRow(m_selected, index);
    if (index == m_curSel && m_curSel >= 0) {
        m_curSel = -1;
        SelectItem(m_body->FindSelectable(index, false));
    } else if (index < m_curSel) {
        --m_curSel;
    }
    if (m_expandedItem == index) m_expandedItem = -1;
    else if (index < m_expandedItem) --m_expandedItem;
    return true;
}

bool CListUI::RemoveAt(int index, bool resetSelection)
{
    const auto removing = Removing();
    if (index < 0 || index >= m_body->GetCount()) return false;
    Disown(m_body->GetItemAt(index));
    if (!m_body->TakeOutRowAt(index)) return false;
    RenumberFrom(index);
    ForgetRemovedRow(m_selected, index);
    if (resetSelection || index == m_curSel) m_curSel = -1;
    else if (index < m_curSel) --m_curSel;
    if (m_expandedItem == index) m_expandedItem = -1;
    else if (index < m_expandedItem) --m_expandedItem;
    return true;
}

void CListUI::RemoveAll()
{
    const auto removing = Removing();
    m_curSel = -1;
    m_expandedItem = -1;
    m_selected.clear();
    for (int i = 0; i < m_body->GetCount(); ++i) Disown(m_body->GetItemAt(i));
    m_body->TakeOutAllRows();
}

// A row taken out answers to this list no more: one the application keeps may outlive the list.
void CListUI::Disown(CControlUI* control)
{
    if (IListItemUI* item = ListItemOf(control)) item->SetOwner(nullptr);
}

bool CListUI::SetItemIndex(CControlUI* control, int index)
{
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) return CVerticalLayoutUI::SetItemIndex(control, index);
    if (IsHeaderItem(control)) return m_header->SetItemIndex(control, index);
    const int old = m_body->GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    std::vector<CControlUI*> selectedControls;
    for (int selected : m_selected) selectedControls.push_back(m_body->GetItemAt(selected));
    CControlUI* current = m_body->GetItemAt(m_curSel);
    CControlUI* expanded = m_body->GetItemAt(m_expandedItem);
    if (!m_body->SetItemIndex(control, index)) return false;
    RenumberFrom(std::min(old, index));
    m_selected.clear();
    for (CControlUI* selected : selectedControls) m_selected.push_back(m_body->GetItemIndex(selected));
    m_curSel = current ? m_body->GetItemIndex(current) : -1;
    m_expandedItem = expanded ? m_body->GetItemIndex(expanded) : -1;
    return true;
}

int CListUI::GetCurSel() const { return m_selected.empty() ? -1 : m_selected.front(); }

bool CListUI::SelectItem(int index, bool takeFocus)
{
    // The row's own Select calls back here; the outer call finishes the work.
    if (m_selecting >= 0 && m_selecting == index) return true;
    const int old = m_curSel;
    UnSelectAllItems();
    if (index < 0) return false;
    CControlUI* control = m_body->GetItemAt(index);
    IListItemUI* item = ListItemOf(control);
    if (!item) return false;
    m_selecting = index;
    const bool selected = item->Select(true);
    m_selecting = kNotSelecting;
    if (!selected) return false;
    CompleteSelection(index, control, takeFocus, old != index);
    return true;
}

bool CListUI::SelectMultiItem(int index, bool takeFocus)
{
    if (!m_multiSelect) return SelectItem(index, takeFocus);
    if (m_selecting >= 0 && m_selecting == index) return true;
    if (index < 0) return false;
    CControlUI* control = m_body->GetItemAt(index);
    IListItemUI* item = ListItemOf(control);
    if (!item) return false;
    if (std::find(m_selected.begin(), m_selected.end(), index) != m_selected.end()) return false;
    m_selecting = index;
    const bool selected = item->SelectMulti(true);
    m_selecting = kNotSelecting;
    if (!selected) return false;
    CompleteSelection(index, control, takeFocus, true);
    return true;
}

void CListUI::CompleteSelection(int index, CControlUI* control, bool takeFocus, bool notify)
{
    m_curSel = index;
    m_selected.push_back(index);
    // Scrolling and focus notify too: a handler may delete the list on the way, or take rows out or move
    // them (this one among them). The selection then goes on only while the row is still the one
    // selected, at the place it has now.
    const auto alive = WatchLifetime();
    const auto stillSelected = [&] {
        return !alive.expired() && m_curSel >= 0 && m_body->GetItemAt(m_curSel) == control;
    };
    EnsureVisible(index);
    if (!stillSelected()) return;
    if (takeFocus) control->SetFocus();
    if (!stillSelected() || !m_manager || !notify) return;
    m_manager->SendNotify(this, L"itemselect", static_cast<WPARAM>(m_curSel), 0);
}

bool CListUI::UnSelectItem(int index, bool others)
{
    if (!m_multiSelect) return false;
    const auto forget = [this](int row) {
        m_selected.erase(std::remove(m_selected.begin(), m_selected.end(), row), m_selected.end());
    };
    if (others) {
        const std::vector<int> selected = m_selected;
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            if (*it == index) continue;
            CControlUI* control = m_body->GetItemAt(*it);
            IListItemUI* item = ListItemOf(control);
            if (control && control->IsEnabled() && item && item->SelectMulti(false)) forget(*it);
        }
        return true;
    }
    CControlUI* control = m_body->GetItemAt(index);
    IListItemUI* item = ListItemOf(control);
    if (!control || !control->IsEnabled() || !item) return false;
    if (std::find(m_selected.begin(), m_selected.end(), index) == m_selected.end()) return false;
    if (!item->SelectMulti(false)) return false;
    forget(index);
    if (m_curSel == index) m_curSel = -1;
    return true;
}

void CListUI::SelectAllItems()
{
    for (int i = 0; i < m_body->GetCount(); ++i) {
        CControlUI* control = m_body->GetItemAt(i);
        IListItemUI* item = ListItemOf(control);
        if (!item || !control->IsVisible() || !control->IsEnabled()) continue;
        m_selecting = i;
        const bool selected = item->SelectMulti(true);
        m_selecting = kNotSelecting;
        if (!selected) continue;
        if (std::find(m_selected.begin(), m_selected.end(), i) == m_selected.end()) m_selected.push_back(i);
        m_curSel = i;
    }
}

void CListUI::UnSelectAllItems()
{
    const std::vector<int> selected = m_selected;
    for (int index : selected) {
        CControlUI* control = m_body->GetItemAt(index);
        IListItemUI* item = ListItemOf(control);
        if (item && control->IsEnabled()) item->SelectMulti(false);
    }
    m_selected.clear();
    m_curSel = -1;
}

int CListUI::GetNextSelItem(int index) const
{
    if (m_selected.empty()) return -1;
    if (index < 0) return m_selected.front();
    const auto it = std::find(m_selected.begin(), m_selected.end(), index);
    if (it == m_selected.end() || it + 1 == m_selected.end()) return -1;
    return *(it + 1);
}

void CListUI::SetMultiSelect(bool multi)
{
    m_multiSelect = multi;
    if (!multi) UnSelectAllItems();
}

bool CListUI::ExpandItem(int index, bool expand)
{
    if (m_expandedItem >= 0 && !m_info.multiExpandable) {
        if (IListItemUI* item = ListItemOf(m_body->GetItemAt(m_expandedItem))) item->Expand(false);
        m_expandedItem = -1;
    }
    if (expand) {
        CControlUI* control = m_body->GetItemAt(index);
        IListItemUI* item = ListItemOf(control);
        if (!item || !control->IsVisible()) return false;
        m_expandedItem = index;
        if (!item->Expand(true)) {
            m_expandedItem = -1;
            return false;
        }
    }
    RequestLayout();
    return true;
}

void CListUI::EnsureVisible(int index)
{
    if (m_curSel < 0) return;
    CControlUI* control = m_body->GetItemAt(index);
    if (!control) return;
    RECT inner = DeflateRectBy(m_body->GetPos(), m_body->GetInset());
    if (CScrollBarUI* bar = m_body->GetHorizontalScrollBar(); IsShownBar(bar)) inner.bottom -= bar->GetFixedHeight();
    const RECT& item = control->GetPos();
    if (item.top >= inner.top && item.bottom < inner.bottom) return;
    int shift = 0;
    if (item.top < inner.top) shift = item.top - inner.top;
    if (item.bottom > inner.bottom) shift = item.bottom - inner.bottom;
    if (shift == 0) return;
    const SIZE pos = m_body->GetScrollPos();
    m_body->SetScrollPos(SIZE{pos.cx, pos.cy + shift});
}

void CListUI::SetFixedScrollBar(bool fixed)
{
    m_fixedScrollBar = fixed;
    Invalidate();
}

SIZE CListUI::GetScrollPos() const { return m_body->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_body->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE pos, bool notify) { m_body->SetScrollPos(pos, notify); }
void CListUI::LineUp() { m_body->LineUp(); }
void CListUI::LineDown() { m_body->LineDown(); }
void CListUI::PageUp() { m_body->PageUp(); }
void CListUI::PageDown() { m_body->PageDown(); }
void CListUI::HomeUp() { m_body->HomeUp(); }
void CListUI::EndDown() { m_body->EndDown(); }
void CListUI::LineLeft() { m_body->LineLeft(); }
void CListUI::LineRight() { m_body->LineRight(); }
void CListUI::PageLeft() { m_body->PageLeft(); }
void CListUI::PageRight() { m_body->PageRight(); }
void CListUI::HomeLeft() { m_body->HomeLeft(); }
void CListUI::EndRight() { m_body->EndRight(); }
void CListUI::EnableScrollBar(bool vertical, bool horizontal) { m_body->EnableScrollBar(vertical, horizontal); }
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return m_body->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return m_body->GetHorizontalScrollBar(); }
int CListUI::GetChildPadding() const { return m_body->GetChildPadding(); }
void CListUI::SetChildPadding(int padding) { m_body->SetChildPadding(padding); }
bool CListUI::IsDelayedDestroy() const { return m_body->IsDelayedDestroy(); }
void CListUI::SetDelayedDestroy(bool delayed) { m_body->SetDelayedDestroy(delayed); }

void CListUI::SetPos(RECT rc, bool invalidate)
{
    m_placingOwnChildren = true;
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CVerticalLayoutUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    m_placingOwnChildren = false;
    if (!m_header) return;
    UpdateColumns();
    const bool hidden = !m_header->IsVisible();
    if (hidden) {
        for (int i = 0; i < m_header->GetCount(); ++i) m_header->GetItemAt(i)->SetInternalVisible(true);
        m_header->SetPos(RECT{m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.top}, false);
        // A column's size event may delete the list or take its header away.
        if (alive.expired() || !m_header) return;
    }
    for (int i = 0; i < m_info.columns; ++i) {
        CControlUI* item = m_header->GetItemAt(i);
        if (item->IsVisible() && !item->IsFloat()) m_info.columnRects[i] = item->GetPos();
    }
    if (hidden) {
        for (int i = 0; i < m_header->GetCount(); ++i) m_header->GetItemAt(i)->SetInternalVisible(false);
        m_body->SetPos(m_body->GetPos(), false);
    }
}

int CListUI::LargestSelected() const
{
    return m_selected.empty() ? -1 : *std::max_element(m_selected.begin(), m_selected.end());
}

int CListUI::SmallestSelected() const
{
    return m_selected.empty() ? -1 : *std::min_element(m_selected.begin(), m_selected.end());
}

bool CListUI::IsSelectableRow(int index) const
{
    CControlUI* row = m_body->GetItemAt(index);
    return row && row->IsVisible() && row->IsEnabled() && row->GetInterface(L"ListItem");
}

int CListUI::SelectableRowFrom(int index, int step) const
{
    // Hidden rows (those under a collapsed tree node), disabled rows and anything that is no row are passed over.
    for (; index >= 0 && index < m_body->GetCount(); index += step)
        if (IsSelectableRow(index)) return index;
    return -1;
}

void CListUI::MoveSelectionBy(int step)
{
    if (m_selected.empty()) return;
    // With no row to go to, the selection narrows to the row at that end of it.
    const int edge = step < 0 ? SmallestSelected() : LargestSelected();
    const int next = SelectableRowFrom(edge + step, step);
    const int target = next >= 0 ? next : edge;
    if (!IsSelectableRow(target)) return;
    UnSelectAllItems();
    SelectItem(target, true);
}

void CListUI::SelectEdgeRow(int edge, int inward)
{
    // A last (or first) row that cannot take the selection leaves it to the nearest one that can.
    const int row = SelectableRowFrom(edge, inward);
    if (row >= 0) SelectItem(row, true);
}

void CListUI::WheelSelect(int step)
{
    if (m_curSel < 0) {
        SelectEdgeRow(0, 1);
        return;
    }
    // Past the last row that can take it the selection stays, as it does for the arrow keys.
    const int next = SelectableRowFrom(m_curSel + step, step);
    if (next >= 0) SelectItem(next, true);
}

void CListUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CVerticalLayoutUI::HandleEvent(event); })) return;
    switch (event.Type) {
    case EVT_SETFOCUS:
        m_focused = true;
        return;
    case EVT_KILLFOCUS:
        m_focused = false;
        return;
    case EVT_KEYDOWN:
        switch (event.chKey) {
        case VK_RETURN:
            if (CControlUI* current = m_body->GetItemAt(m_curSel)) current->Activate();
            return;
        case VK_PRIOR:
            PageUp();
            return;
        case VK_NEXT:
            PageDown();
            return;
        case VK_END:
            SelectEdgeRow(m_body->GetCount() - 1, -1);
            return;
        case VK_HOME:
            SelectEdgeRow(0, 1);
            return;
        case VK_UP:
            MoveSelectionBy(-1);
            return;
        case VK_DOWN:
            MoveSelectionBy(1);
            return;
        case 'A':
            if (m_multiSelect && (event.wKeyState & MK_CONTROL)) SelectAllItems();
            return;
        default:
            break;
        }
        break;
    case EVT_SCROLLWHEEL: {
        const int delta = static_cast<short>(HIWORD(event.wParam));
        if (delta < 0) {
            if (m_scrollSelect && !m_multiSelect) WheelSelect(1);
            else LineDown();
            return;
        }
        if (delta > 0) {
            if (m_scrollSelect && !m_multiSelect) WheelSelect(-1);
            else LineUp();
            return;
        }
        break;
    }
    default:
        break;
    }
    CVerticalLayoutUI::HandleEvent(event);
}

void CListUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const auto is = [name](const wchar_t* candidate) { return _wcsicmp(name, candidate) == 0; };
    const auto repaintColor = [this, value](DWORD& field) {
        field = ParseColorValue(value);
        Invalidate();
    };
    const auto repaintImage = [this, value](CUIString& field) {
        field = value;
        Invalidate();
    };
    const auto repaintFlag = [this, value](bool& field) {
        field = ParseBool(value);
        Invalidate();
    };
    if (is(L"header")) {
        if (m_header) m_header->SetVisible(_wcsicmp(value, L"hidden") != 0);
    } else if (is(L"headerbkimage")) {
        if (m_header) m_header->SetBkImage(value);
    } else if (is(L"itemscrollselect")) {
        m_scrollSelect = ParseBool(value);
    } else if (is(L"fixedscrollbar")) {
        SetFixedScrollBar(ParseBool(value));
    } else if (is(L"multiexpanding")) {
        m_info.multiExpandable = ParseBool(value);
    } else if (is(L"itemfont")) {
        m_info.font = _wtoi(value);
    } else if (is(L"itemalign")) {
        if (wcsstr(value, L"left")) SetStyleBits(m_info.textStyle, 0, DT_CENTER | DT_RIGHT);
        if (wcsstr(value, L"center")) SetStyleBits(m_info.textStyle, DT_CENTER, DT_RIGHT);
        if (wcsstr(value, L"right")) SetStyleBits(m_info.textStyle, DT_RIGHT, DT_CENTER);
    } else if (is(L"itemvalign")) {
        if (wcsstr(value, L"top")) SetStyleBits(m_info.textStyle, 0, DT_VCENTER | DT_BOTTOM);
        if (wcsstr(value, L"vcenter"))
            SetStyleBits(m_info.textStyle, DT_VCENTER | DT_SINGLELINE, DT_BOTTOM | DT_WORDBREAK);
        if (wcsstr(value, L"bottom")) SetStyleBits(m_info.textStyle, DT_BOTTOM, DT_VCENTER);
    } else if (is(L"itemendellipsis")) {
        if (ParseBool(value)) SetStyleBits(m_info.textStyle, DT_END_ELLIPSIS, 0);
        else SetStyleBits(m_info.textStyle, 0, DT_END_ELLIPSIS);
    } else if (is(L"itemtextpadding")) {
        m_info.textPadding = ParseRectValue(value);
        RequestLayout();
    } else if (is(L"itemtextcolor")) {
        repaintColor(m_info.textColor);
    } else if (is(L"itembkcolor")) {
        repaintColor(m_info.bkColor);
    } else if (is(L"itemselectedtextcolor")) {
        repaintColor(m_info.selectedTextColor);
    } else if (is(L"itemselectedbkcolor")) {
        repaintColor(m_info.selectedBkColor);
    } else if (is(L"itemhottextcolor")) {
        repaintColor(m_info.hotTextColor);
    } else if (is(L"itemhotbkcolor")) {
        repaintColor(m_info.hotBkColor);
    } else if (is(L"itemdisabledtextcolor")) {
        repaintColor(m_info.disabledTextColor);
    } else if (is(L"itemdisabledbkcolor")) {
        repaintColor(m_info.disabledBkColor);
    } else if (is(L"itemlinecolor")) {
        repaintColor(m_info.lineColor);
    } else if (is(L"itembkimage")) {
        repaintImage(m_info.bkImage);
    } else if (is(L"itemselectedimage")) {
        repaintImage(m_info.selectedImage);
    } else if (is(L"itemhotimage")) {
        repaintImage(m_info.hotImage);
    } else if (is(L"itemdisabledimage")) {
        repaintImage(m_info.disabledImage);
    } else if (is(L"itemaltbk")) {
        repaintFlag(m_info.alternateBk);
    } else if (is(L"itemshowrowline")) {
        repaintFlag(m_info.showRowLine);
    } else if (is(L"itemshowcolumnline")) {
        repaintFlag(m_info.showColumnLine);
    } else if (is(L"itemrowlineheight")) {
        m_info.rowLineHeight = _wtoi(value);
        Invalidate();
    } else if (is(L"itemcolumnlinewidth")) {
        m_info.columnLineWidth = _wtoi(value);
        Invalidate();
    } else if (is(L"itemshowhtml")) {
        const bool show = ParseBool(value);
        if (show != m_info.showHtml) {
            m_info.showHtml = show;
            RequestLayout();
        }
    } else if (wcscmp(name, L"multiselect") == 0) {
        SetMultiSelect(wcscmp(value, L"true") == 0);
    } else if (wcscmp(name, L"itemrselected") == 0) {
        const bool rightSelects = wcscmp(value, L"true") == 0;
        if (rightSelects != m_info.rightButtonSelects) {
            m_info.rightButtonSelects = rightSelects;
            RequestLayout();
        }
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
