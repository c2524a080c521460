#pragma once

#include "Utils/UIString.h"

#include <windows.h>

namespace SkinUI {

class CWindowUIManager;

// A parsed image description: a plain file name or key='value' pairs naming file, cut, scale, tiling and fade.
struct ImageDrawInfo {
    CUIString sDrawString;
    CUIString sDrawModify;
    CUIString sImageName;
    CUIString sResType;
    RECT rcDest = {0, 0, 0, 0};
    RECT rcSource = {0, 0, 0, 0};
    RECT rcCorner = {0, 0, 0, 0};
    DWORD dwMask = 0;
    BYTE uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;
    bool bHSL = false;
    bool bNoDpiVariant = false;
    bool bAdaptDpiScale = true;

    void Clear() { *this = ImageDrawInfo(); }
};

// Reads the description, then the modify string (which overrides), without looking for DPI variants.
void ParseImageDescription(ImageDrawInfo& drawInfo, const wchar_t* description, const wchar_t* modify);

// ParseImageDescription, then the image name becomes the variant of the window's DPI scale when that file
// exists (flag bNoDpiVariant when it does not).
void ParseImageDrawInfo(ImageDrawInfo& drawInfo, const wchar_t* description, const wchar_t* modify,
                        CWindowUIManager* manager);

}  // namespace SkinUI
