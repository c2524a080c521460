#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Internal/Cef/ClientHandlerOsr.h"

namespace CefTest {

// What the stand-in engine recorded for a browser ("Entry(args);" items) and how many of its
// browsers are still alive.
std::wstring Journal(int browserId);
int LiveBrowsers();
// The newest stand-in browser (0 before the first) and a live one by identifier, for tests that play
// the engine's part towards its client.
int NewestBrowserId();
CefRefPtr<CefBrowser> BrowserById(int browserId);
// The engine refuses the next |count| browser creations.
void RefuseCreations(int count);

// Runs the thread's message loop until |done| holds (false if it never does within a generous bound).
bool PumpUntil(const std::function<bool()>& done);
// Runs the messages already queued (and the ones they post) until the queue is empty.
void PumpPending();

// A context menu of three items, as the engine hands one to the client before showing it.
class MenuModel : public CefMenuModel {
public:
    int items = 3;
    bool Clear() override {
        items = 0;
        return true;
    }
    int GetCount() override { return items; }
    IMPLEMENT_REFCOUNTING(MenuModel);
};

// A request and its response, as the engine reports them to the request handler.
class Request : public CefRequest {
public:
    explicit Request(CefString url) : m_url(std::move(url)) {}
    CefString GetURL() override { return m_url; }

private:
    CefString m_url;
    IMPLEMENT_REFCOUNTING(Request);
};

class Response : public CefResponse {
public:
    explicit Response(int status) : m_status(status) {}
    int GetStatus() override { return m_status; }

private:
    int m_status;
    IMPLEMENT_REFCOUNTING(Response);
};

// A plain top-level window that counts the close requests reaching its own procedure.
class TestWindow {
public:
    explicit TestWindow(bool visible = false);
    ~TestWindow();

    HWND Handle() const { return m_window; }
    bool IsDestroyed() const { return !::IsWindow(m_window); }
    int CloseRequests() const { return m_closeRequests; }
    WNDPROC OwnProcedure() const;
    // The window's own procedure then ignores close requests (it only counts them).
    bool refuseClose = false;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    int m_closeRequests = 0;
};

// Records every call of the client handler as a short text and keeps the browser, as the web view
// does; on close it leaves the hook registry and posts the window's deferred close after the last one.
class RecordingDelegate : public SkinUI::ClientHandlerOsr::OsrDelegate {
public:
    explicit RecordingDelegate(HWND topLevel = nullptr) : m_topLevel(topLevel) {}

    std::vector<std::wstring> calls;
    CefRefPtr<CefBrowser> browser;
    CefRefPtr<CefListValue> scriptArguments;
    std::string resourceUrl;
    int resourceStatus = 0;
    std::vector<uint32_t> firstPaintPixels;
    CefRect viewRect{0, 0, 40, 30};
    bool allowPopupInSameFrame = true;
    bool closed = false;

    bool Called(const std::wstring& call) const;

    void OnBrowserClosing(CefRefPtr<CefBrowser>) override;
    void OnTooltip(CefRefPtr<CefBrowser>, CefString& text) override;
    void OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, cef_errorcode_t, const CefString&,
                     const CefString&) override;
    void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int httpStatusCode) override;
    void OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                             CefRefPtr<CefMenuModel> model) override;
    void OnAfterCreated(CefRefPtr<CefBrowser> created) override;
    void OnBeforeClose(CefRefPtr<CefBrowser> closing) override;
    bool GetRootScreenRect(CefRefPtr<CefBrowser>, CefRect&) override { return false; }
    bool GetViewRect(CefRefPtr<CefBrowser>, CefRect& rect) override;
    bool GetScreenPoint(CefRefPtr<CefBrowser>, int, int, int&, int&) override { return false; }
    bool GetScreenInfo(CefRefPtr<CefBrowser>, CefScreenInfo&) override { return false; }
    void OnPopupShow(CefRefPtr<CefBrowser>, bool show) override;
    void OnPopupSize(CefRefPtr<CefBrowser>, const CefRect&) override {}
    void OnPaint(CefRefPtr<CefBrowser>, cef_paint_element_type_t type, const std::vector<CefRect>&,
                 const void* buffer, int width, int height) override;
    void OnCursorChange(CefRefPtr<CefBrowser>, CefCursorHandle) override {}
    void OnJSCall(CefRefPtr<CefBrowser>, CefRefPtr<CefListValue> arguments) override;
    bool AllowsPopupInSameFrame(CefRefPtr<CefBrowser>, const CefString&) override { return allowPopupInSameFrame; }
    void OnResourceResponse(CefRefPtr<CefBrowser>, const std::string& requestUrl, int statusCode) override;
    void OnRenderProcessTerminated(CefRefPtr<CefBrowser>, cef_termination_status_t status) override;
    void OnDraggableRegionsChanged(CefRefPtr<CefBrowser>, const std::vector<CefDraggableRegion>& regions) override;

private:
    HWND m_topLevel;
};

// A client handler with its delegate, and a windowless browser started for it.
struct OffscreenBrowser {
    explicit OffscreenBrowser(HWND parent, HWND topLevel = nullptr, const std::wstring& url = L"about:blank");
    ~OffscreenBrowser();

    // Pumps messages until the engine delivered the browser.
    bool WaitUntilCreated();

    RecordingDelegate delegate;
    CefRefPtr<SkinUI::ClientHandlerOsr> handler;
    bool started = false;
};

}  // namespace CefTest
