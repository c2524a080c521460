#pragma once

namespace SkinUI {

// Marks the UI thread as running code on the framework's behalf that may call into the application: a
// message of one of its windows, a notification, an event handler. Work that would pull a control from
// under such code (deleting it) waits until the outermost scope has ended; the hook hears of that moment.
class CDispatchScope {
public:
    CDispatchScope() { Enter(); }
    ~CDispatchScope() { Leave(); }
    CDispatchScope(const CDispatchScope&) = delete;
    CDispatchScope& operator=(const CDispatchScope&) = delete;

    static void Enter() { ++s_depth; }
    static void Leave();
    static bool IsActive() { return s_depth > 0; }

    using UnwoundHook = void (*)();
    static void SetUnwoundHook(UnwoundHook hook) { s_unwound = hook; }

private:
    static int s_depth;
    static UnwoundHook s_unwound;
};

}  // namespace SkinUI
