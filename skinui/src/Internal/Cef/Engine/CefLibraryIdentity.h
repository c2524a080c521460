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
    NoCreateBrowser,  // built for this interface, but cannot create a browser
};

CefLibraryVerdict CheckEngineLibraryFile(const std::wstring& path);

// An engine library file judged and then held open until it is loaded: shared for reading only, so
// that nobody can write, replace, rename or delete it between the check and the load.
class CheckedEngineLibrary {
public:
    explicit CheckedEngineLibrary(const std::wstring& path);
    ~CheckedEngineLibrary();
    CheckedEngineLibrary(const CheckedEngineLibrary&) = delete;
    CheckedEngineLibrary& operator=(const CheckedEngineLibrary&) = delete;

    CefLibraryVerdict Verdict() const { return m_verdict; }
    bool IsHeld() const { return m_file != INVALID_HANDLE_VALUE; }
    // Loads an accepted file and lets go of it. Null when refused or when the system failed to load
    // it; then |error| holds the system's error (ERROR_SUCCESS for a refused file).
    HMODULE Load(DWORD& error);

private:
    void Release();

    std::wstring m_path;
    HANDLE m_file;
    CefLibraryVerdict m_verdict = CefLibraryVerdict::NotALibrary;
};

// Whether a loaded module carries the expected record (the file could have changed since it was read).
bool ModuleCarriesInterfaceIdentity(HMODULE module);

const wchar_t* DescribeVerdict(CefLibraryVerdict verdict);
