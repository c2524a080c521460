#pragma once

#include "Control/ButtonUI.h"
#include "Control/UIAnimation.h"

namespace SkinUI {

// A button that cross-fades from its normal image to its hot image when the mouse comes in, and back.
class CFadeButtonUI : public CButtonUI, public CUIAnimation {
public:
    CFadeButtonUI() : CUIAnimation(this) {}
    ~CFadeButtonUI() override;
    static CControlUI* CreateInstance() { return new CFadeButtonUI(); }

    const wchar_t* GetClass() const override { return L"FadeButton"; }
    void* GetInterface(const wchar_t* name) override;
    void SetNormalImage(const wchar_t* image) override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintStateImage(HDC hdc) override;
    void OnAnimationStep(int totalFrames, int currentFrame, UINT id) override;

    BYTE GetFade() const { return m_fade; }

    static constexpr UINT kFadeIn = 8;
    static constexpr UINT kFadeOut = 9;

private:
    bool DrawAndRemember(HDC hdc, const CUIString& image);

    CUIString m_oldImage;
    CUIString m_newImage;
    CUIString m_lastImage;
    BYTE m_fade = 0;
    bool m_mouseIn = false;
    bool m_mouseOut = false;
};

}  // namespace SkinUI
