#pragma once

#include "Core/ControlUI.h"

namespace SkinUI {

// An HSL colour picker: a hue/lightness field above a saturation bar; sends "colorchanged" with the
// chosen colour (ARGB) when the button is released.
class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI() = default;
    ~CColorPaletteUI() override;
    static CControlUI* CreateInstance() { return new CColorPaletteUI(); }

    const wchar_t* GetClass() const override { return L"ColorPalette"; }
    void* GetInterface(const wchar_t* name) override;
    void InitControl() override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBackgroundColor(HDC hdc) override;
    virtual void PaintPalette(HDC hdc);

    int GetHue() const { return m_hue; }
    int GetSaturation() const { return m_saturation; }
    int GetLightness() const { return m_lightness; }
    // The chosen colour as ARGB with alpha 0xFF.
    DWORD GetSelectColor() const;
    POINT GetFieldThumb() const { return m_fieldThumb; }

    // HSL with hue 0..360, saturation and lightness 0..200, as 0x00RRGGBB.
    static DWORD HslToRgb(int hue, int saturation, int lightness);

private:
    void BuildField();
    void BuildBar();
    void PickInField(POINT pt);
    void FreeBitmap();

    HDC m_memoryDc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    DWORD* m_bits = nullptr;
    bool m_pushed = false;
    bool m_draggingBar = false;
    bool m_draggingField = false;
    int m_hue = 180;
    int m_saturation = 200;
    int m_lightness = 100;
    int m_fieldHeight = 200;
    int m_barHeight = 10;
    POINT m_fieldThumb = {0, 0};
    CUIString m_thumbImage;
};

}  // namespace SkinUI
