#pragma once

#include <windows.h>

#include <functional>

namespace SkinUI {

// Process-wide queue of callables run by the UI thread's loops. Any thread may push; only the UI
// thread drains.
class UITaskQueue {
public:
    // Refuses an empty callable.
    static bool Push(std::function<void()> task);
    // Runs the callables queued at the call, front first, each taken out under the lock and run
    // unlocked; a callable may push again or run a modal loop, whose drains run those behind it.
    static void Drain();
    static bool IsWakeUp(UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace SkinUI
