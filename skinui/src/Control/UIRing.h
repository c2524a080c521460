#pragma once

#include "Control/LabelUI.h"

#include <memory>

namespace Gdiplus {
class Image;
}

namespace SkinUI {

// A busy indicator: a label whose background image turns 36 degrees every 100 ms.
class CRingUI : public CLabelUI {
public:
    CRingUI();
    ~CRingUI() override;
    static CControlUI* CreateInstance() { return new CRingUI(); }

    const wchar_t* GetClass() const override { return L"Ring"; }
    void* GetInterface(const wchar_t* name) override;
    // Moved after it started turning: turns on in the new window.
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBackgroundImage(HDC hdc) override;

    float GetAngle() const { return m_angle; }
    bool IsImageLoaded() const { return m_image != nullptr; }

    static constexpr UINT kTurnTimer = 100;

private:
    float m_angle = 0;
    std::unique_ptr<Gdiplus::Image> m_image;
};

}  // namespace SkinUI
