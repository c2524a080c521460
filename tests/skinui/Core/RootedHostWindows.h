#pragma once

#include "Layout/BoxLayout.h"
#include "TestWindows.h"

namespace SkinUI::Testing {

enum class Shown { Hidden, WithoutFocus, WithFocus };

// Shows the created window as asked, then gives it a vertical layout for its root; null when it took none.
inline CVerticalLayoutUI* ShowWithRoot(HostWindow& window, Shown shown = Shown::Hidden)
{
    if (shown != Shown::Hidden) window.ShowWindow(true, shown == Shown::WithFocus);
    auto* root = new CVerticalLayoutUI;
    return window.manager.AttachRootControl(root) ? root : nullptr;
}

// Creates the window at the top level and does as ShowWithRoot; null when no window came (no display?).
inline CVerticalLayoutUI* OpenWithRoot(HostWindow& window, Shown shown = Shown::Hidden)
{
    return window.CreateTopLevel() ? ShowWithRoot(window, shown) : nullptr;
}

// A window that deletes itself after its last message, as an application's own windows do.
inline HostWindow* NewSelfDeletingWindow()
{
    auto* window = new HostWindow;
    window->deleteOnFinal = true;
    return window;
}

// Takes the control out of one container, which keeps it alive, and puts it into another (of another window,
// say); false when either step fails.
inline bool MoveInto(CContainerUI& to, CContainerUI& from, CControlUI* control)
{
    from.SetAutoDestroy(false);
    return from.Remove(control) && to.Add(control);
}

}  // namespace SkinUI::Testing
