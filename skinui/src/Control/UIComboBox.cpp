#include "Control/UIComboBox.h"

#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Core/AttributeValues.h"
#include "Core/ControlDeletion.h"
#include "Core/Painter.h"
#include "Core/ShadowUI.h"
#include "Utils/UIGeometry.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr UINT kFocused = 1;
constexpr UINT kDisabled = 4;
constexpr UINT kHot = 8;
constexpr UINT kPushed = 16;
constexpr UINT kCaptured = 64;
constexpr DWORD kDropShadowClassStyle = 0x20000;

CControlUI* ListItemAncestor(CControlUI* control)
{
    for (; control; control = control->GetParent())
        if (control->GetInterface(L"ListItem")) return control;
    return nullptr;
}

HWND TopAncestor(HWND hwnd)
{
    HWND top = hwnd;
    for (HWND parent = ::GetParent(top); parent; parent = ::GetParent(top)) top = parent;
    return top;
}

}  // namespace

// ---- CComboBoxWnd

// The layout holds the list from the start, so that no container adopts it before the window opens.
CComboBoxWnd::CComboBoxWnd(CComboBoxUI* owner)
    : m_owner(owner), m_layout(new CVerticalLayoutUI()), m_list(new CListUI())
{
    m_layout->Add(m_list);
}

CComboBoxWnd::~CComboBoxWnd()
{
    // Once attached the layout and the list belong to the window's control tree.
    if (!m_layoutAttached) ControlDeletion::Delete(m_layout);
}

UINT CComboBoxWnd::GetClassStyle() const { return m_owner && m_owner->IsShowShadow() ? 0u : kDropShadowClassStyle; }

int CComboBoxWnd::DropHeight(int width) const
{
    CWindowUIManager* ownerManager = m_owner->GetManager();
    const int limit = ownerManager ? ownerManager->GetDpiScaler()->Scale(m_owner->GetDropBoxSize().cy)
                                   : m_owner->GetDropBoxSize().cy;
    const RECT inset = m_list->GetInset();
    int height = inset.top + inset.bottom;
    for (int i = 0; i < m_list->GetCount(); ++i) {
        CControlUI* entry = m_list->GetItemAt(i);
        if (entry->IsVisible()) height += entry->CalcDesiredSize(SIZE{width, 0}).cy;
    }
    return std::min(height, limit);
}

void CComboBoxWnd::Show(bool show)
{
    if (!m_hWnd) return;
    if (!show) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        m_owner->OnDropListClosed();
        return;
    }
    CWindowUIManager* ownerManager = m_owner->GetManager();
    if (!ownerManager) return;
    RECT rc = m_owner->GetPos();
    HWND ownerWindow = ownerManager->GetWindowHandle();
    ::MapWindowPoints(ownerWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    int width = ownerManager->GetDpiScaler()->Scale(m_owner->GetDropBoxSize().cx);
    if (width < 1) width = rc.right - rc.left;
    // Shown, the list takes the keyboard focus: the losing window's handlers may delete the combo box,
    // and this window with it.
    const auto ownerAlive = m_owner->WatchLifetime();
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.bottom, width, DropHeight(width), SWP_SHOWWINDOW);
    if (ownerAlive.expired()) return;
    // Entries get their places now, so that a click arriving before the first paint finds them.
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (m_layout) m_layout->SetPos(client, false);
}

void CComboBoxWnd::OnCreate()
{
    m_manager.SetUseSharedResources(true);
    m_manager.Init(m_hWnd);
    m_list->SetInset(RECT{1, 1, 1, 1});
    m_layout->SetBkColor(0xFFFFFFFF);
    m_layout->SetBorderColor(0xFFC6C7D2);
    m_layout->SetBorderSize(RECT{1, 1, 1, 1});
    m_list->EnableScrollBar(true, true);
    if (m_list->GetHeader()) m_list->GetHeader()->SetVisible(false);
    if (!m_owner->GetDropBoxAttributeList().IsEmpty()) m_list->ApplyAttributeList(m_owner->GetDropBoxAttributeList());
    m_layoutAttached = true;
    if (CWindowUIManager* ownerManager = m_owner->GetManager()) {
        if (ownerManager->GetShadow()->IsShowShadow() && ownerManager->GetShadow()->CopyShadow(m_manager.GetShadow()))
            m_manager.GetShadow()->ShowShadow(m_owner->IsShowShadow());
        m_manager.SetDPI(ownerManager->GetDpiScaler()->GetDPI());
    }
    m_manager.AttachRootControl(m_layout);
    m_manager.AddNotifier(this);
}

bool CComboBoxWnd::IsOverEntry(POINT pt) const
{
    CControlUI* control = m_manager.FindControlAtPoint(pt);
    if (!control || _wcsicmp(control->GetClass(), L"ScrollBar") == 0) return false;
    return ListItemAncestor(control) != nullptr;
}

LRESULT CComboBoxWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_LBUTTONDOWN:
        m_hitItem = IsOverEntry(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        break;
    case WM_LBUTTONUP:
        if (m_hitItem && IsOverEntry(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            ::PostMessageW(m_hWnd, WM_KILLFOCUS, 0, 0);
        m_hitItem = false;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) ::PostMessageW(m_hWnd, WM_KILLFOCUS, 0, 0);
        break;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd) Show(false);
        break;
    case WM_CLOSE:
        m_owner->RebindAfterDropClose();
        break;
    case WM_NCDESTROY:
        // The manager deletes the list with the tree, before the final call: the combo box must no longer
        // reach it by then. A combo that is going away has let go of its window already.
        if (m_owner->GetDropWindow() == this) m_owner->ForgetDropWindow();
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.MessageHandler(msg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CComboBoxWnd::OnFinalMessage(HWND)
{
    m_manager.RemoveNotifier(this);
    delete this;
}

void CComboBoxWnd::Notify(NotifyMessage& msg)
{
    CWindowUIManager* ownerManager = m_owner->GetManager();
    if (msg.sType == L"click") {
        if (CControlUI* entry = ListItemAncestor(msg.pSender)) m_owner->SetText(entry->GetText());
        if (ownerManager) ownerManager->ForwardNotify(msg);
    } else if (msg.sType == L"itemselect") {
        if (CControlUI* entry = m_list->GetItemAt(static_cast<int>(msg.wParam))) m_owner->SetText(entry->GetText());
        if (ownerManager) ownerManager->ForwardNotify(msg);
    }
}

// ---- CComboBoxUI

CComboBoxUI::CComboBoxUI() : m_dropWnd(new CComboBoxWnd(this)) {}

CComboBoxUI::~CComboBoxUI()
{
    if (!m_dropWnd) return;
    ReleaseManagerReferences();
    CComboBoxWnd* window = m_dropWnd;
    m_dropWnd = nullptr;
    if (window->GetHWND()) ::DestroyWindow(window->GetHWND());  // its final message deletes it
    else delete window;
}

void CComboBoxUI::ForgetDropWindow()
{
    m_dropWnd = nullptr;
    OnDropListClosed();
}

void CComboBoxUI::OnDropListClosed()
{
    m_buttonState &= ~kPushed;
    Invalidate();
}

void CComboBoxUI::RebindAfterDropClose()
{
    SetManager(m_manager, m_parent, false);
    // Only the combo's own children; the entries stay with the drop list. A child's size event may delete
    // the combo.
    const auto alive = WatchLifetime();
    for (int i = 0; !alive.expired() && i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetPos(RECT{0, 0, 0, 0}, false);
    if (!alive.expired()) SetFocus();
}

void* CComboBoxUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ComboBox") == 0) return this;
    if (name && _wcsicmp(name, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CComboBoxUI::InitControl()
{
    if (!m_dropWnd || m_dropWnd->GetHWND() || !m_manager || !m_manager->GetWindowHandle()) return;
    HWND owner = m_manager->GetWindowHandle();
    m_dropWnd->CreateWithRect(owner, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, RECT{0, 0, 0, 0});
    if (!m_dropWnd || !m_dropWnd->GetHWND()) return;
    ::ShowWindow(m_dropWnd->GetHWND(), SW_HIDE);
    // The popup must not take the active caption from the window it belongs to.
    ::SendMessageW(TopAncestor(owner), WM_NCACTIVATE, TRUE, 0);
}

void CComboBoxUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The drop window holds the entries, so it must not end with a window the combo has left: it follows
    // the combo to its new window, or belongs to no window while the combo is kept aside.
    if (manager != m_manager && m_dropWnd && m_dropWnd->GetHWND()) {
        HWND owner = manager ? manager->GetWindowHandle() : nullptr;
        ::SetWindowLongPtrW(m_dropWnd->GetHWND(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
    CContainerUI::SetManager(manager, parent, runInit);
}

int CComboBoxUI::GetCount() const { return GetList() ? GetList()->GetCount() : 0; }

bool CComboBoxUI::Add(CControlUI* control)
{
    if (!control || !control->GetInterface(L"ListItem") || !GetList()) return false;
    return GetList()->Add(control);
}

bool CComboBoxUI::AddAt(CControlUI* control, int index)
{
    if (!control || !control->GetInterface(L"ListItem") || !GetList()) return false;
    return GetList()->AddAt(control, index);
}

bool CComboBoxUI::Remove(CControlUI* control) { return GetList() && GetList()->Remove(control); }

bool CComboBoxUI::RemoveAt(int index) { return GetList() && GetList()->RemoveAt(index, false); }

void CComboBoxUI::RemoveAll()
{
    const auto removing = Removing();
    if (GetList()) GetList()->RemoveAll();
    Invalidate();
}

int CComboBoxUI::GetCurSel() const { return GetList() ? GetList()->GetCurSel() : -1; }

bool CComboBoxUI::SelectItem(int index, bool)
{
    CListUI* list = GetList();
    if (!list) return false;
    CControlUI* const asked = list->GetItemAt(index);
    const auto alive = WatchLifetime();
    if (!list->SelectItem(index, false) || alive.expired()) return false;
    // The selection's handler may have taken entries out, the one asked for among them: the text is the
    // one of the entry selected now.
    list = GetList();
    CControlUI* const selected = list ? list->GetItemAt(list->GetCurSel()) : nullptr;
    if (selected) SetText(selected->GetText());
    Invalidate();
    return selected && selected == asked;
}

CUIString CComboBoxUI::GetText() const
{
    CListUI* list = GetList();
    CControlUI* entry = list ? list->GetItemAt(list->GetCurSel()) : nullptr;
    return entry ? entry->GetText() : CUIString();
}

bool CComboBoxUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    const auto keepWindow = KeepWindowWhileActing();
    const auto alive = WatchLifetime();
    if (m_manager) m_manager->SendNotify(this, L"predropdown");
    if (alive.expired()) return true;
    if (m_dropWnd) m_dropWnd->Show(true);
    if (alive.expired()) return true;
    if (m_manager) m_manager->SendNotify(this, L"dropdown");
    Invalidate();
    return true;
}

bool CComboBoxUI::IsDropListShown() const
{
    return m_dropWnd && m_dropWnd->GetHWND() && ::IsWindowVisible(m_dropWnd->GetHWND());
}

void CComboBoxUI::SetEnabled(bool enabled)
{
    CContainerUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CComboBoxUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CContainerUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the combo box.
    if (!alive.expired()) HideDropListWhenHidden();
}

void CComboBoxUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CContainerUI::SetInternalVisible(visible);
    if (!alive.expired()) HideDropListWhenHidden();
}

// A list left open under a page no longer shown would pick entries for a box the user cannot see.
void CComboBoxUI::HideDropListWhenHidden()
{
    if (!IsVisible() && IsDropListShown()) m_dropWnd->Show(false);
}

void CComboBoxUI::SetPos(RECT rc, bool invalidate)
{
    if (!::EqualRect(&rc, &m_rcItem) && m_dropWnd) m_dropWnd->Show(false);
    CControlUI::SetPos(rc, invalidate);
}

SIZE CComboBoxUI::CalcDesiredSize(SIZE available)
{
    if (GetFixedHeight() > 0) return CControlUI::CalcDesiredSize(available);
    const FontInfo* font = m_manager ? m_manager->GetDefaultFontInfo() : nullptr;
    return SIZE{GetFixedWidth(), (font ? font->tm.tmHeight : 0) + 12};
}

void CComboBoxUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CContainerUI::HandleEvent(event); })) return;
    switch (event.Type) {
    case EVT_KILLFOCUS:
        // Also how a press ends that the window will not see released (its drop list took the focus).
        m_buttonState &= ~kCaptured;
        CControlUI::HandleEvent(event);
        return;
    case EVT_SETFOCUS:
        // The base keeps the focused flag that the focused image follows, and invalidates.
        CControlUI::HandleEvent(event);
        return;
    case EVT_BUTTONDOWN:
        if (IsEnabled()) {
            m_buttonState |= kCaptured;
            // Pressed only while its list is open: without a drop window nothing would end the look.
            if (Activate() && IsDropListShown()) m_buttonState |= kPushed;
            Invalidate();
        }
        return;
    case EVT_BUTTONUP:
        if (m_buttonState & kCaptured) {
            m_buttonState &= ~kCaptured;
            Invalidate();
        }
        return;
    case EVT_MOUSEMOVE:
    case EVT_CONTEXTMENU:
        return;
    case EVT_KEYDOWN:
        if (event.chKey == VK_F4) Activate();
        return;
    case EVT_MOUSEENTER:
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            m_buttonState |= kHot;
            Invalidate();
        }
        return;
    case EVT_MOUSELEAVE:
        if (m_buttonState & kHot) {
            m_buttonState &= ~kHot;
            Invalidate();
        }
        return;
    default:
        CControlUI::HandleEvent(event);
    }
}

void CComboBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const auto is = [name](const wchar_t* candidate) { return _wcsicmp(name, candidate) == 0; };
    const auto setStyle = [this](UINT set, UINT clear) { m_textStyle = (m_textStyle & ~clear) | set; };
    const auto image = [this, value](CUIString& field) {
        field = value;
        Invalidate();
    };
    const auto flag = [this, value](bool& field) {
        if (field == ParseBool(value)) return;
        field = ParseBool(value);
        Invalidate();
    };
    if (_wcsnicmp(name, L"item", 4) == 0) {
        if (GetList()) GetList()->SetAttribute(name, value);
    } else if (is(L"align")) {
        if (wcsstr(value, L"left")) setStyle(0, DT_CENTER | DT_RIGHT | DT_SINGLELINE);
        if (wcsstr(value, L"center")) setStyle(DT_CENTER, DT_RIGHT);
        if (wcsstr(value, L"right")) setStyle(DT_RIGHT, DT_CENTER | DT_SINGLELINE);
    } else if (is(L"valign")) {
        if (wcsstr(value, L"top")) setStyle(DT_SINGLELINE, DT_BOTTOM | DT_VCENTER);
        if (wcsstr(value, L"vcenter")) setStyle(DT_VCENTER | DT_SINGLELINE, DT_BOTTOM);
        if (wcsstr(value, L"bottom")) setStyle(DT_BOTTOM | DT_SINGLELINE, DT_VCENTER);
    } else if (is(L"endellipsis")) {
        if (ParseBool(value)) setStyle(DT_END_ELLIPSIS, 0);
        else setStyle(0, DT_END_ELLIPSIS);
    } else if (is(L"wordbreak")) {
        if (ParseBool(value)) setStyle(DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE);
        else setStyle(DT_SINGLELINE, DT_WORDBREAK | DT_EDITCONTROL);
    } else if (is(L"font")) {
        m_font = _wtoi(value);
        Invalidate();
    } else if (is(L"textcolor")) {
        m_textColor = ParseColorValue(value);
        Invalidate();
    } else if (is(L"disabledtextcolor")) {
        m_disabledTextColor = ParseColorValue(value);
        Invalidate();
    } else if (is(L"textpadding")) {
        m_textPadding = ParseRectValue(value);
        Invalidate();
    } else if (is(L"showhtml")) {
        flag(m_showHtml);
    } else if (is(L"showshadow")) {
        flag(m_showShadow);
    } else if (is(L"normalimage")) {
        image(m_normalImage);
    } else if (is(L"hotimage")) {
        image(m_hotImage);
    } else if (is(L"pushedimage")) {
        image(m_pushedImage);
    } else if (is(L"focusedimage")) {
        image(m_focusedImage);
    } else if (is(L"disabledimage")) {
        image(m_disabledImage);
    } else if (is(L"dropboxattribute")) {
        m_dropBoxAttributes = value;
    } else if (is(L"dropboxsize")) {
        wchar_t* end = nullptr;
        m_dropBoxSize.cx = wcstol(value, &end, 10);
        m_dropBoxSize.cy = end && *end ? wcstol(end + 1, nullptr, 10) : 0;
    } else if (is(L"arrownormalimage")) {
        image(m_arrowNormalImage);
    } else if (is(L"arrowhotimage")) {
        image(m_arrowHotImage);
    } else if (is(L"arrowpushedimage")) {
        image(m_arrowPushedImage);
    } else if (is(L"arrowfocusedimage")) {
        image(m_arrowFocusedImage);
    } else if (is(L"arrowdisabledimage")) {
        image(m_arrowDisabledImage);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

bool CComboBoxUI::PaintParts(HDC hdc, const RECT& paint, CControlUI* stop)
{
    return CControlUI::PaintParts(hdc, paint, stop);
}

bool CComboBoxUI::DrawStateImage(HDC hdc, const CUIString& disabled, const CUIString& pushed, const CUIString& hot,
                                 const CUIString& focused, const CUIString& normal)
{
    const CUIString* state = nullptr;
    if (m_buttonState & kDisabled) state = &disabled;
    else if (m_buttonState & kPushed) state = &pushed;
    else if (m_buttonState & kHot) state = &hot;
    else if (m_buttonState & kFocused) state = &focused;
    if (state && !state->IsEmpty() && DrawImage(hdc, *state)) return true;
    return !normal.IsEmpty() && DrawImage(hdc, normal);
}

void CComboBoxUI::PaintStateImage(HDC hdc)
{
    if (IsFocused()) m_buttonState |= kFocused;
    else m_buttonState &= ~kFocused;
    if (!IsEnabled()) m_buttonState |= kDisabled;
    else m_buttonState &= ~kDisabled;
    DrawStateImage(hdc, m_disabledImage, m_pushedImage, m_hotImage, m_focusedImage, m_normalImage);
    DrawStateImage(hdc, m_arrowDisabledImage, m_arrowPushedImage, m_arrowHotImage, m_arrowFocusedImage,
                   m_arrowNormalImage);
}

void CComboBoxUI::PaintText(HDC hdc)
{
    if (m_manager) {
        if (m_textColor == 0) m_textColor = m_manager->GetDefaultFontColor();
        if (m_disabledTextColor == 0) m_disabledTextColor = m_manager->GetDefaultDisabledColor();
    }
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    const RECT padding = m_manager ? m_manager->GetDpiScaler()->ScaleRectCopy(m_textPadding) : m_textPadding;
    RECT rc = DeflateRectBy(m_rcItem, padding);
    const DWORD color = IsEnabled() ? m_textColor : m_disabledTextColor;
    CPainter::DrawPlainOrHtmlText(hdc, m_manager, rc, text, color, m_font, m_textStyle, m_showHtml);
}

}  // namespace SkinUI
