#pragma once

#include "Control/ProgressUI.h"

namespace SkinUI {

// A progress bar with a draggable thumb: clicks, drags and the wheel move the value; sends "valuechanged"
// and, with "sendmove", "movevaluechanged" while dragging.
class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    static CControlUI* CreateInstance() { return new CSliderUI(); }

    const wchar_t* GetClass() const override { return L"Slider"; }
    void* GetInterface(const wchar_t* name) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBackgroundColor(HDC hdc) override;
    void PaintForegroundColor(HDC hdc) override;
    void PaintForegroundImage(HDC hdc) override;

    // The thumb in window pixels for the current value.
    RECT GetThumbRect() const;
    // The value a press, release or drag at this point stands for.
    int ValueAtPoint(POINT pt) const;
    UINT GetButtonState() const { return m_buttonState; }
    int GetChangeStep() const { return m_step; }
    bool IsSendMove() const { return m_sendMove; }

    static constexpr UINT kFocused = 1;
    static constexpr UINT kDisabled = 4;
    static constexpr UINT kHot = 8;
    static constexpr UINT kCaptured = 64;

private:
    SIZE ScaledThumbSize() const;
    void SetValueAtPoint(POINT pt);
    void RefreshState();
    // False when the application deleted the slider while it handled the notification.
    bool Notify(const wchar_t* type);

    SIZE m_thumbSize = {10, 10};
    UINT m_buttonState = 0;
    int m_step = 1;
    int m_bandWidth = -1;
    int m_bandHeight = -1;
    DWORD m_thumbColor = 0;
    DWORD m_hotThumbColor = 0;
    DWORD m_pushedThumbColor = 0;
    DWORD m_focusedThumbColor = 0;
    DWORD m_disabledThumbColor = 0;
    CUIString m_thumbImage;
    CUIString m_thumbHotImage;
    CUIString m_thumbPushedImage;
    CUIString m_thumbFocusedImage;
    CUIString m_imageModify;
    bool m_sendMove = false;
};

}  // namespace SkinUI
