#pragma once

#include <string>
#include <vector>

// Cuts `text` at every occurrence of `delimiter`. Empty pieces are kept only when asked for.
// An empty delimiter does not split: the whole text is the one piece.
std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter, bool keepEmpty);

// The same for wide text, empty pieces always kept.
std::vector<std::wstring> SplitWide(const std::wstring& text, const std::wstring& delimiter);
