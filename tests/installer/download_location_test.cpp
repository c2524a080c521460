#include "DownloadLocation.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadLocation, FrontChannelAsksForTheDefaultSetup)
{
    const DownloadLocation numbered = BuildDownloadLocation(L"http://dl.example/", L"front", 3);
    EXPECT_EQ(numbered.url, L"http://dl.example/?f=aide");
    EXPECT_EQ(numbered.fileName, L"VexaGameFull_front-3_newest");
    EXPECT_EQ(BuildDownloadLocation(L"http://dl.example/", L"front", 0).fileName, L"VexaGameFull_front_newest");
    // Only the exact name is the default channel.
    EXPECT_EQ(BuildDownloadLocation(L"http://dl.example/", L"Front", 0).url, L"http://dl.example/?f=Front_aide");
}

TEST(DownloadLocation, OtherChannelsNameTheirSetup)
{
    const DownloadLocation plain = BuildDownloadLocation(L"http://dl.example/", L"abc", 0);
    EXPECT_EQ(plain.url, L"http://dl.example/?f=abc_aide");
    EXPECT_EQ(plain.fileName, L"VexaGameFull_abc_newest");
    EXPECT_EQ(BuildDownloadLocation(L"http://dl.example/", L"abc", -2).fileName, L"VexaGameFull_abc_newest");
    EXPECT_EQ(BuildDownloadLocation(L"http://dl.example/", L"abc", 12).fileName, L"VexaGameFull_abc-12_newest");
    EXPECT_EQ(BuildDownloadLocation(L"http://dl.example/", L"", 0).url, L"http://dl.example/?f=_aide");
}

TEST(DownloadPercent, TruncatesAndReachesHundredOnlyWhenComplete)
{
    EXPECT_EQ(DownloadPercent(1000, 999), 99);
    EXPECT_EQ(DownloadPercent(1000, 1000), 100);
    EXPECT_EQ(DownloadPercent(3, 1), 33);
    EXPECT_EQ(DownloadPercent(int64_t(1) << 40, (int64_t(1) << 40) - 1), 99);
    EXPECT_EQ(DownloadPercent(0, 10), -1);
    EXPECT_EQ(DownloadPercent(1000, 0), -1);
    EXPECT_EQ(DownloadPercent(-1, 5), -1);
}

} // namespace
