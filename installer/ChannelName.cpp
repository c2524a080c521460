#include "ChannelName.h"

#include "SplitString.h"

#include <climits>
#include <cwchar>
#include <vector>

namespace {

// Leading blanks, a sign and digits; anything else ends the number. Out-of-range values saturate.
int ParseSubChannel(const std::wstring& text)
{
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

ChannelChoice ChannelFromFileName(const std::wstring& fileName)
{
    ChannelChoice choice;
    const size_t first = fileName.find(L'_');
    if (first == std::wstring::npos)
        return choice;
    const size_t second = fileName.find(L'_', first + 1);
    if (second == std::wstring::npos || second == first + 1)
        return choice;

    const std::vector<std::wstring> pieces = SplitWide(fileName.substr(first + 1, second - first - 1), L"-");
    choice.channel = pieces[0];
    if (pieces.size() >= 2)
        choice.subChannel = ParseSubChannel(pieces[1]);
    return choice;
}
