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
    int height = 0;
    for (size_t i = first; i < end; ++i) {
        CControlUI* child = cells[i];
        const size_t column = i - first;
        const RECT pad = child->GetPadding();
        int width = cellWidth - pad.left - pad.right;
        width -= (column == 0 || column == static_cast<size_t>(m_columns) - 1) ? padding / 2 : padding;
        width = ClampMinThenMax(width, child->GetMinWidth(), child->GetMaxWidth());
        SIZE size = child->CalcDesiredSize(SIZE{width, 9999});
        size.cy = ClampMinThenMax(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        height = std::max<int>(height, size.cy + pad.top + pad.bottom);
    }
    return height;
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
        const RECT pad = child->GetPadding();
        RECT inner = {cellLeft + pad.left, rowTop + pad.top, cellLeft + cellWidth - pad.right, rowTop + rowHeight};
        if (column != 0) inner.left += padding / 2;
        if (column != m_columns - 1) inner.right -= padding / 2;
        SIZE size = child->CalcDesiredSize(SIZE{inner.right - inner.left, inner.bottom - inner.top});
        if (size.cx == 0) size.cx = inner.right - inner.left;
        if (size.cy == 0) size.cy = inner.bottom - inner.top;
        size.cx = ClampMinThenMax(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        size.cy = ClampMinThenMax(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        const LONG left = (inner.left + inner.right - size.cx) / 2;
        const LONG top = (inner.top + inner.bottom - size.cy) / 2;
        child->SetPos(RECT{left, top, left + size.cx, top + size.cy}, true);
        if (alive.expired() || version != m_itemsVersion) return;
        ++placed;
        if (column == m_columns - 1) {
            cellLeft = rowLeft;
            rowTop += rowHeight + padding;
        } else {
            cellLeft += cellWidth;
        }
    }
    const int lastRowBottom = placed % m_columns == 0 ? rowTop - padding : rowTop + rowHeight;
    const int scrolled = IsVisibleBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollPos() : 0;
    ProcessScrollBar(rc, 0, lastRowBottom - rc.top + scrolled);
}

}  // namespace SkinUI
