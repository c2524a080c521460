#include "Control/GifTimer.h"
#include "Utils/TimerBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

using namespace SkinUI;

namespace {

class CountingTimer : public TimerBase {
public:
    ~CountingTimer() override { Stop(true); }
    std::atomic<int> fired{0};
    // The deadline only keeps a broken timer from hanging the run: a loaded machine may take many
    // seconds over a thousand 1 ms restarts.
    bool WaitFor(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return fired.load() >= count; });
    }

protected:
    void OnTimer() override
    {
        ++fired;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

// Restarts itself from its own callback, as a frame animation does.
class RestartingTimer : public CountingTimer {
public:
    std::atomic<bool> stopped{false};
    std::atomic<int> afterStop{0};

protected:
    void OnTimer() override
    {
        if (stopped) ++afterStop;
        CountingTimer::OnTimer();
        Stop(false);
        Start(1, true, true);
    }
};

class SelfDeletingTimer : public TimerBase {
public:
    explicit SelfDeletingTimer(std::atomic<bool>* done) : m_done(done) {}

protected:
    void OnTimer() override
    {
        std::atomic<bool>* done = m_done;  // the object is gone after the delete
        delete this;
        *done = true;
    }

private:
    std::atomic<bool>* m_done;
};

}  // namespace

TEST(TimerBase, StartsOnceUntilStopped)
{
    CountingTimer timer;
    timer.Stop(true);
    ASSERT_TRUE(timer.Start(5, true, false));
    EXPECT_FALSE(timer.Start(5, true, false));
    EXPECT_TRUE(timer.WaitFor(3));
    timer.Stop(true);
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_TRUE(timer.Start(5, true, false));
}

TEST(TimerBase, OneShotFiresOnceAndKeepsItsHandle)
{
    CountingTimer timer;
    ASSERT_TRUE(timer.Start(1000, true, true));
    EXPECT_TRUE(timer.WaitFor(1));
    EXPECT_TRUE(timer.IsRunning());
    timer.Stop(true);
    EXPECT_EQ(1, timer.fired.load());
}

TEST(TimerBase, StopWithWaitEndsRestartsFromTheCallback)
{
    for (int round = 0; round < 1000; ++round) {
        RestartingTimer timer;
        ASSERT_TRUE(timer.Start(1, true, true));
        if (round % 10 == 0) timer.WaitFor(2);
        timer.Stop(true);
        timer.stopped = true;
        const int firedAtStop = timer.fired.load();
        std::this_thread::yield();
        ASSERT_FALSE(timer.IsRunning()) << round;
        ASSERT_EQ(firedAtStop, timer.fired.load()) << round;
        ASSERT_EQ(0, timer.afterStop.load()) << round;
    }
}

TEST(TimerBase, StopWithWaitEndsAThousandRestartsFromTheCallback)
{
    RestartingTimer timer;
    ASSERT_TRUE(timer.Start(1, true, true));
    ASSERT_TRUE(timer.WaitFor(1000));
    timer.Stop(true);
    timer.stopped = true;
    const int firedAtStop = timer.fired.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(firedAtStop, timer.fired.load());
    EXPECT_EQ(0, timer.afterStop.load());
}

TEST(TimerBase, DestroyingFromItsOwnCallbackDoesNotWaitForItself)
{
    std::atomic<bool> done{false};
    auto* timer = new SelfDeletingTimer(&done);
    ASSERT_TRUE(timer->Start(1, true, true));
    for (int i = 0; i < 2000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(done);
}

// The system hands out the lowest free handle value: handles left open push a fresh one upward.
UINT_PTR FreshHandleValue()
{
    HANDLE probe = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(probe);
    return reinterpret_cast<UINT_PTR>(probe);
}

TEST(TimerBase, DestroyingFromItsOwnCallbackLeavesNoHandleBehind)
{
    auto runOnce = [] {
        std::atomic<bool> done{false};
        auto* timer = new SelfDeletingTimer(&done);
        if (!timer->Start(1, true, true)) return false;
        for (int i = 0; i < 2000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done.load();
    };
    ASSERT_TRUE(runOnce());  // the timer queue's own thread and handles exist from here on
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const UINT_PTR before = FreshHandleValue();
    for (int round = 0; round < 200; ++round) ASSERT_TRUE(runOnce()) << round;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const UINT_PTR after = FreshHandleValue();
    EXPECT_LT(after, before + 20 * sizeof(HANDLE)) << "handles grow with every timer that deletes itself";
}

// The frame timer of the animated image, ended in each way its owner may end it; every way closes the
// event of its deletion.
struct TimerEnding {
    const char* name;
    // Starts a timer and ends it; true once the timer is gone.
    std::function<bool()> run;
};

bool WaitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 4000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

bool DeletedFromItsOwnCallback(bool stopFirst, bool oneShot)
{
    std::atomic<bool> done{false};
    Timer* timer = nullptr;
    timer = new Timer([&done, &timer, stopFirst] {
        std::atomic<bool>* finished = &done;  // the callable goes with the timer
        if (stopFirst) timer->Stop(false);
        delete timer;
        *finished = true;
    });
    // Fires at once; a periodic timer would fire again only long after it is gone.
    return timer->Start(1000, true, oneShot) && WaitUntil([&] { return done.load(); });
}

bool StoppedWithoutWaitingThenDeleted(bool restarting)
{
    std::atomic<int> fired{0};
    Timer* timer = nullptr;
    timer = new Timer([&fired, &timer, restarting] {
        ++fired;
        if (!restarting) return;
        timer->Stop(false);
        timer->Start(1, false, true);
    });
    if (!timer->Start(1, true, true) || !WaitUntil([&] { return fired.load() > 0; })) return false;
    timer->Stop(false);
    delete timer;
    return true;
}

// Open handles of the process; where the system does not count them (Wine), the lowest free handle value
// stands in: handles left open push it upward.
DWORD OpenHandleLevel()
{
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return count;
    return static_cast<DWORD>(FreshHandleValue() / sizeof(HANDLE));
}

TEST(TimerBase, EveryWayOfEndingATimerClosesItsEvent)
{
    const TimerEnding endings[] = {
        {"one-shot, deleted from its own callback", [] { return DeletedFromItsOwnCallback(false, true); }},
        {"periodic, deleted from its own callback", [] { return DeletedFromItsOwnCallback(false, false); }},
        {"stopped and deleted from its own callback", [] { return DeletedFromItsOwnCallback(true, false); }},
        {"stopped without waiting, then deleted", [] { return StoppedWithoutWaitingThenDeleted(false); }},
        {"restarting itself, stopped without waiting, then deleted",
         [] { return StoppedWithoutWaitingThenDeleted(true); }},
    };
    for (const TimerEnding& ending : endings) {
        ASSERT_TRUE(ending.run()) << ending.name;  // the timer queue's own threads and handles exist from here on
        DWORD before = 0;
        WaitUntil([&] {
            const DWORD now = OpenHandleLevel();
            const bool settled = now == before;
            before = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return settled;
        });
        for (int round = 0; round < 100; ++round) ASSERT_TRUE(ending.run()) << ending.name << " " << round;
        // A handle left per timer shows as 100 more; the timer queue may add a few threads of its own
        // under load.
        DWORD after = 0;
        EXPECT_TRUE(WaitUntil([&] {
            after = OpenHandleLevel();
            return after <= before + 40;
        })) << ending.name << ": " << before << " handles before 100 timers, " << after << " after";
    }
}
