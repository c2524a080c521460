#include "SplitString.h"

namespace {

template <typename String>
std::vector<String> Split(const String& text, const String& delimiter, bool keepEmpty)
{
    std::vector<String> pieces;
    auto append = [&](String piece) {
        if (keepEmpty || !piece.empty())
            pieces.push_back(std::move(piece));
    };
    if (delimiter.empty()) {
        append(text);
        return pieces;
    }
    size_t start = 0;
    for (size_t found = text.find(delimiter); found != String::npos; found = text.find(delimiter, start)) {
        append(text.substr(start, found - start));
        start = found + delimiter.size();
    }
    append(text.substr(start));
    return pieces;
}

} // namespace

std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter, bool keepEmpty)
{
    return Split(text, delimiter, keepEmpty);
}

std::vector<std::wstring> SplitWide(const std::wstring& text, const std::wstring& delimiter)
{
    return Split(text, delimiter, true);
}
