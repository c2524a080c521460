#pragma once

#include <cstddef>
#include <vector>

namespace SkinUI {

// How the bytes of a skin file are encoded. UTF-16 needs its byte-order mark.
enum class XmlEncoding : int { Utf8 = 0, Utf16 = 1, Ansi = 2 };

// Decodes bytes into zero-terminated UTF-16 text; a UTF-8 byte-order mark is dropped. False when
// the bytes cannot be decoded that way (UTF-16 without a mark, more bytes than the system converts).
bool DecodeXmlText(const void* data, size_t size, XmlEncoding encoding, std::vector<wchar_t>& text);

}  // namespace SkinUI
