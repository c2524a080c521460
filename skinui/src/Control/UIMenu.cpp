#include "Control/UIMenu.h"

#include "Control/UIListHeader.h"
#include "Core/AttributeValues.h"
#include "Core/DialogBuilder.h"
#include "Core/Painter.h"
#include "Core/ShadowUI.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr UINT kPushed = 16;
constexpr int kSeparatorHeight = 6;
constexpr int kDefaultItemHeight = 30;

CMenuElementUI* MenuElementOf(CControlUI* control)
{
    return control ? static_cast<CMenuElementUI*>(control->GetInterface(L"MenuElement")) : nullptr;
}

RECT WorkAreaOf(HWND hwnd)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

SIZE WorkAreaSizeOf(HWND hwnd)
{
    const CUIRect work = WorkAreaOf(hwnd);
    return SIZE{work.GetWidth(), work.GetHeight()};
}

void CopyText(wchar_t* target, size_t capacity, const wchar_t* text)
{
    wcsncpy(target, text ? text : L"", capacity - 1);
    target[capacity - 1] = L'\0';
}

MenuItemState* StateOf(const CUIString& name)
{
    CUIStringPtrMap* table = GetMenuObserver().GetItemStateTable();
    if (!table || name.IsEmpty()) return nullptr;
    return static_cast<MenuItemState*>(table->Find(name));
}

// An item shown in a menu window: a nameless one is disabled, a named one as the item state table says. A
// separator stays disabled even when named: no key or click may pick it.
void TakeEnabledState(CControlUI* item)
{
    const MenuItemState* state = StateOf(item->GetName());
    const CMenuElementUI* element = MenuElementOf(item);
    const bool separator = element && element->IsSeparator();
    item->SetEnabled(!separator && !item->GetName().IsEmpty() && (!state || state->enabled != 0));
}

// A sub-item waiting inside its item for the sub-menu: hidden by its own flag, which showing the item again
// leaves as it is.
void HideWaiting(CControlUI* item) { item->SetVisible(false); }

std::vector<CMenuElementUI*> MenuItemsOf(const CMenuUI& list)
{
    std::vector<CMenuElementUI*> items;
    for (int i = 0; i < list.GetCount(); ++i)
        if (CMenuElementUI* item = MenuElementOf(list.GetItemAt(i))) items.push_back(item);
    return items;
}

// Where the child at the index stands among the children of its kind (sub-items, or the others).
int PlaceAmongItsKind(const std::vector<CControlUI*>& children, size_t index)
{
    const bool subItem = MenuElementOf(children[index]) != nullptr;
    return static_cast<int>(std::count_if(children.begin(), children.begin() + static_cast<std::ptrdiff_t>(index),
                                          [subItem](CControlUI* child) { return (MenuElementOf(child) != nullptr) == subItem; }));
}

}  // namespace

// ---- observer and receivers

void MenuObserverImpl::AddReceiver(MenuMenuReceiverImplBase* receiver)
{
    if (!receiver) return;
    m_receivers.push_back(receiver);
    receiver->AddObserver(this);
}

void MenuObserverImpl::RemoveReceiver(MenuMenuReceiverImplBase* receiver)
{
    const auto it = std::find(m_receivers.begin(), m_receivers.end(), receiver);
    if (it != m_receivers.end()) m_receivers.erase(it);
    // The table is the application's, lent for the menus it opened: once none is open it may be gone.
    if (m_receivers.empty()) m_itemStates = nullptr;
}

BOOL MenuObserverImpl::Broadcast(MenuCloseParam param)
{
    // A copy: receivers may leave while they are told.
    BroadcastTo(std::vector<MenuMenuReceiverImplBase*>(m_receivers), param);
    return FALSE;
}

void MenuObserverImpl::BroadcastTo(const std::vector<MenuMenuReceiverImplBase*>& receivers, MenuCloseParam param)
{
    for (auto it = receivers.rbegin(); it != receivers.rend(); ++it)
        if (std::find(m_receivers.begin(), m_receivers.end(), *it) != m_receivers.end()) (*it)->Receive(param);
}

CWindowUIManager* MenuObserverImpl::GetManager() const
{
    return CWindowUIManager::Exists(m_manager) ? m_manager : nullptr;
}

void MenuObserverImpl::SetManager(CWindowUIManager* manager)
{
    if (manager) m_manager = manager;
}

void MenuObserverImpl::SetItemStateTable(CUIStringPtrMap* table)
{
    if (table) m_itemStates = table;
}

void MenuObserverImpl::ReleaseClosing()
{
    if (m_closingHeld == 0 || --m_closingHeld > 0) return;
    const std::vector<MenuMenuReceiverImplBase*> receivers = m_receivers;
    for (MenuMenuReceiverImplBase* receiver : receivers)
        if (auto* window = dynamic_cast<CMenuWnd*>(receiver)) window->CloseIfHeld();
}

MenuObserverImpl& GetMenuObserver()
{
    static MenuObserverImpl observer;
    return observer;
}

void MenuReceiverImpl::RemoveObserver()
{
    for (MenuMenuObserverImplBase* observer : m_observers) observer->RemoveReceiver(this);
    m_observers.clear();
}

// ---- CMenuUI

CMenuUI::CMenuUI()
{
    if (GetHeader()) GetHeader()->SetVisible(false);
}

void* CMenuUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Menu") == 0) return this;
    return CListUI::GetInterface(name);
}

bool CMenuUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CMenuUI::AddAt(CControlUI* control, int index)
{
    CMenuElementUI* element = MenuElementOf(control);
    // Refused before its sub-items are hidden: a refused Add changes nothing.
    if (!element || !CanAdopt(element) || index < 0 || index > GetCount()) return false;
    for (CMenuElementUI* sub : element->GetSubItems()) sub->SetInternalVisible(false);
    if (!CListUI::AddAt(control, index)) return false;
    // Added to an open menu, it is enabled as the items were when the menu opened, and shown.
    if (m_menuWnd) {
        TakeEnabledState(element);
        m_menuWnd->FitToItems(*this);
    }
    return true;
}

bool CMenuUI::Remove(CControlUI* control)
{
    const auto removing = Removing();
    if (!MenuElementOf(control) || !CListUI::Remove(control)) return false;
    if (m_menuWnd) m_menuWnd->FitToItems(*this);
    return true;
}

int CMenuUI::GetItemIndex(CControlUI* control) const
{
    return MenuElementOf(control) ? CListUI::GetItemIndex(control) : -1;
}

bool CMenuUI::SetItemIndex(CControlUI* control, int index)
{
    return MenuElementOf(control) && CListUI::SetItemIndex(control, index);
}

SIZE CMenuUI::CalcDesiredSize(SIZE available)
{
    SIZE size = {0, 0};
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        const SIZE desired = item->CalcDesiredSize(available);
        size.cx = std::max(size.cx, desired.cx);
        size.cy += desired.cy;
    }
    const int unscaled = m_manager ? m_manager->GetDpiScaler()->Unscale(size.cx) : size.cx;
    for (int i = 0; i < GetCount(); ++i)
        if (GetItemAt(i)->IsVisible()) GetItemAt(i)->SetFixedWidth(unscaled);
    return size;
}

// ---- CMenuElementUI

CMenuElementUI::CMenuElementUI()
{
    SetFixedHeight(kDefaultItemHeight);
    SetFixedWidth(150);
}

CMenuElementUI::~CMenuElementUI()
{
    // Its items go with it: the sub-menu showing them must not keep them.
    if (m_subMenu) m_subMenu->ForgetOwner();
}

void* CMenuElementUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"MenuElement") == 0) return this;
    return CListContainerElementUI::GetInterface(name);
}

void CMenuElementUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    if (m_subMenu && (manager != m_manager || parent != m_parent)) m_subMenu->CloseMenu();
    CListContainerElementUI::SetManager(manager, parent, runInit);
}

void CMenuElementUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CListContainerElementUI::SetVisible(visible);
    // Losing the focus or the selection notifies: the handler may have deleted the item.
    if (!alive.expired()) CloseSubMenuWhenHidden();
}

void CMenuElementUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CListContainerElementUI::SetInternalVisible(visible);
    if (!alive.expired()) CloseSubMenuWhenHidden();
}

void CMenuElementUI::CloseSubMenuWhenHidden()
{
    if (!IsVisible() && m_subMenu) m_subMenu->CloseMenu();
}

std::vector<CMenuElementUI*> CMenuElementUI::GetSubItems() const
{
    std::vector<CMenuElementUI*> items;
    for (CControlUI* child : Children())
        if (CMenuElementUI* element = MenuElementOf(child)) items.push_back(element);
    return items;
}

CMenuUI* CMenuElementUI::GetLentList() const { return m_subMenu ? m_subMenu->GetLentList() : nullptr; }

std::vector<CControlUI*> CMenuElementUI::ChildrenWith(const std::vector<CMenuElementUI*>& lent) const
{
    std::vector<CControlUI*> children;
    for (int i = 0; i < m_items.GetSize(); ++i) children.push_back(static_cast<CControlUI*>(m_items[i]));
    // Items the sub-menu let go of meanwhile (removed there) leave no gap; items the application added there
    // keep their place among the others, and those beyond the lent places follow the last of them.
    int next = static_cast<int>(children.size());
    for (size_t i = 0; i < lent.size(); ++i) {
        if (i < m_lentPlaces.size()) next = m_lentPlaces[i];
        const int at = std::min(next++, static_cast<int>(children.size()));
        children.insert(children.begin() + at, lent[i]);
    }
    return children;
}

std::vector<CControlUI*> CMenuElementUI::Children() const
{
    CMenuUI* lentTo = GetLentList();
    return ChildrenWith(lentTo ? MenuItemsOf(*lentTo) : std::vector<CMenuElementUI*>());
}

void CMenuElementUI::KeepPlacesOf(const std::vector<CControlUI*>& children)
{
    m_lentPlaces.clear();
    for (size_t at = 0; at < children.size(); ++at)
        if (MenuElementOf(children[at])) m_lentPlaces.push_back(static_cast<int>(at));
}

int CMenuElementUI::GetCount() const { return static_cast<int>(Children().size()); }

CControlUI* CMenuElementUI::GetItemAt(int index) const
{
    const std::vector<CControlUI*> children = Children();
    return index >= 0 && index < static_cast<int>(children.size()) ? children[static_cast<size_t>(index)] : nullptr;
}

int CMenuElementUI::GetItemIndex(CControlUI* control) const
{
    const std::vector<CControlUI*> children = Children();
    const auto it = std::find(children.begin(), children.end(), control);
    return it == children.end() ? -1 : static_cast<int>(it - children.begin());
}

bool CMenuElementUI::SetItemIndex(CControlUI* control, int index)
{
    CMenuUI* lentTo = GetLentList();
    if (!lentTo) return CListContainerElementUI::SetItemIndex(control, index);
    std::vector<CControlUI*> children = Children();
    const auto it = std::find(children.begin(), children.end(), control);
    if (it == children.end()) return false;
    children.erase(it);
    const size_t at = static_cast<size_t>(std::clamp(index, 0, static_cast<int>(children.size())));
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), control);
    const int place = PlaceAmongItsKind(children, at);
    const bool moved = MenuElementOf(control) ? lentTo->SetItemIndex(control, place)
                                              : CListContainerElementUI::SetItemIndex(control, place);
    if (moved) KeepPlacesOf(children);
    return moved;
}

bool CMenuElementUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CMenuElementUI::AddAt(CControlUI* control, int index)
{
    CMenuElementUI* item = MenuElementOf(control);
    CMenuUI* lentTo = GetLentList();
    if (!lentTo) {
        if (!CListContainerElementUI::AddAt(control, index)) return false;
        if (item) HideWaiting(item);
        return true;
    }
    std::vector<CControlUI*> children = Children();
    if (index < 0 || index > static_cast<int>(children.size())) return false;
    children.insert(children.begin() + index, control);
    const int place = PlaceAmongItsKind(children, static_cast<size_t>(index));
    // Shown in the sub-menu as the items it opened with.
    if (item) item->SetVisible(true);
    const bool added = item ? lentTo->AddAt(item, place) : CListContainerElementUI::AddAt(control, place);
    if (added) KeepPlacesOf(children);
    return added;
}

bool CMenuElementUI::HasSubItems() const { return m_subMenu || !GetSubItems().empty(); }

std::vector<CMenuElementUI*> CMenuElementUI::LendSubItems()
{
    std::vector<CMenuElementUI*> lent;
    KeepPlacesOf(ChildrenWith({}));
    for (int i = 0; i < m_items.GetSize();) {
        CMenuElementUI* element = MenuElementOf(static_cast<CControlUI*>(m_items[i]));
        if (!element) {
            ++i;
            continue;
        }
        m_items.Remove(i);
        // Free of this element and its window, so that the sub-menu can take it.
        element->SetManager(nullptr, nullptr, false);
        lent.push_back(element);
    }
    return lent;
}

void CMenuElementUI::TakeBackSubItems(const std::vector<CMenuElementUI*>& items)
{
    // They come back in the sub-menu's order, into their places.
    const std::vector<CControlUI*> children = ChildrenWith(items);
    for (size_t at = 0; at < children.size(); ++at)
        if (CMenuElementUI* item = MenuElementOf(children[at])) TakeBackSubItem(item, static_cast<int>(at));
}

void CMenuElementUI::TakeBackSubItem(CMenuElementUI* item, int at)
{
    m_items.InsertAt(std::max(0, std::min(at, m_items.GetSize())), item);
    // Hidden while it has no owner: a selected sub-item that left its selection now would take away the
    // selection of this element's menu, which keeps this element selected.
    item->SetOwner(nullptr);
    HideWaiting(item);
    item->SetOwner(GetOwnerMenu());
    // Initialised in the sub-menu already: bound and named here again, not initialised once more.
    if (m_manager) m_manager->InitControls(item, this, false);
    else item->SetManager(nullptr, this, false);
}

bool CMenuElementUI::Remove(CControlUI* control)
{
    const auto removing = Removing();
    if (!GetLentList()) return CListContainerElementUI::Remove(control);
    std::vector<CControlUI*> children = Children();
    const auto it = std::find(children.begin(), children.end(), control);
    if (it == children.end()) return false;
    children.erase(it);
    // Back from the sub-menu first, it goes as this element's other children go.
    CMenuElementUI* item = MenuElementOf(control);
    if (item) {
        m_subMenu->ReturnLentItem(item);
        TakeBackSubItem(item, m_items.GetSize());
    }
    const bool removed = CListContainerElementUI::Remove(control);
    KeepPlacesOf(children);
    return removed;
}

void CMenuElementUI::RemoveAll()
{
    const auto removing = Removing();
    // The lent sub-items go with the others, not back to this element later.
    if (CMenuUI* lentTo = GetLentList())
        for (CMenuElementUI* item : MenuItemsOf(*lentTo)) {
            m_subMenu->ReturnLentItem(item);
            TakeBackSubItem(item, m_items.GetSize());
        }
    m_lentPlaces.clear();
    CListContainerElementUI::RemoveAll();
}

CMenuUI* CMenuElementUI::GetOwnerMenu() const
{
    CControlUI* owner = m_state.ownerControl;
    return owner ? static_cast<CMenuUI*>(owner->GetInterface(L"Menu")) : nullptr;
}

CMenuWnd* CMenuElementUI::GetMenuWindow() const
{
    CMenuUI* menu = GetOwnerMenu();
    return menu ? menu->GetMenuWnd() : nullptr;
}

bool CMenuElementUI::GetChecked() const
{
    const MenuItemState* state = StateOf(GetName());
    return state && state->checked != 0;
}

void CMenuElementUI::SetChecked(bool checked)
{
    CUIStringPtrMap* table = GetMenuObserver().GetItemStateTable();
    const CUIString name = GetName();
    if (!table || name.IsEmpty()) return;
    if (MenuItemState* state = StateOf(name)) {
        state->checked = checked ? 1 : 0;
        return;
    }
    // Records created here live as long as the table's owner keeps them.
    auto* state = new MenuItemState();
    CopyText(state->name, 256, name);
    state->checked = checked ? 1 : 0;
    table->Set(name, state);
}

void CMenuElementUI::SelectSelf()
{
    if (m_state.owner) m_state.owner->SelectItem(m_state.index, true);
}

void CMenuElementUI::CloseSiblingSubMenus()
{
    if (CMenuWnd* window = GetMenuWindow()) GetMenuObserver().Broadcast(MenuCloseParam{2, window->GetHWND()});
}

void CMenuElementUI::OpenSubMenu()
{
    if (m_subMenu) return;
    // Hidden while they wait inside this item; the sub-menu lays out and walks only visible items.
    for (CMenuElementUI* sub : GetSubItems()) {
        sub->SetVisible(true);
        sub->SetInternalVisible(true);
    }
    m_subMenu = new CMenuWnd();
    CloseSiblingSubMenus();
    m_state.buttonState |= kPushed;
    m_subMenu->Init(this, L"", 0, 0, nullptr, nullptr, 6, true);
}

void CMenuElementUI::SelectAndOpenSubMenu()
{
    // Selecting notifies the application, which may delete the item.
    const auto alive = WatchLifetime();
    SelectSelf();
    if (!alive.expired()) OpenSubMenu();
}

void CMenuElementUI::SelectFirstSubItem()
{
    // Opened from the keyboard, the sub-menu takes the keys from its first item on, or none would move in it.
    CMenuUI* layout = m_subMenu ? m_subMenu->GetLayout() : nullptr;
    for (int i = 0; layout && i < layout->GetCount(); ++i) {
        CControlUI* item = layout->GetItemAt(i);
        if (item->IsVisible() && item->IsEnabled()) {
            layout->SelectItem(i, true);
            return;
        }
    }
}

void CMenuElementUI::OnSubMenuClosed()
{
    m_subMenu = nullptr;
    m_state.buttonState &= ~kPushed;
    InvalidateVisiblePart(*this);
}

void CMenuElementUI::HandleEvent(ControlEvent& event)
{
    switch (event.Type) {
    case EVT_MOUSEENTER:
        CListContainerElementUI::HandleEvent(event);
        if (m_subMenu) return;
        if (HasSubItems()) {
            SelectAndOpenSubMenu();
        } else {
            CloseSiblingSubMenus();
            SelectSelf();
        }
        return;
    case EVT_MOUSELEAVE:
        if (!HasSubItems() && m_state.owner) m_state.owner->SelectItem(-1, true);
        CListContainerElementUI::HandleEvent(event);
        return;
    case EVT_BUTTONUP: {
        if (!IsEnabled()) return;
        // The row's own handling notifies "itemclick", whose handler may delete the item.
        const auto alive = WatchLifetime();
        CListContainerElementUI::HandleEvent(event);
        if (alive.expired() || m_subMenu) return;
        if (HasSubItems()) {
            SelectAndOpenSubMenu();
            return;
        }
        Choose();
        return;
    }
    case EVT_KEYDOWN:
        // Enter picks the item as a click does; on an item with a sub-menu it opens it as Right does.
        if (event.chKey == VK_RETURN && !HasSubItems()) {
            if (!IsEnabled()) return;
            const auto alive = WatchLifetime();
            CListContainerElementUI::HandleEvent(event);
            if (!alive.expired()) Choose();
            return;
        }
        if (event.chKey == VK_RIGHT || event.chKey == VK_RETURN) {
            if (m_subMenu) return;
            if (HasSubItems()) {
                const auto alive = WatchLifetime();
                SelectAndOpenSubMenu();
                if (!alive.expired()) SelectFirstSubItem();
            } else {
                CloseSiblingSubMenus();
                SelectSelf();
            }
            return;
        }
        break;
    default:
        break;
    }
    CListContainerElementUI::HandleEvent(event);
}

void CMenuElementUI::Choose()
{
    SetChecked(!GetChecked());
    CMenuWnd* window = GetMenuWindow();
    // Only the menus open at the click close: the handler may open new ones.
    const std::vector<MenuMenuReceiverImplBase*> openAtClick = GetMenuObserver().GetReceivers();
    CWindowUIManager* target = GetMenuObserver().GetManager();
    if (window && !window->IsClosing() && window->GetHWND() && target && target->GetWindowHandle())
        DeliverClick(target->GetWindowHandle());
    if (window) GetMenuObserver().BroadcastTo(openAtClick, MenuCloseParam{1, window->GetHWND()});
}

void CMenuElementUI::DeliverClick(HWND target)
{
    auto* record = new MenuClickRecord();
    *record = MenuClickRecord{};
    CopyText(record->name, 256, GetName());
    CopyText(record->userData, 1024, GetUserData());
    CopyText(record->text, 1024, GetText());
    record->checked = GetChecked() ? 1 : 0;
    if (!::IsWindow(target)) {
        delete record;
        return;
    }
    // Sent, not posted: a handler that runs a modal loop would otherwise see the menus, and this item
    // with them, go before it is done.
    MenuObserverImpl& observer = GetMenuObserver();
    observer.HoldClosing();
    ::SendMessageW(target, kMenuClickMessage, reinterpret_cast<WPARAM>(record), reinterpret_cast<LPARAM>(this));
    observer.ReleaseClosing();
}

SIZE CMenuElementUI::CalcDesiredSize(SIZE available)
{
    SIZE size = {GetFixedWidth(), GetFixedHeight()};
    bool childHeight = false;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || MenuElementOf(child)) continue;
        if (child->CalcDesiredSize(available).cy > 0) childHeight = true;
    }
    const ListInfo* info = m_state.Info();
    HDC dc = m_manager ? m_manager->GetDeviceContext() : nullptr;
    if (!childHeight && info && dc) {
        const RECT padding = m_manager->GetDpiScaler()->ScaleRectCopy(info->textPadding);
        RECT rc = {0, 0, std::max<int>(GetFixedWidth(), available.cx) - padding.left - padding.right, 9999};
        const CUIString text = GetText();
        CPainter::DrawPlainOrHtmlText(dc, m_manager, rc, text, 0, info->font, info->textStyle | DT_CALCRECT,
                                      info->showHtml);
        size.cx = rc.right - rc.left + padding.left + padding.right;
        size.cy = rc.bottom - rc.top + padding.top + padding.bottom;
        if (GetFixedHeight() > 0) size.cy = GetFixedHeight();
        size.cx = std::max<LONG>(size.cx, GetFixedWidth());
    }
    if (m_manager) {
        m_fixedWidth = m_manager->GetDpiScaler()->Unscale(size.cx);
        m_fixedHeight = m_manager->GetDpiScaler()->Unscale(size.cy);
    }
    return size;
}

bool CMenuElementUI::PaintParts(HDC hdc, const RECT& paint, CControlUI* stop)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return true;
    CDpiScaler* scaler = m_manager ? m_manager->GetDpiScaler() : nullptr;
    const auto scale = [scaler](int value) { return scaler ? scaler->Scale(value) : value; };
    if (m_separator) {
        const RECT pad = scaler ? scaler->ScaleRectCopy(m_linePadding) : m_linePadding;
        const int y = m_rcItem.top + GetFixedHeight() / 2;
        CPainter::DrawLine(hdc, RECT{m_rcItem.left + pad.left, y, m_rcItem.right - pad.right, y}, 1,
                           GetAdjustedColor(m_lineColor));
        return true;
    }
    DrawListItemBackground(hdc, *this, m_state);
    const ListInfo* info = m_state.Info();
    const RECT padding = info ? (scaler ? scaler->ScaleRectCopy(info->textPadding) : info->textPadding) : RECT{};
    const CUIString text = GetText();
    if (info && !text.IsEmpty()) {
        DWORD color = info->textColor;
        if (m_state.buttonState & 8) color = info->hotTextColor;
        if (IsSelected()) color = info->selectedTextColor;
        if (!IsEnabled()) color = info->disabledTextColor;
        RECT rc = DeflateRectBy(m_rcItem, padding);
        // Plain text keeps to one line.
        const UINT style = info->showHtml ? info->textStyle : info->textStyle | DT_SINGLELINE;
        CPainter::DrawPlainOrHtmlText(hdc, m_manager, rc, text, color, info->font, style, info->showHtml);
    }
    const int width = GetWidth(), height = GetHeight();
    if (!m_icon.IsEmpty() && (!m_checkItem || GetChecked())) {
        const int iconWidth = scale(m_iconSize.cx), iconHeight = scale(m_iconSize.cy);
        const int x = (padding.left - iconWidth) / 2, y = (height - iconHeight) / 2;
        m_modify.Format(L"dest='%d,%d,%d,%d'", x, y, x + iconWidth, y + iconHeight);
        DrawImage(hdc, m_icon, m_modify);
    }
    if (m_showExpandArrow && m_manager) {
        const wchar_t* arrow = m_manager->GetDefaultAttributeList(L"ExplandIcon");
        const ImageRecord* image = arrow ? m_manager->GetImageOrLoad(arrow) : nullptr;
        if (arrow && image) {
            const int margin = scale(20) / 3;
            const int top = (height - image->nY) / 2;
            m_modify.Format(L"dest='%d,%d,%d,%d'", width - image->nX - margin, top, width - margin, top + image->nY);
            DrawImage(hdc, arrow, m_modify);
        }
    }
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (child == stop) return false;
        if (!child->IsVisible() || MenuElementOf(child)) continue;
        RECT childPaint;
        if (!::IntersectRect(&childPaint, &paint, &child->GetPos())) continue;
        CClipRegion clip;
        CClipRegion::ClipToRect(hdc, visible, clip);
        if (!child->Paint(hdc, paint, stop)) return false;
    }
    return true;
}

void CMenuElementUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const auto is = [name](const wchar_t* candidate) { return _wcsicmp(name, candidate) == 0; };
    if (is(L"icon")) {
        if (*value) m_icon = value;
    } else if (is(L"iconsize")) {
        wchar_t* end = nullptr;
        m_iconSize.cx = wcstol(value, &end, 10);
        m_iconSize.cy = end && *end ? wcstol(end + 1, nullptr, 10) : 0;
    } else if (is(L"checkitem")) {
        m_checkItem = ParseBool(value);
    } else if (is(L"ischeck")) {
        if (!StateOf(GetName())) SetChecked(ParseBool(value));
    } else if (is(L"isenable")) {
        CUIStringPtrMap* table = GetMenuObserver().GetItemStateTable();
        if (table && !GetName().IsEmpty() && !StateOf(GetName())) {
            auto* state = new MenuItemState();
            CopyText(state->name, 256, GetName());
            state->enabled = ParseBool(value) ? 1 : 0;
            table->Set(GetName(), state);
        }
    } else if (is(L"linetype")) {
        m_separator = ParseBool(value);
        if (m_separator) {
            if (m_fixedHeight == 0 || m_fixedHeight == kDefaultItemHeight) m_fixedHeight = kSeparatorHeight;
            SetMouseChildEnabled(false);
            SetMouseEnabled(false);
            SetEnabled(false);
        }
    } else if (is(L"expland")) {
        m_showExpandArrow = ParseBool(value);
    } else if (is(L"linecolor")) {
        m_lineColor = ParseColorValue(value);
    } else if (is(L"linepadding")) {
        m_linePadding = ParseRectValue(value);
    } else if (is(L"height")) {
        SetFixedHeight(_wtoi(value));
    } else {
        CListContainerElementUI::SetAttribute(name, value);
    }
}

// ---- CMenuWnd

void CMenuWnd::Init(CMenuElementUI* owner, const wchar_t* xml, int x, int y, CWindowUIManager* manager,
                    CUIStringPtrMap* itemStates, UINT alignment, bool show)
{
    m_basePoint = POINT{x, y};
    m_xml = xml ? xml : L"";
    m_owner = owner;
    m_alignment = alignment;
    m_layout = nullptr;
    MenuObserverImpl& observer = GetMenuObserver();
    if (!owner) {
        observer.SetManager(manager);
        observer.SetItemStateTable(itemStates);
    }
    observer.AddReceiver(this);
    CWindowUIManager* parentManager = owner ? owner->GetManager() : manager;
    HWND parent = parentManager ? parentManager->GetWindowHandle() : nullptr;
    if (owner) m_parentMenuHold = std::make_unique<CWindowWnd::HandlerScope>(parent);
    CreateWithRect(parent, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, RECT{0, 0, 0, 0});
    if (!m_hWnd) {
        observer.RemoveReceiver(this);
        GiveBackItems();
        if (m_owner) m_owner->OnSubMenuClosed();
        const auto hold = std::move(m_parentMenuHold);
        delete this;
        return;
    }
    ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
    HWND top = m_hWnd;
    for (HWND up = ::GetParent(top); up; up = ::GetParent(top)) top = up;
    ::SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
}

CMenuUI* CMenuWnd::GetLayout() const
{
    return m_layout ? m_layout : static_cast<CMenuUI*>(m_manager.GetRoot() ? m_manager.GetRoot()->GetInterface(L"Menu") : nullptr);
}

void CMenuWnd::CloseMenu()
{
    if (!m_hWnd || !::IsWindow(m_hWnd)) return;
    ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
    m_closing = true;
}

void CMenuWnd::FitToItems(CMenuUI& list)
{
    const SIZE size = list.CalcDesiredSize(WorkAreaSizeOf(m_hWnd));
    const RECT inset = list.GetInset();
    RECT rc = {};
    ::GetWindowRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, std::max<int>(rc.right - rc.left, size.cx), size.cy + inset.top + inset.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMenuWnd::CloseIfHeld()
{
    if (!m_closeHeld) return;
    m_closeHeld = false;
    CloseMenu();
}

BOOL CMenuWnd::Receive(MenuCloseParam param)
{
    if (param.wParam == 1) {
        CloseMenu();
    } else if (param.wParam == 2 && m_hWnd) {
        for (HWND up = ::GetParent(m_hWnd); up; up = ::GetParent(up))
            if (up == param.hWnd) {
                CloseMenu();
                break;
            }
    }
    return TRUE;
}

CControlUI* CMenuWnd::CreateControl(const wchar_t* className)
{
    if (_wcsicmp(className, L"Menu") == 0) return new CMenuUI();
    if (_wcsicmp(className, L"MenuElement") == 0) return new CMenuElementUI();
    return nullptr;
}

void CMenuWnd::Notify(NotifyMessage& msg)
{
    CWindowUIManager* target = GetMenuObserver().GetManager();
    if (!target || (msg.sType != L"click" && msg.sType != L"valuechanged")) return;
    target->ForwardNotify(msg);
    CloseMenu();
}

void CMenuWnd::ForgetOwner()
{
    if (m_layout) m_layout->GetList()->SetAutoDestroy(true);
    m_owner = nullptr;
    CloseMenu();
}

void CMenuWnd::GiveBackItems()
{
    if (!m_owner || !m_lending) return;
    m_lending = false;
    const std::vector<CMenuElementUI*> items = MenuItemsOf(*m_layout);
    RemoveLent([this] { m_layout->RemoveAll(); });
    m_owner->TakeBackSubItems(items);
}

void CMenuWnd::ReturnLentItem(CMenuElementUI* item)
{
    RemoveLent([this, item] { m_layout->Remove(item); });
}

template <class Removal>
void CMenuWnd::RemoveLent(Removal removal)
{
    m_layout->GetList()->SetAutoDestroy(false);
    removal();
    m_layout->GetList()->SetAutoDestroy(true);
}

bool CMenuWnd::IsMenuWindow(HWND hwnd) const
{
    for (MenuMenuReceiverImplBase* receiver : GetMenuObserver().GetReceivers()) {
        auto* window = dynamic_cast<CMenuWnd*>(receiver);
        if (window && window->GetHWND() == hwnd) return true;
    }
    return false;
}

void CMenuWnd::OnCreate()
{
    CShadowUI* shadow = m_manager.GetShadow();
    const bool shadowWasShown = shadow->IsShowShadow();
    shadow->ShowShadow(false);
    if (m_owner) {
        const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
        ::SetWindowLongW(m_hWnd, GWL_STYLE, (style & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        RECT client = {};
        ::GetClientRect(m_hWnd, &client);
        ::SetWindowPos(m_hWnd, nullptr, client.left, client.top, client.right - client.left,
                       client.bottom - client.top, SWP_FRAMECHANGED);
        CWindowUIManager* ownerManager = m_owner->GetManager();
        if (ownerManager) m_manager.SetDPI(ownerManager->GetDpiScaler()->GetDPI());
        m_manager.Init(m_hWnd);
        m_layout = new CMenuUI();
        m_manager.SetUseSharedResources(true);
        m_layout->SetManager(&m_manager, nullptr, true);
        if (ownerManager) {
            if (const wchar_t* defaults = ownerManager->GetDefaultAttributeList(L"Menu"))
                m_layout->ApplyAttributeList(defaults);
        }
        // Lent by the owner element and given back at closing; one the application removes here is deleted.
        for (CMenuElementUI* sub : m_owner->LendSubItems()) m_layout->Add(sub);
        m_lending = true;
        if (ownerManager) {
            ownerManager->GetShadow()->CopyShadow(shadow);
            m_manager.SetLayered(ownerManager->IsLayered());
        }
        m_manager.AttachRootControl(m_layout);
        m_manager.AddNotifier(this);
        PlaceSubMenu();
    } else {
        m_manager.Init(m_hWnd);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(m_xml, nullptr, this, &m_manager);
        m_manager.AttachRootControl(root);
        m_manager.AddNotifier(this);
        PlaceTopLevel();
    }
    if (CMenuUI* layout = GetLayout()) {
        layout->SetMenuWnd(this);
        for (int i = 0; i < layout->GetCount(); ++i) TakeEnabledState(layout->GetItemAt(i));
    }
    shadow->ShowShadow(shadowWasShown);
    shadow->Create(&m_manager);
}

void CMenuWnd::PlaceTopLevel()
{
    CControlUI* root = m_manager.GetRoot();
    if (!root) return;
    const SIZE size = root->CalcDesiredSize(WorkAreaSizeOf(m_hWnd));
    m_manager.SetInitSize(size.cx, size.cy, false);
    RECT rc = {m_basePoint.x, m_basePoint.y, m_basePoint.x + size.cx, m_basePoint.y + size.cy};
    if (m_alignment & kAlignRight) ::OffsetRect(&rc, -size.cx, 0);
    if (m_alignment & kAlignBottom) ::OffsetRect(&rc, 0, -size.cy);
    auto* container = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    const RECT inset = container ? container->GetInset() : RECT{};
    ::SetForegroundWindow(m_hWnd);
    ::MoveWindow(m_hWnd, rc.left, rc.top, size.cx, size.cy, FALSE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, size.cx, size.cy + inset.top + inset.bottom,
                   SWP_SHOWWINDOW);
}

void CMenuWnd::PlaceSubMenu()
{
    const RECT work = WorkAreaOf(m_hWnd);
    const SIZE available = WorkAreaSizeOf(m_hWnd);
    int width = 0, height = 0;
    for (int i = 0; i < m_layout->GetCount(); ++i) {
        const SIZE desired = m_layout->GetItemAt(i)->CalcDesiredSize(available);
        width = std::max<int>(width, desired.cx);
        height += desired.cy;
    }
    CMenuWnd* ownerWindow = m_owner->GetMenuWindow();
    HWND ownerHwnd = ownerWindow ? ownerWindow->GetHWND() : m_owner->GetManager()->GetWindowHandle();
    RECT ownerWindowRect = {};
    ::GetWindowRect(ownerHwnd, &ownerWindowRect);
    POINT itemTop = {m_owner->GetPos().left, m_owner->GetPos().top};
    ::ClientToScreen(ownerHwnd, &itemTop);
    RECT rc = {ownerWindowRect.right, itemTop.y, ownerWindowRect.right + 2 + width, itemTop.y + height};

    // A chain that has turned left or upwards keeps that direction.
    for (MenuMenuReceiverImplBase* receiver : GetMenuObserver().GetReceivers()) {
        auto* window = dynamic_cast<CMenuWnd*>(receiver);
        if (!window || window == this) continue;
        if (window == ownerWindow) break;
        RECT other = {};
        ::GetWindowRect(window->GetHWND(), &other);
        const bool right = other.left >= ownerWindowRect.right;
        const bool below = other.top >= ownerWindowRect.bottom;
        if (!right && !below) continue;
        if (right) {
            rc.right = ownerWindowRect.left;
            rc.left = rc.right - width;
        } else {
            rc.bottom = ownerWindowRect.top;
            rc.top = rc.bottom - height;
        }
        break;
    }
    if (rc.bottom > work.bottom) {
        rc.bottom = rc.top;
        rc.top = rc.bottom - height;
    }
    if (rc.right > work.right) {
        rc.right = ownerWindowRect.left;
        rc.left = rc.right - width;
    }
    if (rc.top < work.top) {
        rc.top = itemTop.y;
        rc.bottom = rc.top + height;
    }
    if (rc.left < work.left) {
        rc.left = ownerWindowRect.right;
        rc.right = rc.left + width;
    }
    const RECT inset = m_layout->GetInset();
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, height + inset.top + inset.bottom, FALSE);
}

LRESULT CMenuWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        if (GetMenuObserver().IsClosingHeld()) {
            m_closeHeld = true;
            ::ShowWindow(m_hWnd, SW_HIDE);
            return 0;
        }
        if (m_owner) {
            GiveBackItems();
            // The item's size event runs application code, which may delete the item.
            const auto ownerAlive = m_owner->WatchLifetime();
            m_owner->SetPos(m_owner->GetPos(), false);
            if (ownerAlive.expired()) break;
            // A menu that closes too does not take the focus from a menu opened meanwhile.
            CMenuWnd* ownerWindow = m_owner->GetMenuWindow();
            if (!ownerWindow || !ownerWindow->IsClosing()) m_owner->SetFocus();
        }
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            const SIZE corner = m_manager.GetRoundCorner();
            if (corner.cx > 0 || corner.cy > 0) {
                RECT rc = {};
                ::GetWindowRect(m_hWnd, &rc);
                ::OffsetRect(&rc, -rc.left, -rc.top);
                HRGN region = ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, corner.cx, corner.cy);
                ::SetWindowRgn(m_hWnd, region, TRUE);  // the window owns the region now
            }
        }
        break;
    case WM_NCDESTROY:
        // Before the manager deletes the tree, which would take the lent items along: a window destroyed
        // without WM_CLOSE has not given them back yet.
        GiveBackItems();
        break;
    case WM_KILLFOCUS:
        // A menu that closes anyway takes no other menu with it (one the application opened from a
        // click stays).
        if (!m_closing && !IsMenuWindow(reinterpret_cast<HWND>(wParam)))
            GetMenuObserver().Broadcast(MenuCloseParam{1, m_hWnd});
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_LEFT) {
            CloseMenu();
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.MessageHandler(msg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CMenuWnd::OnFinalMessage(HWND)
{
    RemoveObserver();
    if (m_owner) m_owner->OnSubMenuClosed();
    // The menu that opened this one may go with the hold, after this window is gone.
    const auto hold = std::move(m_parentMenuHold);
    delete this;
}

}  // namespace SkinUI
