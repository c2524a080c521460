#include "RequestContextHandler.h"

namespace SkinUI {

bool RequestContextHandler::OnBeforePluginLoad(const CefString& mimeType, const CefString&, const CefString&,
                                               CefRefPtr<CefWebPluginInfo>, cef_plugin_policy_t* pluginPolicy) {
    if (!pluginPolicy || *pluginPolicy == PLUGIN_POLICY_ALLOW || mimeType != L"application/pdf") return false;
    *pluginPolicy = PLUGIN_POLICY_ALLOW;
    return true;
}

}  // namespace SkinUI
