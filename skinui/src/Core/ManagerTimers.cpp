#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"

namespace SkinUI {
namespace {
// Native ids cycle through this many values, skipping those still held by a running timer of the window.
constexpr UINT kNativeTimerIds = 240;
}

// Only running timers have a record: a killed one gives its native id back at once, so windows whose
// controls set and kill timers all their life never run out of ids.
struct CWindowUIManager::TimerRecord {
    CControlUI* control;
    UINT id;
    HWND hwnd;
    UINT nativeId;
};

bool CWindowUIManager::IsNativeTimerIdInUse(UINT nativeId) const
{
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        const auto* record = static_cast<const TimerRecord*>(m_timers[i]);
        if (record->hwnd == m_hwnd && record->nativeId == nativeId) return true;
    }
    return false;
}

bool CWindowUIManager::SetTimer(CControlUI* control, UINT id, UINT elapseMs)
{
    // Without a window SetTimer would make a thread timer that no WM_TIMER of ours reaches and nothing kills.
    if (!m_hwnd || !::IsWindow(m_hwnd)) return false;
    if (!HoldsFor(control)) return false;
    if (FindTimer(control, id) >= 0) return false;
    UINT nativeId = 0;
    UINT tries = 0;
    do {
        // Every id held: refuse rather than silently replace a running timer.
        if (tries++ == kNativeTimerIds) return false;
        m_timerCounter = (m_timerCounter + 1) % kNativeTimerIds;
        nativeId = m_timerCounter;
    } while (IsNativeTimerIdInUse(nativeId));
    if (!::SetTimer(m_hwnd, nativeId, elapseMs, nullptr)) return false;
    auto* record = new TimerRecord{control, id, m_hwnd, nativeId};
    if (m_timers.Add(record)) return true;
    ::KillTimer(m_hwnd, nativeId);
    delete record;
    return false;
}

int CWindowUIManager::FindTimer(const CControlUI* control, UINT id) const
{
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        const auto* record = static_cast<const TimerRecord*>(m_timers[i]);
        if (record->control == control && record->hwnd == m_hwnd && record->id == id) return i;
    }
    return -1;
}

bool CWindowUIManager::KillTimer(CControlUI* control, UINT id)
{
    const int index = FindTimer(control, id);
    if (index < 0) return false;
    auto* record = static_cast<TimerRecord*>(m_timers[index]);
    if (::IsWindow(m_hwnd)) ::KillTimer(m_hwnd, record->nativeId);
    delete record;
    m_timers.Remove(index);
    return true;
}

void CWindowUIManager::FreeTimersOf(CControlUI* control)
{
    for (int i = m_timers.GetSize() - 1; i >= 0; --i) {
        auto* record = static_cast<TimerRecord*>(m_timers[i]);
        if (record->control != control || record->hwnd != m_hwnd) continue;
        if (::IsWindow(m_hwnd)) ::KillTimer(m_hwnd, record->nativeId);
        delete record;
        m_timers.Remove(i);
    }
}

void CWindowUIManager::RemoveAllTimers()
{
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* record = static_cast<TimerRecord*>(m_timers[i]);
        if (::IsWindow(record->hwnd)) ::KillTimer(record->hwnd, record->nativeId);
        delete record;
    }
    m_timers.Empty();
}

bool CWindowUIManager::HandleTimerMessage(WPARAM wParam, LPARAM lParam)
{
    const UINT nativeId = LOWORD(wParam);
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        const auto* record = static_cast<const TimerRecord*>(m_timers[i]);
        if (record->hwnd != m_hwnd || record->nativeId != nativeId) continue;
        SendEventTo(record->control, EVT_TIMER, record->id, lParam);
        return true;
    }
    return false;
}

}  // namespace SkinUI
