#pragma once

#include "Control/FieldStateImages.h"
#include "Control/LabelUI.h"
#include "Control/NativeFieldWindow.h"

namespace SkinUI {

class CEditWnd;

// The single-line text field: paints its text (or a tip) like a label; editing happens in a system edit
// window opened over it while it has the focus.
class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    static CControlUI* CreateInstance() { return new CEditUI(); }

    const wchar_t* GetClass() const override { return L"Edit"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void Move(SIZE offset, bool invalidate = true) override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void PaintStateImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_readOnly; }
    bool IsPasswordMode() const { return m_passwordMode; }
    wchar_t GetPasswordChar() const { return m_passwordChar; }
    bool IsAutoSelAll() const { return m_autoSelectAll; }
    int GetMaxChar() const { return m_maxChar; }
    DWORD GetWindowStyles() const { return m_windowStyles; }
    DWORD GetNativeEditBkColor() const { return m_nativeBkColor; }
    CUIString GetTipValue() const;
    HWND GetNativeWindow() const;

    // Used by the native window.
    void OnNativeWindowClosed() { m_window.Forget(); }
    void StoreTextFromWindow(const wchar_t* text) { m_text = text; }

private:
    void OpenWindow();

    CNativeFieldWindow<CEditWnd> m_window;
    int m_maxChar = 255;
    bool m_readOnly = false;
    bool m_passwordMode = false;
    bool m_autoSelectAll = false;
    wchar_t m_passwordChar = L'*';
    UINT m_buttonState = 0;
    CFieldStateImages m_stateImages;
    CUIString m_tipValue;
    DWORD m_tipValueColor = 0xFFBAC0C5;
    DWORD m_nativeBkColor = 0xFFFFFFFF;
    DWORD m_nativeTextColor = 0;
    DWORD m_windowStyles = 0;
};

}  // namespace SkinUI
