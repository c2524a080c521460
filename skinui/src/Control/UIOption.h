#pragma once

#include "Control/ButtonUI.h"

namespace SkinUI {

// A button with a selected state: a radio button inside a named group of its window (selecting one
// deselects the others), a toggle without a group. Sends "selectchanged".
class COptionUI : public CButtonUI {
public:
    COptionUI() = default;
    ~COptionUI() override;
    static CControlUI* CreateInstance() { return new COptionUI(); }

    const wchar_t* GetClass() const override { return L"Option"; }
    void* GetInterface(const wchar_t* name) override;
    bool Activate() override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBackgroundColor(HDC hdc) override;
    void PaintStateImage(HDC hdc) override;
    void PaintForegroundImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    virtual const CUIString& GetSelectedStateImage() const { return m_selectedStateImage; }
    virtual void SetSelectedStateImage(const wchar_t* description);
    virtual void Selected(bool selected, bool notify = true);

    bool IsSelected() const { return m_selected; }
    const CUIString& GetGroup() const { return m_group; }
    void SetGroup(const wchar_t* name);
    // The button's state word with the selected bit (2) kept equal to the selected flag.
    UINT GetOptionState() const { return GetButtonState() | (m_selected ? kSelected : 0u); }
    const CUIString& GetSelectedImage() const { return m_selectedImage; }
    const CUIString& GetSelectedHotImage() const { return m_selectedHotImage; }
    const CUIString& GetSelectedPushedImage() const { return m_selectedPushedImage; }

    static constexpr UINT kSelected = 2;

protected:
    // wParam of "selectchanged".
    virtual WPARAM SelectChangedParam() const { return 0; }

private:
    void BuildFramesFromStateImage();
    void JoinGroup();
    void DeselectOtherMembers(bool notify);

    bool m_selected = false;
    CUIString m_group;
    int m_selectedFont = -1;
    DWORD m_selectedBkColor = 0;
    DWORD m_selectedTextColor = 0;
    CUIString m_selectedImage;
    CUIString m_selectedHotImage;
    CUIString m_selectedPushedImage;
    CUIString m_selectedForeImage;
    int m_selectedStateCount = 0;
    CUIString m_selectedStateImage;
};

// An option that can also toggle itself when pressed ("EnableAutoCheck").
class CCheckBoxUI : public COptionUI {
public:
    static CControlUI* CreateInstance() { return new CCheckBoxUI(); }

    const wchar_t* GetClass() const override { return L"CheckBoxUI"; }
    void* GetInterface(const wchar_t* name) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool IsAutoCheck() const { return m_autoCheck; }

protected:
    WPARAM SelectChangedParam() const override { return IsSelected() ? 1 : 0; }

private:
    bool m_autoCheck = false;
};

}  // namespace SkinUI
