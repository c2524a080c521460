#include "Utils/UIString.h"

#include <gtest/gtest.h>

#include <string>

using SkinUI::CUIString;

namespace {
std::wstring Repeat(wchar_t ch, int count) { return std::wstring(static_cast<size_t>(count), ch); }
}

TEST(UIStringStorage, KeepsTextsBelowSixtyThreeInTheLocalBuffer)
{
    CUIString s62(Repeat(L'a', 62).c_str());
    CUIString s63(Repeat(L'b', 63).c_str());
    CUIString s64(Repeat(L'c', 64).c_str());
    EXPECT_FALSE(s62.IsOnHeap());
    EXPECT_TRUE(s63.IsOnHeap());
    EXPECT_TRUE(s64.IsOnHeap());
    EXPECT_EQ(62, s62.GetLength());
    EXPECT_EQ(63, s63.GetLength());
    EXPECT_EQ(Repeat(L'c', 64), s64.GetData());

    s62 += L'x';
    EXPECT_TRUE(s62.IsOnHeap());
    EXPECT_EQ(Repeat(L'a', 62) + L'x', s62.GetData());
}

TEST(UIStringStorage, ReusesAHeapBlockForShorterTextsAndFreesItForShortOnes)
{
    CUIString s(Repeat(L'a', 100).c_str());
    const wchar_t* block = s.GetData();
    s = Repeat(L'b', 70).c_str();
    EXPECT_EQ(block, s.GetData());
    EXPECT_EQ(Repeat(L'b', 70), s.GetData());
    s = Repeat(L'c', 120).c_str();
    EXPECT_EQ(Repeat(L'c', 120), s.GetData());
    s = L"short text";
    EXPECT_FALSE(s.IsOnHeap());
    EXPECT_EQ(std::wstring(L"short text"), s.GetData());
}

TEST(UIStringAliasing, AssignsAndAppendsFromItsOwnBuffer)
{
    for (int length : {10, 62, 63, 100}) {
        const std::wstring text = Repeat(L'q', length - 3) + L"xyz";
        CUIString s(text.c_str());
        s += s;
        EXPECT_EQ(text + text, s.GetData()) << length;

        CUIString t(text.c_str());
        t = t.GetData() + 3;
        EXPECT_EQ(text.substr(3), t.GetData()) << length;

        CUIString u(text.c_str());
        u += u.GetData() + length - 3;
        EXPECT_EQ(text + L"xyz", u.GetData()) << length;

        CUIString v(text.c_str());
        v = v;
        EXPECT_EQ(text, v.GetData());
    }
}

TEST(UIStringBounds, NeverReadsOutsideTheText)
{
    CUIString s(L"abcdef");
    EXPECT_EQ(L'a', s.GetAt(0));
    EXPECT_EQ(L'f', s.GetAt(5));
    EXPECT_EQ(L'\0', s.GetAt(6));
    EXPECT_EQ(L'\0', s.GetAt(1000));
    EXPECT_EQ(L'\0', s.GetAt(-1));

    EXPECT_EQ(CUIString(L"cdef"), s.Mid(2, -1));
    EXPECT_EQ(CUIString(L"ef"), s.Mid(4, 10));
    EXPECT_TRUE(s.Mid(6, 2).IsEmpty());
    EXPECT_TRUE(s.Mid(100, 2).IsEmpty());
    EXPECT_EQ(CUIString(L"ab"), s.Mid(-5, 2));
    EXPECT_TRUE(s.Left(-3).IsEmpty());
    EXPECT_EQ(CUIString(L"abcdef"), s.Left(100));
    EXPECT_EQ(CUIString(L"def"), s.Right(3));
    EXPECT_EQ(CUIString(L"abcdef"), s.Right(100));
    EXPECT_TRUE(s.Right(-2).IsEmpty());

    // The length-taking constructor stops at the terminator.
    const wchar_t shortText[] = L"ab";
    EXPECT_EQ(CUIString(L"ab"), CUIString(shortText, 50));
    EXPECT_EQ(CUIString(L"a"), CUIString(shortText, 1));
    EXPECT_TRUE(CUIString(nullptr, 5).IsEmpty());
}

TEST(UIStringSearch, HandlesStartsAtAndBeyondTheEnd)
{
    CUIString s(L"abcabc");
    EXPECT_EQ(3, s.Find(L"abc", 1));
    EXPECT_EQ(-1, s.Find(L"abc", 6));
    EXPECT_EQ(-1, s.Find(L"abc", 7));
    EXPECT_EQ(-1, s.Find(L"abc", -1));
    EXPECT_EQ(2, s.Find(L'c'));
    EXPECT_EQ(-1, s.Find(L'c', 6));
    EXPECT_EQ(-1, s.Find(L'c', -2));
    EXPECT_EQ(5, s.ReverseFind(L'c'));
    EXPECT_EQ(-1, s.ReverseFind(L'z'));
}

TEST(UIStringReplace, ReplacesLeftToRightWithoutRescanningInsertedText)
{
    CUIString s(L"aaa");
    EXPECT_EQ(3, s.Replace(L"a", L"aa"));
    EXPECT_EQ(CUIString(L"aaaaaa"), s);

    CUIString t(L"x{\\n}y{\\n}");
    EXPECT_EQ(2, t.Replace(L"{\\n}", L"\n"));
    EXPECT_EQ(CUIString(L"x\ny\n"), t);

    CUIString u(L"abc");
    EXPECT_EQ(0, u.Replace(L"", L"zz"));
    EXPECT_EQ(0, u.Replace(nullptr, L"zz"));
    EXPECT_EQ(0, u.Replace(L"q", L"zz"));
    EXPECT_EQ(CUIString(L"abc"), u);
    EXPECT_EQ(1, u.Replace(L"b", nullptr));
    EXPECT_EQ(CUIString(L"ac"), u);
}

TEST(UIStringFormat, FormatsWithoutAFixedLimit)
{
    CUIString s;
    EXPECT_EQ(9, s.Format(L"%d-%ls", 1234, L"wide"));
    EXPECT_EQ(CUIString(L"1234-wide"), s);
    EXPECT_EQ(6, s.Format(L"%s", "narrow"));
    EXPECT_EQ(CUIString(L"narrow"), s);

    const std::wstring longText = Repeat(L'z', 5000);
    EXPECT_EQ(5002, s.Format(L"<%ls>", longText.c_str()));
    EXPECT_EQ(L'<' + longText + L'>', s.GetData());

    // Formatting from the string's own text.
    CUIString t(L"self");
    t.Format(L"%ls+%ls", t.GetData(), t.GetData());
    EXPECT_EQ(CUIString(L"self+self"), t);

    EXPECT_EQ(-1, t.Format(nullptr));
    EXPECT_EQ(CUIString(L"self+self"), t);
}

TEST(UIStringCompare, ComparesByCodeUnitsAndIgnoringCase)
{
    CUIString s(L"Button");
    EXPECT_TRUE(s == L"Button");
    EXPECT_TRUE(s != L"button");
    EXPECT_EQ(0, s.CompareNoCase(L"BUTTON"));
    EXPECT_LT(CUIString(L"ab").Compare(L"abc"), 0);
    EXPECT_LT(CUIString(L"Z").Compare(L"a"), 0);
    EXPECT_LT(CUIString(L"a").Compare(L"\xFF21"), 0);
    EXPECT_TRUE(CUIString() == nullptr);
    s.MakeLower();
    EXPECT_EQ(CUIString(L"button"), s);
    CUIString sum = CUIString(L"a") + L"b" + CUIString(L"c");
    EXPECT_EQ(CUIString(L"abc"), sum);
    sum += static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(CUIString(L"abc"), sum);
    sum.Empty();
    EXPECT_TRUE(sum.IsEmpty());
}
