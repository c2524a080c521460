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
    std::deque<std::function<void()>> batch;
    {
        TaskQueueState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        batch.swap(state.tasks);
    }
    for (auto& task : batch) task();
}

bool UITaskQueue::IsWakeUp(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == kWakeUpValue && wParam == kWakeUpValue && lParam == static_cast<LPARAM>(kWakeUpValue);
}

}  // namespace SkinUI
