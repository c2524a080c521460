#pragma once

#include <string>

// One argument quoted so that the Windows argument rules give it back exactly: a run of backslashes
// before the closing quote is doubled ("D:\Games\" would otherwise read as an escaped quote).
std::wstring QuoteArgument(const std::wstring& argument);

// "<setup>" /installdir "<folder>"
std::wstring BuildSetupCommandLine(const std::wstring& setupPath, const std::wstring& installFolder);

// Whether the system can start the program at `setupPath`: it starts none whose full path takes
// MAX_PATH units or more.
bool SetupPathCanStart(const std::wstring& setupPath);

// The folder with a trailing separator ('\' or '/'), adding '\' when it has none.
std::wstring WithTrailingSeparator(const std::wstring& folder);
