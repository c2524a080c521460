#pragma once

#include "Control/UIList.h"
#include "Core/UIInterfaces.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"

namespace SkinUI {

class CComboBoxUI;

// The borderless popup under a combo box that holds its entries in a list.
class CComboBoxWnd : public CWindowWnd, public INotifyUI {
public:
    explicit CComboBoxWnd(CComboBoxUI* owner);
    ~CComboBoxWnd() override;

    CListUI* GetList() const { return m_list; }
    CWindowUIManager& GetManager() { return m_manager; }
    // Places the window under the combo at its entries' height (bounded by the drop box size) and shows it.
    void Show(bool show);
    // Height the window opens with, in pixels of the combo's window.
    int DropHeight(int width) const;

    void Notify(NotifyMessage& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"ComboWnd"; }
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void OnCreate();
    bool IsOverEntry(POINT pt) const;

    CWindowUIManager m_manager;
    CComboBoxUI* m_owner;
    CVerticalLayoutUI* m_layout;
    bool m_hitItem = false;
    CListUI* m_list;
    bool m_layoutAttached = false;
};

// A box showing the selected entry's text that opens its entries in a drop window (click or F4).
class CComboBoxUI : public CContainerUI, public IListOwnerUI {
public:
    CComboBoxUI();
    ~CComboBoxUI() override;
    static CControlUI* CreateInstance() { return new CComboBoxUI(); }

    const wchar_t* GetClass() const override { return L"ComboBox"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override { return CONTROL_FLAG_TABSTOP | CONTROL_FLAG_SETCURSOR; }
    void InitControl() override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    CUIString GetText() const override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    // Hidden, by itself or a parent, it hides an open list as a move does.
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void Move(SIZE offset, bool invalidate = true) override { CControlUI::Move(offset, invalidate); }
    SIZE CalcDesiredSize(SIZE available) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;
    void PaintStateImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    // Entries live in the drop window's list.
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    bool SetItemIndex(CControlUI*, int) override { return true; }

    int GetListType() override { return LIST_TYPE_COMBO; }
    ListInfo* GetListInfo() override { return nullptr; }
    int GetCurSel() const override;
    bool SelectItem(int index, bool takeFocus = false) override;
    bool SelectMultiItem(int index, bool takeFocus = false) override { return SelectItem(index, takeFocus); }
    bool UnSelectItem(int, bool = false) override { return false; }
    void DoEvent(ControlEvent& event) override { HandleEvent(event); }

    CComboBoxWnd* GetDropWindow() const { return m_dropWnd; }
    CListUI* GetList() const { return m_dropWnd ? m_dropWnd->GetList() : nullptr; }
    SIZE GetDropBoxSize() const { return m_dropBoxSize; }
    const CUIString& GetDropBoxAttributeList() const { return m_dropBoxAttributes; }
    bool IsShowShadow() const { return m_showShadow; }
    UINT GetButtonState() const { return m_buttonState; }
    DWORD GetTextColor() const { return m_textColor; }
    UINT GetTextStyle() const { return m_textStyle; }
    // The drop window is gone; the combo keeps working without it.
    void ForgetDropWindow();
    // The list closed: the box no longer shows pressed.
    void OnDropListClosed();
    // The drop window is closing: the combo's own part of the tree is bound to its window again.
    void RebindAfterDropClose();

private:
    bool IsDropListShown() const;
    void HideDropListWhenHidden();
    bool DrawStateImage(HDC hdc, const CUIString& disabled, const CUIString& pushed, const CUIString& hot,
                        const CUIString& focused, const CUIString& normal);

    CComboBoxWnd* m_dropWnd = nullptr;
    DWORD m_textColor = 0;
    DWORD m_disabledTextColor = 0;
    int m_font = -1;
    UINT m_textStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_textPadding = {0, 0, 0, 0};
    bool m_showHtml = false;
    bool m_showShadow = false;
    UINT m_buttonState = 0;
    CUIString m_normalImage;
    CUIString m_hotImage;
    CUIString m_pushedImage;
    CUIString m_focusedImage;
    CUIString m_disabledImage;
    SIZE m_dropBoxSize = {0, 150};
    CUIString m_dropBoxAttributes;
    CUIString m_arrowNormalImage;
    CUIString m_arrowHotImage;
    CUIString m_arrowPushedImage;
    CUIString m_arrowFocusedImage;
    CUIString m_arrowDisabledImage;
};

}  // namespace SkinUI
