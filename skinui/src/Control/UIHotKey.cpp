#include "Control/UIHotKey.h"

#include "Control/HotKeyWnd.h"
#include "Control/NativeFieldEvents.h"
#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <commctrl.h>

#include <cwchar>

namespace SkinUI {
namespace {

CUIString KeyName(UINT virtualKey)
{
    LONG lParam = static_cast<LONG>(::MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, ::GetKeyboardLayout(0)) << 16);
    switch (virtualKey) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
        // These keys share scan codes with the keypad; the extended bit names the right ones.
        lParam |= 1L << 24;
        break;
    default:
        break;
    }
    wchar_t name[64] = {};
    ::GetKeyNameTextW(lParam, name, 64);
    return CUIString(name);
}

}  // namespace

CUIString CHotKeyUI::CombinationText(WORD virtualKey, WORD modifiers)
{
    CUIString text;
    if (virtualKey == 0 && modifiers == 0) return text;
    if (modifiers & HOTKEYF_CONTROL) text += KeyName(VK_CONTROL) + L" + ";
    if (modifiers & HOTKEYF_SHIFT) text += KeyName(VK_SHIFT) + L" + ";
    if (modifiers & HOTKEYF_ALT) text += KeyName(VK_MENU) + L" + ";
    text += KeyName(virtualKey);
    return text;
}

CHotKeyUI::CHotKeyUI()
{
    m_textPadding = RECT{4, 3, 4, 3};
    m_bkColor = 0xFFFFFFFF;
}

CHotKeyUI::~CHotKeyUI() { ReleaseManagerReferences(); }

void* CHotKeyUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"HotKey") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CHotKeyUI::GetControlFlags() const
{
    return IsEnabled() ? CONTROL_FLAG_TABSTOP | CONTROL_FLAG_SETCURSOR : 0u;
}

HWND CHotKeyUI::GetNativeWindow() const { return m_window.GetHWND(); }

void CHotKeyUI::SetHotKey(WORD virtualKey, WORD modifiers)
{
    m_virtualKey = virtualKey;
    m_modifiers = modifiers;
    Invalidate();
}

void CHotKeyUI::SetText(const wchar_t* text)
{
    // The open box's change reaches the application's "textchanged" handler, which may close the window.
    const auto keepWindow = KeepWindowWhileActing();
    m_text = text;
    if (m_window.Get()) ::SetWindowTextW(m_window.GetHWND(), m_text);
    Invalidate();
}

void CHotKeyUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The box it is typed in belongs to the window it leaves, which lets go of the control first: closing
    // the box hands that window its focus back.
    if (manager != m_manager) {
        ReleaseManagerReferences();
        m_window.Close();
    }
    CLabelUI::SetManager(manager, parent, runInit);
}

void CHotKeyUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (alive.expired()) return;
    m_window.ReleaseFocusWhenHidden(*this, IsVisible());
}

void CHotKeyUI::SetInternalVisible(bool visible)
{
    m_window.ReleaseFocusWhenHidden(*this, visible);
}

void CHotKeyUI::SetEnabled(bool enabled)
{
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CHotKeyUI::OpenWindow() { m_window.Open(this); }

void CHotKeyUI::HandleEvent(ControlEvent& event)
{
    if (HandleNativeFieldEvent(*this, event, m_window.Get() != nullptr, [this] { OpenWindow(); })) return;
    if (IsMouseEnabled() && (event.Type == EVT_MOUSEENTER || event.Type == EVT_MOUSELEAVE)) {
        if (!IsEnabled()) return;
        if (event.Type == EVT_MOUSEENTER) m_buttonState |= kHot;
        else m_buttonState &= ~kHot;
        Invalidate();
        return;
    }
    CLabelUI::HandleEvent(event);
}

void CHotKeyUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (m_stateImages.SetAttribute(name, value)) return;
    if (_wcsicmp(name, L"nativebkcolor") == 0) m_nativeBkColor = ParseColorValue(value);
    else CLabelUI::SetAttribute(name, value);
}

SIZE CHotKeyUI::CalcDesiredSize(SIZE available)
{
    if (GetFixedHeight() > 0) return CControlUI::CalcDesiredSize(available);
    const FontInfo* font = m_manager ? m_manager->GetFontInfo(m_font) : nullptr;
    return SIZE{GetFixedWidth(), (font ? font->tm.tmHeight : 0) + 6};
}

void CHotKeyUI::PaintStateImage(HDC hdc) { m_stateImages.Paint(*this, hdc, m_buttonState); }

void CHotKeyUI::PaintText(HDC hdc)
{
    SettleDefaultColors();
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    RECT rc = m_rcItem;
    const RECT padding = GetTextPadding();
    rc.left += padding.left;
    rc.top += padding.top;
    rc.right -= padding.right;
    rc.bottom -= padding.bottom;
    CPainter::DrawText(hdc, m_manager, rc, text, IsEnabled() ? m_textColor : m_disabledTextColor, m_font,
                       m_textStyle | DT_SINGLELINE);
}

}  // namespace SkinUI
