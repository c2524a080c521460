#include "SplitString.h"

#include <gtest/gtest.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(SplitStringTest, KeepsOrDropsEmptyPieces)
{
    EXPECT_EQ(SplitString("a--b", "-", true), (Pieces{"a", "", "b"}));
    EXPECT_EQ(SplitString("a--b", "-", false), (Pieces{"a", "b"}));
    EXPECT_EQ(SplitString("-a-", "-", true), (Pieces{"", "a", ""}));
    EXPECT_EQ(SplitString("-a-", "-", false), (Pieces{"a"}));
    EXPECT_EQ(SplitString("", "-", true), (Pieces{""}));
    EXPECT_EQ(SplitString("", "-", false), Pieces{});
}

TEST(SplitStringTest, SplitsMacAddressText)
{
    EXPECT_EQ(SplitString("01-02-03-04-05-06", "-", true), (Pieces{"01", "02", "03", "04", "05", "06"}));
}

TEST(SplitStringTest, SearchesMultiUnitDelimitersAfterThePreviousOne)
{
    EXPECT_EQ(SplitString("a::b:::c", "::", true), (Pieces{"a", "b", ":c"}));
    EXPECT_EQ(SplitString("abc", "", true), (Pieces{"abc"}));
}

} // namespace
