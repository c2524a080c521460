// Each test of a window test program must leave the process's GDI objects, USER objects and handles
// where it found them: a window, font, timer or event that a test run leaves behind is a leak of the
// framework (or of the test) and fails the test that made it. The tests run twice, and a test fails
// when it leaves more behind in both runs: what the process makes once on first use (system
// classes, Wine's caches, the lock events of the thread library, made at the first contention)
// shows in one run at most, a leak in every run.
#include "ProcessResourceCounts.h"

#include "Core/WindowUIManager.h"
#include "Utils/TimerBase.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace SkinUI::Testing {
namespace {

// Work a test left queued (posted deletions, the last paint of a window that has gone) runs before the
// count, and handles that other threads close after a test ends get some time to go. Timer-queue
// callbacks (a GIF's frame timer) leave more behind, and for longer: a timer deleted from its own
// callback leaves its completion events to the queue's threads, which close them once signalled, and
// the pool thread a callback ran on keeps what the thread library gave it (a duplicate of its handle,
// an event) until the pool ends the idle thread, seconds later. Only a test whose timers ran waits so.
ProcessResourceCounts SettledCountsNotAbove(const ProcessResourceCounts& level, bool timersRan)
{
    for (int attempt = 0; attempt < 500 && TimerBase::OrphanedDeletionsOpen() > 0; ++attempt) ::Sleep(10);
    const int attempts = timersRan ? 1000 : 200;
    ProcessResourceCounts counts;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        MSG msg;
        for (int i = 0; i < 1000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        counts = ProcessResourceCounts::Now();
        if (counts.NotAbove(level)) break;
        ::Sleep(10);
    }
    return counts;
}

// The thread library keeps what it made for a thread (its events) for the next thread, as many as ran
// at once: threads that all run together once make that store as large as the tests need.
void WarmUpThreadLibrary()
{
    constexpr int kThreads = 16;
    std::atomic<int> started{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&started] {
            ++started;
            while (started.load() < kThreads) std::this_thread::yield();
        });
    for (std::thread& thread : threads) thread.join();
}

class ResourceLevelCheck : public testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const testing::UnitTest&) override
    {
        if (GTEST_FLAG_GET(repeat) == 1) GTEST_FLAG_SET(repeat, 2);
        WarmUpThreadLibrary();
    }
    void OnTestIterationStart(const testing::UnitTest&, int iteration) override
    {
        m_checking = iteration > 0;
        if (!m_checking)
            std::printf("First run: a test that leaves resources behind here is checked again in the next run.\n");
    }
    void OnTestStart(const testing::TestInfo&) override
    {
        m_level = ProcessResourceCounts::Now();
        m_timerCallbacks = TimerBase::CallbacksRun();
    }
    void OnTestEnd(const testing::TestInfo& test) override
    {
        // What the framework keeps for the whole process (the default font, shared images, styles) goes
        // as it goes when the application ends; what is left then is a leak.
        CWindowUIManager::Term();
        if (test.result()->Skipped()) return;
        const ProcessResourceCounts after =
            SettledCountsNotAbove(m_level, TimerBase::CallbacksRun() != m_timerCallbacks);
        if (after.NotAbove(m_level)) return;
        const std::string name = std::string(test.test_suite_name()) + "." + test.name();
        if (!m_checking) {
            m_roseInFirstRun.insert(name);
            return;
        }
        if (m_roseInFirstRun.count(name))
            ADD_FAILURE() << "the test left the process with " << after.Describe() << "; before it there were "
                          << m_level.Describe() << " (and it left more behind in the first run too)";
    }

private:
    bool m_checking = false;
    std::set<std::string> m_roseInFirstRun;
    ProcessResourceCounts m_level;
    unsigned m_timerCallbacks = 0;
};

// Runs before the default printer's end-of-test line (listeners end in reverse order), so a leak is
// reported as the test's own failure.
const bool g_registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ResourceLevelCheck);
    return true;
}();

}  // namespace
}  // namespace SkinUI::Testing
