#pragma once

#include <string>

// Drive number of a path that starts with a drive letter and ':' (A = 1 ... Z = 26), else -1.
int GetDriveNumber(const std::wstring& path);

// "C:\" for drive 3.
std::wstring GetDriveRoot(int drive);

// Free space available to this user on the drive, in MiB; 0 when the drive is unknown, empty or
// unreadable. Asks no questions: an empty removable drive gives 0 without a system dialog.
float GetDriveFreeSpaceMB(int drive);
