#include "Utils/TimerBase.h"

#include <atomic>

namespace SkinUI {
namespace {
thread_local const TimerBase* t_runningTimer = nullptr;
std::atomic<int> g_orphanedDeletionsOpen{0};
std::atomic<unsigned> g_callbacksRun{0};

// The completion event of a deletion that nobody is left to wait for: closed once the timer queue
// signals it (closing it earlier could let the queue signal a handle that meanwhile names something else).
struct OrphanedDeletion {
    HANDLE event;
    HANDLE wait = nullptr;
    std::atomic<int> holders{2};  // the registering thread and the wait callback
};

void LetGo(OrphanedDeletion* deletion)
{
    if (--deletion->holders != 0) return;
    ::UnregisterWait(deletion->wait);
    delete deletion;
    --g_orphanedDeletionsOpen;
}

void CALLBACK CloseOrphanedDeletion(PVOID parameter, BOOLEAN)
{
    auto* deletion = static_cast<OrphanedDeletion*>(parameter);
    ::CloseHandle(deletion->event);
    LetGo(deletion);
}

void CloseWhenSignalled(HANDLE event)
{
    auto* deletion = new OrphanedDeletion{event};
    ++g_orphanedDeletionsOpen;
    if (!::RegisterWaitForSingleObject(&deletion->wait, event, &CloseOrphanedDeletion, deletion, INFINITE,
                                       WT_EXECUTEONLYONCE)) {
        delete deletion;  // the event stays open: better one handle lost than a stranger's handle signalled
        --g_orphanedDeletionsOpen;
        return;
    }
    LetGo(deletion);
}

}  // namespace

TimerBase::~TimerBase()
{
    if (!IsOwnCallbackThread()) {
        Stop(true);
        return;
    }
    // Deleted from its own callback: nobody can wait for this deletion any more, so it asks for no
    // completion event, and the events of earlier deletions (a derived class stopping first leaves one
    // for the running callback) are closed once the queue is done with them.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle) ::DeleteTimerQueueTimer(nullptr, m_handle, nullptr);
    m_handle = nullptr;
    ForgetFinishedDeletions();
    for (HANDLE done : m_pendingDeletions) CloseWhenSignalled(done);
    m_pendingDeletions.clear();
}

int TimerBase::OrphanedDeletionsOpen() { return g_orphanedDeletionsOpen.load(); }

unsigned TimerBase::CallbacksRun() { return g_callbacksRun.load(); }

bool TimerBase::IsOwnCallbackThread() const { return t_runningTimer == this; }

bool TimerBase::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handle != nullptr;
}

bool TimerBase::Start(UINT intervalMs, bool startNow, bool oneShot, ULONG flags)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle || m_stopping) return false;
    HANDLE handle = nullptr;
    if (!::CreateTimerQueueTimer(&handle, nullptr, &TimerBase::Callback, this, startNow ? 0 : intervalMs,
                                 oneShot ? 0 : intervalMs, flags))
        return false;
    m_handle = handle;
    return true;
}

void TimerBase::Stop(bool waitForCallbacks)
{
    const bool wait = waitForCallbacks && !IsOwnCallbackThread();
    // A deletion that does not wait leaves an event behind; it is listed in the same step that takes the
    // handle, so a waiting stop running meanwhile always finds it.
    HANDLE done = wait ? nullptr : ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE handle = nullptr;
    std::vector<HANDLE> pending;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        handle = m_handle;
        m_handle = nullptr;
        if (wait) {
            m_stopping = true;
            pending.swap(m_pendingDeletions);
        } else if (handle && done) {
            ForgetFinishedDeletions();
            m_pendingDeletions.push_back(done);
        }
    }
    if (!wait) {
        if (!handle) {
            if (done) ::CloseHandle(done);
        } else if (!::DeleteTimerQueueTimer(nullptr, handle, done) && ::GetLastError() != ERROR_IO_PENDING && done) {
            ::SetEvent(done);
        }
        return;
    }
    if (handle) ::DeleteTimerQueueTimer(nullptr, handle, INVALID_HANDLE_VALUE);
    for (HANDLE deletion : pending) {
        ::WaitForSingleObject(deletion, INFINITE);
        ::CloseHandle(deletion);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = false;
}

void TimerBase::ForgetFinishedDeletions()
{
    auto kept = m_pendingDeletions.begin();
    for (HANDLE done : m_pendingDeletions) {
        if (::WaitForSingleObject(done, 0) == WAIT_OBJECT_0)
            ::CloseHandle(done);
        else
            *kept++ = done;
    }
    m_pendingDeletions.erase(kept, m_pendingDeletions.end());
}

void CALLBACK TimerBase::Callback(PVOID parameter, BOOLEAN)
{
    auto* timer = static_cast<TimerBase*>(parameter);
    {
        std::lock_guard<std::mutex> lock(timer->m_mutex);
        if (timer->m_stopping) return;
    }
    ++g_callbacksRun;
    const TimerBase* outer = t_runningTimer;
    t_runningTimer = timer;
    timer->OnTimer();
    t_runningTimer = outer;
}

}  // namespace SkinUI
