#pragma once

#include "Control/FieldStateImages.h"
#include "Control/LabelUI.h"
#include "Control/NativeFieldWindow.h"

namespace SkinUI {

class CHotKeyWnd;

// Shows a key combination; while focused or clicked the platform's hot-key control edits it.
class CHotKeyUI : public CLabelUI {
public:
    CHotKeyUI();
    ~CHotKeyUI() override;
    static CControlUI* CreateInstance() { return new CHotKeyUI(); }

    const wchar_t* GetClass() const override { return L"HotKey"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE CalcDesiredSize(SIZE available) override;
    void PaintStateImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    WORD GetVirtualKey() const { return m_virtualKey; }
    WORD GetModifiers() const { return m_modifiers; }
    void SetHotKey(WORD virtualKey, WORD modifiers);
    DWORD GetNativeBkColor() const { return m_nativeBkColor; }
    UINT GetButtonState() const { return m_buttonState; }
    HWND GetNativeWindow() const;

    // The names of the modifiers and the key joined by " + ": Ctrl, Shift and Alt in that order
    // (HOTKEYF_* bits), empty when there is neither key nor modifier.
    static CUIString CombinationText(WORD virtualKey, WORD modifiers);

    // Used by the native window.
    void OnNativeWindowClosed() { m_window.Forget(); }

    static constexpr UINT kFocused = CFieldStateImages::kFocused;
    static constexpr UINT kDisabled = CFieldStateImages::kDisabled;
    static constexpr UINT kHot = CFieldStateImages::kHot;

private:
    void OpenWindow();

    CNativeFieldWindow<CHotKeyWnd> m_window;
    UINT m_buttonState = 0;
    CFieldStateImages m_stateImages;
    DWORD m_nativeBkColor = 0xFFFFFFFF;
    WORD m_virtualKey = 0;
    WORD m_modifiers = 0;
};

}  // namespace SkinUI
