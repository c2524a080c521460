#pragma once

#include <string>

// Creates every missing folder level of `path`. A level ends at a separator ('\' or '/'); text
// after the last separator is not created, so a folder path should end with one. The drive
// ("D:\") or the server and share ("\\srv\share\") are never created.
// On failure the last error says why: the system's code for a failed creation (ERROR_ACCESS_DENIED
// asks for elevation), ERROR_ALREADY_EXISTS when a level exists as a file.
bool MakeDirectoryTree(const std::wstring& path);
