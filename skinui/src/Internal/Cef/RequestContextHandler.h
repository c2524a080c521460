#pragma once

#include "Engine/CefRequestContext.h"

namespace SkinUI {

// Plugin decisions for the web view's request context: the PDF viewer always loads.
class RequestContextHandler : public CefRequestContextHandler {
public:
    bool OnBeforePluginLoad(const CefString& mimeType, const CefString& pluginUrl, const CefString& topOriginUrl,
                            CefRefPtr<CefWebPluginInfo> pluginInfo, cef_plugin_policy_t* pluginPolicy) override;

private:
    IMPLEMENT_REFCOUNTING(RequestContextHandler);
};

}  // namespace SkinUI
