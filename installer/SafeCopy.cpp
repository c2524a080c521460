#include "SafeCopy.h"

namespace {
constexpr size_t kMaxCapacity = 0x7FFFFFFF;
constexpr HRESULT kInsufficientBuffer = static_cast<HRESULT>(0x8007007A);
}

HRESULT SafeCopyW(wchar_t* destination, size_t capacity, const wchar_t* source)
{
    if (capacity == 0 || capacity > kMaxCapacity) {
        if (capacity != 0 && destination)
            destination[0] = L'\0';
        return E_INVALIDARG;
    }
    size_t copied = 0;
    if (source) {
        while (copied + 1 < capacity && source[copied] != L'\0') {
            destination[copied] = source[copied];
            ++copied;
        }
    }
    destination[copied] = L'\0';
    return source && source[copied] != L'\0' ? kInsufficientBuffer : S_OK;
}
