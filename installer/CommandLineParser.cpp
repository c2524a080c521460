#include "CommandLineParser.h"

// The whole command line is scanned, program path included: a '-' or '/' in the path yields a key
// nobody asks for, which is harmless. Only U+0020 separates; tabs belong to keys and values.
void CommandLineParser::Parse(const std::wstring& commandLine)
{
    m_options.clear();
    m_rawText = commandLine;
    const std::wstring& text = m_rawText;
    constexpr auto npos = std::wstring::npos;

    size_t position = 0;
    while (position < text.size()) {
        const size_t marker = text.find_first_of(L"-/", position);
        if (marker == npos || marker + 1 >= text.size())
            return;
        const size_t keyStart = marker + 1;
        const size_t keyEnd = text.find_first_of(L" :", keyStart);
        if (keyEnd == npos) {
            Insert(text.substr(keyStart), {});
            return;
        }
        const std::wstring key = text.substr(keyStart, keyEnd - keyStart);
        if (text[keyEnd] == L' ' || keyEnd + 1 == text.size()) {
            Insert(key, {});
            position = keyEnd + 1;
            continue;
        }

        size_t valueStart = keyEnd + 1;
        size_t valueEnd;
        if (text[valueStart] == L'"') {
            ++valueStart;
            valueEnd = text.find(L'"', valueStart);
        } else {
            valueEnd = text.find(L' ', valueStart);
        }
        if (valueEnd == npos) {
            Insert(key, text.substr(valueStart));  // an unclosed quote takes the rest
            return;
        }
        Insert(key, text.substr(valueStart, valueEnd - valueStart));
        position = valueEnd + 1;
    }
}

CommandLineParser::Options::const_iterator CommandLineParser::Find(const std::wstring& key) const
{
    return m_options.find(ToLowerCopy(key));
}

wchar_t CommandLineParser::ToLowerAscii(wchar_t unit)
{
    return unit >= L'A' && unit <= L'Z' ? static_cast<wchar_t>(unit + (L'a' - L'A')) : unit;
}

std::wstring CommandLineParser::ToLowerCopy(const std::wstring& text)
{
    std::wstring lower = text;
    for (wchar_t& unit : lower)
        unit = ToLowerAscii(unit);
    return lower;
}

void CommandLineParser::Insert(const std::wstring& key, const std::wstring& value)
{
    if (!key.empty())
        m_options.emplace(ToLowerCopy(key), value);  // emplace keeps an existing entry
}
