#pragma once

#include <cstdint>

#include "CefBase.h"
#include "CefTypes.h"

class CefClient;
class CefRequestContext;
class CefRequestContextHandler;

// The functions the browser engine library exports, looked up by these names. An object returned
// carries one reference for the caller; objects passed in are borrowed for the call.
extern "C" {
using cef_browser_host_create_browser_t = int (*)(const CefWindowInfo* windowInfo, CefClient* client,
                                                  const wchar_t* url, const CefBrowserSettings* settings,
                                                  CefRequestContext* requestContext);
using cef_request_context_get_global_context_t = CefRequestContext* (*)();
using create_context_shared_t = CefRequestContext* (*)(CefRequestContext* other, CefRequestContextHandler* handler);
using cef_log_t = void (*)(const char* file, int line, int severity, const char* message);
}

#define CEF_LIBRARY_FILE_NAME L"libcef.dll"

// The objects above cross the boundary as this program's own C++ classes, so only a library built
// against this very interface may be called. Such a library exports this record (plain data, read
// from the file before the library is loaded) under the name below; a library without it, or with
// another name or version, is never loaded. Any change to the classes that cross the boundary
// raises the version.
struct CefInterfaceIdentity {
    char name[28];
    uint32_t version;
};

#define CEF_INTERFACE_IDENTITY_EXPORT "skinui_cef_interface"
// Without this entry point a library can show no web page at all.
#define CEF_CREATE_BROWSER_EXPORT "cef_browser_host_create_browser"

inline constexpr CefInterfaceIdentity kCefInterfaceIdentity = {"SkinUI minimal CEF layer", 3};
