#pragma once

#include <vector>

namespace SkinUI {

// Marks the UI thread as running code on the framework's behalf that may call into the application: a
// message of one of its windows, a notification, an event handler, a layout, a framework call the
// application made. Work that would pull a control from under such code (deleting it) waits until the
// outermost scope has ended; the hook hears of that moment. A scope may name the window it runs for (its
// handle): that window ends (its tree, then its object) only once none of the scopes naming it runs, and
// the window hook hears of that moment; a window that ends while none of its own scopes runs takes its
// tree with it at once, even inside another window's handler.
class CDispatchScope {
public:
    explicit CDispatchScope(const void* window = nullptr) : m_window(window) { Enter(window); }
    ~CDispatchScope() { Leave(m_window); }
    CDispatchScope(const CDispatchScope&) = delete;
    CDispatchScope& operator=(const CDispatchScope&) = delete;

    static void Enter(const void* window = nullptr);
    // Ends the latest running scope of that window: a scope an object holds may end out of order.
    static void Leave(const void* window = nullptr);
    static bool IsActive() { return Depth() > 0; }
    static int Depth() { return static_cast<int>(Running().size()); }
    // Whether a scope that names this window runs.
    static bool IsActiveFor(const void* window);

    using UnwoundHook = void (*)();
    static void SetUnwoundHook(UnwoundHook hook) { s_unwound = hook; }
    using WindowUnwoundHook = void (*)(const void* window);
    static void SetWindowUnwoundHook(WindowUnwoundHook hook) { s_windowUnwound = hook; }

private:
    // The window of each running scope (null when it names none), outermost first.
    static std::vector<const void*>& Running();

    static UnwoundHook s_unwound;
    static WindowUnwoundHook s_windowUnwound;
    const void* m_window;
};

}  // namespace SkinUI
