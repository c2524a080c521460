#pragma once

#include "Control/UIList.h"
#include "Utils/PtrArray.h"

namespace SkinUI {

// What a list asks of its rows.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual bool SelectMulti(bool select = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool expand = true) = 0;
    virtual void DrawItemText(HDC hdc, const RECT& rcItem) = 0;
};

// Selection state of one row and how it talks to its owner; shared by every kind of row.
class CListItemState {
public:
    int index = -1;
    bool selected = false;
    UINT buttonState = 0;
    IListOwnerUI* owner = nullptr;
    CControlUI* ownerControl = nullptr;

    void SetOwner(CControlUI* control);
    // Selection changes; the row repaints through repaint.
    bool Select(CControlUI& self, bool select, void (*repaint)(CControlUI&));
    bool SelectMulti(CControlUI& self, bool select, void (*repaint)(CControlUI&));
    // "itemactivate" for a visible, enabled row.
    bool Activate(CControlUI& self) const;
    // A row that went out of sight gives up its selection.
    void LeaveSelectionWhenHidden(CControlUI& self);
    // Pressing, releasing and hovering, the same for every kind of row; false when the event is not one of them.
    bool HandleRowInput(CControlUI& self, IListItemUI& item, const ControlEvent& event);
    ListInfo* Info() const { return owner ? owner->GetListInfo() : nullptr; }

private:
    bool OwnerSelectsMany() const;
};

// Repaints only the part of a row that its ancestors let show.
void InvalidateVisiblePart(CControlUI& control);
// The row background from the owner's look: colour, state image, own or shared image, row and column lines.
void DrawListItemBackground(HDC hdc, CControlUI& control, const CListItemState& state);

// Base of the single-control rows.
class CListElementUI : public CControlUI, public IListItemUI {
public:
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override { return 4; }
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    int GetIndex() const override { return m_state.index; }
    void SetIndex(int index) override { m_state.index = index; }
    IListOwnerUI* GetOwner() override { return m_state.owner; }
    void SetOwner(CControlUI* owner) override { m_state.SetOwner(owner); }
    bool IsSelected() const override { return m_state.selected; }
    bool Select(bool select = true) override;
    bool SelectMulti(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    UINT GetButtonState() const { return m_state.buttonState; }

protected:
    // Double click and Return activate; other events go to the owner.
    void HandleElementEvent(ControlEvent& event);

    CListItemState m_state;
};

// A row of one line of text.
class CListLabelElementUI : public CListElementUI {
public:
    static CControlUI* CreateInstance() { return new CListLabelElementUI(); }

    const wchar_t* GetClass() const override { return L"ListLabelElement"; }
    void* GetInterface(const wchar_t* name) override;
    void HandleEvent(ControlEvent& event) override;
    SIZE CalcDesiredSize(SIZE available) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;
    void DrawItemText(HDC hdc, const RECT& rcItem) override;

protected:
    DWORD TextColor(const ListInfo& info) const;
};

// A row with one text per header column; texts come from the list's callback (or SetColumnText) and may
// hold clickable links.
class CListTextElementUI : public CListLabelElementUI {
public:
    static constexpr int kMaxLinks = 8;

    CListTextElementUI() = default;
    ~CListTextElementUI() override;
    static CControlUI* CreateInstance() { return new CListTextElementUI(); }

    const wchar_t* GetClass() const override { return L"ListTextElementUI"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetOwner(CControlUI* owner) override;
    void HandleEvent(ControlEvent& event) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void DrawItemText(HDC hdc, const RECT& rcItem) override;

    CUIString GetColumnText(int column) const;
    void SetColumnText(int column, const wchar_t* text);
    int GetLinkCount() const { return m_linkCount; }
    const RECT& GetLinkRect(int link) const { return m_linkRects[link]; }
    const CUIString& GetLinkText(int link) const { return m_linkTexts[link]; }

private:
    int LinkAt(POINT pt) const;

    int m_linkCount = 0;
    RECT m_linkRects[kMaxLinks] = {};
    CUIString m_linkTexts[kMaxLinks];
    int m_hoveredLink = -1;
    IListUI* m_ownerList = nullptr;
    CPtrArray m_columnTexts;
};

// A row that is a horizontal layout; its children line up with the header's columns.
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    static CControlUI* CreateInstance() { return new CListContainerElementUI(); }

    const wchar_t* GetClass() const override { return L"ListContainerElementUI"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override { return 4; }
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void HandleEvent(ControlEvent& event) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;

    int GetIndex() const override { return m_state.index; }
    void SetIndex(int index) override { m_state.index = index; }
    IListOwnerUI* GetOwner() override { return m_state.owner; }
    void SetOwner(CControlUI* owner) override { m_state.SetOwner(owner); }
    bool IsSelected() const override { return m_state.selected; }
    bool Select(bool select = true) override;
    bool SelectMulti(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    void DrawItemText(HDC, const RECT&) override {}
    UINT GetButtonState() const { return m_state.buttonState; }

protected:
    CListItemState m_state;
};

}  // namespace SkinUI
