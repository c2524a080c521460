#include "Core/ZipArchive.h"
#include "SkinTestData.h"

#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

DWORD PixelOf(const ImageRecord* image, int x, int y)
{
    DIBSECTION section = {};
    ::GetObjectW(image->hBitmap, sizeof(section), &section);
    return static_cast<const DWORD*>(section.dsBm.bmBits)[y * image->nX + x];
}

TEST(SkinZip, ReadsEntriesWithoutRegardToCaseOrSlashKind)
{
    const std::vector<unsigned char> bytes = ReadDataFile("skin.zip");
    auto zip = CZipArchive::OpenMemory(bytes.data(), bytes.size(), nullptr);
    ASSERT_TRUE(zip);
    std::vector<unsigned char> entry;
    ASSERT_TRUE(zip->ReadEntry(L"IMAGE\\Quad.PNG", entry));
    EXPECT_EQ(ReadDataFile("quad.png"), entry);
    EXPECT_FALSE(zip->ReadEntry(L"image/none.png", entry));
    EXPECT_TRUE(entry.empty());
    EXPECT_FALSE(zip->HasEntry(L"empty.txt"));
}

TEST(SkinZip, RejectsBytesThatAreNoZip)
{
    const char junk[] = "this is no archive";
    EXPECT_FALSE(CZipArchive::OpenMemory(junk, sizeof(junk), nullptr));
    EXPECT_FALSE(CZipArchive::OpenMemory(nullptr, 0, nullptr));
}

TEST(SkinZip, OpensAZipFile)
{
    auto zip = CZipArchive::OpenFile(SkinDataPath("skin.zip").c_str(), nullptr);
    ASSERT_TRUE(zip);
    EXPECT_TRUE(zip->HasEntry(L"image/alpha.png"));
}

TEST(ImageLoading, DecodesIntoPremultipliedTopDownPixels)
{
    SkinZipScope zip;
    ImageRecord* image = CPainter::LoadImage(L"image/alpha.png");
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(2, image->nX);
    EXPECT_EQ(1, image->nY);
    EXPECT_TRUE(image->bAlpha);
    // (200, 100, 50) at alpha 128 becomes 200*128/255 = 100, 50, 25.
    EXPECT_EQ(0x80643219u, PixelOf(image, 0, 0));
    EXPECT_EQ(0xFFFF0000u, PixelOf(image, 1, 0));
    CPainter::FreeImage(image);

    image = CPainter::LoadImage(L"image/quad.png");
    ASSERT_NE(nullptr, image);
    EXPECT_FALSE(image->bAlpha);
    EXPECT_EQ(0xFFFF0000u, PixelOf(image, 0, 0));
    EXPECT_EQ(0xFF0000FFu, PixelOf(image, 0, 3));
    CPainter::FreeImage(image);
}

TEST(ImageLoading, MaskedColourBecomesTransparent)
{
    SkinZipScope zip;
    ImageRecord* image = CPainter::LoadImage(L"image/quad.png", nullptr, 0xFFFF00FF);
    ASSERT_NE(nullptr, image);
    EXPECT_TRUE(image->bAlpha);
    EXPECT_EQ(0u, PixelOf(image, 3, 3));
    EXPECT_EQ(0xFF00FF00u, PixelOf(image, 3, 0));
    CPainter::FreeImage(image);
}

TEST(ImageLoading, FallsBackToAPlainPathAndFailsOnBadBytes)
{
    ImageRecord* image = CPainter::LoadImage(SkinDataPath("quad.png").c_str());
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(4, image->nX);
    CPainter::FreeImage(image);
    EXPECT_EQ(nullptr, CPainter::LoadImage(SkinDataPath("broken.png").c_str()));
    EXPECT_EQ(nullptr, CPainter::LoadImage(SkinDataPath("missing.png").c_str()));
    EXPECT_EQ(nullptr, CPainter::LoadImage(L""));
}

TEST(ImageLoading, AResourceIdWithoutATypeLoadsNothing)
{
    EXPECT_EQ(nullptr, CPainter::LoadImage(101u, nullptr));
    EXPECT_EQ(nullptr, CPainter::LoadImage(MAKEINTRESOURCEW(101), L""));
    SkinZipScope zip;
    EXPECT_EQ(nullptr, CPainter::LoadImage(101u, L""));
    EXPECT_EQ(nullptr, CPainter::LoadImage(MAKEINTRESOURCEW(101), nullptr));
    EXPECT_EQ(nullptr, CPainter::LoadImageMapped(MAKEINTRESOURCEW(101), nullptr));
}

TEST(ManagerImages, AddedOncePerNameAndFoundAgain)
{
    SkinZipScope zip;
    CWindowUIManager manager;
    const ImageRecord* first = manager.GetImageOrLoad(L"image/quad.png");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, manager.GetImage(L"image/quad.png"));
    EXPECT_EQ(first, manager.GetImageOrLoad(L"image/quad.png"));
    EXPECT_EQ(nullptr, manager.AddImage(L"abc", L"PNG"));
    EXPECT_EQ(nullptr, manager.AddImage(L""));
    EXPECT_TRUE(manager.RemoveImage(L"image/quad.png"));
    EXPECT_EQ(nullptr, manager.GetImage(L"image/quad.png"));
    EXPECT_FALSE(manager.RemoveImage(L"image/quad.png"));
}

TEST(ManagerImages, SharedImagesAreSeenByEveryWindow)
{
    SkinZipScope zip;
    CWindowUIManager first;
    CWindowUIManager second;
    ASSERT_NE(nullptr, first.AddImage(L"image/quad.png", nullptr, 0, false, true));
    EXPECT_NE(nullptr, second.GetImage(L"image/quad.png"));
}

}  // namespace
