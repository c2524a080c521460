#include "Control/UIRichEdit.h"

#include "Control/RichEditContextMenu.h"
#include "Control/ScrollBarUI.h"
#include "Control/TxtWinHost.h"
#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace SkinUI {
namespace {

constexpr DWORD kEventMask = ENM_CHANGE | ENM_DROPFILES | ENM_LINK;
constexpr DWORD kCaretColor = 0xFF000000;

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }
bool IsKeyMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }
bool IsCtrlDown() { return ::GetKeyState(VK_CONTROL) < 0; }

// Notifications whose record the window hears about as WM_NOTIFY.
bool IsForwardedNotification(DWORD code)
{
    switch (code) {
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE:
        return true;
    default:
        return false;
    }
}

}  // namespace

CRichEditUI::~CRichEditUI()
{
    if (m_host) {
        m_host->Release();
        m_host = nullptr;
    }
    if (CWindowUIManager* manager = LiveManager()) manager->RemoveMessageFilter(this);
}

void* CRichEditUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"RichEdit") == 0) return static_cast<CRichEditUI*>(this);
    if (name && _wcsicmp(name, L"WantTab") == 0) return static_cast<IWantTabUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CRichEditUI::GetControlFlags() const
{
    return IsEnabled() ? CONTROL_FLAG_TABSTOP | CONTROL_FLAG_SETCURSOR : 0u;
}

void CRichEditUI::SetFont(int index)
{
    m_font = index;
    if (!m_host || !m_manager) return;
    m_fontScale = m_manager->GetDpiScaler()->GetScale();
    m_host->SetFont(m_manager->GetFont(m_font));
}

ITextServices* CRichEditUI::GetTextServices() const { return m_host ? m_host->GetTextServices() : nullptr; }

RECT CRichEditUI::GetTextPadding() const
{
    return m_manager ? m_manager->GetDpiScaler()->ScaleRectCopy(m_textPadding) : m_textPadding;
}

LRESULT CRichEditUI::SendToEngine(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    LRESULT result = 0;
    TxSendMessage(msg, wParam, lParam, &result);
    return result;
}

HRESULT CRichEditUI::TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const
{
    if (!m_host || !m_host->GetTextServices()) return S_FALSE;
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool passOn = m_wantReturn && (!IsCtrlDown() || m_wantCtrlReturn);
        if (!passOn) {
            if (m_manager) m_manager->SendNotify(const_cast<CRichEditUI*>(this), L"return");
            return S_OK;
        }
    }
    LRESULT ignored = 0;
    return m_host->GetTextServices()->TxSendMessage(msg, wParam, lParam, result ? result : &ignored);
}

CUIString CRichEditUI::GetText() const
{
    if (!m_host) return m_text;
    GETTEXTLENGTHEX lengthQuery = {GTL_DEFAULT, 1200};
    const LRESULT length = SendToEngine(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX textQuery = {};
    textQuery.cb = static_cast<DWORD>((length + 1) * sizeof(wchar_t));
    textQuery.flags = GT_DEFAULT;
    textQuery.codepage = 1200;
    SendToEngine(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&textQuery), reinterpret_cast<LPARAM>(buffer.data()));
    return CUIString(buffer.data());
}

void CRichEditUI::SetText(const wchar_t* text)
{
    m_text = text;
    if (!m_host) return;
    CHARRANGE all = {0, -1};
    SendToEngine(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    SendToEngine(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(m_text.GetData()));
}

void CRichEditUI::InitControl()
{
    if (m_initialised) return;
    CREATESTRUCTW create = {};
    create.style = static_cast<LONG>(m_hostStyle);
    create.lpszName = m_text.GetData();
    m_host = new CTxtWinHost();
    if (!m_host->Init(this, &create)) {
        m_host->Release();
        m_host = nullptr;
    }
    if (m_host) {
        if (m_manager) m_fontScale = m_manager->GetDpiScaler()->GetScale();
        if (m_transparent) m_host->SetTransparent(true);
        SendToEngine(EM_SETLANGOPTIONS, 0, 0);
        SendToEngine(EM_SETEVENTMASK, 0, kEventMask);
        // Not every engine reads the host's maximum length: say it once more as a message.
        SendToEngine(EM_EXLIMITTEXT, 0, m_limitText);
        m_host->ActivateInPlace();
        ListenToWindow();
        if (m_manager && !IsEnabled()) m_host->SetColor(m_manager->GetDefaultDisabledColor());
    }
    m_initialised = true;
}

void CRichEditUI::ListenToWindow()
{
    if (!m_host || !m_manager) return;
    m_manager->AddMessageFilter(this);
    if (m_manager->IsLayered()) m_manager->SetTimer(this, kCaretTimerId, ::GetCaretBlinkTime());
}

void CRichEditUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The window left lets go of the box in the base; the first window is listened to by InitControl.
    const bool moved = m_initialised && manager != m_manager;
    CContainerUI::SetManager(manager, parent, runInit);
    if (moved) ListenToWindow();
}

void CRichEditUI::ActivateInPlace()
{
    if (m_host && !m_host->IsInPlaceActive()) m_host->ActivateInPlace();
}

void CRichEditUI::ChangeStyle(DWORD bits, bool on)
{
    m_hostStyle = on ? (m_hostStyle | bits) : (m_hostStyle & ~bits);
}

RECT CRichEditUI::TextRect() const { return DeflateRectBy(GetContentRect(), GetTextPadding()); }

bool CRichEditUI::NeedsVerticalBar(const RECT& text, LONG& naturalHeight) const
{
    const int barWidth = m_verticalScrollBar ? m_verticalScrollBar->GetFixedWidth() : 0;
    if (!m_host->GetNaturalHeight(text.right - text.left + barWidth, naturalHeight)) return false;
    return naturalHeight > text.bottom - text.top;
}

void CRichEditUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    const RECT content = GetContentRect();
    if (m_host) {
        const bool wasVisible = IsVisibleBar(m_verticalScrollBar);
        const RECT text = DeflateRectBy(content, GetTextPadding());
        m_host->SetClientRect(text);
        LONG naturalHeight = 0;
        if (m_verticalScrollBar && ((wasVisible && !m_verticalScrollBar->IsVisible()) || m_verticalBarFixing)) {
            if (NeedsVerticalBar(text, naturalHeight)) {
                m_verticalScrollBar->SetVisible(true);
                m_verticalScrollBar->SetScrollPos(0);
                m_verticalBarFixing = true;
            } else if (m_verticalBarFixing) {
                m_verticalScrollBar->SetVisible(false);
                m_verticalBarFixing = false;
            }
        }
    }
    if (IsVisibleBar(m_verticalScrollBar))
        m_verticalScrollBar->SetPos(
            RECT{content.right, content.top, content.right + m_verticalScrollBar->GetFixedWidth(), content.bottom},
            false);
    if (IsVisibleBar(m_horizontalScrollBar))
        m_horizontalScrollBar->SetPos(
            RECT{content.left, content.bottom, content.right, content.bottom + m_horizontalScrollBar->GetFixedHeight()},
            false);
    const RECT client = GetClientPos();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildToLayOut(i);
        if (!child) continue;
        const int width =
            std::min(std::max<int>(content.right - content.left, child->GetMinWidth()), child->GetMaxWidth());
        const int height =
            std::min(std::max<int>(content.bottom - content.top, child->GetMinHeight()), child->GetMaxHeight());
        child->SetPos(RECT{client.left, client.top, client.left + width, client.top + height}, false);
    }
}

void CRichEditUI::Move(SIZE offset, bool invalidate)
{
    CContainerUI::Move(offset, invalidate);
    if (m_host) m_host->SetClientRect(GetContentRect());
}

void CRichEditUI::OnSetCursor(const ControlEvent& event)
{
    const RECT& client = m_host->GetClientRect();
    HDC dc = ::GetDC(m_manager->GetWindowHandle());
    m_host->GetTextServices()->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, dc, nullptr,
                                             m_host->IsInPlaceActive() ? nullptr : &client, event.ptMouse.x,
                                             event.ptMouse.y);
    ::ReleaseDC(m_manager->GetWindowHandle(), dc);
}

bool CRichEditUI::IsVisibleThroughAncestors(RECT& rc) const
{
    if (!::IntersectRect(&rc, &rc, &m_rcItem)) return false;
    for (CControlUI* ancestor = m_parent; ancestor; ancestor = ancestor->GetParent()) {
        if (!ancestor->IsVisible()) return false;
        const RECT bounds = ancestor->GetPos();
        if (!::IntersectRect(&rc, &rc, &bounds)) return false;
    }
    return true;
}

void CRichEditUI::OnCaretTimer()
{
    if (!IsFocused() || ::GetFocus() != m_manager->GetWindowHandle()) return;
    m_drawCaret = !m_drawCaret;
    RECT caret = m_host->GetCaretRect();
    if (IsVisibleThroughAncestors(caret)) m_manager->Invalidate(caret);
}

void CRichEditUI::EndHeldSelection()
{
    if (!m_host->IsCaptured()) return;
    // The engine ends a drag only on a release; this one is ours, so it must not click a link.
    const POINT at = m_manager->GetMousePos();
    m_endingHeldSelection = true;
    SendToEngine(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    m_endingHeldSelection = false;
    if (m_host->IsCaptured()) m_host->TxSetCapture(FALSE);
}

void CRichEditUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CControlUI::HandleEvent(event); })) return;
    switch (event.Type) {
    case EVT_SETCURSOR:
        if (!IsEnabled() || !m_host || !m_manager) break;
        if (!::PtInRect(&m_host->GetClientRect(), event.ptMouse)) break;
        OnSetCursor(event);
        return;
    case EVT_WINDOWSIZE:
        if (m_host) m_host->SetCaretNeedsRefresh();
        break;
    case EVT_SETFOCUS:
    case EVT_KILLFOCUS:
        ActivateInPlace();
        SendToEngine(event.Type == EVT_SETFOCUS ? WM_SETFOCUS : WM_KILLFOCUS);
        m_focused = event.Type == EVT_SETFOCUS;
        Invalidate();
        return;
    case EVT_TIMER:
        if (!m_host || !m_manager) break;
        if (event.wParam == kCaretTimerId && m_manager->IsLayered()) OnCaretTimer();
        else SendToEngine(WM_TIMER, event.wParam, event.lParam);
        return;
    case EVT_SCROLLWHEEL:
        if (IsCtrlDown()) return;
        break;
    case EVT_BUTTONDOWN:
    case EVT_BUTTONUP:
    case EVT_RBUTTONDOWN:
    case EVT_RBUTTONUP:
    case EVT_DBLCLICK:
    case EVT_MOUSEMOVE:
    case EVT_KEYDOWN:
    case EVT_KEYUP:
    case EVT_CHAR:
        // The message filter has passed these to the engine already.
        return;
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

void CRichEditUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    const bool on = ParseBool(value);
    if (_wcsicmp(name, L"vscrollbar") == 0) {
        if (on) ChangeStyle(WS_VSCROLL | ES_DISABLENOSCROLL, true);
        CContainerUI::SetAttribute(name, value);
    } else if (_wcsicmp(name, L"autovscroll") == 0) {
        if (on) ChangeStyle(ES_AUTOVSCROLL, true);
    } else if (_wcsicmp(name, L"hscrollbar") == 0) {
        if (on) ChangeStyle(WS_HSCROLL | ES_DISABLENOSCROLL, true);
        CContainerUI::SetAttribute(name, value);
    } else if (_wcsicmp(name, L"autohscroll") == 0) {
        if (on) ChangeStyle(ES_AUTOHSCROLL, true);
    } else if (_wcsicmp(name, L"multiline") == 0) {
        ChangeStyle(ES_MULTILINE, on);
    } else if (_wcsicmp(name, L"wanttab") == 0) {
        m_wantTab = on;
    } else if (_wcsicmp(name, L"wantreturn") == 0) {
        m_wantReturn = on;
    } else if (_wcsicmp(name, L"wantctrlreturn") == 0) {
        m_wantCtrlReturn = on;
    } else if (_wcsicmp(name, L"transparent") == 0) {
        m_transparent = on;
        if (m_host) m_host->SetTransparent(on);
    } else if (_wcsicmp(name, L"rich") == 0) {
        m_rich = on;
        if (m_host) m_host->SetRichText(on);
    } else if (_wcsicmp(name, L"readonly") == 0) {
        // Followed at run time too: a box turned read-only must stop taking input.
        m_readOnly = on;
        ChangeStyle(ES_READONLY, on);
        if (m_host) m_host->ChangeStyleBit(ES_READONLY, on, TXTBIT_READONLY);
    } else if (_wcsicmp(name, L"password") == 0) {
        ChangeStyle(ES_PASSWORD, on);
        if (m_host) m_host->ChangeStyleBit(ES_PASSWORD, on, TXTBIT_USEPASSWORD);
    } else if (_wcsicmp(name, L"align") == 0) {
        if (wcsstr(value, L"left")) ChangeStyle(ES_CENTER | ES_RIGHT, false);
        if (wcsstr(value, L"center")) ChangeStyle(ES_CENTER, true);
        if (wcsstr(value, L"right")) ChangeStyle(ES_RIGHT, true);
    } else if (_wcsicmp(name, L"font") == 0) {
        SetFont(_wtoi(value));
    } else if (_wcsicmp(name, L"textcolor") == 0) {
        m_textColor = ParseColorValue(value, true);
        if (m_host) m_host->SetColor(m_textColor);
    } else if (_wcsicmp(name, L"maxchar") == 0) {
        m_limitText = _wtoi(value);
        if (m_limitText < 1) m_limitText = 32767;
        if (m_host) m_host->SetMaxLength(m_limitText);
        SendToEngine(EM_EXLIMITTEXT, 0, m_limitText);
    } else if (m_stateImages.SetAttribute(name, value)) {
        Invalidate();
    } else if (_wcsicmp(name, L"textpadding") == 0) {
        m_textPadding = ParseRectValue(value);
        Invalidate();
    } else if (_wcsicmp(name, L"tipvalue") == 0) {
        m_tipValue = value;
    } else if (_wcsicmp(name, L"tipvaluecolor") == 0) {
        m_tipValueColor = ParseColorValue(value);
    } else if (_wcsicmp(name, L"tipvaluealign") == 0) {
        if (wcsstr(value, L"left")) m_tipValueStyle = DT_SINGLELINE;
        else if (wcsstr(value, L"center")) m_tipValueStyle = DT_SINGLELINE | DT_CENTER;
        else if (wcsstr(value, L"right")) m_tipValueStyle = DT_SINGLELINE | DT_RIGHT;
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CRichEditUI::PaintStateImage(HDC hdc) { m_stateImages.Paint(*this, hdc, m_buttonState); }

void CRichEditUI::PaintText(HDC hdc)
{
    if (!m_host) return;
    // The manager replaces its fonts on a DPI change; the engine keeps what it was given.
    if (m_manager && m_manager->GetDpiScaler()->GetScale() != m_fontScale) SetFont(m_font);
    const RECT& client = m_host->GetClientRect();
    RECT update;
    if (!::IntersectRect(&update, &m_rcPaint, &client)) return;
    const RECTL bounds = {client.left, client.top, client.right, client.bottom};
    CClipRegion clip;
    CClipRegion::ClipToRect(hdc, update, clip);
    m_host->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hdc, nullptr, &bounds, nullptr, &update,
                                      nullptr, 0, TXTVIEW_ACTIVE);
    if (m_verticalBarFixing) {
        LONG naturalHeight = 0;
        const RECT text = TextRect();
        if (m_host->GetNaturalHeight(text.right - text.left, naturalHeight) &&
            naturalHeight <= text.bottom - text.top)
            RequestLayout();
    }
}

void CRichEditUI::PaintCaret(HDC hdc)
{
    if (!m_host || !m_manager || !m_manager->IsLayered()) return;
    if (!m_host->IsCaretShown() || !IsFocused() || !m_drawCaret) return;
    const RECT caret = m_host->GetCaretRect();
    const int width = std::max<int>(1, caret.right - caret.left);
    const RECT line = {caret.left, caret.top, caret.left, caret.bottom};
    CPainter::DrawLine(hdc, line, width, kCaretColor);
}

void CRichEditUI::PaintTip(HDC hdc)
{
    if (m_tipValue.IsEmpty() || IsFocused() || !m_manager) return;
    if (m_host && !GetText().IsEmpty()) return;
    if (!m_host && !m_text.IsEmpty()) return;
    RECT rc = DeflateRectBy(m_rcItem, GetTextPadding());
    UINT style = m_tipValueStyle;
    if (!(m_hostStyle & ES_MULTILINE)) style |= DT_VCENTER;
    CPainter::DrawText(hdc, m_manager, rc, m_tipValue, m_tipValueColor, m_font, style);
}

bool CRichEditUI::PaintParts(HDC hdc, const RECT& paint, CControlUI* stop)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return true;
    // The base parts, the engine's text (PaintText), the children and the bars, as a container paints them.
    const bool goOn = CContainerUI::PaintParts(hdc, paint, stop);
    CClipRegion clip;
    CClipRegion::ClipToRect(hdc, visible, clip);
    PaintCaret(hdc);
    PaintTip(hdc);
    return goOn;
}

void CRichEditUI::SetScrollPos(SIZE pos, bool notify)
{
    if (!m_host) {
        CContainerUI::SetScrollPos(pos, notify);
        return;
    }
    const SIZE moved = MoveScrollBars(pos);
    const int dx = moved.cx, dy = moved.cy;
    if (dy != 0) {
        const int before = m_verticalScrollBar->GetScrollPos();
        SendToEngine(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, before), 0);
        // A plain-text engine may stop short of the last line: keep the bar where it was asked to be.
        if (!m_rich && dy > 0 && m_verticalScrollBar->GetScrollPos() <= before)
            m_verticalScrollBar->SetScrollPos(before);
    }
    if (dx != 0) SendToEngine(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, m_horizontalScrollBar->GetScrollPos()), 0);
}

void CRichEditUI::LineUp() { SendToEngine(WM_VSCROLL, SB_LINEUP); }

void CRichEditUI::LineDown()
{
    const int before = IsVisibleBar(m_verticalScrollBar) ? m_verticalScrollBar->GetScrollPos() : 0;
    SendToEngine(WM_VSCROLL, SB_LINEDOWN);
    if (m_rich || !IsVisibleBar(m_verticalScrollBar)) return;
    // At the last line a plain-text engine no longer moves: the bar goes to its end.
    if (m_verticalScrollBar->GetScrollPos() <= before)
        m_verticalScrollBar->SetScrollPos(m_verticalScrollBar->GetScrollRange());
}

void CRichEditUI::PageUp() { SendToEngine(WM_VSCROLL, SB_PAGEUP); }
void CRichEditUI::PageDown() { SendToEngine(WM_VSCROLL, SB_PAGEDOWN); }
void CRichEditUI::HomeUp() { SendToEngine(WM_VSCROLL, SB_TOP); }
void CRichEditUI::EndDown() { SendToEngine(WM_VSCROLL, SB_BOTTOM); }
void CRichEditUI::LineLeft() { SendToEngine(WM_HSCROLL, SB_LINELEFT); }
void CRichEditUI::LineRight() { SendToEngine(WM_HSCROLL, SB_LINERIGHT); }
void CRichEditUI::PageLeft() { SendToEngine(WM_HSCROLL, SB_PAGELEFT); }
void CRichEditUI::PageRight() { SendToEngine(WM_HSCROLL, SB_PAGERIGHT); }
void CRichEditUI::HomeLeft() { SendToEngine(WM_HSCROLL, SB_LEFT); }
void CRichEditUI::EndRight() { SendToEngine(WM_HSCROLL, SB_RIGHT); }

void CRichEditUI::OnTxNotify(DWORD code, void* data)
{
    if (code == EN_LINK && m_endingHeldSelection) return;
    if (code == EN_CHANGE) {
        // Queued: the change is reported from inside the engine's own call, and a handler deleting the box
        // would free the engine under it. A queued notification loses its sender when the box goes.
        if (m_manager) m_manager->SendNotify(this, L"textchanged", 0, 0, true);
        return;
    }
    if (!IsForwardedNotification(code) || !data || !m_manager) return;
    HWND window = m_manager->GetWindowHandle();
    auto* header = static_cast<NMHDR*>(data);
    header->hwndFrom = window;
    header->idFrom = static_cast<UINT_PTR>(::GetWindowLongW(window, GWL_ID));
    header->code = code;
    ::SendMessageW(window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

bool CRichEditUI::AcceptsMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    if (m_host->IsCaptured()) return true;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (msg == WM_SETCURSOR || msg == WM_MOUSEWHEEL) {
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_manager->GetWindowHandle(), &pt);
    }
    const bool buttonDown = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
                            msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK;
    if (buttonDown && m_manager->FindControlAtPoint(pt) != this) return false;
    (void)wParam;
    // Another control holds the mouse: the text must not react under it.
    if (m_manager->IsCaptured() && !buttonDown) return false;
    return ::PtInRect(&m_host->GetClientRect(), pt) != FALSE;
}

bool CRichEditUI::TranslateMenuCommand(WPARAM wParam, UINT& msg, WPARAM& engineWParam, LPARAM& engineLParam) const
{
    static CHARRANGE all = {0, -1};
    engineWParam = 0;
    engineLParam = 0;
    switch (LOWORD(wParam)) {
    case kMenuUndo: msg = EM_UNDO; return true;
    case kMenuCut: msg = WM_CUT; return true;
    case kMenuCopy: msg = WM_COPY; return true;
    case kMenuPaste: msg = WM_PASTE; return true;
    case kMenuClear: msg = WM_CLEAR; return true;
    case kMenuSelectAll:
        msg = EM_EXSETSEL;
        engineLParam = reinterpret_cast<LPARAM>(&all);
        return true;
    case kMenuRedo: msg = EM_REDO; return true;
    default: return false;
    }
}

void CRichEditUI::ShowContextMenu(LPARAM lParam)
{
    RichEditMenuState state;
    state.canUndo = SendToEngine(EM_CANUNDO) == 1;
    state.canRedo = SendToEngine(EM_CANREDO) != 0;
    state.readOnly = m_readOnly;
    state.selectionEmpty = SendToEngine(EM_SELECTIONTYPE) == SEL_EMPTY;
    POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ShowRichEditMenu(m_manager->GetWindowHandle(), screen, BuildRichEditMenu(state));
}

LRESULT CRichEditUI::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (!IsVisible() || !IsEnabled() || !m_host || !m_manager) return 0;
    const bool captureTaken =
        msg == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) != m_manager->GetWindowHandle();
    if (msg == WM_CLOSE || msg == WM_KILLFOCUS || captureTaken) {
        // The window will not see the button released: a selection drag ends where it is.
        EndHeldSelection();
        return 0;
    }
    if (!IsMouseEnabled() && IsMouseMessage(msg)) return 0;
    if (msg == WM_MOUSEWHEEL && !(LOWORD(wParam) & MK_CONTROL)) return 0;

    bool mayHandle = true;
    if (msg == WM_IME_COMPOSITION) {
        HWND window = m_manager->GetWindowHandle();
        if (HIMC context = ::ImmGetContext(window)) {
            COMPOSITIONFORM form = {};
            form.dwStyle = CFS_POINT;
            ::GetCaretPos(&form.ptCurrentPos);
            ::ImmSetCompositionWindow(context, &form);
            ::ImmReleaseContext(window, context);
        }
        mayHandle = false;
    } else if (IsMouseMessage(msg) || msg == WM_SETCURSOR) {
        if (!AcceptsMouseMessage(msg, wParam, lParam)) return 0;
        if (msg == WM_SETCURSOR) {
            mayHandle = false;
        } else if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
            // The window losing the keyboard focus and the old focus run handlers: either may delete the box.
            const auto alive = WatchLifetime();
            if (!m_manager->IsNoActivate()) ::SetFocus(m_manager->GetWindowHandle());
            if (alive.expired()) return 0;
            SetFocus();
            if (alive.expired()) return 0;
        }
    } else if (IsKeyMessage(msg)) {
        if (!IsFocused()) return 0;
    } else if (msg == WM_CONTEXTMENU) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_manager->GetWindowHandle(), &pt);
        if (m_manager->FindControlAtPoint(pt) != this) return 0;
        ShowContextMenu(lParam);
    } else if (msg == WM_COMMAND) {
        handled = false;
        if (!IsFocused()) return 0;
        UINT engineMsg = 0;
        WPARAM engineWParam = 0;
        LPARAM engineLParam = 0;
        if (!TranslateMenuCommand(wParam, engineMsg, engineWParam, engineLParam)) return 0;
        LRESULT result = 0;
        handled = TxSendMessage(engineMsg, engineWParam, engineLParam, &result) == S_OK;
        return result;
    } else if (msg == WM_HELP) {
        mayHandle = false;
    } else if (msg != WM_IME_CHAR && msg != WM_IME_STARTCOMPOSITION && msg != WM_IME_ENDCOMPOSITION) {
        return 0;
    }

    LRESULT result = 0;
    HRESULT hr = TxSendMessage(msg, wParam, lParam, &result);
    // An engine that leaves the input method's character to default processing gets it as a plain one:
    // the window's default processing never sees it once the box has handled it.
    if (msg == WM_IME_CHAR && hr == S_FALSE) hr = TxSendMessage(WM_CHAR, wParam, lParam, &result);
    if (mayHandle)
        handled = hr == S_OK || IsKeyMessage(msg) || msg == WM_IME_CHAR ||
                  (IsMouseMessage(msg) && m_host->IsCaptured());
    return result;
}

}  // namespace SkinUI
