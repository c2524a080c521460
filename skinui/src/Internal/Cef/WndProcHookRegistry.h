#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "Engine/CefBrowser.h"

namespace SkinUI {

// Ties browsers to the top-level window that shows them. The first browser registered for a window
// hooks the window's procedure: the window's plain close request then closes the browsers first
// (the web view posts the close again once the last one is gone), and showing or hiding the window
// shows or hides its browsers. The hook and the record go when the window is destroyed.
class WndProcHookRegistry {
public:
    static WndProcHookRegistry& GetInstance();

    void Add(CefRefPtr<CefBrowser> browser, HWND window);
    void Remove(CefRefPtr<CefBrowser> browser, HWND window);
    size_t BrowserCount(HWND window) const;
    // True while a close request of the window waits for its browsers to close, with the request to
    // post again once the last one is gone.
    bool GetCloseRequest(HWND window, WPARAM& wParam, LPARAM& lParam) const;
    // The same, and the request is settled: the caller posts it again now. A browser that arrives while
    // the request waits leaves it waiting.
    bool TakeCloseRequest(HWND window, WPARAM& wParam, LPARAM& lParam);
    void CloseAll(HWND window);
    void SetVisibility(HWND window, bool shown);
    // Whether the browser's view is seen: the window shown again shows only the browsers of views seen.
    void SetViewShown(CefRefPtr<CefBrowser> browser, bool shown);

private:
    using BrowserList = std::vector<CefRefPtr<CefBrowser>>;

    struct WindowRecord {
        HWND window = nullptr;
        BrowserList browsers;
        WNDPROC previousProc = nullptr;  // null while the window is not hooked
        uint32_t closeLParam = 0;
        uint32_t closeWParam = 0;
        bool interceptClose = true;
        bool closePending = false;
        bool visible = false;
    };

    WndProcHookRegistry() = default;

    static LRESULT CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool InterceptsClose(const WindowRecord& record, WPARAM wParam, LPARAM lParam) const;
    void OnVisibilityMessage(HWND window, bool shown);
    // Puts the window's previous procedure back. When somebody hooked the window after us we must
    // stay in the chain (passing messages on), and the answer is false.
    bool Unhook(WindowRecord& record);
    BrowserList BrowsersOf(HWND window) const;
    bool IsHiddenByView(CefBrowser& browser) const;

    mutable std::recursive_mutex m_lock;
    std::map<HWND, WindowRecord> m_records;
    std::set<int> m_hiddenByView;  // browser identifiers
};

}  // namespace SkinUI
