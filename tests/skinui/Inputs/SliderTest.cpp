#include "Control/UISlider.h"
#include "Core/WindowUIManager.h"
#include "../Core/SkinTestData.h"
#include "../Core/PaintedRects.h"
#include "BarPainting.h"
#include "InputsTestSupport.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

void Send(CSliderUI& slider, int type, int x, int y, WPARAM wParam = 0)
{
    ControlEvent event = MakeEvent(type, x, y, wParam);
    slider.DispatchEvent(event);
}

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddNotifier(&notes);
        slider.SetManager(&manager, nullptr, false);
        slider.SetPos(RECT{0, 0, 210, 20});
    }
    void Send(int type, int x, int y = 10, WPARAM wParam = 0) { ::Send(slider, type, x, y, wParam); }
    CWindowUIManager manager;
    NoteLog notes;
    CSliderUI slider;
};

TEST_F(SliderTest, ClicksMapAlongTheTrackLessTheThumb)
{
    EXPECT_EQ(0, slider.ValueAtPoint(POINT{5, 10}));
    EXPECT_EQ(100, slider.ValueAtPoint(POINT{205, 10}));
    EXPECT_EQ(100, slider.ValueAtPoint(POINT{208, 10})) << "the last half thumb is the maximum";
    EXPECT_EQ(100, slider.ValueAtPoint(POINT{300, 10}));
    EXPECT_EQ(50, slider.ValueAtPoint(POINT{105, 10}));
    EXPECT_EQ(0, slider.ValueAtPoint(POINT{-20, 10}));
    Send(EVT_BUTTONDOWN, 105);
    EXPECT_EQ(50, slider.GetValue());
    const RECT thumb = slider.GetThumbRect();
    EXPECT_EQ(100, thumb.left);
    EXPECT_EQ(110, thumb.right);
    EXPECT_EQ(5, thumb.top);

    // Away from the window's corner the track moves with the slider, either way up.
    slider.SetPos(RECT{300, 40, 510, 60});
    EXPECT_EQ(50, slider.ValueAtPoint(POINT{405, 50}));
    EXPECT_EQ(25, slider.ValueAtPoint(POINT{355, 50}));
    slider.SetAttribute(L"hor", L"false");
    slider.SetPos(RECT{40, 300, 60, 510});
    EXPECT_EQ(50, slider.ValueAtPoint(POINT{50, 405}));
    EXPECT_EQ(75, slider.ValueAtPoint(POINT{50, 355}));
}

TEST_F(SliderTest, VerticalSliderHasItsMaximumAtTheTop)
{
    slider.SetAttribute(L"hor", L"false");
    slider.SetPos(RECT{0, 0, 20, 210});
    EXPECT_EQ(100, slider.ValueAtPoint(POINT{10, 2}));
    EXPECT_EQ(0, slider.ValueAtPoint(POINT{10, 208}));
    EXPECT_EQ(50, slider.ValueAtPoint(POINT{10, 105}));
    Send(EVT_BUTTONDOWN, 10, 2);
    const RECT thumb = slider.GetThumbRect();
    EXPECT_EQ(0, thumb.top);
    EXPECT_EQ(5, thumb.left);

    // An odd thumb: its centre at the top end is still the maximum, never a value past it.
    slider.SetAttribute(L"thumbsize", L"10,11");
    slider.SetAttribute(L"max", L"1000");
    slider.SetPos(RECT{0, 0, 20, 211});
    EXPECT_EQ(1000, slider.ValueAtPoint(POINT{10, 5}));
    EXPECT_EQ(1000, slider.ValueAtPoint(POINT{10, 4}));
    EXPECT_EQ(995, slider.ValueAtPoint(POINT{10, 7}));
}

TEST_F(SliderTest, ReleaseNotifiesEvenUnchangedAndPressDoesNot)
{
    Send(EVT_BUTTONDOWN, 105);
    EXPECT_EQ(0, notes.Count(L"valuechanged"));
    EXPECT_NE(0u, slider.GetButtonState() & CSliderUI::kCaptured);
    Send(EVT_BUTTONUP, 105);
    EXPECT_EQ(1, notes.Count(L"valuechanged"));
    EXPECT_EQ(0u, slider.GetButtonState() & CSliderUI::kCaptured);
    Send(EVT_BUTTONUP, 105);
    EXPECT_EQ(2, notes.Count(L"valuechanged"));
    EXPECT_EQ(50, slider.GetValue());
}

TEST_F(SliderTest, DraggingSendsMoveNotificationsOnlyWhenAsked)
{
    Send(EVT_BUTTONDOWN, 5);
    Send(EVT_MOUSEMOVE, 55);
    EXPECT_EQ(25, slider.GetValue());
    EXPECT_EQ(0, notes.Count(L"movevaluechanged"));
    Send(EVT_BUTTONUP, 55);
    slider.SetAttribute(L"sendmove", L"true");
    Send(EVT_BUTTONDOWN, 5);
    Send(EVT_MOUSEMOVE, 55);
    Send(EVT_MOUSEMOVE, 105);
    EXPECT_EQ(2, notes.Count(L"movevaluechanged"));
    EXPECT_EQ(50, slider.GetValue());
}

TEST_F(SliderTest, APressEndedByAFocusLossStopsTheDragWithoutNotifying)
{
    Send(EVT_BUTTONDOWN, 5);
    Send(EVT_MOUSEMOVE, 55);
    ASSERT_EQ(25, slider.GetValue());
    Send(EVT_KILLFOCUS, 0);
    EXPECT_EQ(0u, slider.GetButtonState() & CSliderUI::kCaptured);
    Send(EVT_MOUSEMOVE, 105);
    EXPECT_EQ(25, slider.GetValue()) << "no drag without the button";
    EXPECT_EQ(0, notes.Count(L"valuechanged"));
}

TEST_F(SliderTest, WheelStepsWithinTheRangeAndAlwaysNotifies)
{
    slider.SetAttribute(L"step", L"10");
    slider.SetValue(100);
    Send(EVT_SCROLLWHEEL, 50, 10, MAKEWPARAM(0, WHEEL_DELTA));
    EXPECT_EQ(100, slider.GetValue());
    EXPECT_EQ(1, notes.Count(L"valuechanged"));
    Send(EVT_SCROLLWHEEL, 50, 10, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    EXPECT_EQ(90, slider.GetValue());
    EXPECT_EQ(2, notes.Count(L"valuechanged"));
}

TEST_F(SliderTest, RightClickMovesTheValueOnRelease)
{
    Send(EVT_RBUTTONDOWN, 205);
    EXPECT_EQ(0, slider.GetValue());
    Send(EVT_RBUTTONUP, 205);
    EXPECT_EQ(100, slider.GetValue());
    EXPECT_EQ(1, notes.Count(L"valuechanged"));
}

TEST_F(SliderTest, HotOnlyOverTheThumbAndDisabledIgnoresTheMouse)
{
    Send(EVT_MOUSEMOVE, 3);
    EXPECT_NE(0u, slider.GetButtonState() & CSliderUI::kHot);
    Send(EVT_MOUSEMOVE, 100);
    EXPECT_EQ(0u, slider.GetButtonState() & CSliderUI::kHot);
    slider.SetEnabled(false);
    EXPECT_EQ(0u, slider.GetButtonState());
    Send(EVT_BUTTONDOWN, 205);
    Send(EVT_BUTTONUP, 205);
    EXPECT_EQ(0, slider.GetValue());
    EXPECT_EQ(0, notes.Count(L"valuechanged"));
}

TEST_F(SliderTest, AtDoubleScaleClicksStillMapOntoTheScaledTrack)
{
    manager.GetDpiScaler()->SetDPI(192);
    slider.SetPos(RECT{0, 0, 420, 40});
    EXPECT_EQ(0, slider.ValueAtPoint(POINT{10, 20}));
    EXPECT_EQ(50, slider.ValueAtPoint(POINT{210, 20}));
    EXPECT_EQ(100, slider.ValueAtPoint(POINT{410, 20}));
    slider.SetValue(100);
    EXPECT_EQ(420, slider.GetThumbRect().right);
}

TEST_F(SliderTest, HugeRangesMapOntoTheTrackBothWays)
{
    struct Case {
        int min, max, value, thumbOffset, pointOffset, valueAtPoint;
    };
    // 210 pixels with a 10-pixel thumb; offsets run from the minimum's end (left, or bottom when vertical).
    const Case cases[] = {
        {0, 7200000, 3600000, 100, 105, 3600000},
        {INT_MIN, INT_MAX, 0, 100, 105, -1},
        {0, INT_MAX, INT_MAX, 200, 205, INT_MAX},
        {INT_MIN, INT_MAX, INT_MIN, 0, 5, INT_MIN},
    };
    for (const bool vertical : {false, true}) {
        slider.SetAttribute(L"hor", vertical ? L"false" : L"true");
        slider.SetPos(vertical ? RECT{0, 0, 20, 210} : RECT{0, 0, 210, 20});
        for (const Case& c : cases) {
            slider.SetAttribute(L"min", std::to_wstring(c.min).c_str());
            slider.SetAttribute(L"max", std::to_wstring(c.max).c_str());
            slider.SetAttribute(L"value", std::to_wstring(c.value).c_str());
            ASSERT_EQ(c.value, slider.GetValue());
            const RECT thumb = slider.GetThumbRect();
            EXPECT_EQ(c.thumbOffset, vertical ? 210 - thumb.bottom : thumb.left) << c.min << ".." << c.max;
            const POINT pt = vertical ? POINT{10, 210 - c.pointOffset} : POINT{c.pointOffset, 10};
            EXPECT_EQ(c.valueAtPoint, slider.ValueAtPoint(pt)) << c.min << ".." << c.max;
        }
    }
}

TEST(Slider, AValueOutsideItsRangeIsTakenIntoItLikeAProgressBars)
{
    struct Attribute {
        const wchar_t* name;
        const wchar_t* value;
    };
    struct Case {
        const char* what;
        std::vector<Attribute> attributes;
        int min, max, value;  // as the progress bar's painting corrects them
        int thumbOffset;      // from the minimum's end of a 210-pixel slider with a 10-pixel thumb
        int afterWheelUp, afterWheelDown;
    };
    const Case cases[] = {
        {"range narrowed below the value", {{L"value", L"80"}, {L"max", L"50"}}, 0, 50, 50, 200, 50, 49},
        {"minimum raised above the value", {{L"min", L"60"}}, 60, 100, 60, 0, 61, 60},
        {"minimum above the maximum", {{L"min", L"70"}, {L"max", L"30"}}, 70, 71, 70, 0, 71, 70},
        {"empty range", {{L"min", L"50"}, {L"max", L"50"}}, 50, 51, 50, 0, 51, 50},
        {"value before the range in a skin", {{L"value", L"90"}, {L"min", L"-100"}, {L"max", L"50"}},
         -100, 50, 50, 200, 50, 49},
    };
    const WPARAM wheelUp = MAKEWPARAM(0, WHEEL_DELTA);
    const WPARAM wheelDown = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    for (const bool vertical : {false, true}) {
        const RECT item = vertical ? RECT{0, 0, 20, 210} : RECT{0, 0, 210, 20};
        const auto offsetOf = [&](const RECT& thumb) { return vertical ? 210 - thumb.bottom : thumb.left; };
        const auto pointAt = [&](int offset) { return vertical ? POINT{10, 210 - offset} : POINT{offset, 10}; };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (vertical ? " (vertical)" : " (horizontal)"));
            CWindowUIManager manager;
            NoteLog notes;
            manager.AddNotifier(&notes);
            const auto makeSlider = [&](CSliderUI& slider) {
                slider.SetManager(&manager, nullptr, false);
                slider.SetAttribute(L"hor", vertical ? L"false" : L"true");
                slider.SetAttribute(L"thumbcolor", L"#FFFF0000");
                slider.SetPos(item);
                for (const Attribute& attribute : c.attributes) slider.SetAttribute(attribute.name, attribute.value);
            };

            // Before any paint: the thumb stands on the track and a point maps into the range.
            CSliderUI slider;
            makeSlider(slider);
            const RECT thumb = slider.GetThumbRect();
            EXPECT_EQ(c.thumbOffset, offsetOf(thumb));
            EXPECT_TRUE(thumb.left >= item.left && thumb.right <= item.right && thumb.top >= item.top &&
                        thumb.bottom <= item.bottom);
            EXPECT_EQ(c.max, slider.ValueAtPoint(pointAt(205)));
            EXPECT_EQ(c.min, slider.ValueAtPoint(pointAt(5)));

            // The wheel steps from the corrected value and the notification reports a value in the range.
            Send(slider, EVT_SCROLLWHEEL, 100, 10, wheelUp);
            EXPECT_EQ(c.afterWheelUp, slider.GetValue());
            Send(slider, EVT_SCROLLWHEEL, 100, 10, wheelDown);
            EXPECT_EQ(c.afterWheelDown, slider.GetValue());
            EXPECT_EQ(2, notes.Count(L"valuechanged"));

            // A click at the far end reaches the maximum.
            CSliderUI clicked;
            makeSlider(clicked);
            const POINT end = pointAt(208);
            Send(clicked, EVT_BUTTONDOWN, end.x, end.y);
            Send(clicked, EVT_BUTTONUP, end.x, end.y);
            EXPECT_EQ(c.max, clicked.GetValue());

            // Painting stores the corrected range as the progress bar's painting does, and draws the thumb there.
            CSliderUI painted;
            makeSlider(painted);
            Canvas canvas(item.right, item.bottom, 0xFF000000);
            painted.Paint(canvas.dc(), canvas.Bounds(), nullptr);
            EXPECT_EQ(c.min, painted.GetMinValue());
            EXPECT_EQ(c.max, painted.GetMaxValue());
            EXPECT_EQ(c.value, painted.GetValue());
            const POINT middle = pointAt(c.thumbOffset + 5);
            EXPECT_EQ(0xFF0000u, canvas.Rgb(middle.x, middle.y));
        }
    }
}

// The thumb (10 x 10 at 100 %) in its colour and as its image, where a user sees them. The colour fills
// the thumb rectangle in window pixels; the image's place is that rectangle taken back to 100 % and
// scaled again when drawn, so at 150 % it may sit one pixel further where a half pixel rounds up.
TEST(Slider, TheThumbIsDrawnOnItsTrackAtEveryScale)
{
    const BarCase cases[] = {
        // Horizontal: left = l + value * (width - thumb) / max, top = t + (height - thumb) / 2.
        {96, true, {10, 5, 220, 25}, 0, 100, 50, "110,10,120,20", "110,10,120,20"},
        {96, true, {10, 5, 220, 25}, 0, 100, 0, "10,10,20,20", "10,10,20,20"},
        {96, true, {10, 5, 220, 25}, 0, 100, 100, "210,10,220,20", "210,10,220,20"},
        // 150 %: a 15-pixel thumb; its top 7 below the item is 5 at 100 %, drawn at 7.5 -> 8.
        {144, true, {10, 5, 325, 35}, 0, 100, 50, "160,12,175,27", "160,13,175,28"},
        {144, true, {10, 5, 325, 35}, 0, 100, 100, "310,12,325,27", "310,13,325,28"},
        {144, true, {10, 5, 325, 35}, 0, 100, 33, "109,12,124,27", "109,13,124,28"},
        // One pixel along the track is 0.67 -> 1 at 100 %, drawn at 1.5 -> 2.
        {144, true, {10, 5, 325, 35}, 0, 300, 1, "11,12,26,27", "12,13,27,28"},
        {192, true, {10, 5, 430, 45}, 0, 100, 50, "210,15,230,35", "210,15,230,35"},
        {192, true, {10, 5, 430, 45}, 0, 100, 25, "110,15,130,35", "110,15,130,35"},
        // Vertical: bottom = b - (height - thumb) * value / max, left = l + (width - thumb) / 2.
        {96, false, {10, 5, 30, 215}, 0, 100, 50, "15,105,25,115", "15,105,25,115"},
        {96, false, {10, 5, 30, 215}, 0, 100, 0, "15,205,25,215", "15,205,25,215"},
        {96, false, {10, 5, 30, 215}, 0, 100, 100, "15,5,25,15", "15,5,25,15"},
        {144, false, {10, 5, 40, 320}, 0, 100, 50, "17,155,32,170", "18,155,33,170"},
        {192, false, {10, 5, 50, 425}, 0, 100, 75, "20,105,40,125", "20,105,40,125"},
    };
    // Where the thumb stands before any paint is where its colour is drawn.
    ExpectEachBarRowPainted<CSliderUI>(cases, L"thumbcolor", L"thumbimage", 10, 440,
                                       [](CSliderUI& slider, const BarCase& row) {
                                           EXPECT_EQ(row.colour, RectText(slider.GetThumbRect()));
                                       });
}

TEST_F(SliderTest, WheelAtTheEndOfTheIntRangeStaysThere)
{
    slider.SetAttribute(L"min", std::to_wstring(INT_MIN).c_str());
    slider.SetAttribute(L"max", std::to_wstring(INT_MAX).c_str());
    slider.SetValue(INT_MAX);
    Send(EVT_SCROLLWHEEL, 100, 10, MAKEWPARAM(0, WHEEL_DELTA));
    EXPECT_EQ(INT_MAX, slider.GetValue());
    slider.SetValue(INT_MIN);
    Send(EVT_SCROLLWHEEL, 100, 10, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    EXPECT_EQ(INT_MIN, slider.GetValue());
}

TEST(Slider, PaintsTheBandAndTheThumbInItsStateColour)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    CSliderUI slider;
    slider.SetManager(&manager, nullptr, false);
    slider.SetAttribute(L"bkcolor", L"#FF0000FF");
    slider.SetAttribute(L"bkcolorheight", L"4");
    slider.SetAttribute(L"thumbcolor", L"#FFFF0000");
    slider.SetAttribute(L"hotthumbcolor", L"#FF00FF00");
    slider.SetAttribute(L"thumbsize", L"10,20");
    slider.SetPos(RECT{0, 0, 110, 20});
    slider.SetValue(50);
    Canvas canvas(110, 20, 0xFF000000);
    slider.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(10, 9));
    EXPECT_EQ(0u, canvas.Rgb(10, 2));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(55, 2));
    Send(slider, EVT_MOUSEMOVE, 55, 10);
    slider.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(55, 2));
    Send(slider, EVT_MOUSELEAVE, 200, 10);
    slider.SetAttribute(L"focusedthumbcolor", L"#FFFFFF00");
    Send(slider, EVT_SETFOCUS, 0, 0);
    slider.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFFFF00u, canvas.Rgb(55, 2)) << "focused";

    // Upright, the band is a column of its width in the middle: 4 of 20 pixels from 8 to 12.
    slider.SetAttribute(L"hor", L"false");
    slider.SetAttribute(L"bkcolorwidth", L"4");
    Canvas upright(20, 110, 0xFF000000);
    PaintOnto(slider, upright);
    EXPECT_EQ("8,0,12,110", RectText(upright.BoundsOf(0x0000FF)));

    // A band set to nothing paints no background, either way up.
    slider.SetAttribute(L"bkcolorwidth", L"0");
    Canvas bareUpright(20, 110, 0xFF000000);
    slider.Paint(bareUpright.dc(), bareUpright.Bounds(), nullptr);
    EXPECT_EQ(0u, bareUpright.Rgb(10, 100));
    slider.SetAttribute(L"hor", L"true");
    slider.SetAttribute(L"bkcolorheight", L"0");
    Canvas bare(110, 20, 0xFF000000);
    PaintOnto(slider, bare);
    EXPECT_EQ(0u, bare.Rgb(10, 9));
}

TEST(Slider, TheThumbImageFollowsItsState)
{
    SkinZipScope zip;
    TempImageFile plain("thumb-plain.bmp", MakeBmp(10, 10, 0x00FF00));
    TempImageFile hot("thumb-hot.bmp", MakeBmp(10, 10, 0x0000FF));
    CWindowUIManager manager;
    CSliderUI slider;
    slider.SetManager(&manager, nullptr, false);
    slider.SetAttribute(L"thumbimage", (L"file='" + plain.Path() + L"'").c_str());
    slider.SetAttribute(L"thumbhotimage", (L"file='" + hot.Path() + L"'").c_str());
    Canvas canvas(110, 10, 0xFF000000);
    PaintOnto(slider, canvas);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 5)) << "resting";
    Send(slider, EVT_MOUSEMOVE, 5, 5);
    slider.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 5)) << "hot";
}

}  // namespace
