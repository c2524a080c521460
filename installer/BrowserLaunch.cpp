#include "BrowserLaunch.h"

#include <windows.h>
#include <shellapi.h>

bool OpenInBrowser(const std::wstring& url)
{
    const auto code = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr,
                                                              SW_SHOWNORMAL));
    return code > 32;
}
