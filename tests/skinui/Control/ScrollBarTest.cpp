#include "Control/ScrollBarUI.h"
#include "Core/ControlFactory.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/ContainerUI.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iterator>
#include <utility>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

int Height(const RECT& rc) { return rc.bottom - rc.top; }

void Send(CScrollBarUI& bar, int type, int x = 0, int y = 0, WPARAM wParam = 0)
{
    ControlEvent event;
    event.Type = type;
    event.ptMouse = POINT{x, y};
    event.wParam = wParam;
    bar.DispatchEvent(event);
}

// A press on a vertical bar at height y (its middle column).
void PressAt(CScrollBarUI& bar, int y) { Send(bar, EVT_BUTTONDOWN, 8, y); }

// One tick of the bar's repeat and drag timer.
void Tick(CScrollBarUI& bar) { Send(bar, EVT_TIMER, 0, 0, CScrollBarUI::kTimerId); }

// Presses a vertical bar at y = from, moves to y = to and lets one drag tick apply the move.
void DragThumb(CScrollBarUI& bar, int from, int to)
{
    PressAt(bar, from);
    Send(bar, EVT_MOUSEMOVE, 8, to);
    Tick(bar);
}

TEST(ScrollBar, RangeZeroThumbFillsTheTrack)
{
    CScrollBarUI bar;
    bar.SetScrollRange(0);
    bar.SetPos(RECT{0, 0, 16, 200});
    EXPECT_EQ(16, bar.GetThumbRect().top);
    EXPECT_EQ(184, bar.GetThumbRect().bottom);
}

TEST(ScrollBar, ThumbLengthFollowsRangeAndEndsAtTheSecondButton)
{
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 200});
    EXPECT_EQ(112, Height(bar.GetThumbRect()));
    EXPECT_EQ(16, bar.GetThumbRect().top);
    bar.SetScrollPos(100);
    EXPECT_EQ(184, bar.GetThumbRect().bottom);
    EXPECT_EQ(184, bar.GetButton2Rect().top);
}

TEST(ScrollBar, TooShortForAThumbSharesItsLengthBetweenTheButtons)
{
    // 20 high: two 10-pixel buttons. 48 high: a 16-pixel track is no longer than the bar is thick.
    const struct {
        int height, button;
    } cases[] = {{20, 10}, {48, 16}};
    for (const auto& c : cases) {
        CScrollBarUI bar;
        bar.SetPos(RECT{0, 0, 16, c.height});
        EXPECT_EQ(c.button, Height(bar.GetButton1Rect())) << c.height;
        EXPECT_EQ(c.button, Height(bar.GetButton2Rect())) << c.height;
        const RECT& thumb = bar.GetThumbRect();
        EXPECT_TRUE(thumb.left == 0 && thumb.top == 0 && thumb.right == 0 && thumb.bottom == 0) << c.height;
    }
}

TEST(ScrollBar, HorizontalBarWorksAlongX)
{
    CScrollBarUI bar;
    bar.SetHorizontal(true);
    EXPECT_EQ(16, bar.GetFixedHeight());
    EXPECT_EQ(0, bar.GetFixedWidth());
    bar.SetPos(RECT{0, 0, 200, 16});
    EXPECT_EQ(16, bar.GetThumbRect().left);
    EXPECT_EQ(128, bar.GetThumbRect().right);
    EXPECT_EQ(16, bar.GetThumbRect().bottom);
}

TEST(ScrollBar, PositionIsClampedToTheRange)
{
    CScrollBarUI bar;
    bar.SetScrollPos(-5);
    EXPECT_EQ(0, bar.GetScrollPos());
    bar.SetScrollPos(500);
    EXPECT_EQ(100, bar.GetScrollPos());
    bar.SetScrollRange(40);
    EXPECT_EQ(40, bar.GetScrollPos());
    bar.SetAttribute(L"range", L"-3");
    EXPECT_EQ(0, bar.GetScrollRange());
}

TEST(ScrollBar, HoldingTheSecondButtonRepeatsAfterADelay)
{
    CWindowUIManager manager;
    CScrollBarUI bar;
    bar.SetManager(&manager, nullptr, false);
    bar.SetAttribute(L"linesize", L"5");
    bar.SetPos(RECT{0, 0, 16, 200});
    PressAt(bar, 190);
    EXPECT_EQ(5, bar.GetScrollPos());
    for (int i = 0; i < 5; ++i) Tick(bar);
    EXPECT_EQ(5, bar.GetScrollPos());
    Tick(bar);
    EXPECT_EQ(10, bar.GetScrollPos());
    Tick(bar);
    EXPECT_EQ(15, bar.GetScrollPos());
    Send(bar, EVT_BUTTONUP);
    Tick(bar);
    EXPECT_EQ(15, bar.GetScrollPos());
}

TEST(ScrollBar, DraggingTheThumbMovesByTheRangeShare)
{
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 200});
    // span = 200 - 112 - 32 = 56: 28 pixels are half the range.
    DragThumb(bar, 30, 58);
    EXPECT_EQ(50, bar.GetScrollPos());
    Send(bar, EVT_BUTTONUP, 8, 58);
    // Enabling a bar that is enabled already leaves a drag going.
    PressAt(bar, 60);
    bar.SetEnabled(true);
    Send(bar, EVT_MOUSEMOVE, 8, 74);
    Tick(bar);
    EXPECT_EQ(75, bar.GetScrollPos());
}

TEST(ScrollBar, DraggingAcrossAHugeRangeLandsInProportion)
{
    struct Case {
        int range, moved, expected;
    };
    // Height 200: thumb 16 (its minimum), span 200 - 16 - 32 = 152.
    const Case cases[] = {
        {10000000, 76, 5000000},
        {10000000, 152, 10000000},
        {INT_MAX, 152, INT_MAX},
        {INT_MAX, 38, INT_MAX / 4},
    };
    for (const Case& c : cases) {
        CScrollBarUI bar;
        bar.SetScrollRange(c.range);
        bar.SetPos(RECT{0, 0, 16, 200});
        ASSERT_EQ(16, Height(bar.GetThumbRect())) << c.range;
        DragThumb(bar, 20, 20 + c.moved);
        EXPECT_EQ(c.expected, bar.GetScrollPos()) << c.range << " moved " << c.moved;
    }
}

TEST(ScrollBar, StepsNearTheEndOfTheIntRangeStopAtTheEnd)
{
    CScrollBarUI bar;
    bar.SetScrollRange(INT_MAX);
    bar.SetPos(RECT{0, 0, 16, 200});
    bar.SetScrollPos(INT_MAX - 3);
    PressAt(bar, 190);
    EXPECT_EQ(INT_MAX, bar.GetScrollPos());
}

TEST(ScrollBar, APressEndedByAFocusLossOrDisablingStopsRepeatingAndDragging)
{
    const std::function<void(CScrollBarUI&)> endings[] = {
        [](CScrollBarUI& bar) { Send(bar, EVT_KILLFOCUS); },
        [](CScrollBarUI& bar) { bar.SetEnabled(false); },
    };
    for (size_t i = 0; i < std::size(endings); ++i) {
        // Without a manager the bar repeats only for a pressed part, so ticks show what is still pressed.
        CScrollBarUI bar;
        bar.SetAttribute(L"linesize", L"5");
        bar.SetPos(RECT{0, 0, 16, 200});
        PressAt(bar, 190);
        ASSERT_EQ(5, bar.GetScrollPos());
        endings[i](bar);
        for (int tick = 0; tick < 7; ++tick) Tick(bar);
        EXPECT_EQ(5, bar.GetScrollPos()) << i << ": no repeat once the press is over";
        bar.SetEnabled(true);
        PressAt(bar, 40);
        endings[i](bar);
        Send(bar, EVT_MOUSEMOVE, 8, 120);
        Tick(bar);
        EXPECT_EQ(5, bar.GetScrollPos()) << i << ": no drag once the press is over";

        // With one, its repeat timer is gone too.
        CWindowUIManager manager;
        CScrollBarUI timed;
        timed.SetManager(&manager, nullptr, false);
        timed.SetPos(RECT{0, 0, 16, 200});
        PressAt(timed, 190);
        endings[i](timed);
        EXPECT_FALSE(manager.KillTimer(&timed, CScrollBarUI::kTimerId)) << i;
    }
}

TEST(ScrollBar, ClickOnTheTrackPagesWithoutOwner)
{
    CScrollBarUI bar;
    bar.SetScrollRange(1000);
    bar.SetPos(RECT{0, 0, 16, 200});
    PressAt(bar, 150);
    EXPECT_EQ(200, bar.GetScrollPos());
    // The thumb (28 of the 168-pixel track) now starts at 16 + 140 * 200 / 1000 = 44: above it pages back.
    EXPECT_EQ(44, bar.GetThumbRect().top);
    Send(bar, EVT_BUTTONUP, 8, 150);
    PressAt(bar, 30);
    EXPECT_EQ(0, bar.GetScrollPos());
}

TEST(ScrollBar, OwnedBarsScrollTheOwnerAlongTheirOwnAxis)
{
    CVerticalLayoutUI owner;
    owner.EnableScrollBar(true, true);
    auto* content = new CControlUI();
    content->SetFixedWidth(400);
    content->SetFixedHeight(400);
    owner.Add(content);
    owner.SetPos(RECT{0, 0, 100, 100});
    owner.SetScrollPos(SIZE{50, 50});
    CScrollBarUI& across = *owner.GetHorizontalScrollBar();
    CScrollBarUI& down = *owner.GetVerticalScrollBar();
    ASSERT_TRUE(across.IsVisible() && down.IsVisible());
    const auto center = [](const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; };
    const auto press = [&](CScrollBarUI& bar, const RECT& part) {
        const POINT at = center(part);
        Send(bar, EVT_BUTTONDOWN, at.x, at.y);
        Send(bar, EVT_BUTTONUP, at.x, at.y);
        const SIZE pos = owner.GetScrollPos();
        return std::make_pair(static_cast<int>(pos.cx), static_cast<int>(pos.cy));
    };
    EXPECT_EQ(std::make_pair(42, 50), press(across, across.GetButton1Rect()));
    EXPECT_EQ(std::make_pair(50, 50), press(across, across.GetButton2Rect()));
    EXPECT_EQ(std::make_pair(50, 42), press(down, down.GetButton1Rect()));
    EXPECT_EQ(std::make_pair(50, 50), press(down, down.GetButton2Rect()));
}

TEST(ScrollBar, FocusGoesToTheOwnerElseToTheBar)
{
    CWindowUIManager manager;
    CContainerUI owner;
    owner.SetManager(&manager, nullptr, false);
    CScrollBarUI owned;
    owned.SetManager(&manager, &owner, false);
    owned.SetOwner(&owner);
    owned.SetFocus();
    EXPECT_EQ(&owner, manager.GetFocus());
    CScrollBarUI alone;
    alone.SetManager(&manager, nullptr, false);
    alone.SetFocus();
    EXPECT_EQ(&alone, manager.GetFocus());
    manager.SetFocus(nullptr);
}

TEST(ScrollBar, OtherTimersReachTheApplication)
{
    CWindowUIManager manager;
    NotifyRecorder notes;
    manager.AddNotifier(&notes);
    CScrollBarUI bar;
    bar.SetManager(&manager, nullptr, false);
    Send(bar, EVT_TIMER, 0, 0, CScrollBarUI::kTimerId + 1);
    EXPECT_EQ(1, notes.Count(L"timer", &bar));
    manager.RemoveNotifier(&notes);
}

// quad.png is 4x4: red and green above, blue and magenta below.
constexpr const wchar_t* kRed = L"file='image/quad.png' source='0,0,2,2'";
constexpr const wchar_t* kGreen = L"file='image/quad.png' source='2,0,4,2'";
constexpr const wchar_t* kBlue = L"file='image/quad.png' source='0,2,2,4'";
constexpr const wchar_t* kMagenta = L"file='image/quad.png' source='2,2,4,4'";
constexpr DWORD kOutline = 0x85E4FF;

class ScrollBarPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skin.loaded);
        bar.SetManager(&manager, nullptr, false);
    }
    void Paint(int height = 100)
    {
        bar.SetPos(RECT{0, 0, 16, height});
        canvas.Clear(0xFFFFFFFF);
        bar.Paint(canvas.dc(), RECT{0, 0, 16, height}, nullptr);
    }
    void Send(int type, POINT pt)
    {
        ControlEvent event;
        event.Type = type;
        event.ptMouse = pt;
        bar.DispatchEvent(event);
    }

    SkinZipScope skin;
    CWindowUIManager manager;
    CScrollBarUI bar;
    Canvas canvas{16, 200, 0xFFFFFFFF};
};

TEST_F(ScrollBarPaint, PartsWithoutImagesGetATwoPixelOutlineOnTheirEdges)
{
    bar.SetScrollRange(0);
    Paint();
    // The outline runs on the part's own edges (the pen lies inside them where the platform can do so).
    for (int y : {8, 50, 92}) {
        EXPECT_EQ(kOutline, canvas.Rgb(0, y)) << y;
        EXPECT_EQ(kOutline, canvas.Rgb(15, y)) << y;
        for (int x = 3; x < 13; ++x) EXPECT_EQ(0xFFFFFFu, canvas.Rgb(x, y)) << x << "," << y;
    }
    EXPECT_EQ(kOutline, canvas.Rgb(8, 0));
    EXPECT_EQ(kOutline, canvas.Rgb(8, 99));
}

TEST_F(ScrollBarPaint, ButtonImageFollowsTheStateAndFallsBackToNormal)
{
    bar.SetAttribute(L"button1normalimage", kRed);
    bar.SetAttribute(L"button1hotimage", kGreen);
    bar.SetAttribute(L"button1pushedimage", kBlue);
    bar.SetAttribute(L"button1disabledimage", kMagenta);
    Paint();
    EXPECT_EQ(0xFF0000u, canvas.Rgb(8, 8));
    Send(EVT_MOUSEENTER, POINT{8, 8});
    Paint();
    EXPECT_EQ(0x00FF00u, canvas.Rgb(8, 8));
    Send(EVT_BUTTONDOWN, POINT{8, 8});
    Paint();
    EXPECT_EQ(0x0000FFu, canvas.Rgb(8, 8));
    Send(EVT_BUTTONUP, POINT{8, 8});
    bar.SetEnabled(false);
    Paint();
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(8, 8));
    bar.SetEnabled(true);
    bar.SetAttribute(L"button1hotimage", L"file='image/missing.png'");
    Send(EVT_MOUSEENTER, POINT{8, 8});
    Paint();
    EXPECT_EQ(0xFF0000u, canvas.Rgb(8, 8));
}

TEST_F(ScrollBarPaint, RailIsCentredOnTheThumbAsLongAsTheBarIsThick)
{
    bar.SetAttribute(L"thumbnormalimage", kRed);
    bar.SetAttribute(L"railnormalimage", kMagenta);
    // Height 200, range 100: the thumb spans 16..128, its middle is 72.
    Paint(200);
    for (int y = 20; y < 125; ++y) EXPECT_EQ(y >= 64 && y < 80 ? 0xFF00FFu : 0xFF0000u, canvas.Rgb(8, y)) << y;
}

TEST_F(ScrollBarPaint, TheThumbIsHotOnlyUnderThePointer)
{
    bar.SetAttribute(L"thumbnormalimage", kRed);
    bar.SetAttribute(L"thumbhotimage", kGreen);
    Paint(200);
    Send(EVT_MOUSEMOVE, POINT{8, 150});
    Paint(200);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(8, 60)) << "the pointer is on the track below the thumb";
    Send(EVT_MOUSEMOVE, POINT{8, 60});
    Paint(200);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(8, 60));
    Send(EVT_MOUSEMOVE, POINT{8, 150});
    Paint(200);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(8, 60));
}

TEST_F(ScrollBarPaint, TrackImageFollowsTheThumbStateAndKeepsItsOwnPlace)
{
    bar.SetScrollRange(0);
    bar.SetAttribute(L"bknormalimage", L"file='image/quad.png' dest='0,40,16,60'");
    bar.SetAttribute(L"bkdisabledimage", kBlue);
    Paint();
    EXPECT_EQ(0xFF0000u, canvas.Rgb(4, 44));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(12, 56));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(8, 30));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(8, 70));
    bar.SetEnabled(false);
    Paint();
    EXPECT_EQ(0x0000FFu, canvas.Rgb(8, 30));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(8, 70));
}

TEST(ScrollBar, FactoryCreatesIt)
{
    CControlUI* control = CControlFactory::GetInstance()->CreateControl(L"CScrollBarUI");
    ASSERT_NE(nullptr, control);
    EXPECT_STREQ(L"ScrollBar", control->GetClass());
    EXPECT_NE(nullptr, control->GetInterface(L"ScrollBar"));
    delete control;
}

}  // namespace
