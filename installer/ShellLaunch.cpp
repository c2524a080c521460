#include "ShellLaunch.h"

#include <shellapi.h>

// NOASYNC: the caller may close right after the call, before an asynchronous launch would finish.
BOOL ShellExecuteRunAs(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info);
}
