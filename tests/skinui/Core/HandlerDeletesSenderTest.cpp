// An application's handler may delete the control whose notification or event it handles (a container
// without delayed destroy deletes at once). What the control would still do after the call into the
// application must not touch it: under the poisoning allocator any such read faults.
#include "Control/ButtonUI.h"
#include "Control/ScrollBarUI.h"
#include "Control/UIAnimationTabLayout.h"
#include "Control/UIColorPalette.h"
#include "Control/UIComboBox.h"
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Control/UIOption.h"
#include "Control/UISlider.h"
#include "Control/UITreeView.h"
#include "Core/ControlDeletion.h"
#include "Layout/BoxLayout.h"
#include "Layout/TabLayoutUI.h"
#include "Layout/TileLayoutUI.h"
#include "TestWindows.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class HandlerDeletesSenderTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.CreateTopLevel()) << "no window: is an X display available?";
        root = new CVerticalLayoutUI();
        root->SetDelayedDestroy(false);
        ASSERT_TRUE(host.manager.AttachRootControl(root));
        root->SetPos(RECT{0, 0, 400, 300});
        host.manager.AddNotifier(&notes);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    template <class T>
    T* AddToRoot(T* control, const wchar_t* name = nullptr)
    {
        if (name) control->SetName(name);
        root->Add(control);
        control->SetPos(RECT{10, 10, 110, 40});
        return control;
    }
    // The first notification of this type removes `doomed` from the root, which deletes it.
    void RemoveOn(const wchar_t* type, CControlUI* doomed)
    {
        notes.onNotify = [this, type, doomed](NotifyMessage& msg) {
            if (msg.sType != type || root->GetItemIndex(doomed) < 0) return;
            ASSERT_TRUE(root->Remove(doomed));
            ++removed;
        };
    }

    HostWindow host;
    CVerticalLayoutUI* root = nullptr;
    NotifyRecorder notes;
    int removed = 0;
};

ControlEvent MouseEvent(int type, POINT at)
{
    ControlEvent event;
    event.Type = type;
    event.ptMouse = at;
    return event;
}

// Removes its control from the root when the control's OnEvent (of the given type, or any) or OnSize fires.
struct RemovingDelegate {
    CContainerUI* root;
    CControlUI* control;
    int onEventType = 0;
    int onCall = 1;  // the matching call that removes
    bool Remove(void* param)
    {
        if (onEventType && static_cast<ControlEvent*>(param)->Type != onEventType) return true;
        if (--onCall == 0) root->Remove(control);
        return true;
    }
};

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

// An application control whose own placement removes `doomed` from `from` on its n-th call (0: never).
class RemovingOnPlacement : public CControlUI {
public:
    RemovingOnPlacement(CContainerUI* from, CControlUI* doomed) : m_from(from), m_doomed(doomed) {}
    void SetPos(RECT rc, bool invalidate) override
    {
        CControlUI::SetPos(rc, invalidate);
        if (onCall > 0 && --onCall == 0) m_from->Remove(m_doomed);
    }
    int onCall = 0;

private:
    CContainerUI* m_from;
    CControlUI* m_doomed;
};

// An application control whose own init runs `act` once.
class ActingOnInit : public CControlUI {
public:
    explicit ActingOnInit(std::function<void()> act) : m_act(std::move(act)) {}
    void InitControl() override
    {
        if (auto once = std::move(m_act)) once();
    }

private:
    std::function<void()> m_act;
};

// A window whose controls' handlers are bound to the window object itself.
class BoundHost : public HostWindow {
public:
    int controlsDestroyed = 0;
    bool CountDestroyed(void*)
    {
        ++controlsDestroyed;
        return true;
    }
};

// Runs the thread's messages as an application's own loop would: no framework pre-translation, no drain.
void PlainLoopUntil(const std::function<bool()>& done, DWORD limitMs = 3000)
{
    const DWORD start = ::GetTickCount();
    MSG msg = {};
    while (!done() && ::GetTickCount() - start < limitMs) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(5);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpBriefly()
{
    const DWORD start = ::GetTickCount();
    PumpUntil([start] { return ::GetTickCount() - start >= 100; });
}

}  // namespace

TEST_F(HandlerDeletesSenderTest, AButtonBoundToATabLeavesTheTabAloneWhenItsClickDeletesIt)
{
    auto* tabs = AddToRoot(new CTabLayoutUI(), L"pages");
    tabs->Add(new CControlUI());
    tabs->Add(new CControlUI());
    auto* button = AddToRoot(new CButtonUI());
    button->SetAttribute(L"bindtablayoutname", L"pages");
    button->SetAttribute(L"bindtabindex", L"1");
    RemoveOn(L"click", button);
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(1, removed);
    EXPECT_EQ(0, tabs->GetCurSel());
}

TEST_F(HandlerDeletesSenderTest, ATabLayoutDeletedWhileAPageTakesTheFocusStopsSelecting)
{
    for (const bool bySize : {false, true}) {
        SCOPED_TRACE(bySize ? "the new page's size event" : "the new page's focus");
        removed = 0;
        auto* tabs = AddToRoot(new CTabLayoutUI(), L"pages");
        tabs->Add(new CControlUI());
        CControlUI* second = new CControlUI();
        tabs->Add(second);
        RemovingDelegate onSize{root, tabs};
        if (bySize) second->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
        notes.onNotify = [&](NotifyMessage& msg) {
            if (!bySize && msg.sType == L"setfocus" && msg.pSender == second && root->Remove(tabs)) ++removed;
        };
        auto* button = AddToRoot(new CButtonUI());
        button->SetAttribute(L"bindtablayoutname", L"pages");
        button->SetAttribute(L"bindtabindex", L"1");
        EXPECT_TRUE(button->Activate());
        EXPECT_EQ(-1, root->GetItemIndex(tabs));
        EXPECT_EQ(0, notes.Count(L"tabselect", tabs));
        root->RemoveAll();
    }

    // Selected by the application, outside any message: the new page's own placement deletes the layout.
    auto* tabs = AddToRoot(new CTabLayoutUI());
    tabs->Add(new CControlUI());
    auto* second = new RemovingOnPlacement(root, tabs);
    tabs->Add(second);
    second->onCall = 1;
    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_EQ(-1, root->GetItemIndex(tabs));
    EXPECT_EQ(0, notes.Count(L"tabselect", tabs));
}

// An animated tab layout deleted by a page's focus loss as the slide begins, or by its own size event
// mid-slide, neither slides nor announces on.
TEST_F(HandlerDeletesSenderTest, ASlidingTabLayoutDeletedByAHandlerStopsSliding)
{
    for (const bool midSlide : {false, true}) {
        SCOPED_TRACE(midSlide ? "its size event mid-slide" : "the new page's focus loss");
        auto* tabs = AddToRoot(new CAnimationTabLayoutUI());
        tabs->Add(new CControlUI());
        CControlUI* second = new CControlUI();
        tabs->Add(second);
        tabs->SetPos(RECT{0, 0, 200, 100});
        notes.seen.clear();
        notes.onNotify = [&](NotifyMessage& msg) {
            if (!midSlide && msg.sType == L"killfocus" && msg.pSender == second) root->Remove(tabs);
        };
        RemovingDelegate onSize{root, tabs};
        if (midSlide) {
            ASSERT_TRUE(tabs->SelectItem(1));
            tabs->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
            tabs->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
        } else {
            tabs->SelectItem(1);
            EXPECT_EQ(0, notes.Count(L"tabselect", tabs));
        }
        EXPECT_EQ(-1, root->GetItemIndex(tabs));
        notes.onNotify = nullptr;
    }
}

TEST_F(HandlerDeletesSenderTest, AnOptionDeletedByItsClickOrSelectionHandlerStopsThere)
{
    for (const wchar_t* type : {L"click", L"selectchanged"}) {
        removed = 0;
        auto* option = AddToRoot(new COptionUI());
        option->SetGroup(L"choices");
        RemoveOn(type, option);
        EXPECT_TRUE(option->Activate());
        EXPECT_EQ(1, removed) << CUIString(type).GetData();
    }
}

// An application's option that leaves its group as it is deselected, closing the panel it names.
class PanelClosingOption : public COptionUI {
public:
    CContainerUI* root = nullptr;  // null until the case is set up
    CControlUI* panel = nullptr;
    void Selected(bool selected, bool notify) override
    {
        if (!selected && root && !GetGroup().IsEmpty()) {
            SetGroup(nullptr);
            if (panel && root->GetItemIndex(panel) >= 0) root->Remove(panel);
        }
        COptionUI::Selected(selected, notify);
    }
};

// Selected by the application, an option deselects the other members of its group, and the group is looked
// at again after each of them: a member that leaves it as it is deselected leaves the one after it to be
// deselected all the same; one that closes a panel deletes the members in it, which are not touched
// again, and a selecting option among them ends the selection (and the group, never read once gone).
TEST_F(HandlerDeletesSenderTest, AGroupMemberLeavingAsItIsDeselectedLeavesTheGroupWithOneSelection)
{
    auto* leaving = AddToRoot(new PanelClosingOption());
    auto* selected = AddToRoot(new COptionUI());
    auto* selecting = AddToRoot(new COptionUI());
    for (COptionUI* option : {static_cast<COptionUI*>(leaving), selected, selecting}) option->SetGroup(L"first");
    selected->Selected(true, false);
    leaving->root = root;
    selecting->Selected(true);
    EXPECT_FALSE(selected->IsSelected()) << "two members of the group are selected";
    EXPECT_TRUE(selecting->IsSelected());

    // The panel it closes holds the member after it (deleted at once), or that one and the selecting option.
    for (const bool selectingClosed : {false, true}) {
        SCOPED_TRACE(selectingClosed ? "the selecting option closed" : "the next member closed");
        const wchar_t* const group = selectingClosed ? L"closing" : L"panels";
        auto* closing = AddToRoot(new PanelClosingOption());
        closing->SetGroup(group);
        closing->Selected(true, false);
        auto* panel = AddToRoot(new CHorizontalLayoutUI());
        auto* neighbour = new COptionUI();
        auto* chosen = new COptionUI();
        panel->Add(neighbour);
        if (selectingClosed) panel->Add(chosen);
        else AddToRoot(chosen);
        for (COptionUI* option : {neighbour, chosen}) option->SetGroup(group);
        closing->root = root;
        closing->panel = panel;
        const auto chosenAlive = chosen->WatchLifetime();
        chosen->Selected(true);
        EXPECT_FALSE(closing->IsSelected());
        EXPECT_EQ(selectingClosed, chosenAlive.expired());
        if (selectingClosed) {
            EXPECT_EQ(nullptr, host.manager.GetOptionGroup(group));
            continue;
        }
        EXPECT_TRUE(chosen->IsSelected());
        ASSERT_NE(nullptr, host.manager.GetOptionGroup(group));
        EXPECT_EQ(1, host.manager.GetOptionGroup(group)->GetSize());
    }
}

TEST_F(HandlerDeletesSenderTest, ACheckBoxDeletedByItsSelectionOrCheckHandlerStopsThere)
{
    for (const wchar_t* type : {L"selectchanged", L"checkclick"}) {
        removed = 0;
        auto* box = AddToRoot(new CCheckBoxUI());
        box->SetAttribute(L"EnableAutoCheck", L"true");
        RemoveOn(type, box);
        ControlEvent press;
        press.Type = EVT_BUTTONDOWN;
        press.ptMouse = POINT{20, 20};
        box->DispatchEvent(press);
        EXPECT_EQ(1, removed) << CUIString(type).GetData();
    }
}

TEST_F(HandlerDeletesSenderTest, AControlDeletedByItsOwnEventOrSizeHandlerStopsThere)
{
    auto* timed = AddToRoot(new CControlUI());
    RemovingDelegate onEvent{root, timed};
    timed->OnEvent += MakeDelegate(&onEvent, &RemovingDelegate::Remove);
    ControlEvent tick;
    tick.Type = EVT_TIMER;
    timed->DispatchEvent(tick);
    EXPECT_EQ(-1, root->GetItemIndex(timed));
    EXPECT_EQ(0, notes.Count(L"timer", timed));

    // Controls that lay out their parts after their size event.
    struct Sized {
        const char* name;
        std::function<CControlUI*()> make;
    };
    const auto withChild = [](CContainerUI* container) {
        container->Add(new CControlUI());
        return container;
    };
    const Sized kinds[] = {
        {"control", [] { return new CControlUI(); }},
        {"container", [&] { return withChild(new CContainerUI()); }},
        {"vertical layout", [&] { return withChild(new CVerticalLayoutUI()); }},
        {"tab layout", [&] { return withChild(new CTabLayoutUI()); }},
        {"tile layout", [&] { return withChild(new CTileLayoutUI()); }},
        {"list", [] { return new CListUI(); }},
        {"list row", [&] { return withChild(new CListContainerElementUI()); }},
        {"list header", [] { return new CListHeaderUI(); }},
        {"scroll bar", [] { return new CScrollBarUI(); }},
        {"colour palette", [] { return new CColorPaletteUI(); }},
    };
    for (const Sized& kind : kinds) {
        SCOPED_TRACE(kind.name);
        CControlUI* sized = AddToRoot(kind.make());
        RemovingDelegate onSize{root, sized};
        sized->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
        sized->SetPos(RECT{0, 0, 50, 50});
        EXPECT_EQ(-1, root->GetItemIndex(sized));
    }
}

// A kind of container the rows below are tried with.
struct ContainerKind {
    const char* name;
    std::function<CContainerUI*()> make;
};

// A child's size event may delete the parent that is laying it out: the parent stops there.
TEST_F(HandlerDeletesSenderTest, AParentDeletedByItsChildsSizeHandlerStopsLayingOut)
{
    const ContainerKind kinds[] = {
        {"container", [] { return new CContainerUI(); }},
        {"vertical layout", [] { return new CVerticalLayoutUI(); }},
        {"horizontal layout", [] { return new CHorizontalLayoutUI(); }},
        {"tab layout", [] { return new CTabLayoutUI(); }},
        {"tile layout", [] { return new CTileLayoutUI(); }},
        {"list", [] { return new CListUI(); }},
        {"list row", [] { return new CListContainerElementUI(); }},
        {"list header", [] { return new CListHeaderUI(); }},
    };
    for (const ContainerKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        CContainerUI* parent = AddToRoot(kind.make());
        const bool header = parent->GetInterface(L"ListHeader") != nullptr;
        const auto child = [header]() -> CControlUI* {
            if (header) return new CListHeaderItemUI();
            return new CListContainerElementUI();
        };
        CControlUI* first = child();
        parent->Add(first);
        parent->Add(child());
        parent->SetPos(RECT{0, 0, 100, 100});
        RemovingDelegate onSize{root, parent};
        first->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
        parent->SetPos(RECT{0, 0, 300, 200});
        EXPECT_EQ(-1, root->GetItemIndex(parent)) << "the child's size event never came";
    }

    // A bar whose range changed places the children once more: the second size event deletes the parent.
    for (const bool tiles : {false, true}) {
        SCOPED_TRACE(tiles ? "tile layout placing again for a new range" : "container placing again for a new range");
        CContainerUI* parent = tiles ? AddToRoot<CContainerUI>(new CTileLayoutUI()) : AddToRoot(new CVerticalLayoutUI());
        parent->SetAttribute(L"vscrollbar", L"true");
        CControlUI* first = new CControlUI();
        first->SetFixedHeight(400);
        parent->Add(first);
        parent->SetPos(RECT{0, 0, 100, 100});
        RemovingDelegate onSize{root, parent, 0, 2};
        first->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
        parent->SetPos(RECT{0, 0, 100, 200});
        EXPECT_EQ(-1, root->GetItemIndex(parent)) << "the child was not placed again";
    }

    // Started by the application, outside any message: the child's own placement deletes the parent as the
    // new range places it once more.
    for (const bool tiles : {false, true}) {
        SCOPED_TRACE(tiles ? "tile layout placed by the application" : "container placed by the application");
        CContainerUI* parent = tiles ? AddToRoot<CContainerUI>(new CTileLayoutUI()) : AddToRoot(new CVerticalLayoutUI());
        parent->SetAttribute(L"vscrollbar", L"true");
        auto* first = new RemovingOnPlacement(root, parent);
        first->SetFixedHeight(400);
        parent->Add(first);
        parent->SetPos(RECT{0, 0, 100, 100});
        first->onCall = 2;
        parent->SetPos(RECT{0, 0, 100, 200});
        EXPECT_EQ(-1, root->GetItemIndex(parent)) << "the child was not placed again";
    }

    // A tile measures each row over its cells: a cell deleted by its neighbour's size event is not measured.
    auto* tiles = AddToRoot(new CTileLayoutUI());
    tiles->SetColumns(1);
    CControlUI* first = new CListContainerElementUI();
    CControlUI* second = new CListContainerElementUI();
    tiles->Add(first);
    tiles->Add(second);
    tiles->Add(new CListContainerElementUI());
    tiles->SetPos(RECT{0, 0, 100, 100});
    RemovingDelegate onSize{tiles, second};
    first->OnSize += MakeDelegate(&onSize, &RemovingDelegate::Remove);
    tiles->SetDelayedDestroy(false);
    tiles->SetPos(RECT{0, 0, 300, 200});
    EXPECT_EQ(2, tiles->GetCount());
}

// The application adds a control whose init deletes the container adding it, or closes that container's
// window: the adding stops there.
TEST_F(HandlerDeletesSenderTest, AContainerDeletedOrItsWindowClosedByTheInitOfAnAddedChildStopsAdding)
{
    const ContainerKind kinds[] = {
        {"vertical layout", [] { return new CVerticalLayoutUI(); }},
        {"tile layout", [] { return new CTileLayoutUI(); }},
        {"tab layout", [] { return new CTabLayoutUI(); }},
        {"list", [] { return new CListUI(); }},
    };
    for (const ContainerKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        CContainerUI* adding = AddToRoot(kind.make());
        adding->Add(new ActingOnInit([&] { root->Remove(adding); }));
        EXPECT_EQ(-1, root->GetItemIndex(adding));
    }

    // A window that goes with its object: its tree goes with it, once the adding has ended, also where the
    // container goes on after its base has added the child.
    for (const bool attaching : {false, true}) {
        for (const ContainerKind& kind : kinds) {
            if (attaching && &kind != &kinds[0]) continue;
            SCOPED_TRACE(attaching ? "the init of the attached root's child" : "the init of a child added to the shown tree");
            SCOPED_TRACE(kind.name);
            auto* other = new HostWindow;
            other->deleteOnFinal = true;
            ASSERT_NE(nullptr, other->CreateTopLevel());
            const HWND otherWindow = other->GetHWND();
            auto* panel = new CVerticalLayoutUI();
            CContainerUI* inner = kind.make();
            panel->Add(inner);
            auto* child = new ActingOnInit([otherWindow] { ::DestroyWindow(otherWindow); });
            if (attaching) {
                inner->Add(child);
                other->manager.AttachRootControl(panel);
            } else {
                other->manager.AttachRootControl(panel);
                inner->AddAt(child, 0);
            }
            EXPECT_FALSE(::IsWindow(otherWindow));
        }
    }
}

// Each control sends its notification from its own handling of a mouse event, and the handler
// removes the control; the handling must end there.
TEST_F(HandlerDeletesSenderTest, ControlsDeletedByTheirMouseNotificationStopThere)
{
    struct Case {
        const char* name;
        const wchar_t* notification;
        std::function<CControlUI*()> make;
        int eventType;
    };
    const Case cases[] = {
        {"slider release", L"valuechanged", [] { return new CSliderUI(); }, EVT_BUTTONUP},
        {"slider drag", L"movevaluechanged",
         [] {
             auto* slider = new CSliderUI();
             slider->SetAttribute(L"sendmove", L"true");
             return slider;
         },
         EVT_MOUSEMOVE},
        {"colour palette", L"colorchanged", [] { return new CColorPaletteUI(); }, EVT_BUTTONUP},
        {"list header item", L"headerclick", [] { return new CListHeaderItemUI(); },
         EVT_BUTTONDOWN},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        removed = 0;
        CControlUI* control = AddToRoot(item.make());
        if (item.eventType == EVT_MOUSEMOVE) {  // a drag starts with a press
            ControlEvent press = MouseEvent(EVT_BUTTONDOWN, POINT{20, 20});
            control->DispatchEvent(press);
        }
        RemoveOn(item.notification, control);
        ControlEvent event = MouseEvent(item.eventType, POINT{60, 20});
        control->DispatchEvent(event);
        EXPECT_EQ(1, removed);
    }
}

TEST_F(HandlerDeletesSenderTest, AComboBoxDeletedBeforeItsListDropsStopsThere)
{
    auto* combo = AddToRoot(new CComboBoxUI());
    RemoveOn(L"predropdown", combo);
    EXPECT_TRUE(combo->Activate());
    EXPECT_EQ(1, removed);
    EXPECT_EQ(0, notes.Count(L"dropdown", combo));
}

// A row's own selection, activation or double click notifies through its list or tree; the handler
// deletes the list and the row with it.
TEST_F(HandlerDeletesSenderTest, AListOrTreeDeletedByWhatItsRowNotifiesStopsThere)
{
    struct Case {
        const char* name;
        const wchar_t* notification;
        bool tree;
        bool rowRemoved = false;  // else the list goes
    };
    const Case cases[] = {{"list row selected", L"itemselect", false},
                          {"list row activated", L"itemactivate", false},
                          {"tree node activated", L"itemactivate", true},
                          {"tree node double-clicked", L"treeitemdbclick", true},
                          {"tree node selected, the node removed", L"itemselect", true, true}};
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        removed = 0;
        CListUI* list = AddToRoot(item.tree ? new CTreeViewUI() : new CListUI());
        CControlUI* row = item.tree ? static_cast<CControlUI*>(new CTreeNodeUI()) : new CListLabelElementUI();
        ASSERT_TRUE(list->Add(row));
        list->SetPos(RECT{0, 0, 200, 200});
        RemoveOn(item.notification, list);
        if (item.rowRemoved) {
            list->SetDelayedDestroy(false);
            notes.onNotify = [&](NotifyMessage& msg) {
                if (msg.sType == item.notification && list->Remove(row)) ++removed;
            };
        }
        if (CUIString(item.notification) == L"itemselect") {
            EXPECT_TRUE(static_cast<IListItemUI*>(row->GetInterface(L"ListItem"))->Select(true));
        } else {
            ControlEvent twice = MouseEvent(EVT_DBLCLICK, POINT{5, 5});
            row->DispatchEvent(twice);
        }
        EXPECT_EQ(1, removed);
    }
}

// The bar's own step scrolls its container, whose "scroll" handler deletes the container and the bar.
TEST_F(HandlerDeletesSenderTest, AScrollBarWhoseContainerIsDeletedByItsScrollStopsThere)
{
    // Or the container drops the bar itself, from a child's size event as the bar scrolls it.
    struct BarDropper {
        CContainerUI* box;
        bool Drop(void*)
        {
            box->EnableScrollBar(false, false);
            return true;
        }
    };
    for (const bool barDropped : {false, true}) {
        SCOPED_TRACE(barDropped ? "the bar dropped" : "the container deleted");
        removed = 0;
        auto* box = AddToRoot(new CVerticalLayoutUI());
        box->EnableScrollBar(true, false);
        auto* tall = new CControlUI();
        tall->SetFixedHeight(1000);
        box->Add(tall);
        box->SetPos(RECT{0, 0, 100, 100});
        CScrollBarUI* bar = box->GetVerticalScrollBar();
        ASSERT_NE(nullptr, bar);
        ASSERT_GT(box->GetScrollRange().cy, 0);
        BarDropper dropper{box};
        if (barDropped) tall->OnSize += MakeDelegate(&dropper, &BarDropper::Drop);
        else RemoveOn(L"scroll", box);
        const RECT place = bar->GetPos();
        ControlEvent press = MouseEvent(EVT_BUTTONDOWN, POINT{(place.left + place.right) / 2, place.bottom - 2});
        bar->DispatchEvent(press);
        EXPECT_EQ(barDropped ? 0 : 1, removed);
        EXPECT_EQ(barDropped, box->GetVerticalScrollBar() == nullptr);
        EXPECT_EQ(0, notes.Count(L"scroll", bar)) << "the bar went on after it was taken away";
        notes.onNotify = nullptr;
        root->RemoveAll();
    }
}

TEST_F(HandlerDeletesSenderTest, AListDeletedWhileItScrollsTheSelectedRowIntoViewStopsThere)
{
    auto* list = AddToRoot(new CListUI());
    list->EnableScrollBar(true, false);
    CListLabelElementUI* last = nullptr;
    for (int i = 0; i < 20; ++i) {
        last = new CListLabelElementUI();
        last->SetFixedHeight(30);
        ASSERT_TRUE(list->Add(last));
    }
    list->SetPos(RECT{0, 0, 200, 100});
    RemoveOn(L"scroll", list);
    EXPECT_TRUE(last->Select(true));
    EXPECT_EQ(1, removed);
    EXPECT_EQ(0, notes.Count(L"itemselect", list));
}

// The window's own routines go on after an event or notification they sent: focus, mouse and keys.
TEST_F(HandlerDeletesSenderTest, FocusMovesSurviveHandlersThatDeleteEitherControl)
{
    struct Case {
        const char* name;
        int deletingEvent;          // the event of the doomed control whose OnEvent deletes it, or 0
        const wchar_t* deletingNote;  // the notification whose handler deletes the doomed control, or null
        bool doomedIsOldFocus;
        bool byNativeFocusLoss = false;  // deleted as a native child loses the keyboard focus to the window
    };
    const Case cases[] = {
        {"new focus deleted by its own focus event", EVT_SETFOCUS, nullptr, false},
        {"old focus deleted by its own focus loss event", EVT_KILLFOCUS, nullptr, true},
        {"new focus deleted by the old focus's loss notification", 0, L"killfocus", false},
        {"new focus deleted as a native child loses the keyboard focus", 0, nullptr, false, true},
        {"old focus deleted as a native child loses the keyboard focus", 0, nullptr, true, true},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        removed = 0;
        notes.onNotify = nullptr;
        auto* before = AddToRoot(new CControlUI());
        auto* after = AddToRoot(new CControlUI());
        before->SetFocus();
        ASSERT_EQ(before, host.manager.GetFocus());
        CControlUI* doomed = item.doomedIsOldFocus ? before : after;
        RemovingDelegate onEvent{root, doomed, item.deletingEvent};
        if (item.deletingEvent) doomed->OnEvent += MakeDelegate(&onEvent, &RemovingDelegate::Remove);
        if (item.deletingNote) RemoveOn(item.deletingNote, doomed);
        std::unique_ptr<FocusLossChild> child;
        if (item.byNativeFocusLoss) {
            child = std::make_unique<FocusLossChild>(host, [this, doomed] { root->Remove(doomed); });
            ASSERT_TRUE(child->HasFocus());
        }
        after->SetFocus();
        child.reset();
        EXPECT_EQ(-1, root->GetItemIndex(doomed));
        // A new focus gone before the old one heard of its loss leaves the old one focused.
        CControlUI* const focus = item.doomedIsOldFocus ? after : item.byNativeFocusLoss ? before : nullptr;
        EXPECT_EQ(focus, host.manager.GetFocus());
        EXPECT_EQ(0, notes.Count(item.doomedIsOldFocus ? L"killfocus" : L"setfocus", doomed));
        root->RemoveAll();
    }
}

TEST_F(HandlerDeletesSenderTest, NotifiersAfterTheOneThatDeletedTheSenderSeeNoSender)
{
    NotifyRecorder later;
    host.manager.AddNotifier(&later);
    auto* button = AddToRoot(new CButtonUI());
    RemoveOn(L"click", button);
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(1, removed);
    ASSERT_EQ(1u, later.seen.size());
    EXPECT_EQ(CUIString(L"click"), later.seen[0].sType);
    EXPECT_EQ(nullptr, later.seen[0].pSender);
}

// Each case deletes a control from a handler of an event the window sends on a mouse message;
// the window must neither send it more events nor keep it as hovered or pressed.
TEST_F(HandlerDeletesSenderTest, MouseMessagesSurviveHandlersThatDeleteTheControlUnderTheMouse)
{
    struct Case {
        const char* name;
        bool deletedByOtherLeaving;  // the control left before deletes the one entered
        int deletingEvent;
        UINT message;
    };
    const Case cases[] = {
        {"entered control deleted as the other is left", true, EVT_MOUSELEAVE, WM_MOUSEMOVE},
        {"entered control deleted by its own enter", false, EVT_MOUSEENTER, WM_MOUSEMOVE},
        {"hovered control deleted by its own hover", false, EVT_MOUSEHOVER, WM_MOUSEHOVER},
        {"right-pressed control deleted as it takes the focus", false, EVT_SETFOCUS, WM_RBUTTONDOWN},
        {"middle-pressed control deleted as it takes the focus", false, EVT_SETFOCUS, WM_MBUTTONDOWN},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        auto* left = AddToRoot(new CControlUI());
        auto* entered = AddToRoot(new CControlUI());
        entered->SetToolTip(L"tip");
        left->SetPos(RECT{0, 0, 100, 100});
        entered->SetPos(RECT{100, 0, 200, 100});
        ::SendMessageW(host, WM_MOUSEMOVE, 0, ClientPoint(50, 50));
        if (item.message == WM_MOUSEHOVER) ::SendMessageW(host, WM_MOUSEMOVE, 0, ClientPoint(150, 50));
        RemovingDelegate onEvent{root, entered, item.deletingEvent};
        (item.deletedByOtherLeaving ? left : entered)->OnEvent += MakeDelegate(&onEvent, &RemovingDelegate::Remove);
        ::SendMessageW(host, item.message, 0, ClientPoint(150, 50));
        EXPECT_EQ(-1, root->GetItemIndex(entered));
        EXPECT_NE(entered, host.manager.GetFocus());
        // The window keeps no pointer to it: a release and a move elsewhere reach live controls only.
        ::SendMessageW(host, item.message == WM_MBUTTONDOWN ? WM_MBUTTONUP : WM_RBUTTONUP, 0, ClientPoint(50, 50));
        ::SendMessageW(host, WM_MOUSEMOVE, 0, ClientPoint(50, 50));
        root->RemoveAll();
    }
}

TEST_F(HandlerDeletesSenderTest, AnAltShortcutWhoseTargetIsDeletedAsItTakesTheFocusActivatesNothing)
{
    auto* button = AddToRoot(new CButtonUI());
    button->SetShortcut(L'K');
    RemovingDelegate onEvent{root, button, EVT_SETFOCUS};
    button->OnEvent += MakeDelegate(&onEvent, &RemovingDelegate::Remove);
    LRESULT result = 0;
    EXPECT_TRUE(host.manager.PreMessageHandler(WM_SYSCHAR, L'k', 0, result));
    EXPECT_EQ(-1, root->GetItemIndex(button));
    EXPECT_EQ(0, notes.Count(L"click", button));
}

// Hiding a control, or a container holding it, takes the focus from it; the handler of the focus loss
// deletes what was hidden.
TEST_F(HandlerDeletesSenderTest, HidingWhatHoldsTheFocusStopsWhenTheFocusLossDeletesIt)
{
    struct Case {
        const char* name;
        std::function<CControlUI*()> make;
        bool focusInside;  // a child takes the focus, not the hidden control itself
    };
    const auto holding = [](CContainerUI* container) {
        container->Add(new CControlUI());
        return container;
    };
    const Case cases[] = {
        {"control", [] { return new CControlUI(); }, false},
        {"list row", [] { return new CListLabelElementUI(); }, false},
        {"container", [&] { return holding(new CVerticalLayoutUI()); }, true},
        {"list row with children", [&] { return holding(new CListContainerElementUI()); }, true},
        {"nested container",
         [&] {
             auto* outer = new CVerticalLayoutUI();
             outer->Add(holding(new CVerticalLayoutUI()));
             return outer;
         },
         true},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        removed = 0;
        CControlUI* hidden = AddToRoot(item.make());
        CControlUI* focused = hidden;
        while (item.focusInside && focused->GetInterface(L"Container"))
            focused = static_cast<CContainerUI*>(focused->GetInterface(L"Container"))->GetItemAt(0);
        focused->SetFocus();
        ASSERT_EQ(focused, host.manager.GetFocus());
        RemoveOn(L"killfocus", hidden);
        hidden->SetVisible(false);
        EXPECT_EQ(1, removed);
        EXPECT_EQ(nullptr, host.manager.GetFocus());
    }
}

// A paint hands out the first focus, lays the tree out and announces it: a handler on the way that
// detaches or replaces the window's root, or closes the window, ends that paint. The window announces
// only a root it still shows, laid out, while it lives.
TEST_F(HandlerDeletesSenderTest, APaintEndsWhereAHandlerTookTheRootOrTheWindowAway)
{
    enum class Taking { Detach, Replace, Close };
    struct Case {
        const char* name;
        bool byFocus;  // the first focus's handler, else the root's size event in the layout
        Taking taking;
    };
    const Case cases[] = {
        {"first focus, root detached", true, Taking::Detach},
        {"layout, root detached", false, Taking::Detach},
        {"layout, root replaced", false, Taking::Replace},
        {"layout, window closed", false, Taking::Close},
    };
    // Takes once, the first time it is called.
    struct Taker {
        std::function<void()> take;
        bool Take(void*)
        {
            if (auto once = std::move(take)) {
                take = nullptr;
                once();
            }
            return true;
        }
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        HostWindow window;
        ASSERT_NE(nullptr, window.CreateTopLevel());
        auto* tree = new CVerticalLayoutUI();
        tree->Add(new CButtonUI());
        ASSERT_TRUE(window.manager.AttachRootControl(tree));
        CControlUI* replacement = nullptr;
        Taker taker;
        taker.take = [&] {
            if (item.taking == Taking::Close) ::DestroyWindow(window);
            else if (item.taking == Taking::Detach) window.manager.AttachRootControl(nullptr);
            else window.manager.AttachRootControl(replacement = new CVerticalLayoutUI());
        };
        NotifyRecorder seen;
        int wrongInits = 0;
        seen.onNotify = [&](NotifyMessage& msg) {
            if (item.byFocus && msg.sType == L"setfocus") taker.Take(nullptr);
            if (msg.sType != L"windowinit") return;
            if (!::IsWindow(window) || !msg.pSender || msg.pSender != window.manager.GetRoot() ||
                ::IsRectEmpty(&msg.pSender->GetPos()))
                ++wrongInits;
        };
        if (!item.byFocus) tree->OnSize += MakeDelegate(&taker, &Taker::Take);
        window.manager.AddNotifier(&seen);
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);  // lays the tree out; the focus waits for the next paint
        for (int paint = 0; paint < 2 && ::IsWindow(window); ++paint) {
            ::InvalidateRect(window, nullptr, FALSE);
            ::UpdateWindow(window);
        }
        EXPECT_EQ(nullptr, taker.take) << "the handler never ran";
        EXPECT_EQ(0, wrongInits);
        if (item.taking == Taking::Close) {
            EXPECT_FALSE(::IsWindow(window));
            continue;
        }
        EXPECT_EQ(replacement, window.manager.GetRoot());
        if (replacement) {
            EXPECT_EQ(1, seen.Count(L"windowinit", replacement));
        }
        window.manager.RemoveNotifier(&seen);
        ::DestroyWindow(window);
    }
}

// A window ended from another window's handler, or a dialog shown modally from one, takes its tree with it:
// its controls' handlers, bound to the window object, never run after that object is gone.
TEST_F(HandlerDeletesSenderTest, AWindowEndedInsideAnotherWindowsHandlerTakesItsTreeWithIt)
{
    for (const bool modal : {false, true}) {
        SCOPED_TRACE(modal ? "a dialog shown modally from the handler" : "a window destroyed from the handler");
        auto* other = new BoundHost;
        other->deleteOnFinal = true;
        ASSERT_NE(nullptr, other->CreateTopLevel(host));
        auto* panel = new CVerticalLayoutUI();
        panel->Add(new CControlUI());
        panel->Add(new CButtonUI());
        other->manager.AttachRootControl(panel);
        for (int i = 0; i < panel->GetCount(); ++i)
            panel->GetItemAt(i)->OnDestroy += MakeDelegate(other, &BoundHost::CountDestroyed);
        panel->OnDestroy += MakeDelegate(other, &BoundHost::CountDestroyed);
        const HWND otherWindow = other->GetHWND();
        auto* button = AddToRoot(new CButtonUI());
        notes.onNotify = [&](NotifyMessage& msg) {
            if (msg.sType != L"click" || msg.pSender != button) return;
            if (!modal) {
                ::DestroyWindow(otherWindow);
                return;
            }
            ::PostMessageW(otherWindow, WM_CLOSE, 0, 0);
            other->ShowModal();
        };
        EXPECT_TRUE(button->Activate());
        EXPECT_FALSE(::IsWindow(otherWindow));
        PumpBriefly();
        notes.onNotify = nullptr;
        root->RemoveAll();
    }
}

// A window that deletes itself when it goes, and whose handlers write into its own heap memory.
class LoggingHost : public HostWindow {
public:
    explicit LoggingHost(int* finals)
    {
        deleteOnFinal = true;
        finalCounter = finals;
        log.reserve(8);
    }
    bool Log(void*)
    {
        log.push_back(2);
        return true;
    }
    std::vector<int> log;
};

// Runs `close` once, at the first event of its type.
struct ClosingOnEvent {
    int type;
    std::function<void()> close;
    bool Close(void* param)
    {
        if (static_cast<ControlEvent*>(param)->Type != type || !close) return true;
        std::exchange(close, nullptr)();
        return true;
    }
};

// Framework calls the application makes outside any message hold what their handlers end as a message
// does: a handler that closes its window still finds the window object whole, and so does the call after it.
TEST_F(HandlerDeletesSenderTest, AHandlerRunFromTheApplicationsOwnCallMayCloseItsWindow)
{
    struct Entry {
        const char* name;
        int closingEvent;  // the focused control's event whose handler closes the window; 0: the posted task does
        std::function<void(CWindowUIManager&, CControlUI& focused, CControlUI& other)> call;
    };
    const Entry entries[] = {
        {"the focus set by the application", EVT_SETFOCUS,
         [](CWindowUIManager& manager, CControlUI&, CControlUI& other) { manager.SetFocus(&other); }},
        {"the focus taken by hiding the control", EVT_KILLFOCUS,
         [](CWindowUIManager&, CControlUI& focused, CControlUI&) { focused.SetVisible(false); }},
        {"the focus handed on after the layout", EVT_KILLFOCUS,
         [](CWindowUIManager& manager, CControlUI&, CControlUI& other) { manager.SetFocusDeferred(&other); }},
        {"an event the application sends", EVT_TIMER,
         [](CWindowUIManager&, CControlUI& focused, CControlUI&) {
             ControlEvent tick;
             tick.Type = EVT_TIMER;
             focused.DispatchEvent(tick);
         }},
        {"a task posted to the window", 0, nullptr},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        int finals = 0;
        auto* window = new LoggingHost(&finals);
        ASSERT_NE(nullptr, window->CreateTopLevel());
        const HWND hwnd = window->GetHWND();
        auto* panel = new CVerticalLayoutUI();
        auto* focused = new TabStopControl();
        auto* other = new TabStopControl();
        panel->Add(focused);
        panel->Add(other);
        window->manager.AttachRootControl(panel);
        focused->SetFocus();
        ASSERT_EQ(focused, window->manager.GetFocus());
        int finalsInHandler = -1;
        const auto close = [window, hwnd, &finals, &finalsInHandler] {
            ::DestroyWindow(hwnd);
            finalsInHandler = finals;
            window->log.push_back(1);  // into freed memory, were the object gone
        };
        ClosingOnEvent onEvent{entry.closingEvent, close};
        CControlUI* watched = entry.closingEvent == EVT_SETFOCUS ? other : focused;
        watched->OnEvent += MakeDelegate(&onEvent, &ClosingOnEvent::Close);
        if (entry.call) {
            entry.call(window->manager, *focused, *other);
        } else {
            ASSERT_TRUE(CWindowUIManager::PostTask(hwnd, close));
            PumpUntil([hwnd] { return !::IsWindow(hwnd); });
        }
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(0, finalsInHandler) << "the window object went while the handler that closed it still ran";
        EXPECT_EQ(1, finals);
    }
}

// Controls the application takes out itself, whose destruction handlers close their window or write into
// the window object: the removal holds the window until it returns, and every handler finds the object whole.
TEST_F(HandlerDeletesSenderTest, ARemovalTheApplicationMakesMayCloseItsWindowFromADestroyHandler)
{
    struct Entry {
        const char* name;
        std::function<CContainerUI*()> make;
        std::function<void(CContainerUI&, CControlUI& first)> call;
        std::function<CControlUI*()> item = [] { return new CControlUI(); };
        bool delayed = false;  // deleted later, by the loop
    };
    const auto box = [] { return new CVerticalLayoutUI(); };
    const auto tabs = [] { return new CTabLayoutUI(); };
    const auto list = [] { return new CListUI(); };
    const auto row = [] { return new CListLabelElementUI(); };
    const auto removeAll = [](CContainerUI& c, CControlUI&) { c.RemoveAll(); };
    const auto removeFirst = [](CContainerUI& c, CControlUI& first) { c.Remove(&first); };
    const Entry entries[] = {
        {"a box's RemoveAll", box, removeAll},
        {"a box's Remove", box, removeFirst},
        {"a tab's RemoveAll", tabs, removeAll},
        {"a tab's Remove of its shown page", tabs, removeFirst},
        {"a list's RemoveAll", list, removeAll, row},
        {"a list's Remove of its selected row", list, removeFirst, row},
        {"a box's delayed RemoveAll", box, removeAll, [] { return new CControlUI(); }, true},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        int finals = 0;
        auto* window = new LoggingHost(&finals);
        ASSERT_NE(nullptr, window->CreateTopLevel());
        const HWND hwnd = window->GetHWND();
        auto* panel = new CVerticalLayoutUI();
        CContainerUI* container = entry.make();
        container->SetDelayedDestroy(entry.delayed);
        panel->Add(container);
        CControlUI* first = entry.item();
        container->Add(first);
        for (int i = 0; i < 2; ++i) {
            CControlUI* later = entry.item();
            later->OnDestroy += MakeDelegate(window, &LoggingHost::Log);
            container->Add(later);
        }
        window->manager.AttachRootControl(panel);
        if (auto* rows = dynamic_cast<CListUI*>(container)) rows->SelectItem(0);
        int finalsInHandler = -1;
        struct Closer {
            LoggingHost* window;
            HWND hwnd;
            int* finals;
            int* finalsInHandler;
            bool Close(void*)
            {
                ::DestroyWindow(hwnd);
                *finalsInHandler = *finals;
                window->log.push_back(1);  // into freed memory, were the object gone
                return true;
            }
        } closer{window, hwnd, &finals, &finalsInHandler};
        first->OnDestroy += MakeDelegate(&closer, &Closer::Close);
        entry.call(*container, *first);
        PumpBriefly();
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(0, finalsInHandler) << "the window object went while the handler that closed it still ran";
        EXPECT_EQ(1, finals);
    }
}

// The queue waits for the dispatch, however many loops run inside it, and then empties under any loop,
// also once no framework window is left.
TEST_F(HandlerDeletesSenderTest, TheDeletionQueueWaitsForTheDispatchAndEmptiesUnderAnyLoop)
{
    bool deleted = false;
    auto* tracked = AddToRoot(new TrackedControl(&deleted));
    auto* button = AddToRoot(new CButtonUI());
    bool keptWhileTheHandlerRan = false;
    notes.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType != L"click" || msg.pSender != button) return;
        ASSERT_TRUE(root->Remove(tracked));
        // A loop inside the handler (a modal one) sees the queue's wake-up: nothing goes yet.
        PlainLoopUntil([] { return false; }, 100);
        keptWhileTheHandlerRan = !deleted;
        tracked->SetName(L"still here");
        // The last framework window ends with the handler.
        ::DestroyWindow(host);
    };
    EXPECT_TRUE(button->Activate());
    EXPECT_TRUE(keptWhileTheHandlerRan) << "deleted while the handler that removed it still ran";
    PlainLoopUntil([&] { return deleted; });
    EXPECT_TRUE(deleted) << "an application's own loop never emptied the queue";
}

// A control the application deleted itself is no longer the queue's; a window's replaced root stays its
// own to take back while other windows end.
TEST_F(HandlerDeletesSenderTest, TheDeletionQueueLetsGoOfWhatIsDeletedElsewhereAndKeepsRootsToTheirWindows)
{
    auto* button = AddToRoot(new CButtonUI());
    notes.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType != L"click" || msg.pSender != button) return;
        auto* kept = new CControlUI();
        EXPECT_TRUE(ControlDeletion::Delete(kept));
        delete kept;
    };
    EXPECT_TRUE(button->Activate());
    PumpBriefly();

    auto* replacement = new CVerticalLayoutUI();
    ASSERT_TRUE(host.manager.AttachRootControl(replacement));
    {
        HostWindow other;
        ASSERT_NE(nullptr, other.CreateTopLevel());
        other.manager.AttachRootControl(new CVerticalLayoutUI());
        ::DestroyWindow(other);
    }
    EXPECT_TRUE(host.manager.AttachRootControl(root)) << "the window could not take its old root back";
    EXPECT_EQ(root, host.manager.GetRoot());
    PumpBriefly();
}
