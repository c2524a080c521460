#pragma once

#include "Control/ButtonUI.h"
#include "Control/GifTimer.h"

#include <atomic>
#include <memory>
#include <vector>

namespace Gdiplus {
class Image;
}

namespace SkinUI {

// Shows an animated image (GIF) through GDI+, each frame for its own delay, advanced by a timer-queue timer.
class CGifAnimUI : public CButtonUI {
public:
    CGifAnimUI();
    ~CGifAnimUI() override;
    static CControlUI* CreateInstance() { return new CGifAnimUI(); }

    const wchar_t* GetClass() const override { return L"GifAnim"; }
    void* GetInterface(const wchar_t* name) override;
    // The frame timer reads the window on its own thread: it stops before the control changes window
    // and plays again (autoplay) once the control is in its next one.
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void InitControl() override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;
    void SetVisible(bool visible = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    void PlayGif();
    void StopGif();
    bool IsPlaying() const { return m_playing; }
    bool IsLoaded() const { return m_image != nullptr; }
    UINT GetFrameCount() const { return m_frameCount; }
    UINT GetCurrentFrame() const { return m_currentFrame; }
    // How long the frame stays up: its delay in hundredths of a second, 100 ms when zero or missing.
    UINT GetFrameDelayMs(UINT frame) const;
    const CUIString& GetImageDescription() const { return m_imageDescription; }

private:
    bool LoadGif();
    void FreeGif();
    void HaltFrames();
    void OnTick();

    std::unique_ptr<Gdiplus::Image> m_image;
    UINT m_frameCount = 0;
    std::atomic<UINT> m_currentFrame{0};
    std::vector<UINT> m_frameDelays;
    CUIString m_imageDescription;
    bool m_autoPlay = true;
    bool m_autoSize = false;
    bool m_playing = false;
    bool m_adaptDpiScale = true;
    // Cleared when the control goes; repaint requests queued by the timer thread check it first.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    Timer m_timer;
};

}  // namespace SkinUI
