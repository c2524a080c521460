#pragma once

#include <windows.h>

namespace SkinUI {

class CLabelUI;

// Where a native window laid over a field (edit box, hot key) goes: inside the field's text padding, one
// text line high and centred when the line is lower than that space.
RECT NativeFieldRect(const CLabelUI& field);

}  // namespace SkinUI
