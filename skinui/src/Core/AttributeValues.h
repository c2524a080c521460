#pragma once

#include <windows.h>

namespace SkinUI {

// Skin attribute values. A boolean is true only for "true" (any case).
bool ParseBool(const wchar_t* value);
// Hexadecimal ARGB with an optional leading '#'; blanks before it are skipped when asked.
DWORD ParseColorValue(const wchar_t* value, bool skipLeadingBlanks = false);
// Four integers l,t,r,b, each followed by one separator character.
RECT ParseRectValue(const wchar_t* value);

}  // namespace SkinUI
