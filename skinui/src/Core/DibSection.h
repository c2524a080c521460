#pragma once

#include <windows.h>

namespace SkinUI {

// A 32-bit BI_RGB DIB section; rows run top-down when asked, else bottom-up. Null on failure.
HBITMAP CreateDib32(HDC hdc, int width, int height, bool topDown, BYTE** bits);

}  // namespace SkinUI
