#include "Control/LabelUI.h"
#include "Core/ControlUI.h"
#include "Layout/ContainerUI.h"
#include "SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ControlPaintTest : public ::testing::Test {
protected:
    void SetUp() override { control.SetManager(&manager, nullptr, false); }
    void Place(const RECT& rc) { control.SetPos(rc, false); }

    SkinZipScope zip;
    CWindowUIManager manager;
    CControlUI control;
};

TEST_F(ControlPaintTest, StopControlEndsPaintingBeforeItself)
{
    Canvas canvas(8, 8);
    Place(RECT{0, 0, 8, 8});
    control.SetBkColor(0xFFFF0000);
    EXPECT_FALSE(control.Paint(canvas.dc(), canvas.Bounds(), &control));
    EXPECT_EQ(0u, canvas.Rgb(4, 4));
    EXPECT_TRUE(control.Paint(canvas.dc(), canvas.Bounds(), nullptr));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(4, 4));
}

TEST_F(ControlPaintTest, OpaqueBackgroundFillsOnlyThePaintRect)
{
    Canvas canvas(8, 8);
    Place(RECT{0, 0, 8, 8});
    control.SetBkColor(0xFF00FF00);
    control.Paint(canvas.dc(), RECT{0, 0, 4, 8}, nullptr);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 1));
}

TEST_F(ControlPaintTest, TranslucentBackgroundFillsTheWholeItem)
{
    Canvas canvas(8, 8);
    Place(RECT{0, 0, 8, 8});
    control.SetBkColor(0x8000FF00);
    control.Paint(canvas.dc(), RECT{0, 0, 4, 8}, nullptr);
    EXPECT_NE(0u, canvas.Rgb(6, 1));
}

TEST_F(ControlPaintTest, BorderSidesAreDrawnOnlyWhereSized)
{
    Canvas canvas(10, 10);
    Place(RECT{0, 0, 9, 9});
    control.SetAttribute(L"bordercolor", L"#FFFFFFFF");
    control.SetAttribute(L"bordersize", L"1,0,1,0");
    control.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 5));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(9, 5));
    EXPECT_EQ(0u, canvas.Rgb(5, 0));
}

TEST_F(ControlPaintTest, BackgroundImageComesFromTheSkin)
{
    Canvas canvas(4, 4);
    Place(RECT{0, 0, 4, 4});
    control.SetAttribute(L"bkimage", L"image/quad.png");
    control.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(3, 3));
}

TEST_F(ControlPaintTest, RoundBorderClipsTheCorners)
{
    Canvas canvas(20, 20);
    Place(RECT{0, 0, 20, 20});
    control.SetBkColor(0xFFFFFFFF);
    control.SetAttribute(L"borderround", L"10,10");
    control.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0u, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 10));
    // The clip is gone afterwards.
    CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF0000FF);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(0, 0));
}

TEST_F(ControlPaintTest, RoundLabelKeepsItsBorderOffTheCutCornersWhateverItsText)
{
    for (const wchar_t* html : {L"false", L"true"}) {
        Canvas canvas(24, 24);
        CLabelUI label;
        label.SetManager(&manager, nullptr, false);
        label.SetPos(RECT{0, 0, 20, 20}, false);
        for (const auto& [name, value] : {std::pair{L"borderround", L"10,10"}, {L"bordersize", L"1"},
                                          {L"bordercolor", L"#FFFFFFFF"}, {L"showhtml", html}, {L"text", L"W"}})
            label.SetAttribute(name, value);
        label.Paint(canvas.dc(), canvas.Bounds(), nullptr);
        EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 0)) << html;
        EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 10)) << html;
        for (const POINT corner : {POINT{0, 0}, POINT{1, 0}, POINT{0, 1}, POINT{19, 0}, POINT{0, 19}})
            EXPECT_EQ(0u, canvas.Rgb(corner.x, corner.y)) << html << " " << corner.x << "," << corner.y;
    }
}

// A container reaching past its parent's client area (here into the parent's inset): its children stay
// inside the parent's client area, also those painted after a floating sibling.
TEST_F(ControlPaintTest, ChildrenAfterAFloatingSiblingStayInsideTheOuterClientArea)
{
    auto* outer = new CContainerUI();
    auto* inner = new CContainerUI();
    auto* floating = new CControlUI();
    auto* filler = new CControlUI();
    outer->SetInset(RECT{0, 0, 0, 10});
    floating->SetAttribute(L"float", L"true");
    floating->SetAttribute(L"pos", L"0,0,5,5");
    filler->SetBkColor(0xFFFF0000);
    inner->Add(floating);
    inner->Add(filler);
    outer->Add(inner);
    outer->SetManager(&manager, nullptr, false);
    outer->SetPos(RECT{0, 0, 40, 20}, false);
    inner->SetPos(RECT{0, 0, 40, 40}, false);
    Canvas canvas(40, 40);
    outer->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(20, 5));
    EXPECT_EQ(0u, canvas.Rgb(20, 15));
    delete outer;
}

TEST_F(ControlPaintTest, GradientBackground)
{
    Canvas canvas(4, 32);
    Place(RECT{0, 0, 4, 32});
    control.SetAttribute(L"bkcolor", L"#FFFF0000");
    control.SetAttribute(L"bkcolor2", L"#FF0000FF");
    control.Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_GT((canvas.Rgb(1, 0) >> 16) & 0xFF, 0xE0u);
    EXPECT_GT(canvas.Rgb(1, 31) & 0xFF, 0xE0u);
}

}  // namespace
