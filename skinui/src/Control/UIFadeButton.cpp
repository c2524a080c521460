#include "Control/UIFadeButton.h"

#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

constexpr int kFadeFrames = 30;
constexpr int kFadeTickMs = 10;

}  // namespace

CFadeButtonUI::~CFadeButtonUI() { StopAnimation(0); }

void* CFadeButtonUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"FadeButton") == 0) return this;
    return CButtonUI::GetInterface(name);
}

void CFadeButtonUI::SetNormalImage(const wchar_t* image)
{
    CButtonUI::SetNormalImage(image);
    m_lastImage = image;
}

void CFadeButtonUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool changesWindow = manager != m_manager;
    CButtonUI::SetManager(manager, parent, runInit);
    // Moved while fading: the fade goes on in the new window (taken out of every window, it ends).
    if (changesWindow) ResumeAnimationsInNewWindow();
}

void CFadeButtonUI::HandleEvent(ControlEvent& event)
{
    if (event.Type == EVT_MOUSEENTER && !IsAnimationRunning(kFadeIn)) {
        m_fade = 0;
        m_mouseIn = true;
        StopAnimation(kFadeOut);
        StartAnimation(kFadeTickMs, kFadeFrames, kFadeIn);
        Invalidate();
    } else if (event.Type == EVT_MOUSELEAVE && !IsAnimationRunning(kFadeOut)) {
        m_fade = 0;
        m_mouseOut = true;
        StopAnimation(kFadeIn);
        StartAnimation(kFadeTickMs, kFadeFrames, kFadeOut);
        Invalidate();
    } else if (event.Type == EVT_TIMER) {
        OnAnimationElapse(static_cast<UINT>(event.wParam));
    }
    CButtonUI::HandleEvent(event);
}

void CFadeButtonUI::OnAnimationStep(int totalFrames, int currentFrame, UINT)
{
    const int fade = totalFrames > 0 ? static_cast<int>(static_cast<double>(currentFrame) / totalFrames * 255) % 256 : 0;
    m_fade = static_cast<BYTE>(fade == 0 ? 10 : fade);
    Invalidate();
}

bool CFadeButtonUI::DrawAndRemember(HDC hdc, const CUIString& image)
{
    m_lastImage = image;
    return DrawImage(hdc, image);
}

void CFadeButtonUI::PaintStateImage(HDC hdc)
{
    const UINT state = GetButtonState();
    const bool disabled = !IsEnabled();
    // The pushed, focused and disabled looks are not faded.
    if (disabled && !GetDisabledImage().IsEmpty() && DrawImage(hdc, GetDisabledImage())) return;
    if (!disabled && (state & kPushed) && !GetPushedImage().IsEmpty() && DrawImage(hdc, GetPushedImage())) return;
    if (!disabled && IsFocused() && !GetFocusedImage().IsEmpty() && DrawImage(hdc, GetFocusedImage())) return;
    if (GetNormalImage().IsEmpty()) return;
    const bool fadingIn = IsAnimationRunning(kFadeIn);
    const bool fadingOut = IsAnimationRunning(kFadeOut);
    if (m_mouseIn) {
        m_mouseIn = false;
        DrawAndRemember(hdc, GetHotImage());
        return;
    }
    if (m_mouseOut) {
        m_mouseOut = false;
        DrawAndRemember(hdc, GetNormalImage());
        return;
    }
    if (!fadingIn && !fadingOut) {
        DrawImage(hdc, m_lastImage.IsEmpty() ? GetNormalImage() : m_lastImage);
        return;
    }
    m_oldImage = fadingIn ? GetNormalImage() : GetHotImage();
    m_newImage = fadingIn ? GetHotImage() : GetNormalImage();
    CUIString modify;
    modify.Format(L"fade='%d'", 255 - m_fade);
    DrawImage(hdc, m_oldImage, modify);
    modify.Format(L"fade='%d'", m_fade);
    DrawImage(hdc, m_newImage, modify);
}

}  // namespace SkinUI
