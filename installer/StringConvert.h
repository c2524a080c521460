#pragma once

#include <string>
#include <string_view>

// UTF-16 (wchar_t on Windows) <-> UTF-8. On other hosts wchar_t holds UTF-32 code points.
// Malformed input never fails: each ill-formed UTF-8 sequence (maximal subpart) and each unpaired
// surrogate becomes U+FFFD, the rest converts normally. Embedded zero units are converted, not cut.
std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
