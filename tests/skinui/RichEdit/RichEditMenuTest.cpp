#include "Control/RichEditContextMenu.h"

#include <gtest/gtest.h>

#include <cwchar>

using namespace SkinUI;

namespace {

UINT FlagsOf(const std::vector<RichEditMenuItem>& items, UINT id)
{
    for (const RichEditMenuItem& item : items)
        if (item.id == id) return item.flags;
    ADD_FAILURE() << "no entry " << id;
    return 0;
}

bool IsGrayed(const std::vector<RichEditMenuItem>& items, UINT id) { return (FlagsOf(items, id) & MF_GRAYED) != 0; }

TEST(RichEditMenu, EntriesInTheirOrderWithTwoSeparators)
{
    const auto items = BuildRichEditMenu({});
    const UINT order[] = {101, 107, 0, 102, 103, 104, 105, 0, 106};
    ASSERT_EQ(std::size(order), items.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(order[i], items[i].id) << i;
    EXPECT_EQ(MF_SEPARATOR, items[2].flags);
    EXPECT_EQ(0, wcscmp(L"粘帖(&V)", items[5].text));
    EXPECT_EQ(0, wcscmp(L"全选(&A)", items[8].text));
}

TEST(RichEditMenu, PasteIsGrayedOnlyWhenReadOnly)
{
    RichEditMenuState state;
    EXPECT_FALSE(IsGrayed(BuildRichEditMenu(state), kMenuPaste));
    state.readOnly = true;
    EXPECT_TRUE(IsGrayed(BuildRichEditMenu(state), kMenuPaste));
}

TEST(RichEditMenu, CopyNeedsASelectionCutAndClearAlsoAnEditableText)
{
    RichEditMenuState state;
    auto items = BuildRichEditMenu(state);
    EXPECT_TRUE(IsGrayed(items, kMenuCopy));
    EXPECT_TRUE(IsGrayed(items, kMenuCut));
    EXPECT_TRUE(IsGrayed(items, kMenuClear));
    state.selectionEmpty = false;
    items = BuildRichEditMenu(state);
    EXPECT_FALSE(IsGrayed(items, kMenuCopy));
    EXPECT_FALSE(IsGrayed(items, kMenuCut));
    EXPECT_FALSE(IsGrayed(items, kMenuClear));
    state.readOnly = true;
    items = BuildRichEditMenu(state);
    EXPECT_FALSE(IsGrayed(items, kMenuCopy));
    EXPECT_TRUE(IsGrayed(items, kMenuCut));
    EXPECT_TRUE(IsGrayed(items, kMenuClear));
    EXPECT_FALSE(IsGrayed(items, kMenuSelectAll));
}

TEST(RichEditMenu, UndoAndRedoFollowTheEditor)
{
    RichEditMenuState state;
    state.canUndo = true;
    auto items = BuildRichEditMenu(state);
    EXPECT_FALSE(IsGrayed(items, kMenuUndo));
    EXPECT_TRUE(IsGrayed(items, kMenuRedo));
    state.canUndo = false;
    state.canRedo = true;
    items = BuildRichEditMenu(state);
    EXPECT_TRUE(IsGrayed(items, kMenuUndo));
    EXPECT_FALSE(IsGrayed(items, kMenuRedo));
}

}  // namespace
