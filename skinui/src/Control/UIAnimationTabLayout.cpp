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
    CControlUI* const page = GetItemAt(index);
    if (!ShowPage(index)) return false;
    RequestParentLayout();
    // The page appears with the first step of the slide. Hidden, it loses the focus, whose handler may
    // delete the layout or take the page out of it (the removal then picked the page shown).
    const auto alive = WatchLifetime();
    HideUntilFirstStep(page);
    if (alive.expired()) return false;
    const bool pageStays = IsSliding(page);

    // Mid-slide the layout stands off its place; the slide under way still knows where that is.
    if (!IsAnimationRunning(kSlideAnimation)) m_final = m_rcItem;
    m_startOffset = m_vertical ? -(m_final.bottom - m_final.top) * m_direction
                               : (m_final.left - m_final.right + 52) * m_direction;
    StopAnimation(kSlideAnimation);
    // Without a window timer (no window yet, or it refused one) the page would never appear; a layout
    // never placed yet has no place to slide to and would end in an empty one.
    if (!pageStays || ::IsRectEmpty(&m_final) || !StartAnimation(10, 15, kSlideAnimation, false)) EndSlideAtOnce();
    if (!pageStays || alive.expired()) return false;
    AnnounceSelection(old);
    return true;
}

void CAnimationTabLayoutUI::HideUntilFirstStep(CControlUI* page)
{
    RevealSlidingPage();
    m_sliding = page;
    m_slidingAlive = page->WatchLifetime();
    page->SetInternalVisible(false);
}

bool CAnimationTabLayoutUI::IsSliding(CControlUI* page) const
{
    return page && page == m_sliding && !m_slidingAlive.expired() && GetItemIndex(page) >= 0;
}

void CAnimationTabLayoutUI::RevealSlidingPage()
{
    // Only the slide's own hiding is undone: a page the application hid meanwhile stays hidden, and one
    // that has left the layout is no longer the slide's.
    CControlUI* page = m_sliding;
    if (IsSliding(page)) page->SetInternalVisible(IsVisible());
    m_sliding = nullptr;
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
    RevealSlidingPage();
    m_current = m_final;
    OnAnimationStop(kSlideAnimation);
}

void CAnimationTabLayoutUI::SetPos(RECT rc, bool invalidate)
{
    // Placed anew mid-slide (its window was resized), the layout slides on towards its new place. Its
    // current rectangle handed back (a layout pass of its own) is no new place.
    if (!m_placingForSlide && IsAnimationRunning(kSlideAnimation) && !::EqualRect(&rc, &m_rcItem)) {
        m_final = rc;
        rc = PlacedAtOffset(m_offset);
    }
    CTabLayoutUI::SetPos(rc, invalidate);
}

void CAnimationTabLayoutUI::PlaceForSlide(const RECT& rc)
{
    m_placingForSlide = true;
    const auto alive = WatchLifetime();
    SetPos(rc, true);
    if (!alive.expired()) m_placingForSlide = false;
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
    RevealSlidingPage();
    if (totalFrames <= 0) return;
    // Covers the start offset evenly, so the page never passes its place.
    m_offset = currentFrame < totalFrames ? m_startOffset * (totalFrames - 1 - currentFrame) / totalFrames : 0;
    m_current = PlacedAtOffset(m_offset);
    PlaceForSlide(m_current);
}

RECT CAnimationTabLayoutUI::PlacedAtOffset(LONG offset) const
{
    RECT placed = m_final;
    if (m_vertical) {
        placed.top += offset;
        placed.bottom += offset;
    } else {
        placed.left += offset;
        placed.right += offset;
    }
    return placed;
}

void CAnimationTabLayoutUI::OnAnimationStop(UINT)
{
    m_offset = 0;
    PlaceForSlide(m_final);
    RequestParentLayout();
}

}  // namespace SkinUI
