#include "Core/DibSection.h"

namespace SkinUI {

HBITMAP CreateDib32(HDC hdc, int width, int height, bool topDown, BYTE** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits) *bits = bitmap ? static_cast<BYTE*>(pixels) : nullptr;
    return bitmap;
}

}  // namespace SkinUI
