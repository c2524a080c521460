#pragma once

#include <vector>

#include "CefBrowser.h"
#include "CefHandlerArgs.h"
#include "CefValues.h"

// Handler interfaces the engine calls on its UI thread. Every operation has the engine's default
// answer, so a client overrides only what it cares about.

class CefContextMenuHandler : public virtual CefBase {
public:
    virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                                     CefRefPtr<CefMenuModel>) {}
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
    virtual void OnDraggableRegionsChanged(CefRefPtr<CefBrowser>, const std::vector<CefDraggableRegion>&) {}
};

class CefFocusHandler : public virtual CefBase {
public:
    // False lets the browser take the focus.
    virtual bool OnSetFocus(CefRefPtr<CefBrowser>) { return false; }
};

class CefKeyboardHandler : public virtual CefBase {
public:
    virtual bool OnKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent&) { return false; }
};

class CefLifeSpanHandler : public virtual CefBase {
public:
    // True cancels the popup browser.
    virtual bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString&) { return false; }
    virtual void OnAfterCreated(CefRefPtr<CefBrowser>) {}
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
