// A library named like the engine and exporting its entry points, but not built for the program's
// interface: a stand-in for a real engine or for some other library of that name. None of its code
// may ever run; if anything calls it, the process ends at once and loudly. The unloadable one is
// built for the interface but refuses to start, as a library the system cannot load; the one without
// browser creation is built for the interface but lacks that entry point, so it could serve no page.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "Internal/Cef/Engine/CefExports.h"

#define DECOY_EXPORT extern "C" __declspec(dllexport)

namespace {

[[noreturn]] void Called(const char* what) {
    std::fprintf(stderr, "decoy engine library called: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace

#if defined(DECOY_UNLOADABLE) || defined(DECOY_NO_CREATE)
// Built for our interface exactly; the unloadable one's start-up refuses, so the system fails to load it.
DECOY_EXPORT const CefInterfaceIdentity skinui_cef_interface = kCefInterfaceIdentity;
#endif

#ifdef DECOY_NEXT_VERSION
// Our interface's name, but a version the program does not speak.
DECOY_EXPORT const CefInterfaceIdentity skinui_cef_interface = {"SkinUI minimal CEF layer",
                                                                kCefInterfaceIdentity.version + 1};
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
#ifdef DECOY_UNLOADABLE
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
#else
    if (reason == DLL_PROCESS_ATTACH) Called("DllMain");
    return TRUE;
#endif
}

#ifndef DECOY_NO_CREATE
DECOY_EXPORT int cef_browser_host_create_browser(const void*, void*, const void*, const void*, void*) {
    Called("cef_browser_host_create_browser");
}
#endif
DECOY_EXPORT void* cef_request_context_get_global_context() { Called("cef_request_context_get_global_context"); }
DECOY_EXPORT void* create_context_shared(void*, void*) { Called("create_context_shared"); }
DECOY_EXPORT void* cef_process_message_create(const void*) { Called("cef_process_message_create"); }
DECOY_EXPORT void cef_log(const char*, int, int, const char*) { Called("cef_log"); }
