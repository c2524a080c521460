#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SkinUI {

// One element of a parsed document. Offsets count characters from the start of the text;
// indexes count records, 0 meaning none (record 0 is a placeholder).
struct XmlElementRecord {
    uint32_t name = 0;
    uint32_t firstChild = 0;
    uint32_t nextSibling = 0;
    uint32_t parent = 0;
    uint32_t data = 0;
};

struct XmlAttributeRef {
    uint32_t name = 0;
    uint32_t value = 0;
};

struct XmlParseError {
    const wchar_t* message = nullptr;
    size_t offset = 0;  // where in the text the parse stopped
};

// Deepest element nesting accepted; deeper documents fail instead of exhausting the stack.
constexpr int kMaxXmlNesting = 256;

// Parses zero-terminated text of `length` characters in place: names, attribute values and
// element data are terminated inside the text, entity references decoded. On success
// `elements` holds the placeholder record followed by the elements in document order.
bool ParseXmlInPlace(wchar_t* text, size_t length, std::vector<XmlElementRecord>& elements,
                     XmlParseError& error);

// Finds the attributes of an element of a successfully parsed text; returns how many it found
// (all of them), storing the first `capacity` ones.
int MapXmlAttributes(const wchar_t* text, const XmlElementRecord& element, XmlAttributeRef* attributes,
                     int capacity);

}  // namespace SkinUI
