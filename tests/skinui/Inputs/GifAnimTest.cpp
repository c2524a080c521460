#include "Control/UIGifAnim.h"
#include "Core/WindowUIManager.h"
#include "../Core/SkinTestData.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <functional>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;

// Waits for a condition set by the timer-queue thread; false after about five seconds.
bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 1000 && !done(); ++i) ::Sleep(5);
    return done();
}

class GifAnimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gif.SetManager(&manager, nullptr, false);
        gif.SetPos(RECT{0, 0, 8, 8});
    }
    void Use(const TempImageFile& file) { gif.SetAttribute(L"image", file.Path().c_str()); }
    DWORD Painted()
    {
        Canvas canvas(8, 8, 0xFF000000);
        gif.Paint(canvas.dc(), canvas.Bounds(), nullptr);
        return canvas.Rgb(4, 4);
    }

    SkinZipScope zip;
    CWindowUIManager manager;
    CGifAnimUI gif;
};

TEST_F(GifAnimTest, AOneFrameImageIsDrawnButNeverPlays)
{
    TempImageFile file("still.gif", MakeGif(4, 4, {kRed, kGreen}, {{0, 10}}));
    Use(file);
    EXPECT_EQ(kRed, Painted());
    EXPECT_TRUE(gif.IsLoaded());
    EXPECT_EQ(1u, gif.GetFrameCount());
    EXPECT_FALSE(gif.IsPlaying());
}

TEST_F(GifAnimTest, EachFrameStaysUpForItsOwnDelay)
{
    TempImageFile file("delays.gif", MakeGif(4, 4, {kRed, kGreen, kBlue}, {{0, 0}, {1, 5}, {2, 30}}));
    gif.SetAttribute(L"autoplay", L"false");
    Use(file);
    gif.InitControl();
    ASSERT_EQ(3u, gif.GetFrameCount());
    EXPECT_EQ(100u, gif.GetFrameDelayMs(0));
    EXPECT_EQ(50u, gif.GetFrameDelayMs(1));
    EXPECT_EQ(300u, gif.GetFrameDelayMs(2));
    EXPECT_EQ(100u, gif.GetFrameDelayMs(3));
    EXPECT_FALSE(gif.IsPlaying());
}

TEST_F(GifAnimTest, FramesWithoutDelaysPlayAtTheDefaultPace)
{
    TempImageFile file("nodelay.gif", MakeGif(4, 4, {kRed, kGreen}, {{0, 0}, {1, 0}}, false));
    gif.SetAttribute(L"autoplay", L"false");
    Use(file);
    gif.InitControl();
    ASSERT_EQ(2u, gif.GetFrameCount());
    EXPECT_EQ(100u, gif.GetFrameDelayMs(0));
    EXPECT_EQ(100u, gif.GetFrameDelayMs(1));
}

TEST_F(GifAnimTest, PlaysThroughItsFramesAndHidingRewinds)
{
    TempImageFile file("play.gif", MakeGif(4, 4, {kRed, kGreen}, {{0, 1}, {1, 1}}));
    Use(file);
    EXPECT_EQ(kRed, Painted());
    ASSERT_TRUE(gif.IsPlaying());
    ASSERT_TRUE(WaitFor([this] { return gif.GetCurrentFrame() == 1; }));
    gif.SetVisible(false);
    EXPECT_FALSE(gif.IsPlaying());
    EXPECT_EQ(0u, gif.GetCurrentFrame());
    gif.SetVisible(true);
    EXPECT_TRUE(gif.IsPlaying());
    ASSERT_TRUE(WaitFor([this] { return gif.GetCurrentFrame() == 1; }));
    gif.SetVisible(false);
    // The frame drawn is the one selected by the previous paint.
    Painted();
    EXPECT_EQ(kRed, Painted());
}

TEST_F(GifAnimTest, ShowsTheSelectedFrame)
{
    TempImageFile file("frames.gif", MakeGif(4, 4, {kRed, kGreen}, {{0, 1}, {1, 1}}));
    Use(file);
    EXPECT_EQ(kRed, Painted());
    ASSERT_TRUE(WaitFor([this] { return gif.GetCurrentFrame() == 1; }));
    gif.StopGif();
    EXPECT_EQ(0u, gif.GetCurrentFrame());
    gif.SetAttribute(L"autoplay", L"false");
    TempImageFile other("second.gif", MakeGif(4, 4, {kBlue, kGreen}, {{1, 1}, {0, 1}}));
    Use(other);
    EXPECT_FALSE(gif.IsLoaded());
    EXPECT_EQ(kGreen, Painted());
}

TEST_F(GifAnimTest, TheSameImageAgainChangesNothing)
{
    TempImageFile file("same.gif", MakeGif(4, 4, {kRed, kGreen}, {{0, 1}, {1, 1}}));
    Use(file);
    Painted();
    ASSERT_TRUE(gif.IsPlaying());
    Use(file);
    EXPECT_TRUE(gif.IsLoaded());
    EXPECT_TRUE(gif.IsPlaying());
}

TEST_F(GifAnimTest, AutosizeTakesTheImageSize)
{
    TempImageFile file("size.gif", MakeGif(6, 3, {kRed}, {{0, 0}}));
    gif.SetAttribute(L"autosize", L"true");
    Use(file);
    gif.InitControl();
    EXPECT_EQ(6, gif.GetFixedWidth());
    EXPECT_EQ(3, gif.GetFixedHeight());
}

TEST_F(GifAnimTest, DeletingAPlayingControlWaitsForItsTimer)
{
    TempImageFile file("delete.gif", MakeGif(4, 4, {kRed, kGreen}, {{0, 1}, {1, 1}}));
    for (int i = 0; i < 20; ++i) {
        auto* playing = new CGifAnimUI();
        playing->SetManager(&manager, nullptr, false);
        playing->SetAttribute(L"image", file.Path().c_str());
        playing->InitControl();
        EXPECT_TRUE(playing->IsPlaying());
        ::Sleep(static_cast<DWORD>(i % 3) * 5);
        delete playing;
    }
}

}  // namespace
