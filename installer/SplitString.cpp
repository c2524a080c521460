#include "SplitString.h"

std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter, bool keepEmpty)
{
    std::vector<std::string> pieces;
    auto append = [&](std::string piece) {
        if (keepEmpty || !piece.empty())
            pieces.push_back(std::move(piece));
    };
    if (delimiter.empty()) {
        append(text);
        return pieces;
    }
    size_t start = 0;
    for (size_t found = text.find(delimiter); found != std::string::npos; found = text.find(delimiter, start)) {
        append(text.substr(start, found - start));
        start = found + delimiter.size();
    }
    append(text.substr(start));
    return pieces;
}
