#pragma once

#include "Layout/BoxLayout.h"

namespace SkinUI {

// A vertical layout with a rounded frame whose top edge is interrupted by a caption.
class CGroupBoxUI : public CVerticalLayoutUI {
public:
    CGroupBoxUI();
    static CControlUI* CreateInstance() { return new CGroupBoxUI(); }

    const wchar_t* GetClass() const override { return L"GroupBox"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintText(HDC hdc) override;
    void PaintBorder(HDC hdc) override;

    // Where the caption goes for a frame rectangle.
    RECT CaptionRect(HDC hdc, const RECT& frame) const;

private:
    void SettleDefaultColors();

    DWORD m_textColor = 0;
    DWORD m_disabledTextColor = 0;
    int m_font = -1;
    UINT m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    RECT m_textPadding = {0, 0, 0, 0};
};

}  // namespace SkinUI
