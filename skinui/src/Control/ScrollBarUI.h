#pragma once

#include "Core/ControlUI.h"

namespace SkinUI {

class CContainerUI;

// Two arrow buttons, a track and a draggable thumb; scrolls its owner container, or only keeps a position.
class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();
    static CControlUI* CreateInstance() { return new CScrollBarUI(); }

    const wchar_t* GetClass() const override { return L"ScrollBar"; }
    void* GetInterface(const wchar_t* name) override;

    CContainerUI* GetOwner() const { return m_owner; }
    void SetOwner(CContainerUI* owner) { m_owner = owner; }
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_range; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_scrollPos; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_lineSize; }
    void SetLineSize(int size) { m_lineSize = size; }
    const RECT& GetThumbRect() const { return m_thumb.rect; }
    const RECT& GetButton1Rect() const { return m_button1.rect; }
    const RECT& GetButton2Rect() const { return m_button2.rect; }

    void SetPos(RECT rc, bool invalidate = true) override;
    // Moved while held: the press stays with the window left, which let go of the repeat timer; the bar
    // is let go as on button up.
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetFocus() override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;

    static constexpr UINT kTimerId = 10;

private:
    // One drawn part: its place, state bits and images by state.
    struct Part {
        RECT rect = {0, 0, 0, 0};
        UINT state = 0;
        CUIString normal, hot, pushed, disabled;
    };

    int Thickness() const;
    int PageSize() const;
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void OnButtonDown(const ControlEvent& event);
    void OnButtonUp();
    void OnMouseMove(const ControlEvent& event);
    void OnTimer();
    void PassOn(ControlEvent& event);
    bool DrawPartImage(HDC hdc, const Part& part, UINT state, const RECT& rc);
    bool DrawStateImage(HDC hdc, const Part& part, UINT state, const CUIString& modify);
    void PaintPart(HDC hdc, Part& part);
    void PaintRail(HDC hdc);
    CUIString DestModify(const RECT& rc) const;
    Part* PartByAttribute(const wchar_t* name, CUIString** image);

    bool m_horizontal = false;
    int m_range = 100;
    int m_scrollPos = 0;
    int m_lineSize = 8;
    CContainerUI* m_owner = nullptr;
    POINT m_dragStart = {0, 0};
    int m_dragStartPos = 0;
    int m_dragOffset = 0;
    int m_repeat = 0;
    Part m_track;
    bool m_showButton1 = true;
    Part m_button1;
    bool m_showButton2 = true;
    Part m_button2;
    Part m_thumb;
    Part m_rail;
};

}  // namespace SkinUI
