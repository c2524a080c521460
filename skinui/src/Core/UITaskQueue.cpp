#include "Core/UITaskQueue.h"

#include "Core/UIEvents.h"

#include <deque>
#include <mutex>
#include <utility>

namespace SkinUI {
namespace {

struct TaskQueueState {
    std::mutex mutex;
    std::deque<std::function<void()>> tasks;
};

TaskQueueState& State()
{
    static TaskQueueState state;
    return state;
}

}  // namespace

bool UITaskQueue::Push(std::function<void()> task)
{
    if (!task) return false;
    TaskQueueState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.tasks.push_back(std::move(task));
    return true;
}

void UITaskQueue::Drain()
{
    // One callable at a time, each out of the queue before it runs: one that runs a modal loop leaves
    // those behind it to that loop's drains instead of holding them until it returns. Callables pushed
    // meanwhile wait for the next message (they bring their own wake-up).
    TaskQueueState& state = State();
    size_t queued = 0;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        queued = state.tasks.size();
    }
    for (; queued > 0; --queued) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            if (state.tasks.empty()) return;
            task = std::move(state.tasks.front());
            state.tasks.pop_front();
        }
        task();
    }
}

bool UITaskQueue::IsWakeUp(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == kWakeUpValue && wParam == kWakeUpValue && lParam == static_cast<LPARAM>(kWakeUpValue);
}

}  // namespace SkinUI
