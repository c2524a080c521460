#include "Control/TxtWinHost.h"

#include "Control/ScrollBarUI.h"
#include "Control/UIRichEdit.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

// The import libraries carry no definitions of these two interface ids.
constexpr IID kIidTextServices = {0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
constexpr IID kIidTextHost = {0x13e670f4, 0x1a5a, 0x11cf, {0xab, 0xeb, 0x00, 0xaa, 0x00, 0xb6, 0x5e, 0xa1}};

constexpr LONG kTwipsPerInch = 1440;
// Every paragraph attribute up to the tab stops, the numbering and the reading direction.
constexpr DWORD kParagraphMask = 0x8001003F;
constexpr LONG kHimetricPerInch = 2540;

// Loaded once and kept: the engines created from it live as long as their controls.
PCreateTextServices TextServicesFactory()
{
    static const PCreateTextServices factory = [] {
        HMODULE module = ::LoadLibraryW(L"Msftedit.dll");
        return module ? reinterpret_cast<PCreateTextServices>(
                            reinterpret_cast<void*>(::GetProcAddress(module, "CreateTextServices")))
                      : nullptr;
    }();
    return factory;
}

// Logical pixels per inch of the window's screen in each direction.
SIZE PixelsPerInch(HWND window)
{
    HDC dc = ::GetDC(window);
    const SIZE dpi = {::GetDeviceCaps(dc, LOGPIXELSX), ::GetDeviceCaps(dc, LOGPIXELSY)};
    ::ReleaseDC(window, dc);
    return dpi;
}

}  // namespace

CTxtWinHost::~CTxtWinHost()
{
    if (!m_services) return;
    m_services->OnTxInPlaceDeactivate();
    m_services->Release();
}

HWND CTxtWinHost::Window() const
{
    CWindowUIManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    return manager ? manager->GetWindowHandle() : nullptr;
}

bool CTxtWinHost::Init(CRichEditUI* owner, const CREATESTRUCTW* create)
{
    m_owner = owner;
    CWindowUIManager* manager = owner->GetManager();
    m_charFormat.cbSize = sizeof(m_charFormat);
    m_charFormat.dwMask = CFM_SIZE | CFM_OFFSET | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC |
                          CFM_UNDERLINE;
    if (manager) ReadFont(manager->GetFont(owner->GetFont()));
    DWORD color = owner->GetTextColor();
    if (manager && manager->IsLayered()) CPainter::MakeColorNonBlack(color);
    m_charFormat.crTextColor = CPainter::ToColorRef(color);

    m_paraFormat.cbSize = sizeof(m_paraFormat);
    m_paraFormat.dwMask = kParagraphMask;
    m_paraFormat.wAlignment = PFA_LEFT;
    m_paraFormat.cTabCount = 1;
    m_paraFormat.rgxTabs[0] = 720;

    m_style = create ? static_cast<DWORD>(create->style) : ES_MULTILINE;
    if (!(m_style & (ES_AUTOHSCROLL | WS_HSCROLL))) m_flags |= kWordWrap;
    if (m_style & ES_CENTER) m_paraFormat.wAlignment = PFA_CENTER;
    else if (m_style & ES_RIGHT) m_paraFormat.wAlignment = PFA_RIGHT;
    SetFlag(kRichText, owner->IsRich());
    m_flags |= kInPlaceActive;
    m_maxLength = owner->GetLimitText();
    // Without it a password control would show its text: the engine masks with this character.
    m_passwordChar = L'*';

    const PCreateTextServices factory = TextServicesFactory();
    if (!factory) return false;
    IUnknown* unknown = nullptr;
    if (FAILED(factory(nullptr, this, &unknown)) || !unknown) return false;
    const HRESULT queried = unknown->QueryInterface(kIidTextServices, reinterpret_cast<void**>(&m_services));
    unknown->Release();
    if (FAILED(queried) || !m_services) {
        m_services = nullptr;
        return false;
    }
    if (create && create->lpszName && *create->lpszName) m_services->TxSetText(create->lpszName);
    return true;
}

void CTxtWinHost::ReadFont(HFONT font)
{
    LOGFONTW log = {};
    if (!font || !::GetObjectW(font, sizeof(log), &log)) return;
    const SIZE dpi = PixelsPerInch(Window());
    m_charFormat.yHeight = log.lfHeight * -kTwipsPerInch / (dpi.cy > 0 ? dpi.cy : 96);
    m_charFormat.yOffset = 0;
    m_charFormat.dwEffects &= ~static_cast<DWORD>(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE);
    if (log.lfWeight >= FW_BOLD) m_charFormat.dwEffects |= CFE_BOLD;
    if (log.lfItalic) m_charFormat.dwEffects |= CFE_ITALIC;
    if (log.lfUnderline) m_charFormat.dwEffects |= CFE_UNDERLINE;
    m_charFormat.bCharSet = log.lfCharSet;
    m_charFormat.bPitchAndFamily = log.lfPitchAndFamily;
    wcsncpy(m_charFormat.szFaceName, log.lfFaceName, LF_FACESIZE - 1);
    m_charFormat.szFaceName[LF_FACESIZE - 1] = 0;
}

void CTxtWinHost::SetClientRect(const RECT& rc)
{
    m_client = rc;
    const SIZE dpi = PixelsPerInch(Window());
    m_extent.cx = ::MulDiv(rc.right - rc.left, kHimetricPerInch, dpi.cx > 0 ? dpi.cx : 96);
    m_extent.cy = ::MulDiv(rc.bottom - rc.top, kHimetricPerInch, dpi.cy > 0 ? dpi.cy : 96);
    if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
}

void CTxtWinHost::SetFont(HFONT font)
{
    ReadFont(font);
    CharFormatChanged();
}

void CTxtWinHost::SetColor(DWORD argb)
{
    m_charFormat.crTextColor = CPainter::ToColorRef(argb);
    m_charFormat.dwEffects &= ~static_cast<DWORD>(CFE_AUTOCOLOR);
    CharFormatChanged();
}

void CTxtWinHost::CharFormatChanged()
{
    if (!m_services) return;
    m_services->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
    // Not every engine reads the host's format again on that bit: hand it over as the default format too.
    LRESULT ignored = 0;
    m_services->TxSendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&m_charFormat), &ignored);
}

void CTxtWinHost::SetMaxLength(LONG length)
{
    m_maxLength = length;
    if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
}

void CTxtWinHost::SetTransparent(bool on)
{
    SetFlag(kTransparent, on);
    if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
}

void CTxtWinHost::SetRichText(bool on)
{
    SetFlag(kRichText, on);
    if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, on ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::ChangeStyleBit(DWORD style, bool on, DWORD property)
{
    m_style = on ? (m_style | style) : (m_style & ~style);
    if (m_services) m_services->OnTxPropertyBitsChange(property, on ? property : 0);
}

bool CTxtWinHost::ActivateInPlace()
{
    m_flags |= kInPlaceActive;
    if (m_services && SUCCEEDED(m_services->OnTxInPlaceActivate(nullptr))) return true;
    m_flags &= ~kInPlaceActive;
    return false;
}

RECT CTxtWinHost::GetCaretRect() const
{
    return RECT{m_caretPos.x, m_caretPos.y, m_caretPos.x + m_caret.cx, m_caretPos.y + m_caret.cy};
}

bool CTxtWinHost::GetNaturalHeight(int width, LONG& height) const
{
    if (!m_services) return false;
    CWindowUIManager* manager = m_owner->GetManager();
    const SIZEL extent = {-1, -1};
    LONG naturalWidth = width;
    height = 0;
    return m_services->TxGetNaturalSize(DVASPECT_CONTENT, manager ? manager->GetDeviceContext() : nullptr, nullptr,
                                        nullptr, TXTNS_FITTOCONTENT, &extent, &naturalWidth, &height) == S_OK;
}

HRESULT CTxtWinHost::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidTextHost)) {
        AddRef();
        *object = static_cast<ITextHost*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CTxtWinHost::AddRef() { return ++m_refs; }

ULONG CTxtWinHost::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HDC CTxtWinHost::TxGetDC()
{
    CWindowUIManager* manager = m_owner->GetManager();
    return manager ? manager->GetDeviceContext() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC) { return 1; }

BOOL CTxtWinHost::TxShowScrollBar(INT bar, BOOL show)
{
    CScrollBarUI* vertical = m_owner->GetVerticalScrollBar();
    CScrollBarUI* horizontal = m_owner->GetHorizontalScrollBar();
    if (vertical && (bar == SB_VERT || bar == SB_BOTH)) vertical->SetVisible(show == TRUE);
    if (horizontal && (bar == SB_HORZ || bar == SB_BOTH)) horizontal->SetVisible(show == TRUE);
    return TRUE;
}

BOOL CTxtWinHost::TxEnableScrollBar(INT bars, INT arrows)
{
    const bool vertical = bars == SB_VERT || bars == SB_BOTH;
    const bool horizontal = bars == SB_HORZ || bars == SB_BOTH;
    if (bars == SB_VERT) m_owner->EnableScrollBar(true, m_owner->GetHorizontalScrollBar() != nullptr);
    else if (bars == SB_HORZ) m_owner->EnableScrollBar(m_owner->GetVerticalScrollBar() != nullptr, true);
    else if (bars == SB_BOTH) m_owner->EnableScrollBar(true, true);
    const bool show = arrows != ESB_DISABLE_BOTH;
    if (vertical && m_owner->GetVerticalScrollBar()) m_owner->GetVerticalScrollBar()->SetVisible(show);
    if (horizontal && m_owner->GetHorizontalScrollBar()) m_owner->GetHorizontalScrollBar()->SetVisible(show);
    return TRUE;
}

BOOL CTxtWinHost::TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL)
{
    CScrollBarUI* scrollBar = nullptr;
    int page = 0;
    if (bar == SB_VERT) {
        scrollBar = m_owner->GetVerticalScrollBar();
        page = m_client.bottom - m_client.top;
    } else if (bar == SB_HORZ) {
        scrollBar = m_owner->GetHorizontalScrollBar();
        page = m_client.right - m_client.left;
    }
    if (!scrollBar) return TRUE;
    const int range = static_cast<int>(maxPos - minPos) - page;
    if (range > 0) {
        scrollBar->SetVisible(true);
        scrollBar->SetScrollRange(range);
    } else {
        scrollBar->SetVisible(false);
    }
    return TRUE;
}

BOOL CTxtWinHost::TxSetScrollPos(INT bar, INT pos, BOOL)
{
    CScrollBarUI* scrollBar = bar == SB_VERT ? m_owner->GetVerticalScrollBar()
                              : bar == SB_HORZ ? m_owner->GetHorizontalScrollBar()
                                               : nullptr;
    if (scrollBar) scrollBar->SetScrollPos(pos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT rc, BOOL)
{
    CWindowUIManager* manager = m_owner->GetManager();
    if (!manager) return;
    RECT dirty = rc ? *rc : m_client;
    manager->Invalidate(dirty);
}

void CTxtWinHost::TxViewChange(BOOL)
{
    if (m_owner->OnTxViewChanged()) m_owner->Invalidate();
}

BOOL CTxtWinHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height)
{
    m_caret = SIZE{width, height};
    return ::CreateCaret(Window(), bitmap, width, height);
}

BOOL CTxtWinHost::TxShowCaret(BOOL show)
{
    SetFlag(kCaretShown, show != FALSE);
    return show ? ::ShowCaret(Window()) : ::HideCaret(Window());
}

void CTxtWinHost::InvalidateCaret(int x, int y)
{
    CWindowUIManager* manager = m_owner->GetManager();
    if (!manager) return;
    RECT rc = {x, y, x + m_previousCaret.cx, y + m_previousCaret.cy};
    manager->Invalidate(rc);
}

BOOL CTxtWinHost::TxSetCaretPos(INT x, INT y)
{
    CWindowUIManager* manager = m_owner->GetManager();
    const bool layered = manager && manager->IsLayered();
    if (layered || Has(kCaretNeedsRefresh)) {
        InvalidateCaret(m_caretPos.x, m_caretPos.y);
        m_flags &= ~kCaretNeedsRefresh;
    }
    m_previousCaret = m_caret;
    m_caretPos = POINT{x, y};
    if (layered) InvalidateCaret(x, y);
    return ::SetCaretPos(x, y);
}

BOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeout)
{
    m_flags |= kTimerSet;
    CWindowUIManager* manager = m_owner->GetManager();
    return manager && manager->SetTimer(m_owner, id, timeout);
}

void CTxtWinHost::TxKillTimer(UINT id)
{
    if (CWindowUIManager* manager = m_owner->GetManager()) manager->KillTimer(m_owner, id);
    m_flags &= ~kTimerSet;
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CTxtWinHost::TxSetCapture(BOOL capture)
{
    CWindowUIManager* manager = m_owner->GetManager();
    if (!manager) return;
    // Set first: the WM_CAPTURECHANGED that a release sends is the engine's own doing.
    SetFlag(kCaptured, capture != FALSE);
    if (capture) manager->SetCapture();
    else manager->ReleaseCapture();
}

void CTxtWinHost::TxSetFocus() { m_owner->SetFocus(); }

void CTxtWinHost::TxSetCursor(HCURSOR cursor, BOOL) { ::SetCursor(cursor); }

BOOL CTxtWinHost::TxScreenToClient(LPPOINT pt) { return ::ScreenToClient(Window(), pt); }

BOOL CTxtWinHost::TxClientToScreen(LPPOINT pt) { return ::ClientToScreen(Window(), pt); }

HRESULT CTxtWinHost::TxActivate(LONG*) { return S_OK; }

HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rc)
{
    *rc = m_client;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT rc)
{
    *rc = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format)
{
    *format = reinterpret_cast<const CHARFORMATW*>(&m_charFormat);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format)
{
    *format = &m_paraFormat;
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) { return ::GetSysColor(index); }

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style)
{
    *style = Has(kTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length)
{
    *length = static_cast<DWORD>(m_maxLength);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* bars)
{
    *bars = m_style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* ch)
{
    *ch = m_passwordChar;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pos)
{
    *pos = m_acceleratorPos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL extent)
{
    *extent = m_extent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits)
{
    DWORD result = 0;
    if (Has(kRichText)) result |= TXTBIT_RICHTEXT;
    if (m_style & ES_MULTILINE) result |= TXTBIT_MULTILINE;
    if (m_style & ES_READONLY) result |= TXTBIT_READONLY;
    if (m_style & ES_PASSWORD) result |= TXTBIT_USEPASSWORD;
    if (!(m_style & ES_NOHIDESEL)) result |= TXTBIT_HIDESELECTION;
    if (Has(kAutoWordSelect)) result |= TXTBIT_AUTOWORDSEL;
    if (Has(kWordWrap)) result |= TXTBIT_WORDWRAP;
    if (Has(kAllowBeep)) result |= TXTBIT_ALLOWBEEP;
    if (Has(kSaveSelection)) result |= TXTBIT_SAVESELECTION;
    *bits = result & mask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD code, void* data)
{
    if (code == EN_REQUESTRESIZE) {
        if (const auto* resize = static_cast<const REQRESIZE*>(data)) {
            m_client.right = m_client.left + resize->rc.right;
            m_client.bottom = m_client.top + resize->rc.bottom;
        }
        return S_OK;
    }
    m_owner->OnTxNotify(code, data);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }

void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width)
{
    *width = m_selectionBarWidth;
    return S_OK;
}

}  // namespace SkinUI
