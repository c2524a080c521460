// The static entry points of the engine's objects, forwarded to the loaded library.
#include "CefBrowser.h"
#include "CefClient.h"
#include "CefLibrary.h"
#include "CefRequestContext.h"

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                                   const CefString& url, const CefBrowserSettings& settings,
                                   CefRefPtr<CefRequestContext> requestContext) {
    const CefLibrary& library = CefLibrary::Get();
    if (!library.createBrowser || !client) return false;
    return library.createBrowser(&windowInfo, client.get(), url.c_str(), &settings, requestContext.get()) != 0;
}

CefRefPtr<CefRequestContext> CefRequestContext::GetGlobalContext() {
    const CefLibrary& library = CefLibrary::Get();
    if (!library.getGlobalContext) return nullptr;
    return CefRefPtr<CefRequestContext>::Adopt(library.getGlobalContext());
}

CefRefPtr<CefRequestContext> CefRequestContext::CreateContext(CefRefPtr<CefRequestContext> other,
                                                              CefRefPtr<CefRequestContextHandler> handler) {
    const CefLibrary& library = CefLibrary::Get();
    if (!library.createContextShared || !other) return nullptr;
    return CefRefPtr<CefRequestContext>::Adopt(library.createContextShared(other.get(), handler.get()));
}
