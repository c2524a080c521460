#pragma once

#include <string>

// What each stand-in browser was asked to do, kept past the browser's end so tests can read it.
void AppendToJournal(int browserId, const std::wstring& entry);
std::wstring ReadJournal(int browserId);
