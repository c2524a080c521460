#include "Core/ShadowUI.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace {

DWORD AlphaAt(const std::vector<DWORD>& pixels, int width, int x, int y)
{
    return pixels[static_cast<size_t>(y) * width + x] >> 24;
}

TEST(ShadowSettings, OutOfRangeValuesAreRefusedAndChangeNothing)
{
    CShadowUI shadow;
    EXPECT_FALSE(shadow.SetSize(36));
    EXPECT_FALSE(shadow.SetSize(-36));
    EXPECT_FALSE(shadow.SetSharpness(36));
    EXPECT_FALSE(shadow.SetDarkness(256));
    EXPECT_FALSE(shadow.SetPosition(0, -36));
    EXPECT_FALSE(shadow.SetShadowCorner(RECT{-1, 0, 0, 0}));
    EXPECT_FALSE(shadow.SetImage(nullptr));
    EXPECT_EQ(0, shadow.GetLook().size);
    EXPECT_EQ(5, shadow.GetLook().sharpness);
    EXPECT_EQ(150, shadow.GetLook().darkness);
    EXPECT_TRUE(shadow.SetSize(-35));
    EXPECT_TRUE(shadow.SetPosition(35, -35));
}

TEST(ShadowSettings, CopyCarriesTheLookAndTheShowFlag)
{
    CShadowUI source;
    source.SetSize(6);
    source.SetSharpness(3);
    source.SetDarkness(90);
    source.SetColor(RGB(1, 2, 3));
    source.SetPosition(2, 3);
    source.ShowShadow(true);
    CShadowUI target;
    EXPECT_TRUE(source.CopyShadow(&target));
    EXPECT_EQ(6, target.GetLook().size);
    EXPECT_EQ(3, target.GetLook().sharpness);
    EXPECT_EQ(90, target.GetLook().darkness);
    EXPECT_EQ(0x010203u, target.GetLook().color);
    EXPECT_EQ(3, target.GetLook().offsetY);
    EXPECT_TRUE(target.IsShowShadow());
}

TEST(ShadowRender, RectangleShadowFadesOutwardAndLeavesTheWindowArea)
{
    const int width = 40, height = 30;
    std::vector<ShadowSpan> spans(height, ShadowSpan{0, width});
    ShadowLook look;
    look.size = 4;
    look.sharpness = 5;
    look.darkness = 150;
    std::vector<DWORD> pixels;
    RenderShadow(pixels, width, height, spans, look);
    const int shadowWidth = width + 8;
    ASSERT_EQ(static_cast<size_t>(shadowWidth * (height + 8)), pixels.size());
    // Nothing under the window itself.
    EXPECT_EQ(0u, AlphaAt(pixels, shadowWidth, 24, 19));
    // Outside the window the shadow gets lighter farther out.
    const DWORD inner = AlphaAt(pixels, shadowWidth, 3, 19);
    const DWORD outer = AlphaAt(pixels, shadowWidth, 0, 19);
    EXPECT_GT(inner, 0u);
    EXPECT_GE(inner, outer);
    EXPECT_LE(inner, 150u);
}

TEST(ShadowRender, ColourIsPremultiplied)
{
    std::vector<ShadowSpan> spans(20, ShadowSpan{0, 20});
    ShadowLook look;
    look.size = 3;
    look.sharpness = 1;
    look.darkness = 255;
    look.color = 0x00FF0000;
    std::vector<DWORD> pixels;
    RenderShadow(pixels, 20, 20, spans, look);
    for (DWORD pixel : pixels) {
        const DWORD alpha = pixel >> 24;
        EXPECT_LE((pixel >> 16) & 0xFF, alpha);
        EXPECT_EQ(0u, pixel & 0xFFFF);
    }
}

}  // namespace
