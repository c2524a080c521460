#include "SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class MarkupTextTest : public ::testing::Test {
protected:
    void SetUp() override { manager.AddFont(0, L"Arial", 16, false, false, false); }

    RECT Measure(const wchar_t* text, UINT style = DT_SINGLELINE, int right = 9999)
    {
        RECT rc = {0, 0, right, 500};
        int links = 0;
        CPainter::DrawHtmlText(canvas.dc(), &manager, rc, text, 0xFF000000, nullptr, nullptr, links, 0,
                               style | DT_CALCRECT);
        return rc;
    }
    int Width(const wchar_t* text) { return Measure(text).right; }
    // Left and right ends of the ink in a row band.
    std::pair<int, int> InkSpan()
    {
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 40; ++y)
                if (canvas.Rgb(x, y) != 0xFFFFFFu) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }

    CWindowUIManager manager;
    Canvas canvas{200, 40, 0xFFFFFFFF};
};

TEST_F(MarkupTextTest, BoldRunIsWiderAndTheFontIsRestoredAfterIt)
{
    EXPECT_GT(Width(L"<b>WWWW</b>"), Width(L"WWWW"));
    EXPECT_EQ(Width(L"<b>W</b>W"), Width(L"<b>W</b>") + Width(L"W"));
}

TEST_F(MarkupTextTest, EscapesDrawTheirMiddleCharacter)
{
    EXPECT_EQ(Width(L"{<}"), Width(L"<r><</r>"));
    EXPECT_EQ(Width(L"<{>"), Width(L"<r>{</r>"));
    EXPECT_GT(Width(L"{<}"), 0);
}

TEST_F(MarkupTextTest, UnknownTagsAreSkippedWithoutDrawing)
{
    EXPECT_EQ(Width(L"<q>ab"), Width(L"ab"));
    EXPECT_EQ(Width(L"a<x 10>b"), Width(L"ab") + 10);
}

TEST_F(MarkupTextTest, LinksReportTheirRectanglesAndTargets)
{
    RECT rects[4] = {};
    CUIString targets[4];
    int count = 4;
    RECT rc = {0, 0, 200, 40};
    CPainter::DrawHtmlText(canvas.dc(), &manager, rc, L"go <a home>here</a> now", 0, rects, targets, count, 0,
                           DT_SINGLELINE);
    ASSERT_EQ(1, count);
    EXPECT_EQ(CUIString(L"home"), targets[0]);
    EXPECT_EQ(Width(L"go "), rects[0].left);
    EXPECT_GT(rects[0].right, rects[0].left);
}

TEST_F(MarkupTextTest, LineBreaksAndWordBreakMakeMoreLines)
{
    const RECT one = Measure(L"word", 0);
    const RECT two = Measure(L"word<n>word", 0);
    EXPECT_EQ(2 * (one.bottom - one.top), two.bottom - two.top);
    const RECT wrapped = Measure(L"many words in a narrow box", DT_WORDBREAK, 60);
    EXPECT_GT(wrapped.bottom - wrapped.top, one.bottom - one.top);
    EXPECT_LE(wrapped.right, 60);
}

TEST_F(MarkupTextTest, SingleLineCentredTextIsCentredAsAWhole)
{
    RECT rc = {0, 0, 200, 40};
    int links = 0;
    CPainter::DrawHtmlText(canvas.dc(), &manager, rc, L"<b>WW</b>", 0xFF000000, nullptr, nullptr, links, 0,
                           DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const auto span = InkSpan();
    ASSERT_GE(span.first, 0);
    EXPECT_NEAR(100, (span.first + span.second) / 2, 3);
}

TEST_F(MarkupTextTest, NothingWithoutTextOrRoom)
{
    RECT empty = {0, 0, 0, 0};
    int links = 3;
    CPainter::DrawHtmlText(canvas.dc(), &manager, empty, L"x", 0, nullptr, nullptr, links, 0, 0);
    EXPECT_EQ(0, links);
    EXPECT_EQ(-1, InkSpan().first);
}

}  // namespace
