#pragma once

#include "CefBase.h"
#include "CefTypes.h"
#include "CefRequestContext.h"

class CefClient;
class CefBrowserHost;

class CefFrame : public virtual CefBase {
public:
    virtual void LoadURL(const CefString& url) = 0;
    virtual CefString GetURL() = 0;
    virtual bool IsMain() = 0;
};

class CefBrowser : public virtual CefBase {
public:
    virtual CefRefPtr<CefBrowserHost> GetHost() = 0;
    virtual CefRefPtr<CefFrame> GetMainFrame() = 0;
    virtual int GetIdentifier() = 0;
};

class CefBrowserHost : public virtual CefBase {
public:
    // Starts creating a browser and returns at once; the browser arrives later through the client's
    // life-span handler (OnAfterCreated) on the UI thread. False when the engine is not available.
    static bool CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefString& url,
                              const CefBrowserSettings& settings, CefRefPtr<CefRequestContext> requestContext);

    virtual void CloseBrowser(bool forceClose) = 0;
    // The browser's own window; the parent window when it renders without one.
    virtual HWND GetWindowHandle() = 0;
    virtual void WasResized() = 0;
    virtual void WasHidden(bool hidden) = 0;
    virtual void Invalidate(cef_paint_element_type_t type) = 0;
    virtual void SendKeyEvent(const CefKeyEvent& event) = 0;
    virtual void SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                                     int clickCount) = 0;
    virtual void SendMouseMoveEvent(const CefMouseEvent& event, bool mouseLeave) = 0;
    virtual void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) = 0;
    virtual void SendFocusEvent(bool setFocus) = 0;
    virtual void SendCaptureLostEvent() = 0;
    virtual void SetWindowlessFrameRate(int frameRate) = 0;
    virtual int GetWindowlessFrameRate() = 0;
};
