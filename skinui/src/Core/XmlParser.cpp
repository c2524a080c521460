#include "Core/XmlParser.h"

#include <cwchar>
#include <cwctype>

namespace SkinUI {
namespace {

bool IsBlank(wchar_t ch) { return ch >= 1 && ch <= 32; }
bool IsNameChar(wchar_t ch) { return std::iswalnum(ch) || ch == L'_' || ch == L':'; }

struct EntityReference {
    const wchar_t* name;
    size_t length;
    wchar_t character;
};
constexpr EntityReference kEntityReferences[] = {
    {L"amp", 3, L'&'}, {L"lt", 2, L'<'}, {L"gt", 2, L'>'}, {L"quot", 4, L'"'}, {L"apos", 4, L'\''}};

// One pass over the text. Every read is bounded by the end of the text; the parser only
// overwrites characters it has already passed or is standing on.
class XmlParser {
public:
    XmlParser(wchar_t* text, size_t length, std::vector<XmlElementRecord>& elements, XmlParseError& error)
        : m_text(text), m_end(text + length), m_pos(text), m_elements(elements), m_error(error)
    {
    }

    bool Parse()
    {
        m_elements.assign(1, XmlElementRecord{});
        return ParseLevel(0, 0);
    }

private:
    enum class Step { Failed, NextSibling, TextEnded };

    bool ParseLevel(uint32_t parent, int depth);
    Step ParseElement(uint32_t element, uint32_t parent, int depth);
    bool ParseAttributes();
    Step ParseContentAndClosingTag(uint32_t element, uint32_t parent, const wchar_t* name, size_t nameLength,
                                   int depth);
    wchar_t* DecodeUntil(wchar_t stop);
    const EntityReference* MatchEntityReference() const;
    uint32_t AddElement(uint32_t parent, uint32_t previous);
    bool SkipPast(const wchar_t* pattern);
    void SkipBlanks()
    {
        while (!AtEnd() && IsBlank(*m_pos)) ++m_pos;
    }
    bool AtEnd() const { return m_pos >= m_end; }
    wchar_t Peek(size_t ahead) const { return m_pos + ahead < m_end ? m_pos[ahead] : L'\0'; }
    uint32_t Offset(const wchar_t* at) const { return static_cast<uint32_t>(at - m_text); }
    bool Fail(const wchar_t* message)
    {
        m_error.message = message;
        m_error.offset = Offset(m_pos);
        return false;
    }
    Step FailStep(const wchar_t* message)
    {
        Fail(message);
        return Step::Failed;
    }

    wchar_t* const m_text;
    wchar_t* const m_end;
    wchar_t* m_pos;
    std::vector<XmlElementRecord>& m_elements;
    XmlParseError& m_error;
};

// Parses the elements of one level until a closing tag or the end of the text.
bool XmlParser::ParseLevel(uint32_t parent, int depth)
{
    if (depth > kMaxXmlNesting) return Fail(L"Elements nested too deeply");
    uint32_t previous = 0;
    for (;;) {
        SkipBlanks();
        // Only the top level and the root's children may stay open at the end of the text.
        if (AtEnd()) return parent <= 1 || Fail(L"Expected start tag");
        if (*m_pos != L'<') return Fail(L"Expected start tag");
        if (Peek(1) == L'/') return parent != 0 || Fail(L"Unmatched closing tag");
        *m_pos++ = L'\0';
        SkipBlanks();
        if (Peek(0) == L'!' || Peek(0) == L'?') {
            if (!SkipPast(Peek(0) == L'!' ? L"->" : L"?>")) return Fail(L"Unterminated comment or declaration");
            continue;
        }
        const uint32_t element = AddElement(parent, previous);
        previous = element;
        switch (ParseElement(element, parent, depth)) {
        case Step::Failed: return false;
        case Step::TextEnded: return true;
        case Step::NextSibling: break;
        }
    }
}

XmlParser::Step XmlParser::ParseElement(uint32_t element, uint32_t parent, int depth)
{
    wchar_t* const name = m_pos;
    while (!AtEnd() && IsNameChar(*m_pos)) ++m_pos;
    if (AtEnd()) return FailStep(L"Error parsing element name");
    wchar_t* const nameEnd = m_pos;
    const bool endsTag = *m_pos == L'>' || (*m_pos == L'/' && Peek(1) == L'>');
    if (!endsTag) {
        *m_pos++ = L'\0';
        if (!ParseAttributes()) return Step::Failed;
    }
    SkipBlanks();
    if (Peek(0) == L'/' && Peek(1) == L'>') {
        m_elements[element].data = Offset(m_pos);
        *m_pos = L'\0';
        m_pos += 2;
        return Step::NextSibling;
    }
    if (Peek(0) != L'>') return FailStep(L"Expected start-tag closing");
    // Terminated now, so that the name reads right even when the element is never closed.
    if (nameEnd == m_pos) *nameEnd = L'\0';
    ++m_pos;
    m_elements[element].data = Offset(m_pos);
    return ParseContentAndClosingTag(element, parent, name, static_cast<size_t>(nameEnd - name), depth);
}

bool XmlParser::ParseAttributes()
{
    for (;;) {
        SkipBlanks();
        if (Peek(0) == L'>' || Peek(0) == L'/') return true;
        while (!AtEnd() && IsNameChar(*m_pos)) ++m_pos;
        wchar_t* const nameEnd = m_pos;
        SkipBlanks();
        if (Peek(0) != L'=') return Fail(L"Error while parsing attributes");
        *m_pos++ = L' ';
        *nameEnd = L'\0';
        SkipBlanks();
        if (Peek(0) != L'"') return Fail(L"Expected attribute value");
        ++m_pos;
        wchar_t* const valueEnd = DecodeUntil(L'"');
        if (AtEnd()) return Fail(L"Error while parsing attribute string");
        *valueEnd = L'\0';
        if (valueEnd != m_pos) *m_pos = L' ';
        ++m_pos;
    }
}

XmlParser::Step XmlParser::ParseContentAndClosingTag(uint32_t element, uint32_t parent, const wchar_t* name,
                                                     size_t nameLength, int depth)
{
    wchar_t* const textEnd = DecodeUntil(L'<');
    // When the text ends right at the "<", that character is terminated below or by the child.
    if (textEnd != m_pos) *textEnd = L'\0';
    if (AtEnd()) return parent <= 1 ? Step::TextEnded : FailStep(L"Expected end-tag start");
    if (Peek(1) != L'/') {
        if (!ParseLevel(element, depth + 1)) return Step::Failed;
        if (AtEnd()) return parent <= 1 ? Step::TextEnded : FailStep(L"Expected end-tag start");
    }
    *m_pos = L'\0';
    m_pos += 2;
    SkipBlanks();
    if (static_cast<size_t>(m_end - m_pos) < nameLength || std::wcsncmp(m_pos, name, nameLength) != 0)
        return FailStep(L"Unmatched closing tag");
    m_pos += nameLength;
    SkipBlanks();
    if (Peek(0) != L'>') return FailStep(L"Unmatched closing tag");
    ++m_pos;
    return Step::NextSibling;
}

// Decodes the entity references up to the stop character (or the end of the text) in place
// and fills the room the shorter text left with blanks. Returns the end of the decoded text.
wchar_t* XmlParser::DecodeUntil(wchar_t stop)
{
    wchar_t* out = m_pos;
    while (!AtEnd() && *m_pos != stop) {
        if (*m_pos == L'&') {
            if (const EntityReference* reference = MatchEntityReference()) {
                *out++ = reference->character;
                m_pos += reference->length + 2;
                continue;
            }
        }
        *out++ = *m_pos++;
    }
    for (wchar_t* gap = out; gap < m_pos; ++gap) *gap = L' ';
    return out;
}

const EntityReference* XmlParser::MatchEntityReference() const
{
    for (const EntityReference& reference : kEntityReferences) {
        if (Peek(reference.length + 1) == L';' && std::wcsncmp(m_pos + 1, reference.name, reference.length) == 0)
            return &reference;
    }
    return nullptr;
}

uint32_t XmlParser::AddElement(uint32_t parent, uint32_t previous)
{
    if (m_elements.size() == m_elements.capacity())
        m_elements.reserve(m_elements.capacity() + m_elements.capacity() / 2 + 500);
    const auto index = static_cast<uint32_t>(m_elements.size());
    XmlElementRecord record;
    record.name = Offset(m_pos);
    record.parent = parent;
    m_elements.push_back(record);
    if (previous)
        m_elements[previous].nextSibling = index;
    else if (parent)
        m_elements[parent].firstChild = index;
    return index;
}

bool XmlParser::SkipPast(const wchar_t* pattern)
{
    for (wchar_t* at = m_pos; at + 1 < m_end; ++at) {
        if (at[0] == pattern[0] && at[1] == pattern[1]) {
            m_pos = at + 2;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParseXmlInPlace(wchar_t* text, size_t length, std::vector<XmlElementRecord>& elements, XmlParseError& error)
{
    return XmlParser(text, length, elements, error).Parse();
}

// The parser left each attribute as: name, terminator, blanks, double quote, value, terminator.
int MapXmlAttributes(const wchar_t* text, const XmlElementRecord& element, XmlAttributeRef* attributes, int capacity)
{
    const wchar_t* at = text + element.name;
    while (*at) ++at;
    ++at;
    const wchar_t* const end = text + element.data;
    int count = 0;
    while (at < end) {
        while (at < end && IsBlank(*at)) ++at;
        const wchar_t* const name = at;
        while (at < end && IsNameChar(*at)) ++at;
        if (at >= end || *at != L'\0') break;
        ++at;
        while (at < end && IsBlank(*at)) ++at;
        if (at >= end || *at != L'"') break;
        const wchar_t* const value = ++at;
        while (at < end && *at) ++at;
        if (at >= end) break;
        ++at;
        if (count < capacity) attributes[count] = {static_cast<uint32_t>(name - text), static_cast<uint32_t>(value - text)};
        ++count;
    }
    return count;
}

}  // namespace SkinUI
