#pragma once

#include "CefBase.h"
#include "CefTypes.h"

class CefCookieManager : public virtual CefBase {};
class CefWebPluginInfo : public virtual CefBase {};

class CefRequestContextHandler : public virtual CefBase {
public:
    // Null: the default cookie manager.
    virtual CefRefPtr<CefCookieManager> GetCookieManager() { return nullptr; }
    // True when the handler set *pluginPolicy; false leaves the engine's own decision.
    virtual bool OnBeforePluginLoad(const CefString& mimeType, const CefString& pluginUrl,
                                    const CefString& topOriginUrl, CefRefPtr<CefWebPluginInfo> pluginInfo,
                                    cef_plugin_policy_t* pluginPolicy) {
        (void)mimeType, (void)pluginUrl, (void)topOriginUrl, (void)pluginInfo, (void)pluginPolicy;
        return false;
    }
};

// Where a browser keeps cookies and caches; the engine asks the context's handler about plugins.
class CefRequestContext : public virtual CefBase {
public:
    // Null when the engine is not available.
    static CefRefPtr<CefRequestContext> GetGlobalContext();
    // A new context sharing the storage of |other| and asking |handler|.
    static CefRefPtr<CefRequestContext> CreateContext(CefRefPtr<CefRequestContext> other,
                                                      CefRefPtr<CefRequestContextHandler> handler);
};
