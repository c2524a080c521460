#include "StringConvert.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

const std::wstring kTitle = L"Tolvan\u6E38\u620F-\u5728\u7EBF\u5B89\u88C5";
const std::string kTitleUtf8 =
    "Tolvan\xE6\xB8\xB8\xE6\x88\x8F-\xE5\x9C\xA8\xE7\xBA\xBF\xE5\xAE\x89\xE8\xA3\x85";
const std::wstring kReplacement = L"\uFFFD";

TEST(StringConvertTest, EmptyStaysEmpty)
{
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(Utf8ToWide(""), L"");
}

TEST(StringConvertTest, ConvertsAsciiAndChineseBothWays)
{
    EXPECT_EQ(WideToUtf8(L"D:\\Games\\"), "D:\\Games\\");
    EXPECT_EQ(WideToUtf8(kTitle), kTitleUtf8);
    EXPECT_EQ(Utf8ToWide(kTitleUtf8), kTitle);
}

TEST(StringConvertTest, ConvertsCharactersOutsideTheBasicPlane)
{
    const std::string utf8 = "a\xF0\x9F\x98\x80z";  // U+1F600 between two letters
    const std::wstring wide = Utf8ToWide(utf8);
#ifdef _WIN32
    EXPECT_EQ(wide, L"a\xD83D\xDE00z");
#else
    EXPECT_EQ(wide, L"a\U0001F600z");
#endif
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(StringConvertTest, KeepsEmbeddedZeroUnits)
{
    EXPECT_EQ(WideToUtf8(L"a\0b"s), "a\0b"s);
    EXPECT_EQ(Utf8ToWide("a\0b"s), L"a\0b"s);
}

TEST(StringConvertTest, ReplacesIllFormedUtf8AndResynchronises)
{
    EXPECT_EQ(Utf8ToWide("\xFF"), kReplacement);
    EXPECT_EQ(Utf8ToWide("x\x80y"), L"x" + kReplacement + L"y");
    // A character cut short costs one replacement; the next character still decodes.
    EXPECT_EQ(Utf8ToWide("\xE6\xB8" "A"), kReplacement + L"A");
    EXPECT_EQ(Utf8ToWide("ok\xE6\xB8"), L"ok" + kReplacement);
}

// How many replacements a forbidden form costs differs between systems; it must never decode.
TEST(StringConvertTest, NeverDecodesOverlongFormsSurrogatesOrCodePointsAboveTheLast)
{
    for (const char* forbidden : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        const std::wstring wide = Utf8ToWide(forbidden);
        ASSERT_FALSE(wide.empty()) << forbidden;
        EXPECT_EQ(wide.find_first_not_of(kReplacement), std::wstring::npos) << forbidden;
    }
}

TEST(StringConvertTest, ReplacesUnpairedSurrogates)
{
    const std::string replacementUtf8 = "\xEF\xBF\xBD";
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a"), replacementUtf8 + "a");
    EXPECT_EQ(WideToUtf8(L"a" + std::wstring(1, static_cast<wchar_t>(0xDC00))), "a" + replacementUtf8);
}

} // namespace
