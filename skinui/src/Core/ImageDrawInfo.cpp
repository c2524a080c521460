#include "Core/ImageDrawInfo.h"

#include "Core/AttributeValues.h"
#include "Core/DpiScaler.h"
#include "Core/WindowUIManager.h"
#include "Core/ZipArchive.h"

#include <cwchar>

namespace SkinUI {
namespace {

void ApplyKey(ImageDrawInfo& info, const CUIString& key, const CUIString& value)
{
    if (key == L"file" || key == L"res") info.sImageName = value;
    else if (key == L"restype") info.sResType = value;
    else if (key == L"dest") info.rcDest = ParseRectValue(value);
    else if (key == L"source") info.rcSource = ParseRectValue(value);
    else if (key == L"corner") info.rcCorner = ParseRectValue(value);
    else if (key == L"mask") {
        const wchar_t* digits = value.GetData();
        if (*digits == L'#') ++digits;
        info.dwMask = static_cast<DWORD>(wcstoul(digits, nullptr, 16));
    } else if (key == L"fade") info.uFade = static_cast<BYTE>(wcstoul(value, nullptr, 10));
    else if (key == L"hole") info.bHole = ParseBool(value);
    else if (key == L"xtiled") info.bTiledX = ParseBool(value);
    else if (key == L"ytiled") info.bTiledY = ParseBool(value);
    else if (key == L"hsl") info.bHSL = ParseBool(value);
    else if (key == L"adaptdpiscale") info.bAdaptDpiScale = ParseBool(value);
}

void ParsePass(ImageDrawInfo& info, const wchar_t* text)
{
    if (!text) return;
    const wchar_t* p = text;
    while (*p) {
        while (*p && *p < 0x21) ++p;
        const wchar_t* keyStart = p;
        while (*p && *p != L'=' && *p >= 0x21) ++p;
        const CUIString key(keyStart, static_cast<int>(p - keyStart));
        while (*p == L' ') ++p;
        if (*p++ != L'=') return;
        while (*p == L' ') ++p;
        if (*p++ != L'\'') return;
        const wchar_t* valueStart = p;
        while (*p && *p != L'\'') ++p;
        if (*p != L'\'') return;
        const CUIString value(valueStart, static_cast<int>(p - valueStart));
        ++p;
        if (!value.IsEmpty()) ApplyKey(info, key, value);
        if (*p != L' ') return;
        ++p;
    }
}

bool FileHasBytes(const wchar_t* path)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    ::CloseHandle(file);
    return size != INVALID_FILE_SIZE && size > 0;
}

bool ResourceExists(const wchar_t* name, const wchar_t* type)
{
    HINSTANCE instance = CWindowUIManager::GetResourceInstance();
    HRSRC found = ::FindResourceW(instance, name, type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(instance, found);
    return loaded && ::SizeofResource(instance, found) > 0;
}

bool VariantExists(const CUIString& variant, const CUIString& resourceType)
{
    if (!resourceType.IsEmpty()) return ResourceExists(variant, resourceType);
    if (FileHasBytes(variant)) return true;
    const CUIString zipName = CWindowUIManager::GetResourceZipName();
    if (zipName.IsEmpty()) return FileHasBytes(CWindowUIManager::GetResourcePath() + variant);
    if (CWindowUIManager::IsResourceZipCached() && CWindowUIManager::GetResourceZipHandle())
        return CWindowUIManager::GetResourceZipHandle()->HasEntry(variant);
    auto zip = CZipArchive::OpenFile(CWindowUIManager::GetResourcePath() + zipName,
                                     CWindowUIManager::GetResourceZipPassword());
    return zip && zip->HasEntry(variant);
}

}  // namespace

void ParseImageDescription(ImageDrawInfo& drawInfo, const wchar_t* description, const wchar_t* modify)
{
    drawInfo.sDrawString = description;
    drawInfo.sDrawModify = modify;
    drawInfo.sImageName = description;
    ParsePass(drawInfo, description);
    ParsePass(drawInfo, modify);
}

void ParseImageDrawInfo(ImageDrawInfo& drawInfo, const wchar_t* description, const wchar_t* modify,
                        CWindowUIManager* manager)
{
    ParseImageDescription(drawInfo, description, modify);
    if (!drawInfo.bAdaptDpiScale || !manager) return;
    const int scale = manager->GetDpiScaler()->GetScale();
    if (scale == 100) return;
    CUIString variant;
    if (CDpiScaler::GetDpiVariantName(drawInfo.sImageName, scale, variant) &&
        VariantExists(variant, drawInfo.sResType)) {
        drawInfo.sImageName = variant;
        return;
    }
    drawInfo.bNoDpiVariant = true;
}

}  // namespace SkinUI
