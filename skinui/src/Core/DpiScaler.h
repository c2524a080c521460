#pragma once

#include "Utils/UIString.h"

#include <windows.h>

namespace SkinUI {

// The system's DPI functions (Shcore, loaded at run time, is not on every system); null where missing.
struct DpiSystemFunctions {
    bool available = false;  // Shcore was found
    HRESULT(WINAPI* getProcessDpiAwareness)(HANDLE process, int* awareness) = nullptr;
    HRESULT(WINAPI* setProcessDpiAwareness)(int awareness) = nullptr;
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY) = nullptr;
};

// One window's display scale in percent (100 = 96 DPI). Construction settles the process's DPI awareness:
// an unaware process becomes per-monitor aware (scale 100, set later per window); a system-aware one takes
// the main monitor's scale.
class CDpiScaler {
public:
    CDpiScaler();
    explicit CDpiScaler(const DpiSystemFunctions& system);

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
    // The effective DPI of the monitor nearest (1, 1); 96 when it cannot be asked or the question fails, the
    // screen's DPI without Shcore.
    static int GetMonitorDPI(const DpiSystemFunctions& system);
    // Shcore's functions, looked up once per process.
    static const DpiSystemFunctions& SystemFunctions();
    // name with "@<scale>" before its last '.'; false when the name has no '.'.
    static bool GetDpiVariantName(const wchar_t* name, int scale, CUIString& variant);

private:
    void SettleAwareness(const DpiSystemFunctions& system);

    int m_scale = 100;
};

}  // namespace SkinUI
