#pragma once

#include <string>
#include <string_view>

// UTF-16 (wchar_t on Windows) <-> UTF-8. On other hosts wchar_t holds UTF-32 code points.
// Malformed input never fails: ill-formed UTF-8 sequences and unpaired surrogates become U+FFFD
// (one per maximal subpart here; Windows versions and Wine differ in the count), the rest converts
// normally. Embedded zero units are converted, not cut.
std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
