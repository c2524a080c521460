#include "Control/NativeFieldEvents.h"

#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"

namespace SkinUI {

bool HandleNativeFieldEvent(CControlUI& field, ControlEvent& event, bool windowOpen,
                            const std::function<void()>& open)
{
    CWindowUIManager* manager = field.GetManager();
    if (!field.IsMouseEnabled() && event.Type >= EVT_MOUSEMOVE && event.Type <= EVT_SCROLLWHEEL) {
        if (!field.GetParent()) return false;
        field.GetParent()->HandleEvent(event);
        return true;
    }
    switch (event.Type) {
    case EVT_SETCURSOR:
        if (!field.IsEnabled()) return false;
        ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
        return true;
    case EVT_WINDOWSIZE:
        if (windowOpen && manager) manager->SetFocusDeferred(&field);
        return false;
    case EVT_SCROLLWHEEL:
        return windowOpen;
    case EVT_SETFOCUS:
        if (field.IsEnabled() && !windowOpen) {
            // Opening hands the keyboard focus to the field's window, whose loser's handlers may delete the
            // field: then nothing more is done with it.
            const auto alive = field.WatchLifetime();
            open();
            if (alive.expired()) return true;
            field.Invalidate();
        }
        return false;
    case EVT_KILLFOCUS:
        if (field.IsEnabled()) field.Invalidate();
        return false;
    case EVT_BUTTONDOWN:
    case EVT_DBLCLICK:
    case EVT_RBUTTONDOWN:
        if (!field.IsEnabled()) return false;
        if (manager) manager->ReleaseCapture();
        if (field.IsFocused() || windowOpen) open();  // the field may be gone now: handled, nothing more
        return true;
    case EVT_MOUSEMOVE:
    case EVT_BUTTONUP:
    case EVT_CONTEXTMENU:
        return true;
    default:
        return false;
    }
}

}  // namespace SkinUI
