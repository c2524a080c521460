#include "SkinTestData.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ManagerResourcesTest : public ::testing::Test {
protected:
    void TearDown() override { CWindowUIManager::Term(); }
};

TEST_F(ManagerResourcesTest, AddingAFontIdAgainReplacesAndDeletesTheFirst)
{
    CWindowUIManager manager;
    HFONT first = manager.AddFont(1, L"Arial", 12, false, false, false);
    ASSERT_NE(nullptr, first);
    HFONT second = manager.AddFont(1, L"Arial", 20, true, false, false);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0u, ::GetObjectType(first));
    EXPECT_EQ(second, manager.GetFont(1));
    const FontInfo* info = manager.GetFontInfo(1);
    EXPECT_EQ(20, info->iSize);
    EXPECT_TRUE(info->bBold);
    EXPECT_EQ(second, manager.GetFont(L"Arial", 20, true, false, false));
    EXPECT_EQ(nullptr, manager.GetFont(L"Arial", 12, false, false, false));
}

TEST_F(ManagerResourcesTest, UnknownFontIdGivesTheDefaultFont)
{
    CWindowUIManager manager;
    HFONT fallback = manager.GetFont(7);
    ASSERT_NE(nullptr, fallback);
    EXPECT_EQ(fallback, manager.GetFont(-1));
    EXPECT_EQ(fallback, manager.GetDefaultFontInfo()->hFont);
}

TEST_F(ManagerResourcesTest, FontsScaleWithTheWindowDpi)
{
    CWindowUIManager manager;
    manager.GetDpiScaler()->SetDPI(192);
    HFONT font = manager.AddFont(2, L"Arial", 12, false, false, false);
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    EXPECT_EQ(-24, lf.lfHeight);
    EXPECT_EQ(12, manager.GetFontInfo(2)->iSize);
}

TEST_F(ManagerResourcesTest, ADpiChangeRescalesFontsAndKeepsTheirWeight)
{
    const auto weightAndHeight = [](HFONT font) {
        LOGFONTW lf = {};
        ::GetObjectW(font, sizeof(lf), &lf);
        return std::make_pair(lf.lfWeight, lf.lfHeight);
    };
    CWindowUIManager manager;
    manager.AddFont(1, L"Arial", 12, true, false, false);
    manager.AddFont(2, L"Arial", 12, false, false, false);
    manager.AddFont(3, L"Arial", 12, true, false, false, true);
    manager.SetDefaultFont(L"Arial", 12, true, false, false, false);
    const LONG defaultBold = weightAndHeight(manager.GetDefaultFontInfo()->hFont).first;
    manager.SetDPI(144);
    EXPECT_EQ(std::make_pair(LONG(700), LONG(-18)), weightAndHeight(manager.GetFont(1)));
    EXPECT_EQ(std::make_pair(LONG(FW_NORMAL), LONG(-18)), weightAndHeight(manager.GetFont(2)));
    EXPECT_EQ(std::make_pair(LONG(700), LONG(-18)), weightAndHeight(manager.GetFont(3)));
    EXPECT_EQ(std::make_pair(defaultBold, LONG(-18)), weightAndHeight(manager.GetDefaultFontInfo()->hFont));
}

TEST_F(ManagerResourcesTest, SharedFontsAreFoundFromEveryWindowAndOwnOnesWin)
{
    CWindowUIManager first;
    CWindowUIManager second;
    HFONT shared = first.AddFont(3, L"Arial", 10, false, false, false, true);
    EXPECT_EQ(shared, second.GetFont(3));
    HFONT own = second.AddFont(3, L"Arial", 11, false, false, false);
    EXPECT_EQ(own, second.GetFont(3));
    EXPECT_EQ(shared, first.GetFont(3));
    // A window at 200 % draws the shared font and the shared default font at its size; its DPI change
    // resizes neither for the others, and it makes one copy of each, freed with the shared font.
    const auto height = [](HFONT font) {
        LOGFONTW lf = {};
        ::GetObjectW(font, sizeof(lf), &lf);
        return lf.lfHeight;
    };
    const LONG plain = height(first.GetFont(-1));
    CWindowUIManager large;
    large.SetDPI(192);
    const std::pair<int, LONG> sharedFonts[] = {{3, -10}, {-1, plain}};
    for (const auto& [id, at100] : sharedFonts) {
        EXPECT_EQ(at100, height(first.GetFont(id))) << id;
        EXPECT_EQ(2 * at100, height(large.GetFont(id))) << id;
        EXPECT_EQ(large.GetFont(id), large.GetFont(id)) << id;
    }
    EXPECT_EQ(-11, height(second.GetFont(3)));
    HFONT copy = large.GetFont(3);
    first.AddFont(3, L"Arial", 12, false, false, false, true);
    EXPECT_EQ(0u, ::GetObjectType(copy));
    EXPECT_EQ(-24, height(large.GetFont(3)));
    copy = large.GetFont(3);
    EXPECT_EQ(copy, large.GetFontInfo(copy)->hFont);
    // Markup's styled lookup matches a shared font only at the asking window's size.
    CWindowUIManager larger;
    larger.SetDPI(192);
    EXPECT_EQ(-24, height(larger.GetStyledFont(L"Arial", 12, false, false, false)));
    EXPECT_EQ(-12, height(first.GetStyledFont(L"Arial", 12, false, false, false)));
    first.RemoveAllFonts(true);
    EXPECT_EQ(0u, ::GetObjectType(copy));
    EXPECT_EQ(large.GetFont(-1), large.GetFont(3));
}

TEST_F(ManagerResourcesTest, WindowColoursFollowSharedChangesUntilSetThemselves)
{
    CWindowUIManager manager;
    EXPECT_EQ(0xFF000000u, manager.GetDefaultFontColor());
    EXPECT_EQ(0xFFA7A6AAu, manager.GetDefaultDisabledColor());
    manager.SetDefaultFontColor(0xFF112233, true);
    EXPECT_EQ(0xFF112233u, manager.GetDefaultFontColor());
    manager.SetDefaultLinkFontColor(0xFF445566);
    manager.SetDefaultLinkFontColor(0xFF778899, true);
    EXPECT_EQ(0xFF445566u, manager.GetDefaultLinkFontColor());
    CWindowUIManager later;
    EXPECT_EQ(0xFF112233u, later.GetDefaultFontColor());
    EXPECT_EQ(0xFF778899u, later.GetDefaultLinkFontColor());
    manager.SetDefaultFontColor(0xFF000000, true);
    manager.SetDefaultLinkFontColor(0xFF0000FF, true);
}

TEST_F(ManagerResourcesTest, DefaultAttributeListsAndStylesFallBackToShared)
{
    CWindowUIManager manager;
    EXPECT_EQ(nullptr, manager.GetDefaultAttributeList(L"Button"));
    manager.SetDefaultAttributeList(L"Button", L"width=\"10\"", true);
    EXPECT_STREQ(L"width=\"10\"", manager.GetDefaultAttributeList(L"Button"));
    manager.SetDefaultAttributeList(L"Button", L"width=\"20\"");
    EXPECT_STREQ(L"width=\"20\"", manager.GetDefaultAttributeList(L"Button"));
    manager.AddStyle(L"red", L"bkcolor=\"#FFFF0000\"");
    EXPECT_STREQ(L"bkcolor=\"#FFFF0000\"", manager.GetStyle(L"red"));
    EXPECT_EQ(nullptr, manager.GetStyle(L"blue"));
    manager.RemoveAllStyles();
    EXPECT_EQ(nullptr, manager.GetStyle(L"red"));
}

// The face a font of that name really gets, and the width of `text` in it at that pixel height.
struct FaceUsed {
    std::wstring face;
    int width = 0;
};

FaceUsed FaceFor(const wchar_t* name, int pixels, const wchar_t* text)
{
    HFONT font = ::CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, name);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(font);
    return FaceUsed{face, extent.cx};
}

TEST_F(ManagerResourcesTest, FontFileFromTheSkinIsRegistered)
{
    // The skin's probe font draws each capital as a box two em wide; no system has it. (Wine remembers
    // which face answered a font description, so the look-up before and the one after differ in size.)
    SkinZipScope zip;
    ASSERT_TRUE(zip.loaded);
    ASSERT_NE(L"Tolvan Probe", FaceFor(L"Tolvan Probe", 19, L"AAAA").face) << "the probe font is installed";
    CWindowUIManager manager;
    EXPECT_TRUE(manager.AddFontFile(L"fonts\\probe.ttf"));  // skin names may use either separator
    const FaceUsed used = FaceFor(L"Tolvan Probe", 20, L"AAAA");
    EXPECT_EQ(L"Tolvan Probe", used.face);
    EXPECT_EQ(4 * 2 * 20, used.width);
    EXPECT_FALSE(manager.AddFontFile(L"fonts/none.ttf"));
}

TEST_F(ManagerResourcesTest, ControlCreatorsAreListedOnce)
{
    const auto creator = [](const wchar_t*) -> CControlUI* { return nullptr; };
    const int before = CWindowUIManager::GetControlCreators()->GetSize();
    EXPECT_TRUE(CWindowUIManager::AddControlCreator(creator));
    EXPECT_FALSE(CWindowUIManager::AddControlCreator(creator));
    EXPECT_EQ(before + 1, CWindowUIManager::GetControlCreators()->GetSize());
}

TEST_F(ManagerResourcesTest, ResourceZipFromAnUnknownResourceChangesNothing)
{
    CWindowUIManager::SetInstance(::GetModuleHandleW(nullptr));
    CWindowUIManager::SetResourceZip(102, L"ZIPRES");
    EXPECT_TRUE(CWindowUIManager::GetResourceZipName().IsEmpty());
    EXPECT_EQ(nullptr, CWindowUIManager::GetResourceZipHandle());
}

}  // namespace
