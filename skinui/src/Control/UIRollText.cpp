#include "Control/UIRollText.h"

#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr int kMeasureExtent = 10000;

}  // namespace

CRollTextUI::~CRollTextUI()
{
    CWindowUIManager* manager = LiveManager();
    if (!manager) return;
    manager->KillTimer(this, kEndTimer);
    manager->KillTimer(this, kTickTimer);
}

void* CRollTextUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"RollText") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CRollTextUI::SetText(const wchar_t* text)
{
    CLabelUI::SetText(text);
    m_textLength = 0;
    m_offset = 0;
}

void CRollTextUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CLabelUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    m_textLength = 0;
}

bool CRollTextUI::BeginRoll(int direction, UINT tickMs, UINT timeLimitMs)
{
    if (!m_manager || direction < kLeft || direction > kDown || tickMs == 0) return false;
    EndRoll();
    m_direction = direction;
    m_offset = 0;
    m_textLength = 0;
    if (!m_manager->SetTimer(this, kTickTimer, tickMs)) return false;
    if (timeLimitMs > 0 && !m_manager->SetTimer(this, kEndTimer, timeLimitMs)) {
        m_manager->KillTimer(this, kTickTimer);
        return false;
    }
    m_tickMs = tickMs;
    m_endAt = timeLimitMs > 0 ? (::GetTickCount() + timeLimitMs) | 1 : 0;
    return true;
}

void CRollTextUI::EndRoll()
{
    m_tickMs = 0;
    m_endAt = 0;
    if (!m_manager) return;
    m_manager->KillTimer(this, kTickTimer);
    m_manager->KillTimer(this, kEndTimer);
}

void CRollTextUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool changesWindow = manager != m_manager;
    CLabelUI::SetManager(manager, parent, runInit);
    // The window left let go of the timers.
    if (!changesWindow || !m_manager || m_tickMs == 0) return;
    m_manager->SetTimer(this, kTickTimer, m_tickMs);
    if (m_endAt == 0) return;
    const int left = static_cast<int>(m_endAt - ::GetTickCount());
    m_manager->SetTimer(this, kEndTimer, static_cast<UINT>(std::max(left, 1)));
}

void CRollTextUI::HandleEvent(ControlEvent& event)
{
    if (event.Type == EVT_TIMER && event.wParam == kTickTimer) {
        Invalidate();
        return;
    }
    if (event.Type == EVT_TIMER && event.wParam == kEndTimer) {
        if (m_manager) {
            m_manager->KillTimer(this, kEndTimer);
            m_endAt = 0;
            m_manager->SendNotify(this, L"textrollend");
        }
        return;
    }
    CLabelUI::HandleEvent(event);
}

void CRollTextUI::PaintText(HDC hdc)
{
    SettleDefaultColors();
    const CUIString text = GetText();
    if (text.IsEmpty() || !m_manager) return;
    const DWORD color = IsEnabled() ? m_textColor : m_disabledTextColor;
    const RECT padding = GetTextPadding();
    RECT rc = {m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
               m_rcItem.bottom - padding.bottom};
    const bool horizontal = m_direction == kLeft || m_direction == kRight;
    UINT style = DT_WORDBREAK | DT_EDITCONTROL;
    if (m_textLength > 0) {
        const int width = rc.right - rc.left;
        const int height = rc.bottom - rc.top;
        switch (m_direction) {
        case kLeft:
            ::OffsetRect(&rc, width - m_offset, 0);
            break;
        case kRight:
            ::OffsetRect(&rc, m_offset - width, 0);
            break;
        case kUp:
            ::OffsetRect(&rc, 0, height - m_offset);
            break;
        default:
            ::OffsetRect(&rc, 0, m_offset - height);
            break;
        }
        if (horizontal) rc.right = rc.left + m_textLength;
        else rc.bottom = rc.top + m_textLength;
        m_offset += m_step;
        if (m_offset > (horizontal ? width : height) + m_textLength) m_offset = 0;
    } else {
        if (horizontal) rc.right += kMeasureExtent;
        else rc.bottom += kMeasureExtent;
        style |= DT_CALCRECT;
    }
    // The text runs outside the label while it rolls in and out.
    CClipRegion clip;
    RECT visible;
    ::IntersectRect(&visible, &m_rcItem, &m_rcPaint);
    CClipRegion::ClipToRect(hdc, visible, clip);
    CPainter::DrawPlainOrHtmlText(hdc, m_manager, rc, text, color, m_font, style, m_showHtml);
    if (style & DT_CALCRECT) m_textLength = horizontal ? rc.right - rc.left : rc.bottom - rc.top;
}

}  // namespace SkinUI
