#include "Utils/ProcessUtils.h"

#include "Utils/WideFormat.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace SkinUI {
namespace {
constexpr size_t kDebugTextCap = 64 * 1024;
}

std::wstring GetExeFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    ::PathRemoveFileSpecW(path);
    ::PathAddBackslashW(path);
    return path;
}

void DebugOutputFormat(const wchar_t* format, ...)
{
    if (!format) return;
    va_list args;
    va_start(args, format);
    const int length = MeasureWideFormat(format, args);
    if (length >= 0) {
        std::wstring text(std::min(static_cast<size_t>(length), kDebugTextCap - 1) + 1, L'\0');
        FormatWideInto(&text[0], text.size(), format, args);
        ::OutputDebugStringW(text.c_str());
    }
    va_end(args);
}

std::string WideToMultiByte(const wchar_t* text, unsigned codePage)
{
    if (!text) return {};
    const int size = ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text, -1, &result[0], size, nullptr, nullptr);
    result.resize(static_cast<size_t>(size) - 1);
    return result;
}

bool ContainsString(const std::vector<CUIString>& list, const wchar_t* text, bool ignoreCase)
{
    return std::any_of(list.begin(), list.end(), [&](const CUIString& item) {
        return ignoreCase ? item.CompareNoCase(text) == 0 : item == text;
    });
}

}  // namespace SkinUI
