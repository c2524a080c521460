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
    // Runs the callables queued before it began, front first, each taken out under the lock and run
    // unlocked. A callable may push again (that one runs at the next drain) or run a modal loop, whose
    // drains go on with the callables queued behind it.
    static void Drain();
    static bool IsWakeUp(UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace SkinUI
