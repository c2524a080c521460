#pragma once

#include "Core/ImageDrawInfo.h"
#include "Core/ImageRecord.h"

#include <windows.h>

#include <vector>

namespace Gdiplus {
class Image;
}

namespace SkinUI {

class CWindowUIManager;
class CControlUI;

// Stateless drawing on a device context. Colours are ARGB (alpha in the top byte). UI thread only.
class CPainter {
public:
    // Images (loading and freeing).
    static ImageRecord* LoadImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                                  HINSTANCE instance = nullptr);
    static ImageRecord* LoadImage(UINT resourceId, const wchar_t* type = nullptr, DWORD mask = 0,
                                  HINSTANCE instance = nullptr);
    // Maps the name through the file-alias table first when no type is given.
    static ImageRecord* LoadImageMapped(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                                        HINSTANCE instance = nullptr);
    // Turns RGBA bytes of an encoded image into a record; null when they cannot be decoded.
    static ImageRecord* DecodeImage(const unsigned char* bytes, size_t size, DWORD mask);
    static void FreeImage(ImageRecord* image, bool deleteRecord = true);
    // A GDI+ image of a skin file (animated images); null when it cannot be read. Owned by the caller.
    static Gdiplus::Image* LoadGdiplusImage(const wchar_t* name);
    // The raw bytes of a skin file: skin zip, resource folder, then the plain path.
    static bool ReadSkinFile(const wchar_t* name, std::vector<unsigned char>& bytes);

    // Fills, lines, gradients.
    static void FillColor(HDC hdc, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hdc, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps);
    // DrawGradient's opaque fill where msimg32 has no GradientFill: up to 64 solid bands, the second colour
    // at the far end.
    static void FillGradientBands(HDC hdc, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps);
    static void DrawLine(HDC hdc, const RECT& rc, int size, DWORD color, int style = PS_SOLID);
    static void DrawRect(HDC hdc, const RECT& rc, int size, DWORD color, int style = PS_SOLID);

    // Images.
    static void DrawImage(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                          const RECT& corner, bool alpha, BYTE fade = 255, bool hole = false, bool xtiled = false,
                          bool ytiled = false);
    static bool DrawImageInfo(HDC hdc, CWindowUIManager* manager, const RECT& item, const RECT& paint,
                              const ImageDrawInfo* drawInfo, HINSTANCE instance = nullptr);
    static bool DrawImageString(HDC hdc, CWindowUIManager* manager, const RECT& item, const RECT& paint,
                                const wchar_t* description, const wchar_t* modify = nullptr,
                                HINSTANCE instance = nullptr);

    // Colour adjustment (hue in degrees, 180 = unchanged; saturation and lightness in percent).
    static DWORD AdjustColor(DWORD color, short hue, short saturation, short lightness);
    static void AdjustImage(bool useHsl, ImageRecord* image, short hue, short saturation, short lightness);
    static void MakeColorNonBlack(DWORD& color);
    // The GDI colour (0x00BBGGRR) of an ARGB colour; alpha is dropped.
    static COLORREF ToColorRef(DWORD argb) { return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb)); }

    // Bitmaps.
    static HBITMAP CreateARGB32Bitmap(HDC hdc, int width, int height, BYTE** bits);
    static HBITMAP GenerateBitmap(CWindowUIManager* manager, CControlUI* control, const RECT& rc, DWORD tint = 0);
    static HBITMAP GenerateBitmap(CWindowUIManager* manager, const RECT& rc, CControlUI* stop = nullptr,
                                  DWORD tint = 0);

    // Text (plain and markup).
    static void DrawText(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color, int font,
                         UINT style);
    static void DrawHtmlText(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color,
                             RECT* linkRects, CUIString* linkTargets, int& linkCount, int font, UINT style);
    // Markup text (links not collected) when html is set, else plain text.
    static void DrawPlainOrHtmlText(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text,
                                    DWORD color, int font, UINT style, bool html);
};

// Narrows a DC's clip while it lives and gives the earlier clip back when it goes.
class CClipRegion {
public:
    CClipRegion() = default;
    ~CClipRegion();
    CClipRegion(const CClipRegion&) = delete;
    CClipRegion& operator=(const CClipRegion&) = delete;

    static void ClipToRect(HDC hdc, RECT rc, CClipRegion& clip);
    static void ClipToRoundRect(HDC hdc, RECT rc, RECT roundRect, int cx, int cy, CClipRegion& clip);
    static void SelectSavedRegion(HDC hdc, CClipRegion& clip);
    static void SelectClipRegion(HDC hdc, CClipRegion& clip);

private:
    void SaveCurrent(HDC hdc);
    void Narrow(HDC hdc, const RECT& rc);

    RECT m_rect = {0, 0, 0, 0};
    HDC m_hdc = nullptr;
    HRGN m_clip = nullptr;
    HRGN m_saved = nullptr;
};

}  // namespace SkinUI
