#pragma once

#include "Layout/BoxLayout.h"
#include "Utils/UIString.h"

#include <vector>

namespace SkinUI {

class CListHeaderUI;
class CListUI;

constexpr int kMaxListColumns = 32;

// Kinds of list owners, as answered by GetListType.
enum ListType { LIST_TYPE_LIST = 0, LIST_TYPE_COMBO = 1, LIST_TYPE_TREE = 2, LIST_TYPE_MENU = 3 };

// How the items of one list look; the list owns it and its items read it.
struct ListInfo {
    int columns = 0;
    int font = -1;
    UINT textStyle = DT_VCENTER | DT_SINGLELINE;
    bool alternateBk = false;
    bool showRowLine = false;
    bool showColumnLine = false;
    bool showHtml = false;
    bool multiExpandable = false;
    bool rightButtonSelects = false;
    int rowLineHeight = 1;
    int columnLineWidth = 1;
    DWORD textColor = 0xFF000000;
    DWORD bkColor = 0;
    DWORD selectedTextColor = 0xFF000000;
    DWORD selectedBkColor = 0xFFC1E3FF;
    DWORD hotTextColor = 0xFF000000;
    DWORD hotBkColor = 0xFFE9F5FF;
    DWORD disabledTextColor = 0xFFCCCCCC;
    DWORD disabledBkColor = 0xFFFFFFFF;
    DWORD lineColor = 0;
    RECT textPadding = {0, 0, 0, 0};
    RECT columnRects[kMaxListColumns] = {};
    CUIString bkImage;
    CUIString hotImage;
    CUIString disabledImage;
    CUIString selectedImage;
};

// What list items ask of the control that holds them.
class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual int GetListType() = 0;
    virtual ListInfo* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    virtual bool SelectMultiItem(int index, bool takeFocus = false) = 0;
    virtual bool UnSelectItem(int index, bool others = false) = 0;
    virtual void DoEvent(ControlEvent& event) = 0;
};

// Supplies cell texts to text elements.
class IListCallbackUI {
public:
    virtual ~IListCallbackUI() = default;
    virtual const wchar_t* GetItemText(CControlUI* control, int index, int column) = 0;
};

class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListCallbackUI* callback) = 0;
    virtual bool ExpandItem(int index, bool expand = true) = 0;
    virtual int GetExpandedItem() const = 0;
    virtual void SetMultiSelect(bool multi) = 0;
    virtual bool IsMultiSelect() const = 0;
    virtual void SelectAllItems() = 0;
    virtual void UnSelectAllItems() = 0;
    virtual int GetSelectItemCount() const = 0;
    virtual int GetNextSelItem(int index) const = 0;
};

// The scrolling part of a list: stacks the items, lines them up with the header's columns and scrolls the
// header along horizontally.
class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner) : m_owner(owner) {}

    void SetScrollPos(SIZE pos, bool notify = true) override;
    int GetScrollStepSize() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    // The row's place among the stacked (shown, not floating) rows: known at once for the row being
    // placed, so that tiles find their cell without counting the rows before them.
    int StackedPlaceOf(const CControlUI* row) const;
    void HandleEvent(ControlEvent& event) override;
    // Rows leave through the list whichever way they are taken out: it renumbers the rest, moves its
    // selection and lets go of them.
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    // The taking out itself, for the list once it has done its part.
    bool TakeOutRowAt(int index);
    void TakeOutAllRows();

private:
    CListUI* m_owner;
    const CControlUI* m_placingRow = nullptr;
    int m_placingPlace = 0;
};

// A list of items with an optional column header, single or multiple selection and keyboard navigation.
class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();
    ~CListUI() override;
    static CControlUI* CreateInstance() { return new CListUI(); }

    const wchar_t* GetClass() const override { return L"List"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override { return CONTROL_FLAG_TABSTOP; }

    // IListOwnerUI / IListUI
    int GetListType() override { return LIST_TYPE_LIST; }
    ListInfo* GetListInfo() override { return &m_info; }
    int GetCurSel() const override;
    bool SelectItem(int index, bool takeFocus = false) override;
    bool SelectMultiItem(int index, bool takeFocus = false) override;
    bool UnSelectItem(int index, bool others = false) override;
    void DoEvent(ControlEvent& event) override { HandleEvent(event); }
    CListHeaderUI* GetHeader() const override { return m_header; }
    CContainerUI* GetList() const override { return m_body; }
    IListCallbackUI* GetTextCallback() const override { return m_callback; }
    void SetTextCallback(IListCallbackUI* callback) override { m_callback = callback; }
    bool ExpandItem(int index, bool expand = true) override;
    int GetExpandedItem() const override { return m_expandedItem; }
    void SetMultiSelect(bool multi) override;
    bool IsMultiSelect() const override { return m_multiSelect; }
    void SelectAllItems() override;
    void UnSelectAllItems() override;
    int GetSelectItemCount() const override { return static_cast<int>(m_selected.size()); }
    int GetNextSelItem(int index) const override;

    // Items go to the body, header items to the header.
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override { return RemoveAt(index, false); }
    // With resetSelection the selection is dropped (and re-chosen for a negative index); else it moves up.
    virtual bool RemoveAt(int index, bool resetSelection);
    void RemoveAll() override;

    void EnsureVisible(int index);
    bool IsFixedScrollBar() const { return m_fixedScrollBar; }
    void SetFixedScrollBar(bool fixed);
    bool IsScrollSelect() const { return m_scrollSelect; }
    void SetScrollSelect(bool scrollSelect) { m_scrollSelect = scrollSelect; }
    // Column count and rectangles from the header (at most 32 columns).
    void UpdateColumns();

    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE pos, bool notify = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    void EnableScrollBar(bool vertical = true, bool horizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;
    int GetChildPadding() const override;
    void SetChildPadding(int padding) override;
    bool IsDelayedDestroy() const override;
    void SetDelayedDestroy(bool delayed) override;

    void SetPos(RECT rc, bool invalidate = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    static void Disown(CControlUI* control);
    bool IsHeaderItem(CControlUI* control) const;
    bool AdoptHeader(CControlUI* control);
    void RenumberFrom(int index);
    void CompleteSelection(int index, CControlUI* control, bool takeFocus, bool notify);
    int LargestSelected() const;
    int SmallestSelected() const;
    bool IsSelectableRow(int index) const;
    int SelectableRowFrom(int index, int step) const;
    // The arrow keys' move: the selection goes to the nearest row that can take it, one step = one direction.
    void MoveSelectionBy(int step);
    // Home and End: the selectable row nearest to that end.
    void SelectEdgeRow(int edge, int inward);
    // The wheel with "itemscrollselect": one selectable row in its direction.
    void WheelSelect(int step);

    bool m_fixedScrollBar = false;
    bool m_scrollSelect = false;
    int m_curSel = -1;
    bool m_multiSelect = false;
    std::vector<int> m_selected;
    int m_expandedItem = -1;
    // The row being selected from here, so that its call back is not counted twice.
    int m_selecting = -2;
    // While the list places its own children (header, body, extras), item lookups by index answer for them.
    bool m_placingOwnChildren = false;
    IListCallbackUI* m_callback = nullptr;
    CListBodyUI* m_body = nullptr;
    CListHeaderUI* m_header = nullptr;
    ListInfo m_info;
};

}  // namespace SkinUI
