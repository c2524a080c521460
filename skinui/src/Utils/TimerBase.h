#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

namespace SkinUI {

// One timer-queue timer; OnTimer runs on a thread of the default timer queue, not on the UI thread.
class TimerBase {
public:
    TimerBase() = default;
    TimerBase(const TimerBase&) = delete;
    TimerBase& operator=(const TimerBase&) = delete;
    // Stops the timer; waits for running callbacks unless called from this timer's own callback.
    virtual ~TimerBase();

    bool Start(UINT intervalMs, bool startNow, bool oneShot, ULONG flags = WT_EXECUTEDEFAULT);
    // Waiting is skipped when called from this timer's own callback (it would wait for itself).
    void Stop(bool waitForCallbacks);
    bool IsRunning() const;
    // Deletions made from a timer's own callback whose completion events (and waits on them) the timer
    // queue has yet to let go of; they go on their own soon after the deletion.
    static int OrphanedDeletionsOpen();
    // How many callbacks of any timer have run so far.
    static unsigned CallbacksRun();

protected:
    virtual void OnTimer() {}

private:
    static void CALLBACK Callback(PVOID parameter, BOOLEAN fired);
    bool IsOwnCallbackThread() const;
    void ForgetFinishedDeletions();

    mutable std::mutex m_mutex;
    HANDLE m_handle = nullptr;
    bool m_stopping = false;
    // Completion events of timers deleted without waiting; a waiting stop waits for them too.
    std::vector<HANDLE> m_pendingDeletions;
};

}  // namespace SkinUI
