#pragma once

#include "Layout/ContainerUI.h"

#include <vector>

namespace SkinUI {

// Arranges the children in a grid of equal columns, each row as high as its tallest child.
class CTileLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateInstance() { return new CTileLayoutUI(); }
    const wchar_t* GetClass() const override { return L"TileLayout"; }
    void* GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    SIZE GetItemSize() const;
    void SetItemSize(SIZE size);
    int GetColumns() const { return m_columns; }
    void SetColumns(int columns);

private:
    int RowHeight(const std::vector<CControlUI*>& cells, size_t first, int cellWidth) const;

    SIZE m_itemSize = {0, 0};
    int m_columns = 1;
};

}  // namespace SkinUI
