#include "Core/AttributeValues.h"

#include <cwchar>

namespace SkinUI {

bool ParseBool(const wchar_t* value) { return value && _wcsicmp(value, L"true") == 0; }

DWORD ParseColorValue(const wchar_t* value, bool skipLeadingBlanks)
{
    if (!value) return 0;
    if (skipLeadingBlanks)
        while (*value && *value < 0x21) ++value;
    if (*value == L'#') ++value;
    return static_cast<DWORD>(wcstoul(value, nullptr, 16));
}

RECT ParseRectValue(const wchar_t* value)
{
    RECT rc = {0, 0, 0, 0};
    if (!value) return rc;
    LONG* fields[] = {&rc.left, &rc.top, &rc.right, &rc.bottom};
    const wchar_t* p = value;
    for (LONG* field : fields) {
        wchar_t* end = nullptr;
        *field = wcstol(p, &end, 10);
        p = end;
        if (*p) ++p;
    }
    return rc;
}

}  // namespace SkinUI
