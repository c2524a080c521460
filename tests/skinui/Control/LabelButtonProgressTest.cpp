#include "Control/ButtonUI.h"
#include "Control/ProgressUI.h"
#include "Control/ScrollBarUI.h"
#include "Core/WindowUIManager.h"
#include "Layout/ContainerUI.h"
#include "Layout/TabLayoutUI.h"
#include "../Core/PaintedRects.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"
#include "../Inputs/BarPainting.h"
#include "../Inputs/InputsTestSupport.h"
#include "../Inputs/TestImages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

TEST(Label, AlignAndValignApplyEveryWordInTurn)
{
    CLabelUI label;
    label.SetAttribute(L"align", L"left center");
    EXPECT_EQ(UINT(DT_CENTER), label.GetTextStyle() & (DT_CENTER | DT_RIGHT));
    CLabelUI multi;
    multi.SetAttribute(L"valign", L"bottom");
    multi.SetAttribute(L"wordbreak", L"true");
    EXPECT_EQ(0u, multi.GetTextStyle() & DT_SINGLELINE);
    EXPECT_NE(0u, multi.GetTextStyle() & DT_BOTTOM);
    CLabelUI single;
    single.SetAttribute(L"wordbreak", L"true");
    single.SetAttribute(L"valign", L"bottom");
    EXPECT_NE(0u, single.GetTextStyle() & DT_SINGLELINE);
    EXPECT_EQ(0u, single.GetTextStyle() & DT_WORDBREAK);
}

TEST(Label, FixedSizeIsReturnedScaled)
{
    CWindowUIManager manager;
    manager.GetDpiScaler()->SetDPI(144);
    CLabelUI label;
    label.SetManager(&manager, nullptr, false);
    label.SetAttribute(L"width", L"40");
    label.SetAttribute(L"height", L"20");
    const SIZE size = label.CalcDesiredSize(SIZE{500, 500});
    EXPECT_EQ(60, size.cx);
    EXPECT_EQ(30, size.cy);
}

TEST(Label, TakesTheWindowDefaultColoursOnceAndKeepsThem)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    manager.SetDefaultFontColor(0xFF123456);
    CLabelUI label;
    label.SetManager(&manager, nullptr, false);
    label.SetText(L"x");
    Canvas canvas(20, 20);
    PaintOnto(label, canvas);
    EXPECT_EQ(0xFF123456u, label.GetTextColor());
    manager.SetDefaultFontColor(0xFF654321);
    label.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF123456u, label.GetTextColor());
}

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddNotifier(&notes);
        button.SetManager(&manager, nullptr, false);
        button.SetPos(RECT{0, 0, 50, 20});
    }
    void Send(int type, int x, int y)
    {
        ControlEvent event = MakeEvent(type, x, y);
        button.DispatchEvent(event);
    }
    CWindowUIManager manager;
    NoteLog notes;
    CButtonUI button;
};

TEST_F(ButtonTest, ReleaseOutsideSendsNoClickAndComingBackDoes)
{
    Send(EVT_BUTTONDOWN, 10, 10);
    Send(EVT_MOUSEMOVE, 80, 10);
    EXPECT_EQ(0u, button.GetButtonState() & CButtonUI::kPushed);
    Send(EVT_BUTTONUP, 80, 10);
    EXPECT_EQ(0, notes.Count(L"click"));
    Send(EVT_BUTTONDOWN, 10, 10);
    Send(EVT_MOUSEMOVE, 80, 10);
    Send(EVT_MOUSEMOVE, 20, 10);
    Send(EVT_BUTTONUP, 20, 10);
    EXPECT_EQ(1, notes.Count(L"click"));
}

TEST_F(ButtonTest, DisabledButtonIgnoresPressesAndLosesItsState)
{
    Send(EVT_MOUSEENTER, 10, 10);
    EXPECT_NE(0u, button.GetButtonState() & CButtonUI::kHot);
    button.SetEnabled(false);
    EXPECT_EQ(0u, button.GetButtonState());
    Send(EVT_BUTTONDOWN, 10, 10);
    Send(EVT_BUTTONUP, 10, 10);
    EXPECT_EQ(0, notes.Count(L"click"));
    EXPECT_FALSE(button.Activate());
}

TEST_F(ButtonTest, PressesItDoesNotTakeGoOnToItsParent)
{
    struct RecordingParent : CContainerUI {
        std::vector<int> seen;
        void HandleEvent(ControlEvent& event) override { seen.push_back(event.Type); }
    };
    struct Case {
        int type;
        POINT pt;
        bool enabled;
        bool reachesParent;
    };
    const Case cases[] = {
        {EVT_BUTTONDOWN, {10, 10}, true, false}, {EVT_DBLCLICK, {10, 10}, true, false},
        {EVT_BUTTONDOWN, {80, 10}, true, true},  {EVT_DBLCLICK, {80, 10}, true, true},
        {EVT_BUTTONDOWN, {10, 10}, false, true}, {EVT_DBLCLICK, {10, 10}, false, true},
    };
    for (const Case& c : cases) {
        RecordingParent parent;
        auto* child = new CButtonUI();
        parent.Add(child);
        child->SetManager(nullptr, &parent, false);
        child->SetPos(RECT{0, 0, 50, 20});
        child->SetEnabled(c.enabled);
        ControlEvent event = MakeEvent(c.type, c.pt.x, c.pt.y);
        child->DispatchEvent(event);
        EXPECT_EQ(c.reachesParent ? 1u : 0u, parent.seen.size())
            << "event " << c.type << " at " << c.pt.x << " enabled " << c.enabled;
        EXPECT_EQ(c.reachesParent ? 0u : CButtonUI::kPushed, child->GetButtonState() & CButtonUI::kPushed);
    }
}

TEST_F(ButtonTest, APressEndedByAFocusLossLeavesNoPressedLookAndNoClick)
{
    Send(EVT_BUTTONDOWN, 10, 10);
    Send(EVT_KILLFOCUS, 0, 0);
    EXPECT_EQ(0u, button.GetButtonState() & (CButtonUI::kPushed | CButtonUI::kCaptured));
    Send(EVT_MOUSEMOVE, 20, 10);
    Send(EVT_BUTTONUP, 20, 10);
    EXPECT_EQ(0u, button.GetButtonState() & CButtonUI::kPushed);
    EXPECT_EQ(0, notes.Count(L"click"));
}

TEST_F(ButtonTest, SpaceOrReturnClicks)
{
    ControlEvent key;
    key.Type = EVT_KEYDOWN;
    key.chKey = VK_SPACE;
    button.DispatchEvent(key);
    key.chKey = VK_RETURN;
    button.DispatchEvent(key);
    EXPECT_EQ(2, notes.Count(L"click"));
    EXPECT_EQ(UINT(CONTROL_FLAG_TABSTOP | CONTROL_FLAG_SETCURSOR), button.GetControlFlags());
}

TEST_F(ButtonTest, BoundTabLayoutShowsItsPageAfterTheClick)
{
    auto* tabs = new CTabLayoutUI();
    tabs->SetName(L"pages");
    for (int i = 0; i < 3; ++i) tabs->Add(new CControlUI());
    manager.AttachRootControl(tabs);
    button.SetAttribute(L"bindtabindex", L"2");
    button.SetAttribute(L"bindtablayoutname", L"pages");
    EXPECT_TRUE(button.Activate());
    EXPECT_EQ(2, tabs->GetCurSel());
    ASSERT_GE(notes.seen.size(), 2u);
    EXPECT_EQ(CUIString(L"click"), notes.seen.front().sType);
    EXPECT_EQ(CUIString(L"tabselect"), notes.seen.back().sType);
}

TEST_F(ButtonTest, PushedWithoutPushedImageDrawsTheNormalImage)
{
    SkinZipScope zip;
    button.SetAttribute(L"normalimage", L"file='image/quad.png' source='0,0,1,1'");
    button.SetAttribute(L"hotimage", L"file='image/quad.png' source='2,0,3,1'");
    Send(EVT_MOUSEENTER, 10, 10);
    Canvas canvas(50, 20);
    button.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(25, 10));
    Send(EVT_BUTTONDOWN, 10, 10);
    button.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(25, 10));
}

TEST(Progress, ValuesOutsideTheRangeAreIgnored)
{
    CProgressUI progress;
    progress.SetValue(150);
    EXPECT_EQ(0, progress.GetValue());
    progress.SetValue(100);
    EXPECT_EQ(100, progress.GetValue());
    progress.SetAttribute(L"value", L"-1");
    EXPECT_EQ(100, progress.GetValue());
}

// The filled part in the foreground colour and as the stretched foreground image. The colour covers
// width * done / span (or from the top, height * left to do / span) in window pixels; the image's part
// is taken back to 100 % and scaled again when drawn, so at 150 % a half pixel may round it wider.
TEST(Progress, FillsItsShareWithTheForegroundColour)
{
    const BarCase cases[] = {
        {96, true, {10, 5, 110, 15}, 0, 100, 30, "10,5,40,15", "10,5,40,15"},
        {96, true, {10, 5, 110, 15}, 50, 150, 75, "10,5,35,15", "10,5,35,15"},
        {96, true, {10, 5, 110, 15}, 0, 3, 1, "10,5,43,15", "10,5,43,15"},
        {96, true, {10, 5, 110, 15}, 0, 100, 100, "10,5,110,15", "10,5,110,15"},
        {96, false, {10, 5, 20, 105}, 0, 100, 25, "10,80,20,105", "10,80,20,105"},
        {96, false, {10, 5, 20, 105}, 0, 3, 1, "10,71,20,105", "10,71,20,105"},
        {144, true, {10, 5, 160, 20}, 0, 100, 30, "10,5,55,20", "10,5,55,20"},
        // 1.5 pixels: the colour is cut to 1; the image's 1 is 0.67 -> 1 at 100 %, drawn 1.5 -> 2 wide.
        {144, true, {10, 5, 160, 20}, 0, 100, 1, "10,5,11,20", "10,5,12,20"},
        // Top 112.5 below the item: the colour cuts to 112; the image's top 74.67 -> 75 is drawn at 113.
        {144, false, {10, 5, 25, 155}, 0, 100, 25, "10,117,25,155", "10,118,25,155"},
        {192, true, {10, 5, 210, 25}, 0, 100, 30, "10,5,70,25", "10,5,70,25"},
        {192, false, {10, 5, 30, 205}, 0, 100, 25, "10,155,30,205", "10,155,30,205"},
        {192, true, {10, 5, 210, 25}, 0, 100, 0, "0,0,0,0", "0,0,0,0"},
    };
    ExpectEachBarRowPainted<CProgressUI>(cases, L"forecolor", L"foreimage", 8, 220);
}

TEST(Progress, VerticalBarFillsFromTheBottom)
{
    CProgressUI progress;
    progress.SetAttribute(L"hor", L"false");
    progress.SetAttribute(L"forecolor", L"#FF0000FF");
    progress.SetValue(25);
    Canvas canvas(10, 40);
    PaintOnto(progress, canvas);
    EXPECT_EQ(0u, canvas.Rgb(5, 29));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 30));
}

// A change to what a control shows asks its window to repaint it; else the old look stays on screen.
class RepaintTest : public WindowTest {};

TEST_F(RepaintTest, ChangesToWhatABarShowsAskTheWindowToRepaint)
{
    using Change = std::pair<const wchar_t*, const wchar_t*>;
    const struct {
        const char* control;
        CControlUI* (*make)();
        std::vector<Change> changes;
    } cases[] = {
        {"progress", [] { return static_cast<CControlUI*>(new CProgressUI()); },
         {{L"min", L"-50"}, {L"max", L"50"}, {L"value", L"30"}, {L"hor", L"false"}, {L"isstretchfore", L"false"}}},
        {"scroll bar", [] { return static_cast<CControlUI*>(new CScrollBarUI()); },
         {{L"thumbnormalimage", L"a.png"}, {L"railhotimage", L"a.png"}, {L"value", L"30"}}},
    };
    for (const auto& c : cases)
        for (const Change& change : c.changes)
            EXPECT_TRUE(AttributeAsksForRepaint(c.make(), change.first, change.second))
                << c.control << " " << std::string(change.first, change.first + wcslen(change.first));
}

TEST(Progress, EmptyRangeIsWidenedAtPaint)
{
    CProgressUI progress;
    progress.SetAttribute(L"min", L"50");
    progress.SetAttribute(L"max", L"50");
    Canvas canvas(10, 10);
    PaintOnto(progress, canvas);
    EXPECT_EQ(51, progress.GetMaxValue());
    EXPECT_EQ(50, progress.GetValue());
}

TEST(Progress, ItsImagePaintedOnItsOwnTakesTheRangeInToo)
{
    SkinZipScope zip;
    TempImageFile fill("fill.bmp", MakeBmp(8, 8, 0x0000FF));
    CProgressUI progress;
    progress.SetAttribute(L"foreimage", (L"file='" + fill.Path() + L"'").c_str());
    Canvas canvas(100, 10);
    PaintOnto(progress, canvas);
    // A minimum moved above the maximum leaves the bar at its new, empty start.
    progress.SetAttribute(L"min", L"200");
    progress.PaintForegroundImage(canvas.dc());
    EXPECT_EQ("0,0,0,0", RectText(canvas.BoundsOf(0x0000FF)));
    EXPECT_EQ(200, progress.GetValue());
}

TEST(Progress, FillsItsShareOfRangesUpToTheWholeIntRange)
{
    struct Case {
        int min, max, value, filledColumns;
    };
    const Case cases[] = {
        {0, 100000000, 50000000, 50},
        {0, INT_MAX, 1610612737, 75},
        {INT_MIN, INT_MAX, 0, 50},
        {INT_MIN, INT_MAX, INT_MAX, 100},
        {INT_MAX - 1, INT_MAX, INT_MAX, 100},
    };
    for (const Case& c : cases) {
        CProgressUI progress;
        progress.SetAttribute(L"forecolor", L"#FF00FF00");
        progress.SetAttribute(L"min", std::to_wstring(c.min).c_str());
        progress.SetAttribute(L"max", std::to_wstring(c.max).c_str());
        progress.SetAttribute(L"value", std::to_wstring(c.value).c_str());
        Canvas canvas(100, 4);
        PaintOnto(progress, canvas);
        int filled = 0;
        for (int x = 0; x < 100; ++x) filled += canvas.Rgb(x, 2) == 0x00FF00u;
        EXPECT_EQ(c.filledColumns, filled) << c.min << ".." << c.max << " at " << c.value;
    }
}

TEST(Progress, EmptyRangeAtTheTopOfTheIntRangeStaysInIt)
{
    CProgressUI progress;
    progress.SetAttribute(L"forecolor", L"#FF00FF00");
    progress.SetAttribute(L"min", std::to_wstring(INT_MAX).c_str());
    progress.SetAttribute(L"max", std::to_wstring(INT_MAX).c_str());
    Canvas canvas(10, 4);
    PaintOnto(progress, canvas);
    EXPECT_EQ(INT_MAX, progress.GetMaxValue());
    EXPECT_EQ(INT_MAX - 1, progress.GetMinValue());
    EXPECT_LT(progress.GetMinValue(), progress.GetMaxValue());
}

TEST(Progress, ForegroundImageIsCutOrSqueezed)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    CProgressUI progress;
    progress.SetManager(&manager, nullptr, false);
    progress.SetAttribute(L"foreimage", L"image/quad.png");
    progress.SetAttribute(L"isstretchfore", L"false");
    progress.SetValue(50);
    Canvas canvas(4, 4);
    PaintOnto(progress, canvas);
    // The left half of the image as it is: red over blue, nothing on the right.
    EXPECT_EQ(0xFF0000u, canvas.Rgb(1, 0));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(1, 3));
    EXPECT_EQ(0u, canvas.Rgb(3, 0));
    Canvas squeezed(4, 4);
    progress.SetAttribute(L"isstretchfore", L"true");
    progress.Paint(squeezed.dc(), squeezed.Bounds(), nullptr);
    EXPECT_EQ(0x00FF00u, squeezed.Rgb(1, 0) & 0x00FF00u);

    // Upright and cut, a half-full bar shows the image's rows 50 to 99 in its lower half, however tall
    // the image is: green here, while the blue below row 100 stays out.
    TempImageFile tall("tall.bmp", MakeBmp(10, 200, 0x00FF00, 0x0000FF));
    CProgressUI upright;
    upright.SetManager(&manager, nullptr, false);
    upright.SetAttribute(L"hor", L"false");
    upright.SetAttribute(L"foreimage", (L"file='" + tall.Path() + L"'").c_str());
    upright.SetAttribute(L"isstretchfore", L"false");
    upright.SetValue(50);
    Canvas column(10, 100);
    PaintOnto(upright, column);
    EXPECT_EQ("0,50,10,100", RectText(column.BoundsOf(0x00FF00)));
    EXPECT_EQ("0,0,0,0", RectText(column.BoundsOf(0x0000FF)));
}

}  // namespace
