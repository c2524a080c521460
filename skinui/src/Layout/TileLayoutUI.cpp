#include "Layout/TileLayoutUI.h"

#include "Control/ScrollBarUI.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace SkinUI {

void* CTileLayoutUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"TileLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

SIZE CTileLayoutUI::GetItemSize() const { return SIZE{Scaled(m_itemSize.cx), Scaled(m_itemSize.cy)}; }

void CTileLayoutUI::SetItemSize(SIZE size)
{
    if (m_itemSize.cx == size.cx && m_itemSize.cy == size.cy) return;
    m_itemSize = size;
    RequestLayout();
}

void CTileLayoutUI::SetColumns(int columns)
{
    if (columns <= 0) return;
    m_columns = columns;
    RequestLayout();
}

void CTileLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"itemsize") == 0) {
        wchar_t* end = nullptr;
        SIZE size = {wcstol(value, &end, 10), 0};
        if (*end) size.cy = wcstol(end + 1, nullptr, 10);
        SetItemSize(size);
    } else if (_wcsicmp(name, L"columns") == 0) {
        SetColumns(_wtoi(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

// The height of the row whose cells are cells[first] onward, up to a full row.
int CTileLayoutUI::RowHeight(const std::vector<CControlUI*>& cells, size_t first, int cellWidth) const
{
    const int padding = GetChildPadding();
    const size_t end = std::min(cells.size(), first + static_cast<size_t>(m_columns));
    long long height = 0;
    for (size_t i = first; i < end; ++i) {
        CControlUI* child = cells[i];
        const size_t column = i - first;
        const RECT pad = child->GetPadding();
        long long width = static_cast<long long>(cellWidth) - pad.left - pad.right;
        width -= (column == 0 || column == static_cast<size_t>(m_columns) - 1) ? padding / 2 : padding;
        const int offered = ClampMinThenMax(ClampToInt(width), child->GetMinWidth(), child->GetMaxWidth());
        SIZE size = child->CalcDesiredSize(SIZE{offered, 9999});
        size.cy = ClampMinThenMax(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        height = std::max(height, static_cast<long long>(size.cy) + pad.top + pad.bottom);
    }
    return ClampToInt(height);
}

void CTileLayoutUI::SetPos(RECT rc, bool invalidate)
{
    const auto placing = PlacingChildren();
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    // The inset scaled as the container clips its children to it.
    rc = GetContentRect();
    if (m_items.IsEmpty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    // An inset wider than the layout leaves no room, never less.
    const int width = std::max(0, ClampToInt(static_cast<long long>(rc.right) - rc.left));
    // The item width is in skin pixels like the room is not: scaled, the same columns show at every scale.
    const int itemWidth = GetItemSize().cx;
    if (itemWidth >= 1) m_columns = width / itemWidth;
    m_columns = std::max(1, m_columns);
    const bool horizontalBar = IsVisibleBar(m_horizontalScrollBar);
    const int cellWidth =
        ClampToInt((static_cast<long long>(width) + (horizontalBar ? m_horizontalScrollBar->GetScrollRange() : 0)) /
                   m_columns);
    const int padding = GetChildPadding();
    const int rowLeft = rc.left - (horizontalBar ? m_horizontalScrollBar->GetScrollPos() : 0);
    int rowTop = rc.top - (IsVisibleBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollPos() : 0);
    int cellLeft = rowLeft;
    int rowHeight = 0;
    int placed = 0;
    // The cells in order, so that each row's height is measured over its own children only.
    std::vector<CControlUI*> cells;
    cells.reserve(static_cast<size_t>(m_items.GetSize()));
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (child->IsVisible() && !child->IsFloat()) cells.push_back(child);
    }
    // A child's handlers may delete this layout or change its children: the cells listed above are then
    // stale, and the pass stops (a change asks for a new layout).
    const unsigned version = m_itemsVersion;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildToLayOut(i);
        if (alive.expired() || version != m_itemsVersion) return;
        if (!child) continue;
        const int column = placed % m_columns;
        if (column == 0) rowHeight = RowHeight(cells, static_cast<size_t>(placed), cellWidth);
        // Paddings reach the int limits: the cell is worked out in 64 bits and placed within the int range.
        const RECT pad = child->GetPadding();
        const long long innerLeft = static_cast<long long>(cellLeft) + pad.left + (column != 0 ? padding / 2 : 0);
        const long long innerRight = static_cast<long long>(cellLeft) + cellWidth - pad.right -
                                     (column != m_columns - 1 ? padding / 2 : 0);
        const long long innerTop = static_cast<long long>(rowTop) + pad.top;
        const long long innerBottom = static_cast<long long>(rowTop) + rowHeight;
        const SIZE inner = {ClampToInt(innerRight - innerLeft), ClampToInt(innerBottom - innerTop)};
        SIZE size = child->CalcDesiredSize(inner);
        if (size.cx == 0) size.cx = inner.cx;
        if (size.cy == 0) size.cy = inner.cy;
        size.cx = ClampMinThenMax(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        size.cy = ClampMinThenMax(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        const long long left = (innerLeft + innerRight - size.cx) / 2;
        const long long top = (innerTop + innerBottom - size.cy) / 2;
        child->SetPos(RECT{ClampToInt(left), ClampToInt(top), ClampToInt(left + size.cx), ClampToInt(top + size.cy)},
                      true);
        if (alive.expired() || version != m_itemsVersion) return;
        ++placed;
        if (column == m_columns - 1) {
            cellLeft = rowLeft;
            rowTop = ClampToInt(static_cast<long long>(rowTop) + rowHeight + padding);
        } else {
            cellLeft = ClampToInt(static_cast<long long>(cellLeft) + cellWidth);
        }
    }
    const long long lastRowBottom =
        placed % m_columns == 0 ? static_cast<long long>(rowTop) - padding : static_cast<long long>(rowTop) + rowHeight;
    const int scrolled = IsVisibleBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollPos() : 0;
    ProcessScrollBar(rc, 0, ClampToInt(lastRowBottom - rc.top + scrolled));
}

}  // namespace SkinUI
