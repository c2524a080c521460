#include "SkinXmlFuzzTarget.h"

#include "Core/XmlParser.h"

#include <cwchar>
#include <vector>

void FuzzSkinXml(const uint8_t* data, size_t size)
{
    std::vector<wchar_t> text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        for (size_t i = 2; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    } else {
        text.assign(data, data + size);
    }
    text.push_back(L'\0');
    const size_t length = std::wcslen(text.data());
    std::vector<SkinUI::XmlElementRecord> elements;
    SkinUI::XmlParseError error;
    if (!SkinUI::ParseXmlInPlace(text.data(), length, elements, error)) return;
    size_t characters = 0;
    for (size_t i = 1; i < elements.size(); ++i) {
        const SkinUI::XmlElementRecord& element = elements[i];
        characters += std::wcslen(text.data() + element.name) + std::wcslen(text.data() + element.data);
        SkinUI::XmlAttributeRef attributes[64];
        const int count = SkinUI::MapXmlAttributes(text.data(), element, attributes, 64);
        for (int a = 0; a < count && a < 64; ++a)
            characters += std::wcslen(text.data() + attributes[a].name) + std::wcslen(text.data() + attributes[a].value);
    }
    // Everything read lies inside the text.
    if (characters > elements.size() * (length + 1) * 130) __builtin_trap();
}
