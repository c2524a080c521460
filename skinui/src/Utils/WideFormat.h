#pragma once

#include <cstdarg>
#include <cstddef>

namespace SkinUI {

// One printf family for measuring and formatting wide text (C99 rules: %s narrow, %ls wide).
// Both return the full length of the formatted text in units, or -1 on a formatting error;
// the arguments are taken from a copy, so the caller's list stays usable.
int MeasureWideFormat(const wchar_t* format, va_list args);
int FormatWideInto(wchar_t* buffer, size_t units, const wchar_t* format, va_list args);

}  // namespace SkinUI
