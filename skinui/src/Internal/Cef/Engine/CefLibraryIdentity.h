#pragma once

#include <windows.h>

#include <string>

#include "CefExports.h"

// Whether a file is an engine library built for this program's interface, judged from the file
// alone: nothing of it is loaded or run.
enum class CefLibraryVerdict {
    Accepted,
    Missing,          // no such file
    NotALibrary,      // unreadable, not a library, or built for another processor
    NoIdentity,       // a library without the interface record: another engine or a stranger
    OtherInterface,   // the record names another interface or another version of ours
};

CefLibraryVerdict CheckEngineLibraryFile(const std::wstring& path);

// Whether a loaded module carries the expected record (the file could have changed since it was read).
bool ModuleCarriesInterfaceIdentity(HMODULE module);

const wchar_t* DescribeVerdict(CefLibraryVerdict verdict);
