#pragma once

#include <vector>

#include "CefBrowser.h"
#include "CefHandlerArgs.h"
#include "CefValues.h"

// Handler interfaces the engine calls on its UI thread. Every operation has the engine's default
// answer, so a client overrides only what it cares about.
//
// Kept out of this minimal interface: notifications a client would only ignore (address, title,
// favicon, full-screen and status changes, download progress, focus given or taken back, loading
// state and load start, redirects, finished resources, external protocols, plugin crashes, render
// view ready, scroll offset, drag cursor, context menu dismissed) and the dialog, find, geolocation
// and script-dialog handlers: an engine built for this interface treats them as ignored and absent.

class CefContextMenuHandler : public virtual CefBase {
public:
    virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                                     CefRefPtr<CefMenuModel>) {}
    // False: the engine shows its own menu (of whatever items were left).
    virtual bool RunContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                                CefRefPtr<CefMenuModel>, CefRefPtr<CefRunContextMenuCallback>) {
        return false;
    }
    // False: the engine carries the chosen command out itself.
    virtual bool OnContextMenuCommand(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                                      int, uint32_t) {
        return false;
    }
};

class CefDisplayHandler : public virtual CefBase {
public:
    virtual bool OnTooltip(CefRefPtr<CefBrowser>, CefString&) { return false; }
    virtual bool OnConsoleMessage(CefRefPtr<CefBrowser>, const CefString&, const CefString&, int) { return false; }
};

class CefDownloadHandler : public virtual CefBase {
public:
    virtual void OnBeforeDownload(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>, const CefString&,
                                  CefRefPtr<CefBeforeDownloadCallback>) {}
};

class CefDragHandler : public virtual CefBase {
public:
    // False: the drop is allowed.
    virtual bool OnDragEnter(CefRefPtr<CefBrowser>, CefRefPtr<CefDragData>, cef_drag_operations_mask_t) {
        return false;
    }
    virtual void OnDraggableRegionsChanged(CefRefPtr<CefBrowser>, const std::vector<CefDraggableRegion>&) {}
};

class CefFocusHandler : public virtual CefBase {
public:
    // False lets the browser take the focus.
    virtual bool OnSetFocus(CefRefPtr<CefBrowser>) { return false; }
};

class CefKeyboardHandler : public virtual CefBase {
public:
    // False: the key goes to the page; the client may flag it as a shortcut.
    virtual bool OnPreKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent&, bool*) { return false; }
    virtual bool OnKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent&) { return false; }
};

class CefLifeSpanHandler : public virtual CefBase {
public:
    // True cancels the popup browser.
    virtual bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString&) { return false; }
    virtual void OnAfterCreated(CefRefPtr<CefBrowser>) {}
    // False: the engine runs no modal loop of its own for the browser.
    virtual bool RunModal(CefRefPtr<CefBrowser>) { return false; }
    // False lets the browser close normally.
    virtual bool DoClose(CefRefPtr<CefBrowser>) { return false; }
    virtual void OnBeforeClose(CefRefPtr<CefBrowser>) {}
};

class CefLoadHandler : public virtual CefBase {
public:
    virtual void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int) {}
    virtual void OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, cef_errorcode_t, const CefString&,
                             const CefString&) {}
};

class CefRequestHandler : public virtual CefBase {
public:
    // True cancels the navigation.
    virtual bool OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest>, bool) {
        return false;
    }
    // False: a link opened in another tab or window is handled as the engine sees fit.
    virtual bool OnOpenURLFromTab(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString&,
                                  cef_window_open_disposition_t, bool) {
        return false;
    }
    virtual cef_return_value_t OnBeforeResourceLoad(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest>,
                                                    CefRefPtr<CefRequestCallback>) {
        return RV_CONTINUE;
    }
    // Null: the engine loads the resource itself, unfiltered.
    virtual CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                             CefRefPtr<CefRequest>) {
        return nullptr;
    }
    virtual CefRefPtr<CefResponseFilter> GetResourceResponseFilter(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                                   CefRefPtr<CefRequest>, CefRefPtr<CefResponse>) {
        return nullptr;
    }
    // False to each: the login is cancelled, the storage refused, the request with a bad certificate
    // cancelled.
    virtual bool GetAuthCredentials(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, bool, const CefString&, int,
                                    const CefString&, const CefString&, CefRefPtr<CefAuthCallback>) {
        return false;
    }
    virtual bool OnQuotaRequest(CefRefPtr<CefBrowser>, const CefString&, int64_t, CefRefPtr<CefRequestCallback>) {
        return false;
    }
    virtual bool OnCertificateError(CefRefPtr<CefBrowser>, cef_errorcode_t, const CefString&, CefRefPtr<CefSSLInfo>,
                                    CefRefPtr<CefRequestCallback>) {
        return false;
    }
    // True restarts the request.
    virtual bool OnResourceResponse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest>,
                                    CefRefPtr<CefResponse>) {
        return false;
    }
    virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser>, cef_termination_status_t) {}
};

class CefRenderHandler : public virtual CefBase {
public:
    virtual bool GetRootScreenRect(CefRefPtr<CefBrowser>, CefRect&) { return false; }
    virtual bool GetViewRect(CefRefPtr<CefBrowser>, CefRect&) { return false; }
    virtual bool GetScreenPoint(CefRefPtr<CefBrowser>, int, int, int&, int&) { return false; }
    virtual bool GetScreenInfo(CefRefPtr<CefBrowser>, CefScreenInfo&) { return false; }
    virtual void OnPopupShow(CefRefPtr<CefBrowser>, bool) {}
    virtual void OnPopupSize(CefRefPtr<CefBrowser>, const CefRect&) {}
    // |buffer| holds width * height BGRA pixels, rows top-down.
    virtual void OnPaint(CefRefPtr<CefBrowser>, cef_paint_element_type_t, const std::vector<CefRect>&,
                         const void*, int, int) {}
    virtual void OnCursorChange(CefRefPtr<CefBrowser>, CefCursorHandle) {}
    // False: the drag the page started is cancelled.
    virtual bool StartDragging(CefRefPtr<CefBrowser>, CefRefPtr<CefDragData>, cef_drag_operations_mask_t, int, int) {
        return false;
    }
};

class CefClient : public virtual CefBase {
public:
    virtual CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() { return nullptr; }
    virtual CefRefPtr<CefDisplayHandler> GetDisplayHandler() { return nullptr; }
    virtual CefRefPtr<CefDownloadHandler> GetDownloadHandler() { return nullptr; }
    virtual CefRefPtr<CefDragHandler> GetDragHandler() { return nullptr; }
    virtual CefRefPtr<CefFocusHandler> GetFocusHandler() { return nullptr; }
    virtual CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() { return nullptr; }
    virtual CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() { return nullptr; }
    virtual CefRefPtr<CefLoadHandler> GetLoadHandler() { return nullptr; }
    virtual CefRefPtr<CefRenderHandler> GetRenderHandler() { return nullptr; }
    virtual CefRefPtr<CefRequestHandler> GetRequestHandler() { return nullptr; }
    // True when the message was handled.
    virtual bool OnProcessMessageReceived(CefRefPtr<CefBrowser>, cef_process_id_t, CefRefPtr<CefProcessMessage>) {
        return false;
    }
};
