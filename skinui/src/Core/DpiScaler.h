#pragma once

#include "Utils/UIString.h"

#include <windows.h>

namespace SkinUI {

// One window's display scale in percent (100 = 96 DPI). Construction settles the process's DPI awareness.
class CDpiScaler {
public:
    CDpiScaler();

    int GetScale() const { return m_scale; }
    // A DPI whose scale would leave 25 % to 500 % is refused with a debugger warning; the scale stays.
    void SetDPI(int dpi);
    int GetDPI() const;

    int Scale(int value) const;
    SIZE ScaleSize(int cx, int cy) const;
    void ScaleSizeInPlace(SIZE& size) const;
    RECT ScaleRectCopy(const RECT& rc) const;
    void ScaleRect(RECT& rc) const;
    int Unscale(int value) const;
    void UnscaleRect(RECT& rc) const;

    static int GetMainMonitorDPI();
    // name with "@<scale>" before its last '.'; false when the name has no '.'.
    static bool GetDpiVariantName(const wchar_t* name, int scale, CUIString& variant);

private:
    int m_scale = 100;
};

}  // namespace SkinUI
