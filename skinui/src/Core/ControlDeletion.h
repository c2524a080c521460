#pragma once

#include <windows.h>

namespace SkinUI {

class CControlUI;
class CWindowUIManager;

// Every control the framework deletes (a container's auto-destroy, a window's replaced or last root, a
// tree's removed node) goes through here. While a dispatch runs (CDispatchScope), code up the stack may
// still be using the control, its parent or its window, so the control is not deleted then: it leaves its
// window and parent at once, its lifetime watchers see it gone, and it waits in the queue. The queue is
// emptied from a message loop once no dispatch is running. A delayed deletion always waits for the loop.
// A queued control belongs to the queue: containers refuse it; only the window whose root it was takes it
// back, by re-attaching it as its root.
class ControlDeletion {
public:
    // rootOf: the window whose replaced root this is (the one window that may take it back).
    static void Delete(CControlUI* control, bool delayed = false, const CWindowUIManager* rootOf = nullptr);
    static bool IsQueued(const CControlUI* control);
    // Takes the window's own queued old root back out of the queue with a new lifetime; false for any
    // other control.
    static bool TakeBack(CControlUI* control, const CWindowUIManager* rootOf);
    // A window that goes takes back nothing more; what left it is deleted now unless a dispatch runs.
    static void WindowEnds(const CWindowUIManager* window);
    // Deletes what waits, unless a dispatch is running (the end of the outermost one asks again).
    static void Flush();
    // A control deleted by other means is no longer the queue's to delete.
    static void Forget(const CControlUI* control);
    // A window that comes up carries the wake-up when the one that had it is gone.
    static void WakeThrough(HWND window);

private:
    static CControlUI* CALLBACK EndLifetime(CControlUI* control, void*);
    static CControlUI* CALLBACK StartLifetime(CControlUI* control, void*);
    template <class Which>
    static void DeleteWhere(Which which);
    static void Arm(HWND wakeWindow);
    static void Rearm();
};

}  // namespace SkinUI
