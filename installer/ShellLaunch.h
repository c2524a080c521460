#pragma once

#include <windows.h>

#include <string>

// Starts a program with the "runas" verb (the elevation prompt) and does not wait for it.
// Returns FALSE when it could not be started, a refused prompt included; the last error says why.
// The system shows no error dialog of its own.
BOOL ShellExecuteRunAs(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory);
