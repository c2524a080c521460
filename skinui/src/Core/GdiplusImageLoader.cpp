#include "Core/GdiplusHeaders.h"
#include "Core/Painter.h"

#include <cstring>

namespace SkinUI {

Gdiplus::Image* CPainter::LoadGdiplusImage(const wchar_t* name)
{
    std::vector<unsigned char> bytes;
    if (!ReadSkinFile(name, bytes)) return nullptr;
    HGLOBAL block = ::GlobalAlloc(0, bytes.size());
    if (!block) return nullptr;
    std::memcpy(block, bytes.data(), bytes.size());
    IStream* stream = nullptr;
    // The stream frees the block when its last reference goes.
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return nullptr;
    }
    Gdiplus::Image* image = Gdiplus::Image::FromStream(stream);
    stream->Release();
    if (image && image->GetLastStatus() != Gdiplus::Ok) {
        delete image;
        return nullptr;
    }
    return image;
}

}  // namespace SkinUI
