#include "Control/ButtonUI.h"

#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Layout/TabLayoutUI.h"

#include <cwchar>

namespace SkinUI {

CButtonUI::CButtonUI() { m_textStyle = DT_VCENTER | DT_SINGLELINE | DT_CENTER; }

void* CButtonUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Button") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? CONTROL_FLAG_TABSTOP : 0u) | (IsEnabled() ? CONTROL_FLAG_SETCURSOR : 0u);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    const auto keepWindow = KeepWindowWhileActing();
    if (!m_manager) return true;
    const auto alive = WatchLifetime();
    m_manager->SendNotify(this, L"click");
    if (alive.expired()) return true;
    if (!m_bindTabLayoutName.IsEmpty() && m_bindTabIndex >= 0) {
        CControlUI* target = m_manager->FindControl(m_bindTabLayoutName);
        // Only a tab layout can show a page; any other control of that name is left alone.
        if (auto* tab = target ? static_cast<CTabLayoutUI*>(target->GetInterface(L"TabLayout")) : nullptr)
            tab->SelectItem(m_bindTabIndex);
    }
    return true;
}

void CButtonUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!enabled) m_buttonState = 0;
}

void CButtonUI::HandleEvent(ControlEvent& event)
{
    if (PassMouseToParent(event, [&] { CLabelUI::HandleEvent(event); })) return;
    const bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
    switch (event.Type) {
    case EVT_KILLFOCUS:
        // Also how a press ends that the window will not see released.
        m_buttonState &= ~(kPushed | kCaptured);
        Invalidate();
        break;
    case EVT_SETFOCUS:
        Invalidate();
        break;
    case EVT_KEYDOWN:
        if (!IsKeyboardEnabled()) break;
        if (event.chKey == VK_SPACE || event.chKey == VK_RETURN) {
            Activate();
            return;
        }
        break;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
        if (inside && IsEnabled()) {
            m_buttonState |= kPushed | kCaptured;
            Invalidate();
            return;
        }
        break;
    case EVT_MOUSEMOVE:
        if (m_buttonState & kCaptured) {
            if (inside) m_buttonState |= kPushed;
            else m_buttonState &= ~kPushed;
            Invalidate();
            return;
        }
        break;
    case EVT_BUTTONUP:
        if (m_buttonState & kCaptured) {
            m_buttonState &= ~(kPushed | kCaptured);
            Invalidate();
            if (inside) Activate();
        }
        return;
    case EVT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_manager) m_manager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case EVT_MOUSEENTER:
        if (IsEnabled()) {
            m_buttonState |= kHot;
            Invalidate();
        }
        break;
    case EVT_MOUSELEAVE:
        if (IsEnabled()) {
            m_buttonState &= ~kHot;
            Invalidate();
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetImage(CUIString& field, const wchar_t* image)
{
    field = image;
    Invalidate();
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    struct ImageAttribute {
        const wchar_t* name;
        void (CButtonUI::*setter)(const wchar_t*);
    };
    static const ImageAttribute images[] = {
        {L"normalimage", &CButtonUI::SetNormalImage},         {L"hotimage", &CButtonUI::SetHotImage},
        {L"pushedimage", &CButtonUI::SetPushedImage},         {L"focusedimage", &CButtonUI::SetFocusedImage},
        {L"disabledimage", &CButtonUI::SetDisabledImage},     {L"hotforeimage", &CButtonUI::SetHotForeImage},
        {L"pushedforeimage", &CButtonUI::SetPushedForeImage}, {L"focusedforeimage", &CButtonUI::SetFocusedForeImage},
        {L"disabledforeimage", &CButtonUI::SetDisabledForeImage},
    };
    for (const ImageAttribute& image : images) {
        if (_wcsicmp(name, image.name) != 0) continue;
        (this->*image.setter)(value);
        return;
    }
    struct ColorAttribute {
        const wchar_t* name;
        DWORD CButtonUI::*field;
        bool repaint;
    };
    static const ColorAttribute colors[] = {
        {L"hotbkcolor", &CButtonUI::m_hotBkColor, true},        {L"pushedbkcolor", &CButtonUI::m_pushedBkColor, true},
        {L"disabledbkcolor", &CButtonUI::m_disabledBkColor, true}, {L"hottextcolor", &CButtonUI::m_hotTextColor, false},
        {L"pushedtextcolor", &CButtonUI::m_pushedTextColor, false},
        {L"focusedtextcolor", &CButtonUI::m_focusedTextColor, false},
    };
    for (const ColorAttribute& color : colors) {
        if (_wcsicmp(name, color.name) != 0) continue;
        this->*color.field = ParseColorValue(value);
        if (color.repaint) Invalidate();
        return;
    }
    struct FontAttribute {
        const wchar_t* name;
        int CButtonUI::*field;
    };
    static const FontAttribute fonts[] = {{L"hotfont", &CButtonUI::m_hotFont},
                                          {L"pushedfont", &CButtonUI::m_pushedFont},
                                          {L"focuedfont", &CButtonUI::m_focusedFont},
                                          {L"disabledfont", &CButtonUI::m_disabledFont}};
    for (const FontAttribute& font : fonts) {
        if (_wcsicmp(name, font.name) != 0) continue;
        this->*font.field = _wtoi(value);
        Invalidate();
        return;
    }
    if (_wcsicmp(name, L"bindtabindex") == 0) m_bindTabIndex = _wtoi(value);
    else if (_wcsicmp(name, L"bindtablayoutname") == 0) m_bindTabLayoutName = value;
    else CLabelUI::SetAttribute(name, value);
}

void CButtonUI::RefreshState()
{
    if (IsFocused()) m_buttonState |= kFocused;
    else m_buttonState &= ~kFocused;
    if (!IsEnabled()) m_buttonState |= kDisabled;
    else m_buttonState &= ~kDisabled;
    HWND window = m_manager ? m_manager->GetWindowHandle() : nullptr;
    if (window && !::IsWindowEnabled(window)) m_buttonState &= kDisabled;
}

const CUIString* CButtonUI::StateChoice(const CUIString& disabled, const CUIString& pushed, const CUIString& hot,
                                        const CUIString& focused) const
{
    if (m_buttonState & kDisabled) return disabled.IsEmpty() ? nullptr : &disabled;
    if (m_buttonState & kPushed) return pushed.IsEmpty() ? nullptr : &pushed;
    if (m_buttonState & kHot) return hot.IsEmpty() ? nullptr : &hot;
    if (m_buttonState & kFocused) return focused.IsEmpty() ? nullptr : &focused;
    return nullptr;
}

void CButtonUI::PaintBackgroundColor(HDC hdc)
{
    DWORD color = 0;
    if (m_buttonState & kDisabled) color = m_disabledBkColor;
    else if (m_buttonState & kPushed) color = m_pushedBkColor;
    else if (m_buttonState & kHot) color = m_hotBkColor;
    if (color == 0) {
        CLabelUI::PaintBackgroundColor(hdc);
        return;
    }
    CPainter::FillColor(hdc, m_rcItem, GetAdjustedColor(color));
}

void CButtonUI::PaintStateImage(HDC hdc)
{
    RefreshState();
    const CUIString* chosen = StateChoice(m_disabledImage, m_pushedImage, m_hotImage, m_focusedImage);
    if (chosen && DrawImage(hdc, *chosen)) return;
    if (!m_normalImage.IsEmpty()) DrawImage(hdc, m_normalImage);
}

void CButtonUI::PaintForegroundImage(HDC hdc)
{
    RefreshState();
    const CUIString* chosen = StateChoice(m_disabledForeImage, m_pushedForeImage, m_hotForeImage, m_focusedForeImage);
    if (chosen) DrawImage(hdc, *chosen);
    else CLabelUI::PaintForegroundImage(hdc);
}

void CButtonUI::PaintText(HDC hdc)
{
    RefreshState();
    SettleDefaultColors();
    DWORD color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if ((m_buttonState & kPushed) && m_pushedTextColor) color = m_pushedTextColor;
    else if ((m_buttonState & kHot) && m_hotTextColor) color = m_hotTextColor;
    else if ((m_buttonState & kFocused) && m_focusedTextColor) color = m_focusedTextColor;
    int font = m_font;
    if (m_buttonState & kDisabled) {
        if (m_disabledFont != -1) font = m_disabledFont;
    } else if ((m_buttonState & kPushed) && m_pushedFont != -1) {
        font = m_pushedFont;
    } else if ((m_buttonState & kHot) && m_hotFont != -1) {
        font = m_hotFont;
    } else if ((m_buttonState & kFocused) && m_focusedFont != -1) {
        font = m_focusedFont;
    }
    DrawLabelText(hdc, color, font);
}

}  // namespace SkinUI
