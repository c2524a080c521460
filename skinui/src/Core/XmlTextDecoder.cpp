#include "Core/XmlTextDecoder.h"

#include <windows.h>

#include <climits>

namespace SkinUI {
namespace {

bool DecodeCodePage(const char* bytes, size_t size, UINT codePage, std::vector<wchar_t>& text)
{
    if (size > static_cast<size_t>(INT_MAX)) return false;
    const int length = static_cast<int>(size);
    const int units = length ? ::MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0) : 0;
    if (length && units <= 0) return false;
    text.assign(static_cast<size_t>(units) + 1, L'\0');
    if (units) ::MultiByteToWideChar(codePage, 0, bytes, length, text.data(), units);
    return true;
}

bool DecodeUtf16(const unsigned char* bytes, size_t size, std::vector<wchar_t>& text)
{
    if (size < 2) return false;
    const bool littleEndian = bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool bigEndian = bytes[0] == 0xFE && bytes[1] == 0xFF;
    if (!littleEndian && !bigEndian) return false;
    // A trailing odd byte is not part of any unit and is dropped.
    const size_t units = size / 2 - 1;
    text.assign(units + 1, L'\0');
    const unsigned char* unit = bytes + 2;
    for (size_t i = 0; i < units; ++i, unit += 2) {
        const unsigned first = unit[0], second = unit[1];
        text[i] = static_cast<wchar_t>(littleEndian ? (second << 8 | first) : (first << 8 | second));
    }
    return true;
}

}  // namespace

bool DecodeXmlText(const void* data, size_t size, XmlEncoding encoding, std::vector<wchar_t>& text)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!bytes) size = 0;
    switch (encoding) {
    case XmlEncoding::Utf8:
        if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            size -= 3;
        }
        return DecodeCodePage(reinterpret_cast<const char*>(bytes), size, CP_UTF8, text);
    case XmlEncoding::Ansi:
        return DecodeCodePage(reinterpret_cast<const char*>(bytes), size, CP_ACP, text);
    case XmlEncoding::Utf16:
        return DecodeUtf16(bytes, size, text);
    }
    return false;
}

}  // namespace SkinUI
