#pragma once

#include "Layout/BoxLayout.h"
#include "Utils/UIString.h"

namespace SkinUI {

// The column header of a list: a row of header items, optionally sized by percentages of its width.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    static CControlUI* CreateInstance() { return new CListHeaderUI(); }

    const wchar_t* GetClass() const override { return L"ListHeader"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void SetPos(RECT rc, bool invalidate = true) override;

    bool IsPercentageHeader() const { return m_percentage; }
    void SetPercentageHeader(bool percentage) { m_percentage = percentage; }

private:
    int ItemWidth(CControlUI* child, int total, SIZE available);

    bool m_percentage = false;
};

// One column of a list header: clickable ("headerclick") and resizable by dragging its separator strip.
class CListHeaderItemUI : public CContainerUI {
public:
    CListHeaderItemUI();
    static CControlUI* CreateInstance() { return new CListHeaderItemUI(); }

    const wchar_t* GetClass() const override { return L"ListHeaderItem"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool enabled = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintStateImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    bool IsDragable() const { return m_dragable; }
    void SetDragable(bool dragable);
    UINT GetButtonState() const { return m_buttonState; }
    int GetSepWidth() const { return m_sepWidth; }
    void SetSepWidth(int width) { m_sepWidth = width; }
    int GetPercent() const { return m_percent; }
    void SetPercent(int percent) { m_percent = percent; }
    UINT GetTextStyle() const { return m_textStyle; }
    // The separator strip: at the right edge for a positive width, at the left edge for a negative one.
    RECT GetThumbRect() const;

private:
    void EndPress();
    void DragTo(POINT pointer);
    int ScaledSepWidth() const;
    RECT GetGripRect() const;

    bool m_dragable = true;
    UINT m_buttonState = 0;
    int m_sepWidth = 1;
    bool m_sepWidthFollowsDpi = true;
    DWORD m_textColor = 0;
    int m_font = -1;
    UINT m_textStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    bool m_showHtml = false;
    RECT m_textPadding = {2, 0, 2, 0};
    CUIString m_normalImage;
    CUIString m_hotImage;
    CUIString m_pushedImage;
    CUIString m_focusedImage;
    CUIString m_sepImage;
    CUIString m_sepImageModify;
    // Where the separator was grabbed and how wide the column was then: a drag sizes from these, so the
    // column follows the pointer however many moves come before the next layout.
    POINT m_pressPoint = {0, 0};
    int m_pressWidth = 0;
    int m_percent = 0;
};

}  // namespace SkinUI
