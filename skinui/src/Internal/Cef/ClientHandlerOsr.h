#pragma once

#include <string>
#include <vector>

#include "Engine/CefClient.h"

namespace SkinUI {

// The client the browser engine calls back for one web view browser. It answers what it can itself
// and hands everything that concerns the view to its delegate (the web view's worker).
class ClientHandlerOsr : public CefClient,
                         public CefContextMenuHandler,
                         public CefDisplayHandler,
                         public CefDownloadHandler,
                         public CefDragHandler,
                         public CefFocusHandler,
                         public CefKeyboardHandler,
                         public CefLifeSpanHandler,
                         public CefLoadHandler,
                         public CefRequestHandler,
                         public CefRenderHandler {
public:
    class OsrDelegate {
    public:
        virtual void OnBrowserClosing(CefRefPtr<CefBrowser> browser) = 0;
        virtual void OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) = 0;
        virtual void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, cef_errorcode_t errorCode,
                                 const CefString& errorText, const CefString& failedUrl) = 0;
        virtual void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) = 0;
        virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                         CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) = 0;
        virtual void OnAfterCreated(CefRefPtr<CefBrowser> browser) = 0;
        virtual void OnBeforeClose(CefRefPtr<CefBrowser> browser) = 0;
        virtual bool GetRootScreenRect(CefRefPtr<CefBrowser> browser, CefRect& rect) = 0;
        virtual bool GetViewRect(CefRefPtr<CefBrowser> browser, CefRect& rect) = 0;
        virtual bool GetScreenPoint(CefRefPtr<CefBrowser> browser, int viewX, int viewY, int& screenX,
                                    int& screenY) = 0;
        virtual bool GetScreenInfo(CefRefPtr<CefBrowser> browser, CefScreenInfo& screenInfo) = 0;
        virtual void OnPopupShow(CefRefPtr<CefBrowser> browser, bool show) = 0;
        virtual void OnPopupSize(CefRefPtr<CefBrowser> browser, const CefRect& rect) = 0;
        virtual void OnPaint(CefRefPtr<CefBrowser> browser, cef_paint_element_type_t type,
                             const std::vector<CefRect>& dirtyRects, const void* buffer, int width, int height) = 0;
        virtual void OnCursorChange(CefRefPtr<CefBrowser> browser, CefCursorHandle cursor) = 0;
        // A script call from the page: entry 1 names the function, entries 2 on are its arguments.
        virtual void OnJSCall(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> arguments) = 0;
        // Whether a page's new window may be shown in the requesting frame instead.
        virtual bool AllowsPopupInSameFrame(CefRefPtr<CefBrowser> browser, const CefString& targetUrl) = 0;
        virtual void OnResourceResponse(CefRefPtr<CefBrowser> browser, const std::string& requestUrl,
                                        int statusCode) = 0;
        virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, cef_termination_status_t status) = 0;
        virtual void OnDraggableRegionsChanged(CefRefPtr<CefBrowser> browser,
                                               const std::vector<CefDraggableRegion>& regions) = 0;
        virtual ~OsrDelegate() = default;
    };

    explicit ClientHandlerOsr(OsrDelegate* delegate) : m_delegate(delegate) {}

    // The delegate calls this when its browser is gone or when it goes itself; later callbacks then
    // do nothing, except that a browser arriving without a delegate is closed at once.
    void DetachDelegate() { m_delegate = nullptr; }
    // URLs starting with one of these (UTF-8) are not navigated to.
    void SetBlockList(const std::vector<std::string>& blockList) { m_blockList = blockList; }

    // CefClient
    CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }
    CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
    CefRefPtr<CefDownloadHandler> GetDownloadHandler() override { return this; }
    CefRefPtr<CefDragHandler> GetDragHandler() override { return this; }
    CefRefPtr<CefFocusHandler> GetFocusHandler() override { return this; }
    CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
    CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
    CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
    CefRefPtr<CefRenderHandler> GetRenderHandler() override { return this; }
    CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
    bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, cef_process_id_t sourceProcess,
                                  CefRefPtr<CefProcessMessage> message) override;

    // CefContextMenuHandler
    void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                             CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) override;

    // CefDisplayHandler
    bool OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) override;

    // CefDownloadHandler
    void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> item,
                          const CefString& suggestedName, CefRefPtr<CefBeforeDownloadCallback> callback) override;

    // CefDragHandler
    void OnDraggableRegionsChanged(CefRefPtr<CefBrowser> browser,
                                   const std::vector<CefDraggableRegion>& regions) override;

    // CefLifeSpanHandler
    bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& targetUrl) override;
    void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
    bool DoClose(CefRefPtr<CefBrowser> browser) override;
    void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

    // CefLoadHandler
    void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) override;
    void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, cef_errorcode_t errorCode,
                     const CefString& errorText, const CefString& failedUrl) override;

    // CefRequestHandler
    bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                        bool isRedirect) override;
    bool OnResourceResponse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                            CefRefPtr<CefResponse> response) override;
    void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, cef_termination_status_t status) override;

    // CefRenderHandler
    bool GetRootScreenRect(CefRefPtr<CefBrowser> browser, CefRect& rect) override;
    bool GetViewRect(CefRefPtr<CefBrowser> browser, CefRect& rect) override;
    bool GetScreenPoint(CefRefPtr<CefBrowser> browser, int viewX, int viewY, int& screenX, int& screenY) override;
    bool GetScreenInfo(CefRefPtr<CefBrowser> browser, CefScreenInfo& screenInfo) override;
    void OnPopupShow(CefRefPtr<CefBrowser> browser, bool show) override;
    void OnPopupSize(CefRefPtr<CefBrowser> browser, const CefRect& rect) override;
    void OnPaint(CefRefPtr<CefBrowser> browser, cef_paint_element_type_t type, const std::vector<CefRect>& dirtyRects,
                 const void* buffer, int width, int height) override;
    void OnCursorChange(CefRefPtr<CefBrowser> browser, CefCursorHandle cursor) override;

private:
    bool IsBlocked(const std::string& url) const;

    OsrDelegate* m_delegate;
    std::vector<std::string> m_blockList;

    IMPLEMENT_REFCOUNTING(ClientHandlerOsr);
};

}  // namespace SkinUI
