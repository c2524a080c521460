#include "Control/UIIPAddress.h"

#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr int kMaxTypedLength = 259;
constexpr DWORD kSegmentBackground = 0xFF3399FF;
constexpr DWORD kSegmentText = 0xFFFFFFFF;

bool IsDigitKey(wchar_t key) { return (key >= L'0' && key <= L'9') || (key >= VK_NUMPAD0 && key <= VK_NUMPAD9); }

wchar_t DigitOf(wchar_t key) { return key >= VK_NUMPAD0 ? static_cast<wchar_t>(L'0' + key - VK_NUMPAD0) : key; }

}  // namespace

CIPAddressUI::CIPAddressUI()
{
    SetReadOnly(true);
    RewriteText();
}

void* CIPAddressUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"IPAddress") == 0) return this;
    return CEditUI::GetInterface(name);
}

void CIPAddressUI::RewriteText()
{
    CUIString text;
    text.Format(L"%d.%d.%d.%d", m_octets[0], m_octets[1], m_octets[2], m_octets[3]);
    SetText(text);
}

void CIPAddressUI::ApplyTyped()
{
    if (m_segment < 1 || m_segment > 4 || m_typed.IsEmpty()) return;
    const CUIString digits = m_typed.Left(kMaxTypedLength);
    const long value = std::wcstol(digits, nullptr, 10);
    m_octets[m_segment - 1] = static_cast<int>(std::clamp<long>(value, 0, 255));
    RewriteText();
}

void CIPAddressUI::StepOctet(int delta)
{
    if (m_segment < 1 || m_segment > 4) return;
    int& octet = m_octets[m_segment - 1];
    octet = std::clamp(octet + delta, 0, 255);
    RewriteText();
}

void CIPAddressUI::HandleKey(wchar_t key)
{
    if (key == VK_DELETE || key == VK_BACK) {
        if (m_segment >= 1 && m_segment <= 4) m_octets[m_segment - 1] = 0;
        m_typed.Empty();
        RewriteText();
    } else if (m_segment > 0 && IsDigitKey(key)) {
        m_lastKey = DigitOf(key);
        m_typed += m_lastKey;
        ApplyTyped();
        if (m_typed.GetLength() >= 3 && m_segment < 4) {
            ++m_segment;
            m_typed.Empty();
        }
    } else if (key == VK_UP) {
        StepOctet(1);
    } else if (key == VK_DOWN) {
        StepOctet(-1);
    } else if (key == VK_LEFT && m_segment > 1) {
        ApplyTyped();
        m_typed.Empty();
        --m_segment;
        Invalidate();
    } else if ((key == VK_RIGHT || key == VK_OEM_PERIOD || key == VK_DECIMAL) && m_segment < 4) {
        ApplyTyped();
        m_typed.Empty();
        ++m_segment;
        Invalidate();
    }
}

void CIPAddressUI::HandleEvent(ControlEvent& event)
{
    if (!IsEnabled()) return;
    switch (event.Type) {
    case EVT_KILLFOCUS:
        m_segment = 0;
        Invalidate();
        break;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
    case EVT_RBUTTONDOWN: {
        m_typed.Empty();
        const int x = event.ptMouse.x - m_rcItem.left;
        const int quarter = (m_rcItem.right - m_rcItem.left) / 4;
        if (x <= quarter) m_segment = 1;
        else if (x <= 2 * quarter) m_segment = 2;
        else if (x <= 3 * quarter) m_segment = 3;
        else m_segment = 4;
        RewriteText();
        Invalidate();
        break;
    }
    case EVT_SCROLLWHEEL: {
        const short delta = static_cast<short>(HIWORD(event.wParam));
        if (delta < 0) StepOctet(-1);
        else if (delta > 0) StepOctet(1);
        break;
    }
    case EVT_KEYDOWN:
        HandleKey(event.chKey);
        break;
    default:
        break;
    }
    // The label's handling, not the edit box's: no native window opens over the field.
    CLabelUI::HandleEvent(event);
}

void CIPAddressUI::PaintText(HDC hdc)
{
    SettleDefaultColors();
    const RECT area = {m_rcItem.left + GetTextPadding().left, m_rcItem.top + GetTextPadding().top,
                       m_rcItem.right - GetTextPadding().right, m_rcItem.bottom - GetTextPadding().bottom};
    const int quarter = (area.right - area.left) / 4;
    const DWORD color = IsEnabled() ? m_textColor : m_disabledTextColor;
    const UINT style = m_textStyle | DT_SINGLELINE | DT_NOPREFIX;
    for (int i = 1; i < 4; ++i) {
        const int boundary = area.left + i * quarter;
        RECT dot = {boundary - quarter / 4, area.top, boundary + quarter / 4, area.bottom};
        CPainter::DrawText(hdc, m_manager, dot, L".", color, m_font, (style & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER);
    }
    const bool anything = m_segment != 0 || std::any_of(std::begin(m_octets), std::end(m_octets), [](int o) { return o != 0; });
    if (!anything) return;
    for (int i = 0; i < 4; ++i) {
        RECT column = {area.left + i * quarter + quarter / 4, area.top, area.left + (i + 1) * quarter - quarter / 4,
                       area.bottom};
        wchar_t number[8] = {};
        std::swprintf(number, 8, L"%d", m_octets[i]);
        DWORD textColor = color;
        if (IsEnabled() && m_segment == i + 1) {
            CPainter::FillColor(hdc, column, kSegmentBackground);
            textColor = kSegmentText;
        }
        CPainter::DrawText(hdc, m_manager, column, number, textColor, m_font,
                           (style & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER);
    }
}

}  // namespace SkinUI
