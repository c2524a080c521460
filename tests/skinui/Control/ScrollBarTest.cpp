#include "Control/ScrollBarUI.h"
#include "Core/ControlFactory.h"
#include "Core/WindowUIManager.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace {

int Height(const RECT& rc) { return rc.bottom - rc.top; }

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
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 20});
    EXPECT_EQ(10, Height(bar.GetButton1Rect()));
    EXPECT_EQ(10, Height(bar.GetButton2Rect()));
    const RECT& thumb = bar.GetThumbRect();
    EXPECT_TRUE(thumb.left == 0 && thumb.top == 0 && thumb.right == 0 && thumb.bottom == 0);
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
    ControlEvent event;
    event.Type = EVT_BUTTONDOWN;
    event.ptMouse = POINT{8, 190};
    bar.DispatchEvent(event);
    EXPECT_EQ(5, bar.GetScrollPos());
    ControlEvent tick;
    tick.Type = EVT_TIMER;
    tick.wParam = CScrollBarUI::kTimerId;
    for (int i = 0; i < 5; ++i) bar.DispatchEvent(tick);
    EXPECT_EQ(5, bar.GetScrollPos());
    bar.DispatchEvent(tick);
    EXPECT_EQ(10, bar.GetScrollPos());
    bar.DispatchEvent(tick);
    EXPECT_EQ(15, bar.GetScrollPos());
    ControlEvent up;
    up.Type = EVT_BUTTONUP;
    bar.DispatchEvent(up);
    bar.DispatchEvent(tick);
    EXPECT_EQ(15, bar.GetScrollPos());
}

TEST(ScrollBar, DraggingTheThumbMovesByTheRangeShare)
{
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 200});
    ControlEvent down;
    down.Type = EVT_BUTTONDOWN;
    down.ptMouse = POINT{8, 30};
    bar.DispatchEvent(down);
    ControlEvent move;
    move.Type = EVT_MOUSEMOVE;
    // span = 200 - 112 - 32 = 56: 28 pixels are half the range.
    move.ptMouse = POINT{8, 58};
    bar.DispatchEvent(move);
    ControlEvent tick;
    tick.Type = EVT_TIMER;
    tick.wParam = CScrollBarUI::kTimerId;
    bar.DispatchEvent(tick);
    EXPECT_EQ(50, bar.GetScrollPos());
}

TEST(ScrollBar, ClickOnTheTrackPagesWithoutOwner)
{
    CScrollBarUI bar;
    bar.SetScrollRange(1000);
    bar.SetPos(RECT{0, 0, 16, 200});
    ControlEvent down;
    down.Type = EVT_BUTTONDOWN;
    down.ptMouse = POINT{8, 150};
    bar.DispatchEvent(down);
    EXPECT_EQ(200, bar.GetScrollPos());
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
