#include "ClientHandlerOsr.h"

#include <shlobj.h>

#include "Utils/ProcessUtils.h"

namespace SkinUI {

namespace {

const wchar_t kScriptCallMessage[] = L"RENDER_2_BROWSER_JS_CALL_CPP_MSG";
const wchar_t kScriptCallMarker[] = L"JSNotifyCppFunc";

std::string ToUtf8(const CefString& text) { return WideToMultiByte(text.c_str(), CP_UTF8); }

std::wstring DocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    return folder;
}

// The name a server suggests may carry folders; only its last part may land in the documents folder.
std::wstring FileNamePart(const CefString& suggestedName) {
    const size_t separator = suggestedName.find_last_of(L"\\/");
    return separator == CefString::npos ? suggestedName : suggestedName.substr(separator + 1);
}

}  // namespace

bool ClientHandlerOsr::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, cef_process_id_t,
                                                CefRefPtr<CefProcessMessage> message) {
    if (!message || message->GetName() != kScriptCallMessage) return false;
    CefRefPtr<CefListValue> arguments = message->GetArgumentList();
    if (arguments && arguments->GetSize() > 0 && arguments->GetType(0) == VTYPE_STRING &&
        arguments->GetString(0) == kScriptCallMarker && m_delegate)
        m_delegate->OnJSCall(browser, arguments);
    return true;
}

void ClientHandlerOsr::OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                           CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {
    if (m_delegate) m_delegate->OnBeforeContextMenu(browser, frame, params, model);
}

bool ClientHandlerOsr::OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) {
    if (m_delegate) m_delegate->OnTooltip(browser, text);
    return false;
}

void ClientHandlerOsr::OnBeforeDownload(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                                        const CefString& suggestedName, CefRefPtr<CefBeforeDownloadCallback> callback) {
    if (!callback) return;
    const std::wstring folder = DocumentsFolder();
    callback->Continue(folder.empty() ? CefString() : folder + L"\\" + FileNamePart(suggestedName), true);
}

void ClientHandlerOsr::OnDraggableRegionsChanged(CefRefPtr<CefBrowser> browser,
                                                 const std::vector<CefDraggableRegion>& regions) {
    if (m_delegate) m_delegate->OnDraggableRegionsChanged(browser, regions);
}

bool ClientHandlerOsr::OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                     const CefString& targetUrl) {
    // No popup browser ever: the page's new window opens in the frame that asked for it.
    if (m_delegate && m_delegate->AllowsPopupInSameFrame(browser, targetUrl) && !targetUrl.empty() && frame)
        frame->LoadURL(targetUrl);
    return true;
}

void ClientHandlerOsr::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
    if (m_delegate) {
        m_delegate->OnAfterCreated(browser);
        return;
    }
    // Its view went away while the browser was being created: nobody would ever close it.
    if (browser) {
        if (auto host = browser->GetHost()) host->CloseBrowser(true);
    }
}

bool ClientHandlerOsr::DoClose(CefRefPtr<CefBrowser> browser) {
    if (m_delegate) m_delegate->OnBrowserClosing(browser);
    return false;
}

void ClientHandlerOsr::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
    if (m_delegate) m_delegate->OnBeforeClose(browser);
}

void ClientHandlerOsr::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) {
    if (m_delegate) m_delegate->OnLoadEnd(browser, frame, httpStatusCode);
}

void ClientHandlerOsr::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_errorcode_t errorCode, const CefString& errorText, const CefString& failedUrl) {
    if (m_delegate) m_delegate->OnLoadError(browser, frame, errorCode, errorText, failedUrl);
}

bool ClientHandlerOsr::IsBlocked(const std::string& url) const {
    for (const std::string& blocked : m_blockList) {
        if (!blocked.empty() && url.compare(0, blocked.size(), blocked) == 0) return true;
    }
    return false;
}

bool ClientHandlerOsr::OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request,
                                      bool) {
    return request && IsBlocked(ToUtf8(request->GetURL()));
}

bool ClientHandlerOsr::OnResourceResponse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>,
                                          CefRefPtr<CefRequest> request, CefRefPtr<CefResponse> response) {
    if (m_delegate && request && response)
        m_delegate->OnResourceResponse(browser, ToUtf8(request->GetURL()), response->GetStatus());
    return false;
}

void ClientHandlerOsr::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, cef_termination_status_t status) {
    if (m_delegate) m_delegate->OnRenderProcessTerminated(browser, status);
}

bool ClientHandlerOsr::GetRootScreenRect(CefRefPtr<CefBrowser> browser, CefRect& rect) {
    return m_delegate && m_delegate->GetRootScreenRect(browser, rect);
}

bool ClientHandlerOsr::GetViewRect(CefRefPtr<CefBrowser> browser, CefRect& rect) {
    return m_delegate && m_delegate->GetViewRect(browser, rect);
}

bool ClientHandlerOsr::GetScreenPoint(CefRefPtr<CefBrowser> browser, int viewX, int viewY, int& screenX,
                                      int& screenY) {
    return m_delegate && m_delegate->GetScreenPoint(browser, viewX, viewY, screenX, screenY);
}

bool ClientHandlerOsr::GetScreenInfo(CefRefPtr<CefBrowser> browser, CefScreenInfo& screenInfo) {
    return m_delegate && m_delegate->GetScreenInfo(browser, screenInfo);
}

void ClientHandlerOsr::OnPopupShow(CefRefPtr<CefBrowser> browser, bool show) {
    if (m_delegate) m_delegate->OnPopupShow(browser, show);
}

void ClientHandlerOsr::OnPopupSize(CefRefPtr<CefBrowser> browser, const CefRect& rect) {
    if (m_delegate) m_delegate->OnPopupSize(browser, rect);
}

void ClientHandlerOsr::OnPaint(CefRefPtr<CefBrowser> browser, cef_paint_element_type_t type,
                               const std::vector<CefRect>& dirtyRects, const void* buffer, int width, int height) {
    if (m_delegate) m_delegate->OnPaint(browser, type, dirtyRects, buffer, width, height);
}

void ClientHandlerOsr::OnCursorChange(CefRefPtr<CefBrowser> browser, CefCursorHandle cursor) {
    if (m_delegate) m_delegate->OnCursorChange(browser, cursor);
}

}  // namespace SkinUI
