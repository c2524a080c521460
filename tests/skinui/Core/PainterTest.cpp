#include "SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

TEST(AdjustColor, IdentityAndKnownBandEdges)
{
    EXPECT_EQ(0x80123456u, CPainter::AdjustColor(0x80123456, 180, 100, 100));
    EXPECT_EQ(0xFF00FFFEu, CPainter::AdjustColor(0xFFFF0000, 0, 100, 100));
    EXPECT_EQ(0xFF7F7F7Fu, CPainter::AdjustColor(0xFFFF0000, 180, 0, 100));
}

TEST(AdjustColor, MakeColorNonBlack)
{
    DWORD color = 0xFF000000;
    CPainter::MakeColorNonBlack(color);
    EXPECT_EQ(0xFF000001u, color);
    color = 0xFF000100;
    CPainter::MakeColorNonBlack(color);
    EXPECT_EQ(0xFF000100u, color);
}

class PainterTest : public ::testing::Test {
protected:
    SkinZipScope zip;
    CWindowUIManager manager;
};

TEST_F(PainterTest, FillColorBlendsByAlphaAndSkipsTransparent)
{
    Canvas canvas(8, 8, 0xFF000000);
    CPainter::FillColor(canvas.dc(), RECT{0, 0, 4, 8}, 0xFFFF0000);
    CPainter::FillColor(canvas.dc(), RECT{4, 0, 8, 8}, 0x00FFFFFF);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
}

TEST_F(PainterTest, GradientOfTransparentColoursDrawsNothing)
{
    Canvas canvas(16, 16, 0xFF102030);
    CPainter::DrawGradient(canvas.dc(), canvas.Bounds(), 0x00FF0000, 0x000000FF, true, 16);
    EXPECT_EQ(0x102030u, canvas.Rgb(8, 8));
}

TEST_F(PainterTest, OpaqueVerticalGradientRunsFromFirstToSecond)
{
    Canvas canvas(4, 64, 0xFF000000);
    CPainter::DrawGradient(canvas.dc(), canvas.Bounds(), 0xFFFF0000, 0xFF0000FF, true, 64);
    const DWORD top = canvas.Rgb(1, 0);
    const DWORD bottom = canvas.Rgb(1, 63);
    EXPECT_GT((top >> 16) & 0xFF, 0xF0u);
    EXPECT_LT(top & 0xFF, 0x10u);
    EXPECT_GT(bottom & 0xFF, 0xF0u);
    EXPECT_LT((bottom >> 16) & 0xFF, 0x10u);
}

TEST_F(PainterTest, SameSizeImageIsCopiedPixelForPixel)
{
    Canvas canvas(8, 8, 0xFF000000);
    const RECT item = {2, 2, 6, 6};
    ASSERT_TRUE(CPainter::DrawImageString(canvas.dc(), &manager, item, canvas.Bounds(), L"image/quad.png"));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(2, 2));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 2));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(2, 5));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(5, 5));
    EXPECT_EQ(0u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
}

TEST_F(PainterTest, DrawingIsLimitedToThePaintRect)
{
    Canvas canvas(8, 8, 0xFF000000);
    const RECT item = {2, 2, 6, 6};
    CPainter::DrawImageString(canvas.dc(), &manager, item, RECT{0, 0, 4, 4}, L"image/quad.png");
    EXPECT_EQ(0xFF0000u, canvas.Rgb(3, 3));
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
}

TEST_F(PainterTest, NineGridWithHoleLeavesTheCentre)
{
    Canvas canvas(12, 12, 0xFF000000);
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(),
                              L"file='image/quad.png' corner='1,1,1,1' hole='true'");
    EXPECT_EQ(0xFF0000u, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(11, 11));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
}

TEST_F(PainterTest, DestAndSourceCutTheImage)
{
    Canvas canvas(10, 10, 0xFF000000);
    // The green top-right quarter, stretched into a 4 x 4 square at (5, 5).
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(),
                              L"file='image/quad.png' source='2,0,4,2' dest='5,5,9,9'");
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 5));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(8, 8));
    EXPECT_EQ(0u, canvas.Rgb(4, 4));
    EXPECT_EQ(0u, canvas.Rgb(9, 9));
}

TEST_F(PainterTest, TranslucentImageBlendsOverTheBackground)
{
    Canvas canvas(2, 1, 0xFF000000);
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(), L"image/alpha.png");
    EXPECT_EQ(0x643219u, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(1, 0));
}

TEST_F(PainterTest, FadeHalvesTheImage)
{
    Canvas canvas(4, 4, 0xFF000000);
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(),
                              L"file='image/quad.png' fade='128'");
    const DWORD red = (canvas.Rgb(0, 0) >> 16) & 0xFF;
    EXPECT_NEAR(128, static_cast<int>(red), 2);
}

TEST_F(PainterTest, MissingImageReportsFailure)
{
    Canvas canvas(4, 4);
    EXPECT_FALSE(CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(), L"nothing.png"));
    EXPECT_FALSE(CPainter::DrawImageString(canvas.dc(), nullptr, canvas.Bounds(), canvas.Bounds(), L"image/quad.png"));
}

TEST_F(PainterTest, ClipRegionLimitsDrawingUntilItGoes)
{
    Canvas canvas(8, 8, 0xFF000000);
    {
        CClipRegion clip;
        CClipRegion::ClipToRect(canvas.dc(), RECT{0, 0, 4, 4}, clip);
        CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF00FF00);
    }
    EXPECT_EQ(0x00FF00u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
    CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF0000FF);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(6, 6));
}

TEST_F(PainterTest, PlainTextDrawsAnEntityAsOneCharacter)
{
    Canvas canvas(64, 32, 0xFFFFFFFF);
    RECT measured = {0, 0, 64, 32};
    CPainter::DrawText(canvas.dc(), &manager, measured, L"&#x4E2D;", 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    RECT single = {0, 0, 64, 32};
    const wchar_t ch[] = {0x4E2D, 0};
    CPainter::DrawText(canvas.dc(), &manager, single, ch, 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(single.right, measured.right);
    RECT box = canvas.Bounds();
    CPainter::DrawText(canvas.dc(), &manager, box, L"W", 0xFF000000, -1, DT_SINGLELINE);
    bool inked = false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) inked |= canvas.Rgb(x, y) != 0xFFFFFFu;
    EXPECT_TRUE(inked);
}

}  // namespace
