#pragma once

#include <windows.h>
#include <imm.h>
#include <ole2.h>
#include <richedit.h>
#include <textserv.h>

namespace SkinUI {

class CRichEditUI;

// The text host of a rich edit control: answers the windowless text services' questions from the control
// and its window manager, and carries out their requests (caret, scroll bars, timers, capture) there.
// Reference counted; the control holds the first reference.
class CTxtWinHost : public ITextHost {
public:
    CTxtWinHost() = default;
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    // Reads the formats from the control and creates the text services; false when they cannot be had.
    bool Init(CRichEditUI* owner, const CREATESTRUCTW* create);
    ITextServices* GetTextServices() const { return m_services; }

    const RECT& GetClientRect() const { return m_client; }
    void SetClientRect(const RECT& rc);
    void SetFont(HFONT font);
    void SetColor(DWORD argb);
    void SetMaxLength(LONG length);
    void SetStyle(DWORD style) { m_style = style; }
    DWORD GetStyle() const { return m_style; }
    void SetTransparent(bool on);
    void SetRichText(bool on);
    // Tells the engine the style bit behind the property changed.
    void ChangeStyleBit(DWORD style, bool on, DWORD property);
    bool IsInPlaceActive() const { return Has(kInPlaceActive); }
    bool ActivateInPlace();
    bool IsCaptured() const { return Has(kCaptured); }
    bool IsCaretShown() const { return Has(kCaretShown); }
    void SetCaretNeedsRefresh() { m_flags |= kCaretNeedsRefresh; }
    // The caret as last placed by the engine (client coordinates of the window).
    RECT GetCaretRect() const;
    // Measures the text at the given width (TXTNS_FITTOCONTENT); false when the engine cannot tell.
    bool GetNaturalHeight(int width, LONG& height) const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    BOOL TxShowScrollBar(INT bar, BOOL show) override;
    BOOL TxEnableScrollBar(INT bars, INT arrows) override;
    BOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL redraw) override;
    BOOL TxSetScrollPos(INT bar, INT pos, BOOL redraw) override;
    void TxInvalidateRect(LPCRECT rc, BOOL mode) override;
    void TxViewChange(BOOL update) override;
    BOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
    BOOL TxShowCaret(BOOL show) override;
    BOOL TxSetCaretPos(INT x, INT y) override;
    BOOL TxSetTimer(UINT id, UINT timeout) override;
    void TxKillTimer(UINT id) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update, LPRECT updateRect,
                          UINT flags) override;
    void TxSetCapture(BOOL capture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR cursor, BOOL text) override;
    BOOL TxScreenToClient(LPPOINT pt) override;
    BOOL TxClientToScreen(LPPOINT pt) override;
    HRESULT TxActivate(LONG* oldState) override;
    HRESULT TxDeactivate(LONG newState) override;
    HRESULT TxGetClientRect(LPRECT rc) override;
    HRESULT TxGetViewInset(LPRECT rc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
    COLORREF TxGetSysColor(int index) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
    HRESULT TxGetMaxLength(DWORD* length) override;
    HRESULT TxGetScrollBars(DWORD* bars) override;
    HRESULT TxGetPasswordChar(TCHAR* ch) override;
    HRESULT TxGetAcceleratorPos(LONG* pos) override;
    HRESULT TxGetExtent(LPSIZEL extent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
    HRESULT TxNotify(DWORD code, void* data) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC context) override;
    HRESULT TxGetSelectionBarWidth(LONG* width) override;

    virtual ~CTxtWinHost();

private:
    static constexpr DWORD kAutoWordSelect = 1;
    static constexpr DWORD kWordWrap = 2;
    static constexpr DWORD kAllowBeep = 4;
    static constexpr DWORD kRichText = 8;
    static constexpr DWORD kSaveSelection = 16;
    static constexpr DWORD kInPlaceActive = 32;
    static constexpr DWORD kTransparent = 64;
    static constexpr DWORD kTimerSet = 128;
    static constexpr DWORD kCaptured = 256;
    static constexpr DWORD kCaretShown = 512;
    static constexpr DWORD kCaretNeedsRefresh = 1024;

    bool Has(DWORD flag) const { return (m_flags & flag) != 0; }
    void SetFlag(DWORD flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }
    void ReadFont(HFONT font);
    void CharFormatChanged();
    void InvalidateCaret(int x, int y);
    HWND Window() const;

    CRichEditUI* m_owner = nullptr;
    ULONG m_refs = 1;
    ITextServices* m_services = nullptr;
    DWORD m_style = ES_MULTILINE;
    DWORD m_flags = 0;
    LONG m_selectionBarWidth = 0;
    LONG m_maxLength = 32767;
    RECT m_client = {0, 0, 0, 0};
    SIZEL m_extent = {0, 0};
    CHARFORMAT2W m_charFormat = {};
    PARAFORMAT2 m_paraFormat = {};
    SIZE m_caret = {0, 0};
    SIZE m_previousCaret = {0, 0};
    POINT m_caretPos = {0, 0};
    LONG m_acceleratorPos = -1;
    WCHAR m_passwordChar = 0;
};

}  // namespace SkinUI
