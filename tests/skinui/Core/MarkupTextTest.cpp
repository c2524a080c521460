#include "Core/SharedResources.h"
#include "SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// A markup text drawn into a box with the alignment flags.
struct BoxedText {
    const wchar_t* text;
    UINT style;
    RECT box;
};

class MarkupTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.AddFont(0, L"Arial", 16, false, false, false);
        manager.AddFont(1, L"Arial", 32, false, false, false);
    }

    RECT Measure(const wchar_t* text, UINT style = DT_SINGLELINE, int right = 9999)
    {
        RECT rc = {0, 0, right, 500};
        int links = 0;
        CPainter::DrawHtmlText(canvas.dc(), &manager, rc, text, 0xFF000000, nullptr, nullptr, links, 0,
                               style | DT_CALCRECT);
        return rc;
    }
    int Width(const wchar_t* text) { return Measure(text).right; }
    int Height(const wchar_t* text, UINT style = 0, int right = 9999)
    {
        const RECT rc = Measure(text, style, right);
        return rc.bottom - rc.top;
    }
    void Draw(const wchar_t* text, UINT style = DT_SINGLELINE, DWORD color = 0xFF000000)
    {
        DrawIn(canvas, canvas.Bounds(), text, style, color);
    }
    // Draws into box on target; answers the number of link rectangles filled (at most 4, into links).
    int DrawIn(Canvas& target, RECT box, const wchar_t* text, UINT style, DWORD color = 0xFF000000)
    {
        int count = 4;
        CPainter::DrawHtmlText(target.dc(), &manager, box, text, color, links, linkTargets, count, 0, style);
        return count;
    }
    // Pixels of exactly this colour in the columns [left, right) and rows [top, bottom).
    int CountRgb(DWORD rgb, int left = 0, int right = 200, int top = 0, int bottom = 40) const
    {
        int count = 0;
        for (int x = left; x < right; ++x)
            for (int y = top; y < bottom; ++y)
                if (canvas.Rgb(x, y) == rgb) ++count;
        return count;
    }
    int InkIn(int left, int right, int top = 0, int bottom = 40) const
    {
        return (right - left) * (bottom - top) - CountRgb(0xFFFFFF, left, right, top, bottom);
    }
    // Left and right ends of the ink in a row band.
    std::pair<int, int> InkSpan(int top = 0, int bottom = 40)
    {
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            for (int y = top; y < bottom; ++y)
                if (canvas.Rgb(x, y) != 0xFFFFFFu) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }

    CWindowUIManager manager;
    Canvas canvas{200, 40, 0xFFFFFFFF};
    RECT links[4] = {};
    CUIString linkTargets[4];
};

TEST_F(MarkupTextTest, BoldRunIsWiderAndTheFontIsRestoredAfterIt)
{
    EXPECT_GT(Width(L"<b>WWWW</b>"), Width(L"WWWW"));
    EXPECT_EQ(Width(L"<b>W</b>W"), Width(L"<b>W</b>") + Width(L"W"));
    // A style added to a bold run keeps it bold.
    EXPECT_EQ(Width(L"<b><u>WWWW</u></b>"), Width(L"<b>WWWW</b>"));
    // The variants take no font id a skin may use: the skin's shared fonts keep their faces.
    for (int id = 100000; id < 101000; ++id) manager.AddFont(id, L"Tahoma", 11, false, false, false, true);
    Draw(L"<f Tahoma 13><b>x</b><i>x</i><u>x</u><b><i><u>x</u></i></b></f>");
    for (int id = 100000; id < 101000; ++id) ASSERT_EQ(11, manager.GetFontInfo(id)->iSize) << id;
    manager.RemoveAllFonts(true);
}

TEST_F(MarkupTextTest, EscapesDrawTheirMiddleCharacter)
{
    EXPECT_EQ(Width(L"{<}"), Width(L"<r><</r>"));
    EXPECT_EQ(Width(L"<{>"), Width(L"<r>{</r>"));
    EXPECT_GT(Width(L"{<}"), 0);
    EXPECT_EQ(Width(L"<}>{>}"), Width(L"<r>}></r>"));
    // A bracket of the same kind between brackets is no escape: all three characters are text.
    EXPECT_EQ(Width(L"<<>"), Width(L"<r><<></r>"));
    EXPECT_EQ(Width(L"{}}"), Width(L"<r>{}}</r>"));
}

TEST_F(MarkupTextTest, ColourTagColoursItsRunAndClosingRestoresTheColour)
{
    const int split = Width(L"WW");
    Draw(L"<c #FFFF0000>WW</c>WW");
    EXPECT_GT(CountRgb(0xFF0000, 0, split), 0);
    EXPECT_EQ(0, CountRgb(0x000000, 0, split));
    EXPECT_GT(CountRgb(0x000000, split, 200), 0);
    EXPECT_EQ(0, CountRgb(0xFF0000, split, 200));
    canvas.Clear(0xFFFFFFFF);
    Draw(L"<c 00FF00>WW</c>");
    EXPECT_GT(CountRgb(0x00FF00), 0);
}

TEST_F(MarkupTextTest, FontTagTakesAnIndexOrADescription)
{
    EXPECT_GT(Height(L"<f 1>W</f>"), Height(L"W"));
    EXPECT_GT(Width(L"<f 1>W</f>"), Width(L"W"));
    EXPECT_EQ(Width(L"<f 1>W</f>W"), Width(L"<f 1>W</f>") + Width(L"W"));
    EXPECT_EQ(Width(L"<f Arial 32>W</f>"), Width(L"<f 1>W</f>"));
    EXPECT_GT(Width(L"<f Arial 32 bold>WWW</f>"), Width(L"<f 1>WWW</f>"));
    EXPECT_EQ(Height(L"W<n><f 1>W</f>"), Height(L"W") + Height(L"<f 1>W</f>"));
}

TEST_F(MarkupTextTest, StyledFontsAreSizedForTheWindowThatDrawsThem)
{
    CWindowUIManager large;
    large.GetDpiScaler()->SetDPI(192);
    large.AddFont(0, L"Arial", 16, false, false, false);
    const auto heightIn = [this](CWindowUIManager& window, const wchar_t* text) {
        RECT rc = {0, 0, 9999, 500};
        int links = 0;
        CPainter::DrawHtmlText(canvas.dc(), &window, rc, text, 0xFF000000, nullptr, nullptr, links, 0,
                               DT_SINGLELINE | DT_CALCRECT);
        return rc.bottom - rc.top;
    };
    const wchar_t* const styled[] = {L"<b>W</b>", L"<i>W</i>", L"<u>W</u>", L"<f Arial 16 bold>W</f>"};
    for (const wchar_t* text : styled) EXPECT_EQ(Height(L"W"), Height(text)) << "at 100 %: " << text;
    ASSERT_GT(heightIn(large, L"W"), Height(L"W"));
    for (const wchar_t* text : styled) EXPECT_EQ(heightIn(large, L"W"), heightIn(large, text)) << "at 200 %: " << text;
    // Another window's scale change leaves this window's styled text at its size.
    large.ResetDPIAssets();
    for (const wchar_t* text : styled) EXPECT_EQ(Height(L"W"), Height(text)) << "after 200 %: " << text;
}

TEST_F(MarkupTextTest, MalformedFontTagsReuseTheirFontAtEveryPaint)
{
    const std::wstring longFace(60, L'x');
    const std::wstring texts[] = {
        L"<f >W</f>",
        L"<f  12>W</f>",
        L"<f  bold italic underline>W</f>",
        L"<f " + longFace + L" 14 bold>W</f>",
        L"{f " + longFace + L"}W{/f}<f " + longFace.substr(0, 31) + L">W</f>",
        L"<f Arial>W</f><f arial>W</f>",
    };
    // Wine answers 0 GDI objects, so the fonts the markup added to the shared table are counted as well.
    const auto gdiObjects = [] { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); };
    const auto sharedFonts = [] {
        const SharedResources& shared = SharedResources::Get();
        return shared.fonts.GetSize() + shared.styledFonts.GetSize();
    };
    for (const std::wstring& text : texts) {
        Draw(text.c_str());
        const DWORD objects = gdiObjects();
        const int fonts = sharedFonts();
        for (int i = 0; i < 1000; ++i) Draw(text.c_str());
        EXPECT_EQ(objects, gdiObjects()) << text.size();
        EXPECT_EQ(fonts, sharedFonts()) << text.size();
    }
}

TEST_F(MarkupTextTest, ImageTagDrawsTheChosenFrameOnTheBaseline)
{
    SkinZipScope skin;
    ASSERT_TRUE(skin.loaded);
    // quad.png is 4x4: red and green above, blue and magenta below; two frames of 2x4.
    EXPECT_EQ(Width(L"a<i image/quad.png 2 1>b"), Width(L"ab") + 2);
    const int line = Height(L"a");
    Draw(L"<i image/quad.png 2 1>");
    EXPECT_EQ(0x00FF00u, canvas.Rgb(0, line - 4));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(1, line - 1));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(2, line - 1));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, line - 5));
    // Without a name the letter means italics.
    EXPECT_NE(Width(L"<i>WWWW</i>"), 0);
}

TEST_F(MarkupTextTest, ParagraphAddsItsSpacingAndBreaksTheLine)
{
    const int line = Height(L"a");
    EXPECT_EQ(line + 10, Height(L"<p 10>a</p>"));
    EXPECT_EQ(line + 10 + line, Height(L"<p 10>a</p>b"));
    EXPECT_EQ(2 * line, Height(L"a<p>b</p>"));
}

TEST_F(MarkupTextTest, SelectedRunsHaveTheSelectionBackground)
{
    manager.SetDefaultSelectedBkColor(0xFF0000FF);
    const int split = Width(L"ab");
    Draw(L"<s>ab</s>cd");
    EXPECT_GT(CountRgb(0x0000FF, 0, split), split * Height(L"a") / 2);
    EXPECT_EQ(0, CountRgb(0x0000FF, split, 200));
}

TEST_F(MarkupTextTest, UnderlineDrawsALineUnderTheRun)
{
    const int line = Height(L"a");
    Draw(L"<u>....</u>");
    const int underlined = InkIn(0, Width(L"...."), line / 2, line);
    canvas.Clear(0xFFFFFFFF);
    Draw(L"....");
    EXPECT_GT(underlined, InkIn(0, Width(L"...."), line / 2, line));
    EXPECT_EQ(Width(L"<u>ab</u>c"), Width(L"<u>ab</u>") + Width(L"c"));
}

TEST_F(MarkupTextTest, HeightTagSetsTheLineHeightAlsoLower)
{
    const int line = Height(L"a");
    EXPECT_EQ(40, Height(L"<y 40>ab"));
    EXPECT_EQ(6, Height(L"ab<y 6>"));
    EXPECT_EQ(6, Height(L"<y 6>ab"));
    EXPECT_EQ(line + 6, Height(L"ab<n><y 6>cd"));
}

TEST_F(MarkupTextTest, EndEllipsisEndsItsOwnLineOnly)
{
    const int line = Height(L"a");
    const RECT cut = Measure(L"WWWWWWWWWWWWWWWWWWWW<n>short", DT_END_ELLIPSIS, 100);
    EXPECT_EQ(100, cut.right);
    EXPECT_EQ(2 * line, cut.bottom - cut.top);
    // Nothing of the cut line reappears on the next one.
    EXPECT_EQ(2 * line, Height(L"WWWWWWWWWWWWWWWWWWWW<b>WW</b>WW<n>short", DT_END_ELLIPSIS, 100));
    // A run of which nothing fits after a full one goes to the next line instead of ending this one.
    EXPECT_EQ(2 * line, Height(L"WWWW<b>WWWW</b>", DT_END_ELLIPSIS, Width(L"WWWW") + 1));
    Draw(L"WWWWWWWWWWWWWWWWWWWW<n>short", DT_END_ELLIPSIS);
    EXPECT_GT(InkIn(0, 200, line, 2 * line), 0);
    // Two more characters make room for the dots, which follow the cut text.
    std::wstring fits;
    while (Width((fits + L"W").c_str()) <= 100) fits += L"W";
    ASSERT_GE(fits.size(), 3u);
    canvas.Clear(0xFFFFFFFF);
    RECT box = {0, 0, 100, 40};
    int links = 0;
    CPainter::DrawHtmlText(canvas.dc(), &manager, box, L"WWWWWWWWWWWWWWWWWWWW", 0xFF000000, nullptr, nullptr, links,
                           0, DT_SINGLELINE | DT_END_ELLIPSIS);
    Canvas expected{200, 40, 0xFFFFFFFF};
    RECT whole = expected.Bounds();
    const std::wstring shown = fits.substr(2) + L"...";
    CPainter::DrawHtmlText(expected.dc(), &manager, whole, shown.c_str(), 0xFF000000, nullptr, nullptr, links, 0,
                           DT_SINGLELINE);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 40; ++y) ASSERT_EQ(expected.Rgb(x, y), canvas.Rgb(x, y)) << x << "," << y;
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
    // Blanks before the parameter are skipped; '!' (0x21) is the first character kept.
    CPainter::DrawHtmlText(canvas.dc(), &manager, rc, L"go <a  !home>here</a> now", 0, rects, targets, count, 0,
                           DT_SINGLELINE);
    ASSERT_EQ(1, count);
    EXPECT_EQ(CUIString(L"!home"), targets[0]);
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
    // The line is cut after its last blank, not inside the word that did not fit.
    const RECT words = Measure(L"WWW WWW", DT_WORDBREAK, Width(L"WWW W") + 1);
    EXPECT_EQ(2 * (one.bottom - one.top), words.bottom - words.top);
    EXPECT_EQ(Width(L"WWW "), words.right);
}

TEST_F(MarkupTextTest, SingleLineCentredTextIsCentredAsAWhole)
{
    DrawIn(canvas, RECT{0, 0, 200, 40}, L"<b>WW</b>", DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const auto span = InkSpan();
    ASSERT_GE(span.first, 0);
    EXPECT_NEAR(100, (span.first + span.second) / 2, 3);
}

TEST_F(MarkupTextTest, WithoutSingleLineEachRunIsCentredByItself)
{
    const int line = Height(L"W");
    Draw(L"WW<n>WWWWWW", DT_CENTER);
    const auto first = InkSpan(0, line);
    const auto second = InkSpan(line, 2 * line);
    ASSERT_GE(first.first, 0);
    ASSERT_GE(second.first, 0);
    EXPECT_NEAR(100, (first.first + first.second) / 2, 3);
    EXPECT_NEAR(100, (second.first + second.second) / 2, 3);
    EXPECT_LT(second.first, first.first);
}

TEST_F(MarkupTextTest, AlignedTextLargerThanItsBoxStaysInsideIt)
{
    const BoxedText cases[] = {
        {L"WWWWWWWWWWWWWWWWWWWW", DT_SINGLELINE | DT_CENTER | DT_VCENTER, {50, 0, 150, 40}},
        {L"WWWWWWWWWWWWWWWWWWWW", DT_SINGLELINE | DT_RIGHT, {50, 0, 150, 40}},
        {L"WW<n>WW<n>WW", DT_BOTTOM, {0, 10, 200, 30}},
        {L"WW<n>WW<n>WW", DT_VCENTER, {0, 10, 200, 30}},
        {L"WW WW WW WW", DT_WORDBREAK | DT_CENTER | DT_VCENTER, {0, 10, 40, 30}},
    };
    for (const BoxedText& c : cases) {
        canvas.Clear(0xFFFFFFFF);
        DrawIn(canvas, c.box, c.text, c.style);
        EXPECT_GT(InkIn(c.box.left, c.box.right, c.box.top, c.box.bottom), 0) << c.text << " " << c.style;
        EXPECT_EQ(0, InkIn(0, 200) - InkIn(c.box.left, c.box.right, c.box.top, c.box.bottom))
            << c.text << " " << c.style;
    }
}

TEST_F(MarkupTextTest, HugeMarkupNumbersKeepTheTextInItsBox)
{
    const BoxedText cases[] = {
        {L"<y 2147483647>WW", DT_BOTTOM, {20, 20, 21, 21}},
        {L"<y 2147483647>WW<n><y 2147483647>WW", DT_VCENTER, {0, 10, 200, 30}},
        {L"<p 2147483600>WW</p><p 2147483600>WW</p>", DT_BOTTOM, {0, 10, 200, 30}},
    };
    for (const BoxedText& c : cases) {
        canvas.Clear(0xFFFFFFFF);
        DrawIn(canvas, c.box, c.text, c.style);
        EXPECT_EQ(0, InkIn(0, 200) - InkIn(c.box.left, c.box.right, c.box.top, c.box.bottom))
            << c.text << " " << c.style;
        RECT measured = c.box;
        int none = 0;
        CPainter::DrawHtmlText(canvas.dc(), &manager, measured, c.text, 0xFF000000, nullptr, nullptr, none, 0,
                               c.style | DT_CALCRECT);
        EXPECT_LE(measured.left, measured.right) << c.text;
        EXPECT_LE(measured.top, measured.bottom) << c.text;
    }
}

TEST_F(MarkupTextTest, CentredTextWiderThanItsBoxEndsInTheAskedEllipsis)
{
    const wchar_t* text = L"WWWWWWWWWWWWWWWWWWWW";
    DrawIn(canvas, RECT{0, 0, 100, 40}, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
    Canvas expected{200, 40, 0xFFFFFFFF};
    DrawIn(expected, RECT{0, 0, 100, 40}, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    ASSERT_GT(InkIn(0, 100), 0);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 40; ++y) ASSERT_EQ(expected.Rgb(x, y), canvas.Rgb(x, y)) << x << "," << y;
}

TEST_F(MarkupTextTest, WrappedTextIsMeasuredAtTheBoxWidthForVerticalAlignment)
{
    const int line = Height(L"W");
    ASSERT_LT(2 * line, 40);
    const RECT box = {0, 0, Width(L"WW ") + 2, 40};
    int count = DrawIn(canvas, box, L"<a home>WW WW</a>", DT_WORDBREAK | DT_VCENTER, 0);
    const RECT* rects = links;
    // Both lines show, centred as a block of two lines; the link has one rectangle on each.
    const int top = (40 - 2 * line) / 2;
    EXPECT_GT(InkIn(0, 200, top, top + line), 0);
    EXPECT_GT(InkIn(0, 200, top + line, top + 2 * line), 0);
    ASSERT_EQ(2, count);
    EXPECT_EQ(top, rects[0].top);
    EXPECT_EQ(rects[0].bottom, rects[1].top);
    EXPECT_EQ(top + 2 * line, rects[1].bottom);
    EXPECT_EQ(CUIString(L"home"), linkTargets[1]);
    // Bottom alignment puts the last line on the box's bottom.
    canvas.Clear(0xFFFFFFFF);
    count = DrawIn(canvas, box, L"<a home>WW WW</a>", DT_WORDBREAK | DT_BOTTOM, 0);
    ASSERT_EQ(2, count);
    EXPECT_EQ(40, rects[1].bottom);
    EXPECT_EQ(40 - 2 * line, rects[0].top);
}

TEST_F(MarkupTextTest, RightAlignedSingleLineEndsAtTheRightEdge)
{
    DrawIn(canvas, RECT{0, 0, 200, 40}, L"WW", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const auto span = InkSpan();
    ASSERT_GE(span.first, 0);
    EXPECT_GE(span.second, 200 - 4);
    EXPECT_EQ(0, InkIn(0, 200, 0, 40 - Height(L"W")));
}

TEST_F(MarkupTextTest, LinksOfCentredOrRightAlignedLinesCoverTheirDrawnText)
{
    struct Case {
        UINT style;
        int linkCentre;
    };
    const Case cases[] = {{DT_CENTER, 100}, {DT_RIGHT, 200 - Width(L"WW") / 2}, {0, Width(L"WW") / 2}};
    const int line = Height(L"W");
    for (const Case& c : cases) {
        canvas.Clear(0xFFFFFFFF);
        ASSERT_EQ(1, DrawIn(canvas, canvas.Bounds(), L"WWWW<n><a home>WW</a>", c.style, 0xFF000000));
        const auto ink = InkSpan(line, 2 * line);
        EXPECT_NEAR(c.linkCentre, (links[0].left + links[0].right) / 2, 2) << c.style;
        EXPECT_NEAR(ink.first, links[0].left, 2) << c.style;
        EXPECT_EQ(line, links[0].top);
    }
}

TEST_F(MarkupTextTest, TheClipItWasDrawnInComesBackWithItsRoundCorners)
{
    CClipRegion round;
    CClipRegion::ClipToRoundRect(canvas.dc(), canvas.Bounds(), RECT{0, 0, 40, 40}, 20, 20, round);
    Draw(L"W<b>W</b>");
    EXPECT_GT(InkIn(0, 40), 0);
    CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF0000FF);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(40, 39));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(20, 20));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(60, 20));
}

TEST_F(MarkupTextTest, NothingWithoutTextOrRoom)
{
    RECT empty = {0, 0, 0, 0};
    int links = 3;
    CPainter::DrawHtmlText(canvas.dc(), &manager, empty, L"x", 0, nullptr, nullptr, links, 0, 0);
    EXPECT_EQ(0, links);
    RECT box = canvas.Bounds();
    links = 3;
    CPainter::DrawHtmlText(canvas.dc(), nullptr, box, L"x", 0, nullptr, nullptr, links, 0, 0);
    EXPECT_EQ(0, links);
    links = 3;
    CPainter::DrawHtmlText(canvas.dc(), &manager, box, nullptr, 0, nullptr, nullptr, links, 0, 0);
    EXPECT_EQ(0, links);
    EXPECT_EQ(-1, InkSpan().first);
}

}  // namespace
