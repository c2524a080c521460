#include "DriveSpace.h"

#include <windows.h>

int GetDriveNumber(const std::wstring& path)
{
    if (path.size() < 2 || path[1] != L':')
        return -1;
    const wchar_t letter = path[0];
    if (letter >= L'a' && letter <= L'z')
        return letter - L'a' + 1;
    if (letter >= L'A' && letter <= L'Z')
        return letter - L'A' + 1;
    return -1;
}

std::wstring GetDriveRoot(int drive)
{
    return {static_cast<wchar_t>(L'A' + drive - 1), L':', L'\\'};
}

// The root is queried directly: changing the current drive would disturb the other threads.
float GetDriveFreeSpaceMB(int drive)
{
    if (drive < 1 || drive > 26)
        return 0.0f;
    DWORD previousMode = 0;
    const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    ULARGE_INTEGER freeToCaller{};
    const BOOL ok = GetDiskFreeSpaceExW(GetDriveRoot(drive).c_str(), &freeToCaller, nullptr, nullptr);
    if (modeSet)
        SetThreadErrorMode(previousMode, nullptr);
    if (!ok)
        return 0.0f;
    return static_cast<float>(static_cast<double>(freeToCaller.QuadPart) / 1048576.0);
}
