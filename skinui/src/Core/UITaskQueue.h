#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace SkinUI {

// Process-wide queue of callables run by the UI thread's loops. Any thread may push; only the UI
// thread drains.
class UITaskQueue {
public:
    // Refuses an empty callable (0); else the ticket that names the callable to Withdraw.
    static std::uint64_t Push(std::function<void()> task);
    // Takes out a callable no drain has taken yet; false when one has (it runs or ran).
    static bool Withdraw(std::uint64_t ticket);
    // Runs the callables queued before it began, front first, each taken out under the lock and run
    // unlocked. A callable may push again (that one runs at the next drain) or run a modal loop, whose
    // drains go on with the callables queued behind it.
    static void Drain();
    static bool IsWakeUp(UINT msg, WPARAM wParam, LPARAM lParam);
    // Pushes the callable and wakes the UI thread through a message to the window; false (and nothing
    // queued) when the window refuses the message.
    static bool PostTo(HWND wakeWindow, std::function<void()> task);
};

}  // namespace SkinUI
