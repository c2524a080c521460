#pragma once

#include "Utils/UIString.h"

#include <string>
#include <vector>

namespace SkinUI {

// Folder of the running executable, with a trailing backslash.
std::wstring GetExeFolder();

// Formats and writes to the debugger; texts longer than 64 K units are cut there.
void DebugOutputFormat(const wchar_t* format, ...);

std::string WideToMultiByte(const wchar_t* text, unsigned codePage);

bool ContainsString(const std::vector<CUIString>& list, const wchar_t* text, bool ignoreCase);

}  // namespace SkinUI
