#include "Control/UIListElement.h"

#include "Control/ScrollBarUI.h"
#include "Control/UIList.h"
#include "Control/UIListHeader.h"
#include "Core/Painter.h"
#include "Core/TextResources.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr UINT kHot = 8;

void Repaint(CControlUI& control) { InvalidateVisiblePart(control); }

RECT ScaledPadding(const CControlUI& control, const ListInfo& info)
{
    CWindowUIManager* manager = control.GetManager();
    return manager ? manager->GetDpiScaler()->ScaleRectCopy(info.textPadding) : info.textPadding;
}

int FontHeight(CWindowUIManager* manager, int font)
{
    const FontInfo* info = manager ? manager->GetFontInfo(font) : nullptr;
    return info ? info->tm.tmHeight : 0;
}

// The press that selects a row: left button, or right button when the list allows it.
bool IsSelectingPress(const ControlEvent& event, const ListInfo* info)
{
    return event.Type == EVT_BUTTONDOWN || (event.Type == EVT_RBUTTONDOWN && info && info->rightButtonSelects);
}

bool IsActivation(const ControlEvent& event)
{
    return event.Type == EVT_DBLCLICK || (event.Type == EVT_KEYDOWN && event.chKey == VK_RETURN);
}

// Its place among the rows its body stacks (the shown, not floating ones): hidden rows take no tile.
int StackedPlace(CControlUI& row)
{
    CControlUI* parent = row.GetParent();
    auto* body = parent ? static_cast<CListBodyUI*>(parent->GetInterface(L"ListBody")) : nullptr;
    return body ? body->StackedPlaceOf(&row) : 0;
}

}  // namespace

void CListItemState::SetOwner(CControlUI* control)
{
    owner = control ? static_cast<IListOwnerUI*>(control->GetInterface(L"IListOwner")) : nullptr;
    ownerControl = owner ? control : nullptr;
}

bool CListItemState::Select(CControlUI& self, bool select, void (*repaint)(CControlUI&))
{
    if (!self.IsEnabled()) return false;
    if (owner && selected) owner->UnSelectItem(index, true);
    if (select == selected) return true;
    selected = select;
    if (select && owner) owner->SelectItem(index, false);
    repaint(self);
    return true;
}

bool CListItemState::SelectMulti(CControlUI& self, bool select, void (*repaint)(CControlUI&))
{
    if (!self.IsEnabled()) return false;
    if (select == selected) return true;
    selected = select;
    // The owner keeps the list of selected rows: it hears of additions and removals alike.
    if (owner) {
        if (select) owner->SelectMultiItem(index, false);
        else owner->UnSelectItem(index, false);
    }
    repaint(self);
    return true;
}

bool CListItemState::OwnerSelectsMany() const
{
    // Ctrl toggles a row only where the list keeps several: elsewhere it would unmark a row that stays selected.
    auto* list = ownerControl ? static_cast<IListUI*>(ownerControl->GetInterface(L"IList")) : nullptr;
    return list && list->IsMultiSelect();
}

bool CListItemState::Activate(CControlUI& self) const
{
    if (!self.IsVisible() || !self.IsEnabled()) return false;
    if (self.GetManager()) self.GetManager()->SendNotify(&self, L"itemactivate");
    return true;
}

void CListItemState::LeaveSelectionWhenHidden(CControlUI& self)
{
    // Its own setting: a row hidden only with its list stays selected.
    if (self.IsOwnVisible() || !selected) return;
    selected = false;
    if (owner) owner->SelectItem(-1, false);
}

bool CListItemState::HandleRowInput(CControlUI& self, IListItemUI& item, const ControlEvent& event)
{
    if (IsSelectingPress(event, Info())) {
        if (!self.IsEnabled()) return true;
        if ((event.wKeyState & MK_CONTROL) && OwnerSelectsMany()) item.SelectMulti(!item.IsSelected());
        else item.Select(true);
        return true;
    }
    switch (event.Type) {
    case EVT_BUTTONUP:
        if (self.IsEnabled() && self.GetManager()) self.GetManager()->SendNotify(&self, L"itemclick");
        return true;
    case EVT_MOUSEMOVE:
        return true;
    case EVT_MOUSEENTER:
        if (self.IsEnabled()) {
            buttonState |= kHot;
            InvalidateVisiblePart(self);
        }
        return true;
    case EVT_MOUSELEAVE:
        if (buttonState & kHot) {
            buttonState &= ~kHot;
            InvalidateVisiblePart(self);
        }
        return true;
    default:
        return false;
    }
}

void InvalidateVisiblePart(CControlUI& control)
{
    if (!control.IsVisible()) return;
    CControlUI* parent = control.GetParent();
    auto* container = parent ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    if (!container || !control.GetManager()) {
        control.Invalidate();
        return;
    }
    RECT bounds = DeflateRectBy(parent->GetPos(), container->GetInset());
    if (CScrollBarUI* bar = container->GetVerticalScrollBar(); bar && bar->IsVisible())
        bounds.right -= bar->GetFixedWidth();
    if (CScrollBarUI* bar = container->GetHorizontalScrollBar(); bar && bar->IsVisible())
        bounds.bottom -= bar->GetFixedHeight();
    RECT area;
    if (!::IntersectRect(&area, &control.GetPos(), &bounds)) return;
    for (CControlUI* ancestor = parent->GetParent(); ancestor; ancestor = ancestor->GetParent()) {
        const RECT outer = ancestor->GetPos();
        if (!::IntersectRect(&area, &area, &outer)) return;
    }
    control.GetManager()->Invalidate(area);
}

void DrawListItemBackground(HDC hdc, CControlUI& control, const CListItemState& state)
{
    const ListInfo* info = state.Info();
    if (!info) return;
    const bool oddAlternate = info->alternateBk && state.index % 2 != 0;
    DWORD color = oddAlternate ? 0 : info->bkColor;
    if ((state.buttonState & kHot) && info->hotBkColor) color = info->hotBkColor;
    if (state.selected && info->selectedBkColor) color = info->selectedBkColor;
    if (!control.IsEnabled() && info->disabledBkColor) color = info->disabledBkColor;
    const RECT& rc = control.GetPos();
    if (color != 0) CPainter::FillColor(hdc, rc, control.GetAdjustedColor(color));

    const auto draw = [&](const CUIString& image) { return !image.IsEmpty() && control.DrawImage(hdc, image); };
    // Each state that applies offers its image in turn, until one draws.
    bool drawn = !control.IsEnabled() && draw(info->disabledImage);
    if (!drawn && state.selected) drawn = draw(info->selectedImage);
    if (!drawn && (state.buttonState & kHot)) drawn = draw(info->hotImage);
    if (!drawn) {
        if (!control.GetBkImage().IsEmpty()) {
            if (!oddAlternate) draw(control.GetBkImage());
        } else {
            draw(info->bkImage);
        }
    }

    if (info->lineColor == 0) return;
    if (info->showRowLine) {
        const int y = rc.bottom - info->rowLineHeight;
        CPainter::DrawLine(hdc, RECT{rc.left, y, rc.right, y}, info->rowLineHeight, control.GetAdjustedColor(info->lineColor));
    }
    if (info->showColumnLine) {
        for (int i = 0; i < std::min(info->columns, kMaxListColumns); ++i) {
            const int x = info->columnRects[i].right - info->columnLineWidth;
            CPainter::DrawLine(hdc, RECT{x, rc.top, x, rc.bottom}, info->columnLineWidth,
                               control.GetAdjustedColor(info->lineColor));
        }
    }
}

// ---- CListElementUI

void* CListElementUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    return CControlUI::GetInterface(name);
}

bool CListElementUI::Activate() { return m_state.Activate(*this); }

void CListElementUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (alive.expired()) return;
    m_state.LeaveSelectionWhenHidden(*this);
}

void CListElementUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_state.buttonState = 0;
}

void CListElementUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"selected") == 0) Select(true);
    else CControlUI::SetAttribute(name, value);
}

bool CListElementUI::Select(bool select) { return m_state.Select(*this, select, Repaint); }

bool CListElementUI::SelectMulti(bool select) { return m_state.SelectMulti(*this, select, Repaint); }

void CListElementUI::HandleElementEvent(ControlEvent& event)
{
    if (IsActivation(event) && IsEnabled()) {
        Activate();
        Invalidate();
        return;
    }
    if (m_state.owner) m_state.owner->DoEvent(event);
    else CControlUI::HandleEvent(event);
}

// ---- CListLabelElementUI

void* CListLabelElementUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListLabelElement") == 0) return this;
    if (name && _wcsicmp(name, L"ListElement") == 0) return static_cast<CListElementUI*>(this);
    return CListElementUI::GetInterface(name);
}

void CListLabelElementUI::HandleEvent(ControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_state.owner) m_state.owner->DoEvent(event);
        else CListElementUI::HandleEvent(event);
        return;
    }
    if (!m_state.HandleRowInput(*this, *this, event)) HandleElementEvent(event);
}

SIZE CListLabelElementUI::CalcDesiredSize(SIZE)
{
    const ListInfo* info = m_state.Info();
    if (!info) return SIZE{0, 0};
    const RECT padding = ScaledPadding(*this, *info);
    SIZE size = {GetFixedWidth(), GetFixedHeight()};
    if (size.cy == 0) size.cy = FontHeight(m_manager, info->font) + 8 + padding.top + padding.bottom;
    if (size.cx == 0) {
        HDC dc = m_manager ? m_manager->GetDeviceContext() : nullptr;
        RECT rc = {0, 0, 9999, size.cy};
        const UINT style = (info->textStyle & ~static_cast<UINT>(DT_CENTER | DT_RIGHT)) | DT_SINGLELINE | DT_CALCRECT;
        const CUIString text = GetText();
        if (dc) CPainter::DrawPlainOrHtmlText(dc, m_manager, rc, text, 0, info->font, style, info->showHtml);
        else rc.right = 0;
        size.cx = rc.right - rc.left + padding.left + padding.right;
    }
    return size;
}

bool CListLabelElementUI::PaintParts(HDC hdc, const RECT& paint, CControlUI*)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return true;
    DrawListItemBackground(hdc, *this, m_state);
    DrawItemText(hdc, m_rcItem);
    return true;
}

DWORD CListLabelElementUI::TextColor(const ListInfo& info) const
{
    DWORD color = info.textColor;
    if (m_state.buttonState & kHot) color = info.hotTextColor;
    if (m_state.selected) color = info.selectedTextColor;
    if (!IsEnabled()) color = info.disabledTextColor;
    return color;
}

void CListLabelElementUI::DrawItemText(HDC hdc, const RECT& rcItem)
{
    const CUIString text = GetText();
    const ListInfo* info = m_state.Info();
    if (text.IsEmpty() || !info) return;
    RECT rc = DeflateRectBy(rcItem, ScaledPadding(*this, *info));
    CPainter::DrawPlainOrHtmlText(hdc, m_manager, rc, text, TextColor(*info), info->font, info->textStyle,
                                  info->showHtml);
}

// ---- CListTextElementUI

CListTextElementUI::~CListTextElementUI()
{
    for (int i = 0; i < m_columnTexts.GetSize(); ++i) delete static_cast<CUIString*>(m_columnTexts[i]);
}

void* CListTextElementUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListTextElement") == 0) return this;
    return CListLabelElementUI::GetInterface(name);
}

UINT CListTextElementUI::GetControlFlags() const { return IsEnabled() && m_linkCount > 0 ? 6u : 4u; }

void CListTextElementUI::SetOwner(CControlUI* owner)
{
    CListLabelElementUI::SetOwner(owner);
    m_ownerList = owner ? static_cast<IListUI*>(owner->GetInterface(L"IList")) : nullptr;
}

CUIString CListTextElementUI::GetColumnText(int column) const
{
    auto* text = static_cast<CUIString*>(m_columnTexts.GetAt(column));
    if (!text) return CUIString();
    if (!IsResourceText()) return *text;
    CUIString resolved;
    CTextResources::GetInstance()->GetText(resolved, *text, nullptr);
    return resolved;
}

void CListTextElementUI::SetColumnText(int column, const wchar_t* text)
{
    if (column < 0 || column >= kMaxListColumns) return;
    while (m_columnTexts.GetSize() <= column) m_columnTexts.Add(new CUIString());
    *static_cast<CUIString*>(m_columnTexts[column]) = text;
    InvalidateVisiblePart(*this);
}

int CListTextElementUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_linkCount; ++i)
        if (::PtInRect(&m_linkRects[i], pt)) return i;
    return -1;
}

void CListTextElementUI::HandleEvent(ControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_ownerList) m_ownerList->DoEvent(event);
        else CListLabelElementUI::HandleEvent(event);
        return;
    }
    const int link = LinkAt(event.ptMouse);
    if (event.Type == EVT_SETCURSOR && link >= 0) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    }
    if (event.Type == EVT_BUTTONUP && IsEnabled() && link >= 0) {
        if (m_manager) m_manager->SendNotify(this, L"link", static_cast<WPARAM>(link));
        return;
    }
    if (event.Type == EVT_MOUSEMOVE && m_linkCount > 0 && link != m_hoveredLink) {
        m_hoveredLink = link;
        InvalidateVisiblePart(*this);
    }
    if (event.Type == EVT_MOUSELEAVE && m_hoveredLink >= 0) {
        m_hoveredLink = -1;
        InvalidateVisiblePart(*this);
    }
    CListLabelElementUI::HandleEvent(event);
}

SIZE CListTextElementUI::CalcDesiredSize(SIZE)
{
    SIZE size = {m_fixedWidth, m_fixedHeight};
    const ListInfo* info = m_state.Info();
    if (size.cy == 0 && m_manager) {
        const RECT padding = info ? ScaledPadding(*this, *info) : RECT{0, 0, 0, 0};
        size.cy = FontHeight(m_manager, info ? info->font : -1) + 8 + padding.top + padding.bottom;
    }
    return size;
}

void CListTextElementUI::DrawItemText(HDC hdc, const RECT& rcItem)
{
    const ListInfo* info = m_ownerList ? m_ownerList->GetListInfo() : nullptr;
    if (!info) return;
    const DWORD color = TextColor(*info);
    const RECT padding = ScaledPadding(*this, *info);
    IListCallbackUI* callback = m_ownerList->GetTextCallback();
    m_linkCount = 0;
    int freeLinks = kMaxLinks;
    for (int i = 0; i < std::min(info->columns, kMaxListColumns); ++i) {
        const RECT& column = info->columnRects[i];
        RECT rc = {column.left + padding.left, rcItem.top + padding.top, column.right - padding.right,
                   rcItem.bottom - padding.bottom};
        CUIString text;
        if (callback) {
            const wchar_t* cell = callback->GetItemText(this, m_state.index, i);
            text = cell ? cell : L"";
        } else {
            text = GetColumnText(i);
        }
        if (info->showHtml) {
            int used = freeLinks;
            CPainter::DrawHtmlText(hdc, m_manager, rc, text, color, m_linkRects + m_linkCount,
                                   m_linkTexts + m_linkCount, used, info->font, info->textStyle);
            used = std::clamp(used, 0, freeLinks);
            m_linkCount += used;
            freeLinks -= used;
        } else {
            CPainter::DrawText(hdc, m_manager, rc, text, color, info->font, info->textStyle);
        }
    }
    for (int i = m_linkCount; i < kMaxLinks; ++i) {
        m_linkRects[i] = RECT{0, 0, 0, 0};
        m_linkTexts[i].Empty();
    }
}

// ---- CListContainerElementUI

void* CListContainerElementUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (name && _wcsicmp(name, L"ListContainerElement") == 0) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

bool CListContainerElementUI::Activate() { return m_state.Activate(*this); }

void CListContainerElementUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CHorizontalLayoutUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (alive.expired()) return;
    m_state.LeaveSelectionWhenHidden(*this);
}

void CListContainerElementUI::SetEnabled(bool enabled)
{
    CHorizontalLayoutUI::SetEnabled(enabled);
    if (!IsEnabled()) m_state.buttonState = 0;
}

void CListContainerElementUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"selected") == 0) Select(true);
    else CHorizontalLayoutUI::SetAttribute(name, value);
}

bool CListContainerElementUI::Select(bool select) { return m_state.Select(*this, select, Repaint); }

bool CListContainerElementUI::SelectMulti(bool select) { return m_state.SelectMulti(*this, select, Repaint); }

void CListContainerElementUI::HandleEvent(ControlEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_state.owner) m_state.owner->DoEvent(event);
        else CHorizontalLayoutUI::HandleEvent(event);
        return;
    }
    if (m_state.HandleRowInput(*this, *this, event)) return;
    // A disabled row passes double click and Return on to its owner, as every row does.
    if (IsActivation(event) && IsEnabled()) {
        Activate();
        Invalidate();
        return;
    }
    switch (event.Type) {
    case EVT_TIMER:
        if (m_manager) m_manager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case EVT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_manager) m_manager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    default:
        break;
    }
    if (m_state.owner) m_state.owner->DoEvent(event);
    else CHorizontalLayoutUI::HandleEvent(event);
}

void CListContainerElementUI::SetPos(RECT rc, bool invalidate)
{
    IListOwnerUI* owner = m_state.owner;
    const int width = GetFixedWidth();
    if (owner && owner->GetListType() == LIST_TYPE_LIST && width > 0) {
        const int perRow = (rc.right - rc.left) / width;
        if (perRow >= 1) {
            // One tile to a row (a scroll step moving a tile by its own rectangle): every place is the
            // first of its row, so the rows before it need no counting.
            const int n = perRow > 1 ? StackedPlace(*this) : 0;
            const int height = rc.bottom - rc.top;
            rc.left += (n % perRow) * width;
            rc.right = rc.left + width;
            rc.top -= (n - n / perRow) * height;
            rc.bottom = rc.top + height;
        }
    }
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CHorizontalLayoutUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    if (!owner || (owner->GetListType() != LIST_TYPE_LIST && owner->GetListType() != LIST_TYPE_TREE)) return;
    CControlUI* ownerControl = m_state.ownerControl;
    auto* list = ownerControl ? static_cast<IListUI*>(ownerControl->GetInterface(L"IList")) : nullptr;
    CListHeaderUI* header = list ? list->GetHeader() : nullptr;
    if (!header || !header->IsVisible()) return;
    // A part's size event may delete this row: it stops there.
    for (int i = 0; !alive.expired() && i < m_items.GetSize(); ++i) {
        auto* headerItem = header->GetItemAt(i);
        if (!headerItem) break;
        const RECT column = headerItem->GetPos();
        if (column.left == 0 && column.right == 0) continue;
        auto* child = static_cast<CControlUI*>(m_items[i]);
        RECT place = child->GetPos();
        place.left = column.left;
        place.right = column.right;
        child->SetPos(place, false);
    }
}

bool CListContainerElementUI::PaintParts(HDC hdc, const RECT& paint, CControlUI* stop)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return true;
    DrawListItemBackground(hdc, *this, m_state);
    return CHorizontalLayoutUI::PaintParts(hdc, paint, stop);
}

}  // namespace SkinUI
