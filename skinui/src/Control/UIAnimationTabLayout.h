#pragma once

#include "Control/UIAnimation.h"
#include "Layout/TabLayoutUI.h"

#include <memory>

namespace SkinUI {

// A tab layout that slides the newly selected page in from the side (or from above or below).
class CAnimationTabLayoutUI : public CTabLayoutUI, public CUIAnimation {
public:
    CAnimationTabLayoutUI() : CUIAnimation(this) {}
    ~CAnimationTabLayoutUI() override;
    static CControlUI* CreateInstance() { return new CAnimationTabLayoutUI(); }

    const wchar_t* GetClass() const override { return L"AnimationTabLayout"; }
    void* GetInterface(const wchar_t* name) override;
    bool SelectItem(int index) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetPos(RECT rc, bool invalidate = true) override;

    void OnAnimationStep(int totalFrames, int currentFrame, UINT id) override;
    void OnAnimationStop(UINT id) override;

    bool IsVerticalAnimation() const { return m_vertical; }

    static constexpr UINT kSlideAnimation = 1;

private:
    // Hides the page to slide in by the layout's own means (its internal visibility), so that the slide
    // shows again only what it hid.
    void HideUntilFirstStep(CControlUI* page);
    // Whether page is the one the slide hid, still alive and still one of this layout's pages.
    bool IsSliding(CControlUI* page) const;
    void RevealSlidingPage();
    // Shows the selected page in its final place when no slide can bring it there.
    void EndSlideAtOnce();
    // The final place moved by offset along the slide's axis.
    RECT PlacedAtOffset(LONG offset) const;
    // Places the layout where the slide has it now.
    void PlaceForSlide(const RECT& rc);

    bool m_vertical = false;
    int m_direction = 1;
    RECT m_current = {0, 0, 0, 0};
    RECT m_final = {0, 0, 0, 0};
    LONG m_startOffset = 0;
    LONG m_offset = 0;
    bool m_placingForSlide = false;
    // The page hidden until the slide's first step, and its lifetime: handlers may remove or delete it.
    CControlUI* m_sliding = nullptr;
    std::weak_ptr<void> m_slidingAlive;
};

}  // namespace SkinUI
