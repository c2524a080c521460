#pragma once

#include <windows.h>

#include <string>

#include "../Core/TestWindows.h"
#include "CefTestSupport.h"
#include "Control/UICef.h"
#include "Internal/Cef/WndProcHookRegistry.h"

namespace CefTest {

// A framework window that, like every skinned window, gets double clicks (CS_DBLCLKS).
class DoubleClickHostWindow : public SkinUI::Testing::HostWindow {
protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUICefTestHost"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
};

// A framework window whose root container holds one web view 20,10 from the top-left corner (view
// area 250 x 150), driven by the stand-in engine.
class CefViewTest : public SkinUI::Testing::WindowTest {
protected:
    static constexpr int kViewLeft = 20;
    static constexpr int kViewTop = 10;

    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(OpenHost()) << "no window: is an X display available?";
    }
    // Shows the test's window, again when a case closed it.
    bool OpenHost() {
        if (::IsWindow(host)) return true;
        if (!host.Create(nullptr, L"web view", WS_POPUP, 0, 40, 40, 300, 200)) return false;
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        return true;
    }
    // Opens `other` with an empty root of its own and takes the view out of the test's window; null
    // when no window could be made.
    SkinUI::CContainerUI* TakeViewOutBeside(DoubleClickHostWindow& other) {
        if (!other.Create(nullptr, L"other", WS_POPUP, 0, 60, 60, 300, 200)) return nullptr;
        auto* otherRoot = new SkinUI::CContainerUI();
        other.manager.AttachRootControl(otherRoot);
        root->SetAutoDestroy(false);
        root->Remove(view);
        return otherRoot;
    }
    void TearDown() override {
        browser = nullptr;
        if (::IsWindow(host)) {
            ::SendMessageW(host, WM_CLOSE, 0, 0);
            PumpUntil([this] { return !::IsWindow(host); });
        }
        PumpUntil([] { return LiveBrowsers() <= 0; });
    }

    // Builds the view from attributes, shows it and waits until its browser arrived (unless none
    // is expected).
    SkinUI::CCefUI* ShowView(const wchar_t* attributes, bool browserExpected = true) {
        view = new SkinUI::CCefUI();
        view->ApplyAttributeList(attributes);
        root = new SkinUI::CContainerUI();
        root->SetInset(RECT{kViewLeft, kViewTop, 30, 40});
        root->SetBkColor(0xFF00FF00);
        root->Add(view);
        firstBrowser = NewestBrowserId() + 1;
        host.manager.AttachRootControl(root);
        ::InvalidateRect(host, nullptr, FALSE);
        if (browserExpected) {
            arrived = PumpUntil([this] { return Registry().BrowserCount(host) == 1; });
        } else {
            ::UpdateWindow(host);
            PumpPending();
            arrived = Registry().BrowserCount(host) == 1;
        }
        browserId = NewestBrowserId();
        browser = BrowserById(browserId);
        return view;
    }

    static SkinUI::WndProcHookRegistry& Registry() { return SkinUI::WndProcHookRegistry::GetInstance(); }
    std::wstring ViewJournal() const { return Journal(browserId); }
    bool JournalHas(const std::wstring& entry) const { return ViewJournal().find(entry) != std::wstring::npos; }
    bool WaitForJournal(const std::wstring& entry) const {
        return PumpUntil([&] { return JournalHas(entry); });
    }
    // A pixel of the framework's own off-screen bitmap (0xAARRGGBB), in window coordinates.
    DWORD FramePixel(int x, int y) const {
        RECT client = {};
        ::GetClientRect(host, &client);
        const auto* bits = reinterpret_cast<const DWORD*>(host.manager.GetOffscreenBits());
        if (!bits) return 0xDEADBEEF;
        ::GdiFlush();
        return bits[(client.bottom - 1 - y) * client.right + x];
    }
    bool WaitForPixel(int x, int y, DWORD expected) const {
        return PumpUntil([&] {
            ::UpdateWindow(host);
            return FramePixel(x, y) == expected;
        });
    }
    CefRefPtr<CefClient> Client() const {
        return ClientOf(browserId);
    }

    DoubleClickHostWindow host;
    SkinUI::CContainerUI* root = nullptr;
    SkinUI::CCefUI* view = nullptr;
    CefRefPtr<CefBrowser> browser;
    int firstBrowser = 0;
    int browserId = 0;
    bool arrived = false;
};

}  // namespace CefTest
