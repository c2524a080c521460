#include "Control/DateTimeWnd.h"

#include "Control/UIDateTime.h"
#include "Core/WindowUIManager.h"

#include <commctrl.h>

namespace SkinUI {
namespace {

constexpr UINT kReflectedNotify = WM_NOTIFY + 0x2000;

}  // namespace

RECT CDateTimeWnd::CalcPos() const
{
    RECT pos = m_owner->GetPos();
    for (CControlUI* ancestor = m_owner->GetParent(); ancestor; ancestor = ancestor->GetParent()) {
        const RECT client = ancestor->GetClientPos();
        if (!ancestor->IsVisible() || !::IntersectRect(&pos, &pos, &client)) return RECT{0, 0, 0, 0};
    }
    return pos;
}

bool CDateTimeWnd::Init()
{
    if (!m_owner) return false;
    CWindowUIManager* manager = m_owner->GetManager();
    m_owner->SetUpdateMode(0);
    if (!m_hWnd) {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&classes);
        if (!CreateWithRect(manager->GetWindowHandle(), nullptr, WS_CHILD, 0, CalcPos())) return false;
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(m_owner->GetFont())), TRUE);
    }
    if (m_owner->GetText().IsEmpty()) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        m_owner->SetTime(now);
    }
    m_oldTime = m_owner->GetTime();
    SYSTEMTIME time = m_oldTime;
    ::SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    // The window losing the keyboard focus runs handlers that may delete the field or close this window: the
    // object stays until this call ends, and a window let go of meanwhile is left alone.
    const HandlerScope keep(m_hWnd);
    ::SetFocus(m_hWnd);
    if (!m_owner || !m_hWnd) return true;
    m_initialised = true;
    return true;
}

void CDateTimeWnd::ReadDateIntoOwner()
{
    SYSTEMTIME time = {};
    if (::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return;
    m_owner->SetTime(time);
    m_owner->SetUpdateMode(1);
    m_owner->UpdateText();
}

LRESULT CDateTimeWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_owner) {
        if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
            m_owner->SetTime(m_oldTime);
            m_owner->SetUpdateMode(1);
            m_owner->UpdateText();
            PostMessage(WM_CLOSE);
            return 0;
        }
        if (msg == kReflectedNotify) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && header->hwndFrom == m_hWnd) {
                if (header->code == DTN_DATETIMECHANGE) {
                    ReadDateIntoOwner();
                } else if (header->code == DTN_DROPDOWN) {
                    m_dropDownOpen = true;
                } else if (header->code == DTN_CLOSEUP) {
                    ReadDateIntoOwner();
                    PostMessage(WM_CLOSE);
                    m_dropDownOpen = false;
                }
            }
        } else if (msg == WM_KILLFOCUS && !m_dropDownOpen) {
            PostMessage(WM_CLOSE);
        }
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CDateTimeWnd::OnFinalMessage(HWND)
{
    if (m_owner) {
        m_owner->OnPickerClosed();
        m_owner->Invalidate();
    }
    delete this;
}

}  // namespace SkinUI
