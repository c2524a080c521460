#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <variant>
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
// The client a live stand-in browser calls back.
CefRefPtr<CefClient> ClientOf(int browserId);
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
    IMPLEMENT_REFCOUNTING(MenuModel);
};

// The typed argument list of a message from the page's side; setting past the end grows it with
// null entries.
class ListValue : public CefListValue {
public:
    size_t GetSize() override { return m_entries.size(); }
    cef_value_type_t GetType(size_t index) override;
    bool GetBool(size_t index) override { return Read<bool>(index); }
    int GetInt(size_t index) override { return Read<int>(index); }
    double GetDouble(size_t index) override { return Read<double>(index); }
    CefString GetString(size_t index) override { return Read<CefString>(index); }

    ListValue& SetNull(size_t index) { return Write(index, std::monostate{}); }
    ListValue& Set(size_t index, bool value) { return Write(index, value); }
    ListValue& Set(size_t index, int value) { return Write(index, value); }
    ListValue& Set(size_t index, double value) { return Write(index, value); }
    ListValue& Set(size_t index, const wchar_t* value) { return Write(index, CefString(value)); }

private:
    using Entry = std::variant<std::monostate, bool, int, double, CefString>;

    template <class T>
    T Read(size_t index) const {
        const T* value = index < m_entries.size() ? std::get_if<T>(&m_entries[index]) : nullptr;
        return value ? *value : T();
    }
    ListValue& Write(size_t index, Entry value);

    std::vector<Entry> m_entries;
    IMPLEMENT_REFCOUNTING(ListValue);
};

// A message from the page's side, as the engine hands it to the client.
class ProcessMessage : public CefProcessMessage {
public:
    explicit ProcessMessage(CefString name) : m_name(std::move(name)) {}
    CefString GetName() override { return m_name; }
    CefRefPtr<CefListValue> GetArgumentList() override { return m_arguments; }
    ListValue& Arguments() { return *m_arguments; }

private:
    const CefString m_name;
    CefRefPtr<ListValue> m_arguments = new ListValue;
    IMPLEMENT_REFCOUNTING(ProcessMessage);
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
