#include "WndProcHookRegistry.h"

#include "CefUtil.h"

namespace SkinUI {

using Lock = std::lock_guard<std::recursive_mutex>;

WndProcHookRegistry& WndProcHookRegistry::GetInstance() {
    // Never destroyed: hooked windows may still receive messages while the process exits.
    static WndProcHookRegistry* const instance = new WndProcHookRegistry;
    return *instance;
}

void WndProcHookRegistry::Add(CefRefPtr<CefBrowser> browser, HWND window) {
    if (!browser || !::IsWindow(window)) return;
    bool closing = false;
    {
        Lock guard(m_lock);
        WindowRecord& record = m_records[window];
        record.window = window;
        record.browsers.push_back(browser);
        // A browser that arrives while the window's close waits for its browsers closes too; the close
        // goes on waiting, now for it as well.
        closing = record.closePending;
        if (!record.previousProc) {
            record.previousProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WndProcHookRegistry::HookProc)));
            record.visible = ::IsWindowVisible(window) != FALSE;
        }
    }
    if (closing) {
        if (auto host = browser->GetHost()) host->CloseBrowser(false);
    }
}

void WndProcHookRegistry::Remove(CefRefPtr<CefBrowser> browser, HWND window) {
    if (!browser) return;
    CefRefPtr<CefBrowser> removed;  // released after the lock
    Lock guard(m_lock);
    auto found = m_records.find(window);
    if (found == m_records.end()) return;
    BrowserList& browsers = found->second.browsers;
    for (auto entry = browsers.begin(); entry != browsers.end(); ++entry) {
        if ((*entry)->GetIdentifier() == browser->GetIdentifier()) {
            removed = std::move(*entry);
            browsers.erase(entry);
            break;
        }
    }
}

size_t WndProcHookRegistry::BrowserCount(HWND window) const {
    Lock guard(m_lock);
    auto found = m_records.find(window);
    return found == m_records.end() ? 0 : found->second.browsers.size();
}

bool WndProcHookRegistry::GetCloseRequest(HWND window, WPARAM& wParam, LPARAM& lParam) const {
    Lock guard(m_lock);
    auto found = m_records.find(window);
    if (found == m_records.end() || !found->second.closePending) return false;
    wParam = found->second.closeWParam;
    lParam = found->second.closeLParam;
    return true;
}

bool WndProcHookRegistry::TakeCloseRequest(HWND window, WPARAM& wParam, LPARAM& lParam) {
    Lock guard(m_lock);
    if (!GetCloseRequest(window, wParam, lParam)) return false;
    m_records[window].closePending = false;
    return true;
}

WndProcHookRegistry::BrowserList WndProcHookRegistry::BrowsersOf(HWND window) const {
    Lock guard(m_lock);
    auto found = m_records.find(window);
    return found == m_records.end() ? BrowserList() : found->second.browsers;
}

// The browsers are called on a copy of the list and without the lock, so they may call back into
// the registry (a browser closing removes itself).
void WndProcHookRegistry::CloseAll(HWND window) {
    for (const auto& browser : BrowsersOf(window)) {
        if (auto host = browser->GetHost()) host->CloseBrowser(false);
    }
}

void WndProcHookRegistry::SetVisibility(HWND window, bool shown) {
    for (const auto& browser : BrowsersOf(window)) {
        if (shown && IsHiddenByView(*browser)) continue;
        if (auto host = browser->GetHost()) SetHostVisible(*host, shown);
    }
}

void WndProcHookRegistry::SetViewShown(CefRefPtr<CefBrowser> browser, bool shown) {
    if (!browser) return;
    Lock guard(m_lock);
    if (shown) m_hiddenByView.erase(browser->GetIdentifier());
    else m_hiddenByView.insert(browser->GetIdentifier());
}

bool WndProcHookRegistry::IsHiddenByView(CefBrowser& browser) const {
    Lock guard(m_lock);
    return m_hiddenByView.count(browser.GetIdentifier()) != 0;
}

bool WndProcHookRegistry::Unhook(WindowRecord& record) {
    if (!record.previousProc) return true;
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(record.window, GWLP_WNDPROC));
    if (current != &WndProcHookRegistry::HookProc) return false;
    ::SetWindowLongPtrW(record.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.previousProc));
    record.previousProc = nullptr;
    return true;
}

bool WndProcHookRegistry::InterceptsClose(const WindowRecord& record, WPARAM wParam, LPARAM lParam) const {
    // Without browsers nobody would post the close again: the window must close at once.
    return record.interceptClose && !record.browsers.empty() && wParam == record.closeWParam &&
           static_cast<uint32_t>(lParam) == record.closeLParam;
}

void WndProcHookRegistry::OnVisibilityMessage(HWND window, bool shown) {
    {
        Lock guard(m_lock);
        auto found = m_records.find(window);
        if (found == m_records.end() || found->second.visible == shown) return;
        found->second.visible = shown;
    }
    SetVisibility(window, shown);
}

LRESULT CALLBACK WndProcHookRegistry::HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return GetInstance().HandleMessage(window, message, wParam, lParam);
}

LRESULT WndProcHookRegistry::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previousProc = nullptr;
    bool closeBrowsers = false;
    WindowRecord forgotten;  // the record of a window being destroyed, released after the lock
    {
        Lock guard(m_lock);
        auto found = m_records.find(window);
        if (found == m_records.end() || !found->second.previousProc)
            return ::DefWindowProcW(window, message, wParam, lParam);
        WindowRecord& record = found->second;
        previousProc = record.previousProc;
        if (message == WM_CLOSE && InterceptsClose(record, wParam, lParam)) {
            Unhook(record);
            record.closePending = true;
            closeBrowsers = true;
        } else if (message == WM_CLOSE) {
            record.closePending = false;  // this close goes on to the window
        } else if (message == WM_NCDESTROY) {
            Unhook(record);
            forgotten = std::move(record);
            m_records.erase(found);
        }
    }
    if (closeBrowsers) {
        CloseAll(window);
        return 0;
    }
    if (message == WM_SHOWWINDOW) OnVisibilityMessage(window, wParam == TRUE);
    return ::CallWindowProcW(previousProc, window, message, wParam, lParam);
}

}  // namespace SkinUI
