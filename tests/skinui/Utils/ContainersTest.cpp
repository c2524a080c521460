#include "Utils/PtrArray.h"
#include "Utils/ProcessUtils.h"
#include "Utils/StringPtrMap.h"
#include "Utils/UIGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace SkinUI;

namespace {
void* Item(int n) { return reinterpret_cast<void*>(static_cast<intptr_t>(n)); }
}

TEST(PtrArrayGrowth, GrowsFromElevenToTwentyTwoSlots)
{
    CPtrArray array;
    EXPECT_EQ(0, array.GetCapacity());
    ASSERT_TRUE(array.Add(Item(1)));
    EXPECT_EQ(11, array.GetCapacity());
    for (int i = 2; i <= 10; ++i) ASSERT_TRUE(array.Add(Item(i)));
    EXPECT_EQ(11, array.GetCapacity());
    ASSERT_TRUE(array.Add(Item(11)));  // the count reaches the capacity
    EXPECT_EQ(22, array.GetCapacity());
    for (int i = 12; i <= 21; ++i) ASSERT_TRUE(array.Add(Item(i)));
    EXPECT_EQ(22, array.GetCapacity());
    ASSERT_TRUE(array.Add(Item(22)));
    EXPECT_EQ(44, array.GetCapacity());
    ASSERT_EQ(22, array.GetSize());
    for (int i = 0; i < 22; ++i) EXPECT_EQ(Item(i + 1), array[i]);
    EXPECT_EQ(nullptr, array.GetAt(22));
    EXPECT_EQ(nullptr, array.GetAt(-1));
    EXPECT_EQ(10, array.Find(Item(11)));
    EXPECT_EQ(-1, array.Find(Item(99)));
}

TEST(PtrArrayEdits, InsertsAndRemovesAtBothEnds)
{
    CPtrArray array;
    EXPECT_FALSE(array.InsertAt(1, Item(1)));
    EXPECT_TRUE(array.InsertAt(0, Item(2)));
    EXPECT_TRUE(array.InsertAt(0, Item(1)));
    EXPECT_TRUE(array.InsertAt(2, Item(3)));
    EXPECT_FALSE(array.InsertAt(4, Item(4)));
    EXPECT_FALSE(array.InsertAt(-1, Item(4)));
    ASSERT_EQ(3, array.GetSize());
    EXPECT_EQ(Item(1), array[0]);
    EXPECT_EQ(Item(3), array[2]);

    EXPECT_FALSE(array.Remove(3));
    EXPECT_FALSE(array.Remove(-1));
    EXPECT_TRUE(array.Remove(2));
    EXPECT_TRUE(array.Remove(0));
    ASSERT_EQ(1, array.GetSize());
    EXPECT_EQ(Item(2), array[0]);
    EXPECT_TRUE(array.Remove(0));
    EXPECT_TRUE(array.IsEmpty());
}

TEST(PtrArrayCopies, CopiesAreIndependent)
{
    CPtrArray a;
    for (int i = 1; i <= 12; ++i) a.Add(Item(i));
    CPtrArray b(a);
    CPtrArray c;
    c.Add(Item(50));
    c = a;
    c = c;
    a.Empty();
    EXPECT_EQ(12, b.GetSize());
    EXPECT_EQ(12, c.GetSize());
    EXPECT_EQ(Item(12), c[11]);
    c.Remove(0);
    EXPECT_EQ(Item(1), b[0]);

    c.Resize(4);
    EXPECT_EQ(4, c.GetSize());
    EXPECT_EQ(nullptr, c[3]);
    c.Resize(0);
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_TRUE(c.Add(Item(7)));
}

TEST(StringPtrMap, KeepsCaseSensitiveCodeUnitOrder)
{
    CUIStringPtrMap map;
    EXPECT_TRUE(map.Set(L"b", Item(2)));
    map.Set(L"a", Item(1));
    map.Set(L"ab", Item(3));
    map.Set(L"B", Item(4));
    EXPECT_EQ(Item(2), map.Find(L"b"));
    EXPECT_EQ(nullptr, map.Find(L"c"));
    EXPECT_EQ(Item(2), map.Exchange(L"b", Item(20)));
    EXPECT_EQ(nullptr, map.Exchange(L"new", Item(5)));
    EXPECT_EQ(Item(20), map.Find(L"b"));

    std::vector<CUIString> keys;
    for (auto it = map.Begin(); it != map.End(); ++it) keys.push_back(it->first);
    const std::vector<CUIString> expected{L"B", L"a", L"ab", L"b", L"new"};
    EXPECT_EQ(expected, keys);

    EXPECT_TRUE(map.Remove(L"ab"));
    EXPECT_FALSE(map.Remove(L"ab"));
    map.RemoveAll();
    EXPECT_EQ(0, map.GetSize());
}

TEST(Geometry, UnitesAndMovesRectangles)
{
    CUIRect rc(10, 20, 30, 60);
    EXPECT_EQ(20, rc.GetWidth());
    EXPECT_EQ(40, rc.GetHeight());
    rc.Union(CUIRect(0, 30, 50, 40));
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(50, rc.right);
    EXPECT_EQ(60, rc.bottom);
    rc.MoveToOrigin();
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(40, rc.bottom);
    rc.Deflate(5, 5);
    EXPECT_EQ(CUIRect(5, 5, 45, 35).right, rc.right);
}

TEST(ProcessUtils, ConvertsAndSearchesTexts)
{
    EXPECT_EQ("abc", WideToMultiByte(L"abc", CP_UTF8));
    EXPECT_EQ("\xE6\xB8\xB8", WideToMultiByte(L"\x6E38", CP_UTF8));
    EXPECT_EQ("", WideToMultiByte(nullptr, CP_UTF8));
    const std::vector<CUIString> classes{L"Label", L"Control"};
    EXPECT_TRUE(ContainsString(classes, L"Label", false));
    EXPECT_FALSE(ContainsString(classes, L"label", false));
    EXPECT_TRUE(ContainsString(classes, L"label", true));
    const std::wstring folder = GetExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(L'\\', folder.back());
    DebugOutputFormat(L"%ls %d\n", L"debug", 1);
    DebugOutputFormat(nullptr);
    const std::wstring huge(100000, L'x');
    DebugOutputFormat(L"%ls", huge.c_str());
}
