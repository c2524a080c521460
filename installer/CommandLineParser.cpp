#include "CommandLineParser.h"

#include <algorithm>

namespace {

constexpr auto npos = std::wstring::npos;

bool IsOptionMarker(wchar_t unit) { return unit == L'-' || unit == L'/'; }

// A quote at the start of an argument, right before a marker: the whole option is one quoted argument.
bool OpensQuotedOption(const std::wstring& text, size_t at)
{
    return at + 1 < text.size() && text[at] == L'"' && IsOptionMarker(text[at + 1]) &&
           (at == 0 || text[at - 1] == L' ');
}

// The key of the option this program reads that starts at `at`, bare or quoted as a whole; empty for
// any other word, which may be a piece of a folder name: a lone '-' ("Tolvan - Copy"), "-Online\",
// "/Beta\" (a key holding a backslash is a piece of a path, never an option).
std::wstring KnownOptionAt(const std::wstring& text, size_t at)
{
    const bool quoted = OpensQuotedOption(text, at);
    const size_t keyStart = (quoted ? at + 1 : at) + 1;
    if (!IsOptionMarker(text[keyStart - 1]))
        return {};
    const size_t keyEnd = std::min(text.find_first_of(quoted ? L" :\"" : L" :", keyStart), text.size());
    const std::wstring key = CommandLineParser::ToLowerCopy(text.substr(keyStart, keyEnd - keyStart));
    return key == kOptionDir || key == kOptionRunAsAdmin ? key : std::wstring();
}

// Past the unquoted end of a value, the next word must start an option this program reads: any other
// may be the rest of a folder with blanks left unquoted. A flag without a value ends nothing by itself
// ("Tolvan -runasadmin Copy\"), so the word after it is looked at too.
bool UnquotedValueRunsOn(const std::wstring& text, size_t valueEnd)
{
    size_t next = valueEnd == npos ? npos : text.find_first_not_of(L' ', valueEnd);
    while (next != npos) {
        const std::wstring key = KnownOptionAt(text, next);
        if (key.empty())
            return true;
        if (key == kOptionDir)
            return false;
        const size_t wordEnd = text.find(L' ', next);
        next = wordEnd == npos ? npos : text.find_first_not_of(L' ', wordEnd);
    }
    return false;
}

// One argument from `start` by the usual Windows rules: 2n backslashes before a quote give n and the
// quote opens or closes, 2n+1 give n and a literal quote, "" inside quotes gives a literal quote; a
// blank outside quotes ends the argument. `end` is where it ended; `unclosed` tells that a quote was
// still open there.
std::wstring ReadArgument(const std::wstring& text, size_t start, size_t& end, bool& unclosed)
{
    std::wstring argument;
    bool quoted = false;
    size_t at = start;
    while (at < text.size() && (quoted || text[at] != L' ')) {
        size_t backslashes = 0;
        while (at < text.size() && text[at] == L'\\') {
            ++backslashes;
            ++at;
        }
        if (at < text.size() && text[at] == L'"') {
            argument.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) {
                argument += L'"';
            } else if (quoted && at + 1 < text.size() && text[at + 1] == L'"') {
                argument += L'"';
                ++at;
            } else {
                quoted = !quoted;
            }
            ++at;
        } else {
            argument.append(backslashes, L'\\');
            if (at < text.size() && (quoted || text[at] != L' '))
                argument += text[at++];
        }
    }
    end = at;
    unclosed = quoted;
    return argument;
}

} // namespace

// The whole command line is scanned, program path included: a '-' or '/' in the path yields a key
// nobody asks for, which is harmless. Only U+0020 separates; tabs belong to keys and values.
void CommandLineParser::Parse(const std::wstring& commandLine)
{
    m_options.clear();
    m_inDoubt.clear();
    m_rawText = commandLine;
    const std::wstring& text = m_rawText;

    size_t position = 0;
    while (position < text.size()) {
        const size_t marker = text.find_first_of(L"-/", position);
        if (marker == npos || marker + 1 >= text.size())
            return;
        if (marker > 0 && OpensQuotedOption(text, marker - 1)) {
            position = ParseQuotedArgument(marker - 1);
            continue;
        }
        const size_t keyStart = marker + 1;
        const size_t keyEnd = text.find_first_of(L" :", keyStart);
        if (keyEnd == npos) {
            Insert(text.substr(keyStart), {}, false);
            return;
        }
        const std::wstring key = text.substr(keyStart, keyEnd - keyStart);
        if (text[keyEnd] == L' ' || keyEnd + 1 == text.size()) {
            Insert(key, {}, false);
            position = keyEnd + 1;
            continue;
        }

        size_t valueStart = keyEnd + 1;
        size_t valueEnd;
        bool quotedValue = text[valueStart] == L'"';
        if (quotedValue) {
            ++valueStart;
            valueEnd = text.find(L'"', valueStart);
        } else {
            valueEnd = text.find(L' ', valueStart);
        }
        // An unclosed quote takes the rest.
        const std::wstring value = text.substr(valueStart, valueEnd == npos ? npos : valueEnd - valueStart);
        bool inDoubt;
        if (quotedValue) {
            inDoubt = valueEnd != npos && valueEnd + 1 < text.size() && text[valueEnd + 1] != L' ';
        } else {
            // No folder name holds a quote or a tab: the usual argument rules would have read the
            // word otherwise (a quote around a part of it, a tab as a separator).
            inDoubt = value.find_first_of(L"\"\t") != npos || UnquotedValueRunsOn(text, valueEnd);
        }
        Insert(key, value, inDoubt);
        if (valueEnd == npos)
            return;
        position = valueEnd + 1;
    }
}

size_t CommandLineParser::ParseQuotedArgument(size_t quote)
{
    size_t end = quote;
    bool unclosed = false;
    const std::wstring argument = ReadArgument(m_rawText, quote, end, unclosed);
    // argument[0] is the marker.
    const size_t keyEnd = argument.find_first_of(L" :", 1);
    if (keyEnd == npos) {
        Insert(argument.substr(1), {}, false);
        return end;
    }
    const std::wstring key = argument.substr(1, keyEnd - 1);
    if (argument[keyEnd] == L' ') {
        Insert(key, {}, true);  // more than a key inside the quotes
        return end;
    }
    std::wstring value = argument.substr(keyEnd + 1);
    bool inDoubt = false;
    // The documented -key:"value" form, quoted once more as a whole by a script.
    if (!value.empty() && value.front() == L'"') {
        const size_t closing = value.find(L'"', 1);
        inDoubt = closing != npos && closing + 1 < value.size();
        value = value.substr(1, closing == npos ? npos : closing - 1);
    }
    // No folder or file name holds a quote: one here was escaped by a backslash meant for the path.
    inDoubt = inDoubt || value.find(L'"') != npos;
    // The closing quote is missing: the backslashes at the end may have been meant to come before it,
    // where they count by halves.
    inDoubt = inDoubt || (unclosed && !value.empty() && value.back() == L'\\');
    // The quotes closed before the argument's end ("-dir:"D:\My Games\"" as a script wrote it): its tail
    // was read unquoted, as a bare value is.
    inDoubt = inDoubt || (m_rawText[end - 1] != L'"' && UnquotedValueRunsOn(m_rawText, end));
    Insert(key, value, inDoubt);
    return end;
}

CommandLineParser::Options::const_iterator CommandLineParser::Find(const std::wstring& key) const
{
    return m_options.find(ToLowerCopy(key));
}

bool CommandLineParser::ValueInDoubt(const std::wstring& key) const
{
    return m_inDoubt.count(ToLowerCopy(key)) != 0;
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

void CommandLineParser::Insert(const std::wstring& key, const std::wstring& value, bool inDoubt)
{
    if (key.empty())
        return;
    const auto [entry, inserted] = m_options.emplace(ToLowerCopy(key), value);  // emplace keeps an existing entry
    // A later, different value leaves it open which one was meant; a later one in doubt is so itself.
    if (inDoubt || (!inserted && entry->second != value))
        m_inDoubt.insert(entry->first);
}
