#pragma once

#include <windows.h>

#include "CefExports.h"

// The browser engine library, loaded on first use from the program's own folder and kept for the
// life of the process (objects it handed out may outlive any owner we could name). When it is
// missing every entry point is null.
class CefLibrary {
public:
    static const CefLibrary& Get();

    bool IsLoaded() const { return m_module != nullptr; }

    cef_browser_host_create_browser_t createBrowser = nullptr;
    cef_request_context_get_global_context_t getGlobalContext = nullptr;
    create_context_shared_t createContextShared = nullptr;
    cef_log_t log = nullptr;

private:
    CefLibrary();

    HMODULE m_module = nullptr;
};

// Writes through the engine's log; a fatal entry ends the process, with or without the engine.
void CefLog(const char* file, int line, cef_log_severity_t severity, const char* message);
