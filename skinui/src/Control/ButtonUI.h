#pragma once

#include "Control/LabelUI.h"

namespace SkinUI {

// The push button: per-state images, colours and fonts; sends "click" when released over itself or activated
// from the keyboard, and can switch a tab layout to a bound page.
class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    static CControlUI* CreateInstance() { return new CButtonUI(); }

    const wchar_t* GetClass() const override { return L"Button"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBackgroundColor(HDC hdc) override;
    void PaintStateImage(HDC hdc) override;
    void PaintForegroundImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    virtual const CUIString& GetNormalImage() const { return m_normalImage; }
    virtual void SetNormalImage(const wchar_t* image) { SetImage(m_normalImage, image); }
    virtual const CUIString& GetHotImage() const { return m_hotImage; }
    virtual void SetHotImage(const wchar_t* image) { SetImage(m_hotImage, image); }
    virtual const CUIString& GetPushedImage() const { return m_pushedImage; }
    virtual void SetPushedImage(const wchar_t* image) { SetImage(m_pushedImage, image); }
    virtual const CUIString& GetFocusedImage() const { return m_focusedImage; }
    virtual void SetFocusedImage(const wchar_t* image) { SetImage(m_focusedImage, image); }
    virtual const CUIString& GetDisabledImage() const { return m_disabledImage; }
    virtual void SetDisabledImage(const wchar_t* image) { SetImage(m_disabledImage, image); }
    virtual const CUIString& GetHotForeImage() const { return m_hotForeImage; }
    virtual void SetHotForeImage(const wchar_t* image) { SetImage(m_hotForeImage, image); }
    virtual const CUIString& GetPushedForeImage() const { return m_pushedForeImage; }
    virtual void SetPushedForeImage(const wchar_t* image) { SetImage(m_pushedForeImage, image); }
    virtual const CUIString& GetFocusedForeImage() const { return m_focusedForeImage; }
    virtual void SetFocusedForeImage(const wchar_t* image) { SetImage(m_focusedForeImage, image); }
    virtual const CUIString& GetDisabledForeImage() const { return m_disabledForeImage; }
    virtual void SetDisabledForeImage(const wchar_t* image) { SetImage(m_disabledForeImage, image); }

    UINT GetButtonState() const { return m_buttonState; }

    static constexpr UINT kFocused = 1;
    static constexpr UINT kDisabled = 4;
    static constexpr UINT kHot = 8;
    static constexpr UINT kPushed = 16;
    static constexpr UINT kCaptured = 64;

private:
    void SetImage(CUIString& field, const wchar_t* image);
    void RefreshState();
    const CUIString* StateChoice(const CUIString& disabled, const CUIString& pushed, const CUIString& hot,
                                 const CUIString& focused) const;

    UINT m_buttonState = 0;
    int m_hotFont = -1;
    int m_pushedFont = -1;
    int m_focusedFont = -1;
    int m_disabledFont = -1;
    DWORD m_hotBkColor = 0;
    DWORD m_pushedBkColor = 0;
    DWORD m_disabledBkColor = 0;
    DWORD m_hotTextColor = 0;
    DWORD m_pushedTextColor = 0;
    DWORD m_focusedTextColor = 0;
    CUIString m_normalImage;
    CUIString m_hotImage;
    CUIString m_hotForeImage;
    CUIString m_focusedForeImage;
    CUIString m_disabledForeImage;
    CUIString m_pushedImage;
    CUIString m_pushedForeImage;
    CUIString m_focusedImage;
    CUIString m_disabledImage;
    int m_bindTabIndex = -1;
    CUIString m_bindTabLayoutName;
};

}  // namespace SkinUI
