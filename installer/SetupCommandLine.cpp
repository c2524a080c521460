#include "SetupCommandLine.h"

#include <windows.h>

std::wstring QuoteArgument(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t unit : argument) {
        if (unit == L'\\') {
            ++backslashes;
        } else {
            // Backslashes before a quote escape it; elsewhere they are literal.
            if (unit == L'"')
                quoted.append(backslashes + 1, L'\\');
            backslashes = 0;
        }
        quoted += unit;
    }
    quoted.append(backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring BuildSetupCommandLine(const std::wstring& setupPath, const std::wstring& installFolder)
{
    return QuoteArgument(setupPath) + L" /installdir " + QuoteArgument(installFolder);
}

bool SetupPathCanStart(const std::wstring& setupPath)
{
    // Asked for its size, the call counts the terminating null too.
    const DWORD needed = GetFullPathNameW(setupPath.c_str(), 0, nullptr, nullptr);
    return needed > 0 && needed <= MAX_PATH;
}

std::wstring WithTrailingSeparator(const std::wstring& folder)
{
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/')
        return folder;
    return folder + L'\\';
}
