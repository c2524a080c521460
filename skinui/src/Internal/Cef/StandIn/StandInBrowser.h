#pragma once

#include <atomic>

#include "../Engine/CefBrowser.h"
#include "../Engine/CefClient.h"
#include "../Engine/CefRequestContext.h"

// One stand-in browser: its host and its only frame are the same object. Windowed browsers get a
// plain child window; windowless ones paint their background colour through the render handler.
class StandInBrowser : public CefBrowser, public CefBrowserHost, public CefFrame {
public:
    StandInBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefString& url,
                   const CefBrowserSettings& settings, CefRefPtr<CefRequestContext> requestContext);
    ~StandInBrowser() override;

    // Creates the window (windowed mode) and posts the after-created callback.
    bool Start();
    static int LiveCount() { return s_liveCount.load(); }
    // For tests: a browser not yet destroyed, by identifier, and the identifier of the newest one.
    static CefRefPtr<StandInBrowser> Find(int id);
    static int NewestId();

    // CefBrowser
    CefRefPtr<CefBrowserHost> GetHost() override { return this; }
    CefRefPtr<CefFrame> GetMainFrame() override { return this; }
    int GetIdentifier() override { return m_id; }

    // CefFrame
    void LoadURL(const CefString& url) override;
    CefString GetURL() override { return m_url; }
    bool IsMain() override { return true; }

    // The client the browser calls back (null once closed), for tests that play the engine's part.
    CefRefPtr<CefClient> GetClient() const { return m_client; }

    // CefBrowserHost
    void CloseBrowser(bool forceClose) override;
    HWND GetWindowHandle() override { return m_window ? m_window : m_windowInfo.parent_window; }
    void WasResized() override;
    void WasHidden(bool hidden) override;
    void Invalidate(cef_paint_element_type_t type) override;
    void SendKeyEvent(const CefKeyEvent& event) override;
    void SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                             int clickCount) override;
    void SendMouseMoveEvent(const CefMouseEvent& event, bool mouseLeave) override;
    void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) override;
    void SendFocusEvent(bool setFocus) override;
    void SendCaptureLostEvent() override;
    void SetWindowlessFrameRate(int frameRate) override;
    int GetWindowlessFrameRate() override { return m_frameRate; }

private:
    void Record(const std::wstring& entry) const;
    // Runs |step| later on this thread while the browser is open; the browser stays alive until then.
    void Later(void (StandInBrowser::*step)());
    void Created();
    void Paint();
    void LoadEnded();
    void Close();

    static std::atomic<int> s_liveCount;

    const int m_id;
    CefWindowInfo m_windowInfo;
    CefRefPtr<CefClient> m_client;
    CefString m_url;
    CefRefPtr<CefRequestContext> m_requestContext;
    cef_color_t m_backgroundColor;
    int m_frameRate;
    HWND m_window = nullptr;
    bool m_closing = false;
    CefRefPtr<StandInBrowser> m_keepAlive;  // like the engine, an open browser lives until it is closed

    IMPLEMENT_REFCOUNTING(StandInBrowser);
};
