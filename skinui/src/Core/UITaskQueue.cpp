#include "Core/UITaskQueue.h"

#include "Core/UIEvents.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

namespace SkinUI {
namespace {

// Each callable carries the number of its push: a drain runs only what was queued before it began.
struct QueuedTask {
    std::uint64_t ticket;
    std::function<void()> run;
};

struct TaskQueueState {
    std::mutex mutex;
    std::deque<QueuedTask> tasks;
    std::uint64_t lastTicket = 0;
};

TaskQueueState& State()
{
    static TaskQueueState state;
    return state;
}

}  // namespace

std::uint64_t UITaskQueue::Push(std::function<void()> task)
{
    if (!task) return 0;
    TaskQueueState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.tasks.push_back(QueuedTask{++state.lastTicket, std::move(task)});
    return state.lastTicket;
}

bool UITaskQueue::Withdraw(std::uint64_t ticket)
{
    TaskQueueState& state = State();
    // Destroyed after the lock is let go: what the callable holds may push again as it goes.
    std::function<void()> withdrawn;
    std::lock_guard<std::mutex> lock(state.mutex);
    const auto found = std::find_if(state.tasks.begin(), state.tasks.end(),
                                    [ticket](const QueuedTask& queued) { return queued.ticket == ticket; });
    if (found == state.tasks.end()) return false;
    withdrawn = std::move(found->run);
    state.tasks.erase(found);
    return true;
}

void UITaskQueue::Drain()
{
    TaskQueueState& state = State();
    std::uint64_t lastToRun = 0;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        lastToRun = state.lastTicket;
    }
    // One callable at a time off the front: a callable that runs a modal loop lets that loop's drains go
    // on with the callables behind it, in their order.
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            if (state.tasks.empty() || state.tasks.front().ticket > lastToRun) return;
            task = std::move(state.tasks.front().run);
            state.tasks.pop_front();
        }
        task();
    }
}

bool UITaskQueue::PostTo(HWND wakeWindow, std::function<void()> task)
{
    const std::uint64_t ticket = Push(std::move(task));
    if (!ticket) return false;
    // Posted to a window, not to the thread: a thread message is lost while a system modal loop runs.
    if (::PostMessageW(wakeWindow, kWakeUpValue, kWakeUpValue, kWakeUpValue)) return true;
    // Refused: the task goes too, so a "false" never runs it on some later wake-up. One that a drain
    // took already runs, and so was posted after all.
    return !Withdraw(ticket);
}

bool UITaskQueue::IsWakeUp(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == kWakeUpValue && wParam == kWakeUpValue && lParam == static_cast<LPARAM>(kWakeUpValue);
}

}  // namespace SkinUI
