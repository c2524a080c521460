#pragma once

namespace SkinUI {

class CControlUI;
class IContainerUI;

// The parent one level of a skin is built into, with the interfaces that decide where a new child goes.
class CBuildParent {
public:
    explicit CBuildParent(CControlUI* parent);

    enum class Result { Added, Refused, NoContainer };
    // Hangs a freshly built control on the parent: a tree node's plain children join its row, nested nodes
    // join the node, nodes under a tree view join the tree. treeView answers the tree the control now
    // belongs to, or null.
    Result Attach(CControlUI* control, CControlUI*& treeView);

private:
    CControlUI* m_parent = nullptr;
    IContainerUI* m_container = nullptr;
    bool m_containerAsked = false;
};

}  // namespace SkinUI
