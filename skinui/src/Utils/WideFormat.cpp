#include "Utils/WideFormat.h"

#include <cstdio>

namespace SkinUI {

int MeasureWideFormat(const wchar_t* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int length = __mingw_vsnwprintf(nullptr, 0, format, copy);
    va_end(copy);
    return length < 0 ? -1 : length;
}

int FormatWideInto(wchar_t* buffer, size_t units, const wchar_t* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int length = __mingw_vsnwprintf(buffer, units, format, copy);
    va_end(copy);
    return length < 0 ? -1 : length;
}

}  // namespace SkinUI
