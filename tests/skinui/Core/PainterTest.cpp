#include "SkinTestData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

TEST(AdjustColor, IdentityAndKnownBandEdges)
{
    EXPECT_EQ(0x80123456u, CPainter::AdjustColor(0x80123456, 180, 100, 100));
    EXPECT_EQ(0xFF00FFFEu, CPainter::AdjustColor(0xFFFF0000, 0, 100, 100));
    EXPECT_EQ(0xFF7F7F7Fu, CPainter::AdjustColor(0xFFFF0000, 180, 0, 100));
    struct Case {
        DWORD color;
        short hue, saturation, lightness;
        DWORD expected;
    };
    const Case cases[] = {
        {0xFF00FF00, 300, 100, 100, 0xFF0000FF},  // green (120 degrees) turned by 120: blue
        {0xFF0000FF, 60, 100, 100, 0xFF00FF00},   // blue (240) turned back by 120: green
        {0xFFFF00FF, 240, 100, 100, 0xFFFF0000},  // magenta (300) turned by 60: red at 360
        // Green turned back by 180 passes 0: magenta at 300; red's 6t = 6 x (0.8333333 + 0.33333334 - 1) falls
        // just below 1 in single precision, so red is 254.
        {0xFF00FF00, 0, 100, 100, 0xFFFE00FF},
        {0xFFFFFFFF, 180, 100, 50, 0xFF7F7F7F},   // white at half lightness
        {0x40FF0000, 180, 0, 100, 0x407F7F7F},    // alpha is kept
        // Dark red (lightness below one half) at 60 % saturation: q = l * 1.6 (76.8), p = l * 0.4 (19.2).
        {0xFF600000, 180, 60, 100, 0xFF4C1313},
        // Steel blue (220 degrees) at 90 % saturation: green lies on the falling slope (t = 0.61) above p.
        {0xFF4060A0, 180, 90, 100, 0xFF44619B},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CPainter::AdjustColor(c.color, c.hue, c.saturation, c.lightness))
            << std::hex << c.color << std::dec << " " << c.hue << " " << c.saturation << " " << c.lightness;
}

// The fallback without GradientFill: 2 to 64 bands by steps; band i counted from the far end spans
// far - (extent * (i + 1) >> shift) .. far - (extent * i >> shift) and has ((bands - i) * second + i * first)
// >> shift in each channel.
TEST(GradientBands, BandCountEdgesAndColoursFollowTheSteps)
{
    struct Probe {
        int at;
        DWORD rgb;
    };
    struct Case {
        int steps, extent;
        bool vertical;
        DWORD first, second;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {3, 8, false, 0xFF000000, 0xFFFF0000, {{0, 0x7F0000}, {3, 0x7F0000}, {4, 0xFF0000}, {7, 0xFF0000}}},
        {1, 8, false, 0xFF000000, 0xFFFF0000, {{3, 0x7F0000}, {4, 0xFF0000}}},
        {4, 8, false, 0xFF000000, 0xFFFF0000,
         {{0, 0x3F0000}, {1, 0x3F0000}, {2, 0x7F0000}, {4, 0xBF0000}, {5, 0xBF0000}, {6, 0xFF0000}}},
        {4, 5, true, 0xFF0000FF, 0xFF000000, {{0, 0xBF}, {1, 0xBF}, {2, 0x7F}, {3, 0x3F}, {4, 0}}},
        {8, 8, false, 0xFF000000, 0xFF00FF00, {{0, 0x1F00}, {7, 0xFF00}}},
        {16, 16, false, 0xFF000000, 0xFF00FF00, {{0, 0x0F00}, {15, 0xFF00}}},
        {63, 32, true, 0xFF000000, 0xFF00FF00, {{0, 0x0700}, {31, 0xFF00}}},
        {100, 64, false, 0xFF000000, 0xFFFF0000, {{0, 0x030000}, {32, 0x830000}, {63, 0xFF0000}}},
        // One pixel for 64 bands: only the last band has room.
        {100, 1, false, 0xFF000000, 0xFFFF0000, {{0, 0x030000}}},
    };
    for (const Case& c : cases) {
        Canvas canvas(64, 64, 0xFF123456);
        const RECT rc = c.vertical ? RECT{0, 0, 1, c.extent} : RECT{0, 0, c.extent, 1};
        CPainter::FillGradientBands(canvas.dc(), rc, c.first, c.second, c.vertical, c.steps);
        for (const Probe& probe : c.probes)
            EXPECT_EQ(probe.rgb, c.vertical ? canvas.Rgb(0, probe.at) : canvas.Rgb(probe.at, 0))
                << c.steps << " " << c.extent << " at " << probe.at;
        EXPECT_EQ(0x123456u, c.vertical ? canvas.Rgb(0, c.extent) : canvas.Rgb(c.extent, 0)) << c.steps;
        EXPECT_EQ(0x123456u, canvas.Rgb(1, 1)) << c.steps;
    }
}

TEST(AdjustColor, MakeColorNonBlack)
{
    DWORD color = 0xFF000000;
    CPainter::MakeColorNonBlack(color);
    EXPECT_EQ(0xFF000001u, color);
    color = 0xFF000100;
    CPainter::MakeColorNonBlack(color);
    EXPECT_EQ(0xFF000100u, color);
}

class PainterTest : public ::testing::Test {
protected:
    SkinZipScope zip;
    CWindowUIManager manager;
};

TEST_F(PainterTest, FillColorBlendsByAlphaAndSkipsTransparent)
{
    Canvas canvas(8, 8, 0xFF000000);
    CPainter::FillColor(canvas.dc(), RECT{0, 0, 4, 8}, 0xFFFF0000);
    CPainter::FillColor(canvas.dc(), RECT{4, 0, 8, 8}, 0x00FFFFFF);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
    // A fill away from the origin covers exactly its rectangle.
    CPainter::FillColor(canvas.dc(), RECT{5, 2, 7, 5}, 0xFF0000FF);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 2));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(6, 4));
    EXPECT_EQ(0u, canvas.Rgb(7, 3));
    EXPECT_EQ(0u, canvas.Rgb(6, 5));
}

TEST_F(PainterTest, GradientOfTransparentColoursDrawsNothing)
{
    Canvas canvas(16, 16, 0xFF102030);
    CPainter::DrawGradient(canvas.dc(), canvas.Bounds(), 0x00FF0000, 0x000000FF, true, 16);
    EXPECT_EQ(0x102030u, canvas.Rgb(8, 8));
}

TEST_F(PainterTest, OpaqueVerticalGradientRunsFromFirstToSecond)
{
    Canvas canvas(4, 64, 0xFF000000);
    CPainter::DrawGradient(canvas.dc(), canvas.Bounds(), 0xFFFF0000, 0xFF0000FF, true, 64);
    const DWORD top = canvas.Rgb(1, 0);
    const DWORD bottom = canvas.Rgb(1, 63);
    EXPECT_GT((top >> 16) & 0xFF, 0xF0u);
    EXPECT_LT(top & 0xFF, 0x10u);
    EXPECT_GT(bottom & 0xFF, 0xF0u);
    EXPECT_LT((bottom >> 16) & 0xFF, 0x10u);
}

TEST_F(PainterTest, SameSizeImageIsCopiedPixelForPixel)
{
    Canvas canvas(8, 8, 0xFF000000);
    const RECT item = {2, 2, 6, 6};
    ASSERT_TRUE(CPainter::DrawImageString(canvas.dc(), &manager, item, canvas.Bounds(), L"image/quad.png"));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(2, 2));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 2));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(2, 5));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(5, 5));
    EXPECT_EQ(0u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
}

TEST_F(PainterTest, DrawingIsLimitedToThePaintRect)
{
    Canvas canvas(8, 8, 0xFF000000);
    const RECT item = {2, 2, 6, 6};
    CPainter::DrawImageString(canvas.dc(), &manager, item, RECT{0, 0, 4, 4}, L"image/quad.png");
    EXPECT_EQ(0xFF0000u, canvas.Rgb(3, 3));
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
}

TEST_F(PainterTest, NineGridWithHoleLeavesTheCentre)
{
    Canvas canvas(12, 12, 0xFF000000);
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(),
                              L"file='image/quad.png' corner='1,1,1,1' hole='true'");
    EXPECT_EQ(0xFF0000u, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFF00FFu, canvas.Rgb(11, 11));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
    // Edges one pixel thick are drawn too.
    for (const POINT edge : {POINT{0, 6}, POINT{11, 6}, POINT{6, 0}, POINT{6, 11}})
        EXPECT_NE(0u, canvas.Rgb(edge.x, edge.y)) << edge.x << "," << edge.y;
}

TEST_F(PainterTest, DestAndSourceCutTheImage)
{
    Canvas canvas(10, 10, 0xFF000000);
    // The green top-right quarter, stretched into a 4 x 4 square at (5, 5).
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(),
                              L"file='image/quad.png' source='2,0,4,2' dest='5,5,9,9'");
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 5));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(8, 8));
    EXPECT_EQ(0u, canvas.Rgb(4, 4));
    EXPECT_EQ(0u, canvas.Rgb(9, 9));
}

TEST_F(PainterTest, TranslucentImageBlendsOverTheBackground)
{
    Canvas canvas(2, 1, 0xFF000000);
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(), L"image/alpha.png");
    EXPECT_EQ(0x643219u, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(1, 0));
    // Over white the half-transparent pixel (100, 50, 25 premultiplied at 128) lets 127 of each channel through.
    Canvas white(2, 1, 0xFFFFFFFF);
    CPainter::DrawImageString(white.dc(), &manager, white.Bounds(), white.Bounds(), L"image/alpha.png");
    EXPECT_NEAR(227, static_cast<int>(white.Rgb(0, 0) >> 16), 1);
    EXPECT_NEAR(177, static_cast<int>(white.Rgb(0, 0) >> 8 & 0xFF), 1);
    EXPECT_NEAR(152, static_cast<int>(white.Rgb(0, 0) & 0xFF), 1);
}

TEST_F(PainterTest, FadeHalvesTheImage)
{
    Canvas canvas(4, 4, 0xFF000000);
    CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(),
                              L"file='image/quad.png' fade='128'");
    const DWORD red = (canvas.Rgb(0, 0) >> 16) & 0xFF;
    EXPECT_NEAR(128, static_cast<int>(red), 2);
}

TEST_F(PainterTest, MissingImageReportsFailure)
{
    Canvas canvas(4, 4);
    EXPECT_FALSE(CPainter::DrawImageString(canvas.dc(), &manager, canvas.Bounds(), canvas.Bounds(), L"nothing.png"));
    EXPECT_FALSE(CPainter::DrawImageString(canvas.dc(), nullptr, canvas.Bounds(), canvas.Bounds(), L"image/quad.png"));
}

TEST_F(PainterTest, ClipRegionLimitsDrawingUntilItGoes)
{
    Canvas canvas(8, 8, 0xFF000000);
    {
        CClipRegion clip;
        CClipRegion::ClipToRect(canvas.dc(), RECT{0, 0, 4, 4}, clip);
        CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF00FF00);
    }
    EXPECT_EQ(0x00FF00u, canvas.Rgb(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(6, 6));
    CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF0000FF);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(6, 6));
}

// Each case clips, fills red where the clip lets it and drops its clips again; the probes say where red
// must and must not be.
TEST_F(PainterTest, ClipsNarrowTheEarlierClipAndGiveItBackWhole)
{
    using Clip = CClipRegion;
    const auto fill = [](HDC dc) { CPainter::FillColor(dc, RECT{0, 0, 32, 32}, 0xFFFF0000); };
    // The round rect (0, 0, 19, 19) with corners of the given size, within rc.
    const auto roundClip = [&](RECT rc, int corner) {
        return [=](HDC dc) {
            Clip round;
            Clip::ClipToRoundRect(dc, rc, RECT{0, 0, 19, 19}, corner, corner, round);
            fill(dc);
        };
    };
    // (5, 5, 20, 20) within (0, 0, 10, 10); reselect: the outer clip and then the inner one selected again.
    const auto nestedRects = [&](bool reselect) {
        return [=](HDC dc) {
            Clip outer, inner;
            Clip::ClipToRect(dc, RECT{0, 0, 10, 10}, outer);
            Clip::ClipToRect(dc, RECT{5, 5, 20, 20}, inner);
            if (reselect) {
                Clip::SelectSavedRegion(dc, inner);
                Clip::SelectClipRegion(dc, inner);
            }
            fill(dc);
        };
    };
    struct Probe {
        int x, y;
        bool red;
    };
    struct Case {
        const char* name;
        std::function<void(HDC)> draw;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"round", roundClip(RECT{0, 0, 20, 20}, 10),
         // A round region ends a pixel before the right and bottom it is given.
         {{10, 0, true}, {0, 10, true}, {18, 10, true}, {10, 18, true}, {10, 10, true}, {0, 0, false},
          {18, 0, false}, {0, 18, false}, {18, 18, false}, {19, 10, false}, {10, 19, false}}},
        {"round cut by its rect", roundClip(RECT{0, 0, 10, 20}, 10),
         {{5, 0, true}, {9, 10, true}, {10, 10, false}, {0, 0, false}, {0, 19, false}}},
        {"no rounding", roundClip(RECT{0, 0, 30, 30}, 0),
         {{0, 0, true}, {18, 18, true}, {19, 19, false}, {19, 5, false}}},
        {"rect inside a round one, then gone",
         [&](HDC dc) {
             Clip round;
             Clip::ClipToRoundRect(dc, RECT{0, 0, 20, 20}, RECT{0, 0, 19, 19}, 10, 10, round);
             { Clip inner; Clip::ClipToRect(dc, RECT{0, 0, 30, 30}, inner); }
             fill(dc);
         },
         {{10, 10, true}, {0, 0, false}, {25, 25, false}}},
        {"rect within a rect", nestedRects(false), {{7, 7, true}, {2, 2, false}, {15, 15, false}}},
        {"saved region, then the clip again", nestedRects(true), {{7, 7, true}, {2, 2, false}, {15, 15, false}}},
        {"saved region of a rect inside a round one",
         [&](HDC dc) {
             Clip round, inner;
             Clip::ClipToRoundRect(dc, RECT{0, 0, 20, 20}, RECT{0, 0, 19, 19}, 10, 10, round);
             Clip::ClipToRect(dc, RECT{5, 5, 15, 15}, inner);
             Clip::SelectSavedRegion(dc, inner);
             fill(dc);
         },
         {{2, 10, true}, {10, 10, true}, {0, 0, false}, {25, 25, false}}},
    };
    for (const Case& c : cases) {
        Canvas canvas(32, 32);
        c.draw(canvas.dc());
        for (const Probe& probe : c.probes)
            EXPECT_EQ(probe.red ? 0xFF0000u : 0u, canvas.Rgb(probe.x, probe.y))
                << c.name << " " << probe.x << "," << probe.y;
        // Nothing of the clips is left.
        CPainter::FillColor(canvas.dc(), canvas.Bounds(), 0xFF0000FF);
        EXPECT_EQ(0x0000FFu, canvas.Rgb(0, 0)) << c.name;
        EXPECT_EQ(0x0000FFu, canvas.Rgb(31, 31)) << c.name;
    }
}

TEST_F(PainterTest, PlainTextDrawsAnEntityAsOneCharacter)
{
    Canvas canvas(64, 32, 0xFFFFFFFF);
    RECT measured = {0, 0, 64, 32};
    CPainter::DrawText(canvas.dc(), &manager, measured, L"&#x4E2D;", 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    RECT single = {0, 0, 64, 32};
    const wchar_t ch[] = {0x4E2D, 0};
    CPainter::DrawText(canvas.dc(), &manager, single, ch, 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(single.right, measured.right);
    RECT box = canvas.Bounds();
    CPainter::DrawText(canvas.dc(), &manager, box, L"W", 0xFF000000, -1, DT_SINGLELINE);
    bool inked = false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) inked |= canvas.Rgb(x, y) != 0xFFFFFFu;
    EXPECT_TRUE(inked);
}

// Images whose pieces tell where each destination pixel came from. A nine-grid source rectangle sits
// inside a blue frame; its column bands (left corner, middle, right corner) set the red channel to 0x30,
// 0x90, 0xF0 and its row bands (top, middle, bottom) the green channel the same way, so a stretched piece
// keeps its exact colour. In the tiled variant every centre pixel has its own colour instead.
constexpr DWORD kFrame = 0xFF0000FF;
constexpr BYTE kBand[3] = {0x30, 0x90, 0xF0};

DWORD BandColor(int column, int row) { return 0xFF000055 | kBand[column] << 16 | kBand[row] << 8; }
DWORD CentreColor(int x, int y) { return 0xFF000033 | (0x40 + 0x30 * x) << 16 | (0x40 + 0x30 * y) << 8; }

class GridImage {
public:
    GridImage(int width, int height, RECT source, RECT corner, bool tiledCentre = false)
        : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, kFrame)
    {
        const int centreLeft = source.left + corner.left, centreTop = source.top + corner.top;
        const auto band = [](int v, int first, int middle, int last) {
            return v < first ? 0 : v < middle ? 1 : v < last ? 2 : -1;
        };
        for (int y = source.top; y < source.bottom; ++y)
            for (int x = source.left; x < source.right; ++x) {
                const int column = band(x, centreLeft, source.right - corner.right, source.right);
                const int row = band(y, centreTop, source.bottom - corner.bottom, source.bottom);
                m_pixels[y * width + x] = tiledCentre && column == 1 && row == 1
                                              ? CentreColor(x - centreLeft, y - centreTop)
                                              : BandColor(column, row);
            }
    }
    ~GridImage()
    {
        if (m_bitmap) ::DeleteObject(m_bitmap);
    }
    GridImage(const GridImage&) = delete;
    GridImage& operator=(const GridImage&) = delete;

    DWORD Pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    HBITMAP Bitmap()
    {
        if (m_bitmap) return m_bitmap;
        BYTE* bits = nullptr;
        m_bitmap = CreateDib32(nullptr, m_width, m_height, true, &bits);
        std::copy(m_pixels.begin(), m_pixels.end(), reinterpret_cast<DWORD*>(bits));
        return m_bitmap;
    }
    // A 32-bit bottom-up BMP file.
    void Save(const std::filesystem::path& path) const
    {
        const uint32_t pixelBytes = static_cast<uint32_t>(m_pixels.size() * 4);
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info);
        file.bfSize = file.bfOffBits + pixelBytes;
        info.biSize = sizeof(info);
        info.biWidth = m_width;
        info.biHeight = m_height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        info.biCompression = BI_RGB;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof(file));
        out.write(reinterpret_cast<const char*>(&info), sizeof(info));
        for (int y = m_height - 1; y >= 0; --y)
            out.write(reinterpret_cast<const char*>(&m_pixels[static_cast<size_t>(y) * m_width]), m_width * 4);
    }

private:
    int m_width, m_height;
    std::vector<DWORD> m_pixels;
    HBITMAP m_bitmap = nullptr;
};

// Where the pieces of a nine-grid land: the edges of the left, middle and right column bands and of the
// top, middle and bottom row bands, each worked out from the destination and the corners.
struct Bands {
    int x[4];
    int y[4];
};

int BandOf(const int (&edges)[4], int v)
{
    for (int i = 0; i < 3; ++i)
        if (v >= edges[i] && v < edges[i + 1]) return i;
    return -1;
}

// Every canvas pixel: the colour of its band, or the background outside the image and in skipped pieces
// (bit 3 * row + column of skipped); the pieces in ignored are left to the caller.
void ExpectBands(const Canvas& canvas, int width, int height, const Bands& bands, const std::string& label,
                 unsigned skipped = 0, unsigned ignored = 0)
{
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int column = BandOf(bands.x, x), row = BandOf(bands.y, y);
            if (column >= 0 && row >= 0 && (ignored & 1u << (3 * row + column))) continue;
            const bool drawn = column >= 0 && row >= 0 && !(skipped & 1u << (3 * row + column));
            const DWORD expected = drawn ? BandColor(column, row) & 0xFFFFFF : 0;
            if (canvas.Rgb(x, y) != expected && ++wrong <= 3)
                ADD_FAILURE() << label << ": pixel " << x << "," << y << " is " << std::hex << canvas.Rgb(x, y)
                              << ", expected " << expected;
        }
    EXPECT_EQ(0, wrong) << label;
}

constexpr unsigned kCentre = 1u << 4;

TEST(NineGrid, PiecesLandWhereTheDestinationAndCornersPutThem)
{
    // Source (3, 2, 13, 10) of a 16 x 12 image, corners left 2, top 3, right 4, bottom 1.
    GridImage image(16, 12, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1});
    struct Case {
        const char* name;
        RECT dest, paint;
        bool alpha, hole;
        Bands bands;
        unsigned skipped;
    };
    const RECT all = {0, 0, 48, 32};
    const Case cases[] = {
        {"stretched", {2, 3, 22, 17}, all, false, false, {{2, 4, 18, 22}, {3, 6, 16, 17}}, 0},
        {"blended", {2, 3, 22, 17}, all, true, false, {{2, 4, 18, 22}, {3, 6, 16, 17}}, 0},
        {"hole", {2, 3, 22, 17}, all, false, true, {{2, 4, 18, 22}, {3, 6, 16, 17}}, kCentre},
        {"blended hole", {2, 3, 22, 17}, all, true, true, {{2, 4, 18, 22}, {3, 6, 16, 17}}, kCentre},
        {"shrunk", {0, 0, 8, 5}, all, false, false, {{0, 2, 4, 8}, {0, 3, 4, 5}}, 0},
        // Only the pieces that meet the paint rect are drawn (each one whole).
        {"top-left only", {2, 3, 22, 17}, {0, 0, 3, 4}, false, false, {{2, 4, 18, 22}, {3, 6, 16, 17}}, 0776},
        {"bottom-right only", {2, 3, 22, 17}, {21, 16, 48, 32}, false, false, {{2, 4, 18, 22}, {3, 6, 16, 17}},
         0377},
        {"right column", {2, 3, 22, 17}, {20, 0, 21, 32}, true, false, {{2, 4, 18, 22}, {3, 6, 16, 17}}, 0333},
        {"middle row", {2, 3, 22, 17}, {0, 8, 48, 9}, false, false, {{2, 4, 18, 22}, {3, 6, 16, 17}}, 0707},
    };
    for (const Case& c : cases) {
        Canvas canvas(48, 32);
        CPainter::DrawImage(canvas.dc(), image.Bitmap(), c.dest, c.paint, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1},
                            c.alpha, 255, c.hole);
        ExpectBands(canvas, 48, 32, c.bands, c.name, c.skipped);
    }
}

TEST(NineGrid, WithoutCornersASameSizeImageIsCopiedOnlyInsideThePaintRect)
{
    GridImage image(16, 12, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1});
    Canvas canvas(48, 32);
    // Destination (5, 6, 15, 14) is as large as the source; the paint rect cuts it at x 9 and y 12.
    CPainter::DrawImage(canvas.dc(), image.Bitmap(), RECT{5, 6, 15, 14}, RECT{0, 0, 9, 12}, RECT{3, 2, 13, 10},
                        RECT{0, 0, 0, 0}, false);
    ExpectBands(canvas, 48, 32, Bands{{5, 7, 9, 9}, {6, 9, 12, 12}}, "copied");
    // Cut at its left and top instead, the copy starts as far into the source.
    Canvas cut(48, 32);
    CPainter::DrawImage(cut.dc(), image.Bitmap(), RECT{5, 6, 15, 14}, RECT{9, 12, 48, 32}, RECT{3, 2, 13, 10},
                        RECT{0, 0, 0, 0}, false);
    ExpectBands(cut, 48, 32, Bands{{9, 9, 11, 15}, {12, 12, 13, 14}}, "copied from the middle");
}

// The centre's copies start one source centre apart; the last one in each direction is cut at the
// destination's edge, showing the first columns or rows of the source centre, never a squeezed copy.
TEST(NineGrid, TiledCentreRepeatsAndCutsTheLastCopy)
{
    // Source centre (5, 5, 9, 9): 4 x 4 pixels; destination centre (4, 6, 18, 16): 14 x 10 pixels.
    GridImage image(16, 12, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1}, true);
    struct Case {
        bool xtiled, ytiled, alpha;
    };
    const int columnStarts[] = {4, 8, 12, 16}, columnEnd = 18;
    const int rowStarts[] = {6, 10, 14}, rowEnd = 16;
    const auto sourceOffset = [](const auto& starts, int end, int v) {
        for (int start : starts)
            if (v >= start && v < end && v < start + 4) return v - start;
        return -1;
    };
    // Corners that leave no centre in the source, across or down: the border alone, nothing repeated.
    for (const RECT corner : {RECT{2, 3, 8, 5}, RECT{2, 3, 8, 1}, RECT{2, 3, 4, 5}}) {
        Canvas canvas(48, 32);
        CPainter::DrawImage(canvas.dc(), image.Bitmap(), RECT{2, 3, 22, 17}, RECT{0, 0, 48, 32}, RECT{3, 2, 13, 10},
                            corner, false, 255, false, true, true);
        EXPECT_EQ(BandColor(0, 0) & 0xFFFFFF, canvas.Rgb(2, 3)) << corner.right << corner.bottom;
        EXPECT_EQ(0u, canvas.Rgb(10, 10)) << corner.right << corner.bottom;
    }
    // A centre one pixel high (source row 5) repeated down the whole destination centre (rows 6 to 12), and
    // one pixel wide (source column 5) repeated across it (columns 4 to 14).
    {
        Canvas canvas(48, 32);
        CPainter::DrawImage(canvas.dc(), image.Bitmap(), RECT{2, 3, 22, 17}, RECT{0, 0, 48, 32}, RECT{3, 2, 13, 10},
                            RECT{2, 3, 4, 4}, false, 255, false, true, true);
        for (int y = 6; y < 13; ++y)
            for (int x = 4; x < 18; ++x)
                ASSERT_EQ(CentreColor((x - 4) % 4, 0) & 0xFFFFFF, canvas.Rgb(x, y)) << x << "," << y;
        CPainter::DrawImage(canvas.dc(), image.Bitmap(), RECT{2, 3, 22, 17}, RECT{0, 0, 48, 32}, RECT{3, 2, 13, 10},
                            RECT{2, 3, 7, 1}, false, 255, false, true, true);
        for (int y = 6; y < 16; ++y)
            for (int x = 4; x < 15; ++x)
                ASSERT_EQ(CentreColor(0, (y - 6) % 4) & 0xFFFFFF, canvas.Rgb(x, y)) << x << "," << y;
    }
    // Without a right or bottom corner the last copies end at the destination's edges, not past them.
    for (const bool alpha : {false, true}) {
        Canvas canvas(48, 32);
        CPainter::DrawImage(canvas.dc(), image.Bitmap(), RECT{2, 3, 22, 17}, RECT{0, 0, 48, 32}, RECT{3, 2, 13, 10},
                            RECT{2, 3, 0, 0}, alpha, 255, false, true, true);
        ExpectBands(canvas, 48, 32, Bands{{2, 4, 22, 22}, {3, 6, 17, 17}}, "no right or bottom corner", 0, 0777);
    }
    for (const Case c : {Case{true, true, false}, Case{true, false, false}, Case{false, true, false},
                         Case{true, true, true}, Case{true, false, true}}) {
        Canvas canvas(48, 32);
        CPainter::DrawImage(canvas.dc(), image.Bitmap(), RECT{2, 3, 22, 17}, RECT{0, 0, 48, 32},
                            RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1}, c.alpha, 255, false, c.xtiled, c.ytiled);
        const std::string label = std::string(c.xtiled ? "x" : "") + (c.ytiled ? "y" : "") + (c.alpha ? " alpha" : "");
        // The edges stay stretched.
        ExpectBands(canvas, 48, 32, Bands{{2, 4, 18, 22}, {3, 6, 16, 17}}, label, 0, kCentre);
        for (int y = 6; y < rowEnd; ++y)
            for (int x = 4; x < columnEnd; ++x) {
                const DWORD actual = canvas.Rgb(x, y);
                const DWORD expected = CentreColor(sourceOffset(columnStarts, columnEnd, x),
                                                   sourceOffset(rowStarts, rowEnd, y));
                // A direction that is not tiled is stretched: only the channel of the tiled one is exact.
                const DWORD mask = (c.xtiled ? 0xFF0000u : 0) | (c.ytiled ? 0xFF00u : 0);
                EXPECT_EQ(expected & mask, actual & mask) << label << " " << x << "," << y;
            }
    }
}

// Skin images at 100, 150 and 200 %: the destination always scales with the window; source and corners
// scale only when the skin holds the image drawn for that scale ("@150", "@200"), else they stay.
class ScaledImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Folder() = std::filesystem::temp_directory_path() / ("painter-" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::create_directories(Folder());
        GridImage(16, 12, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1}).Save(Folder() / "grid.bmp");
        GridImage(24, 18, RECT{5, 3, 20, 15}, RECT{3, 5, 6, 2}).Save(Folder() / "grid@150.bmp");
        GridImage(32, 24, RECT{6, 4, 26, 20}, RECT{4, 6, 8, 2}).Save(Folder() / "grid@200.bmp");
        GridImage(16, 12, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1}).Save(Folder() / "plain.bmp");
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Folder(), ignored);
    }
    static std::filesystem::path& Folder()
    {
        static std::filesystem::path folder;
        return folder;
    }
    static std::wstring Describe(const char* file, const wchar_t* rest)
    {
        return L"file='" + (Folder() / file).wstring() + L"' " + rest;
    }
};

TEST_F(ScaledImageTest, SourceDestAndCornersAt100150And200Percent)
{
    const wchar_t* grid = L"source='3,2,13,10' corner='2,3,4,1' dest='1,1,21,15'";
    struct Case {
        int dpi;
        const char* file;
        const wchar_t* rest;
        RECT item;
        Bands bands;
        unsigned skipped;
        unsigned ignored = 0;
    };
    const RECT all = {0, 0, 48, 32};
    const Case cases[] = {
        {96, "grid.bmp", grid, all, {{1, 3, 17, 21}, {1, 4, 14, 15}}, 0},
        // Dest (1, 1, 21, 15) becomes (2, 2, 32, 23); the variant's source is (5, 3, 20, 15), corners 3, 5, 6, 2.
        {144, "grid.bmp", grid, all, {{2, 5, 26, 32}, {2, 7, 21, 23}}, 0},
        {192, "grid.bmp", grid, all, {{2, 6, 34, 42}, {2, 8, 28, 30}}, 0},
        {192, "grid.bmp", L"source='3,2,13,10' corner='2,3,4,1' dest='1,1,21,15' hole='true'", all,
         {{2, 6, 34, 42}, {2, 8, 28, 30}}, kCentre},
        // No variant: the 100 % image with its own source and corners in the scaled destination.
        {144, "plain.bmp", grid, all, {{2, 4, 28, 32}, {2, 5, 22, 23}}, 0},
        // Dest (3, 3, 8, 8) keeps its width: left 4.5 -> 5, width 7.5 -> 8, so it ends at 13, not at 12.
        {144, "plain.bmp", L"source='5,5,9,9' dest='3,3,8,8'", all, {{5, 5, 13, 13}, {5, 5, 13, 13}}, 0},
        // As wide as the source but twice as high: stretched, not copied.
        {96, "plain.bmp", L"source='5,5,9,9' dest='3,3,7,11'", all, {{3, 3, 7, 7}, {3, 3, 11, 11}}, 0},
        // Dest is placed from the item's corner and cut at the item's right and bottom.
        {96, "grid.bmp", grid, {0, 0, 16, 12}, {{1, 3, 12, 16}, {1, 4, 11, 12}}, 0},
        {144, "grid.bmp", grid, {4, 2, 44, 30}, {{6, 9, 30, 36}, {4, 9, 23, 25}}, 0},
        {192, "grid.bmp", grid, {0, 0, 30, 20}, {{2, 6, 22, 30}, {2, 8, 18, 20}}, 0},
        // No dest: the item itself.
        {96, "grid.bmp", L"source='3,2,13,10' corner='2,3,4,1'", {4, 4, 30, 20}, {{4, 6, 26, 30}, {4, 7, 19, 20}}, 0},
        // A dest reaching left of and above the item is cut there too: nothing lands on the item's neighbours.
        {96, "grid.bmp", L"source='3,2,13,10' corner='2,3,4,1' dest='-800,-3,16,12'", {4, 4, 30, 20},
         {{4, 6, 16, 20}, {4, 7, 15, 16}}, 0},
        // Negative corners count as none, and a corner wider than the destination stops at its edge (the
        // pieces stretched from the cut source are left out of the comparison).
        {96, "grid.bmp", L"source='3,2,13,10' corner='-2,3,4,-1' dest='4,1,24,15'", all,
         {{4, 4, 20, 24}, {1, 4, 15, 15}}, 0, 0062},
        {96, "grid.bmp", L"source='0,0,16,12' corner='2,3,12,1' dest='24,1,32,15'", all,
         {{24, 26, 32, 32}, {1, 4, 14, 15}}, 0, 0777},
    };
    for (const Case& c : cases) {
        CWindowUIManager manager;
        manager.GetDpiScaler()->SetDPI(c.dpi);
        Canvas canvas(48, 32);
        const std::wstring description = Describe(c.file, c.rest);
        const std::string label = std::to_string(c.dpi) + " " + c.file + " item " + std::to_string(c.item.left) +
                                  "," + std::to_string(c.item.right);
        ASSERT_TRUE(CPainter::DrawImageString(canvas.dc(), &manager, c.item, all, description.c_str())) << label;
        ExpectBands(canvas, 48, 32, c.bands, label, c.skipped, c.ignored);
    }
}

// A source reaching past the image is cut at its edges; with a destination of the cut size it is copied.
TEST_F(ScaledImageTest, SourcePastTheImageIsCutAtItsEdges)
{
    GridImage image(16, 12, RECT{3, 2, 13, 10}, RECT{2, 3, 4, 1});
    struct Case {
        const wchar_t* rest;
        int left, top;  // the image pixel drawn at canvas (0, 0)
        int width, height;
    };
    const Case cases[] = {{L"source='0,0,40,30' dest='0,0,16,12'", 0, 0, 16, 12},
                          {L"source='3,2,40,30' dest='0,0,13,10'", 3, 2, 13, 10}};
    for (const Case& c : cases) {
        CWindowUIManager manager;
        Canvas canvas(48, 32);
        const std::wstring description = Describe("plain.bmp", c.rest);
        ASSERT_TRUE(CPainter::DrawImageString(canvas.dc(), &manager, RECT{0, 0, 48, 32}, RECT{0, 0, 48, 32},
                                              description.c_str()));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                const bool inside = x < c.width && y < c.height;
                const DWORD expected = inside ? image.Pixel(c.left + x, c.top + y) & 0xFFFFFF : 0;
                ASSERT_EQ(expected, canvas.Rgb(x, y)) << x << "," << y << " " << c.left;
            }
    }
}

}  // namespace
