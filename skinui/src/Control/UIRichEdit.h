#pragma once

#include "Control/FieldStateImages.h"
#include "Core/UIInterfaces.h"
#include "Layout/ContainerUI.h"

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <textserv.h>

namespace SkinUI {

class CTxtWinHost;

// Multi-line text editing drawn inside the skinned window, done by the platform's windowless text
// services through a text host. Window messages reach the engine through the control's message filter;
// its two scroll bars and any children are laid out and painted as a container's.
class CRichEditUI : public CContainerUI, public IMessageFilterUI, public IWantTabUI {
public:
    CRichEditUI() = default;
    ~CRichEditUI() override;
    static CControlUI* CreateInstance() { return new CRichEditUI(); }

    const wchar_t* GetClass() const override { return L"RichEdit"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;

    int GetFont() const { return m_font; }
    void SetFont(int index);
    bool IsWantTab() const override { return m_wantTab; }
    bool IsWantReturn() const { return m_wantReturn; }
    bool IsRich() const { return m_rich; }
    bool IsReadOnly() const { return m_readOnly; }
    bool IsTransparent() const { return m_transparent; }
    bool IsWordWrap() const { return m_wordWrap; }
    DWORD GetTextColor() const { return m_textColor; }
    LONG GetLimitText() const { return m_limitText; }
    DWORD GetHostStyle() const { return m_hostStyle; }
    RECT GetTextPadding() const;
    const CUIString& GetTipValue() const { return m_tipValue; }
    // True once the text services stand behind the control.
    bool HasTextServices() const { return m_host != nullptr; }
    // The engine behind the control (null without one); the control keeps its reference.
    ITextServices* GetTextServices() const;

    CUIString GetText() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void Move(SIZE offset, bool invalidate = true) override;
    void InitControl() override;
    // The text host is set up once; a box moved to another window listens to that window from then on.
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void HandleEvent(ControlEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;
    void PaintStateImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void SetScrollPos(SIZE pos, bool notify = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    // A message to the engine; S_FALSE without one. Return keys follow "wantreturn"/"wantctrlreturn".
    virtual HRESULT TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const;
    virtual bool OnTxViewChanged() { return true; }
    virtual void OnTxNotify(DWORD code, void* data);

    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

    static constexpr UINT kCaretTimerId = 20;

private:
    LRESULT SendToEngine(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void ChangeStyle(DWORD bits, bool on);
    void ActivateInPlace();
    // Registers with the window that holds the box: its messages reach the text, its timer blinks the caret.
    void ListenToWindow();
    // A selection drag the window will not see released ends where it is.
    void EndHeldSelection();
    void OnSetCursor(const ControlEvent& event);
    void OnCaretTimer();
    bool NeedsVerticalBar(const RECT& text, LONG& naturalHeight) const;
    RECT TextRect() const;
    void PaintCaret(HDC hdc);
    void PaintTip(HDC hdc);
    bool AcceptsMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) const;
    void ShowContextMenu(LPARAM lParam);
    bool TranslateMenuCommand(WPARAM wParam, UINT& msg, WPARAM& engineWParam, LPARAM& engineLParam) const;
    bool IsVisibleThroughAncestors(RECT& rc) const;

    CTxtWinHost* m_host = nullptr;
    bool m_verticalBarFixing = false;
    bool m_wantTab = true;
    bool m_wantReturn = true;
    bool m_wantCtrlReturn = true;
    bool m_transparent = true;
    bool m_rich = true;
    bool m_readOnly = false;
    bool m_wordWrap = false;
    DWORD m_textColor = 0;
    int m_font = -1;
    LONG m_limitText = 32767;
    DWORD m_hostStyle = ES_MULTILINE;
    bool m_drawCaret = true;
    bool m_initialised = false;
    bool m_endingHeldSelection = false;
    RECT m_textPadding = {0, 0, 0, 0};
    UINT m_buttonState = 0;
    CFieldStateImages m_stateImages;
    CUIString m_tipValue;
    DWORD m_tipValueColor = 0xFFBAC0C5;
    UINT m_tipValueStyle = DT_SINGLELINE;
    // The window's scale when the font was last given to the engine: a DPI change replaces the fonts.
    int m_fontScale = 0;
};

}  // namespace SkinUI
