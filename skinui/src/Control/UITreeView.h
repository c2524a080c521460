#pragma once

#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Core/UIInterfaces.h"

#include <vector>

namespace SkinUI {

class CCheckBoxUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

// One node of a tree view: a list row holding an indentation spacer, a folder toggle (selected = collapsed), an
// optional check box and the item button with the node's text. Child nodes follow it in the tree's list.
class CTreeNodeUI : public CListContainerElementUI {
public:
    CTreeNodeUI();
    ~CTreeNodeUI() override;
    static CControlUI* CreateInstance() { return new CTreeNodeUI(); }

    const wchar_t* GetClass() const override { return L"TreeNode"; }
    void* GetInterface(const wchar_t* name) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    // Child nodes only; anything else (the node's own row included) answers false and stays.
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    bool Select(bool select = true) override;
    bool SelectMulti(bool select = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    CHorizontalLayoutUI* GetHorizontalLayout() const { return m_row; }
    CCheckBoxUI* GetFolderButton() const { return m_folderButton; }
    CCheckBoxUI* GetCheckBox() const { return m_checkBox; }
    COptionUI* GetItemButton() const { return m_itemButton; }
    CLabelUI* GetDottedLine() const { return m_dottedLine; }
    CTreeNodeUI* GetParentNode() const { return m_parentNode; }
    CTreeViewUI* GetTreeView() const { return m_treeView; }
    // Recorded under a node outside any tree, it belongs to that node, which deletes it with itself.
    bool IsHeldByLooseNode() const { return m_parentNode && !m_parentNode->GetTreeView(); }
    void SetTreeView(CTreeViewUI* tree) { m_treeView = tree; }
    int GetCountChild() const { return static_cast<int>(m_childNodes.size()); }
    CTreeNodeUI* GetChildNode(int index) const;
    bool IsHasChild() const { return !m_childNodes.empty(); }
    bool IsNodeExpanded() const { return m_expanded; }
    // Its row shows while every node above it is expanded.
    bool AreAncestorsExpanded() const;
    void SetExpandedFlag(bool expanded) { m_expanded = expanded; }
    // Index among the tree's rows; -1 outside a tree.
    int GetTreeIndex() const;
    // The deepest last descendant, or this node without children.
    CTreeNodeUI* GetLastDescendant();
    void ForgetChild(CTreeNodeUI* child);

    void SetItemTextColor(DWORD color);
    void SetItemHotTextColor(DWORD color);
    void SetSelItemTextColor(DWORD color);
    void SetSelItemHotTextColor(DWORD color);
    DWORD GetItemTextColor() const { return m_textColor; }

private:
    bool CanTake(const CTreeNodeUI* child) const;
    void Prepare(CTreeNodeUI* child);
    void ShowItemTextColor();

    bool m_expanded = true;
    bool m_checkBoxFlag = false;
    DWORD m_textColor = 0;
    DWORD m_hotTextColor = 0;
    DWORD m_selectedTextColor = 0;
    DWORD m_selectedHotTextColor = 0;
    CTreeViewUI* m_treeView = nullptr;
    CHorizontalLayoutUI* m_row = nullptr;
    CCheckBoxUI* m_folderButton = nullptr;
    CLabelUI* m_dottedLine = nullptr;
    CCheckBoxUI* m_checkBox = nullptr;
    COptionUI* m_itemButton = nullptr;
    int m_indent = 2;
    CTreeNodeUI* m_parentNode = nullptr;
    std::vector<CTreeNodeUI*> m_childNodes;
};

// A hierarchy shown as a flat list of nodes in depth-first order; collapsing hides a node's subtree and
// checking a node checks its subtree.
class CTreeViewUI : public CListUI, public INotifyUI {
public:
    CTreeViewUI();
    ~CTreeViewUI() override;
    static CControlUI* CreateInstance() { return new CTreeViewUI(); }

    const wchar_t* GetClass() const override { return L"TreeViewUI"; }
    void* GetInterface(const wchar_t* name) override;
    int GetListType() override { return LIST_TYPE_TREE; }
    void Notify(NotifyMessage&) override {}

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    // Inserts the node and its subtree at the index; answers the index behind the last inserted row (-1: none).
    int AddAt(CTreeNodeUI* node, int index);
    // Inserts before the reference node.
    bool AddAt(CTreeNodeUI* node, CTreeNodeUI* reference);
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    // A node leaves as Remove lets it go, whichever of the list's calls names it.
    bool RemoveAt(int index, bool resetSelection) override;
    // Every node leaves as Remove lets one go: kept by the application, it knows neither parent nor tree.
    void RemoveAll() override;

    bool OnCheckBoxChanged(void* param);
    bool OnFolderChanged(void* param);
    bool OnDBClickItem(void* param);
    bool SetItemCheckBox(bool checked, CTreeNodeUI* node = nullptr);
    void SetItemExpand(bool expand, CTreeNodeUI* node = nullptr);
    void SetVisibleFolderBtn(bool visible);
    bool GetVisibleFolderBtn() const { return m_visibleFolderButtons; }
    void SetVisibleCheckBtn(bool visible);
    bool GetVisibleCheckBtn() const { return m_visibleCheckBoxes; }
    void SetItemMinWidth(int width);
    int GetItemMinWidth() const { return m_itemMinWidth; }
    void SetItemTextColor(DWORD color);
    void SetItemHotTextColor(DWORD color);
    void SetSelItemTextColor(DWORD color);
    void SetSelItemHotTextColor(DWORD color);

    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    bool HangsElsewhere(const CTreeNodeUI* node) const;
    void PrepareNode(CTreeNodeUI* node);
    // The node leaves its parent node and this tree, and this tree's handlers leave its parts.
    void LetGo(CTreeNodeUI* node);
    CTreeNodeUI* NodeAt(int index) const;
    template <class Visit>
    void ForEachNode(Visit visit) const
    {
        for (int i = 0; i < GetCount(); ++i)
            if (CTreeNodeUI* node = NodeAt(i)) visit(node);
    }

    int m_itemMinWidth = 0;
    bool m_visibleFolderButtons = true;
    bool m_visibleCheckBoxes = false;
};

}  // namespace SkinUI
