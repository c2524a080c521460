#include "Control/LabelUI.h"
#include "Control/ListsRegistration.h"
#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Control/UIOption.h"
#include "Control/UITreeView.h"
#include "Core/ControlDeletion.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "DebugOutputCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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
    EXPECT_EQ(Node(L"a1"), Node(L"a")->GetChildNode(0));
    EXPECT_EQ(Node(L"a2"), Node(L"a")->GetChildNode(1));
    EXPECT_EQ(nullptr, Node(L"a")->GetChildNode(2));
    EXPECT_EQ(nullptr, Node(L"a")->GetChildNode(-1));
    EXPECT_EQ(nullptr, Node(L"b")->GetChildNode(0)) << "a leaf has no child 0";
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
    // Without a node every node row is hidden; a plain row in the tree is passed over.
    auto* plain = new CListLabelElementUI();
    ASSERT_TRUE(tree->Add(plain));
    ASSERT_EQ(plain, tree->GetItemAt(5));
    auto* plainFirst = new CListLabelElementUI();
    ASSERT_TRUE(tree->AddAt(plainFirst, 0));
    tree->SetItemExpand(false, nullptr);
    for (const wchar_t* name : {L"a", L"a1", L"a1x", L"a2", L"b"}) EXPECT_FALSE(Node(name)->IsVisible());
    EXPECT_TRUE(plain->IsVisible());
    EXPECT_TRUE(plainFirst->IsVisible());
}

TEST_F(TreeViewTest, ArrowKeysPassOverTheRowsOfACollapsedNode)
{
    CTreeViewUI* tree = ThreeLevels();
    DoubleClick(Node(L"a"));
    ASSERT_FALSE(Node(L"a1")->IsVisible());
    ASSERT_TRUE(tree->SelectItem(0, false));
    ControlEvent down;
    down.Type = EVT_KEYDOWN;
    down.chKey = VK_DOWN;
    tree->HandleEvent(down);
    EXPECT_EQ(4, tree->GetCurSel()) << "from a straight to b";
    ControlEvent up = down;
    up.chKey = VK_UP;
    tree->HandleEvent(up);
    EXPECT_EQ(0, tree->GetCurSel());
    tree->HandleEvent(up);
    EXPECT_EQ(0, tree->GetCurSel());
    // Hidden rows at the end leave the last shown row selected.
    DoubleClick(Node(L"a"));
    DoubleClick(Node(L"a1"));
    Node(L"a2")->SetVisible(false);
    Node(L"b")->SetVisible(false);
    ASSERT_TRUE(tree->SelectItem(1, false));
    tree->HandleEvent(down);
    EXPECT_EQ(1, tree->GetCurSel());
}

TEST_F(TreeViewTest, CheckingANodeChecksItsWholeSubtree)
{
    CTreeViewUI* tree = ThreeLevels(L"visiblecheckbtn=\"TRUE\"");
    EXPECT_TRUE(Node(L"a1x")->GetCheckBox()->IsVisible());
    Node(L"a")->GetCheckBox()->Selected(true);
    EXPECT_TRUE(Node(L"a1")->GetCheckBox()->IsSelected());
    EXPECT_TRUE(Node(L"a1x")->GetCheckBox()->IsSelected());
    EXPECT_TRUE(Node(L"a2")->GetCheckBox()->IsSelected());
    EXPECT_FALSE(Node(L"b")->GetCheckBox()->IsSelected());
    // Without a node, the whole tree.
    tree->SetItemCheckBox(true, nullptr);
    EXPECT_TRUE(Node(L"b")->GetCheckBox()->IsSelected());
}

TEST_F(TreeViewTest, NodesAddedLaterFollowTheTreeFlagsAndLandBehindTheSubtree)
{
    CTreeViewUI* tree = ThreeLevels(L"visiblecheckbtn=\"true\" itemminwidth=\"400\"");
    auto* late = new CTreeNodeUI();
    late->SetName(L"a3");
    ASSERT_TRUE(Node(L"a")->Add(late));
    EXPECT_TRUE(late->GetCheckBox()->IsVisible());
    tree->SetPos(RECT{0, 0, 300, 400});
    EXPECT_EQ(400, late->GetPos().right - late->GetPos().left) << "the row is narrower than the tree's item minimum";
    EXPECT_EQ(4, tree->GetItemIndex(late));
    auto* first = new CTreeNodeUI();
    ASSERT_TRUE(Node(L"a")->AddAt(first, 0));
    EXPECT_EQ(1, tree->GetItemIndex(first));
    EXPECT_EQ(7, tree->GetCount());
    // Inserted at either end, a node answers the index behind it, or behind its subtree.
    auto* top = new CTreeNodeUI();
    EXPECT_EQ(1, tree->AddAt(top, 0));
    EXPECT_EQ(top, tree->GetItemAt(0));
    auto* last = new CTreeNodeUI();
    ASSERT_TRUE(last->Add(new CTreeNodeUI()));
    EXPECT_EQ(10, tree->AddAt(last, 8));
    EXPECT_EQ(10, tree->GetCount());
    EXPECT_EQ(last->GetChildNode(0), tree->GetItemAt(9));
    // Through the container interface a node brings its subtree too.
    auto* parent = new CTreeNodeUI();
    ASSERT_TRUE(parent->Add(new CTreeNodeUI()));
    ASSERT_TRUE(tree->AddAt(static_cast<CControlUI*>(parent), 0));
    EXPECT_EQ(parent->GetChildNode(0), tree->GetItemAt(1));
    auto* before = new CTreeNodeUI();
    ASSERT_TRUE(tree->AddAt(before, parent));
    EXPECT_EQ(before, tree->GetItemAt(0));
    // A child inserted among a node's children lands before the one it pushes on; one past the end lands
    // behind the node's whole subtree.
    auto* middle = new CTreeNodeUI();
    ASSERT_TRUE(Node(L"a")->AddAt(middle, 1));
    EXPECT_EQ(middle, Node(L"a")->GetChildNode(1));
    EXPECT_EQ(tree->GetItemIndex(Node(L"a1")) - 1, tree->GetItemIndex(middle));
    auto* behind = new CTreeNodeUI();
    ASSERT_TRUE(Node(L"a")->AddAt(behind, 99));
    EXPECT_EQ(tree->GetItemIndex(Node(L"b")) - 1, tree->GetItemIndex(behind));
    // A tree without an item minimum leaves a node's own.
    CTreeViewUI* plain = ThreeLevels();
    auto* wide = new CTreeNodeUI();
    wide->SetMinWidth(350);
    ASSERT_TRUE(plain->Add(wide));
    EXPECT_EQ(350, wide->GetMinWidth());
}

// Collapsed with its folder button, a node keeps hidden what is added under it, at any depth, and what comes
// with what is added; expanding it shows them as a double click would.
TEST_F(TreeViewTest, NodesAddedUnderACollapsedNodeStayHiddenUntilItIsExpanded)
{
    CTreeViewUI* tree = ThreeLevels();
    ASSERT_NE(nullptr, tree);
    const auto node = [](const wchar_t* name, std::initializer_list<CTreeNodeUI*> children = {}) {
        auto* made = new CTreeNodeUI();
        made->SetName(name);
        for (CTreeNodeUI* child : children) made->Add(child);
        return made;
    };
    const auto collapsed = [](CTreeNodeUI* made) {
        made->GetFolderButton()->Selected(true);
        made->SetExpandedFlag(false);
        return made;
    };
    ASSERT_TRUE(Node(L"a")->GetFolderButton()->Activate());
    ASSERT_FALSE(Node(L"a")->IsNodeExpanded());
    ASSERT_TRUE(Node(L"a")->Add(node(L"c")));
    ASSERT_TRUE(Node(L"a")->AddAt(node(L"c0"), 0));
    ASSERT_TRUE(Node(L"a")->AddAt(node(L"d", {node(L"d1")}), 1));
    ASSERT_TRUE(Node(L"a1")->Add(node(L"e")));
    ASSERT_TRUE(Node(L"b")->Add(collapsed(node(L"f", {node(L"f1")}))));
    ASSERT_EQ(2, tree->AddAt(collapsed(node(L"g", {node(L"g1")})), 0));
    for (const wchar_t* hidden : {L"c", L"c0", L"d", L"d1", L"e", L"f1", L"g1"})
        EXPECT_FALSE(Node(hidden)->IsVisible()) << "shown: " << hidden;
    for (const wchar_t* shown : {L"b", L"f", L"g"}) EXPECT_TRUE(Node(shown)->IsVisible()) << shown;
    tree->SetPos(RECT{0, 0, 300, 400});
    EXPECT_EQ(Node(L"a")->GetPos().bottom, Node(L"b")->GetPos().top) << "a row shows under the collapsed node";

    ASSERT_TRUE(Node(L"a")->GetFolderButton()->Activate());
    for (const wchar_t* shown : {L"c", L"c0", L"d", L"d1", L"e", L"a1", L"a1x", L"a2"})
        EXPECT_TRUE(Node(shown)->IsVisible()) << "hidden: " << shown;
}

// A node hangs in one place: one that hangs elsewhere, or above, is refused and nothing moves.
TEST_F(TreeViewTest, ANodeThatHangsElsewhereIsRefused)
{
    CTreeViewUI* tree = ThreeLevels();
    EXPECT_FALSE(Node(L"b")->Add(Node(L"a1")));
    EXPECT_FALSE(Node(L"b")->AddAt(Node(L"a1"), 0));
    EXPECT_FALSE(Node(L"a1x")->Add(Node(L"a")));
    EXPECT_FALSE(tree->Add(Node(L"b")));
    EXPECT_EQ(-1, tree->AddAt(Node(L"b"), 0));
    // So is an index outside the rows, before the tree listens to the node.
    CTreeNodeUI outsider;
    for (int index : {-1, 6}) {
        EXPECT_EQ(-1, tree->AddAt(&outsider, index)) << index;
        EXPECT_FALSE(tree->AddAt(static_cast<CControlUI*>(&outsider), index)) << index;
    }
    EXPECT_FALSE(outsider.OnNotify.HasDelegates());
    EXPECT_EQ(nullptr, outsider.GetTreeView());
    EXPECT_EQ(-1, tree->AddAt(static_cast<CTreeNodeUI*>(nullptr), 0));
    CTreeNodeUI stranger;
    EXPECT_FALSE(tree->AddAt(&outsider, &stranger)) << "before a node outside the tree";
    // A node that holds the tree cannot hang in it.
    CTreeNodeUI holder;
    auto* inner = new CTreeViewUI();
    ASSERT_TRUE(holder.GetHorizontalLayout()->Add(inner));
    EXPECT_EQ(-1, inner->AddAt(&holder, 0));
    EXPECT_FALSE(inner->AddAt(static_cast<CControlUI*>(&holder), 0));
    EXPECT_EQ(0, Node(L"b")->GetCountChild());
    EXPECT_EQ(Node(L"a"), Node(L"a1")->GetParentNode());
    ASSERT_EQ(5, tree->GetCount());
    const wchar_t* order[] = {L"a", L"a1", L"a1x", L"a2", L"b"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(CUIString(order[i]), tree->GetItemAt(i)->GetName()) << i;
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

// Nodes the application keeps past their removal (the tree's list does not delete them) answer to the tree
// no more, whichever way they left it: a child added to one stays out of the tree, none of the tree's
// handlers listens to them, and the tree may go before them.
TEST_F(TreeViewTest, NodesKeptPastTheirRemovalNoLongerAnswerToTheTree)
{
    struct Case {
        const char* name;
        std::function<void(CTreeViewUI*)> remove;
        bool treeGoes = false;
    };
    const Case cases[] = {
        {"tree emptied", [](CTreeViewUI* tree) { tree->RemoveAll(); }},
        {"its list emptied", [](CTreeViewUI* tree) { tree->GetList()->RemoveAll(); }},
        {"top node removed", [](CTreeViewUI* tree) { tree->Remove(tree->GetItemAt(0)); }},
        {"top node removed by index", [](CTreeViewUI* tree) { tree->RemoveAt(0); }},
        {"top node removed by the list's index call",
         [](CTreeViewUI* tree) { static_cast<CListUI*>(tree->GetInterface(L"List"))->RemoveAt(0, true); }},
        {"tree deleted", [](CTreeViewUI* tree) { ControlDeletion::Delete(tree); }, true},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        auto* tree = new CTreeViewUI();
        auto* a = new CTreeNodeUI();
        auto* a1 = new CTreeNodeUI();
        auto* b = new CTreeNodeUI();
        ASSERT_TRUE(a->Add(a1));
        ASSERT_TRUE(tree->Add(a));
        ASSERT_TRUE(tree->Add(b));
        tree->GetList()->SetAutoDestroy(false);
        item.remove(tree);
        for (CTreeNodeUI* kept : {a, a1}) {
            EXPECT_EQ(nullptr, kept->GetTreeView());
            EXPECT_EQ(nullptr, kept->GetParentNode());
            EXPECT_FALSE(kept->OnNotify.HasDelegates());
            EXPECT_FALSE(kept->GetFolderButton()->OnNotify.HasDelegates());
            EXPECT_FALSE(kept->GetCheckBox()->OnNotify.HasDelegates());
        }
        EXPECT_EQ(0, a->GetCountChild());
        auto* extra = new CTreeNodeUI();
        EXPECT_TRUE(a->Add(extra));
        EXPECT_EQ(a, extra->GetParentNode());
        EXPECT_EQ(nullptr, extra->GetTreeView());
        std::vector<CTreeNodeUI*> loose;
        for (CTreeNodeUI* node : {a, a1, b, extra})
            if (!node->GetParent() && !node->GetParentNode()) loose.push_back(node);
        if (!item.treeGoes) {
            for (CTreeNodeUI* gone : {a, a1, extra}) EXPECT_EQ(-1, tree->GetItemIndex(gone));
            tree->GetList()->SetAutoDestroy(true);
            ControlDeletion::Delete(tree);
        }
        for (CTreeNodeUI* node : loose) ControlDeletion::Delete(node);
    }
    // Nor does a tree take away another tree's node.
    CTreeViewUI* tree = ThreeLevels();
    CTreeViewUI other;
    EXPECT_FALSE(other.Remove(Node(L"a1")));
    EXPECT_EQ(Node(L"a"), Node(L"a1")->GetParentNode());
    EXPECT_EQ(tree, Node(L"a1")->GetTreeView());
    EXPECT_EQ(1, Node(L"a1")->GetCountChild());
}

// Whatever a node is asked to remove that is not one of its child nodes stays where it is.
TEST_F(TreeViewTest, ANodeRemovesOnlyItsChildNodesNeverItsOwnParts)
{
    CTreeViewUI* tree = ThreeLevels(L"visiblecheckbtn=\"true\"");
    ASSERT_NE(nullptr, tree);
    CTreeNodeUI* a = Node(L"a");
    CHorizontalLayoutUI* row = a->GetHorizontalLayout();
    auto* stranger = new CLabelUI();
    CControlUI* notChildren[] = {row, a->GetFolderButton(), a->GetCheckBox(), a->GetItemButton(), a->GetDottedLine(),
                                 Node(L"a1x"), Node(L"b"), a, stranger, nullptr};
    for (CControlUI* control : notChildren) {
        EXPECT_FALSE(a->Remove(control)) << (control ? control->GetClass() : L"null");
        ASSERT_EQ(1, a->GetCount()) << "the row went";
        EXPECT_EQ(row, a->GetItemAt(0));
    }
    EXPECT_FALSE(a->RemoveAt(0));
    EXPECT_EQ(row, a->GetItemAt(0));
    EXPECT_EQ(5, tree->GetCount());
    EXPECT_EQ(2, a->GetCountChild());
    delete stranger;

    // Removing all of a node's content takes its child nodes with their subtrees and keeps the row.
    a->RemoveAll();
    EXPECT_EQ(row, a->GetItemAt(0));
    EXPECT_FALSE(a->IsHasChild());
    EXPECT_EQ(2, tree->GetCount());
    a->GetItemButton()->SetText(L"still here");
    EXPECT_EQ(CUIString(L"still here"), a->GetItemButton()->GetText());
}

TEST_F(TreeViewTest, PlainChildrenOfANodeJoinItsRowAndNestedNodesTheTree)
{
    CTreeViewUI* tree = Build(L"<Window><TreeView><TreeNode name=\"a\" text=\"a\"><Label name=\"badge\" text=\"new\"/>"
                              L"<TreeNode name=\"a1\" text=\"a1\"><Button name=\"go\"/></TreeNode></TreeNode>"
                              L"</TreeView></Window>");
    ASSERT_NE(nullptr, tree);
    ASSERT_EQ(2, tree->GetCount());
    CHorizontalLayoutUI* row = Node(L"a")->GetHorizontalLayout();
    ASSERT_EQ(5, row->GetCount());
    EXPECT_EQ(manager.FindControl(L"badge"), row->GetItemAt(4));
    EXPECT_EQ(row, manager.FindControl(L"badge")->GetParent());
    EXPECT_EQ(manager.FindControl(L"go"), Node(L"a1")->GetHorizontalLayout()->GetItemAt(4));
    EXPECT_EQ(Node(L"a"), Node(L"a1")->GetParentNode());
}

// A node whose first initialisation is counted.
class CountingNode : public CTreeNodeUI {
public:
    void InitControl() override { ++inits; }
    int inits = 0;
};

class CountingNodes : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* name) override
    {
        return _wcsicmp(name, L"CountingNode") == 0 ? new CountingNode() : nullptr;
    }
};

TEST_F(TreeViewTest, NodesJoiningATreeViewAreBoundAndInitialisedWhileBuilt)
{
    CountingNodes callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><TreeView><CountingNode name=\"a\"/></TreeView></Window>", nullptr,
                                      &callback, &manager);
    ASSERT_NE(nullptr, root);
    auto* tree = static_cast<CTreeViewUI*>(root->GetInterface(L"TreeView"));
    ASSERT_NE(nullptr, tree);
    ASSERT_EQ(1, tree->GetCount());
    EXPECT_EQ(1, static_cast<CountingNode*>(tree->GetItemAt(0))->inits);
    delete root;
}

TEST_F(TreeViewTest, ANodeOutsideATreeIsDroppedWithADebuggerWarning)
{
    Testing::DebugOutputCapture output;
    ASSERT_TRUE(output.IsListening());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><VerticalLayout><TreeNode name=\"lost\"/><Label name=\"kept\"/>"
                                      L"</VerticalLayout></Window>",
                                      nullptr, nullptr, &manager);
    ASSERT_NE(nullptr, root);
    manager.AttachRootControl(root);
    EXPECT_EQ(nullptr, manager.FindControl(L"lost"));
    EXPECT_NE(nullptr, manager.FindControl(L"kept"));
    EXPECT_TRUE(output.WaitForLineWith("TreeNode could not be added to VerticalLayout"));
}

TEST(TreeNode, NodesOutsideATreeAreOwnedByTheirParent)
{
    auto* root = new CTreeNodeUI();
    auto* child = new CTreeNodeUI();
    ASSERT_TRUE(root->Add(child));
    ASSERT_TRUE(child->Add(new CTreeNodeUI()));
    EXPECT_EQ(1, root->GetCountChild());
    // Under one parent at a time, and never under itself.
    CTreeNodeUI other;
    EXPECT_FALSE(other.Add(child));
    EXPECT_FALSE(other.AddAt(child, 0));
    EXPECT_FALSE(child->Add(root));
    EXPECT_FALSE(root->Add(root));
    EXPECT_EQ(0, other.GetCountChild());
    EXPECT_EQ(root, child->GetParentNode());
    EXPECT_EQ(-1, child->GetTreeIndex());
    delete root;
}

}  // namespace
