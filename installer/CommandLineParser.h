#pragma once

#include <map>
#include <string>

// Splits the process command line into options: "-key" or "/key", optionally followed by
// ":value" (quoted, or up to the next blank). Keys are stored lower-cased (ASCII letters only);
// values keep their case. The first occurrence of a key wins.
class CommandLineParser {
public:
    using Options = std::map<std::wstring, std::wstring>;

    void Parse(const std::wstring& commandLine);

    // Case-insensitive lookup; End() when the key is absent.
    Options::const_iterator Find(const std::wstring& key) const;
    Options::const_iterator End() const { return m_options.end(); }
    bool Has(const std::wstring& key) const { return Find(key) != End(); }

    const std::wstring& RawText() const { return m_rawText; }

    static wchar_t ToLowerAscii(wchar_t unit);
    static std::wstring ToLowerCopy(const std::wstring& text);

private:
    void Insert(const std::wstring& key, const std::wstring& value);

    std::wstring m_rawText;
    Options m_options;
};
