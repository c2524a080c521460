// The exported functions of the stand-in browser engine library.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "../Engine/CefExports.h"
#include "StandInBrowser.h"
#include "StandInJournal.h"
#include "StandInRequestContext.h"

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

// Built against the program's own interface, and says so.
STANDIN_EXPORT const CefInterfaceIdentity skinui_cef_interface = kCefInterfaceIdentity;

namespace {

std::atomic<int> g_refusals{0};

// Takes one of the refusals a test asked for, if any is left.
bool TakeRefusal() {
    int left = g_refusals.load();
    while (left > 0 && !g_refusals.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}

}  // namespace

STANDIN_EXPORT int cef_browser_host_create_browser(const CefWindowInfo* windowInfo, CefClient* client,
                                                   const wchar_t* url, const CefBrowserSettings* settings,
                                                   CefRequestContext* requestContext) {
    if (!windowInfo || !client || !settings || TakeRefusal()) return 0;
    CefRefPtr<StandInBrowser> browser(
        new StandInBrowser(*windowInfo, client, url ? url : L"", *settings, requestContext));
    return browser->Start() ? 1 : 0;
}

STANDIN_EXPORT CefRequestContext* cef_request_context_get_global_context() {
    return CefRefPtr<CefRequestContext>(GlobalRequestContext().get()).Detach();
}

STANDIN_EXPORT CefRequestContext* create_context_shared(CefRequestContext* other, CefRequestContextHandler* handler) {
    if (!other) return nullptr;
    return CefRefPtr<CefRequestContext>(new StandInRequestContext(other, handler, false)).Detach();
}

STANDIN_EXPORT void cef_log(const char* file, int line, int severity, const char* message) {
    std::fprintf(stderr, "[cef %d] %s(%d): %s\n", severity, file ? file : "", line, message ? message : "");
    std::fflush(stderr);
    if (severity >= LOGSEVERITY_FATAL) std::abort();
}

// For tests only: what the browser was asked to do, as "Entry(args);" items. Returns the full
// length; copies at most |capacity| - 1 characters and a terminator.
STANDIN_EXPORT int cef_standin_journal(int browserId, wchar_t* buffer, int capacity) {
    const std::wstring journal = ReadJournal(browserId);
    if (buffer && capacity > 0) {
        const size_t copied = std::min(journal.size(), static_cast<size_t>(capacity - 1));
        std::copy_n(journal.c_str(), copied, buffer);
        buffer[copied] = L'\0';
    }
    return static_cast<int>(journal.size());
}

// For tests only: the next |count| browser creations are refused, as an engine may refuse them.
STANDIN_EXPORT void cef_standin_refuse_creations(int count) { g_refusals = count; }

// For tests only: browsers not yet destroyed (a reference still held somewhere).
STANDIN_EXPORT int cef_standin_live_browsers() { return StandInBrowser::LiveCount(); }

// For tests only: the newest browser's identifier (0 before the first), and a browser by identifier
// (one reference for the caller; null once it is gone), so a test can play the engine's part.
STANDIN_EXPORT int cef_standin_newest_browser() { return StandInBrowser::NewestId(); }

STANDIN_EXPORT CefBrowser* cef_standin_browser(int browserId) {
    CefRefPtr<CefBrowser> browser(StandInBrowser::Find(browserId).get());
    return browser.Detach();
}

// For tests only: the client a live browser calls back (one reference for the caller; null once
// the browser is closed).
STANDIN_EXPORT CefClient* cef_standin_client(int browserId) {
    CefRefPtr<StandInBrowser> browser = StandInBrowser::Find(browserId);
    return browser ? browser->GetClient().Detach() : nullptr;
}
