#include "Core/ControlFactory.h"
#include "Core/ControlUI.h"
#include "Core/TextResources.h"
#include "Core/UITaskQueue.h"
#include "Core/WindowUIManager.h"

#include <utility>

namespace SkinUI {

HINSTANCE CWindowUIManager::s_instance = nullptr;
DWORD CWindowUIManager::s_uiThreadId = 0;

HINSTANCE CWindowUIManager::GetResourceInstance() { return s_instance; }

void CWindowUIManager::Term()
{
    CTextResources::Release();
    CControlFactory::Release();
}

bool CWindowUIManager::PostTask(HWND wakeWindow, std::function<void()> task)
{
    if (!UITaskQueue::Push(std::move(task))) return false;
    // Posted to a window, not to the thread: a thread message is lost while a system modal loop runs.
    return ::PostMessageW(wakeWindow, kWakeUpValue, kWakeUpValue, kWakeUpValue) != FALSE;
}

CDpiScaler* CWindowUIManager::GetDpiScaler()
{
    if (!m_dpiScaler) m_dpiScaler = std::make_unique<CDpiScaler>();
    return m_dpiScaler.get();
}

void CWindowUIManager::SetDPI(int dpi)
{
    CDpiScaler* scaler = GetDpiScaler();
    const int oldScale = scaler->GetScale();
    scaler->SetDPI(dpi);
    const int newScale = scaler->GetScale();
    if (!::IsWindow(m_hwnd)) return;
    RECT rc = {};
    ::GetWindowRect(m_hwnd, &rc);
    if (!::IsZoomed(m_hwnd)) {
        rc.right = rc.left + (rc.right - rc.left) * newScale / oldScale;
        rc.bottom = rc.top + (rc.bottom - rc.top) * newScale / oldScale;
    }
    ::SetWindowPos(m_hwnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_root) m_root->RequestLayout();
    ::PostMessageW(m_hwnd, kMsgDpiChanged, 0, 0);
}

}  // namespace SkinUI
