#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input through the skin XML parser: the bytes are read as UTF-16LE text when they start
// with its byte-order mark, else one character per byte. Every element's name, data and attributes
// are read back as a skin builder reads them.
void FuzzSkinXml(const uint8_t* data, size_t size);
