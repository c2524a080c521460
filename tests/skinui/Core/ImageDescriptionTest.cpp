#include "Core/DpiScaler.h"
#include "Core/ImageDrawInfo.h"
#include "SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

ImageDrawInfo Parse(const wchar_t* description, const wchar_t* modify = nullptr)
{
    ImageDrawInfo info;
    ParseImageDescription(info, description, modify);
    return info;
}

bool SameRect(const RECT& rc, int l, int t, int r, int b)
{
    return rc.left == l && rc.top == t && rc.right == r && rc.bottom == b;
}

TEST(ImageDescription, PlainFileNameIsTheWholeDescription)
{
    const ImageDrawInfo info = Parse(L"bk.png");
    EXPECT_EQ(CUIString(L"bk.png"), info.sImageName);
    EXPECT_TRUE(SameRect(info.rcSource, 0, 0, 0, 0));
    EXPECT_EQ(255, info.uFade);
    EXPECT_TRUE(info.bAdaptDpiScale);
}

TEST(ImageDescription, ReadsKeysOfTheDescription)
{
    const ImageDrawInfo info = Parse(
        L"file='bk.png' source='0,0,10,10' corner='2,2,2,2' mask='#FFFF00FF' hole='true' xtiled='TRUE' restype='PNG'");
    EXPECT_EQ(CUIString(L"bk.png"), info.sImageName);
    EXPECT_EQ(CUIString(L"PNG"), info.sResType);
    EXPECT_TRUE(SameRect(info.rcSource, 0, 0, 10, 10));
    EXPECT_TRUE(SameRect(info.rcCorner, 2, 2, 2, 2));
    EXPECT_EQ(0xFFFF00FFu, info.dwMask);
    EXPECT_TRUE(info.bHole);
    EXPECT_TRUE(info.bTiledX);
    EXPECT_FALSE(info.bTiledY);
}

TEST(ImageDescription, ModifyStringOverridesTheDescription)
{
    const ImageDrawInfo info = Parse(L"file='bk.png' dest='1,1,9,9'", L"dest='0,0,5,5'");
    EXPECT_TRUE(SameRect(info.rcDest, 0, 0, 5, 5));
    EXPECT_EQ(CUIString(L"bk.png"), info.sImageName);
}

TEST(ImageDescription, FadeKeepsEightBits)
{
    EXPECT_EQ(128, Parse(L"file='bk.png' fade='128'").uFade);
    EXPECT_EQ(44, Parse(L"file='bk.png' fade='300'").uFade);
}

TEST(ImageDescription, MissingClosingQuoteEndsThePass)
{
    const ImageDrawInfo info = Parse(L"file='a.png' dest='1,2,3,4");
    EXPECT_EQ(CUIString(L"a.png"), info.sImageName);
    EXPECT_TRUE(SameRect(info.rcDest, 0, 0, 0, 0));
}

TEST(ImageDescription, PairsMustBeSeparatedByABlank)
{
    const ImageDrawInfo info = Parse(L"file='a.png',fade='10'");
    EXPECT_EQ(CUIString(L"a.png"), info.sImageName);
    EXPECT_EQ(255, info.uFade);
}

TEST(ImageDescription, UnknownKeysAndEmptyValuesAreIgnored)
{
    const ImageDrawInfo info = Parse(L"file='a.png' colour='red' fade=''");
    EXPECT_EQ(CUIString(L"a.png"), info.sImageName);
    EXPECT_EQ(255, info.uFade);
}

TEST(ImageDescription, AdaptDpiScaleCanBeSwitchedOff)
{
    EXPECT_FALSE(Parse(L"file='a.png' adaptdpiscale='false'").bAdaptDpiScale);
}

TEST(DpiVariantName, InsertsTheScaleBeforeTheLastDot)
{
    CUIString variant;
    ASSERT_TRUE(CDpiScaler::GetDpiVariantName(L"image/btn.png", 150, variant));
    EXPECT_EQ(CUIString(L"image/btn@150.png"), variant);
    ASSERT_TRUE(CDpiScaler::GetDpiVariantName(L"a.b/c.d.png", 200, variant));
    EXPECT_EQ(CUIString(L"a.b/c.d@200.png"), variant);
    EXPECT_FALSE(CDpiScaler::GetDpiVariantName(L"noextension", 150, variant));
}

TEST(DpiVariantName, ChosenOnlyWhenTheSkinHoldsIt)
{
    SkinZipScope zip;
    ASSERT_TRUE(zip.loaded);
    CWindowUIManager manager;
    manager.SetDPI(144);
    const ImageDrawInfo* found = manager.GetImageDrawInfo(L"file='image/quad.png'");
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(CUIString(L"image/quad@150.png"), found->sImageName);
    EXPECT_FALSE(found->bNoDpiVariant);
    const ImageDrawInfo* missing = manager.GetImageDrawInfo(L"image/alpha.png");
    EXPECT_EQ(CUIString(L"image/alpha.png"), missing->sImageName);
    EXPECT_TRUE(missing->bNoDpiVariant);
    const ImageDrawInfo* unscaled = manager.GetImageDrawInfo(L"file='image/quad.png' adaptdpiscale='false'");
    EXPECT_EQ(CUIString(L"image/quad.png"), unscaled->sImageName);
    EXPECT_EQ(nullptr, manager.GetImageDrawInfo(L""));
}

}  // namespace
