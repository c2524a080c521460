#pragma once

#include "Control/LabelUI.h"

namespace SkinUI {

// Multi-line label whose markup text may hold links: shows the hand cursor over them and sends "link" with the
// link's number when one is clicked. At most 8 links are known.
class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();
    static CControlUI* CreateInstance() { return new CTextUI(); }

    const wchar_t* GetClass() const override { return L"Text"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void HandleEvent(ControlEvent& event) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void PaintText(HDC hdc) override;

    int GetLinkCount() const { return m_linkCount; }
    const RECT& GetLinkRect(int link) const { return m_linkRects[link]; }
    const CUIString& GetLinkText(int link) const { return m_linkTexts[link]; }
    int GetHoveredLink() const { return m_hoveredLink; }

private:
    int LinkAt(POINT pt) const;

    int m_linkCount = 0;
    RECT m_linkRects[kMaxLinks] = {};
    CUIString m_linkTexts[kMaxLinks];
    int m_hoveredLink = -1;
};

}  // namespace SkinUI
