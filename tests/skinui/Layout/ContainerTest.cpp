#include "Control/ScrollBarUI.h"
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Core/ControlFactory.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "../Core/SkinTestData.h"

#include "LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class DeletionProbe : public CControlUI {
public:
    explicit DeletionProbe(bool* deleted) : m_deleted(deleted) {}
    ~DeletionProbe() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

class ScrollNotes : public INotifyUI {
public:
    std::vector<WPARAM> scrolls;
    void Notify(NotifyMessage& msg) override
    {
        if (msg.sType == L"scroll") scrolls.push_back(msg.wParam);
    }
};

CControlUI* CALLBACK Hit(CControlUI* control, void*) { return control; }

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddNotifier(&notes);
        container.SetManager(&manager, nullptr, false);
    }
    CWindowUIManager manager;
    ScrollNotes notes;
    CContainerUI container;
};

TEST_F(ContainerTest, RemovingAStrangerFailsAndDeletesNothing)
{
    bool deleted = false;
    DeletionProbe stranger(&deleted);
    EXPECT_FALSE(container.Remove(&stranger));
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(container.Add(nullptr));
    // A place outside the children is refused before the control is bound to the window.
    CControlUI outside;
    EXPECT_FALSE(container.AddAt(&outside, 1));
    EXPECT_FALSE(container.AddAt(&outside, -1));
    EXPECT_EQ(nullptr, outside.GetManager());
    EXPECT_EQ(0, container.GetCount());
}

TEST_F(ContainerTest, ChildrenAreBoundAndDeletedWithTheContainer)
{
    bool deleted = false;
    {
        CContainerUI owner;
        auto* child = new DeletionProbe(&deleted);
        owner.SetManager(&manager, nullptr, false);
        ASSERT_TRUE(owner.Add(child));
        EXPECT_EQ(&manager, child->GetManager());
        EXPECT_EQ(&owner, child->GetParent());
        EXPECT_EQ(0, owner.GetItemIndex(child));
    }
    EXPECT_TRUE(deleted);
}

// A control has one parent: one held twice would be deleted twice, a loop would never end a walk.
TEST_F(ContainerTest, AControlThatHasAParentIsRefusedUntilRemoved)
{
    bool deleted = false;
    CContainerUI outer;
    outer.SetManager(&manager, nullptr, false);
    auto* inner = new CContainerUI();
    auto* child = new DeletionProbe(&deleted);
    ASSERT_TRUE(outer.Add(inner));
    ASSERT_TRUE(inner->Add(child));

    EXPECT_FALSE(container.Add(child)) << "held by another container";
    EXPECT_FALSE(inner->Add(child)) << "held by this one already";
    EXPECT_FALSE(inner->Add(inner)) << "itself";
    EXPECT_FALSE(inner->Add(&outer)) << "its own ancestor";
    EXPECT_EQ(0, container.GetCount());
    EXPECT_EQ(1, inner->GetCount());
    EXPECT_EQ(inner, child->GetParent());

    // Removed and kept, it may go anywhere.
    inner->SetAutoDestroy(false);
    ASSERT_TRUE(inner->Remove(child));
    EXPECT_TRUE(container.Add(child));
    EXPECT_EQ(&container, child->GetParent());
    container.SetDelayedDestroy(false);
    container.Remove(child);
    EXPECT_TRUE(deleted);
}

// A panel built away from any window holds its children as one in a window does: no second container
// takes them, and a list's own header stays the list's.
TEST_F(ContainerTest, ControlsHeldOutsideAnyWindowAreRefusedElsewhere)
{
    bool deleted = false;
    CVerticalLayoutUI panel;
    auto* child = new DeletionProbe(&deleted);
    ASSERT_TRUE(panel.Add(child));
    EXPECT_EQ(&panel, child->GetParent());
    const bool taken = container.Add(child);
    EXPECT_FALSE(taken) << "held by the panel already";
    if (taken) {  // given back, so that only the panel deletes it
        container.SetAutoDestroy(false);
        container.Remove(child);
    }
    CListUI list;
    const bool headerTaken = container.Add(list.GetHeader());
    EXPECT_FALSE(headerTaken) << "the list's own header";
    if (headerTaken) {
        container.SetAutoDestroy(false);
        container.Remove(list.GetHeader());
    }
    EXPECT_EQ(0, container.GetCount());
    EXPECT_FALSE(deleted);
}

TEST_F(ContainerTest, RemoveWithoutWindowDeletesAtOnceWhenNotDelayed)
{
    bool deleted = false;
    auto* child = new DeletionProbe(&deleted);
    container.Add(child);
    container.SetDelayedDestroy(false);
    EXPECT_TRUE(container.Remove(child));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(0, container.GetCount());
}

TEST_F(ContainerTest, MaximumWinsOverMinimum)
{
    auto* child = new CControlUI();
    child->SetMinWidth(300);
    child->SetMaxWidth(200);
    container.Add(child);
    container.SetPos(RECT{0, 0, 500, 100});
    EXPECT_EQ(200, child->GetWidth());
    EXPECT_EQ(100, child->GetHeight());
}

TEST_F(ContainerTest, InsetShrinksTheClientArea)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.SetAttribute(L"inset", L"5,6,7,8");
    container.SetPos(RECT{0, 0, 100, 100});
    const RECT& pos = child->GetPos();
    EXPECT_EQ(5, pos.left);
    EXPECT_EQ(6, pos.top);
    EXPECT_EQ(93, pos.right);
    EXPECT_EQ(92, pos.bottom);
}

TEST_F(ContainerTest, FloatingChildrenFollowTheirAlignmentOrPercentages)
{
    auto* centred = new CControlUI();
    centred->SetAttribute(L"float", L"true");
    centred->SetAttribute(L"width", L"50");
    centred->SetAttribute(L"height", L"10");
    centred->SetAttribute(L"floatalign", L"center,bottom");
    auto* placed = new CControlUI();
    placed->SetAttribute(L"float", L"0.5,0,0.5,0");
    placed->SetAttribute(L"pos", L"2,3,12,13");
    container.Add(centred);
    container.Add(placed);
    container.SetPos(RECT{10, 20, 111, 120});
    EXPECT_EQ(10 + 25, centred->GetPos().left);
    EXPECT_EQ(120 - 10, centred->GetPos().top);
    EXPECT_EQ(10 + 50 + 2, placed->GetPos().left);
    EXPECT_EQ(20 + 3, placed->GetPos().top);
    EXPECT_EQ(10 + 50 + 10 + 2, placed->GetPos().right);
    // Moving the container moves it; its children sit relative to it and keep their own places.
    container.Move(SIZE{4, 6}, false);
    EXPECT_EQ(4, container.GetFixedXY().cx);
    EXPECT_EQ(6, container.GetFixedXY().cy);
    EXPECT_EQ(2, placed->GetFixedXY().cx);
    EXPECT_EQ(3, placed->GetFixedXY().cy);
    // A floating box at (10,10) holding a floating child at (5,5), moved by (5,7): the child follows once.
    auto* box = new CContainerUI();
    box->SetAttribute(L"float", L"true");
    box->SetAttribute(L"pos", L"10,10,60,60");
    auto* inner = new CControlUI();
    inner->SetAttribute(L"float", L"true");
    inner->SetAttribute(L"pos", L"5,5,15,15");
    box->Add(inner);
    container.Add(box);
    container.SetPos(RECT{0, 0, 101, 100});
    EXPECT_EQ(15, inner->GetPos().left);
    box->Move(SIZE{5, 7}, false);
    container.SetPos(RECT{0, 0, 101, 100});
    EXPECT_EQ(15, box->GetPos().left);
    EXPECT_EQ(17, box->GetPos().top);
    EXPECT_EQ(20, inner->GetPos().left) << "the floating child moved twice";
    EXPECT_EQ(22, inner->GetPos().top);
}

TEST_F(ContainerTest, ChildAlignValuesAreCaseSensitive)
{
    container.SetAttribute(L"childalign", L"Center");
    EXPECT_EQ(0u, container.GetChildAlign());
    container.SetAttribute(L"childalign", L"center");
    EXPECT_EQ(1u, container.GetChildAlign());
    container.SetAttribute(L"childvalign", L"bottom");
    EXPECT_EQ(8u, container.GetChildVAlign());
}

TEST_F(ContainerTest, ScrollBarAttributeCreatesAndDeletesTheBar)
{
    manager.SetDefaultAttributeList(L"VScrollBar", L"linesize=\"3\"");
    container.SetAttribute(L"vscrollbar", L"true");
    ASSERT_NE(nullptr, container.GetVerticalScrollBar());
    EXPECT_EQ(3, container.GetVerticalScrollBar()->GetLineSize());
    EXPECT_EQ(&container, container.GetVerticalScrollBar()->GetOwner());
    container.SetAttribute(L"hscrollbarstyle", L"linesize=\"4\"");
    ASSERT_NE(nullptr, container.GetHorizontalScrollBar());
    EXPECT_TRUE(container.GetHorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(4, container.GetHorizontalScrollBar()->GetLineSize());
    container.SetAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(nullptr, container.GetVerticalScrollBar());
    EXPECT_NE(nullptr, container.GetHorizontalScrollBar());
}

TEST_F(ContainerTest, OverflowShowsTheBarAndScrollingMovesChildren)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.EnableScrollBar(true, false);
    container.GetVerticalScrollBar()->SetVisible(false);
    container.SetPos(RECT{0, 0, 100, 100});
    container.ProcessScrollBar(container.GetPos(), 84, 300);
    CScrollBarUI* bar = container.GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(200, bar->GetScrollRange());
    EXPECT_EQ(84, child->GetWidth());
    const LONG top = child->GetPos().top;
    container.SetScrollPos(SIZE{0, 50});
    EXPECT_EQ(top - 50, child->GetPos().top);
    ASSERT_EQ(1u, notes.scrolls.size());
    EXPECT_EQ(WPARAM((50 + 8) / 8), notes.scrolls[0]);
    container.SetScrollPos(SIZE{0, 50});
    EXPECT_EQ(1u, notes.scrolls.size());
    container.SetScrollStepSize(10);
    container.LineDown();
    EXPECT_EQ(60, container.GetScrollPos().cy);
    container.SetScrollStepSize(0);  // ignored: the step stays 10
    container.LineDown();
    EXPECT_EQ(70, container.GetScrollPos().cy);
    container.SetScrollStepSize(1);
    container.LineDown();
    EXPECT_EQ(71, container.GetScrollPos().cy);
    container.EndDown();
    EXPECT_EQ(200, container.GetScrollPos().cy);
    container.HomeUp();
    EXPECT_EQ(0, container.GetScrollPos().cy);
    container.ProcessScrollBar(container.GetPos(), 84, 50);
    EXPECT_FALSE(bar->IsVisible());
}

TEST_F(ContainerTest, HitTestFindsChildrenUnlessMouseChildIsOff)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.SetAttribute(L"inset", L"10,10,10,10");
    container.SetPos(RECT{0, 0, 100, 100});
    POINT inside = {50, 50};
    EXPECT_EQ(child, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
    POINT edge = {5, 5};
    EXPECT_EQ(&container, container.FindControl(&Hit, &edge, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
    container.SetMouseChildEnabled(false);
    EXPECT_EQ(&container, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
    // Of two children over each other, the later one is on top.
    container.SetMouseChildEnabled(true);
    auto* over = new CControlUI();
    container.Add(over);
    container.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(over, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
    EXPECT_EQ(child, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST));
    container.SetEnabled(false);
    EXPECT_EQ(nullptr, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_ENABLED | FIND_HITTEST | FIND_TOP_FIRST));
    EXPECT_EQ(over, container.FindControl(&Hit, &inside, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST));
}

// Keys and the wheel scroll the nearest container with a bar: sent to it, or to a child container that passes them
// on (it has no bar, or takes no mouse input).
TEST(ContainerScrolling, KeysAndTheWheelMoveTheBarByLinePageAndEnd)
{
    struct Input {
        int type;
        WPARAM key;  // the key, or the wheel delta
    };
    const Input end = {EVT_KEYDOWN, VK_END}, home = {EVT_KEYDOWN, VK_HOME}, up = {EVT_KEYDOWN, VK_UP},
                down = {EVT_KEYDOWN, VK_DOWN}, pageUp = {EVT_KEYDOWN, VK_PRIOR}, pageDown = {EVT_KEYDOWN, VK_NEXT},
                wheelDown = {EVT_SCROLLWHEEL, static_cast<WPARAM>(-120)}, wheelUp = {EVT_SCROLLWHEEL, 120};
    struct Case {
        bool vertical;
        const wchar_t* inner;  // attributes of a child container the input goes to; null: to the layout itself
        std::vector<Input> inputs;
        int pos;
        const wchar_t* step = L"10";  // null: no step size set
    };
    const Case cases[] = {
        {true, nullptr, {end}, 150},
        {true, nullptr, {end, up}, 140},
        {true, nullptr, {end, pageUp}, 50},
        {true, nullptr, {pageDown}, 100},
        {true, nullptr, {pageDown, pageDown}, 150},
        {true, nullptr, {end, home}, 0},
        {true, nullptr, {down, down}, 20},
        {true, nullptr, {wheelDown}, 10},
        {true, nullptr, {end, wheelUp}, 140},
        {true, L"", {wheelDown, end}, 150},
        {true, L"mouse=\"false\"", {wheelDown}, 10},
        {false, nullptr, {end}, 150},
        {false, nullptr, {end, up}, 140},
        {false, nullptr, {end, pageUp}, 50},
        {false, nullptr, {pageDown}, 100},
        {false, nullptr, {end, home}, 0},
        {false, nullptr, {down}, 10},
        {false, nullptr, {wheelDown}, 10},
        {false, nullptr, {end, wheelUp}, 140},
        {false, L"", {wheelDown, down}, 20},
        {false, nullptr, {end, up}, 142, nullptr},
        {false, nullptr, {down, down}, 16, nullptr},
    };
    int index = 0;
    for (const Case& c : cases) {
        CWindowUIManager manager;
        std::unique_ptr<CContainerUI> layout = MakeBoxLayout(c.vertical);
        layout->SetManager(&manager, nullptr, false);
        layout->SetAttribute(c.vertical ? L"vscrollbar" : L"hscrollbar", L"true");
        if (c.step) layout->SetAttribute(L"scrollstepsize", c.step);
        CControlUI* content = c.inner ? new CContainerUI() : new CControlUI();
        content->ApplyAttributeList(c.vertical ? L"height=\"250\"" : L"width=\"250\"");
        if (c.inner) content->ApplyAttributeList(c.inner);
        layout->Add(content);
        // A floating child stays where it floats.
        CControlUI* badge = new CControlUI();
        badge->ApplyAttributeList(L"float=\"true\" pos=\"5,5,15,15\"");
        layout->Add(badge);
        layout->SetPos(RECT{0, 0, 100, 100});
        const SIZE range = layout->GetScrollRange();
        EXPECT_EQ(150, c.vertical ? range.cy : range.cx) << "case " << index;
        CControlUI* target = c.inner ? content : layout.get();
        for (const Input& input : c.inputs) {
            ControlEvent event;
            event.Type = input.type;
            event.chKey = static_cast<wchar_t>(input.key);
            event.wParam = input.type == EVT_SCROLLWHEEL ? MAKEWPARAM(0, static_cast<WORD>(input.key)) : input.key;
            event.ptMouse = POINT{50, 50};
            target->DispatchEvent(event);
        }
        const SIZE pos = layout->GetScrollPos();
        EXPECT_EQ(c.pos, c.vertical ? pos.cy : pos.cx) << "case " << index;
        EXPECT_EQ(-c.pos, c.vertical ? content->GetPos().top : content->GetPos().left) << "case " << index;
        // The bar itself is under the pointer at the layout's far edge.
        CScrollBarUI* bar = c.vertical ? layout->GetVerticalScrollBar() : layout->GetHorizontalScrollBar();
        POINT onBar = c.vertical ? POINT{92, 50} : POINT{50, 92};
        EXPECT_EQ(bar, layout->FindControl(&Hit, &onBar, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST)) << "case " << index;
        EXPECT_EQ(5, badge->GetPos().left) << "case " << index;
        EXPECT_EQ(5, badge->GetPos().top) << "case " << index;

        layout->SetManager(nullptr, nullptr, false);
        ++index;
    }
}

TEST_F(ContainerTest, HidingTheContainerHidesChildrenInternally)
{
    auto* child = new CControlUI();
    container.Add(child);
    container.SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    container.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
    container.SetEnabled(false);
    EXPECT_FALSE(child->IsEnabled());

    // Taken out of a hidden container, it shows in a visible one.
    container.SetVisible(false);
    container.SetAutoDestroy(false);
    ASSERT_TRUE(container.Remove(child));
    CVerticalLayoutUI shown;
    ASSERT_TRUE(shown.Add(child));
    EXPECT_TRUE(child->IsVisible());
}

TEST_F(ContainerTest, PaintsChildrenInsideTheClientArea)
{
    Canvas canvas(40, 40);
    container.SetBkColor(0xFFFF0000);
    auto* child = new CControlUI();
    child->SetBkColor(0xFF0000FF);
    child->SetMinHeight(100);
    container.Add(child);
    container.SetAttribute(L"inset", L"4,4,4,4");
    container.SetPos(RECT{0, 0, 40, 40});
    EXPECT_EQ(100, child->GetHeight());
    container.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(2, 2));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(20, 20));
    // The child is taller than the client area but is cut at its edge.
    EXPECT_EQ(0xFF0000u, canvas.Rgb(20, 38));
}

TEST_F(ContainerTest, PaintingStopsAtTheStopControl)
{
    Canvas canvas(20, 20);
    auto* first = new CControlUI();
    auto* second = new CControlUI();
    second->SetBkColor(0xFF00FF00);
    container.Add(first);
    container.Add(second);
    container.SetPos(RECT{0, 0, 20, 20});
    EXPECT_FALSE(container.Paint(canvas.dc(), canvas.Bounds(), second));
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
    // A hidden stop control stops the painting too: nothing after it is drawn.
    first->SetVisible(false);
    EXPECT_FALSE(container.Paint(canvas.dc(), canvas.Bounds(), first));
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
    first->SetVisible(true);
    // Also when only the inset is repainted.
    container.SetAttribute(L"inset", L"4,4,4,4");
    container.SetPos(RECT{0, 0, 20, 20});
    EXPECT_FALSE(container.Paint(canvas.dc(), RECT{0, 0, 3, 3}, first));
    EXPECT_TRUE(container.Paint(canvas.dc(), RECT{0, 0, 3, 3}, nullptr));
}

TEST(ContainerItems, TheSelectableItemIsTheNextVisibleEnabledListItem)
{
    struct Case {
        int index;
        bool forward;
        int found;
    };
    // Items 0 to 4: 1 is disabled, 3 hidden, 4 is no list item.
    const Case cases[] = {{0, true, 0}, {-5, true, 0}, {1, true, 2}, {3, true, -1}, {9, true, -1},
                          {3, false, 2}, {1, false, 0}, {9, false, 2}, {0, false, 0}};
    CContainerUI items;
    for (int i = 0; i < 4; ++i) items.Add(new CListLabelElementUI());
    items.Add(new CControlUI());
    items.GetItemAt(1)->SetEnabled(false);
    items.GetItemAt(3)->SetVisible(false);
    for (const Case& c : cases)
        EXPECT_EQ(c.found, items.FindSelectable(c.index, c.forward)) << c.index << (c.forward ? " forward" : " backward");
    CContainerUI empty;
    EXPECT_EQ(-1, empty.FindSelectable(0, true));
    // Backward from an index with nothing selectable before it: the first one after.
    items.GetItemAt(0)->SetVisible(false);
    EXPECT_EQ(2, items.FindSelectable(1, false));
}

TEST(ContainerFactory, CreatesContainersByName)
{
    CControlUI* control = CControlFactory::GetInstance()->CreateControl(L"CContainerUI");
    ASSERT_NE(nullptr, control);
    EXPECT_NE(nullptr, control->GetInterface(L"IContainer"));
    delete control;
}

}  // namespace
