#include "Layout/TabLayoutUI.h"

#include "Core/DialogBuilder.h"
#include "Core/SkinBuildLimits.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

void* CTabLayoutUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"TabLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

// The container's Add inserts through AddAt, which already picks or hides the page.
bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index)
{
    // The page's init may close the window: the tree stays until this adding has ended too.
    const auto keepWindow = KeepWindowWhileActing();
    if (!CContainerUI::AddAt(control, index)) return false;
    // The page's own setting decides: added while the layout is hidden, it only inherits that.
    if (m_selected == -1 && control->IsOwnVisible()) {
        m_selected = GetItemIndex(control);
    } else {
        control->SetVisible(false);
        if (index <= m_selected) ++m_selected;
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control)
{
    const auto removing = Removing();
    const int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control)) return false;
    if (index < m_selected) {
        --m_selected;
    } else if (index == m_selected) {
        if (GetCount() > 0) {
            m_selected = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_selected = -1;
        }
    }
    RequestParentLayout();
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    const auto removing = Removing();
    m_selected = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

bool CTabLayoutUI::SetItemIndex(CControlUI* control, int index)
{
    CControlUI* selected = GetItemAt(m_selected);
    if (!CContainerUI::SetItemIndex(control, index)) return false;
    // The selection follows its page, not the place the page had.
    m_selected = selected ? GetItemIndex(selected) : -1;
    return true;
}

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_selected) return true;
    const int old = m_selected;
    const auto placing = PlacingChildren();
    if (!ShowPage(index)) return false;
    SetPos(m_rcItem, true);
    RequestParentLayout();
    AnnounceSelection(old);
    return true;
}

bool CTabLayoutUI::ShowPage(int index)
{
    CControlUI* const shown = GetItemAt(index);
    m_selected = index;
    // Focus that leaves or reaches a page is notified: the handler may delete the layout or remove pages,
    // the one to show among them. The pages are looked up afresh after each such call; adding, moving and
    // removing pages keep the selection on the page to show, or Remove picks another when that one went.
    const auto alive = WatchLifetime();
    const auto stillShowing = [&] { return !alive.expired() && GetItemIndex(shown) >= 0; };
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (page == shown) continue;
        page->SetVisible(false);
        if (!stillShowing()) return false;
    }
    shown->SetVisible(true);
    shown->SetFocus();
    return stillShowing();
}

void CTabLayoutUI::AnnounceSelection(int old)
{
    if (!m_manager) return;
    const auto alive = WatchLifetime();
    m_manager->MoveFocusToNextTabStop(true);
    if (alive.expired()) return;
    m_manager->SendNotify(this, L"tabselect", static_cast<WPARAM>(m_selected), static_cast<LPARAM>(old));
}

bool CTabLayoutUI::SelectItemByControl(CControlUI* control)
{
    const int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index);
}

void CTabLayoutUI::SetPos(RECT rc, bool invalidate)
{
    const auto placing = PlacingChildren();
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    // A page's size event may delete this layout: it stops there.
    for (int i = 0; !alive.expired() && i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (!page->IsVisible()) continue;
        if (page->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_selected) continue;
        // The inset scaled as the container clips its children to it.
        const RECT inset = GetInset();
        const RECT pad = page->GetPadding();
        RECT area = m_rcItem;
        area.left += inset.left + pad.left;
        area.top += inset.top + pad.top;
        area.right -= inset.right + pad.right;
        area.bottom -= inset.bottom + pad.bottom;
        const SIZE available = {area.right - area.left, area.bottom - area.top};
        SIZE size = page->CalcDesiredSize(available);
        if (size.cx == 0) size.cx = std::max<LONG>(0, available.cx);
        if (size.cy == 0) size.cy = std::max<LONG>(0, available.cy);
        size.cx = std::min<LONG>(std::max<LONG>(size.cx, page->GetMinWidth()), page->GetMaxWidth());
        size.cy = std::min<LONG>(std::max<LONG>(size.cy, page->GetMinHeight()), page->GetMaxHeight());
        page->SetPos(RECT{area.left, area.top, area.left + size.cx, area.top + size.cy}, true);
    }
}

void CTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"selectedid") == 0) SelectItem(_wtoi(value));
    else CContainerUI::SetAttribute(name, value);
}

void* CChildLayoutUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ChildLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CChildLayoutUI::Init()
{
    if (m_xmlFile.IsEmpty()) return;
    // The file's elements nest below this control; child layouts in it initialise within the same budget.
    const CSkinBuildBudget budget;
    const CSkinDepthBase depth(this);
    CDialogBuilder builder;
    CControlUI* child = builder.Create(m_xmlFile, nullptr, nullptr, m_manager, nullptr);
    if (!child) {
        RemoveAll();
        return;
    }
    // Child layouts inside the file initialise while it is added: the file counts as being built, so
    // one that loads it again is refused.
    const CSkinNesting nesting(m_xmlFile, nullptr);
    Add(child);
}

void CChildLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"xmlfile") == 0) SetChildLayoutXML(value);
    else CContainerUI::SetAttribute(name, value);
}

}  // namespace SkinUI
