#pragma once

#include "Core/ControlUI.h"
#include "Core/ControlDeletion.h"
#include "Utils/DispatchScope.h"
#include "Utils/PtrArray.h"

namespace SkinUI {

class CScrollBarUI;

// What other parts use to add and remove the children of a container.
class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

// A control that owns children, places each over its whole client area, paints them clipped and can scroll
// its content with two scroll bars. Layouts derive from it and replace the placement.
class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI() = default;
    ~CContainerUI() override;
    static CControlUI* CreateInstance() { return new CContainerUI(); }

    const wchar_t* GetClass() const override { return L"Container"; }
    void* GetInterface(const wchar_t* name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override { return m_items.GetSize(); }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual UINT GetChildAlign() const { return m_childAlign; }
    virtual void SetChildAlign(UINT align);
    virtual UINT GetChildVAlign() const { return m_childVAlign; }
    virtual void SetChildVAlign(UINT align);
    virtual bool IsAutoDestroy() const { return m_autoDestroy; }
    virtual void SetAutoDestroy(bool autoDestroy) { m_autoDestroy = autoDestroy; }
    virtual bool IsDelayedDestroy() const { return m_delayedDestroy; }
    virtual void SetDelayedDestroy(bool delayed) { m_delayedDestroy = delayed; }
    virtual bool IsMouseChildEnabled() const { return m_mouseChildEnabled; }
    virtual void SetMouseChildEnabled(bool enabled = true) { m_mouseChildEnabled = enabled; }
    virtual int FindSelectable(int index, bool forward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos, bool notify = true);
    virtual void SetScrollStepSize(int size);
    virtual int GetScrollStepSize() const;
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const { return m_verticalScrollBar; }
    virtual CScrollBarUI* GetHorizontalScrollBar() const { return m_horizontalScrollBar; }
    virtual void SetFloatPos(int index);
    virtual void ProcessScrollBar(RECT rc, int requiredWidth, int requiredHeight);

    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    RECT GetClientPos() const override;
    void SetPos(RECT rc, bool invalidate = true) override;
    // Move is the base control's: the children sit relative to the container (floating ones by their fixed
    // position) and follow it when it is laid out again; moving them as well would move them twice.
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetMouseEnabled(bool enabled = true) override;
    CControlUI* FindControl(FindControlProc proc, void* data, UINT flags) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;

protected:
    // Placing children calls their overrides and size events, application code that may delete them, this
    // container or its window: what it deletes waits until the placing has ended, however it started.
    CDispatchScope PlacingChildren() const;
    // Removing children runs their destruction handlers, application code that may delete this container
    // or close its window: those wait until the removal has returned, however it started.
    ControlDeletion::RemovalScope Removing() const;
    bool CanAdopt(const CControlUI* control) const;
    void DestroyChild(CControlUI* control);
    // Gives the children this container's visibility; stops once `alive` (this container's) has expired.
    void ShowChildren(const std::weak_ptr<void>& alive);
    // The child at index when the layout is to place it (visible, not floating); a floating one is placed by
    // its float settings here and null is answered, as for a hidden one.
    CControlUI* ChildToLayOut(int index);
    bool IsVisibleBar(const CScrollBarUI* bar) const;
    // Gives the visible scroll bars the new positions (each clamps); answers how far they moved.
    SIZE MoveScrollBars(SIZE pos);
    // The item rect less the inset and the visible scroll bars (the visible part of the client area).
    RECT GetContentRect() const;
    int LineStep() const;
    void ScrollBy(int dx, int dy);
    void ApplyScrollBarStyle(CScrollBarUI* bar, const wchar_t* style);
    bool UpdateBar(CScrollBarUI* bar, bool horizontal, const RECT& rc, int required);

    CPtrArray m_items;
    // Grows with every change to m_items: a layout pass whose children's handlers changed them stops.
    unsigned m_itemsVersion = 0;
    RECT m_inset = {0, 0, 0, 0};
    int m_childPadding = 0;
    UINT m_childAlign = 0;
    UINT m_childVAlign = 0;
    bool m_autoDestroy = true;
    bool m_delayedDestroy = true;
    bool m_mouseChildEnabled = true;
    int m_scrollStepSize = 0;
    CScrollBarUI* m_verticalScrollBar = nullptr;
    CScrollBarUI* m_horizontalScrollBar = nullptr;
    // Set while the layout runs again for a scroll range that moved, so that it runs again only once.
    bool m_placingForNewRange = false;
    CUIString m_verticalScrollBarStyle;
    CUIString m_horizontalScrollBarStyle;
};

}  // namespace SkinUI
