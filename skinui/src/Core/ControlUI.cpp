#include "Core/ControlUI.h"

#include "Core/WindowUIManager.h"

#include <algorithm>

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (OnDestroy) OnDestroy(this);
    if (m_manager) m_manager->ReleaseControlReferences(this);
}

void* CControlUI::GetInterface(const wchar_t* name)
{
    return name && _wcsicmp(name, L"Control") == 0 ? this : nullptr;
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    m_manager = manager;
    m_parent = parent;
    if (runInit && m_parent) Init();
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
        m_sizeEventGuard = true;
        if (OnSize) OnSize(this);
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
    if (!visible && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
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
    if (OnEvent) OnEvent(&event);
    HandleEvent(event);
}

void CControlUI::HandleEvent(ControlEvent& event)
{
    switch (event.Type) {
    case EVT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
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
        return;
    default:
        if (m_parent) m_parent->HandleEvent(event);
    }
}

}  // namespace SkinUI
