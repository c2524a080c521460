#include "Control/ScrollBarUI.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/TabLayoutUI.h"
#include "Layout/TileLayoutUI.h"

#include <gtest/gtest.h>

#include <memory>

using namespace SkinUI;

namespace {

CControlUI* Child(const wchar_t* attributes)
{
    auto* child = new CControlUI();
    child->ApplyAttributeList(attributes);
    return child;
}

int Height(const CControlUI* control) { return control->GetHeight(); }

void Mouse(CControlUI& control, int type, int x, int y)
{
    ControlEvent event;
    event.Type = type;
    event.ptMouse = POINT{x, y};
    control.DispatchEvent(event);
}

// A vertical layout in a window, with a 4 pixel separator at its bottom edge and the further attributes given,
// placed at 0,0-100,100.
void PlaceWithSeparator(CVerticalLayoutUI& layout, CWindowUIManager& manager, const wchar_t* attributes = L"")
{
    layout.SetManager(&manager, nullptr, false);
    layout.SetAttribute(L"sepheight", L"4");
    if (*attributes) layout.ApplyAttributeList(attributes);
    layout.SetPos(RECT{0, 0, 100, 100});
}

class TabNotes : public INotifyUI {
public:
    int selections = 0;
    void Notify(NotifyMessage& msg) override { selections += msg.sType == L"tabselect"; }
};

TEST(VerticalLayout, StretchChildrenShareTheRestAndTheLastTakesTheRemainder)
{
    CVerticalLayoutUI layout;
    CControlUI* fixed = Child(L"height=\"30\"");
    CControlUI* first = Child(L"");
    CControlUI* last = Child(L"");
    layout.Add(fixed);
    layout.Add(first);
    layout.Add(last);
    layout.SetPos(RECT{0, 0, 50, 100});
    EXPECT_EQ(30, Height(fixed));
    EXPECT_EQ(35, Height(first));
    EXPECT_EQ(35, Height(last));
    EXPECT_EQ(65, last->GetPos().top);
    layout.SetPos(RECT{0, 0, 50, 101});
    EXPECT_EQ(35, Height(first));
    EXPECT_EQ(36, Height(last));
    EXPECT_EQ(50, first->GetWidth());
}

TEST(VerticalLayout, LimitsWinOverTheShareAndMaximumOverMinimum)
{
    CVerticalLayoutUI layout;
    CControlUI* capped = Child(L"maxheight=\"20\"");
    CControlUI* odd = Child(L"minheight=\"50\" maxheight=\"40\"");
    layout.Add(capped);
    layout.Add(odd);
    layout.SetPos(RECT{0, 0, 50, 200});
    EXPECT_EQ(20, Height(capped));
    EXPECT_EQ(40, Height(odd));
}

TEST(VerticalLayout, PaddingAndChildPaddingSeparateChildren)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"childpadding", L"4");
    layout.SetAttribute(L"inset", L"1,2,3,4");
    CControlUI* first = Child(L"height=\"10\" padding=\"5,6,7,8\"");
    CControlUI* second = Child(L"height=\"10\"");
    layout.Add(first);
    layout.Add(second);
    layout.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(2 + 6, first->GetPos().top);
    EXPECT_EQ(1 + 5, first->GetPos().left);
    EXPECT_EQ(97 - 7, first->GetPos().right);
    EXPECT_EQ(first->GetPos().bottom + 8 + 4, second->GetPos().top);
}

TEST(VerticalLayout, CentredChildAlignTruncatesHalves)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"childalign", L"center");
    CControlUI* child = Child(L"width=\"51\" height=\"10\"");
    layout.Add(child);
    layout.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(25, child->GetPos().left);
    EXPECT_EQ(76, child->GetPos().right);
}

TEST(VerticalLayout, OverflowGivesTheScrollBarARange)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"vscrollbar", L"true");
    layout.GetVerticalScrollBar()->SetVisible(false);
    CControlUI* tall = Child(L"height=\"250\"");
    layout.Add(tall);
    layout.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(250, Height(tall));
    ASSERT_TRUE(layout.GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(150, layout.GetVerticalScrollBar()->GetScrollRange());
    EXPECT_EQ(84, tall->GetWidth());
}

TEST(BoxLayout, ChildrenAcrossTheStackAreCappedByTheRoomAndTheirLimits)
{
    struct Case {
        bool vertical;
        const wchar_t* child;
        int cross;
    };
    // The vertical layout is 100 wide, the horizontal one 50 high.
    const Case cases[] = {
        {true, L"width=\"300\"", 100},
        {true, L"width=\"60\"", 60},
        {true, L"", 100},
        {true, L"maxwidth=\"70\"", 70},
        {true, L"width=\"300\" padding=\"10,0,5,0\"", 85},
        {true, L"minwidth=\"150\"", 150},
        {true, L"width=\"300\" minwidth=\"120\"", 120},
        {false, L"height=\"300\"", 50},
        {false, L"height=\"30\"", 30},
        {false, L"height=\"300\" padding=\"0,4,0,6\"", 40},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CBoxLayoutUI> layout;
        if (c.vertical) layout = std::make_unique<CVerticalLayoutUI>();
        else layout = std::make_unique<CHorizontalLayoutUI>();
        CControlUI* child = Child(c.child);
        layout->Add(child);
        layout->SetPos(c.vertical ? RECT{0, 0, 100, 200} : RECT{0, 0, 200, 50});
        EXPECT_EQ(c.cross, c.vertical ? child->GetWidth() : child->GetHeight())
            << (c.vertical ? "vertical " : "horizontal ") << c.child;
    }
}

TEST(VerticalLayout, ScrollingPastAHugeRangeStopsAtItsEnd)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"vscrollbar", L"true");
    layout.SetAttribute(L"scrollstepsize", L"2000000000");
    layout.Add(Child(L"height=\"2000000000\" maxheight=\"2000000000\""));
    layout.SetPos(RECT{0, 0, 100, 100});
    const int range = layout.GetVerticalScrollBar()->GetScrollRange();
    ASSERT_EQ(2000000000 - 100, range);
    layout.LineDown();
    EXPECT_EQ(range, layout.GetScrollPos().cy);
    layout.LineDown();
    EXPECT_EQ(range, layout.GetScrollPos().cy);
}

TEST(HorizontalLayout, SharesWidthAndAlignsVertically)
{
    CHorizontalLayoutUI layout;
    layout.SetAttribute(L"childvalign", L"bottom");
    CControlUI* fixed = Child(L"width=\"40\" height=\"10\"");
    CControlUI* stretch = Child(L"");
    layout.Add(fixed);
    layout.Add(stretch);
    layout.SetPos(RECT{10, 10, 110, 60});
    EXPECT_EQ(10, fixed->GetPos().left);
    EXPECT_EQ(50, fixed->GetPos().right);
    EXPECT_EQ(50, fixed->GetPos().top);
    EXPECT_EQ(60, fixed->GetPos().bottom);
    EXPECT_EQ(50, stretch->GetPos().left);
    EXPECT_EQ(110, stretch->GetPos().right);
    EXPECT_EQ(50, stretch->GetHeight());
}

TEST(BoxLayout, SeparatorDragStopsAtTheMinimum)
{
    CWindowUIManager manager;
    CVerticalLayoutUI layout;
    PlaceWithSeparator(layout, manager, L"sepimm=\"true\" minheight=\"30\"");
    EXPECT_EQ(unsigned(CONTROL_FLAG_SETCURSOR), layout.GetControlFlags());
    Mouse(layout, EVT_BUTTONDOWN, 50, 98);
    Mouse(layout, EVT_MOUSEMOVE, 50, 10);
    Mouse(layout, EVT_BUTTONUP, 50, 10);
    EXPECT_EQ(30, layout.GetFixedHeight());
    EXPECT_EQ(30, layout.GetHeight());
}

TEST(BoxLayout, ASeparatorDragEndedByAFocusLossStopsWhereThePressEnded)
{
    CWindowUIManager manager;
    CVerticalLayoutUI layout;
    PlaceWithSeparator(layout, manager);
    Mouse(layout, EVT_BUTTONDOWN, 50, 98);
    Mouse(layout, EVT_MOUSEMOVE, 50, 70);
    Mouse(layout, EVT_KILLFOCUS, 0, 0);
    EXPECT_EQ(72, layout.GetHeight()) << "placed as a release would";
    Mouse(layout, EVT_MOUSEMOVE, 50, 40);
    Mouse(layout, EVT_BUTTONUP, 50, 40);
    EXPECT_EQ(72, layout.GetFixedHeight()) << "no drag without the button";
    EXPECT_EQ(72, layout.GetHeight());
}

TEST(BoxLayout, TopSeparatorMovesUpOnlyOnceThePointerIsABandAboveTheEdge)
{
    CWindowUIManager manager;
    CVerticalLayoutUI layout;
    layout.SetManager(&manager, nullptr, false);
    layout.ApplyAttributeList(L"sepheight=\"-4\" sepimm=\"true\"");
    layout.SetPos(RECT{0, 100, 100, 200});
    Mouse(layout, EVT_BUTTONDOWN, 50, 101);
    // Up, but still below top + size (100 - 4): ignored.
    Mouse(layout, EVT_MOUSEMOVE, 50, 98);
    EXPECT_EQ(100, layout.GetPos().top);
    Mouse(layout, EVT_MOUSEMOVE, 50, 94);
    EXPECT_EQ(96, layout.GetPos().top);
    EXPECT_EQ(104, layout.GetFixedHeight());
    Mouse(layout, EVT_BUTTONUP, 50, 94);
}

// Each press of the separator asks to be painted last once more; the layout deleted, the window paints none of it.
TEST(BoxLayout, SeparatorPressedTwiceLeavesNothingToPaintAfterTheLayout)
{
    CWindowUIManager manager;
    auto* layout = new CVerticalLayoutUI();
    PlaceWithSeparator(*layout, manager);
    Mouse(*layout, EVT_BUTTONDOWN, 50, 98);
    Mouse(*layout, EVT_BUTTONDOWN, 50, 98);
    const CControlUI* gone = layout;
    delete layout;
    EXPECT_FALSE(manager.RemovePostPaint(const_cast<CControlUI*>(gone)));
}

// A tab layout in a window that counts its "tabselect" notifications.
class TabLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddNotifier(&notes);
        tabs.SetManager(&manager, nullptr, false);
    }
    CControlUI* AddPage()
    {
        auto* page = new CControlUI();
        tabs.Add(page);
        return page;
    }
    CWindowUIManager manager;
    TabNotes notes;
    CTabLayoutUI tabs;
};

TEST_F(TabLayout, InsertingBeforeTheSelectionKeepsTheSelectedPage)
{
    AddPage();
    CControlUI* b = AddPage();
    AddPage();
    EXPECT_EQ(0, tabs.GetCurSel());
    EXPECT_FALSE(b->IsVisible());
    tabs.SelectItem(1);
    CControlUI* d = new CControlUI();
    tabs.AddAt(d, 0);
    EXPECT_EQ(2, tabs.GetCurSel());
    EXPECT_FALSE(d->IsVisible());
    EXPECT_TRUE(b->IsVisible());
    tabs.SetDelayedDestroy(false);
    tabs.Remove(b);
    EXPECT_EQ(0, tabs.GetCurSel());
    EXPECT_TRUE(d->IsVisible());
}

TEST_F(TabLayout, MovingPagesKeepsTheSelectedPageSelectedAndPlaced)
{
    CControlUI* a = AddPage();
    CControlUI* b = AddPage();
    CControlUI* c = AddPage();
    ASSERT_TRUE(tabs.SelectItem(1));
    notes.selections = 0;
    struct Move {
        CControlUI* page;
        int to;
        int selected;  // where b stands afterwards
    };
    const Move moves[] = {{b, 0, 0}, {c, 0, 1}, {b, 9, 2}, {a, 2, 1}, {c, 5, 0}};
    for (const Move& move : moves) {
        ASSERT_TRUE(tabs.SetItemIndex(move.page, move.to));
        EXPECT_EQ(move.selected, tabs.GetCurSel());
        EXPECT_EQ(b, tabs.GetItemAt(tabs.GetCurSel()));
    }
    tabs.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(100, b->GetWidth());
    // Selecting the page that is shown changes nothing.
    EXPECT_TRUE(tabs.SelectItem(0));
    EXPECT_EQ(0, notes.selections);
    EXPECT_TRUE(b->IsVisible());
}

TEST_F(TabLayout, NotifiesOnlyRealChangesAndPlacesTheSelectedPage)
{
    CControlUI* first = new CControlUI();
    CControlUI* second = Child(L"height=\"20\" padding=\"3,4,0,0\"");
    tabs.Add(first);
    tabs.Add(second);
    tabs.SetPos(RECT{0, 0, 100, 100});
    EXPECT_TRUE(tabs.SelectItem(0));
    EXPECT_EQ(0, notes.selections);
    EXPECT_TRUE(tabs.SelectItem(1));
    EXPECT_EQ(1, notes.selections);
    EXPECT_FALSE(tabs.SelectItem(5));
    EXPECT_EQ(3, second->GetPos().left);
    EXPECT_EQ(4, second->GetPos().top);
    EXPECT_EQ(20, second->GetHeight());
    EXPECT_FALSE(first->IsVisible());
}

}  // namespace

namespace {

TEST(TileLayout, ItemSizeSetsTheColumnsAndRowsTakeTheTallestChild)
{
    CTileLayoutUI tiles;
    tiles.SetAttribute(L"itemsize", L"50,20");
    CControlUI* a = Child(L"height=\"20\"");
    CControlUI* b = Child(L"height=\"30\"");
    CControlUI* c = Child(L"height=\"10\"");
    tiles.Add(a);
    tiles.Add(b);
    tiles.Add(c);
    tiles.SetPos(RECT{0, 0, 100, 200});
    EXPECT_EQ(2, tiles.GetColumns());
    EXPECT_EQ(0, a->GetPos().left);
    EXPECT_EQ(50, b->GetPos().left);
    // a is centred in its 30-pixel row; c starts the second row.
    EXPECT_EQ(5, a->GetPos().top);
    EXPECT_EQ(0, c->GetPos().left);
    EXPECT_EQ(30, c->GetPos().top);
}

TEST(TileLayout, ZeroColumnsInTheSkinKeepsOne)
{
    CTileLayoutUI tiles;
    tiles.SetAttribute(L"columns", L"0");
    EXPECT_EQ(1, tiles.GetColumns());
    CControlUI* a = Child(L"height=\"10\"");
    CControlUI* b = Child(L"height=\"10\"");
    tiles.Add(a);
    tiles.Add(b);
    tiles.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(100, a->GetWidth());
    EXPECT_EQ(10, b->GetPos().top);
}

}  // namespace
