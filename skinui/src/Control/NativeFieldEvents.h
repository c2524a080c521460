#pragma once

#include "Core/UIEvents.h"

#include <functional>

namespace SkinUI {

class CControlUI;

// Events shared by the fields that edit in a native window laid over them (date and hot-key fields): the
// I-beam cursor, the window opened on focus or on a click while focused, deferred focus and no wheel while
// it is open. open makes the window, or initialises the open one again. Answers true when the event is
// dealt with; otherwise the field goes on with its own handling.
bool HandleNativeFieldEvent(CControlUI& field, ControlEvent& event, bool windowOpen,
                            const std::function<void()>& open);

}  // namespace SkinUI
