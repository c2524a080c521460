#pragma once

#include "Control/LabelUI.h"

namespace SkinUI {

// A label that fills the share of its rectangle given by a value between a minimum and a maximum,
// from the left or from the bottom, with the foreground colour and/or image.
class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    static CControlUI* CreateInstance() { return new CProgressUI(); }

    const wchar_t* GetClass() const override { return L"Progress"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintForegroundColor(HDC hdc) override;
    void PaintForegroundImage(HDC hdc) override;
    virtual void UpdateText();

    bool IsHorizontal() const { return m_horizontal; }
    int GetMinValue() const { return m_min; }
    int GetMaxValue() const { return m_max; }
    int GetValue() const { return m_value; }
    void SetValue(int value);

protected:
    struct ValueRange {
        int min;
        int max;
        int value;
    };
    // The range as painting corrects it: an empty or reversed range becomes one step wide and the value
    // is clamped into it, so a value set before its range was narrowed still maps onto the bar.
    ValueRange GetNormalisedRange() const;
    // Stores the corrected range.
    void NormaliseRange();

private:

    bool m_showText = false;
    bool m_horizontal = true;
    bool m_stretchForeImage = true;
    int m_max = 100;
    int m_min = 0;
    int m_value = 0;
    CUIString m_foreModify;
};

}  // namespace SkinUI
