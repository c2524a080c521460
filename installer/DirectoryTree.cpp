#include "DirectoryTree.h"

#include <windows.h>

namespace {

bool IsSeparator(wchar_t unit) { return unit == L'\\' || unit == L'/'; }

// Index of the first unit after the root part that must never be created.
size_t SkipRoot(const std::wstring& path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t index = 2;
        for (int part = 0; part < 2 && index < path.size(); ++part) {  // server, then share
            while (index < path.size() && !IsSeparator(path[index]))
                ++index;
            if (index < path.size())
                ++index;
        }
        return index;
    }
    if (path.size() >= 2 && path[1] == L':')
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    return 0;
}

} // namespace

bool MakeDirectoryTree(const std::wstring& path)
{
    for (size_t index = SkipRoot(path); index < path.size(); ++index) {
        if (!IsSeparator(path[index]))
            continue;
        const std::wstring level = path.substr(0, index);
        const DWORD attributes = GetFileAttributesW(level.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return false;
        }
    }
    return true;
}
