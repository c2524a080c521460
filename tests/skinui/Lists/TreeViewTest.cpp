#include "Control/LabelUI.h"
#include "Control/ListsRegistration.h"
#include "Control/UIListHeader.h"
#include "Control/UIOption.h"
#include "Control/UITreeView.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace {

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterListsControls(*CControlFactory::GetInstance()); }
    void TearDown() override { CWindowUIManager::Term(); }

    CTreeViewUI* Build(const wchar_t* xml)
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml, nullptr, nullptr, &manager);
        if (!root) return nullptr;
        manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 300, 400});
        return static_cast<CTreeViewUI*>(root->GetInterface(L"TreeView"));
    }
    CTreeViewUI* ThreeLevels(const wchar_t* treeAttributes = L"")
    {
        std::wstring xml = L"<Window><TreeView ";
        xml += treeAttributes;
        xml += L"><TreeNode name=\"a\" text=\"a\"><TreeNode name=\"a1\" text=\"a1\"><TreeNode name=\"a1x\" text=\"a1x\"/>"
               L"</TreeNode><TreeNode name=\"a2\" text=\"a2\"/></TreeNode><TreeNode name=\"b\" text=\"b\"/>"
               L"</TreeView></Window>";
        return Build(xml.c_str());
    }
    CTreeNodeUI* Node(const wchar_t* name) { return static_cast<CTreeNodeUI*>(manager.FindControl(name)); }
    void DoubleClick(CTreeNodeUI* node)
    {
        ControlEvent event;
        event.Type = EVT_DBLCLICK;
        node->HandleEvent(event);
    }

    CWindowUIManager manager;
};

TEST_F(TreeViewTest, NestedNodesAreRowsInDepthFirstOrderIndentedPerLevel)
{
    CTreeViewUI* tree = ThreeLevels();
    ASSERT_NE(nullptr, tree);
    ASSERT_EQ(5, tree->GetCount());
    const wchar_t* order[] = {L"a", L"a1", L"a1x", L"a2", L"b"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(CUIString(order[i]), tree->GetItemAt(i)->GetName()) << i;
    EXPECT_EQ(2 + 16 + 16, Node(L"a1x")->GetDottedLine()->GetFixedWidth());
    EXPECT_TRUE(Node(L"a1x")->GetDottedLine()->IsVisible());
    EXPECT_FALSE(Node(L"a")->GetDottedLine()->IsVisible());
    EXPECT_EQ(Node(L"a1"), Node(L"a1x")->GetParentNode());
    EXPECT_EQ(CUIString(L"a2"), Node(L"a2")->GetItemButton()->GetText());
    EXPECT_EQ(2, tree->GetListType());
    EXPECT_FALSE(tree->GetHeader()->IsVisible());
}

TEST_F(TreeViewTest, DoubleClickCollapsesTheSubtreeAndExpandsOnlyExpandedChildrenAgain)
{
    CTreeViewUI* tree = ThreeLevels();
    DoubleClick(Node(L"a1"));
    EXPECT_FALSE(Node(L"a1x")->IsVisible());
    EXPECT_TRUE(Node(L"a2")->IsVisible());
    DoubleClick(Node(L"a"));
    EXPECT_FALSE(Node(L"a1")->IsVisible());
    EXPECT_FALSE(Node(L"a2")->IsVisible());
    EXPECT_FALSE(Node(L"a1x")->IsVisible());
    EXPECT_TRUE(Node(L"b")->IsVisible());
    DoubleClick(Node(L"a"));
    EXPECT_TRUE(Node(L"a1")->IsVisible());
    EXPECT_TRUE(Node(L"a2")->IsVisible());
    EXPECT_FALSE(Node(L"a1x")->IsVisible());
    tree->SetPos(RECT{0, 0, 300, 400});
    EXPECT_EQ(Node(L"a1")->GetPos().bottom, Node(L"a2")->GetPos().top);
}

TEST_F(TreeViewTest, CheckingANodeChecksItsWholeSubtree)
{
    ThreeLevels(L"visiblecheckbtn=\"TRUE\"");
    EXPECT_TRUE(Node(L"a1x")->GetCheckBox()->IsVisible());
    Node(L"a")->GetCheckBox()->Selected(true);
    EXPECT_TRUE(Node(L"a1")->GetCheckBox()->IsSelected());
    EXPECT_TRUE(Node(L"a1x")->GetCheckBox()->IsSelected());
    EXPECT_TRUE(Node(L"a2")->GetCheckBox()->IsSelected());
    EXPECT_FALSE(Node(L"b")->GetCheckBox()->IsSelected());
}

TEST_F(TreeViewTest, NodesAddedLaterFollowTheTreeFlagsAndLandBehindTheSubtree)
{
    CTreeViewUI* tree = ThreeLevels(L"visiblecheckbtn=\"true\"");
    auto* late = new CTreeNodeUI();
    late->SetName(L"a3");
    ASSERT_TRUE(Node(L"a")->Add(late));
    EXPECT_TRUE(late->GetCheckBox()->IsVisible());
    EXPECT_EQ(4, tree->GetItemIndex(late));
    auto* first = new CTreeNodeUI();
    ASSERT_TRUE(Node(L"a")->AddAt(first, 0));
    EXPECT_EQ(1, tree->GetItemIndex(first));
    EXPECT_EQ(7, tree->GetCount());
}

TEST_F(TreeViewTest, RemovingANodeTakesItsSubtreeAndLeavesItsParentConsistent)
{
    CTreeViewUI* tree = ThreeLevels();
    ASSERT_TRUE(tree->Remove(Node(L"a1")));
    EXPECT_EQ(3, tree->GetCount());
    EXPECT_EQ(1, Node(L"a")->GetCountChild());
    ASSERT_TRUE(tree->RemoveAt(2));
    EXPECT_EQ(2, tree->GetCount());
    ASSERT_TRUE(Node(L"a")->Remove(Node(L"a2")));
    EXPECT_EQ(1, tree->GetCount());
    EXPECT_FALSE(Node(L"a")->IsHasChild());
}

TEST(TreeNode, NodesOutsideATreeAreOwnedByTheirParent)
{
    auto* root = new CTreeNodeUI();
    auto* child = new CTreeNodeUI();
    ASSERT_TRUE(root->Add(child));
    ASSERT_TRUE(child->Add(new CTreeNodeUI()));
    EXPECT_EQ(1, root->GetCountChild());
    EXPECT_EQ(-1, child->GetTreeIndex());
    delete root;
}

}  // namespace
