#pragma once

#include <map>
#include <set>
#include <string>

// Splits the process command line into options: "-key" or "/key", optionally followed by
// ":value" (quoted, or up to the next blank). An option given as one quoted argument
// ("-key:value with blanks") is read by the usual argument rules, so a script that quotes each
// argument gets the same value. Keys are stored lower-cased (ASCII letters only); values keep their
// case. The first occurrence of a key wins; a later one with another value puts it in doubt.
// The options this program reads.
inline constexpr const wchar_t* kOptionDir = L"dir";
inline constexpr const wchar_t* kOptionRunAsAdmin = L"runasadmin";

class CommandLineParser {
public:
    using Options = std::map<std::wstring, std::wstring>;

    void Parse(const std::wstring& commandLine);

    // Case-insensitive lookup; End() when the key is absent.
    Options::const_iterator Find(const std::wstring& key) const;
    Options::const_iterator End() const { return m_options.end(); }
    bool Has(const std::wstring& key) const { return Find(key) != End(); }

    // The key's value may not be what was meant: an unquoted value followed by a word that starts no
    // option this program reads (a folder with blanks left unquoted), a quote or a tab inside an
    // unquoted value, text glued to a closing quote, a value that holds a quote (a backslash before the
    // closing quote escaped it), an option quoted as a whole whose quote never closes after a backslash
    // or closes before a blank that a word no option follows, or the key given again with another value.
    bool ValueInDoubt(const std::wstring& key) const;

    const std::wstring& RawText() const { return m_rawText; }

    static wchar_t ToLowerAscii(wchar_t unit);
    static std::wstring ToLowerCopy(const std::wstring& text);

private:
    void Insert(const std::wstring& key, const std::wstring& value, bool inDoubt);
    // The option that one quoted argument holds, opening at `quote`; returns where the argument ends.
    size_t ParseQuotedArgument(size_t quote);

    std::wstring m_rawText;
    Options m_options;
    std::set<std::wstring> m_inDoubt;
};
