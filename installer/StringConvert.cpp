#include "StringConvert.h"

#include <climits>

#ifdef _WIN32
#include <windows.h>

// Flags 0: the system replaces ill-formed input with U+FFFD instead of failing.
std::string WideToUtf8(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::wstring Utf8ToWide(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

#else

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || IsSurrogate(c))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

struct Utf8Lead {
    int length;                  // total bytes of the sequence, 0 for a byte that cannot start one
    unsigned char secondMin;     // the second byte's range excludes overlongs, surrogates and > U+10FFFF
    unsigned char secondMax;
};

Utf8Lead ClassifyLead(unsigned char b)
{
    if (b < 0x80) return {1, 0, 0};
    if (b < 0xC2) return {0, 0, 0};
    if (b < 0xE0) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b < 0xF0) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b < 0xF4) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

} // namespace

std::string WideToUtf8(std::wstring_view wide)
{
    std::string utf8;
    utf8.reserve(wide.size());
    for (wchar_t unit : wide)
        AppendUtf8(utf8, static_cast<char32_t>(unit));
    return utf8;
}

// An ill-formed sequence is replaced by one U+FFFD per maximal subpart (the Unicode recommendation,
// also what Windows does), so a truncated character costs one replacement and resynchronises.
std::wstring Utf8ToWide(std::string_view utf8)
{
    std::wstring wide;
    wide.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const Utf8Lead kind = ClassifyLead(lead);
        if (kind.length == 1) {
            wide += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        if (kind.length == 0) {
            wide += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        char32_t code = lead & (0xFF >> (kind.length + 1));
        size_t used = 1;
        for (; used < static_cast<size_t>(kind.length) && i + used < utf8.size(); ++used) {
            const auto next = static_cast<unsigned char>(utf8[i + used]);
            const unsigned char low = used == 1 ? kind.secondMin : 0x80;
            const unsigned char high = used == 1 ? kind.secondMax : 0xBF;
            if (next < low || next > high)
                break;
            code = (code << 6) | (next & 0x3F);
        }
        wide += static_cast<wchar_t>(used == static_cast<size_t>(kind.length) ? code : kReplacement);
        i += used;
    }
    return wide;
}

#endif
