#pragma once

#include "Layout/ContainerUI.h"

namespace SkinUI {

// Stacks the children along one axis, sharing the free space among children without a size of their own;
// can be resized by dragging a separator band at one edge. Base of the vertical and horizontal layouts.
class CBoxLayoutUI : public CContainerUI {
public:
    UINT GetControlFlags() const override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void HandleEvent(ControlEvent& event) override;
    void PaintOverlay(HDC hdc, const RECT& paint) override;

    int GetSepSize() const { return m_sepSize; }
    void SetSepSize(int size) { m_sepSize = size; }
    bool IsSepImmMode() const { return m_immediate; }
    void SetSepImmMode(bool immediate);

protected:
    explicit CBoxLayoutUI(bool vertical) : m_vertical(vertical) {}
    RECT GetSepRect() const;

private:
    void OnDrag(POINT pt);
    // Ends a separator drag where it stands; false when there was none.
    bool EndSeparatorDrag();

    bool m_vertical;
    int m_sepSize = 0;
    UINT m_buttonState = 0;
    POINT m_lastMouse = {0, 0};
    RECT m_dragRect = {0, 0, 0, 0};
    bool m_immediate = false;
};

class CVerticalLayoutUI : public CBoxLayoutUI {
public:
    CVerticalLayoutUI() : CBoxLayoutUI(true) {}
    static CControlUI* CreateInstance() { return new CVerticalLayoutUI(); }
    const wchar_t* GetClass() const override { return L"VerticalLayout"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
};

class CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI() : CBoxLayoutUI(false) {}
    static CControlUI* CreateInstance() { return new CHorizontalLayoutUI(); }
    const wchar_t* GetClass() const override { return L"HorizontalLayout"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
};

}  // namespace SkinUI
