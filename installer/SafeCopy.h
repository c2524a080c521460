#pragma once

#include <windows.h>

#include <cstddef>

// Bounded copy of a terminated wide text: copies at most capacity - 1 units and always terminates.
// E_INVALIDARG for a capacity of 0 or above 0x7FFFFFFF (a terminator is still written when the
// capacity is not 0); STRSAFE_E_INSUFFICIENT_BUFFER (0x8007007A) when the source was cut; else S_OK.
HRESULT SafeCopyW(wchar_t* destination, size_t capacity, const wchar_t* source);
