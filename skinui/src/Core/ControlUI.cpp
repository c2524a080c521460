#include "Core/ControlUI.h"

#include "Core/ControlDeletion.h"
#include "Core/Painter.h"
#include "Core/SharedResources.h"
#include "Core/TextResources.h"
#include "Core/WindowUIManager.h"

#include <algorithm>

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (OnDestroy) OnDestroy(this);
    ControlDeletion::Forget(this);
    DeleteStrings(m_customAttributes);
    ReleaseManagerReferences();
}

CWindowWnd::HandlerScope CControlUI::KeepWindowWhileActing() const
{
    return CWindowWnd::HandlerScope(m_manager ? m_manager->GetWindowHandle() : nullptr);
}

CWindowUIManager* CControlUI::LiveManager() const
{
    return CWindowUIManager::Exists(m_manager) ? m_manager : nullptr;
}

void CControlUI::ReleaseManagerReferences()
{
    if (CWindowUIManager* manager = LiveManager()) manager->ReleaseControlReferences(this);
}

void* CControlUI::GetInterface(const wchar_t* name)
{
    return name && _wcsicmp(name, L"Control") == 0 ? this : nullptr;
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // One window at a time: the window the control leaves, for another or for none, lets go of it now.
    if (manager != m_manager) ReleaseManagerReferences();
    m_manager = manager;
    m_parent = parent;
    if (runInit && m_parent) Init();
}

void CControlUI::SetName(const wchar_t* name)
{
    const CUIString oldName = m_name;
    m_name = name;
    if (CWindowUIManager* manager = LiveManager()) manager->NameChanged(this, oldName);
}

void CControlUI::Init()
{
    InitControl();
    if (OnInit) OnInit(this);
}

CUIString CControlUI::GetVirtualWnd() const
{
    if (!m_virtualWnd.IsEmpty()) return m_virtualWnd;
    return m_parent ? m_parent->GetVirtualWnd() : CUIString();
}

void CControlUI::SetVirtualWnd(const wchar_t* name)
{
    m_virtualWnd = name;
    if (m_manager) m_manager->SetUseVirtualWnd(true);
}

void CControlUI::SetPos(RECT rc, bool invalidate)
{
    rc.right = std::max(rc.right, rc.left);
    rc.bottom = std::max(rc.bottom, rc.top);
    RECT invalid = ::IsRectEmpty(&m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    if (!m_manager) return;
    if (!m_sizeEventGuard) {
        const auto alive = WatchLifetime();
        m_sizeEventGuard = true;
        if (OnSize) OnSize(this);
        if (alive.expired()) return;
        m_sizeEventGuard = false;
    }
    m_needsLayout = false;
    if (!invalidate || !IsVisible()) return;
    ::UnionRect(&invalid, &invalid, &m_rcItem);
    for (CControlUI* ancestor = m_parent; ancestor; ancestor = ancestor->GetParent()) {
        if (!ancestor->IsVisible()) return;
        const RECT bounds = ancestor->GetPos();
        if (!::IntersectRect(&invalid, &invalid, &bounds)) return;
    }
    m_manager->Invalidate(invalid);
}

void CControlUI::Invalidate()
{
    if (!IsVisible() || !m_manager) return;
    RECT invalid = m_rcItem;
    for (CControlUI* ancestor = m_parent; ancestor; ancestor = ancestor->GetParent()) {
        const RECT bounds = ancestor->GetPos();
        if (!::IntersectRect(&invalid, &invalid, &bounds)) return;
    }
    m_manager->Invalidate(invalid);
}

void CControlUI::RequestLayout()
{
    if (!IsVisible()) return;
    m_needsLayout = true;
    Invalidate();
    if (m_manager) m_manager->NeedUpdate();
}

void CControlUI::RequestParentLayout()
{
    if (m_parent) {
        m_parent->RequestLayout();
        m_parent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_manager) m_manager->NeedUpdate();
}

void CControlUI::SetVisible(bool visible)
{
    if (m_visible == visible) return;
    const bool wasVisible = IsVisible();
    m_visible = visible;
    m_focused = false;
    const auto alive = WatchLifetime();
    if (!visible && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
    // Losing the focus notifies: the handler may have deleted the control.
    if (alive.expired()) return;
    if (IsVisible() != wasVisible) RequestParentLayout();
}

void CControlUI::SetInternalVisible(bool visible)
{
    m_internalVisible = visible;
    if (!visible && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
}

void CControlUI::SetFocus()
{
    if (m_manager) m_manager->SetFocus(this);
}

CControlUI* CControlUI::FindControl(FindControlProc proc, void* data, UINT flags)
{
    if ((flags & FIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & FIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & FIND_HITTEST) &&
        (!IsMouseEnabled() || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(data))))
        return nullptr;
    return proc(this, data);
}

void CControlUI::DispatchEvent(ControlEvent& event)
{
    // Whoever sends the event (a message, the framework on the application's behalf, the application):
    // what its handlers end, the control or its window, waits until the event has been handled.
    const auto keepWindow = KeepWindowWhileActing();
    const auto alive = WatchLifetime();
    CWindowUIManager* manager = m_manager;
    CControlUI* focusBefore = manager ? manager->GetFocus() : nullptr;
    if (OnEvent) OnEvent(&event);
    if (alive.expired()) return;
    // A delegate that moved the focus has told each control of its own gain or loss already: this gain
    // (or loss) is out of date and must not leave a second control focused (or the focused one unmarked).
    if (manager && manager == m_manager && manager->GetFocus() != focusBefore) {
        if (event.Type == EVT_SETFOCUS && manager->GetFocus() != this) return;
        if (event.Type == EVT_KILLFOCUS && manager->GetFocus() == this) return;
    }
    HandleEvent(event);
}

bool CControlUI::PassMouseToParent(ControlEvent& event, const std::function<void()>& fallback)
{
    if (IsMouseEnabled() || !IsMouseEvent(event.Type)) return false;
    if (m_parent) m_parent->HandleEvent(event);
    else fallback();
    return true;
}

void CControlUI::HandleEvent(ControlEvent& event)
{
    switch (event.Type) {
    case EVT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, m_cursor ? MAKEINTRESOURCEW(m_cursor) : IDC_ARROW));
        return;
    case EVT_SETFOCUS:
        m_focused = true;
        Invalidate();
        return;
    case EVT_KILLFOCUS:
        m_focused = false;
        Invalidate();
        return;
    case EVT_TIMER:
        if (m_manager) m_manager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case EVT_CONTEXTMENU:
        if (m_contextMenu && m_manager) m_manager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    default:
        if (m_parent) m_parent->HandleEvent(event);
    }
}

int CControlUI::Scaled(int value) const { return m_manager ? m_manager->GetDpiScaler()->Scale(value) : value; }

RECT CControlUI::ScaledEdges(const RECT& edges) const
{
    // Four widths, not a rectangle: each is scaled as a value of its own.
    return RECT{Scaled(edges.left), Scaled(edges.top), Scaled(edges.right), Scaled(edges.bottom)};
}

CUIString CControlUI::GetText() const
{
    if (!m_resourceText) return m_text;
    CUIString text;
    CTextResources::GetInstance()->GetText(text, m_text, nullptr);
    return text;
}

void CControlUI::SetText(const wchar_t* text)
{
    if (m_text == text) return;
    m_text = text;
    m_text.Replace(L"{\\n}", L"\n");
    Invalidate();
}

void CControlUI::SetResourceText(bool resource)
{
    if (m_resourceText == resource) return;
    m_resourceText = resource;
    Invalidate();
}

CUIString CControlUI::GetToolTip() const
{
    if (!m_resourceText) return m_toolTip;
    CUIString text;
    CTextResources::GetInstance()->GetText(text, m_toolTip, nullptr);
    return text;
}

void CControlUI::SetToolTip(const wchar_t* text)
{
    m_toolTip = text;
    m_toolTip.Replace(L"<n>", L"\r\n");
}

void CControlUI::SetCursor(WORD cursor)
{
    m_cursor = cursor;
    Invalidate();
}

RECT CControlUI::GetRelativePos() const
{
    if (!m_parent) return RECT{0, 0, 0, 0};
    const RECT& parent = m_parent->GetPos();
    RECT rc = m_rcItem;
    ::OffsetRect(&rc, -parent.left, -parent.top);
    return rc;
}

void CControlUI::Move(SIZE offset, bool)
{
    m_fixedXY.cx += offset.cx;
    m_fixedXY.cy += offset.cy;
    RequestParentLayout();
}

RECT CControlUI::GetPadding() const { return ScaledEdges(m_padding); }

void CControlUI::SetPadding(RECT padding)
{
    m_padding = padding;
    RequestParentLayout();
}

SIZE CControlUI::GetFixedXY() const { return SIZE{Scaled(m_fixedXY.cx), Scaled(m_fixedXY.cy)}; }

void CControlUI::SetFixedXY(SIZE xy)
{
    m_fixedXY = xy;
    RequestParentLayout();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0) return;
    m_fixedWidth = cx;
    RequestParentLayout();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0) return;
    m_fixedHeight = cy;
    RequestParentLayout();
}

namespace {

bool StoreSize(int& field, int value)
{
    if (value < 0 || field == value) return false;
    field = value;
    return true;
}

}  // namespace

void CControlUI::SetMinWidth(int cx)
{
    if (StoreSize(m_minWidth, cx)) RequestParentLayout();
}

void CControlUI::SetMaxWidth(int cx)
{
    if (StoreSize(m_maxWidth, cx)) RequestParentLayout();
}

void CControlUI::SetMinHeight(int cy)
{
    if (StoreSize(m_minHeight, cy)) RequestParentLayout();
}

void CControlUI::SetMaxHeight(int cy)
{
    if (StoreSize(m_maxHeight, cy)) RequestParentLayout();
}

void CControlUI::SetFloatPercent(double left, double top, double right, double bottom)
{
    m_floatPercent[0] = left;
    m_floatPercent[1] = top;
    m_floatPercent[2] = right;
    m_floatPercent[3] = bottom;
    RequestParentLayout();
}

void CControlUI::SetFloatAlign(UINT align)
{
    m_floatAlign = align;
    RequestParentLayout();
}

void CControlUI::SetFloat(bool floating)
{
    if (m_float == floating) return;
    m_float = floating;
    RequestParentLayout();
}

SIZE CControlUI::CalcDesiredSize(SIZE) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

bool CControlUI::SetColorAttribute(DWORD& field, DWORD color)
{
    if (field == color) return false;
    field = color;
    Invalidate();
    return true;
}

void CControlUI::SetBkColor(DWORD color) { SetColorAttribute(m_bkColor, color); }

void CControlUI::SetBorderColor(DWORD color) { SetColorAttribute(m_borderColor, color); }

RECT CControlUI::GetBorderSize() const { return ScaledEdges(m_borderSize); }

void CControlUI::SetBorderSize(RECT size)
{
    m_borderSize = size;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const { return SIZE{Scaled(m_borderRound.cx), Scaled(m_borderRound.cy)}; }

void CControlUI::SetBkImage(const wchar_t* description)
{
    if (m_manager) m_manager->RemoveImage(description);
    if (m_bkImage == description) return;
    m_bkImage = description;
    Invalidate();
}

DWORD CControlUI::GetAdjustedColor(DWORD color) const
{
    const SharedResources& shared = SharedResources::Get();
    if (!m_colorHsl || !shared.hslEnabled) return color;
    return CPainter::AdjustColor(color, shared.hue, shared.saturation, shared.lightness);
}

bool CControlUI::DrawImage(HDC hdc, const wchar_t* description, const wchar_t* modify)
{
    return CPainter::DrawImageString(hdc, m_manager, m_rcItem, m_rcPaint, description, modify, m_imageInstance);
}

const wchar_t* CControlUI::GetCustomAttribute(const wchar_t* name) const
{
    auto* value = static_cast<const CUIString*>(m_customAttributes.Find(name));
    return value ? value->GetData() : nullptr;
}

bool CControlUI::Paint(HDC hdc, const RECT& paint, CControlUI* stop)
{
    if (stop == this) return false;
    if (!::IntersectRect(&m_rcPaint, &paint, &m_rcItem)) return true;
    return PaintParts(hdc, m_rcPaint, stop);
}

bool CControlUI::PaintParts(HDC hdc, const RECT&, CControlUI*)
{
    const SIZE round = GetBorderRound();
    CClipRegion clip;
    if (round.cx > 0 || round.cy > 0) {
        RECT area;
        ::IntersectRect(&area, &m_rcPaint, &m_rcItem);
        CClipRegion::ClipToRoundRect(hdc, area, m_rcItem, round.cx, round.cy, clip);
    }
    PaintBackgroundColor(hdc);
    PaintBackgroundImage(hdc);
    PaintStateImage(hdc);
    PaintForegroundColor(hdc);
    PaintForegroundImage(hdc);
    PaintText(hdc);
    PaintBorder(hdc);
    return true;
}

void CControlUI::PaintBackgroundColor(HDC hdc)
{
    if (m_bkColor == 0) return;
    const bool vertical = m_gradient.CompareNoCase(L"hor") != 0;
    const DWORD first = GetAdjustedColor(m_bkColor);
    if (m_bkColor2 != 0 && m_bkColor3 == 0) {
        CPainter::DrawGradient(hdc, m_rcItem, first, GetAdjustedColor(m_bkColor2), vertical, 16);
    } else if (m_bkColor2 != 0) {
        RECT upper = m_rcItem;
        upper.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
        RECT lower = m_rcItem;
        lower.top = upper.bottom;
        CPainter::DrawGradient(hdc, upper, first, GetAdjustedColor(m_bkColor2), vertical, 8);
        CPainter::DrawGradient(hdc, lower, GetAdjustedColor(m_bkColor2), GetAdjustedColor(m_bkColor3), vertical, 8);
    } else {
        CPainter::FillColor(hdc, (m_bkColor >> 24) == 0xFF ? m_rcPaint : m_rcItem, first);
    }
}

void CControlUI::PaintBackgroundImage(HDC hdc)
{
    if (m_bkImage.IsEmpty()) return;
    CPainter::DrawImageString(hdc, m_manager, m_rcItem, m_rcPaint, m_bkImage, nullptr, m_imageInstance);
}

void CControlUI::PaintForegroundColor(HDC hdc) { CPainter::FillColor(hdc, m_rcItem, GetAdjustedColor(m_foreColor)); }

void CControlUI::PaintForegroundImage(HDC hdc)
{
    if (m_foreImage.IsEmpty()) return;
    CPainter::DrawImageString(hdc, m_manager, m_rcItem, m_rcPaint, m_foreImage, nullptr, m_imageInstance);
}

void CControlUI::PaintBorder(HDC hdc)
{
    const DWORD color = IsFocused() ? m_focusBorderColor : m_borderColor;
    if (color == 0) return;
    const DWORD adjusted = GetAdjustedColor(color);
    const RECT size = GetBorderSize();
    const RECT& rc = m_rcItem;
    if (size.left > 0) CPainter::DrawLine(hdc, RECT{rc.left, rc.top, rc.left, rc.bottom}, size.left, adjusted, m_borderStyle);
    if (size.top > 0) CPainter::DrawLine(hdc, RECT{rc.left, rc.top, rc.right, rc.top}, size.top, adjusted, m_borderStyle);
    if (size.right > 0)
        CPainter::DrawLine(hdc, RECT{rc.right, rc.top, rc.right, rc.bottom}, size.right, adjusted, m_borderStyle);
    if (size.bottom > 0)
        CPainter::DrawLine(hdc, RECT{rc.left, rc.bottom, rc.right, rc.bottom}, size.bottom, adjusted, m_borderStyle);
}

}  // namespace SkinUI
