#include "Control/ScrollBarUI.h"
#include "Core/ControlFactory.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/TabLayoutUI.h"
#include "Layout/TileLayoutUI.h"

#include "LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// A control with the attributes given, added to the layout when there is one.
CControlUI* Child(const wchar_t* attributes, CContainerUI* layout = nullptr)
{
    auto* child = new CControlUI();
    child->ApplyAttributeList(attributes);
    if (layout) layout->Add(child);
    return child;
}

constexpr RECT kNotPlaced = {-1, -1, -1, -1};

// One layout of a table: the layout's attributes, the window's DPI, its rectangle (0,0 to width,height), its
// children's attributes and where each must end up (kNotPlaced: not checked), and the vertical bar's range
// (0: no bar shown).
struct LayoutCase {
    const wchar_t* layout;
    int dpi;
    SIZE size;
    std::vector<const wchar_t*> children;
    std::vector<RECT> placed;
    int range = 0;
};

void ExpectPlacedAt(const CControlUI* control, RECT want, const std::string& what)
{
    const RECT got = control->GetPos();
    EXPECT_TRUE(got.left == want.left && got.top == want.top && got.right == want.right && got.bottom == want.bottom)
        << what << ": got " << got.left << "," << got.top << "," << got.right << "," << got.bottom << " want "
        << want.left << "," << want.top << "," << want.right << "," << want.bottom;
}

// Lays the case out in a layout bound to a window manager of the case's DPI and checks every rectangle.
void ExpectLayout(CContainerUI& layout, const LayoutCase& c, int row)
{
    CWindowUIManager manager;
    manager.GetDpiScaler()->SetDPI(c.dpi);
    layout.SetManager(&manager, nullptr, false);
    layout.ApplyAttributeList(c.layout);
    std::vector<CControlUI*> children;
    for (const wchar_t* attributes : c.children) children.push_back(Child(attributes, &layout));
    layout.SetPos(RECT{0, 0, c.size.cx, c.size.cy});
    for (size_t i = 0; i < children.size(); ++i) {
        const RECT want = c.placed[i];
        if (want.left == kNotPlaced.left && want.right == kNotPlaced.right) continue;
        ExpectPlacedAt(children[i], want, "row " + std::to_string(row) + " child " + std::to_string(i));
    }
    const CScrollBarUI* bar = layout.GetVerticalScrollBar();
    EXPECT_EQ(c.range, bar && bar->IsVisible() ? bar->GetScrollRange() : 0) << "row " << row;
    layout.SetManager(nullptr, nullptr, false);
}

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
    CControlUI* fixed = Child(L"height=\"30\"", &layout);
    CControlUI* first = Child(L"", &layout);
    CControlUI* last = Child(L"", &layout);
    layout.SetPos(RECT{0, 0, 50, 100});
    ExpectPlacedAt(fixed, RECT{0, 0, 50, 30}, "fixed");
    ExpectPlacedAt(first, RECT{0, 30, 50, 65}, "first");
    ExpectPlacedAt(last, RECT{0, 65, 50, 100}, "last");
    layout.SetPos(RECT{0, 0, 50, 101});
    ExpectPlacedAt(first, RECT{0, 30, 50, 65}, "first, one pixel more");
    ExpectPlacedAt(last, RECT{0, 65, 50, 101}, "last, one pixel more");
}

TEST(VerticalLayout, OverflowGivesTheScrollBarARange)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"vscrollbar", L"true");
    layout.GetVerticalScrollBar()->SetVisible(false);
    CControlUI* tall = Child(L"height=\"250\"", &layout);
    layout.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(250, tall->GetHeight());
    ASSERT_TRUE(layout.GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(150, layout.GetVerticalScrollBar()->GetScrollRange());
    EXPECT_EQ(84, tall->GetWidth());
}

TEST(Scrolling, TheBarShowsOnlyForContentThatOverflows)
{
    enum Kind { Vertical, Horizontal, Plain };
    struct Case {
        Kind kind;
        const wchar_t* first;   // a child hidden after the first layout when hideFirst is set
        const wchar_t* second;
        bool hideFirst;
        int size;   // of the second child along the scrolling axis
        int range;  // 0: the bar is hidden
    };
    // Each layout is 100x100 with a vertical bar ("hscrollbar" for the horizontal layout) 16 wide.
    const Case cases[] = {
        {Vertical, nullptr, L"", false, 100, 0},
        {Horizontal, nullptr, L"", false, 100, 0},
        {Plain, nullptr, L"", false, 100, 0},
        {Vertical, L"", L"", false, 50, 0},
        {Vertical, L"height=\"250\"", L"", false, 0, 150},
        {Vertical, L"height=\"250\"", L"", true, 100, 0},
        {Horizontal, L"width=\"250\"", L"", true, 100, 0},
        {Vertical, nullptr, L"minheight=\"150\"", false, 150, 50},
        {Vertical, L"height=\"60\"", L"minheight=\"80\"", false, 80, 40},
        {Horizontal, L"width=\"60\"", L"minwidth=\"80\"", false, 80, 40},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CContainerUI> layout;
        if (c.kind == Plain) layout = std::make_unique<CContainerUI>();
        else layout = MakeBoxLayout(c.kind == Vertical);
        const bool horizontal = c.kind == Horizontal;
        layout->SetAttribute(horizontal ? L"hscrollbar" : L"vscrollbar", L"true");
        CControlUI* first = c.first ? Child(c.first, layout.get()) : nullptr;
        CControlUI* second = Child(c.second, layout.get());
        layout->SetPos(RECT{0, 0, 100, 100});
        if (c.hideFirst) {
            first->SetVisible(false);
            layout->SetPos(RECT{0, 0, 100, 100});
        }
        CScrollBarUI* bar = horizontal ? layout->GetHorizontalScrollBar() : layout->GetVerticalScrollBar();
        const int range = bar->IsVisible() ? bar->GetScrollRange() : 0;
        EXPECT_EQ(c.range, range) << "case " << (&c - cases);
        EXPECT_EQ(c.size, horizontal ? second->GetWidth() : second->GetHeight()) << "case " << (&c - cases);
        EXPECT_EQ(c.range > 0 ? 84 : 100, horizontal ? second->GetHeight() : second->GetWidth()) << "case " << (&c - cases);
    }
    // A child whose paddings alone fill the width leaves nothing to scroll across.
    CVerticalLayoutUI column;
    column.SetAttribute(L"hscrollbar", L"true");
    column.Add(Child(L"padding=\"50,0,50,0\""));
    column.SetPos(RECT{0, 0, 100, 100});
    EXPECT_FALSE(column.GetHorizontalScrollBar()->IsVisible());
}

TEST(BoxLayout, PlacesChildrenAlongAndAcrossTheStack)
{
    // A fixed child with padding, two stretch children (the first capped, so the last takes what it leaves), a
    // fixed child raised to its minimum; the same skin at 100, 150 and 200 %, and across for the horizontal layout.
    const std::vector<const wchar_t*> column = {L"height=\"20\" padding=\"2,2,4,4\"", L"maxheight=\"10\"", L"",
                                                L"height=\"10\" minheight=\"16\""};
    const std::vector<const wchar_t*> row = {L"width=\"20\" padding=\"2,2,4,4\"", L"maxwidth=\"10\"", L"",
                                             L"width=\"10\" minwidth=\"16\""};
    const wchar_t* columnLayout = L"inset=\"4,6,8,10\" childpadding=\"4\"";
    const wchar_t* rowLayout = L"inset=\"6,4,10,8\" childpadding=\"4\"";
    struct BoxCase {
        bool vertical;
        LayoutCase layout;
    };
    const BoxCase cases[] = {
        {true, {columnLayout, 96, {100, 100}, column, {{6, 8, 88, 28}, {4, 36, 92, 46}, {4, 50, 92, 70}, {4, 74, 92, 90}}}},
        {true,
         {columnLayout, 144, {150, 150}, column, {{9, 12, 132, 42}, {6, 54, 138, 69}, {6, 75, 138, 105}, {6, 111, 138, 135}}}},
        {true,
         {columnLayout, 192, {200, 200}, column,
          {{12, 16, 176, 56}, {8, 72, 184, 92}, {8, 100, 184, 140}, {8, 148, 184, 180}}}},
        {false, {rowLayout, 96, {100, 100}, row, {{8, 6, 28, 88}, {36, 4, 46, 92}, {50, 4, 70, 92}, {74, 4, 90, 92}}}},
        {false,
         {rowLayout, 192, {200, 200}, row, {{16, 12, 56, 176}, {72, 8, 92, 184}, {100, 8, 140, 184}, {148, 8, 180, 184}}}},
        // Limits win over the share, and a maximum over a minimum.
        {true,
         {L"", 96, {50, 200}, {L"maxheight=\"20\"", L"minheight=\"50\" maxheight=\"40\""}, {{0, 0, 50, 20}, {0, 20, 50, 60}}}},
        // A child's padding and the child padding both separate children, inside the inset.
        {true,
         {L"childpadding=\"4\" inset=\"1,2,3,4\"", 96, {100, 100},
          {L"height=\"10\" padding=\"5,6,7,8\"", L"height=\"10\""}, {{6, 8, 90, 18}, {1, 30, 97, 40}}}},
        // Across the stack: right and centred, halves truncated.
        {true, {L"childalign=\"right\"", 96, {100, 100}, {L"width=\"30\" height=\"10\" padding=\"0,0,5,0\""}, {{65, 0, 95, 10}}}},
        {true, {L"childalign=\"right\"", 192, {100, 100}, {L"width=\"30\" height=\"10\" padding=\"0,0,5,0\""}, {{30, 0, 90, 20}}}},
        {true, {L"childalign=\"center\"", 96, {100, 100}, {L"width=\"51\" height=\"10\""}, {{25, 0, 76, 10}}}},
        {false, {L"childvalign=\"vcenter\"", 96, {100, 100}, {L"width=\"10\" height=\"31\""}, {{0, 35, 10, 66}}}},
        {false, {L"childvalign=\"bottom\"", 96, {100, 100}, {L"width=\"10\" height=\"30\" padding=\"0,0,0,7\""}, {{0, 63, 10, 93}}}},
        // Overflow: the bar takes its width from the children and scrolls the rest.
        {true,
         {L"vscrollbar=\"true\"", 96, {100, 100}, {L"height=\"60\"", L"height=\"60\""}, {{0, 0, 84, 60}, {0, 60, 84, 120}}, 20}},
        {true,
         {L"vscrollbar=\"true\" childpadding=\"5\" inset=\"0,10,0,10\"", 96, {100, 100}, {L"height=\"60\"", L"height=\"60\""},
          {{0, 10, 84, 70}, {0, 75, 84, 135}}, 45}},
    };
    int index = 0;
    for (const BoxCase& c : cases) {
        std::unique_ptr<CBoxLayoutUI> layout = MakeBoxLayout(c.vertical);
        ExpectLayout(*layout, c.layout, index++);
    }
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
        std::unique_ptr<CBoxLayoutUI> layout = MakeBoxLayout(c.vertical);
        CControlUI* child = Child(c.child, layout.get());
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
    CControlUI* fixed = Child(L"width=\"40\" height=\"10\"", &layout);
    CControlUI* stretch = Child(L"", &layout);
    layout.SetPos(RECT{10, 10, 110, 60});
    ExpectPlacedAt(fixed, RECT{10, 50, 50, 60}, "fixed");
    ExpectPlacedAt(stretch, RECT{50, 10, 110, 60}, "stretch");
}

TEST(BoxLayout, SeparatorDragsFollowThePointerWithinTheBandsRulesAndLimits)
{
    struct Drag {
        bool vertical;
        const wchar_t* attributes;
        RECT place;
        std::vector<POINT> path;  // pressed at the first point, moved through the others, released at the last
        LONG start, end;          // the layout's edges along the drag afterwards
        bool inWindow = true;
    };
    const wchar_t* bottom = L"sepheight=\"4\" sepimm=\"true\"";
    const Drag drags[] = {
        {true, bottom, {0, 0, 100, 100}, {{50, 98}, {50, 70}}, 0, 72},
        {true, bottom, {0, 0, 100, 100}, {{50, 98}, {50, 70}}, 0, 72, false},
        // Down only once the pointer is a band below the edge; then by the whole move.
        {true, bottom, {0, 0, 100, 100}, {{50, 98}, {50, 99}}, 0, 100},
        {true, bottom, {0, 0, 100, 100}, {{50, 98}, {50, 102}, {50, 110}}, 0, 108},
        // Up as soon as the pointer is not below the edge.
        {true, bottom, {0, 0, 100, 100}, {{50, 99}, {50, 101}, {50, 100}}, 0, 99},
        {true, L"sepheight=\"4\" sepimm=\"true\" maxheight=\"120\"", {0, 0, 100, 100}, {{50, 98}, {50, 130}, {50, 140}}, 0, 120},
        {true, L"sepheight=\"-4\" sepimm=\"true\"", {0, 100, 100, 200}, {{50, 101}, {50, 96}}, 95, 200},
        {true, L"sepheight=\"-4\" sepimm=\"true\" minheight=\"30\"", {0, 100, 100, 200}, {{50, 101}, {50, 175}, {50, 190}},
         170, 200},
        {true, L"sepheight=\"4\" sepimm=\"true\" minheight=\"30\"", {0, 50, 100, 70}, {{50, 68}, {50, 63}}, 50, 70},
        {true, L"sepheight=\"4\" sepimm=\"true\" minheight=\"30\"", {0, 0, 100, 100}, {{50, 98}, {50, 10}}, 0, 30},
        // Down only once the pointer is back below the edge, after a clamp left it above.
        {true, L"sepheight=\"-4\" sepimm=\"true\" maxheight=\"110\"", {0, 100, 100, 200}, {{50, 101}, {50, 50}, {50, 51}},
         90, 200},
        // A layout already below its minimum is not pulled up to it by a drag that shrinks it.
        {true, L"sepheight=\"-4\" sepimm=\"true\" minheight=\"30\"", {0, 100, 100, 120}, {{50, 101}, {50, 106}}, 100, 120},
        {false, L"sepwidth=\"4\" sepimm=\"true\"", {0, 0, 100, 100}, {{98, 50}, {70, 50}}, 0, 72},
        {false, L"sepwidth=\"-4\" sepimm=\"true\" maxwidth=\"110\"", {100, 0, 200, 100}, {{101, 50}, {60, 50}}, 90, 200},
    };
    int index = 0;
    for (const Drag& d : drags) {
        CWindowUIManager manager;
        std::unique_ptr<CBoxLayoutUI> layout = MakeBoxLayout(d.vertical);
        if (d.inWindow) layout->SetManager(&manager, nullptr, false);
        layout->ApplyAttributeList(d.attributes);
        layout->SetPos(d.place);
        EXPECT_EQ(unsigned(CONTROL_FLAG_SETCURSOR), layout->GetControlFlags()) << "drag " << index;
        Mouse(*layout, EVT_BUTTONDOWN, d.path.front().x, d.path.front().y);
        for (size_t i = 1; i < d.path.size(); ++i) Mouse(*layout, EVT_MOUSEMOVE, d.path[i].x, d.path[i].y);
        Mouse(*layout, EVT_BUTTONUP, d.path.back().x, d.path.back().y);
        const RECT pos = layout->GetPos();
        EXPECT_EQ(d.start, d.vertical ? pos.top : pos.left) << "drag " << index;
        EXPECT_EQ(d.end, d.vertical ? pos.bottom : pos.right) << "drag " << index;
        // The size is kept as the fixed size once the drag moved the edge.
        const bool moved = d.vertical ? (d.start != d.place.top || d.end != d.place.bottom)
                                      : (d.start != d.place.left || d.end != d.place.right);
        EXPECT_EQ(moved ? d.end - d.start : 0, d.vertical ? layout->GetFixedHeight() : layout->GetFixedWidth())
            << "drag " << index;
        layout->SetManager(nullptr, nullptr, false);
        ++index;
    }
}

TEST(BoxLayout, ThePointerOverTheSeparatorBandShowsTheSizingCursor)
{
    CWindowUIManager manager;
    CVerticalLayoutUI column;
    PlaceWithSeparator(column, manager);
    CHorizontalLayoutUI row;
    row.SetManager(&manager, nullptr, false);
    row.SetAttribute(L"sepwidth", L"4");
    row.SetPos(RECT{0, 0, 100, 100});
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    Mouse(column, EVT_SETCURSOR, 50, 50);
    EXPECT_EQ(arrow, ::GetCursor());
    Mouse(column, EVT_SETCURSOR, 50, 98);
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_SIZENS), ::GetCursor());
    Mouse(row, EVT_SETCURSOR, 50, 50);
    EXPECT_EQ(arrow, ::GetCursor());
    Mouse(row, EVT_SETCURSOR, 98, 50);
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_SIZEWE), ::GetCursor());
    column.SetEnabled(false);
    Mouse(column, EVT_SETCURSOR, 50, 98);
    EXPECT_EQ(arrow, ::GetCursor());
    EXPECT_EQ(0u, column.GetControlFlags());
    column.SetManager(nullptr, nullptr, false);
    row.SetManager(nullptr, nullptr, false);
}

TEST(Layouts, AnswerTheirOwnInterfaceAndTheContainers)
{
    for (const wchar_t* name : {L"VerticalLayout", L"HorizontalLayout", L"TileLayout", L"TabLayout", L"ChildLayout"}) {
        std::unique_ptr<CControlUI> layout(CControlFactory::GetInstance()->CreateControl((CUIString(L"C") + name + L"UI").GetData()));
        ASSERT_NE(nullptr, layout) << name;
        EXPECT_EQ(static_cast<void*>(layout.get()), layout->GetInterface(name)) << name;
        EXPECT_STREQ(name, layout->GetClass());
        EXPECT_NE(nullptr, layout->GetInterface(L"IContainer")) << name;
        EXPECT_EQ(nullptr, layout->GetInterface(L"Button")) << name;
    }
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
    EXPECT_FALSE(manager.RemovePostPaint(&layout)) << "the band is no longer painted over the window";
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
    CControlUI stranger;
    EXPECT_FALSE(tabs.Remove(&stranger));
    EXPECT_EQ(2, tabs.GetCurSel());
    EXPECT_TRUE(tabs.Remove(b));
    EXPECT_EQ(3, tabs.GetCount());
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
    CControlUI stranger;
    EXPECT_FALSE(tabs.SetItemIndex(&stranger, 0));
    EXPECT_EQ(1, tabs.GetCurSel());
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
    CControlUI* first = AddPage();
    CControlUI* second = Child(L"height=\"20\" padding=\"3,4,0,0\"", &tabs);
    tabs.SetPos(RECT{0, 0, 100, 100});
    EXPECT_TRUE(tabs.SelectItem(0));
    EXPECT_EQ(0, notes.selections);
    EXPECT_TRUE(tabs.SelectItem(1));
    EXPECT_EQ(1, notes.selections);
    EXPECT_FALSE(tabs.SelectItem(5));
    EXPECT_FALSE(tabs.SelectItem(2));
    EXPECT_FALSE(tabs.SelectItem(-1));
    EXPECT_EQ(1, tabs.GetCurSel());
    EXPECT_TRUE(second->IsVisible());
    EXPECT_EQ(1, notes.selections);
    EXPECT_EQ(3, second->GetPos().left);
    EXPECT_EQ(4, second->GetPos().top);
    EXPECT_EQ(20, second->GetHeight());
    EXPECT_FALSE(first->IsVisible());
    CControlUI stranger;
    EXPECT_FALSE(tabs.SelectItemByControl(&stranger));
    EXPECT_TRUE(tabs.SelectItemByControl(first));
    EXPECT_TRUE(first->IsVisible());
    EXPECT_FALSE(second->IsVisible());
    EXPECT_EQ(2, notes.selections);
}

}  // namespace

namespace {

TEST(TileLayout, ItemSizeSetsTheColumnsAndRowsTakeTheTallestChild)
{
    CTileLayoutUI tiles;
    tiles.SetAttribute(L"itemsize", L"50,20");
    CControlUI* a = Child(L"height=\"20\"", &tiles);
    CControlUI* b = Child(L"height=\"30\"", &tiles);
    CControlUI* c = Child(L"height=\"10\"", &tiles);
    tiles.SetPos(RECT{0, 0, 100, 200});
    EXPECT_EQ(2, tiles.GetColumns());
    EXPECT_EQ(50, tiles.GetItemSize().cx);
    EXPECT_EQ(20, tiles.GetItemSize().cy);
    // a is centred in its 30-pixel row; c starts the second row.
    ExpectPlacedAt(a, RECT{0, 5, 50, 25}, "a");
    ExpectPlacedAt(b, RECT{50, 0, 100, 30}, "b");
    ExpectPlacedAt(c, RECT{0, 30, 50, 40}, "c");
}

TEST(TileLayout, CellsFillRowsEachAsHighAsItsTallestCell)
{
    const LayoutCase cases[] = {
        // Hidden and floating children take no cell; each child is centred in its padded cell.
        {L"columns=\"2\" childpadding=\"10\"", 96, {100, 200},
         {L"height=\"20\"", L"visible=\"false\" height=\"90\"", L"height=\"30\" padding=\"2,3,4,5\"",
          L"float=\"true\" pos=\"0,0,10,10\"", L"height=\"40\"", L"minheight=\"50\""},
         {{0, 9, 45, 29}, kNotPlaced, {57, 5, 96, 35}, {0, 0, 10, 10}, {0, 53, 45, 93}, {55, 48, 100, 98}}},
        // The item width sets the columns; a minimum wider than the cell spills over both sides.
        {L"itemsize=\"30,0\" inset=\"5,0,5,0\"", 96, {100, 200},
         {L"width=\"20\" height=\"10\"", L"height=\"16\"", L"minwidth=\"40\" height=\"10\"", L"height=\"12\""},
         {{10, 3, 30, 13}, {35, 0, 65, 16}, {60, 3, 100, 13}, {5, 16, 35, 28}}},
        {L"columns=\"2\" childpadding=\"4\" inset=\"2,2,2,2\"", 144, {100, 200},
         {L"height=\"10\"", L"height=\"20\" padding=\"2,0,0,0\"", L"height=\"10\""},
         {{3, 10, 47, 25}, {56, 3, 97, 33}, {3, 39, 47, 54}}},
        // A middle column gives half the child padding to each side.
        {L"columns=\"3\" childpadding=\"6\"", 192, {300, 100}, {L"height=\"10\"", L"height=\"10\"", L"height=\"10\""},
         {{0, 0, 94, 20}, {106, 0, 194, 20}, {206, 0, 300, 20}}},
        {L"columns=\"1\" vscrollbar=\"true\"", 96, {100, 100}, {L"height=\"50\"", L"height=\"50\"", L"height=\"50\""},
         {{0, 0, 84, 50}, {0, 50, 84, 100}, {0, 100, 84, 150}}, 50},
        {L"columns=\"1\" vscrollbar=\"true\"", 96, {100, 100}, {L"height=\"50\"", L"height=\"50\""},
         {{0, 0, 100, 50}, {0, 50, 100, 100}}},
        // The content ends at the last row, not at the child padding after it.
        {L"columns=\"1\" childpadding=\"10\" vscrollbar=\"true\"", 96, {100, 100},
         {L"height=\"50\"", L"height=\"50\"", L"height=\"50\""}, {{0, 0, 84, 50}, {0, 60, 84, 110}, {0, 120, 84, 170}}, 70},
        {L"columns=\"2\" vscrollbar=\"true\"", 96, {100, 100}, {L"height=\"80\"", L"height=\"80\"", L"height=\"80\""},
         {{0, 0, 42, 80}, {42, 0, 84, 80}, {0, 80, 42, 160}}, 60},
        // An item wider than the layout still gives one column.
        {L"itemsize=\"150,0\"", 96, {100, 100}, {L"height=\"10\"", L"height=\"10\""}, {{0, 0, 100, 10}, {0, 10, 100, 20}}},
    };
    int index = 0;
    for (const LayoutCase& c : cases) {
        CTileLayoutUI tiles;
        ExpectLayout(tiles, c, index++);
    }
}

TEST(TabPage, TakesTheRoomLessInsetAndPadding)
{
    const wchar_t* inset = L"inset=\"5,5,5,5\"";
    const LayoutCase cases[] = {
        {inset, 96, {300, 200}, {L""}, {{5, 5, 295, 195}}},
        {inset, 96, {300, 200}, {L"width=\"100\" height=\"50\" padding=\"1,2,3,4\""}, {{6, 7, 106, 57}}},
        {inset, 96, {300, 200}, {L"maxwidth=\"50\" minheight=\"300\""}, {{5, 5, 55, 305}}},
        {inset, 96, {300, 200}, {L"minwidth=\"400\" maxwidth=\"350\""}, {{5, 5, 355, 195}}},
        {inset, 192, {300, 200}, {L"width=\"100\" height=\"50\" padding=\"1,2,3,4\""}, {{12, 14, 212, 114}}},
        {inset, 144, {300, 200}, {L"padding=\"2,2,2,2\""}, {{11, 11, 289, 189}}},
    };
    int index = 0;
    for (const LayoutCase& c : cases) {
        CTabLayoutUI tabs;
        ExpectLayout(tabs, c, index++);
    }
}

// A control that grows taller as it gets narrower, as wrapped text does.
class WrapsToWidth : public CControlUI {
public:
    SIZE CalcDesiredSize(SIZE available) override { return SIZE{0, 200 - available.cx}; }
};

// A control that always asks for more width than it is offered: every pass moves the scroll range on, so
// the layout must stop placing it again for the new range (here after the bar showed and one pass more).
class WiderThanOffered : public CControlUI {
public:
    SIZE CalcDesiredSize(SIZE available) override { return SIZE{available.cx + 10, 20}; }
};

TEST(VerticalLayout, AChildWiderThanEveryOfferIsPlacedAgainOnlyOnce)
{
    CVerticalLayoutUI column;
    column.EnableScrollBar(false, true);
    column.Add(new WiderThanOffered());
    column.SetPos(RECT{0, 0, 200, 100});
    const CScrollBarUI* bar = column.GetHorizontalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->GetScrollRange(), 0);
    EXPECT_LE(bar->GetScrollRange(), 30);
}

TEST(TileLayout, ARowIsAsHighAsItsCellsNeedForTheWidthTheyGet)
{
    CTileLayoutUI tiles;
    tiles.ApplyAttributeList(L"columns=\"3\" childpadding=\"6\"");
    auto* wrapped = new WrapsToWidth();
    wrapped->SetAttribute(L"padding", L"2,0,4,0");
    tiles.Add(wrapped);
    CControlUI* middle = Child(L"height=\"10\"", &tiles);
    CControlUI* last = Child(L"height=\"10\"", &tiles);
    tiles.SetPos(RECT{0, 0, 300, 300});
    // The first cell offers 100 - 2 - 4 - 6 / 2 = 91 pixels: the row is 200 - 91 high.
    ExpectPlacedAt(wrapped, RECT{2, 0, 93, 109}, "wrapped");
    ExpectPlacedAt(middle, RECT{103, 49, 197, 59}, "middle");
    ExpectPlacedAt(last, RECT{203, 49, 300, 59}, "last");
}

TEST(TileLayout, ZeroColumnsInTheSkinKeepsOne)
{
    CTileLayoutUI tiles;
    tiles.SetAttribute(L"columns", L"0");
    EXPECT_EQ(1, tiles.GetColumns());
    CControlUI* a = Child(L"height=\"10\"", &tiles);
    CControlUI* b = Child(L"height=\"10\"", &tiles);
    tiles.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(100, a->GetWidth());
    EXPECT_EQ(10, b->GetPos().top);
}

TEST(TileLayout, AnInsetWiderThanTheLayoutStillGivesOneColumn)
{
    CTileLayoutUI tiles;
    tiles.ApplyAttributeList(L"inset=\"30,0,30,0\" itemsize=\"5,5\"");
    CControlUI* a = Child(L"height=\"10\"", &tiles);
    CControlUI* b = Child(L"height=\"10\"", &tiles);
    tiles.SetPos(RECT{0, 0, 40, 100});
    EXPECT_EQ(1, tiles.GetColumns());
    // Widened with no item size, the columns it keeps must still hold the children.
    tiles.SetItemSize(SIZE{0, 0});
    tiles.SetPos(RECT{0, 0, 200, 100});
    EXPECT_EQ(1, tiles.GetColumns());
    ExpectPlacedAt(a, RECT{30, 0, 170, 10}, "a");
    ExpectPlacedAt(b, RECT{30, 10, 170, 20}, "b");
}

TEST(TileLayout, AScrolledGridKeepsItsRangeOnTheNextLayout)
{
    CTileLayoutUI tiles;
    tiles.ApplyAttributeList(L"columns=\"1\" vscrollbar=\"true\"");
    for (int i = 0; i < 3; ++i) Child(L"height=\"50\"", &tiles);
    tiles.SetPos(RECT{0, 0, 100, 100});
    ASSERT_EQ(50, tiles.GetVerticalScrollBar()->GetScrollRange());
    tiles.SetScrollPos(SIZE{0, 30});
    tiles.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(50, tiles.GetVerticalScrollBar()->GetScrollRange());
    EXPECT_EQ(30, tiles.GetScrollPos().cy);
}

TEST(TileLayout, PaddingsAtTheIntLimitPushTheNextRowsAwayInsteadOfWrappingBack)
{
    CTileLayoutUI tiles;
    tiles.SetAttribute(L"columns", L"1");
    CControlUI* a = Child(L"height=\"10\" padding=\"0,0,0,2147483647\"", &tiles);
    CControlUI* b = Child(L"height=\"10\"", &tiles);
    tiles.SetPos(RECT{0, 0, 100, 100});
    // a's row is as high as the int range allows: the next row lies past the view, below a.
    EXPECT_GE(b->GetPos().top, 100);
    EXPECT_LE(a->GetPos().bottom, b->GetPos().top);
}

}  // namespace
