#include "Core/Painter.h"

#include "Core/DibSection.h"
#include "Core/TextResources.h"
#include "Core/WindowUIManager.h"
#include "Core/ZipArchive.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb_image.h>

#include <climits>
#include <cstring>
#include <memory>

namespace SkinUI {
namespace {

bool ReadWholeFile(const wchar_t* path, std::vector<unsigned char>& bytes)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size > 0;
    if (ok) {
        bytes.assign(size, 0);
        DWORD read = 0;
        ok = ::ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
    }
    ::CloseHandle(file);
    if (!ok) bytes.clear();
    return ok;
}

bool ReadResource(const wchar_t* name, const wchar_t* type, HINSTANCE instance, std::vector<unsigned char>& bytes)
{
    if (!instance) instance = CWindowUIManager::GetResourceInstance();
    HRSRC found = ::FindResourceW(instance, name, type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(instance, found);
    const DWORD size = ::SizeofResource(instance, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    const auto* first = static_cast<const unsigned char*>(data);
    bytes.assign(first, first + size);
    return true;
}

bool ReadFromSkinSource(const wchar_t* name, std::vector<unsigned char>& bytes)
{
    const CUIString zipName = CWindowUIManager::GetResourceZipName();
    if (zipName.IsEmpty()) return ReadWholeFile(CWindowUIManager::GetResourcePath() + name, bytes);
    if (CWindowUIManager::IsResourceZipCached() && CWindowUIManager::GetResourceZipHandle())
        return CWindowUIManager::GetResourceZipHandle()->ReadEntry(name, bytes);
    auto zip = CZipArchive::OpenFile(CWindowUIManager::GetResourcePath() + zipName,
                                     CWindowUIManager::GetResourceZipPassword());
    return zip && zip->ReadEntry(name, bytes);
}

ImageRecord* LoadFrom(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance)
{
    std::vector<unsigned char> bytes;
    bool found = false;
    if (type && *type) found = ReadResource(name, type, instance, bytes);
    else if (IS_INTRESOURCE(name)) return nullptr;  // a resource id names no file, and no resource without its type
    else found = ReadFromSkinSource(name, bytes);
    if (!found && !IS_INTRESOURCE(name)) found = ReadWholeFile(name, bytes);
    if (!found) return nullptr;
    return CPainter::DecodeImage(bytes.data(), bytes.size(), mask);
}

}  // namespace

bool CPainter::ReadSkinFile(const wchar_t* name, std::vector<unsigned char>& bytes)
{
    if (!name || !*name) return false;
    return ReadFromSkinSource(name, bytes) || ReadWholeFile(name, bytes);
}

ImageRecord* CPainter::DecodeImage(const unsigned char* bytes, size_t size, DWORD mask)
{
    if (!bytes || size == 0 || size > INT_MAX) return nullptr;
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4), &stbi_image_free);
    if (!rgba || width <= 0 || height <= 0) return nullptr;

    BYTE* bits = nullptr;
    HBITMAP bitmap = CreateDib32(nullptr, width, height, true, &bits);
    if (!bitmap) return nullptr;

    bool hasAlpha = false;
    const stbi_uc* src = rgba.get();
    auto* dst = reinterpret_cast<DWORD*>(bits);
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < pixels; ++i, src += 4) {
        const DWORD a = src[3];
        DWORD r = src[0], g = src[1], b = src[2];
        if (a < 255) {
            hasAlpha = true;
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
        }
        DWORD pixel = (a << 24) | (r << 16) | (g << 8) | b;
        if (pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        dst[i] = pixel;
    }
    auto* record = new ImageRecord();
    record->hBitmap = bitmap;
    record->nX = width;
    record->nY = height;
    record->bAlpha = hasAlpha;
    return record;
}

ImageRecord* CPainter::LoadImage(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance)
{
    if (!name || (!IS_INTRESOURCE(name) && !*name)) return nullptr;
    return LoadFrom(name, type, mask, instance);
}

ImageRecord* CPainter::LoadImage(UINT resourceId, const wchar_t* type, DWORD mask, HINSTANCE instance)
{
    return LoadFrom(MAKEINTRESOURCEW(resourceId), type, mask, instance);
}

ImageRecord* CPainter::LoadImageMapped(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance)
{
    if ((!type || !*type) && name && !IS_INTRESOURCE(name)) {
        if (const CUIString* alias = CTextResources::GetInstance()->GetFileAlias(name))
            return LoadImage(alias->GetData(), type, mask, instance);
    }
    return LoadImage(name, type, mask, instance);
}

void CPainter::FreeImage(ImageRecord* image, bool deleteRecord)
{
    if (!image) return;
    if (image->hBitmap) ::DeleteObject(image->hBitmap);
    delete[] image->pBits;
    delete[] image->pSrcBits;
    image->hBitmap = nullptr;
    image->pBits = nullptr;
    image->pSrcBits = nullptr;
    image->nX = image->nY = 0;
    image->bAlpha = false;
    if (deleteRecord) delete image;
}

}  // namespace SkinUI
