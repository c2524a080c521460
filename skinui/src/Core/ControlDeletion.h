#pragma once

#include "Utils/DispatchScope.h"

#include <windows.h>

namespace SkinUI {

class CControlUI;
class CWindowUIManager;

// Every control the framework deletes (a container's auto-destroy, a window's replaced or last root, a
// tree's removed node) goes through here. While a dispatch runs (CDispatchScope), code up the stack may
// still be using the control, its parent or its window, so the control is not deleted then: it leaves its
// window and parent at once, its lifetime watchers see it gone, and it waits in the queue. The queue is
// emptied from any message loop of the UI thread once no dispatch is running: a message-only window of
// its own carries the wake-up while something waits. A delayed deletion always waits for the loop.
// A queued control belongs to the queue: containers refuse it; only the window whose root it was takes it
// back, by re-attaching it as its root. A control a container still holds is refused: its container's
// Remove is what takes it out.
class ControlDeletion {
public:
    // rootOf: the window whose replaced root this is (the one window that may take it back). False when
    // refused (a container holds it).
    static bool Delete(CControlUI* control, bool delayed = false, const CWindowUIManager* rootOf = nullptr);
    static bool IsQueued(const CControlUI* control);
    // Takes the window's own queued old root back out of the queue with a new lifetime; false for any
    // other control.
    static bool TakeBack(CControlUI* control, const CWindowUIManager* rootOf);
    // A window that goes takes back nothing more. Its tree (root) and what left it go now, unless one of
    // its own dispatches runs: another window's handler that ended it does not keep them past the window.
    static void WindowEnds(const CWindowUIManager* window, CControlUI* root);
    // Deletes what waits, unless a dispatch is running (the end of the outermost one asks again).
    static void Flush();
    // A control deleted by other means is no longer the queue's to delete.
    static void Forget(const CControlUI* control);

    // A removal the application makes: what it takes out goes at once as before, but what the destruction
    // handlers end (other controls, the container, the window) waits until the removal returns.
    class RemovalScope {
    public:
        explicit RemovalScope(HWND window);
        ~RemovalScope();
        RemovalScope(const RemovalScope&) = delete;
        RemovalScope& operator=(const RemovalScope&) = delete;

    private:
        CDispatchScope m_scope;
        int m_ground;
    };

private:
    static CControlUI* CALLBACK EndLifetime(CControlUI* control, void*);
    static CControlUI* CALLBACK StartLifetime(CControlUI* control, void*);
    static bool HeldByContainer(CControlUI* control);
    static bool MustWait();
    static void DeleteNow(CControlUI* control);
    static void Enqueue(CControlUI* control, const CWindowUIManager* rootOf, const CWindowUIManager* from);
    template <class Which>
    static void DeleteWhere(Which which);
    static void Arm();
    static void Rearm();
    static void Settle();
};

}  // namespace SkinUI
