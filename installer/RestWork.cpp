#include "RestWork.h"

#include <windows.h>

namespace RestfulClient {

namespace {

// Plain Win32 objects without destructors: work may still end while the process runs its exit.
SRWLOCK g_lock = SRWLOCK_INIT;
CONDITION_VARIABLE g_allEnded = CONDITION_VARIABLE_INIT;
long g_running = 0;

struct RunningWork {
    RunningWork()
    {
        AcquireSRWLockExclusive(&g_lock);
        ++g_running;
        ReleaseSRWLockExclusive(&g_lock);
    }
    ~RunningWork()
    {
        AcquireSRWLockExclusive(&g_lock);
        if (--g_running == 0)
            WakeAllConditionVariable(&g_allEnded);
        ReleaseSRWLockExclusive(&g_lock);
    }
    RunningWork(const RunningWork&) = delete;
    RunningWork& operator=(const RunningWork&) = delete;
};

} // namespace

WorkToken BeginWork() { return std::make_shared<const RunningWork>(); }

bool WaitForWorkToEnd(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    AcquireSRWLockExclusive(&g_lock);
    while (g_running > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        SleepConditionVariableSRW(&g_allEnded, &g_lock, static_cast<DWORD>(left.count()), 0);
    }
    const bool ended = g_running == 0;
    ReleaseSRWLockExclusive(&g_lock);
    return ended;
}

} // namespace RestfulClient
