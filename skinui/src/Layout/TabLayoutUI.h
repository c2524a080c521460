#pragma once

#include "Layout/ContainerUI.h"

namespace SkinUI {

// Shows one child (page) at a time.
class CTabLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateInstance() { return new CTabLayoutUI(); }
    const wchar_t* GetClass() const override { return L"TabLayout"; }
    void* GetInterface(const wchar_t* name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCurSel() const { return m_selected; }
    virtual bool SelectItem(int index);
    virtual bool SelectItemByControl(CControlUI* control);

    void SetPos(RECT rc, bool invalidate = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    // Makes the page at index the selected one: shown and focused, every other page hidden. False when
    // the focus's handlers deleted the layout or took that page out of it (the selection is then what
    // the removal left).
    bool ShowPage(int index);
    // Moves the focus on and sends "tabselect" (wParam the selected index, lParam the previous one).
    void AnnounceSelection(int old);

private:
    int m_selected = -1;
};

// Fills itself from another skin file when it is initialised.
class CChildLayoutUI : public CContainerUI {
public:
    static CControlUI* CreateInstance() { return new CChildLayoutUI(); }
    const wchar_t* GetClass() const override { return L"ChildLayout"; }
    void* GetInterface(const wchar_t* name) override;
    void Init() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    const CUIString& GetChildLayoutXML() const { return m_xmlFile; }
    void SetChildLayoutXML(const wchar_t* file) { m_xmlFile = file; }

private:
    CUIString m_xmlFile;
};

}  // namespace SkinUI
