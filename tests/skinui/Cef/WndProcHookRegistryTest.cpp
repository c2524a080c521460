// The hook registry on real windows: a window's plain close first closes its browsers and the
// window closes after the last one; other closes pass; showing and hiding reach each browser once;
// a destroyed window leaves no hook and no browser reference behind.
#include <gtest/gtest.h>

#include <memory>

#include "CefTestSupport.h"
#include "Internal/Cef/WndProcHookRegistry.h"

using namespace CefTest;
using SkinUI::WndProcHookRegistry;

namespace {

WndProcHookRegistry& Registry() { return WndProcHookRegistry::GetInstance(); }

WNDPROC CurrentProcedure(HWND window) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
}

class HookRegistryTest : public ::testing::Test {
protected:
    // Windowless browsers of |window| that register themselves with the registry when created.
    void OpenBrowsers(int count) {
        for (int i = 0; i < count; ++i)
            browsers.push_back(std::make_unique<OffscreenBrowser>(window.Handle(), window.Handle()));
        ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(window.Handle()) == browsers.size(); }));
    }
    int BrowserId(size_t index) const { return browsers[index]->delegate.browser->GetIdentifier(); }
    bool AllClosed() const {
        for (const auto& browser : browsers)
            if (!browser->delegate.closed) return false;
        return true;
    }

    TestWindow window;
    std::vector<std::unique_ptr<OffscreenBrowser>> browsers;
};

TEST_F(HookRegistryTest, FirstBrowserHooksTheWindowOnce) {
    ASSERT_EQ(CurrentProcedure(window.Handle()), window.OwnProcedure());
    OpenBrowsers(1);
    const WNDPROC hook = CurrentProcedure(window.Handle());
    EXPECT_NE(hook, window.OwnProcedure());
    OpenBrowsers(2);
    EXPECT_EQ(CurrentProcedure(window.Handle()), hook);
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 3u);
}

TEST_F(HookRegistryTest, PlainCloseClosesEveryBrowserFirstThenTheWindow) {
    OpenBrowsers(2);
    WPARAM wParam = 1;
    LPARAM lParam = 1;
    EXPECT_FALSE(Registry().GetCloseRequest(window.Handle(), wParam, lParam)) << "no close is pending yet";

    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(window.Handle())) << "the window waits for its browsers";
    EXPECT_EQ(window.CloseRequests(), 0);
    EXPECT_EQ(CurrentProcedure(window.Handle()), window.OwnProcedure());
    ASSERT_TRUE(Registry().GetCloseRequest(window.Handle(), wParam, lParam));
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 0);
    for (size_t i = 0; i < browsers.size(); ++i)
        EXPECT_NE(Journal(BrowserId(i)).find(L"CloseBrowser(0);"), std::wstring::npos);

    ASSERT_TRUE(PumpUntil([&] { return window.IsDestroyed(); }));
    EXPECT_TRUE(AllClosed());
    EXPECT_EQ(window.CloseRequests(), 1) << "the close posted after the last browser reaches the window";
}

TEST_F(HookRegistryTest, CloseWithOtherParametersIsNotIntercepted) {
    OpenBrowsers(1);
    ::SendMessageW(window.Handle(), WM_CLOSE, 1, 0);
    EXPECT_TRUE(window.IsDestroyed());
    EXPECT_EQ(window.CloseRequests(), 1);
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 0u);
}

TEST_F(HookRegistryTest, WindowWithoutBrowsersClosesAtOnce) {
    OpenBrowsers(1);
    browsers[0]->delegate.browser->GetHost()->CloseBrowser(false);
    ASSERT_TRUE(PumpUntil([&] { return AllClosed(); }));
    EXPECT_NE(CurrentProcedure(window.Handle()), window.OwnProcedure()) << "the hook stays";

    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(window.IsDestroyed()) << "nobody would post the close again";
}

TEST_F(HookRegistryTest, ShowingAndHidingReachEachBrowserOnce) {
    ::ShowWindow(window.Handle(), SW_SHOW);
    OpenBrowsers(2);
    ::ShowWindow(window.Handle(), SW_HIDE);
    ::SendMessageW(window.Handle(), WM_SHOWWINDOW, FALSE, 0);
    ::ShowWindow(window.Handle(), SW_SHOW);
    for (size_t i = 0; i < browsers.size(); ++i) {
        const std::wstring journal = Journal(BrowserId(i));
        const size_t hidden = journal.find(L"Focus(0);WasHidden(1);WasHidden(0);Focus(1);");
        EXPECT_NE(hidden, std::wstring::npos) << journal;
        EXPECT_EQ(journal.find(L"WasHidden(1)", hidden + 20), std::wstring::npos) << journal;
    }
}

TEST_F(HookRegistryTest, RemoveTakesOnlyThatBrowser) {
    OpenBrowsers(2);
    Registry().Remove(browsers[0]->delegate.browser, window.Handle());
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 1u);
    Registry().Remove(browsers[0]->delegate.browser, window.Handle());
    Registry().Remove(browsers[1]->delegate.browser, reinterpret_cast<HWND>(0x7FFF0));
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 1u);

    Registry().CloseAll(window.Handle());
    ASSERT_TRUE(PumpUntil([&] { return browsers[1]->delegate.closed; }));
    EXPECT_EQ(Journal(BrowserId(0)).find(L"CloseBrowser"), std::wstring::npos);
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 0u);
}

TEST_F(HookRegistryTest, DestroyedWindowLeavesNoHookAndNoReferences) {
    const int liveBefore = LiveBrowsers();
    OpenBrowsers(1);
    HWND handle = window.Handle();
    ::DestroyWindow(handle);
    EXPECT_EQ(Registry().BrowserCount(handle), 0u);
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    EXPECT_FALSE(Registry().GetCloseRequest(handle, wParam, lParam));

    browsers[0]->delegate.browser->GetHost()->CloseBrowser(true);
    ASSERT_TRUE(PumpUntil([&] { return AllClosed(); }));
    browsers.clear();
    PumpPending();
    EXPECT_EQ(LiveBrowsers(), liveBefore);
}

TEST_F(HookRegistryTest, WindowHookedAgainAfterAnInterceptedClose) {
    window.refuseClose = true;
    OpenBrowsers(1);
    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return window.CloseRequests() == 1; }));
    ASSERT_FALSE(window.IsDestroyed()) << "this window turned the close down";

    browsers.push_back(std::make_unique<OffscreenBrowser>(window.Handle(), window.Handle()));
    ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(window.Handle()) == 1; }));
    EXPECT_NE(CurrentProcedure(window.Handle()), window.OwnProcedure());
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    EXPECT_FALSE(Registry().GetCloseRequest(window.Handle(), wParam, lParam)) << "the old close is settled";

    window.refuseClose = false;
    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window.CloseRequests(), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.IsDestroyed(); }));
    EXPECT_TRUE(AllClosed());
}

// The user's first close must not be lost to a browser that arrives while the others still close.
TEST_F(HookRegistryTest, BrowserArrivingWhileACloseWaitsKeepsTheCloseWaiting) {
    OpenBrowsers(1);
    // Started now, delivered after the close below.
    browsers.push_back(std::make_unique<OffscreenBrowser>(window.Handle(), window.Handle()));
    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(window.IsDestroyed());
    EXPECT_TRUE(PumpUntil([&] { return window.IsDestroyed(); })) << "the user's close was lost";
    EXPECT_TRUE(AllClosed());
    EXPECT_EQ(window.CloseRequests(), 1);
}

WNDPROC g_procedureBelowOuterHook = nullptr;
int g_closesSeenByOuterHook = 0;

LRESULT CALLBACK OuterHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) ++g_closesSeenByOuterHook;
    return ::CallWindowProcW(g_procedureBelowOuterHook, window, message, wParam, lParam);
}

TEST_F(HookRegistryTest, HookInstalledAfterOursIsNeverCut) {
    OpenBrowsers(1);
    g_closesSeenByOuterHook = 0;
    g_procedureBelowOuterHook = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterHook)));

    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window.IsDestroyed());
    EXPECT_EQ(CurrentProcedure(window.Handle()), &OuterHook);
    ASSERT_TRUE(PumpUntil([&] { return window.IsDestroyed(); }));
    EXPECT_EQ(g_closesSeenByOuterHook, 2);
    EXPECT_EQ(window.CloseRequests(), 1) << "the window's own procedure still gets the final close";
}

TEST(HookRegistryNoWindow, InvalidWindowIsIgnored) {
    TestWindow window;
    OffscreenBrowser offscreen(window.Handle());
    ASSERT_TRUE(offscreen.WaitUntilCreated());
    HWND gone = reinterpret_cast<HWND>(0x7FFF0);
    Registry().Add(offscreen.delegate.browser, gone);
    Registry().Add(nullptr, window.Handle());
    EXPECT_EQ(Registry().BrowserCount(gone), 0u);
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 0u);
    Registry().CloseAll(gone);
    Registry().SetVisibility(gone, false);
}

// A browser that leaves the registry while it is being closed, as a synchronous engine would.
class SelfRemovingBrowser : public CefBrowser, public CefBrowserHost {
public:
    SelfRemovingBrowser(int id, HWND window) : m_id(id), m_window(window) {}
    int closeCalls = 0;

    CefRefPtr<CefBrowserHost> GetHost() override { return this; }
    CefRefPtr<CefFrame> GetMainFrame() override { return nullptr; }
    int GetIdentifier() override { return m_id; }
    void CloseBrowser(bool) override {
        ++closeCalls;
        Registry().Remove(this, m_window);
    }
    HWND GetWindowHandle() override { return nullptr; }
    void WasResized() override {}
    void WasHidden(bool) override { Registry().Remove(this, m_window); }
    void Invalidate(cef_paint_element_type_t) override {}
    void SendKeyEvent(const CefKeyEvent&) override {}
    void SendMouseClickEvent(const CefMouseEvent&, cef_mouse_button_type_t, bool, int) override {}
    void SendMouseMoveEvent(const CefMouseEvent&, bool) override {}
    void SendMouseWheelEvent(const CefMouseEvent&, int, int) override {}
    void SendFocusEvent(bool) override {}
    void SendCaptureLostEvent() override {}
    void SetWindowlessFrameRate(int) override {}
    int GetWindowlessFrameRate() override { return 30; }

private:
    const int m_id;
    const HWND m_window;
    IMPLEMENT_REFCOUNTING(SelfRemovingBrowser);
};

TEST(HookRegistryReentry, BrowsersMayLeaveTheRegistryWhileBeingCalled) {
    TestWindow window;
    CefRefPtr<SelfRemovingBrowser> first(new SelfRemovingBrowser(-1, window.Handle()));
    CefRefPtr<SelfRemovingBrowser> second(new SelfRemovingBrowser(-2, window.Handle()));
    Registry().Add(first, window.Handle());
    Registry().Add(second, window.Handle());

    Registry().CloseAll(window.Handle());
    EXPECT_EQ(first->closeCalls, 1);
    EXPECT_EQ(second->closeCalls, 1);
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 0u);

    Registry().Add(first, window.Handle());
    Registry().Add(second, window.Handle());
    ::SendMessageW(window.Handle(), WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(Registry().BrowserCount(window.Handle()), 0u);
    ::DestroyWindow(window.Handle());
    EXPECT_TRUE(first->HasOneRef());
    EXPECT_TRUE(second->HasOneRef());
}

}  // namespace
