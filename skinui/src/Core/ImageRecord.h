#pragma once

#include "Utils/UIString.h"

#include <windows.h>

namespace SkinUI {

// A loaded image: a top-down 32-bit DIB section with premultiplied BGRA pixels.
struct ImageRecord {
    HBITMAP hBitmap = nullptr;
    LPBYTE pBits = nullptr;     // working pixels for colour adjustment (null as loaded)
    LPBYTE pSrcBits = nullptr;  // unadjusted pixels (null as loaded)
    int nX = 0;
    int nY = 0;
    bool bAlpha = false;
    bool bUseHSL = false;
    CUIString sResType;
    DWORD dwMask = 0;
};

}  // namespace SkinUI
