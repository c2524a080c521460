#pragma once

#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Core/UIInterfaces.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"
#include "Utils/StringPtrMap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace SkinUI {

class CMenuElementUI;
class CMenuWnd;

// Sent to the application's window when a leaf item is clicked; lParam is the element, wParam the record
// (MenuClickRecord*, owned and freed by the receiver). Both stay valid until the window has handled it.
constexpr UINT kMenuClickMessage = WM_USER + 121;

// What a menu broadcast asks: 1 closes every menu, 2 closes the menus opened below the given window.
struct MenuCloseParam {
    WPARAM wParam = 0;
    HWND hWnd = nullptr;
};

// Check and enable state of one item, kept by name in a table that outlives the menu windows.
struct MenuItemState {
    wchar_t name[256] = {};
    uint8_t checked = 0;
    uint8_t enabled = 1;
};

struct MenuClickRecord {
    wchar_t name[256];
    wchar_t userData[1024];
    wchar_t text[1024];
    int32_t checked;
};

class MenuMenuReceiverImplBase;

class MenuMenuObserverImplBase {
public:
    virtual ~MenuMenuObserverImplBase() = default;
    virtual void AddReceiver(MenuMenuReceiverImplBase* receiver) = 0;
    virtual void RemoveReceiver(MenuMenuReceiverImplBase* receiver) = 0;
    virtual BOOL Broadcast(MenuCloseParam param) = 0;
    virtual void SetManager(CWindowUIManager* manager) = 0;
    virtual CWindowUIManager* GetManager() const = 0;
    virtual void SetItemStateTable(CUIStringPtrMap* table) = 0;
    virtual CUIStringPtrMap* GetItemStateTable() const = 0;
};

class MenuMenuReceiverImplBase {
public:
    virtual ~MenuMenuReceiverImplBase() = default;
    virtual void AddObserver(MenuMenuObserverImplBase* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual BOOL Receive(MenuCloseParam param) = 0;
};

// Every open menu window registers here; closing requests reach them all through Broadcast.
class MenuObserverImpl : public MenuMenuObserverImplBase {
public:
    void AddReceiver(MenuMenuReceiverImplBase* receiver) override;
    void RemoveReceiver(MenuMenuReceiverImplBase* receiver) override;
    // Newest receiver first.
    BOOL Broadcast(MenuCloseParam param) override;
    void SetManager(CWindowUIManager* manager) override;
    // None once that manager is gone (its window destroyed by a click handler, say).
    CWindowUIManager* GetManager() const override;
    void SetItemStateTable(CUIStringPtrMap* table) override;
    CUIStringPtrMap* GetItemStateTable() const override { return m_itemStates; }
    const std::vector<MenuMenuReceiverImplBase*>& GetReceivers() const { return m_receivers; }
    // Broadcast to those of the given receivers that are still registered.
    void BroadcastTo(const std::vector<MenuMenuReceiverImplBase*>& receivers, MenuCloseParam param);
    // While the application handles a click, menus asked to close only hide: their items must outlive
    // the handling. Releasing the last hold closes them.
    void HoldClosing() { ++m_closingHeld; }
    void ReleaseClosing();
    bool IsClosingHeld() const { return m_closingHeld > 0; }

private:
    std::vector<MenuMenuReceiverImplBase*> m_receivers;
    int m_closingHeld = 0;
    CWindowUIManager* m_manager = nullptr;
    CUIStringPtrMap* m_itemStates = nullptr;
};

// The process's one observer (UI thread).
MenuObserverImpl& GetMenuObserver();

class MenuReceiverImpl : public MenuMenuReceiverImplBase {
public:
    void AddObserver(MenuMenuObserverImplBase* observer) override { m_observers.push_back(observer); }
    void RemoveObserver() override;
    BOOL Receive(MenuCloseParam) override { return TRUE; }

private:
    std::vector<MenuMenuObserverImplBase*> m_observers;
};

// The list inside a menu window; takes only menu elements.
class CMenuUI : public CListUI {
public:
    CMenuUI();
    static CControlUI* CreateInstance() { return new CMenuUI(); }

    const wchar_t* GetClass() const override { return L"Menu"; }
    void* GetInterface(const wchar_t* name) override;
    int GetListType() override { return LIST_TYPE_MENU; }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    SIZE CalcDesiredSize(SIZE available) override;

    CMenuWnd* GetMenuWnd() const { return m_menuWnd; }
    void SetMenuWnd(CMenuWnd* window) { m_menuWnd = window; }

private:
    CMenuWnd* m_menuWnd = nullptr;
};

// One item of a menu; items holding further menu elements open them as a sub-menu beside it.
class CMenuElementUI : public CListContainerElementUI {
public:
    CMenuElementUI();
    ~CMenuElementUI() override;
    static CControlUI* CreateInstance() { return new CMenuElementUI(); }

    const wchar_t* GetClass() const override { return L"MenuElementUI"; }
    void* GetInterface(const wchar_t* name) override;
    // Taken out of its menu or moved: the sub-menu opened from it closes.
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    // Hidden, by itself or a parent, it closes its open sub-menu: that would offer the items of an item not shown.
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void HandleEvent(ControlEvent& event) override;
    SIZE CalcDesiredSize(SIZE available) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // While the sub-menu is open its items count among this element's children, in their places: the
    // element answers and changes alike whether it is open or not.
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    // A sub-item added while the sub-menu is open shows in it; one added while it is closed waits hidden.
    bool AddAt(CControlUI* control, int index) override;
    // A sub-item lent to the open sub-menu is taken from there and removed for good.
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    bool GetChecked() const;
    void SetChecked(bool checked);
    bool IsSeparator() const { return m_separator; }
    // True also while the sub-items are lent to the open sub-menu.
    bool HasSubItems() const;
    CMenuWnd* GetSubMenuWindow() const { return m_subMenu; }
    // The menu window showing this element (none outside a menu window).
    CMenuWnd* GetMenuWindow() const;
    CMenuUI* GetOwnerMenu() const;
    void OpenSubMenu();
    // Called by the sub-menu window when it goes.
    void OnSubMenuClosed();
    std::vector<CMenuElementUI*> GetSubItems() const;
    // The sub-menu shows the sub-items in its own window: they leave this element while it is open (the
    // sub-menu's window takes them from this one) and come back, hidden, when it closes. So each is in one
    // window at a time.
    std::vector<CMenuElementUI*> LendSubItems();
    void TakeBackSubItems(const std::vector<CMenuElementUI*>& items);

private:
    // The open sub-menu's list while it holds the sub-items; none otherwise.
    CMenuUI* GetLentList() const;
    // The children in their order, the lent sub-items (in the given order) in the places they left.
    std::vector<CControlUI*> ChildrenWith(const std::vector<CMenuElementUI*>& lent) const;
    std::vector<CControlUI*> Children() const;
    void KeepPlacesOf(const std::vector<CControlUI*>& children);
    void TakeBackSubItem(CMenuElementUI* item, int at);

    void SelectSelf();
    void CloseSubMenuWhenHidden();
    // Hovering, clicking and the Right key open the sub-menu alike.
    void SelectAndOpenSubMenu();
    void SelectFirstSubItem();
    void CloseSiblingSubMenus();
    // A leaf picked (clicked, or Enter): its check toggles, the application hears of it, the menus close.
    void Choose();
    void DeliverClick(HWND target);

    CMenuWnd* m_subMenu = nullptr;
    bool m_separator = false;
    DWORD m_lineColor = 0xFFBCBFC4;
    RECT m_linePadding = {29, 0, 7, 0};
    SIZE m_iconSize = {16, 16};
    CUIString m_icon;
    bool m_checkItem = false;
    bool m_showExpandArrow = false;
    CUIString m_modify;
    // Where the sub-items lent to the open sub-menu stand among this element's children, in order.
    std::vector<int> m_lentPlaces;
};

// A top-most tool window showing one menu level.
class CMenuWnd : public CWindowWnd, public MenuReceiverImpl, public INotifyUI, public IDialogBuilderCallback {
public:
    // Alignment bits: 8 puts the menu's right edge at the point, 16 its bottom edge.
    static constexpr UINT kAlignRight = 8;
    static constexpr UINT kAlignBottom = 16;

    // owner: the element opening a sub-menu, none for a top-level menu built from xml at (x, y).
    void Init(CMenuElementUI* owner, const wchar_t* xml, int x, int y, CWindowUIManager* manager,
              CUIStringPtrMap* itemStates = nullptr, UINT alignment = 6, bool show = true);

    BOOL Receive(MenuCloseParam param) override;
    void Notify(NotifyMessage& msg) override;
    CControlUI* CreateControl(const wchar_t* className) override;

    CWindowUIManager& GetManager() { return m_manager; }
    CMenuUI* GetLayout() const;
    bool IsClosing() const { return m_closing; }
    void CloseMenu();
    // Closes the window when a close was held back while a click was handled.
    void CloseIfHeld();
    // The element that opened this sub-menu is being deleted: the items it lent stay with this window
    // (which may be handling one of them) and go with it.
    void ForgetOwner();
    // Items added to its list or taken from it while it is open: the window takes their size where it stands.
    void FitToItems(CMenuUI& list);
    // Takes a sub-item its owner lent out of this window's list, without deleting it.
    void ReturnLentItem(CMenuElementUI* item);
    // The list while it holds the items lent by the element that opened this sub-menu; none otherwise.
    CMenuUI* GetLentList() const { return m_lending ? m_layout : nullptr; }

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinMenuWnd"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void OnCreate();
    void PlaceTopLevel();
    void PlaceSubMenu();
    // Hands the lent items back to the element that opened this sub-menu (once; nothing when none).
    void GiveBackItems();
    // Removes from this window's list without deleting: lent items go back to their element.
    template <class Removal>
    void RemoveLent(Removal removal);
    bool IsMenuWindow(HWND hwnd) const;

    bool m_closing = false;
    bool m_closeHeld = false;
    // Holds the items lent by the owner element.
    bool m_lending = false;
    POINT m_basePoint = {0, 0};
    CUIString m_xml;
    CWindowUIManager m_manager;
    CMenuElementUI* m_owner = nullptr;
    CMenuUI* m_layout = nullptr;
    UINT m_alignment = 6;
    // A sub-menu keeps the menu window that opened it whole until its own final message has given the
    // items back: a click handler that destroys the application window destroys every menu at once.
    std::unique_ptr<CWindowWnd::HandlerScope> m_parentMenuHold;
};

}  // namespace SkinUI
