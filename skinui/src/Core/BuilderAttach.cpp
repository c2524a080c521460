#include "Core/BuilderAttach.h"

#include "Control/UITreeView.h"
#include "Core/ControlUI.h"
#include "Layout/ContainerUI.h"

namespace SkinUI {
namespace {

CBuildParent::Result Outcome(bool added) { return added ? CBuildParent::Result::Added : CBuildParent::Result::Refused; }

}  // namespace

CBuildParent::CBuildParent(CControlUI* parent) : m_parent(parent) {}

CBuildParent::Result CBuildParent::Attach(CControlUI* control, CControlUI*& treeView)
{
    auto* parentNode = static_cast<CTreeNodeUI*>(m_parent->GetInterface(L"TreeNode"));
    auto* node = static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"));
    auto* parentTree = static_cast<CTreeViewUI*>(m_parent->GetInterface(L"TreeView"));
    treeView = parentTree;
    if (!node && !parentNode) {
        if (!m_containerAsked) {
            m_container = static_cast<IContainerUI*>(m_parent->GetInterface(L"IContainer"));
            m_containerAsked = true;
        }
        if (!m_container) return Result::NoContainer;
        return Outcome(m_container->Add(control));
    }
    if (!node) {
        parentNode->GetHorizontalLayout()->Add(control);
        return Result::Added;
    }
    if (parentNode) {
        treeView = parentNode->GetTreeView();
        return Outcome(parentNode->Add(node));
    }
    // A node outside any tree has no place to go.
    return parentTree ? Outcome(parentTree->Add(node)) : Result::Refused;
}

}  // namespace SkinUI
