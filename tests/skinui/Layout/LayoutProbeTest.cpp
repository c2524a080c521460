// Skins a programmer would write, shown in a real window at 100, 150 and 200 %: the places the controls
// take and the colours the window shows, worked out by hand from the layout rules in each case's comment.
#include "Control/ScrollBarUI.h"
#include "Control/UIAnimationTabLayout.h"
#include "Core/DialogBuilder.h"
#include "Layout/BoxLayout.h"
#include "Layout/TabLayoutUI.h"
#include "Layout/TileLayoutUI.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

constexpr const char* kNoDisplay = "no window: is an X display available?";

std::string Text(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

// Controls named prefix0, prefix1 ... sharing the attributes; colours[i], where given and not null, paints the i-th.
std::wstring Controls(const wchar_t* prefix, int count, const std::wstring& attributes,
                      const std::vector<const wchar_t*>& colours = {})
{
    std::wstring xml;
    for (int i = 0; i < count; ++i) {
        xml += L"<Control name=\"" + (prefix + std::to_wstring(i)) + L"\" " + attributes;
        if (i < static_cast<int>(colours.size()) && colours[i])
            xml += L" bkcolor=\"" + std::wstring(colours[i]) + L"\"";
        xml += L"/>";
    }
    return xml;
}

// Three pages, red, green and blue, in an animated tab layout named "tabs" on a white ground.
const std::wstring kSlidingTabs = L"<AnimationTabLayout name=\"tabs\" bkcolor=\"#FFFFFFFF\">" +
                                  Controls(L"p", 3, L"", {L"#FFFF0000", L"#FF00FF00", L"#FF0000FF"}) +
                                  L"</AnimationTabLayout>";
// The same below a 20-high grey bar.
const std::wstring kSlidingTabsBelowABar =
    L"<VerticalLayout><Control height=\"20\" bkcolor=\"#FF808080\"/>" + kSlidingTabs + L"</VerticalLayout>";

// A skin built from text and shown in a borderless window of exactly the given client size.
class ShownSkin {
public:
    ShownSkin(const std::wstring& xml, int width, int height)
    {
        if (!m_host.Create(nullptr, L"probe", WS_POPUP, 0, 40, 40, width, height)) return;
        CDialogBuilder builder;
        m_root = builder.Create(xml.c_str(), nullptr, nullptr, &m_host.manager);
        if (!m_root || !m_host.manager.AttachRootControl(m_root)) {
            m_root = nullptr;
            return;
        }
        ::ShowWindow(m_host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(m_host);
    }
    ~ShownSkin()
    {
        if (::IsWindow(m_host)) ::DestroyWindow(m_host);
    }
    bool Ok() const { return m_root != nullptr; }
    CWindowUIManager& Manager() { return m_host.manager; }
    HWND Window() { return m_host; }
    CControlUI* Find(const wchar_t* name) { return m_host.manager.FindControl(name); }
    // The named control seen through one of its interfaces; null when it is missing or has no such interface.
    template <class T>
    T* As(const wchar_t* name, const wchar_t* interfaceName)
    {
        CControlUI* control = Find(name);
        return control ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
    }
    CContainerUI* Container(const wchar_t* name) { return As<CContainerUI>(name, L"Container"); }
    std::string Pos(const wchar_t* name)
    {
        CControlUI* control = Find(name);
        return control ? Text(control->GetPos()) : "missing";
    }
    // Lays out what changed and paints, as the window does on its own.
    void Refresh()
    {
        ::InvalidateRect(m_host, nullptr, FALSE);
        ::UpdateWindow(m_host);
    }
    // What the window shows on the screen, read back from its device context.
    DWORD Shown(int x, int y)
    {
        RECT client = {};
        ::GetClientRect(m_host, &client);
        if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return 0xDEAD;
        Canvas canvas(client.right, client.bottom);
        HDC dc = ::GetDC(m_host);
        ::BitBlt(canvas.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        ::ReleaseDC(m_host, dc);
        return canvas.Rgb(x, y);
    }

private:
    HostWindow m_host;
    CControlUI* m_root = nullptr;
};

class LayoutProbeTest : public WindowTest {
protected:
    void TearDown() override { CWindowUIManager::Term(); }
};

struct Place {
    const wchar_t* name;
    RECT rc;
};

struct Pixel {
    int x, y;
    DWORD rgb;
};

// Where the named controls sit, and what the window shows at the given points.
void ExpectShown(ShownSkin& skin, const std::vector<Place>& places, const std::vector<Pixel>& pixels = {})
{
    for (const Place& place : places) EXPECT_EQ(Text(place.rc), skin.Pos(place.name)) << "control " << place.name;
    for (const Pixel& pixel : pixels)
        EXPECT_EQ(pixel.rgb, skin.Shown(pixel.x, pixel.y)) << "at " << pixel.x << "," << pixel.y;
}

// A bar that shows at the given place; an empty place stands for a bar that is missing or hidden.
void ExpectBar(const char* which, CScrollBarUI* bar, const RECT& place)
{
    const bool shows = bar && bar->IsVisible();
    EXPECT_EQ(!::IsRectEmpty(&place), shows) << which << " bar shows";
    if (shows) {
        EXPECT_EQ(Text(place), Text(bar->GetPos())) << which << " bar";
    }
}

// A change made to a shown skin, and what must hold once the window has laid it out and painted it again: the
// scrolling box's bar along the axis it scrolls (an empty place where none shows), its range and position along
// that axis, where the named controls sit and the colours shown. A stage with no change checks the skin as shown.
struct Stage {
    const char* change;
    std::function<void()> make;
    RECT bar;
    int range;
    int position;
    std::vector<Place> places;
    std::vector<Pixel> pixels = {};
};

void ExpectStages(ShownSkin& skin, CContainerUI& box, bool vertical, const std::vector<Stage>& stages)
{
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.change);
        if (stage.make) {
            stage.make();
            skin.Refresh();
        }
        ExpectBar(vertical ? "vertical" : "horizontal",
                  vertical ? box.GetVerticalScrollBar() : box.GetHorizontalScrollBar(), stage.bar);
        const SIZE range = box.GetScrollRange();
        const SIZE position = box.GetScrollPos();
        EXPECT_EQ(stage.range, vertical ? range.cy : range.cx) << "range";
        EXPECT_EQ(stage.position, vertical ? position.cy : position.cx) << "position";
        ExpectShown(skin, stage.places, stage.pixels);
    }
}

// A row of the given height and colour, named, for adding to a shown skin.
CControlUI* NewRow(const wchar_t* name, const wchar_t* height, DWORD colour)
{
    auto* row = new CControlUI();
    row->SetName(name);
    row->SetAttribute(L"height", height);
    row->SetBkColor(colour);
    return row;
}

// A skin shown once, as it first comes up: where its controls sit, what the window shows, what stays hidden.
struct ShownLayout {
    const char* name;
    const wchar_t* xml;
    SIZE window;
    int scale;
    std::vector<Place> places;
    std::vector<Pixel> pixels;
    std::vector<const wchar_t*> hidden;
};

const ShownLayout kShownLayouts[] = {
    // A column at 150 % (144 DPI) in a 300 x 400 window. Values scale by MulDiv (x 1.5, halves away from zero);
    // the inset scales as a rectangle: left 8, top 8, right 8 + Scale(3) = 13, bottom 13.
    // Area (8, 8, 287, 387): 279 x 379. Child padding 6.
    //   a: height 30, padding (3, 5, 6, 8)         fixed     30 + 13 = 43
    //   b: padding (0, 3, 0, 3), max height 90     stretch    0 +  6 =  6
    //   c: width 150, height 45                    fixed     45
    //   (a hidden 75-high row, which takes no room)
    //   d: min height 15, padding bottom 3         stretch    0 +  3 =  3
    //   e: height 15, min 45, max 30 (max wins)    fixed     30
    // Fixed total 43 + 6 + 45 + 3 + 30 + 6 x 4 = 151; stretch share (379 - 151) / 2 = 114.
    // a at y 8 + 5 = 13, x 8 + 3 .. 287 - 6;   next y 8 + 43 + 6 = 57
    // b share 114 clamped to 90, at 60;         next y 57 + 96 + 6 = 159
    // c at 159, 150 wide;                       next y 159 + 45 + 6 = 210
    // d is the last stretch child: the room left after c is 379 - 49 - 102 - 51 = 177 (a 5 + 30 + 8 + 6,
    //   b 3 + 90 + 3 + 6, c 45 + 6), less its own bottom padding 3 and what e still needs (6 + 30): 138, at 210
    // e at 210 + 138 + 3 + 6 = 357 .. 387, flush with the area's bottom.
    {"AColumnAt150PercentPlacesPaddedClampedAndStretchedRows",
     L"<Window dpi=\"144\"><VerticalLayout name=\"col\" inset=\"5,5,8,8\" childpadding=\"4\" bkcolor=\"#FFFFFFFF\">"
     L"<Control name=\"a\" height=\"20\" padding=\"2,3,4,5\" bkcolor=\"#FFFF0000\"/>"
     L"<Control name=\"b\" padding=\"0,2,0,2\" maxheight=\"60\" bkcolor=\"#FF00FF00\"/>"
     L"<Control name=\"c\" width=\"100\" height=\"30\" bkcolor=\"#FF0000FF\"/>"
     L"<Control name=\"hidden\" height=\"50\" visible=\"false\" bkcolor=\"#FF000000\"/>"
     L"<Control name=\"d\" minheight=\"10\" padding=\"0,0,0,2\" bkcolor=\"#FFFFFF00\"/>"
     L"<Control name=\"e\" height=\"10\" minheight=\"30\" maxheight=\"20\" bkcolor=\"#FF00FFFF\"/>"
     L"</VerticalLayout></Window>",
     {300, 400}, 150,
     {{L"a", {11, 13, 281, 43}}, {L"b", {8, 60, 287, 150}}, {L"c", {8, 159, 158, 204}}, {L"d", {8, 210, 287, 348}},
      {L"e", {8, 357, 287, 387}}},
     {{150, 20, 0xFF0000}, {9, 20, 0xFFFFFF} /* a's left padding */,
      {150, 50, 0xFFFFFF} /* a's bottom padding and the spacing */, {150, 100, 0x00FF00}, {150, 155, 0xFFFFFF},
      {100, 180, 0x0000FF}, {200, 180, 0xFFFFFF} /* right of the 150-wide row */, {150, 300, 0xFFFF00},
      {150, 350, 0xFFFFFF} /* d's bottom padding */, {150, 370, 0x00FFFF}, {290, 370, 0xFFFFFF} /* the right inset */},
     {L"hidden"}},

    // A row at 200 % (192 DPI), children centred vertically, in a 401 x 101 window.
    // Inset (3, 2, 3, 2) as a rectangle: left 6, top 4, right 6 + 0, bottom 4 + 0. Area (6, 4, 395, 97): 389 x 93.
    // Child padding 10. a: 80 x 40; b: stretch, min width 60; c: 50 wide, padding left 8 right 12, max height 30;
    // d: stretch, max width 100. Fixed 80 + 70 + 10 x 3 = 180; share (389 - 180) / 2 = 104.
    // a: x 6..86, height 40 centred: (4 + 97) / 2 - 20 = 30.          next x 6 + 80 + 10 = 96
    // b: x 96..200, full height 93: top 50 - 46 = 4.                   next x 96 + 104 + 10 = 210
    // c: x 218..268, height 30: top 50 - 15 = 35.                      next x 210 + 70 + 10 = 290
    // d: last stretch child: remaining 389 - 90 - 114 - 80 = 105, clamped to 100: x 290..390.
    {"ARowAt200PercentCentresItsChildrenAcross",
     L"<Window dpi=\"192\"><HorizontalLayout name=\"row\" inset=\"3,2,3,2\" childpadding=\"5\" "
     L"childvalign=\"vcenter\" bkcolor=\"#FFFFFFFF\">"
     L"<Control name=\"a\" width=\"40\" height=\"20\" bkcolor=\"#FFFF0000\"/>"
     L"<Control name=\"b\" minwidth=\"30\" bkcolor=\"#FF00FF00\"/>"
     L"<Control name=\"c\" width=\"25\" padding=\"4,0,6,0\" maxheight=\"15\" bkcolor=\"#FF0000FF\"/>"
     L"<Control name=\"d\" maxwidth=\"50\" bkcolor=\"#FFFFFF00\"/>"
     L"</HorizontalLayout></Window>",
     {401, 101}, 200,
     {{L"a", {6, 30, 86, 70}}, {L"b", {96, 4, 200, 97}}, {L"c", {218, 35, 268, 65}}, {L"d", {290, 4, 390, 97}}},
     {{40, 50, 0xFF0000}, {40, 20, 0xFFFFFF}, {150, 5, 0x00FF00}, {240, 50, 0x0000FF}, {240, 30, 0xFFFFFF},
      {213, 50, 0xFFFFFF} /* c's left padding */, {340, 50, 0xFFFF00}, {392, 50, 0xFFFFFF}}, {}},

    // Three columns at 150 % in a 310 x 300 window. Inset (4, 4, 6, 6) scaled as the container clips to it:
    // left 6, top 6, right 6 + Scale(2) = 9, bottom 9. Area (6, 6, 301, 291): 295 wide; cell 295 / 3 = 98.
    // Child padding 9, half 4.
    // Row 1 heights: c0 30; c1 45; c2 15 + 3 + 3 = 21 -> 45. Row 2: c3 min 30; c4 60; c5 0 -> 60.
    // c0: inner (6, 6, 100, 51), 94 x 30 centred: top (6 + 51 - 30) / 2 = 13.
    // c1: inner (108, 6, 198, 51), 45 x 45: left (108 + 198 - 45) / 2 = 130.
    // c2: inner (209, 9, 297, 51), 88 x 15: top (9 + 51 - 15) / 2 = 22.
    // Row 2 at 6 + 45 + 9 = 60, bottom 120.
    // c3: inner (6, 60, 100, 120) full.  c4: 90 wide clamped to 75: left (108 + 198 - 75) / 2 = 115.
    // c5: inner (206, 60, 300, 120) full: the last column ends at 6 + 3 x 98 = 300.
    {"ATileGridAt150PercentMeasuresEachRowAndCentresTheCells",
     L"<Window dpi=\"144\"><TileLayout name=\"tiles\" inset=\"4,4,6,6\" columns=\"3\" "
     L"childpadding=\"6\" bkcolor=\"#FFFFFFFF\">"
     L"<Control name=\"c0\" height=\"20\" bkcolor=\"#FFFF0000\"/>"
     L"<Control name=\"c1\" width=\"30\" height=\"30\" bkcolor=\"#FF00FF00\"/>"
     L"<Control name=\"c2\" height=\"10\" padding=\"2,2,2,2\" bkcolor=\"#FF0000FF\"/>"
     L"<Control name=\"c3\" minheight=\"20\" bkcolor=\"#FFFFFF00\"/>"
     L"<Control name=\"c4\" height=\"40\" maxwidth=\"50\" bkcolor=\"#FF00FFFF\"/>"
     L"<Control name=\"c5\" bkcolor=\"#FFFF00FF\"/>"
     L"</TileLayout></Window>",
     {310, 300}, 150,
     {{L"c0", {6, 13, 100, 43}}, {L"c1", {130, 6, 175, 51}}, {L"c2", {209, 22, 297, 37}}, {L"c3", {6, 60, 100, 120}},
      {L"c4", {115, 60, 190, 120}}, {L"c5", {206, 60, 300, 120}}},
     {{50, 30, 0xFF0000}, {50, 10, 0xFFFFFF}, {150, 30, 0x00FF00}, {120, 30, 0xFFFFFF}, {250, 30, 0x0000FF},
      {250, 45, 0xFFFFFF}, {50, 100, 0xFFFF00}, {150, 100, 0x00FFFF}, {195, 100, 0xFFFFFF}, {250, 100, 0xFF00FF},
      {150, 200, 0xFFFFFF}}, {}},

    // A tab layout at 150 % with inset 10 and a page with padding 4: the page sits inside Scale(10) = 15 and
    // Scale(4) = 6: (21, 21, 279, 179) in a 300 x 200 window, and is painted there.
    {"ATabPageAt150PercentSitsInsideTheScaledInsetAndPadding",
     L"<Window dpi=\"144\"><TabLayout name=\"tabs\" inset=\"10,10,10,10\" selectedid=\"1\" "
     L"bkcolor=\"#FFFFFFFF\"><Control name=\"p0\" bkcolor=\"#FFFF0000\"/>"
     L"<Control name=\"p1\" padding=\"4,4,4,4\" bkcolor=\"#FF0000FF\"/></TabLayout></Window>",
     {300, 200}, 150,
     {{L"p1", {21, 21, 279, 179}}},
     {{21, 21, 0x0000FF}, {20, 100, 0xFFFFFF}, {278, 178, 0x0000FF}, {279, 100, 0xFFFFFF}}, {L"p0"}},
};

void PrintTo(const ShownLayout& c, std::ostream* os) { *os << c.name; }

class ShownLayoutTest : public LayoutProbeTest, public testing::WithParamInterface<ShownLayout> {};

TEST_P(ShownLayoutTest, PlacesAndPaintsEachControl)
{
    const ShownLayout& c = GetParam();
    ShownSkin skin(c.xml, c.window.cx, c.window.cy);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    ASSERT_EQ(c.scale, skin.Manager().GetDpiScaler()->GetScale());
    ExpectShown(skin, c.places, c.pixels);
    for (const wchar_t* name : c.hidden) EXPECT_FALSE(skin.Find(name)->IsVisible()) << "control " << name;
}

INSTANTIATE_TEST_SUITE_P(LayoutProbe, ShownLayoutTest, testing::ValuesIn(kShownLayouts),
                         [](const testing::TestParamInfo<ShownLayout>& info) { return std::string(info.param.name); });

// Tab pages switched the way an application does, in a 300 x 200 window at 100 %. The layout has inset 10.
// p1 is a column with padding 5 holding a 20-high bar; p2 is 100 x 50 at the top-left of the inset area.
TEST_F(LayoutProbeTest, TabPagesSwitchedAtRunTimeShowOnlyTheSelectedPageInItsPlace)
{
    ShownSkin skin(L"<Window><TabLayout name=\"tabs\" inset=\"10,10,10,10\" bkcolor=\"#FFFFFFFF\">"
                   L"<Control name=\"p0\" bkcolor=\"#FFFF0000\"/>"
                   L"<VerticalLayout name=\"p1\" padding=\"5,5,5,5\" bkcolor=\"#FF00FF00\">"
                   L"<Control name=\"bar\" height=\"20\" bkcolor=\"#FF000080\"/></VerticalLayout>"
                   L"<Control name=\"p2\" width=\"100\" height=\"50\" bkcolor=\"#FF0000FF\"/>"
                   L"</TabLayout></Window>",
                   300, 200);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    auto* tabs = skin.As<CTabLayoutUI>(L"tabs", L"TabLayout");
    ASSERT_NE(nullptr, tabs);
    NotifyRecorder notes;
    skin.Manager().AddNotifier(&notes);

    // Page 0 fills the inset area.
    ExpectShown(skin, {{L"p0", {10, 10, 290, 190}}}, {{150, 100, 0xFF0000}, {5, 5, 0xFFFFFF}});

    ASSERT_TRUE(tabs->SelectItem(1));
    skin.Refresh();
    // The inset area less the page's padding; the bar on top of the page.
    ExpectShown(skin, {{L"p1", {15, 15, 285, 185}}, {L"bar", {15, 15, 285, 35}}},
                {{150, 100, 0x00FF00}, {150, 25, 0x000080}, {12, 100, 0xFFFFFF}});
    EXPECT_FALSE(skin.Find(L"p0")->IsVisible());

    ASSERT_TRUE(tabs->SelectItem(2));
    skin.Refresh();
    ExpectShown(skin, {{L"p2", {10, 10, 110, 60}}}, {{50, 30, 0x0000FF}, {150, 100, 0xFFFFFF}, {50, 100, 0xFFFFFF}});
    EXPECT_FALSE(skin.Find(L"p1")->IsVisible());
    EXPECT_FALSE(skin.Find(L"bar")->IsVisible());

    // Back to page 0 by its control; a page inserted in front keeps the shown page and stays hidden.
    ASSERT_TRUE(tabs->SelectItemByControl(skin.Find(L"p0")));
    skin.Refresh();
    ExpectShown(skin, {}, {{150, 100, 0xFF0000}});
    auto* extra = new CControlUI();
    extra->SetName(L"extra");
    extra->SetBkColor(0xFFFF8000);
    ASSERT_TRUE(tabs->AddAt(extra, 0));
    skin.Refresh();
    EXPECT_EQ(1, tabs->GetCurSel());
    EXPECT_FALSE(extra->IsVisible());
    ExpectShown(skin, {}, {{150, 100, 0xFF0000}});

    // Removing the shown page shows page 0 in its place.
    ASSERT_TRUE(tabs->Remove(skin.Find(L"p0")));
    skin.Refresh();
    EXPECT_EQ(0, tabs->GetCurSel());
    ExpectShown(skin, {{L"extra", {10, 10, 290, 190}}}, {{150, 100, 0xFF8000}});

    // Notes: 0 -> 1, 1 -> 2, 2 -> 0 (no note for the removal, which is no selection by the user).
    std::vector<std::pair<WPARAM, LPARAM>> selections;
    for (const auto& note : notes.seen)
        if (note.sType == L"tabselect") selections.emplace_back(note.wParam, note.lParam);
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{1, 0}, {2, 1}, {0, 2}}), selections);
    skin.Manager().RemoveNotifier(&notes);
}

// An animated tab layout 400 wide going from page 0 to page 2 starts 400 - 52 = 348 pixels to the right and
// covers that evenly: frame f (0 to 14) shows it at 348 x (14 - f) / 15 (truncated), so it never passes its
// place; frame 15 puts it there again. So the first step shows it at 348 x 14 / 15 = 324.
TEST_F(LayoutProbeTest, AnAnimatedTabSlidesThePageInAndEndsInItsPlace)
{
    ShownSkin skin(L"<Window>" + kSlidingTabsBelowABar + L"</Window>", 400, 220);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    auto* tabs = skin.As<CTabLayoutUI>(L"tabs", L"TabLayout");
    ASSERT_NE(nullptr, tabs);
    EXPECT_EQ(Text({0, 20, 400, 220}), skin.Pos(L"tabs"));
    ExpectShown(skin, {}, {{200, 120, 0xFF0000}});

    ASSERT_TRUE(tabs->SelectItem(2));
    auto* slide = static_cast<CAnimationTabLayoutUI*>(tabs->GetInterface(L"AnimationTabLayout"));
    ASSERT_NE(nullptr, slide);
    EXPECT_TRUE(slide->IsAnimationRunning(1));
    std::vector<LONG> lefts;
    ASSERT_TRUE(PumpUntil([&] {
        const LONG left = tabs->GetPos().left;
        if (lefts.empty() || lefts.back() != left) lefts.push_back(left);
        return !slide->IsAnimationRunning(1);
    }));
    ASSERT_GE(lefts.size(), 3u);
    // Before the first step the layout may still sit at its place; the first moved place is the first step.
    EXPECT_NE(lefts.end(), std::find(lefts.begin(), lefts.end(), 324)) << "first step place";
    const auto stepPlace = [](LONG left) {
        for (LONG frame = 0; frame < 15; ++frame)
            if (left == 348 * (14 - frame) / 15) return true;
        return false;
    };
    for (LONG left : lefts) EXPECT_TRUE(stepPlace(left)) << left;
    skin.Refresh();
    ExpectShown(skin, {{L"tabs", {0, 20, 400, 220}}, {L"p2", {0, 20, 400, 220}}},
                {{200, 120, 0x0000FF}, {5, 120, 0x0000FF}, {395, 120, 0x0000FF}, {200, 10, 0x808080}});
}

// Five 40-high rows in a scrolling column at 150 % in a 300 x 150 window: rows 60 high, 300 in all, so the
// vertical bar shows with range 300 - 150 = 150 and takes Scale(16) = 24 at the right: rows (0, 60i, 276, 60i + 60),
// bar (276, 0, 300, 150). Step Scale(10) = 15; a page is the item height, 150.
TEST_F(LayoutProbeTest, AScrollingColumnAt150PercentScrollsByStepPageAndEndAndDropsItsBarWhenRowsGo)
{
    ShownSkin skin(L"<Window dpi=\"144\"><VerticalLayout name=\"list\" vscrollbar=\"true\" scrollstepsize=\"10\" "
                   L"bkcolor=\"#FFFFFFFF\">" +
                       Controls(L"r", 5, L"height=\"40\"",
                                {L"#FFFF0000", L"#FF00FF00", L"#FF0000FF", L"#FFFFFF00", L"#FF00FFFF"}) +
                       L"</VerticalLayout></Window>",
                   300, 150);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    CContainerUI* list = skin.Container(L"list");
    ASSERT_NE(nullptr, list);
    const RECT bar = {276, 0, 300, 150};
    ExpectStages(
        skin, *list, true,
        {{"as shown", nullptr, bar, 150, 0, {{L"r0", {0, 0, 276, 60}}, {L"r4", {0, 240, 276, 300}}}},
         {"a line down", [&] { list->LineDown(); }, bar, 150, 15, {{L"r1", {0, 45, 276, 105}}}, {{100, 50, 0x00FF00}}},
         {"a page down", [&] { list->PageDown(); }, bar, 150, 150, {{L"r4", {0, 90, 276, 150}}},
          {{100, 100, 0x00FFFF}}},
         {"a line up", [&] { list->LineUp(); }, bar, 150, 135, {{L"r4", {0, 105, 276, 165}}}, {{100, 100, 0xFFFF00}}},
         {"home", [&] { list->HomeUp(); }, bar, 150, 0, {{L"r0", {0, 0, 276, 60}}}, {{100, 30, 0xFF0000}}},
         {"the end", [&] { list->EndDown(); }, bar, 150, 150, {{L"r2", {0, -30, 276, 30}}}, {{100, 10, 0x0000FF}}},
         // Three rows go while scrolled to the end: two rows (120) fit in 150, so the bar goes and the rows
         // take the whole width from the top.
         {"three rows gone", [&] { for (int i = 0; i < 3; ++i) ASSERT_TRUE(list->RemoveAt(2)); }, {}, 0, 0,
          {{L"r0", {0, 0, 300, 60}}, {L"r1", {0, 60, 300, 120}}}, {{290, 100, 0x00FF00}, {100, 135, 0xFFFFFF}}},
         // Two rows come back: 240 in 150, range 90.
         {"two rows back",
          [&] {
              ASSERT_TRUE(list->Add(NewRow(L"x0", L"40", 0xFF800080)));
              ASSERT_TRUE(list->Add(NewRow(L"x1", L"40", 0xFF800080)));
          },
          bar, 90, 0, {{L"x1", {0, 180, 276, 240}}}},
         {"the end again", [&] { list->EndDown(); }, bar, 90, 90, {{L"x1", {0, 90, 276, 150}}},
          {{100, 140, 0x800080}}}});
}

// A scrolling column beside a 50-wide pane, at 100 % in a 250 x 100 window: a stretch row and a 40-high row
// fit (stretch 60), no bar. An 80-high row added makes 120 in 100: the bar shows (range 20, 16 wide at 234),
// the stretch row gets 0; removing it again gives the stretch row its 60 and the whole width back.
TEST_F(LayoutProbeTest, ANestedScrollingColumnShowsItsBarOnlyWhileItsRowsOverflow)
{
    ShownSkin skin(L"<Window><HorizontalLayout><Control width=\"50\" bkcolor=\"#FF808080\"/>"
                   L"<VerticalLayout name=\"v\" vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\">"
                   L"<Control name=\"s\" bkcolor=\"#FFFF0000\"/>"
                   L"<Control name=\"f\" height=\"40\" bkcolor=\"#FF00FF00\"/>"
                   L"</VerticalLayout></HorizontalLayout></Window>",
                   250, 100);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    CContainerUI* v = skin.Container(L"v");
    ASSERT_NE(nullptr, v);
    ASSERT_NE(nullptr, v->GetVerticalScrollBar());
    CControlUI* big = NewRow(L"big", L"80", 0xFF0000FF);
    ExpectStages(skin, *v, true,
                 {{"as shown", nullptr, {}, 0, 0,
                   {{L"v", {50, 0, 250, 100}}, {L"s", {50, 0, 250, 60}}, {L"f", {50, 60, 250, 100}}},
                   {{245, 30, 0xFF0000}, {245, 80, 0x00FF00}}},
                  {"an 80-high row added", [&] { ASSERT_TRUE(v->Add(big)); }, {234, 0, 250, 100}, 20, 0,
                   {{L"s", {50, 0, 234, 0}}, {L"f", {50, 0, 234, 40}}, {L"big", {50, 40, 234, 120}}}},
                  {"the row removed", [&] { ASSERT_TRUE(v->Remove(big)); }, {}, 0, 0,
                   {{L"s", {50, 0, 250, 60}}, {L"f", {50, 60, 250, 100}}}, {{245, 30, 0xFF0000}}}});
}

// A second tab picked while the first slide still runs: the slide restarts from where the layout is, and
// when it ends the layout and its page are back in the layout's own place, alone or inside a column.
TEST_F(LayoutProbeTest, AnAnimatedTabPickedAgainMidSlideEndsInItsOwnPlace)
{
    struct Case {
        const std::wstring& skin;
        RECT place;
    };
    for (const Case& c : {Case{kSlidingTabs, {0, 0, 400, 220}}, Case{kSlidingTabsBelowABar, {0, 20, 400, 220}}}) {
        SCOPED_TRACE(testing::Message() << Text(c.place));
        ShownSkin skin(L"<Window>" + c.skin + L"</Window>", 400, 220);
        ASSERT_TRUE(skin.Ok()) << kNoDisplay;
        auto* slide = skin.As<CAnimationTabLayoutUI>(L"tabs", L"AnimationTabLayout");
        ASSERT_NE(nullptr, slide);
        ASSERT_TRUE(slide->SelectItem(1));
        int moves = 0;
        LONG last = slide->GetPos().left;
        ASSERT_TRUE(PumpUntil([&] {
            if (slide->GetPos().left != last) ++moves;
            last = slide->GetPos().left;
            return moves >= 4;
        }));
        ASSERT_TRUE(slide->IsAnimationRunning(1));
        ASSERT_TRUE(slide->SelectItem(2));
        ASSERT_TRUE(PumpUntil([&] { return !slide->IsAnimationRunning(1); }));
        skin.Refresh();
        ExpectShown(skin, {{L"tabs", c.place}, {L"p2", c.place}});
        EXPECT_FALSE(skin.Find(L"p1")->IsVisible());
        ExpectShown(skin, {}, {{5, 120, 0x0000FF}, {200, 120, 0x0000FF}, {395, 120, 0x0000FF}});
    }
}

// A column with a stretch row and a 60-high row, in a window the user resizes, then at 150 %:
// 200 x 100: stretch 40, no bar. 200 x 50: 60 in 50, bar range 10 (16 wide), stretch 0; scrolled to the end the
// fixed row sits at -10. 200 x 150: fits again, bar gone, stretch 90. SetDPI(144) grows the window to
// 300 x 225: the row is 90 high, the stretch row 135.
TEST_F(LayoutProbeTest, AScrollingColumnFollowsTheWindowsSizeAndScale)
{
    ShownSkin skin(L"<Window><VerticalLayout name=\"v\" vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\">"
                   L"<Control name=\"s\" bkcolor=\"#FFFF0000\"/><Control name=\"f\" height=\"60\" bkcolor=\"#FF00FF00\"/>"
                   L"</VerticalLayout></Window>",
                   200, 100);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    CContainerUI* v = skin.Container(L"v");
    ASSERT_NE(nullptr, v->GetVerticalScrollBar());
    const auto resize = [&](int width, int height) {
        ::SetWindowPos(skin.Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    ExpectStages(skin, *v, true,
                 {{"as shown", nullptr, {}, 0, 0, {{L"s", {0, 0, 200, 40}}, {L"f", {0, 40, 200, 100}}}},
                  {"200 x 50", [&] { resize(200, 50); }, {184, 0, 200, 50}, 10, 0,
                   {{L"s", {0, 0, 184, 0}}, {L"f", {0, 0, 184, 60}}}},
                  {"at the end", [&] { v->EndDown(); }, {184, 0, 200, 50}, 10, 10, {{L"f", {0, -10, 184, 50}}}},
                  {"200 x 150", [&] { resize(200, 150); }, {}, 0, 0,
                   {{L"s", {0, 0, 200, 90}}, {L"f", {0, 90, 200, 150}}},
                   {{195, 45, 0xFF0000}, {195, 120, 0x00FF00}}},
                  {"at 150 %", [&] { skin.Manager().SetDPI(144); }, {}, 0, 0,
                   {{L"s", {0, 0, 300, 135}}, {L"f", {0, 135, 300, 225}}}}});
    RECT client = {};
    ::GetClientRect(skin.Window(), &client);
    ASSERT_EQ(Text({0, 0, 300, 225}), Text(client));
}

// A scrolling box named "box" whose content overflows a 200 x 100 window at 100 %: the bars it shows and how
// far it scrolls each way, then where it leaves its children and what it shows scrolled to its far end.
struct Overflow {
    const char* name;
    std::wstring xml;
    SIZE range;
    RECT verticalBar;    // empty where no vertical bar shows
    RECT horizontalBar;  // empty where no horizontal bar shows
    std::vector<Place> placed;
    std::vector<Place> atTheEnd;
    std::vector<Pixel> shownAtTheEnd;
};

// Three children of the given size, red, green and blue, in a layout with both bars.
std::wstring BothBarsAround(const wchar_t* layout, const wchar_t* childSize)
{
    return std::wstring(L"<Window><") + layout +
           L" name=\"box\" vscrollbar=\"true\" hscrollbar=\"true\" bkcolor=\"#FFFFFFFF\">" +
           Controls(L"c", 3, childSize, {L"#FFFF0000", L"#FF00FF00", L"#FF0000FF"}) + L"</" + layout +
           L"></Window>";
}

const Overflow kOverflows[] = {
    // Content wider and taller than the layout with both bars. Both bars show: the horizontal one takes 16
    // at the bottom (84 high left), the vertical one 16 at the right (184 wide left): vertical bar (184, 0, 200, 84),
    // horizontal bar (0, 84, 184, 100). Whichever bar shows second narrows the room across the first one, so the
    // children must be placed again for the first bar's new range.
    // Column: three 300 x 50 rows; the horizontal bar shows first (range 100), then the vertical one: ranges
    // 300 - 184 = 116 across, 150 - 84 = 66 down. Rows placed with the old range would be 284 wide and leave a
    // 16-pixel strip empty at the right end.
    {"ContentWiderAndTallerThanItsPlaceScrollsBothWaysInAColumn",
     BothBarsAround(L"VerticalLayout", L"width=\"300\" height=\"50\""),
     {116, 66}, {184, 0, 200, 84}, {0, 84, 184, 100},
     {{L"c0", {0, 0, 300, 50}}, {L"c2", {0, 100, 300, 150}}},
     {{L"c2", {-116, 34, 184, 84}}},
     {{180, 70, 0x0000FF}, {180, 20, 0x00FF00}}},
    // Row: three 62 x 300 columns; the vertical bar shows first (range 200) and leaves 184, too narrow for 186:
    // ranges 186 - 184 = 2 across, 300 - 84 = 216 down. Columns placed with the old range would be 284 high and,
    // scrolled to the end, stop 16 above the bar.
    {"ContentWiderAndTallerThanItsPlaceScrollsBothWaysInARow",
     BothBarsAround(L"HorizontalLayout", L"width=\"62\" height=\"300\""),
     {2, 216}, {184, 0, 200, 84}, {0, 84, 184, 100},
     {{L"c0", {0, 0, 62, 300}}, {L"c2", {124, 0, 186, 300}}},
     {{L"c0", {-2, -216, 60, 84}}},
     {{30, 80, 0xFF0000}, {90, 80, 0x00FF00}}},
    // Five 40-high cells in two columns with a vertical bar: rows 40, 40, 40 end at 120, so the bar shows with
    // range 20 and takes 16: cells are 184 / 2 = 92 wide. Cell 4 starts row 3: (0, 80, 92, 120); at the end of
    // the range it sits at (0, 60, 92, 100).
    {"ScrolledTilesKeepTheirEndInView",
     L"<Window><TileLayout name=\"box\" columns=\"2\" vscrollbar=\"true\">" +
         Controls(L"c", 5, L"height=\"40\"", {nullptr, nullptr, nullptr, nullptr, L"#FFFF0000"}) +
         L"</TileLayout></Window>",
     {0, 20}, {184, 0, 200, 100}, {},
     {{L"c4", {0, 80, 92, 120}}},
     {{L"c4", {0, 60, 92, 100}}},
     {{50, 95, 0xFF0000}}},
    // A column centring its children, with a horizontal bar: the 300-wide row shows the bar (range 100, 16 high,
    // 84 left). Centred in the 300-wide content: (0 + 200) / 2 + 100 / 2 - 300 / 2 = 0 for the wide row,
    // 100 + 50 - 51 / 2 = 125 for the 51-wide one. At the right end (position 100) it sits at 25.
    {"CentredRowsScrollAcross",
     L"<Window><VerticalLayout name=\"box\" hscrollbar=\"true\" childalign=\"center\" bkcolor=\"#FFFFFFFF\">"
     L"<Control name=\"w\" width=\"300\" height=\"30\" bkcolor=\"#FFFF0000\"/>"
     L"<Control name=\"n\" width=\"51\" height=\"30\" bkcolor=\"#FF00FF00\"/></VerticalLayout></Window>",
     {100, 0}, {}, {0, 84, 200, 100},
     {{L"w", {0, 0, 300, 30}}, {L"n", {125, 30, 176, 60}}},
     {{L"w", {-100, 0, 200, 30}}, {L"n", {25, 30, 76, 60}}},
     {{50, 45, 0x00FF00}, {10, 45, 0xFFFFFF}, {100, 45, 0xFFFFFF}}},
};

void PrintTo(const Overflow& c, std::ostream* os) { *os << c.name; }

class OverflowTest : public LayoutProbeTest, public testing::WithParamInterface<Overflow> {};

TEST_P(OverflowTest, ShowsItsBarsAndScrollsToTheFarEnd)
{
    const Overflow& c = GetParam();
    ShownSkin skin(c.xml, 200, 100);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    auto* box = skin.Container(L"box");
    ASSERT_NE(nullptr, box);
    ExpectBar("vertical", box->GetVerticalScrollBar(), c.verticalBar);
    ExpectBar("horizontal", box->GetHorizontalScrollBar(), c.horizontalBar);
    EXPECT_EQ(c.range.cx, box->GetScrollRange().cx);
    EXPECT_EQ(c.range.cy, box->GetScrollRange().cy);
    ExpectShown(skin, c.placed);
    box->EndRight();
    box->EndDown();
    skin.Refresh();
    EXPECT_EQ(c.range.cx, box->GetScrollPos().cx);
    EXPECT_EQ(c.range.cy, box->GetScrollPos().cy);
    ExpectShown(skin, c.atTheEnd, c.shownAtTheEnd);
}

INSTANTIATE_TEST_SUITE_P(LayoutProbe, OverflowTest, testing::ValuesIn(kOverflows),
                         [](const testing::TestParamInfo<Overflow>& info) { return std::string(info.param.name); });

// Six cells with item width 100 in a window three item widths wide (Scale(100) x 3) make three columns at every
// scale: cell 3 starts the second row at the left edge, cell 2 ends the first row at the right edge.
// The item size reads scaled too (150 at 150 %, 200 at 200 %). An item width taken unscaled against the scaled
// room would give four columns at 150 % and six at 200 %.
TEST_F(LayoutProbeTest, ATileGridWithAnItemWidthKeepsItsColumnsAtEveryScale)
{
    struct Case {
        int dpi;
        int width;
    };
    for (const Case& c : {Case{96, 300}, Case{144, 450}, Case{192, 600}}) {
        SCOPED_TRACE(testing::Message() << "dpi " << c.dpi);
        ShownSkin skin(L"<Window dpi=\"" + std::to_wstring(c.dpi) + L"\">"
                           L"<TileLayout name=\"tiles\" itemsize=\"100,0\">" +
                           Controls(L"c", 6, L"height=\"20\"") + L"</TileLayout></Window>",
                       c.width, 200);
        ASSERT_TRUE(skin.Ok()) << kNoDisplay;
        const int cell = c.width / 3;
        const int row = skin.Find(L"c0")->GetHeight();
        ExpectShown(skin, {{L"c2", {2 * cell, 0, c.width, row}}, {L"c3", {0, row, cell, 2 * row}}});
        EXPECT_EQ(cell, skin.As<CTileLayoutUI>(L"tiles", L"TileLayout")->GetItemSize().cx);
    }
}

// A column of four 50-high rows scrolled to its end (range 100) loses its last row: range 50, the position
// drops to 50 and the new last row ends at the bottom: (0, 50, 184, 100).
TEST_F(LayoutProbeTest, ScrolledRowsKeepTheirEndInViewWhenTheLastRowGoes)
{
    ShownSkin skin(L"<Window><VerticalLayout name=\"v\" vscrollbar=\"true\">" +
                       Controls(L"r", 4, L"height=\"50\"", {nullptr, nullptr, L"#FF00FF00"}) +
                       L"</VerticalLayout></Window>",
                   200, 100);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    CContainerUI* v = skin.Container(L"v");
    const RECT bar = {184, 0, 200, 100};
    ExpectStages(skin, *v, true,
                 {{"as shown", nullptr, bar, 100, 0, {}},
                  {"at the end", [&] { v->EndDown(); }, bar, 100, 100, {}},
                  {"the last row gone", [&] { ASSERT_TRUE(v->RemoveAt(3)); }, bar, 50, 50,
                   {{L"r0", {0, -50, 184, 0}}, {L"r2", {0, 50, 184, 100}}}, {{100, 95, 0x00FF00}}}});
}

// The wheel over a scrolling column at 100 % (four 50-high rows, step 20, range 100) scrolls it by one step per
// notch, down for a notch towards the user; the column says "scroll" each time.
TEST_F(LayoutProbeTest, TheWheelScrollsAColumnOneStepANotch)
{
    ShownSkin skin(L"<Window><VerticalLayout name=\"v\" vscrollbar=\"true\" scrollstepsize=\"20\">" +
                       Controls(L"r", 4, L"height=\"50\"", {nullptr, L"#FF00FF00"}) + L"</VerticalLayout></Window>",
                   200, 100);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    CContainerUI* v = skin.Container(L"v");
    NotifyRecorder notes;
    skin.Manager().AddNotifier(&notes);
    POINT over = {100, 50};
    ::ClientToScreen(skin.Window(), &over);
    const auto wheel = [&](short delta) {
        ::SendMessageW(skin.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                       MAKELPARAM(over.x, over.y));
        skin.Refresh();
    };
    const RECT bar = {184, 0, 200, 100};
    ExpectStages(skin, *v, true,
                 {{"a notch down", [&] { wheel(-120); }, bar, 100, 20, {{L"r1", {0, 30, 184, 80}}}},
                  {"two more down", [&] { wheel(-120); wheel(-120); }, bar, 100, 60, {}},
                  {"a notch up", [&] { wheel(120); }, bar, 100, 40, {{L"r1", {0, 10, 184, 60}}},
                   {{100, 50, 0x00FF00}}}});
    EXPECT_EQ(4, notes.Count(L"scroll", skin.Find(L"v")));
    skin.Manager().RemoveNotifier(&notes);
}

// Three 60-wide buttons above a tab layout, each bound to a page, clicked with the mouse, 300 x 200 at 100 %.
// The tab layout is (0, 30, 300, 200), 170 high. Page 0 is a scrolling column of four 50-high rows: 200 in 170,
// range 30, bar (284, 30, 300, 200); at its end row 3 is (0, 150, 284, 200). Page 2 is a row of two halves.
// Leaving page 0 and coming back keeps where it was scrolled to.
TEST_F(LayoutProbeTest, ButtonsBoundToTabPagesShowEachPageInPlace)
{
    ShownSkin skin(L"<Window><VerticalLayout><HorizontalLayout height=\"30\">"
                   L"<Button name=\"b0\" width=\"60\" bindtabindex=\"0\" bindtablayoutname=\"tabs\"/>"
                   L"<Button name=\"b1\" width=\"60\" bindtabindex=\"1\" bindtablayoutname=\"tabs\"/>"
                   L"<Button name=\"b2\" width=\"60\" bindtabindex=\"2\" bindtablayoutname=\"tabs\"/>"
                   L"</HorizontalLayout><TabLayout name=\"tabs\" bkcolor=\"#FFFFFFFF\">"
                   L"<VerticalLayout name=\"page0\" vscrollbar=\"true\">" +
                       Controls(L"r", 4, L"height=\"50\"", {L"#FFFF0000", nullptr, nullptr, L"#FF00FFFF"}) +
                       L"</VerticalLayout><Control name=\"page1\" bkcolor=\"#FF00FF00\"/>"
                       L"<HorizontalLayout name=\"page2\"><Control name=\"left\" bkcolor=\"#FF0000FF\"/>"
                       L"<Control name=\"right\" bkcolor=\"#FFFFFF00\"/></HorizontalLayout></TabLayout>"
                       L"</VerticalLayout></Window>",
                   300, 200);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    auto* tabs = skin.As<CTabLayoutUI>(L"tabs", L"TabLayout");
    auto* page0 = skin.Container(L"page0");
    ASSERT_NE(nullptr, tabs);
    ASSERT_NE(nullptr, page0);
    const auto click = [&](int x, int y) {
        ::SendMessageW(skin.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        ::SendMessageW(skin.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(skin.Window(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        skin.Refresh();
    };

    ExpectShown(skin, {{L"tabs", {0, 30, 300, 200}}, {L"page0", {0, 30, 300, 200}}, {L"r3", {0, 180, 284, 230}}});
    ExpectBar("vertical", page0->GetVerticalScrollBar(), {284, 30, 300, 200});
    EXPECT_EQ(30, page0->GetScrollRange().cy);
    page0->EndDown();
    skin.Refresh();
    ExpectShown(skin, {{L"r3", {0, 150, 284, 200}}, {L"r0", {0, 0, 284, 50}}});
    // The first row scrolled under the buttons is clipped to the page.
    ExpectShown(skin, {}, {{100, 175, 0x00FFFF}, {100, 35, 0xFF0000}});
    EXPECT_NE(0xFF0000u, skin.Shown(100, 20));

    click(150, 15);
    EXPECT_EQ(2, tabs->GetCurSel());
    ExpectShown(skin, {{L"page2", {0, 30, 300, 200}}, {L"left", {0, 30, 150, 200}}, {L"right", {150, 30, 300, 200}}},
                {{75, 100, 0x0000FF}, {225, 100, 0xFFFF00}, {292, 100, 0xFFFF00}});

    click(90, 15);
    EXPECT_EQ(1, tabs->GetCurSel());
    ExpectShown(skin, {}, {{150, 100, 0x00FF00}, {292, 100, 0x00FF00}});

    click(30, 15);
    EXPECT_EQ(0, tabs->GetCurSel());
    EXPECT_EQ(30, page0->GetScrollPos().cy);
    ExpectShown(skin, {{L"r3", {0, 150, 284, 200}}}, {{100, 175, 0x00FFFF}});
}

// Two stretch cells in a 200 x 100 row with a horizontal bar share the width, no bar. One of them fixed at 300
// wide overflows by 100: the bar shows (0, 84, 200, 100), the other cell gets 0 and the wide one (0, 0, 300, 84).
TEST_F(LayoutProbeTest, ARowOfStretchCellsShowsItsBarOnlyWhenACellOverflows)
{
    ShownSkin skin(L"<Window><HorizontalLayout name=\"row\" hscrollbar=\"true\">"
                   L"<Control name=\"a\" bkcolor=\"#FFFF0000\"/><Control name=\"b\" bkcolor=\"#FF00FF00\"/>"
                   L"</HorizontalLayout></Window>",
                   200, 100);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    CContainerUI* row = skin.Container(L"row");
    ASSERT_NE(nullptr, row->GetHorizontalScrollBar());
    ExpectStages(skin, *row, false,
                 {{"as shown", nullptr, {}, 0, 0, {{L"a", {0, 0, 100, 100}}, {L"b", {100, 0, 200, 100}}},
                   {{50, 95, 0xFF0000}, {150, 95, 0x00FF00}}},
                  {"b 300 wide", [&] { skin.Find(L"b")->SetAttribute(L"width", L"300"); }, {0, 84, 200, 100}, 100, 0,
                   {{L"a", {0, 0, 0, 84}}, {L"b", {0, 0, 300, 84}}}}});
}

// A window closed while its tab layout slides a page in: the slide's timer goes with the window and nothing
// ticks a freed layout afterwards.
TEST_F(LayoutProbeTest, ClosingTheWindowMidSlideLeavesNoTimerBehind)
{
    {
        ShownSkin skin(L"<Window><AnimationTabLayout name=\"tabs\" animation_direction=\"vertical\">"
                       L"<Control/><Control/></AnimationTabLayout></Window>",
                       200, 100);
        ASSERT_TRUE(skin.Ok()) << kNoDisplay;
        auto* slide = skin.As<CAnimationTabLayoutUI>(L"tabs", L"AnimationTabLayout");
        ASSERT_TRUE(slide->SelectItem(1));
        // Vertical: one full height below, covered evenly; the first step shows it at 100 x 14 / 15 = 93.
        std::vector<LONG> tops;
        ASSERT_TRUE(PumpUntil([&] {
            if (tops.empty() || tops.back() != slide->GetPos().top) tops.push_back(slide->GetPos().top);
            return tops.size() >= 3;
        }));
        EXPECT_NE(tops.end(), std::find(tops.begin(), tops.end(), 93));
        ASSERT_TRUE(slide->IsAnimationRunning(1));
    }
    const DWORD until = ::GetTickCount() + 300;
    EXPECT_TRUE(PumpUntil([&] { return ::GetTickCount() > until; }));
}

// A scrolling column inside a scrolling column, 200 x 150 at 100 %. Outer: a 100-high row and the inner column
// (100 high) make 200 in 150: range 50, 184 wide. Inner: four 50-high rows in 100: range 100, bar (168, 100, 184, 200).
// The outer scrolled to its end moves the inner column to (0, 50, 184, 150) with its bar and rows; the inner
// scrolled to its end then shows its last row at (0, 100, 168, 150).
// Hiding the outer's first row makes 100 in 150: the outer bar goes and the inner column moves to the top.
TEST_F(LayoutProbeTest, AScrollingColumnInsideAScrollingColumnMovesWithIt)
{
    ShownSkin skin(L"<Window><VerticalLayout name=\"outer\" vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\">"
                   L"<Control name=\"t\" height=\"100\" bkcolor=\"#FF808080\"/>"
                   L"<VerticalLayout name=\"inner\" height=\"100\" vscrollbar=\"true\">" +
                       Controls(L"i", 4, L"height=\"50\"", {L"#FFFF0000", nullptr, nullptr, L"#FF0000FF"}) +
                       L"</VerticalLayout></VerticalLayout></Window>",
                   200, 150);
    ASSERT_TRUE(skin.Ok()) << kNoDisplay;
    auto* outer = skin.Container(L"outer");
    auto* inner = skin.Container(L"inner");
    EXPECT_EQ(50, outer->GetScrollRange().cy);
    EXPECT_EQ(100, inner->GetScrollRange().cy);
    ExpectShown(skin, {{L"inner", {0, 100, 184, 200}}, {L"i0", {0, 100, 168, 150}}});
    ExpectBar("inner", inner->GetVerticalScrollBar(), {168, 100, 184, 200});

    outer->EndDown();
    skin.Refresh();
    ExpectShown(skin, {{L"t", {0, -50, 184, 50}}, {L"inner", {0, 50, 184, 150}}, {L"i0", {0, 50, 168, 100}}});
    ExpectBar("inner", inner->GetVerticalScrollBar(), {168, 50, 184, 150});
    ExpectShown(skin, {}, {{100, 75, 0xFF0000}, {100, 25, 0x808080}});

    inner->EndDown();
    skin.Refresh();
    ExpectShown(skin, {{L"i3", {0, 100, 168, 150}}, {L"i0", {0, -50, 168, 0}}});
    // The inner rows scrolled out of it do not paint over the row above.
    ExpectShown(skin, {}, {{100, 125, 0x0000FF}, {100, 25, 0x808080}});

    skin.Find(L"t")->SetVisible(false);
    skin.Refresh();
    EXPECT_FALSE(outer->GetVerticalScrollBar()->IsVisible());
    ExpectShown(skin, {{L"inner", {0, 0, 200, 100}}, {L"i3", {0, 50, 184, 100}}},
                {{100, 75, 0x0000FF}, {100, 125, 0xFFFFFF}});
}

}  // namespace
