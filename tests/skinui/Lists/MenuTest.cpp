#include "Control/LabelUI.h"
#include "Control/ListsRegistration.h"
#include "Control/UIMenu.h"
#include "Core/ControlFactory.h"
#include "Core/WindowUIManager.h"
#include "../Core/TestWindows.h"
#include "MenuWindows.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class CountingReceiver : public MenuReceiverImpl {
public:
    explicit CountingReceiver(std::vector<int>& order, int id) : m_order(order), m_id(id) {}
    BOOL Receive(MenuCloseParam) override
    {
        m_order.push_back(m_id);
        return TRUE;
    }

private:
    std::vector<int>& m_order;
    int m_id;
};

TEST(MenuObserver, BroadcastsNewestFirstAndIgnoresNullSettings)
{
    MenuObserverImpl observer;
    std::vector<int> order;
    CountingReceiver first(order, 1), second(order, 2);
    observer.AddReceiver(&first);
    observer.AddReceiver(&second);
    observer.Broadcast(MenuCloseParam{1, nullptr});
    EXPECT_EQ((std::vector<int>{2, 1}), order);
    second.RemoveObserver();
    EXPECT_EQ(1u, observer.GetReceivers().size());
    CWindowUIManager manager;
    observer.SetManager(&manager);
    observer.SetManager(nullptr);
    EXPECT_EQ(&manager, observer.GetManager());
    CUIStringPtrMap table;
    observer.SetItemStateTable(&table);
    observer.SetItemStateTable(nullptr);
    EXPECT_EQ(&table, observer.GetItemStateTable());
    first.RemoveObserver();
    EXPECT_EQ(nullptr, observer.GetItemStateTable()) << "the observer keeps a table no open menu uses";
}

const wchar_t* kMenuXml =
    L"<Window><Menu><MenuElement name=\"open\" text=\"Open\" userdata=\"u\"/><MenuElement text=\"nameless\"/>"
    L"<MenuElement name=\"sep\" linetype=\"true\"/>"
    L"<MenuElement name=\"more\" text=\"More\"><MenuElement name=\"m1\" text=\"M1\"/>"
    L"<MenuElement name=\"m2\" text=\"M2\" shortcut=\"2\"/></MenuElement><MenuElement name=\"last\" text=\"Last\"/></Menu></Window>";

const wchar_t* kDeepMenuXml =
    L"<Window><Menu><MenuElement name=\"open\" text=\"Open\"/>"
    L"<MenuElement name=\"more\" text=\"More\"><MenuElement name=\"m1\" text=\"M1\"/>"
    L"<MenuElement name=\"deep\" text=\"Deep\"><MenuElement name=\"d1\" text=\"D1\"/>"
    L"<MenuElement name=\"d2\" text=\"D2\" shortcut=\"2\"/></MenuElement></MenuElement></Menu></Window>";

// An application window that answers the click message with a modal loop, as one showing a dialog does,
// and looks at the clicked item from inside it.
class ModalClickHost : public HostWindow {
public:
    HWND menu = nullptr;
    bool menuAliveInHandler = false;
    CUIString itemName;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kMenuClickMessage) return HostWindow::HandleMessage(msg, wParam, lParam);
        GetMenuObserver().Broadcast(MenuCloseParam{1, nullptr});
        const DWORD start = ::GetTickCount();
        PumpUntil([start] { return ::GetTickCount() - start > 300; });
        menuAliveInHandler = ::IsWindow(menu) != FALSE;
        if (menuAliveInHandler) itemName = reinterpret_cast<CMenuElementUI*>(lParam)->GetName();
        delete reinterpret_cast<MenuClickRecord*>(wParam);
        return 0;
    }
};

// An application window whose click handler runs the given code (destroys the window, opens a menu).
class ClickActionHost : public HostWindow {
public:
    std::function<void(ClickActionHost&)> onClick;
    int clicks = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kMenuClickMessage) return HostWindow::HandleMessage(msg, wParam, lParam);
        ++clicks;
        delete reinterpret_cast<MenuClickRecord*>(wParam);
        if (onClick) onClick(*this);
        return 0;
    }
};

LPARAM CentreOf(CControlUI* control)
{
    const RECT rc = control->GetPos();
    return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

void HoverAndPress(HWND window, LPARAM at)
{
    ::SendMessageW(window, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
}

// A real click (button down and up) at the middle of a control of a menu window.
void ClickWithMouse(HWND window, CControlUI* control)
{
    const LPARAM at = CentreOf(control);
    HoverAndPress(window, at);
    ::SendMessageW(window, WM_LBUTTONUP, 0, at);
}

// Counts the controls deleted that it was hooked to.
struct DestroyCounter {
    int count = 0;
    bool OnDestroy(void*)
    {
        ++count;
        return true;
    }
};

class MenuTest : public WindowTest, protected MenuOverWindow {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterListsControls(*CControlFactory::GetInstance());
        OpenMenuOverWindow(kMenuXml);
    }
    void TearDown() override
    {
        CloseMenuAndWindow();
        CWindowUIManager::Term();
    }
    CMenuElementUI* Item(const wchar_t* name)
    {
        return static_cast<CMenuElementUI*>(menu->GetManager().FindControl(name));
    }
    static void Send(CControlUI* control, int type)
    {
        ControlEvent event;
        event.Type = type;
        control->HandleEvent(event);
    }
};

TEST_F(MenuTest, OpensAtThePointWithNamelessItemsDisabledAndThinSeparators)
{
    RECT rc = {};
    ::GetWindowRect(hwnd, &rc);
    EXPECT_EQ(50, rc.left);
    EXPECT_EQ(60, rc.top);
    ASSERT_NE(nullptr, menu->GetLayout());
    EXPECT_EQ(5, menu->GetLayout()->GetCount());
    EXPECT_TRUE(Item(L"open")->IsEnabled());
    EXPECT_FALSE(menu->GetLayout()->GetItemAt(1)->IsEnabled());
    EXPECT_FALSE(Item(L"sep")->IsEnabled()) << "a separator stays disabled, named or not";
    EXPECT_EQ(6, Item(L"sep")->GetFixedHeight());
    EXPECT_FALSE(Item(L"sep")->IsMouseEnabled());
    EXPECT_FALSE(Item(L"m1")->IsVisible());
    CLabelUI notAnItem;
    EXPECT_FALSE(menu->GetLayout()->Add(&notAnItem));
    EXPECT_FALSE(menu->GetLayout()->AddAt(&notAnItem, 0));
}

TEST_F(MenuTest, HoveringAParentOpensOneSubMenuAndASiblingLeafClosesIt)
{
    Send(Item(L"more"), EVT_MOUSEENTER);
    CMenuWnd* sub = Item(L"more")->GetSubMenuWindow();
    ASSERT_NE(nullptr, sub);
    HWND subHwnd = sub->GetHWND();
    EXPECT_TRUE(::IsWindow(subHwnd));
    EXPECT_EQ(2, sub->GetLayout()->GetCount());
    RECT parentRect = {}, subRect = {};
    ::GetWindowRect(hwnd, &parentRect);
    ::GetWindowRect(subHwnd, &subRect);
    EXPECT_EQ(parentRect.right, subRect.left);
    // The sub-items are the sub-menu's while it shows them: its Alt+letter finds them, the menu's does not.
    EXPECT_EQ(nullptr, Item(L"m2"));
    CControlUI* m2 = sub->GetManager().FindControl(L"m2");
    ASSERT_NE(nullptr, m2);
    const MSG altTwo = {subHwnd, WM_SYSCHAR, '2', 0, 0, {}};
    CWindowUIManager::PreTranslateMessage(&altTwo);
    EXPECT_EQ(m2, sub->GetManager().GetFocus());
    Send(Item(L"more"), EVT_MOUSEENTER);
    EXPECT_EQ(sub, Item(L"more")->GetSubMenuWindow());

    Send(Item(L"last"), EVT_MOUSEENTER);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); }));
    EXPECT_EQ(nullptr, Item(L"more")->GetSubMenuWindow());
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(Item(L"more"), Item(L"m1")->GetParent());
    EXPECT_EQ(&menu->GetManager(), Item(L"m2")->GetManager()) << "the sub-items came back to their menu";
    EXPECT_EQ((std::vector<CMenuElementUI*>{Item(L"m1"), Item(L"m2")}), Item(L"more")->GetSubItems());
    EXPECT_EQ(menu->GetLayout(), Item(L"m2")->GetOwnerMenu());
    EXPECT_FALSE(Item(L"m2")->IsVisible());
    Item(L"more")->SetVisible(false);
    Item(L"more")->SetVisible(true);
    EXPECT_FALSE(Item(L"m2")->IsVisible()) << "a sub-item given back showed inside its item";

    // Hidden by the application while its sub-menu shows, the item takes the sub-menu along.
    Send(Item(L"more"), EVT_MOUSEENTER);
    ASSERT_NE(nullptr, Item(L"more")->GetSubMenuWindow());
    subHwnd = Item(L"more")->GetSubMenuWindow()->GetHWND();
    Item(L"more")->SetVisible(false);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); })) << "the sub-menu of a hidden item stays open";
    EXPECT_EQ((std::vector<CMenuElementUI*>{Item(L"m1"), Item(L"m2")}), Item(L"more")->GetSubItems());
    Item(L"more")->SetVisible(true);
    // The same when the list holding it hides.
    Send(Item(L"more"), EVT_MOUSEENTER);
    ASSERT_NE(nullptr, Item(L"more")->GetSubMenuWindow());
    subHwnd = Item(L"more")->GetSubMenuWindow()->GetHWND();
    menu->GetLayout()->SetVisible(false);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); })) << "the sub-menu of an item hidden with its list";
    menu->GetLayout()->SetVisible(true);
}

// A menu destroyed at once, without being asked to close, takes the sub-items its open sub-menu shows along.
TEST_F(MenuTest, AMenuDestroyedWithItsSubMenuOpenTakesTheSubItemsAlong)
{
    CMenuWnd* sub = HoverOpen(*menu, L"more");
    ASSERT_NE(nullptr, sub);
    DestroyCounter gone;
    for (const wchar_t* name : {L"m1", L"m2"}) {
        CControlUI* item = sub->GetManager().FindControl(name);
        ASSERT_NE(nullptr, item);
        item->OnDestroy += MakeDelegate(&gone, &DestroyCounter::OnDestroy);
    }
    ::DestroyWindow(hwnd);
    EXPECT_TRUE(PumpUntil([&] { return gone.count == 2; })) << "the sub-items outlived their menu";
}

TEST_F(MenuTest, ASubMenuThatWouldCrossTheRightEdgeOpensToTheLeft)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    RECT rc = {};
    ::GetWindowRect(hwnd, &rc);
    const int width = rc.right - rc.left;
    ::MoveWindow(hwnd, info.rcWork.right - width - 10, 60, width, rc.bottom - rc.top, FALSE);
    ::GetWindowRect(hwnd, &rc);
    Send(Item(L"more"), EVT_MOUSEENTER);
    CMenuWnd* sub = Item(L"more")->GetSubMenuWindow();
    ASSERT_NE(nullptr, sub);
    RECT subRect = {};
    ::GetWindowRect(sub->GetHWND(), &subRect);
    EXPECT_EQ(rc.left, subRect.right);
}

TEST_F(MenuTest, EscapeInASubMenuClosesOnlyThatMenu)
{
    Send(Item(L"more"), EVT_MOUSEENTER);
    HWND subHwnd = Item(L"more")->GetSubMenuWindow()->GetHWND();
    ::PostMessageW(subHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); }));
    EXPECT_TRUE(::IsWindow(hwnd));
}

// Picked with the mouse, or from the keyboard: Enter opens a sub-menu as Right does and picks a leaf.
TEST_F(MenuTest, ClickingALeafPostsItsRecordAndClosesEveryMenu)
{
    for (const bool byKeyboard : {false, true}) {
        SCOPED_TRACE(byKeyboard ? "Enter" : "click");
        if (byKeyboard) {
            menu = OpenMenu(kMenuXml, &host.manager, &states);
            hwnd = menu->GetHWND();
            ::UpdateWindow(hwnd);
            host.received.clear();
            ASSERT_TRUE(menu->GetLayout()->SelectItem(menu->GetLayout()->GetItemIndex(Item(L"more")), true));
            ::SendMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            Send(Item(L"more"), EVT_MOUSEENTER);
        }
        CMenuWnd* sub = Item(L"more")->GetSubMenuWindow();
        ASSERT_NE(nullptr, sub);
        HWND subHwnd = sub->GetHWND();
        auto* leaf = static_cast<CMenuElementUI*>(sub->GetManager().FindControl(L"m2"));
        ASSERT_NE(nullptr, leaf);
        if (byKeyboard) {
            ::SendMessageW(subHwnd, WM_KEYDOWN, VK_DOWN, 0);
            EXPECT_EQ(leaf, sub->GetManager().GetFocus());
            leaf->SetEnabled(false);  // disabled by the application meanwhile: Enter picks nothing
            ::SendMessageW(subHwnd, WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_EQ(1, static_cast<MenuItemState*>(states.Find(L"m2"))->checked) << "a disabled item was picked";
            leaf->SetEnabled(true);
            ::SendMessageW(subHwnd, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            Send(leaf, EVT_BUTTONUP);
        }
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd) && !::IsWindow(subHwnd); }));
        const MSG* click = nullptr;
        for (const MSG& msg : host.received)
            if (msg.message == kMenuClickMessage) click = &msg;
        ASSERT_NE(nullptr, click);
        auto* record = reinterpret_cast<MenuClickRecord*>(click->wParam);
        EXPECT_STREQ(L"m2", record->name);
        EXPECT_STREQ(L"M2", record->text);
        EXPECT_EQ(byKeyboard ? 0 : 1, record->checked);
        delete record;
        auto* state = static_cast<MenuItemState*>(states.Find(L"m2"));
        ASSERT_NE(nullptr, state);
        EXPECT_EQ(byKeyboard ? 0 : 1, state->checked);
    }
}

TEST_F(MenuTest, ClosingTheMenuUnderAHeldItemClicksNothing)
{
    ::UpdateWindow(hwnd);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(Item(L"open")));
    ASSERT_TRUE(menu->GetManager().IsCaptured());
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    for (const MSG& msg : host.received) EXPECT_NE(kMenuClickMessage, msg.message);
    const auto* state = static_cast<MenuItemState*>(states.Find(L"open"));
    EXPECT_TRUE(!state || state->checked == 0) << "nor was the item checked";
}

// In the menu, and in a sub-menu opened by the Right key, by a click, or by a click once Escape closed it.
TEST_F(MenuTest, UpAndDownPassOverDisabledItemsAndSeparators)
{
    CMenuUI* list = menu->GetLayout();
    ASSERT_TRUE(list->SelectItem(0, true));
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(3, list->GetCurSel()) << "from open past the nameless item and the separator to more";
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(0, list->GetCurSel());

    enum class Open { RightKey, Click, HoverEscapeClick };
    for (const Open how : {Open::RightKey, Open::Click, Open::HoverEscapeClick}) {
        SCOPED_TRACE(static_cast<int>(how));
        CMenuWnd* top = OpenMenu(kMenuXml, &host.manager, &states);
        const HWND topHwnd = top->GetHWND();
        ::UpdateWindow(topHwnd);
        auto* more = static_cast<CMenuElementUI*>(top->GetManager().FindControl(L"more"));
        ASSERT_NE(nullptr, more);
        const LPARAM at = CentreOf(more);
        if (how == Open::RightKey) {
            ASSERT_TRUE(top->GetLayout()->SelectItem(top->GetLayout()->GetItemIndex(more), true));
            ::SendMessageW(topHwnd, WM_KEYDOWN, VK_RIGHT, 0);
        } else if (how == Open::HoverEscapeClick) {
            ::SendMessageW(topHwnd, WM_MOUSEMOVE, 0, at);
            ASSERT_NE(nullptr, more->GetSubMenuWindow());
            const HWND hovered = more->GetSubMenuWindow()->GetHWND();
            ::SendMessageW(hovered, WM_KEYDOWN, VK_ESCAPE, 0);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hovered); }));
        }
        if (how != Open::RightKey) {
            ::SendMessageW(topHwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageW(topHwnd, WM_LBUTTONUP, 0, at);
        }
        CMenuWnd* sub = more->GetSubMenuWindow();
        ASSERT_NE(nullptr, sub);
        ::UpdateWindow(sub->GetHWND());
        for (const wchar_t* name : {L"m1", L"m2"}) {
            CControlUI* item = sub->GetManager().FindControl(name);
            ASSERT_NE(nullptr, item);
            EXPECT_TRUE(item->IsVisible());
            EXPECT_FALSE(::IsRectEmpty(&item->GetPos())) << "a sub-menu item without room";
        }
        // From the keyboard the keys go on in the sub-menu; the mouse leaves its selection to the pointer.
        if (how == Open::RightKey) EXPECT_EQ(0, sub->GetLayout()->GetCurSel()) << "no item to move on from";
        else EXPECT_TRUE(sub->GetLayout()->SelectItem(0, true));
        ::SendMessageW(sub->GetHWND(), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(1, sub->GetLayout()->GetCurSel());
        ::DestroyWindow(topHwnd);
        ASSERT_TRUE(PumpUntil([] { return GetMenuObserver().GetReceivers().size() == 1; }));
    }

    // Back from a sub-menu by Escape or Left, at either level, a menu keeps the item that opened it
    // selected, and Up goes on from there.
    const auto closeBy = [](CMenuWnd* menu, WPARAM key) {
        const HWND window = menu->GetHWND();
        ::SendMessageW(window, WM_KEYDOWN, key, 0);
        return PumpUntil([window] { return !::IsWindow(window); });
    };
    for (const WPARAM key : {VK_ESCAPE, VK_LEFT}) {
        SCOPED_TRACE(key);
        CMenuWnd* top = OpenMenu(kDeepMenuXml, &host.manager, &states);
        const HWND topHwnd = top->GetHWND();
        ::UpdateWindow(topHwnd);
        ASSERT_TRUE(top->GetLayout()->SelectItem(1, true));
        ::SendMessageW(topHwnd, WM_KEYDOWN, VK_RIGHT, 0);
        auto* more = static_cast<CMenuElementUI*>(top->GetManager().FindControl(L"more"));
        CMenuWnd* second = more->GetSubMenuWindow();
        ASSERT_NE(nullptr, second);
        ::UpdateWindow(second->GetHWND());
        ::SendMessageW(second->GetHWND(), WM_KEYDOWN, VK_DOWN, 0);
        ::SendMessageW(second->GetHWND(), WM_KEYDOWN, VK_RIGHT, 0);
        auto* deep = static_cast<CMenuElementUI*>(second->GetManager().FindControl(L"deep"));
        ASSERT_NE(nullptr, deep->GetSubMenuWindow());
        ASSERT_TRUE(closeBy(deep->GetSubMenuWindow(), key));
        EXPECT_EQ(1, second->GetLayout()->GetCurSel()) << "the second menu lost its selection";
        ::SendMessageW(second->GetHWND(), WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(0, second->GetLayout()->GetCurSel());
        ASSERT_TRUE(second->GetLayout()->SelectItem(0, true));  // the same from a selected item
        ASSERT_TRUE(closeBy(second, key));
        EXPECT_EQ(1, top->GetLayout()->GetCurSel()) << "the top menu lost its selection";
        ::SendMessageW(topHwnd, WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(0, top->GetLayout()->GetCurSel());
        ::DestroyWindow(topHwnd);
        ASSERT_TRUE(PumpUntil([] { return GetMenuObserver().GetReceivers().size() == 1; }));
    }
}

TEST_F(MenuTest, SubMenusTakeTheLayeredModeOfTheirMenu)
{
    menu->GetManager().SetLayered(true);
    ASSERT_TRUE(menu->GetManager().IsLayered());
    Send(Item(L"more"), EVT_MOUSEENTER);
    CMenuWnd* sub = Item(L"more")->GetSubMenuWindow();
    ASSERT_NE(nullptr, sub);
    EXPECT_TRUE(sub->GetManager().IsLayered());
}

TEST_F(MenuTest, TheClickedItemOutlivesAnApplicationHandlerThatRunsAModalLoop)
{
    ModalClickHost app;
    ASSERT_NE(nullptr, app.CreateTopLevel(nullptr, 200, 100));
    GetMenuObserver().SetManager(&app.manager);
    app.menu = hwnd;
    Send(Item(L"open"), EVT_BUTTONUP);
    EXPECT_TRUE(app.menuAliveInHandler);
    EXPECT_EQ(CUIString(L"open"), app.itemName);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    ::DestroyWindow(app.GetHWND());
}

TEST_F(MenuTest, ASubMenuClickWhoseHandlerDestroysTheApplicationWindowTouchesNoFreedMenu)
{
    auto* app = new ClickActionHost;
    app->deleteOnFinal = true;
    int appFinals = 0;
    app->finalCounter = &appFinals;
    ASSERT_NE(nullptr, app->CreateTopLevel(nullptr, 200, 100));
    app->onClick = [](ClickActionHost& self) { ::DestroyWindow(self.GetHWND()); };
    CMenuWnd* appMenu = OpenMenu(kMenuXml, &app->manager, &states);
    HWND appMenuHwnd = appMenu->GetHWND();
    ASSERT_NE(nullptr, appMenuHwnd);
    CMenuWnd* sub = HoverOpen(*appMenu, L"more");
    ASSERT_NE(nullptr, sub);
    HWND subHwnd = sub->GetHWND();
    ClickWithMouse(subHwnd, sub->GetManager().FindControl(L"m1"));
    EXPECT_EQ(1, appFinals);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(appMenuHwnd) && !::IsWindow(subHwnd) && !::IsWindow(hwnd); }));
    // A menu opened later, with no application window to tell, takes its click without a target.
    CMenuWnd* later = OpenMenu(kMenuXml, nullptr, &states);
    HWND laterHwnd = later->GetHWND();
    Send(static_cast<CMenuElementUI*>(later->GetManager().FindControl(L"open")), EVT_BUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(laterHwnd); }));
}

TEST_F(MenuTest, MenusTheApplicationOpensFromItsClickHandlerStayOpen)
{
    ClickActionHost app;
    ASSERT_NE(nullptr, app.CreateTopLevel(nullptr, 200, 100));
    HWND opened = nullptr;
    app.onClick = [&](ClickActionHost& self) {
        opened = OpenMenu(kMenuXml, &self.manager, &states, 80, 90)->GetHWND();
    };
    GetMenuObserver().SetManager(&app.manager);
    CMenuWnd* sub = HoverOpen(*menu, L"more");
    ASSERT_NE(nullptr, sub);
    HWND subHwnd = sub->GetHWND();
    ClickWithMouse(subHwnd, sub->GetManager().FindControl(L"m2"));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd) && !::IsWindow(subHwnd); }));
    const DWORD start = ::GetTickCount();
    PumpUntil([start] { return ::GetTickCount() - start > 200; });
    EXPECT_TRUE(::IsWindow(opened)) << "the menu opened by the click handler was closed with the clicked one";
    EXPECT_EQ(1, app.clicks);
    ::DestroyWindow(opened);
    ::DestroyWindow(app.GetHWND());
}

// How the application lets go of the item it removes from its menu.
enum class Removal { DeletedLater, DeletedAtOnce, Kept };

// The application removes the item whose sub-menu is open, from the click handler of a leaf of that
// sub-menu or while the sub-menu is merely open and its leaf hovered and pressed: the sub-menu closes and
// touches nothing freed meanwhile. The sub-items go with a deleted item, and come back to a kept one.
TEST_F(MenuTest, RemovingTheItemOfAnOpenSubMenuClosesItWithNothingFreedInIt)
{
    for (const bool fromClickHandler : {false, true}) {
        for (const Removal removal : {Removal::DeletedLater, Removal::DeletedAtOnce, Removal::Kept}) {
            const char* how[] = {", deleted later", ", deleted at once", ", kept"};
            SCOPED_TRACE(std::string(fromClickHandler ? "from a leaf's click handler" : "while the sub-menu is open") +
                         how[static_cast<int>(removal)]);
            ClickActionHost app;
            ASSERT_NE(nullptr, app.CreateTopLevel(nullptr, 200, 100));
            CMenuWnd* top = OpenMenu(kMenuXml, &app.manager, &states);
            HWND topHwnd = top->GetHWND();
            ASSERT_NE(nullptr, topHwnd);
            CMenuUI* list = top->GetLayout();
            list->GetList()->SetDelayedDestroy(removal == Removal::DeletedLater);
            list->GetList()->SetAutoDestroy(removal != Removal::Kept);
            auto* more = static_cast<CMenuElementUI*>(top->GetManager().FindControl(L"more"));
            DestroyCounter subItemsGone;
            for (CMenuElementUI* item : more->GetSubItems()) item->OnDestroy += MakeDelegate(&subItemsGone, &DestroyCounter::OnDestroy);
            CMenuWnd* sub = HoverOpen(*top, L"more");
            ASSERT_NE(nullptr, sub);
            HWND subHwnd = sub->GetHWND();
            CControlUI* leaf = sub->GetManager().FindControl(L"m1");
            ASSERT_NE(nullptr, leaf);
            if (fromClickHandler) {
                app.onClick = [list, more](ClickActionHost&) { list->Remove(more); };
                ClickWithMouse(subHwnd, leaf);
                EXPECT_EQ(1, app.clicks);
            } else {
                HoverAndPress(subHwnd, CentreOf(leaf));
                leaf->SetFocus();
                list->Remove(more);
                ::SendMessageW(subHwnd, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
                ::SendMessageW(subHwnd, WM_KEYDOWN, VK_DOWN, 0);
            }
            EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); })) << "the sub-menu outlived its item";
            if (removal == Removal::Kept) {
                EXPECT_EQ(nullptr, more->GetSubMenuWindow());
                EXPECT_EQ(0, subItemsGone.count);
                ASSERT_EQ(2u, more->GetSubItems().size()) << "the sub-items did not come back to the kept item";
                EXPECT_EQ(more, more->GetSubItems()[0]->GetParent());
                EXPECT_EQ(nullptr, more->GetSubItems()[0]->GetManager());
                delete more;
            }
            EXPECT_TRUE(PumpUntil([&] { return subItemsGone.count == 2; })) << "the sub-items outlived their item";
            if (!fromClickHandler) {
                EXPECT_TRUE(::IsWindow(topHwnd)) << "the menu lost more than the removed item";
                EXPECT_EQ(nullptr, top->GetManager().FindControl(L"more"));
                EXPECT_EQ(4, list->GetCount());
                ::DestroyWindow(topHwnd);
            }
            EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(topHwnd); }));
            ::DestroyWindow(app.GetHWND());
        }
    }
}

// The application deletes a menu item from a handler of what the item or its menu reports; the item
// stops there and neither opens a sub-menu nor reports a click.
TEST_F(MenuTest, AnItemDeletedByAHandlerOfItsOwnReportStopsThere)
{
    struct Case {
        const char* name;
        const wchar_t* item;
        const wchar_t* notification;
        int eventType;
    };
    const Case cases[] = {
        {"selection of an item with sub-items", L"more", L"itemselect", EVT_MOUSEENTER},
        {"focus of an item with sub-items", L"more", L"setfocus", EVT_MOUSEENTER},
        {"row click of a leaf", L"open", L"itemclick", EVT_BUTTONUP},
    };
    ::DestroyWindow(hwnd);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        CMenuWnd* own = OpenMenu(kMenuXml, &host.manager, &states);
        HWND ownHwnd = own->GetHWND();
        ASSERT_NE(nullptr, ownHwnd);
        CMenuUI* list = own->GetLayout();
        list->GetList()->SetDelayedDestroy(false);
        NotifyRecorder app;
        own->GetManager().AddNotifier(&app);
        auto* item = static_cast<CMenuElementUI*>(own->GetManager().FindControl(test.item));
        ASSERT_NE(nullptr, item);
        bool removed = false;  // the item is not looked at once deleted
        app.onNotify = [&](NotifyMessage& msg) {
            if (msg.sType != test.notification || removed) return;
            removed = true;
            EXPECT_TRUE(list->Remove(item));
        };
        Send(item, test.eventType);
        EXPECT_TRUE(removed);
        EXPECT_EQ(nullptr, own->GetManager().FindControl(test.item));
        EXPECT_EQ(1u, GetMenuObserver().GetReceivers().size()) << "a sub-menu opened";
        own->GetManager().RemoveNotifier(&app);
        ::DestroyWindow(ownHwnd);
        EXPECT_TRUE(PumpUntil([] { return GetMenuObserver().GetReceivers().empty(); }));
    }
    for (const MSG& msg : host.received) EXPECT_NE(kMenuClickMessage, msg.message);
}

// Closing a sub-menu sizes its item once more; that item's size handler deletes it.
TEST_F(MenuTest, ASubMenuWhoseItemIsDeletedAsItClosesTouchesNoItem)
{
    CMenuUI* list = menu->GetLayout();
    list->GetList()->SetDelayedDestroy(false);
    CMenuElementUI* more = Item(L"more");
    CMenuWnd* sub = HoverOpen(*menu, L"more");
    ASSERT_NE(nullptr, sub);
    HWND subHwnd = sub->GetHWND();
    struct Deleter {
        CMenuUI* list;
        CControlUI* item;
        bool OnSize(void*)
        {
            if (list->GetItemIndex(item) >= 0) list->Remove(item);
            return true;
        }
    } deleter{list, more};
    more->OnSize += MakeDelegate(&deleter, &Deleter::OnSize);
    ::SendMessageW(subHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); }));
    EXPECT_EQ(nullptr, Item(L"more"));
    EXPECT_TRUE(::IsWindow(hwnd)) << "the menu closed with the sub-menu of a deleted item";
}

// The application takes a sub-item out of its item while the sub-menu shows it (from that sub-item's own
// click handler, merely while the sub-menu is open, through the sub-menu's own list, or with all the item
// holds): the sub-item is deleted and does not come back to its item when the sub-menu closes.
TEST_F(MenuTest, ASubItemRemovedWhileItsSubMenuIsOpenStaysRemoved)
{
    enum class From { Item, ClickHandler, SubMenuList, AllOfTheItem };
    for (const From from : {From::Item, From::ClickHandler, From::SubMenuList, From::AllOfTheItem}) {
        SCOPED_TRACE(static_cast<int>(from));
        const bool fromClickHandler = from == From::ClickHandler;
        ClickActionHost app;
        ASSERT_NE(nullptr, app.CreateTopLevel(nullptr, 200, 100));
        CMenuWnd* top = OpenMenu(kMenuXml, &app.manager, &states);
        HWND topHwnd = top->GetHWND();
        ASSERT_NE(nullptr, topHwnd);
        auto* more = static_cast<CMenuElementUI*>(top->GetManager().FindControl(L"more"));
        ASSERT_NE(nullptr, more);
        CMenuWnd* sub = HoverOpen(*top, L"more");
        ASSERT_NE(nullptr, sub);
        HWND subHwnd = sub->GetHWND();
        CControlUI* m1 = sub->GetManager().FindControl(L"m1");
        ASSERT_NE(nullptr, m1);
        DestroyCounter gone;
        m1->OnDestroy += MakeDelegate(&gone, &DestroyCounter::OnDestroy);
        bool removed = false;
        if (fromClickHandler) {
            app.onClick = [&](ClickActionHost&) { removed = more->Remove(m1); };
            ClickWithMouse(subHwnd, m1);
            EXPECT_EQ(1, app.clicks);
        } else {
            if (from == From::AllOfTheItem) more->RemoveAll();
            removed = from == From::AllOfTheItem || (from == From::Item ? more->Remove(m1) : sub->GetLayout()->Remove(m1));
            ::PostMessageW(subHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        EXPECT_TRUE(removed) << "the item did not give up its sub-item while it was lent";
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); }));
        if (::IsWindow(topHwnd)) {
            EXPECT_EQ(from == From::AllOfTheItem ? 0u : 1u, more->GetSubItems().size())
                << "the removed sub-item came back to its item";
            ::DestroyWindow(topHwnd);
        }
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(topHwnd); }));
        // Removed while the sub-menu's dispatch ran, it goes at a later turn of the loop.
        EXPECT_TRUE(PumpUntil([&] { return gone.count == 1; })) << "the removed sub-item was not deleted";
        ::DestroyWindow(app.GetHWND());
    }
}

// "more" and its item "deep" hold a plain child among their sub-items.
const wchar_t* kBusyMenuXml =
    L"<Window><Default name=\"Menu\" value=\"inset=&quot;0,3,0,5&quot;\"/><Menu><MenuElement name=\"open\" text=\"Open\"/>"
    L"<MenuElement name=\"more\" text=\"More\"><MenuElement name=\"m0\" text=\"M0\"/><MenuElement name=\"m1\" text=\"M1\"/>"
    L"<Label name=\"badge\"/><MenuElement name=\"m2\" text=\"M2\"/>"
    L"<MenuElement name=\"deep\" text=\"Deep\"><MenuElement name=\"d0\" text=\"D0\"/><Label name=\"tag\"/>"
    L"<MenuElement name=\"d1\" text=\"D1\"/><MenuElement name=\"d2\" text=\"D2\"/></MenuElement></MenuElement>"
    L"<MenuElement name=\"last\" text=\"Last\"/></Menu></Window>";

// An item's children by name as the item answers for them, then its sub-items.
std::wstring ChildrenOf(CMenuElementUI* item)
{
    std::wstring names;
    for (int i = 0; i < item->GetCount(); ++i) names += std::wstring(item->GetItemAt(i)->GetName()) + L" ";
    names += L"|";
    for (CMenuElementUI* sub : item->GetSubItems()) names += L" " + std::wstring(sub->GetName());
    return names;
}

std::wstring ItemsOf(CMenuUI* list)
{
    std::wstring names = L"|";
    for (int i = 0; i < list->GetCount(); ++i) names += L" " + std::wstring(list->GetItemAt(i)->GetName());
    return names;
}

// The sub-item at the index (from the end when negative), none when there is none.
CMenuElementUI* SubItemOf(CMenuElementUI* item, int index)
{
    const std::vector<CMenuElementUI*> items = item->GetSubItems();
    const int at = index < 0 ? static_cast<int>(items.size()) + index : index;
    return at >= 0 && at < static_cast<int>(items.size()) ? items[static_cast<size_t>(at)] : nullptr;
}

CControlUI* PlainChildOf(CMenuElementUI* item)
{
    for (int i = 0; i < item->GetCount(); ++i)
        if (!item->GetItemAt(i)->GetInterface(L"MenuElement")) return item->GetItemAt(i);
    return nullptr;
}

// The application adds to, removes from or asks an item (of the top menu, or of an open sub-menu) with its
// sub-menu closed and open: the answers and the children are the same, while open the sub-menu shows the
// sub-items at their places, and once it has closed they are still there.
TEST_F(MenuTest, AnItemAnswersAlikeWhetherItsSubMenuIsOpenOrNot)
{
    const auto answer = [](bool done) { return std::wstring(done ? L"true" : L"false"); };
    struct Call {
        const char* name;
        std::function<std::wstring(CMenuElementUI* item, CMenuElementUI* fresh)> run;
    };
    const Call calls[] = {
        {"Add", [&](CMenuElementUI* item, CMenuElementUI* fresh) { return answer(item->Add(fresh)); }},
        {"AddAt the head", [&](CMenuElementUI* item, CMenuElementUI* fresh) { return answer(item->AddAt(fresh, 0)); }},
        {"AddAt 1", [&](CMenuElementUI* item, CMenuElementUI* fresh) { return answer(item->AddAt(fresh, 1)); }},
        {"AddAt 3", [&](CMenuElementUI* item, CMenuElementUI* fresh) { return answer(item->AddAt(fresh, 3)); }},
        {"AddAt the end",
         [&](CMenuElementUI* item, CMenuElementUI* fresh) { return answer(item->AddAt(fresh, item->GetCount())); }},
        {"AddAt past the end",
         [&](CMenuElementUI* item, CMenuElementUI* fresh) { return answer(item->AddAt(fresh, item->GetCount() + 1)); }},
        {"AddAt a plain child",
         [&](CMenuElementUI* item, CMenuElementUI*) {
             auto* plain = new CLabelUI();
             plain->SetName(L"plain");
             return answer(item->AddAt(plain, 1));
         }},
        {"Remove a sub-item",
         [&](CMenuElementUI* item, CMenuElementUI*) { return answer(item->Remove(SubItemOf(item, 1))); }},
        {"Remove the plain child",
         [&](CMenuElementUI* item, CMenuElementUI*) { return answer(item->Remove(PlainChildOf(item))); }},
        {"RemoveAt 2", [&](CMenuElementUI* item, CMenuElementUI*) { return answer(item->RemoveAt(2)); }},
        {"SetItemIndex to the head",
         [&](CMenuElementUI* item, CMenuElementUI*) { return answer(item->SetItemIndex(SubItemOf(item, -1), 0)); }},
        {"SetItemIndex 2",
         [&](CMenuElementUI* item, CMenuElementUI*) { return answer(item->SetItemIndex(SubItemOf(item, 0), 2)); }},
        {"Remove what it does not hold",
         [&](CMenuElementUI* item, CMenuElementUI*) {
             CLabelUI stranger;
             return answer(item->Remove(&stranger));
         }},
        {"GetItemAt outside",
         [](CMenuElementUI* item, CMenuElementUI*) {
             return std::wstring(item->GetItemAt(-1) || item->GetItemAt(item->GetCount()) ? L"some" : L"none");
         }},
        {"GetItemIndex",
         [](CMenuElementUI* item, CMenuElementUI*) { return std::to_wstring(item->GetItemIndex(SubItemOf(item, 2))); }},
    };
    ::DestroyWindow(hwnd);
    ASSERT_TRUE(PumpUntil([] { return GetMenuObserver().GetReceivers().empty(); }));
    auto* disabled = new MenuItemState();
    std::wcscpy(disabled->name, L"fresh");
    disabled->enabled = 0;
    states.Set(L"fresh", disabled);
    const auto freshItem = [] {
        auto* fresh = new CMenuElementUI();
        fresh->SetName(L"fresh");
        fresh->SetText(L"Fresh");
        fresh->SetVisible(false);  // a sub-menu shows its items whatever they were
        return fresh;
    };
    const auto close = [](CMenuWnd* top) {
        ::DestroyWindow(top->GetHWND());
        return PumpUntil([] { return GetMenuObserver().GetReceivers().empty(); });
    };
    for (const bool third : {false, true}) {
        const wchar_t* level = third ? L"deep" : L"more";
        for (const Call& call : calls) {
            SCOPED_TRACE(std::string(third ? "deep: " : "more: ") + call.name);
            CMenuWnd* top = OpenMenu(kBusyMenuXml, &host.manager, &states);
            auto* item = static_cast<CMenuElementUI*>(top->GetManager().FindControl(level));
            ASSERT_NE(nullptr, item);
            CMenuElementUI* fresh = freshItem();
            const std::wstring closedAnswer = call.run(item, fresh);
            const std::wstring closed = ChildrenOf(item);
            if (!fresh->GetParent()) delete fresh;
            // Nor built nor added, a sub-item shows inside its item, also once the item is shown again.
            item->SetVisible(false);
            item->SetVisible(true);
            for (CMenuElementUI* waiting : item->GetSubItems())
                EXPECT_FALSE(waiting->IsVisible()) << "a sub-item shows inside its closed item";
            ASSERT_TRUE(close(top));

            top = OpenMenu(kBusyMenuXml, &host.manager, &states);
            CMenuWnd* second = HoverOpen(*top, L"more");
            ASSERT_NE(nullptr, second);
            CMenuWnd* sub = third ? HoverOpen(*second, L"deep") : second;
            ASSERT_NE(nullptr, sub);
            const HWND subHwnd = sub->GetHWND();
            RECT opened = {};
            ::GetWindowRect(subHwnd, &opened);
            item = static_cast<CMenuElementUI*>((third ? second : top)->GetManager().FindControl(level));
            ASSERT_NE(nullptr, item);
            ASSERT_EQ(sub, item->GetSubMenuWindow());
            fresh = freshItem();
            EXPECT_EQ(closedAnswer, call.run(item, fresh));
            EXPECT_EQ(closed, ChildrenOf(item)) << "while open";
            const std::wstring subItems = ChildrenOf(item).substr(ChildrenOf(item).find(L'|'));
            EXPECT_EQ(subItems, ItemsOf(sub->GetLayout())) << "the sub-menu shows other items";
            ::UpdateWindow(subHwnd);
            RECT client = {}, shown = {};
            ::GetClientRect(subHwnd, &client);
            CMenuUI* list = sub->GetLayout();
            EXPECT_EQ(client.bottom - list->GetInset().bottom, list->GetItemAt(list->GetCount() - 1)->GetPos().bottom)
                << "the sub-menu does not fit its items";
            RECT now = {};
            ::GetWindowRect(subHwnd, &now);
            EXPECT_EQ(opened.right - opened.left, now.right - now.left) << "items as wide as the others widened it";
            if (fresh->GetParent()) {
                EXPECT_TRUE(fresh->IsVisible());
                EXPECT_FALSE(fresh->IsEnabled()) << "the item state table has it disabled";
                EXPECT_TRUE(::IntersectRect(&shown, &client, &fresh->GetPos()) && ::EqualRect(&shown, &fresh->GetPos()))
                    << "the new item is not inside the sub-menu";
            } else {
                delete fresh;
            }
            ::PostMessageW(subHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(subHwnd); }));
            EXPECT_EQ(closed, ChildrenOf(item)) << "once closed";
            ASSERT_TRUE(close(top));
        }
    }
}

// The menu lays its items out anew while a sub-menu is open: a floating part of the item that opened it
// moves with the item.
TEST_F(MenuTest, AFloatingPartOfAnItemMovesWithItWhileItsSubMenuIsOpen)
{
    ::DestroyWindow(hwnd);
    ASSERT_TRUE(PumpUntil([] { return GetMenuObserver().GetReceivers().empty(); }));
    CMenuWnd* top = OpenMenu(L"<Window><Menu><MenuElement name=\"open\" text=\"Open\"/>"
                             L"<MenuElement name=\"more\" text=\"More\"><MenuElement name=\"m1\" text=\"M1\"/>"
                             L"<Label name=\"badge\" float=\"true\" pos=\"100,5,120,25\"/></MenuElement></Menu></Window>",
                             &host.manager, &states);
    hwnd = top->GetHWND();
    ::UpdateWindow(hwnd);
    auto* more = static_cast<CMenuElementUI*>(top->GetManager().FindControl(L"more"));
    CControlUI* badge = top->GetManager().FindControl(L"badge");
    ASSERT_NE(nullptr, badge);
    ASSERT_EQ(more->GetPos().top + 5, badge->GetPos().top);
    ASSERT_NE(nullptr, HoverOpen(*top, L"more"));
    auto* head = new CMenuElementUI();
    head->SetName(L"head");
    ASSERT_TRUE(top->GetLayout()->AddAt(head, 0));
    ::UpdateWindow(hwnd);
    EXPECT_EQ(more->GetPos().top + 5, badge->GetPos().top) << "the badge stayed where its item was";
}

// Three levels open, a third-level leaf hovered and pressed: the application removes the top item, closes
// its own window, or the leaf's click handler removes the top item; every menu goes and nothing freed is read.
TEST_F(MenuTest, AChainOfThreeMenusGoesWithItsTopItemOrItsApplicationWindow)
{
    enum class Act { RemoveTopItem, CloseApplication, RemoveFromClick, EscapeThenRemove, RemoveFromAltLetter };
    for (const Act act : {Act::RemoveTopItem, Act::CloseApplication, Act::RemoveFromClick, Act::EscapeThenRemove,
                          Act::RemoveFromAltLetter}) {
        SCOPED_TRACE(static_cast<int>(act));
        auto* app = new ClickActionHost;
        app->deleteOnFinal = true;
        ASSERT_NE(nullptr, app->CreateTopLevel(nullptr, 200, 100));
        HWND appHwnd = app->GetHWND();
        CMenuWnd* top = OpenMenu(kDeepMenuXml, &app->manager, &states);
        HWND topHwnd = top->GetHWND();
        ASSERT_NE(nullptr, topHwnd);
        CMenuUI* list = top->GetLayout();
        list->GetList()->SetDelayedDestroy(false);
        auto* more = static_cast<CMenuElementUI*>(top->GetManager().FindControl(L"more"));
        CMenuWnd* second = HoverOpen(*top, L"more");
        ASSERT_NE(nullptr, second);
        CMenuWnd* third = HoverOpen(*second, L"deep");
        ASSERT_NE(nullptr, third);
        HWND secondHwnd = second->GetHWND(), thirdHwnd = third->GetHWND();
        CControlUI* leaf = third->GetManager().FindControl(L"d1");
        ASSERT_NE(nullptr, leaf);
        DestroyCounter gone;
        for (const wchar_t* name : {L"d1", L"d2"})
            third->GetManager().FindControl(name)->OnDestroy += MakeDelegate(&gone, &DestroyCounter::OnDestroy);
        second->GetManager().FindControl(L"m1")->OnDestroy += MakeDelegate(&gone, &DestroyCounter::OnDestroy);
        const LPARAM at = CentreOf(leaf);
        switch (act) {
        case Act::RemoveTopItem:
            HoverAndPress(thirdHwnd, at);
            leaf->SetFocus();
            list->Remove(more);
            ::SendMessageW(thirdHwnd, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
            ::SendMessageW(thirdHwnd, WM_LBUTTONUP, 0, at);
            ::SendMessageW(thirdHwnd, WM_KEYDOWN, VK_DOWN, 0);
            break;
        case Act::CloseApplication:
            HoverAndPress(thirdHwnd, at);
            ::DestroyWindow(appHwnd);
            ::SendMessageW(thirdHwnd, WM_LBUTTONUP, 0, at);
            break;
        case Act::RemoveFromClick:
            app->onClick = [list, more](ClickActionHost&) { list->Remove(more); };
            ClickWithMouse(thirdHwnd, leaf);
            break;
        case Act::EscapeThenRemove:
            ::PostMessageW(thirdHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            list->Remove(more);
            ::PostMessageW(secondHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Act::RemoveFromAltLetter: {
            const MSG altTwo = {thirdHwnd, WM_SYSCHAR, '2', 0, 0, {}};
            CWindowUIManager::PreTranslateMessage(&altTwo);
            EXPECT_EQ(third->GetManager().FindControl(L"d2"), third->GetManager().GetFocus());
            list->Remove(more);
            ::PostMessageW(thirdHwnd, WM_KEYDOWN, VK_DOWN, 0);
            ::PostMessageW(thirdHwnd, WM_KEYDOWN, VK_RETURN, 0);
            break;
        }
        }
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(secondHwnd) && !::IsWindow(thirdHwnd); }));
        if (::IsWindow(topHwnd)) ::DestroyWindow(topHwnd);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(topHwnd) && gone.count == 3; }))
            << "sub-items left: " << 3 - gone.count;
        if (::IsWindow(appHwnd)) ::DestroyWindow(appHwnd);
    }
}

// A menu opened without an item state table after the table of an earlier menu was freed reads nothing of it.
TEST_F(MenuTest, AMenuOpenedWithoutAStateTableReadsNoFreedOne)
{
    auto* table = new CUIStringPtrMap;
    const wchar_t* checked = L"<Window><Menu><MenuElement name=\"c\" text=\"C\" ischeck=\"true\"/></Menu></Window>";
    HWND firstHwnd = OpenMenu(checked, &host.manager, table)->GetHWND();
    ::DestroyWindow(firstHwnd);
    ::DestroyWindow(hwnd);
    PumpUntil([&] { return !::IsWindow(firstHwnd) && !::IsWindow(hwnd); });
    DeleteItemStates(*table);
    delete table;
    const wchar_t* checkable = L"<Window><Menu><MenuElement name=\"c\" text=\"C\" checkitem=\"true\"/></Menu></Window>";
    CMenuWnd* later = OpenMenu(checkable, &host.manager, nullptr);
    HWND laterHwnd = later->GetHWND();
    auto* item = static_cast<CMenuElementUI*>(later->GetManager().FindControl(L"c"));
    ASSERT_NE(nullptr, item);
    EXPECT_FALSE(item->GetChecked()) << "the later menu reads the checks of a table that is gone";
    ::DestroyWindow(laterHwnd);
}

TEST_F(MenuTest, AButtonInsideAMenuGetsItsClickOnce)
{
    NotifyRecorder app;
    host.manager.AddNotifier(&app);
    CMenuWnd* withButton = OpenMenu(L"<Window><Menu><MenuElement name=\"row\" text=\"\" height=\"40\">"
                                    L"<Button name=\"inside\" text=\"B\"/></MenuElement></Menu></Window>",
                                    &host.manager, &states);
    HWND withButtonHwnd = withButton->GetHWND();
    ::UpdateWindow(withButtonHwnd);
    CControlUI* button = withButton->GetManager().FindControl(L"inside");
    ASSERT_NE(nullptr, button);
    ClickCounter counter;
    button->OnNotify += MakeDelegate(&counter, &ClickCounter::OnNotify);
    button->Activate();
    EXPECT_EQ(1, counter.clicks);
    EXPECT_EQ(1, app.Count(L"click", button));
    host.manager.RemoveNotifier(&app);
    ::DestroyWindow(withButtonHwnd);
}

}  // namespace
