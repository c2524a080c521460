#include "Control/UIAnimationTabLayout.h"

#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {

CAnimationTabLayoutUI::~CAnimationTabLayoutUI()
{
    // The window's timer must not outlive the layout it would tick.
    StopAnimation(0);
}

void* CAnimationTabLayoutUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"AnimationTabLayout") == 0) return this;
    return CTabLayoutUI::GetInterface(name);
}

bool CAnimationTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount()) return false;
    const int old = GetCurSel();
    if (index == old) return true;
    m_direction = index > old ? -1 : 1;
    if (!ShowPage(index)) return true;
    m_shown = false;
    RequestParentLayout();
    // The page appears with the first step of the slide.
    GetItemAt(index)->SetVisible(false);

    m_final = m_rcItem;
    m_current = m_final;
    if (!m_vertical) {
        const LONG shift = (m_current.left - m_current.right + 52) * m_direction;
        m_current.left += shift;
        m_current.right += shift;
    } else {
        const LONG shift = -(m_current.bottom - m_current.top) * m_direction;
        m_current.top += shift;
        m_current.bottom += shift;
    }
    StopAnimation(kSlideAnimation);
    // Without a window timer (no window yet, or it refused one) the page would never appear; a layout
    // never placed yet has no place to slide to and would end in an empty one.
    if (::IsRectEmpty(&m_final) || !StartAnimation(10, 15, kSlideAnimation, false)) EndSlideAtOnce();
    AnnounceSelection(old);
    return true;
}

void CAnimationTabLayoutUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The slide runs on the old window's timer, which leaving the window ends: the page is shown at once
    // (the builder detaches a layout whose "selectedid" started a slide).
    const bool cutShort = manager != m_manager && IsAnimationRunning(kSlideAnimation);
    if (cutShort) StopAnimation(kSlideAnimation);
    CTabLayoutUI::SetManager(manager, parent, runInit);
    if (cutShort) EndSlideAtOnce();
}

void CAnimationTabLayoutUI::EndSlideAtOnce()
{
    if (CControlUI* page = GetItemAt(GetCurSel())) page->SetVisible(true);
    m_shown = true;
    m_current = m_final;
    OnAnimationStop(kSlideAnimation);
}

void CAnimationTabLayoutUI::HandleEvent(ControlEvent& event)
{
    if (event.Type == EVT_TIMER) OnAnimationElapse(static_cast<UINT>(event.wParam));
    CTabLayoutUI::HandleEvent(event);
}

void CAnimationTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    // Only "vertical" is read; any other value leaves the direction as it was.
    if (_wcsicmp(name, L"animation_direction") == 0 && value && wcscmp(value, L"vertical") == 0) m_vertical = true;
    CTabLayoutUI::SetAttribute(name, value);
}

void CAnimationTabLayoutUI::OnAnimationStep(int totalFrames, int currentFrame, UINT)
{
    if (!m_shown) {
        // The selected page, looked up now: the one the slide began with may have been removed since.
        if (CControlUI* page = GetItemAt(GetCurSel())) page->SetVisible(true);
        m_shown = true;
    }
    if (totalFrames <= 0) return;
    if (!m_vertical) {
        const LONG step = (m_final.right - m_final.left) * m_direction / totalFrames;
        if (currentFrame != totalFrames) {
            m_current.left += step;
            m_current.right += step;
        } else {
            m_current = m_final;
            m_rcItem = m_final;
        }
    } else {
        const LONG step = (m_final.bottom - m_final.top) * m_direction / totalFrames;
        if (currentFrame != totalFrames) {
            m_current.top += step;
            m_current.bottom += step;
        } else {
            m_current = m_final;
            m_rcItem = m_final;
        }
    }
    SetPos(m_current, true);
}

void CAnimationTabLayoutUI::OnAnimationStop(UINT)
{
    SetPos(m_final, true);
    RequestParentLayout();
}

}  // namespace SkinUI
