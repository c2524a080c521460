#pragma once

#include "Core/ControlUI.h"

namespace SkinUI {

// Shows text with a font, colours, a text padding and DrawText flags, plain or with markup; can size itself
// to its text. Base of the button, edit box and progress bar.
class CLabelUI : public CControlUI {
public:
    CLabelUI() = default;
    static CControlUI* CreateInstance() { return new CLabelUI(); }

    const wchar_t* GetClass() const override { return L"Label"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void PaintText(HDC hdc) override;

    virtual bool IsAutoCalcWidth() const { return m_autoWidth; }
    virtual void SetAutoCalcWidth(bool autoWidth) { m_autoWidth = autoWidth; }
    virtual bool IsAutoCalcHeight() const { return m_autoHeight; }
    virtual void SetAutoCalcHeight(bool autoHeight) { m_autoHeight = autoHeight; }

    DWORD GetTextColor() const { return m_textColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_disabledTextColor; }
    RECT GetTextPadding() const;
    void SetTextPadding(RECT padding);
    int GetFont() const { return m_font; }
    UINT GetTextStyle() const { return m_textStyle; }
    bool IsShowHtml() const { return m_showHtml; }

protected:
    // Colours never set take the window's defaults, once and for good.
    void SettleDefaultColors();
    void DrawLabelText(HDC hdc, DWORD color, int font);

    DWORD m_textColor = 0;
    DWORD m_disabledTextColor = 0;
    int m_font = -1;
    UINT m_textStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_textPadding = {0, 0, 0, 0};
    bool m_showHtml = false;
    bool m_autoWidth = false;
    bool m_autoHeight = false;
    SIZE m_lastAvailable = {0, 0};
    SIZE m_lastDesired = {0, 0};
    bool m_needsMeasure = false;
};

}  // namespace SkinUI
