#include "Control/UITreeView.h"

#include "Control/LabelUI.h"
#include "Control/UIListHeader.h"
#include "Control/UIOption.h"
#include "Core/AttributeValues.h"
#include "Core/ControlDeletion.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

// Indentation added per level of the tree.
constexpr int kIndentStep = 16;
constexpr int kNodeHeight = 18;

CTreeNodeUI* NodeOf(CControlUI* control)
{
    return control ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode")) : nullptr;
}

}  // namespace

// ---- CTreeNodeUI

CTreeNodeUI::CTreeNodeUI()
    : m_row(new CHorizontalLayoutUI()),
      m_folderButton(new CCheckBoxUI()),
      m_dottedLine(new CLabelUI()),
      m_checkBox(new CCheckBoxUI()),
      m_itemButton(new COptionUI())
{
    SetFixedHeight(kNodeHeight);
    SetFixedWidth(250);
    m_folderButton->SetFixedWidth(kNodeHeight);
    m_checkBox->SetFixedWidth(kNodeHeight);
    m_dottedLine->SetFixedWidth(m_indent);
    m_dottedLine->SetVisible(false);
    m_checkBox->SetVisible(false);
    m_itemButton->SetAttribute(L"align", L"left");
    m_itemButton->SetMouseEnabled(false);
    m_row->SetChildVAlign(DT_VCENTER);
    m_row->Add(m_dottedLine);
    m_row->Add(m_folderButton);
    m_row->Add(m_checkBox);
    m_row->Add(m_itemButton);
    CListContainerElementUI::AddAt(m_row, 0);
}

CTreeNodeUI::~CTreeNodeUI()
{
    // Inside a tree the tree's list owns every node; outside one the nodes are only recorded here.
    if (m_treeView) return;
    for (CTreeNodeUI* child : m_childNodes) {
        child->m_parentNode = nullptr;
        ControlDeletion::Delete(child);
    }
}

void* CTreeNodeUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"TreeNode") == 0) return this;
    return CListContainerElementUI::GetInterface(name);
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int index) const
{
    return index >= 0 && index < GetCountChild() ? m_childNodes[static_cast<size_t>(index)] : nullptr;
}

int CTreeNodeUI::GetTreeIndex() const
{
    return m_treeView ? m_treeView->GetItemIndex(const_cast<CTreeNodeUI*>(this)) : -1;
}

bool CTreeNodeUI::AreAncestorsExpanded() const
{
    for (const CTreeNodeUI* up = m_parentNode; up; up = up->m_parentNode)
        if (!up->m_expanded) return false;
    return true;
}

CTreeNodeUI* CTreeNodeUI::GetLastDescendant()
{
    CTreeNodeUI* node = this;
    while (!node->m_childNodes.empty()) node = node->m_childNodes.back();
    return node;
}

void CTreeNodeUI::ForgetChild(CTreeNodeUI* child)
{
    m_childNodes.erase(std::remove(m_childNodes.begin(), m_childNodes.end(), child), m_childNodes.end());
    if (child->m_parentNode == this) child->m_parentNode = nullptr;
}

void CTreeNodeUI::Prepare(CTreeNodeUI* child)
{
    child->m_indent = m_indent + kIndentStep;
    child->m_dottedLine->SetVisible(true);
    child->m_dottedLine->SetFixedWidth(child->m_indent);
    child->m_parentNode = this;
    child->m_itemButton->SetGroup(m_itemButton->GetGroup());
    child->m_treeView = m_treeView;
    // A subtree built before it was hung here moves in by the same levels.
    for (CTreeNodeUI* grandchild : child->m_childNodes) child->Prepare(grandchild);
}

// A node hangs under one parent: one already in a tree or under a node, this node itself or one above it
// is refused before anything of it changes.
bool CTreeNodeUI::CanTake(const CTreeNodeUI* child) const
{
    if (child->GetParent() || child->m_parentNode || ControlDeletion::IsQueued(child)) return false;
    for (const CTreeNodeUI* up = this; up; up = up->m_parentNode)
        if (up == child) return false;
    return true;
}

bool CTreeNodeUI::Add(CControlUI* control)
{
    // The child's init may close the window: the tree stays until this adding has ended too.
    const auto keepWindow = KeepWindowWhileActing();
    CTreeNodeUI* child = NodeOf(control);
    if (!child) return CListContainerElementUI::Add(control);
    if (!CanTake(child)) return false;
    CTreeNodeUI* last = GetLastDescendant();
    Prepare(child);
    if (m_treeView && m_treeView->AddAt(child, m_treeView->GetItemIndex(last) + 1) < 0) return false;
    m_childNodes.push_back(child);
    return true;
}

bool CTreeNodeUI::AddAt(CControlUI* control, int index)
{
    const auto keepWindow = KeepWindowWhileActing();
    CTreeNodeUI* child = NodeOf(control);
    if (!child || !CanTake(child)) return false;
    CTreeNodeUI* reference = nullptr;
    if (index >= 0 && index < GetCountChild()) {
        reference = m_childNodes[static_cast<size_t>(index)];
        m_childNodes.insert(m_childNodes.begin() + index, child);
    } else {
        // Behind the whole subtree, so that the rows stay in depth-first order.
        if (m_treeView) reference = NodeOf(m_treeView->GetItemAt(m_treeView->GetItemIndex(GetLastDescendant()) + 1));
        m_childNodes.push_back(child);
    }
    Prepare(child);
    if (!m_treeView) return true;
    return reference ? m_treeView->AddAt(child, reference) : m_treeView->AddAt(child, m_treeView->GetCount()) >= 0;
}

// The node's own row (and the parts in it) is not for removal: only child nodes go.
bool CTreeNodeUI::Remove(CControlUI* control)
{
    const auto removing = Removing();
    CTreeNodeUI* child = NodeOf(control);
    if (!child || std::find(m_childNodes.begin(), m_childNodes.end(), child) == m_childNodes.end()) return false;
    while (!child->m_childNodes.empty()) child->Remove(child->m_childNodes.back());
    ForgetChild(child);
    if (m_treeView) m_treeView->Remove(child);
    else ControlDeletion::Delete(child);
    return true;
}

void CTreeNodeUI::RemoveAll()
{
    while (!m_childNodes.empty()) Remove(m_childNodes.back());
}

void CTreeNodeUI::ShowItemTextColor()
{
    m_itemButton->SetTextColor(IsSelected() ? m_selectedTextColor : m_textColor);
}

bool CTreeNodeUI::Select(bool select)
{
    const bool done = CListContainerElementUI::Select(select);
    ShowItemTextColor();
    return done;
}

bool CTreeNodeUI::SelectMulti(bool select)
{
    const bool done = CListContainerElementUI::SelectMulti(select);
    ShowItemTextColor();
    return done;
}

void CTreeNodeUI::HandleEvent(ControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (GetOwner()) GetOwner()->DoEvent(event);
        else CListContainerElementUI::HandleEvent(event);
        return;
    }
    // The row's own handling may notify (a selection, an activation), and the handler may delete the node.
    const auto alive = WatchLifetime();
    CListContainerElementUI::HandleEvent(event);
    if (alive.expired()) return;
    switch (event.Type) {
    case EVT_DBLCLICK:
        if (IsEnabled()) {
            if (m_manager) m_manager->SendNotify(this, L"treeitemdbclick");
            InvalidateVisiblePart(*this);
        }
        break;
    case EVT_MOUSEENTER:
        if (!IsEnabled()) m_itemButton->SetTextColor(m_itemButton->GetDisabledTextColor());
        else if (IsSelected() && m_selectedHotTextColor) m_itemButton->SetTextColor(m_selectedHotTextColor);
        else m_itemButton->SetTextColor(m_hotTextColor);
        break;
    case EVT_MOUSELEAVE:
        if (!IsEnabled()) m_itemButton->SetTextColor(m_itemButton->GetDisabledTextColor());
        else if (!IsSelected()) m_itemButton->SetTextColor(m_textColor);
        else if (m_selectedTextColor) m_itemButton->SetTextColor(m_selectedTextColor);
        break;
    default:
        break;
    }
}

void CTreeNodeUI::SetItemTextColor(DWORD color)
{
    m_textColor = color;
    m_itemButton->SetTextColor(color);
}

void CTreeNodeUI::SetItemHotTextColor(DWORD color)
{
    m_hotTextColor = color;
    InvalidateVisiblePart(*this);
}

void CTreeNodeUI::SetSelItemTextColor(DWORD color)
{
    m_selectedTextColor = color;
    InvalidateVisiblePart(*this);
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD color)
{
    m_selectedHotTextColor = color;
    InvalidateVisiblePart(*this);
}

void CTreeNodeUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const auto is = [name](const wchar_t* candidate) { return _wcsicmp(name, candidate) == 0; };
    if (is(L"text")) m_itemButton->SetText(value);
    else if (is(L"horizattr")) m_row->ApplyAttributeList(value);
    else if (is(L"dotlineattr")) m_dottedLine->ApplyAttributeList(value);
    else if (is(L"folderattr")) m_folderButton->ApplyAttributeList(value);
    else if (is(L"checkboxattr")) m_checkBox->ApplyAttributeList(value);
    else if (is(L"itemattr")) m_itemButton->ApplyAttributeList(value);
    else if (is(L"itemtextcolor")) SetItemTextColor(ParseColorValue(value));
    else if (is(L"itemhottextcolor")) SetItemHotTextColor(ParseColorValue(value));
    else if (is(L"selitemtextcolor")) SetSelItemTextColor(ParseColorValue(value));
    else if (is(L"selitemhottextcolor")) SetSelItemHotTextColor(ParseColorValue(value));
    else CListContainerElementUI::SetAttribute(name, value);
}

// ---- CTreeViewUI

CTreeViewUI::CTreeViewUI()
{
    if (GetHeader()) GetHeader()->SetVisible(false);
}

CTreeViewUI::~CTreeViewUI()
{
    // Nodes the list keeps past this tree must not call back into it; deleted, each row goes once, by the list.
    ForEachNode([this](CTreeNodeUI* node) { LetGo(node); });
}

void* CTreeViewUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"TreeView") == 0) return this;
    return CListUI::GetInterface(name);
}

CTreeNodeUI* CTreeViewUI::NodeAt(int index) const { return NodeOf(GetItemAt(index)); }

void CTreeViewUI::LetGo(CTreeNodeUI* node)
{
    if (CTreeNodeUI* parent = node->GetParentNode()) parent->ForgetChild(node);
    node->OnNotify -= MakeDelegate(this, &CTreeViewUI::OnDBClickItem);
    node->GetFolderButton()->OnNotify -= MakeDelegate(this, &CTreeViewUI::OnFolderChanged);
    node->GetCheckBox()->OnNotify -= MakeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
    node->SetTreeView(nullptr);
}

void CTreeViewUI::PrepareNode(CTreeNodeUI* node)
{
    node->OnNotify += MakeDelegate(this, &CTreeViewUI::OnDBClickItem);
    node->GetFolderButton()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnFolderChanged);
    node->GetCheckBox()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
    node->GetFolderButton()->SetVisible(m_visibleFolderButtons);
    node->GetCheckBox()->SetVisible(m_visibleCheckBoxes);
    if (m_itemMinWidth > 0) node->SetMinWidth(m_itemMinWidth);
    // Under a collapsed node it waits hidden until that node is expanded; a top node shows as it is.
    if (node->GetParentNode()) node->SetVisible(node->AreAncestorsExpanded());
}

// In a container already, recorded under a node of no tree or of another one, or waiting for its deletion.
bool CTreeViewUI::HangsElsewhere(const CTreeNodeUI* node) const
{
    const CTreeNodeUI* parent = node->GetParentNode();
    return node->GetParent() || (parent && parent->GetTreeView() != this) || ControlDeletion::IsQueued(node);
}

bool CTreeViewUI::Add(CControlUI* control)
{
    CTreeNodeUI* node = NodeOf(control);
    if (!node) return CListUI::Add(control);
    // Held elsewhere already: refused before this tree listens to it.
    if (HangsElsewhere(node)) return false;
    // The node's init may close the window: the tree stays until this adding has ended too.
    const auto keepWindow = KeepWindowWhileActing();
    PrepareNode(node);
    if (!CListUI::Add(node)) return false;
    node->SetTreeView(this);
    for (int i = 0; i < node->GetCountChild(); ++i) Add(node->GetChildNode(i));
    return true;
}

bool CTreeViewUI::AddAt(CControlUI* control, int index)
{
    CTreeNodeUI* node = NodeOf(control);
    if (!node) return CListUI::AddAt(control, index);
    return AddAt(node, index) >= 0;
}

int CTreeViewUI::AddAt(CTreeNodeUI* node, int index)
{
    // Refused before this tree listens to it.
    if (!node || HangsElsewhere(node) || index < 0 || index > GetCount()) return -1;
    const auto keepWindow = KeepWindowWhileActing();
    PrepareNode(node);
    if (!CListUI::AddAt(node, index)) return -1;
    node->SetTreeView(this);
    int next = index + 1;
    for (int i = 0; i < node->GetCountChild() && next >= 0; ++i) next = AddAt(node->GetChildNode(i), next);
    return next;
}

bool CTreeViewUI::AddAt(CTreeNodeUI* node, CTreeNodeUI* reference)
{
    const int index = reference ? GetItemIndex(reference) : -1;
    if (index < 0) return false;
    return AddAt(node, index) >= 0;
}

bool CTreeViewUI::Remove(CControlUI* control)
{
    CTreeNodeUI* node = NodeOf(control);
    if (!node) return CListUI::Remove(control);
    // Another tree's node, or a loose one, stays as it is.
    if (GetItemIndex(node) < 0) return false;
    while (node->IsHasChild()) node->Remove(node->GetChildNode(node->GetCountChild() - 1));
    // A node removed directly must not stay recorded with its parent; one the application keeps knows
    // neither its parent nor the tree any more, which may go before it.
    LetGo(node);
    return CListUI::Remove(node);
}

void CTreeViewUI::RemoveAll()
{
    ForEachNode([this](CTreeNodeUI* node) { LetGo(node); });
    CListUI::RemoveAll();
}

bool CTreeViewUI::RemoveAt(int index)
{
    CTreeNodeUI* node = NodeAt(index);
    return node ? Remove(node) : CListUI::RemoveAt(index);
}

bool CTreeViewUI::RemoveAt(int index, bool resetSelection)
{
    CTreeNodeUI* node = NodeAt(index);
    return node ? Remove(node) : CListUI::RemoveAt(index, resetSelection);
}

bool CTreeViewUI::OnCheckBoxChanged(void* param)
{
    auto* msg = static_cast<NotifyMessage*>(param);
    if (msg->sType != L"selectchanged" || !msg->pSender) return true;
    auto* checkBox = static_cast<CCheckBoxUI*>(msg->pSender->GetInterface(L"CheckBox"));
    CControlUI* row = msg->pSender->GetParent();
    CTreeNodeUI* node = row ? NodeOf(row->GetParent()) : nullptr;
    if (checkBox && node) SetItemCheckBox(checkBox->IsSelected(), node);
    return true;
}

bool CTreeViewUI::OnFolderChanged(void* param)
{
    auto* msg = static_cast<NotifyMessage*>(param);
    if (msg->sType != L"selectchanged" || !msg->pSender) return true;
    auto* folder = static_cast<CCheckBoxUI*>(msg->pSender->GetInterface(L"CheckBox"));
    CControlUI* row = msg->pSender->GetParent();
    CTreeNodeUI* node = row ? NodeOf(row->GetParent()) : nullptr;
    if (!folder || !node) return true;
    node->SetExpandedFlag(!folder->IsSelected());
    SetItemExpand(!folder->IsSelected(), node);
    return true;
}

bool CTreeViewUI::OnDBClickItem(void* param)
{
    auto* msg = static_cast<NotifyMessage*>(param);
    CTreeNodeUI* node = NodeOf(msg->pSender);
    if (msg->sType != L"treeitemdbclick" || !node) return true;
    CCheckBoxUI* folder = node->GetFolderButton();
    folder->Selected(!folder->IsSelected());
    node->SetExpandedFlag(!folder->IsSelected());
    SetItemExpand(!folder->IsSelected(), node);
    return true;
}

bool CTreeViewUI::SetItemCheckBox(bool checked, CTreeNodeUI* node)
{
    if (!node) {
        for (int i = 0; i < GetCount(); ++i) {
            CTreeNodeUI* item = NodeAt(i);
            if (!item) continue;
            item->GetCheckBox()->Selected(checked);
            if (item->IsHasChild()) SetItemCheckBox(checked, item);
        }
        return true;
    }
    for (int i = 0; i < node->GetCountChild(); ++i) {
        CTreeNodeUI* child = node->GetChildNode(i);
        child->GetCheckBox()->Selected(checked);
        if (child->IsHasChild()) SetItemCheckBox(checked, child);
    }
    return true;
}

void CTreeViewUI::SetItemExpand(bool expand, CTreeNodeUI* node)
{
    if (!node) {
        for (int i = 0; i < GetCount(); ++i) {
            CTreeNodeUI* item = NodeAt(i);
            if (!item) continue;
            item->SetVisible(expand);
            if (item->IsHasChild() && !item->GetFolderButton()->IsSelected()) SetItemExpand(expand, item);
        }
        return;
    }
    for (int i = 0; i < node->GetCountChild(); ++i) {
        CTreeNodeUI* child = node->GetChildNode(i);
        child->SetVisible(expand);
        if (child->IsHasChild() && child->IsNodeExpanded()) SetItemExpand(expand, child);
    }
}

void CTreeViewUI::SetVisibleFolderBtn(bool visible)
{
    m_visibleFolderButtons = visible;
    ForEachNode([visible](CTreeNodeUI* node) { node->GetFolderButton()->SetVisible(visible); });
}

void CTreeViewUI::SetVisibleCheckBtn(bool visible)
{
    m_visibleCheckBoxes = visible;
    ForEachNode([visible](CTreeNodeUI* node) { node->GetCheckBox()->SetVisible(visible); });
}

void CTreeViewUI::SetItemMinWidth(int width)
{
    m_itemMinWidth = width;
    ForEachNode([width](CTreeNodeUI* node) { node->SetMinWidth(width); });
    Invalidate();
}

void CTreeViewUI::SetItemTextColor(DWORD color)
{
    ForEachNode([color](CTreeNodeUI* node) { node->SetItemTextColor(color); });
}

void CTreeViewUI::SetItemHotTextColor(DWORD color)
{
    ForEachNode([color](CTreeNodeUI* node) { node->SetItemHotTextColor(color); });
}

void CTreeViewUI::SetSelItemTextColor(DWORD color)
{
    ForEachNode([color](CTreeNodeUI* node) { node->SetSelItemTextColor(color); });
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD color)
{
    ForEachNode([color](CTreeNodeUI* node) { node->SetSelItemHotTextColor(color); });
}

void CTreeViewUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const auto is = [name](const wchar_t* candidate) { return _wcsicmp(name, candidate) == 0; };
    if (is(L"visiblefolderbtn")) SetVisibleFolderBtn(_wcsicmp(value, L"true") == 0);
    else if (is(L"visiblecheckbtn")) SetVisibleCheckBtn(_wcsicmp(value, L"true") == 0);
    else if (is(L"itemminwidth")) SetItemMinWidth(_wtoi(value));
    else if (is(L"itemtextcolor")) SetItemTextColor(ParseColorValue(value));
    else if (is(L"itemhottextcolor")) SetItemHotTextColor(ParseColorValue(value));
    else if (is(L"selitemtextcolor")) SetSelItemTextColor(ParseColorValue(value));
    else if (is(L"selitemhottextcolor")) SetSelItemHotTextColor(ParseColorValue(value));
    else CListUI::SetAttribute(name, value);
}

}  // namespace SkinUI
