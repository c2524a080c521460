// The stand-in engine keeps the promises the web view relies on: creation returns at once and the
// browser arrives later on the UI thread, windowless browsers paint through the render handler,
// windowed ones live in a child window, process messages come back, closing runs DoClose then
// OnBeforeClose and releases the browser.
#include <gtest/gtest.h>

#include "CefTestSupport.h"
#include "Internal/Cef/Engine/CefLibrary.h"
#include "Internal/Cef/RequestContextHandler.h"

using namespace CefTest;

namespace {

TEST(StandInEngine, IsLoadedFromTheProgramFolder) {
    EXPECT_TRUE(CefLibrary::Get().IsLoaded());
    EXPECT_NE(CefLibrary::Get().createBrowser, nullptr);
}

TEST(StandInEngine, BrowserArrivesLaterAndPaintsItsBackground) {
    TestWindow window;
    OffscreenBrowser offscreen(window.Handle(), nullptr, L"https://example.test/start");
    ASSERT_TRUE(offscreen.started);
    EXPECT_TRUE(offscreen.delegate.calls.empty()) << "creation must return before any callback";

    ASSERT_TRUE(PumpUntil([&] { return offscreen.delegate.Called(L"Paint:0:40x30"); }));
    ASSERT_TRUE(offscreen.delegate.browser);
    EXPECT_EQ(offscreen.delegate.calls.front(), L"AfterCreated");
    EXPECT_TRUE(offscreen.delegate.Called(L"LoadEnd:200"));
    ASSERT_EQ(offscreen.delegate.firstPaintPixels.size(), 40u * 30u);
    EXPECT_EQ(offscreen.delegate.firstPaintPixels.front(), 0xFF336699u);
    EXPECT_EQ(offscreen.delegate.firstPaintPixels.back(), 0xFF336699u);

    CefRefPtr<CefBrowserHost> host = offscreen.delegate.browser->GetHost();
    EXPECT_EQ(host->GetWindowHandle(), window.Handle()) << "a windowless browser answers its parent";
    EXPECT_EQ(offscreen.delegate.browser->GetMainFrame()->GetURL(), L"https://example.test/start");
}

TEST(StandInEngine, RecordsWhatTheHostIsAsked) {
    TestWindow window;
    OffscreenBrowser offscreen(window.Handle());
    ASSERT_TRUE(offscreen.WaitUntilCreated());
    CefRefPtr<CefBrowser> browser = offscreen.delegate.browser;
    CefRefPtr<CefBrowserHost> host = browser->GetHost();

    browser->GetMainFrame()->LoadURL(L"https://example.test/next");
    host->SetWindowlessFrameRate(24);
    host->WasHidden(true);
    host->SendFocusEvent(false);
    CefKeyEvent key;
    key.type = KEYEVENT_CHAR;
    key.windows_key_code = 'A';
    host->SendKeyEvent(key);
    host->SendMouseClickEvent(CefMouseEvent{3, 4, EVENTFLAG_SHIFT_DOWN}, MBT_RIGHT, false, 2);
    host->SendMouseWheelEvent(CefMouseEvent{5, 6, 0}, 0, 120);

    EXPECT_EQ(host->GetWindowlessFrameRate(), 24);
    EXPECT_EQ(browser->GetMainFrame()->GetURL(), L"https://example.test/next");
    const std::wstring journal = Journal(browser->GetIdentifier());
    EXPECT_NE(journal.find(L"LoadURL(https://example.test/next);FrameRate(24);WasHidden(1);Focus(0);"
                           L"Key(3,65,0,0,0);Click(3,4,2,0,2,2);Wheel(5,6,0,120,0);"),
              std::wstring::npos)
        << journal;
}

TEST(StandInEngine, WindowedBrowserLivesInAChildWindowUntilClosed) {
    TestWindow window;
    RecordingDelegate delegate;
    CefRefPtr<SkinUI::ClientHandlerOsr> handler(new SkinUI::ClientHandlerOsr(&delegate));
    CefWindowInfo windowInfo;
    windowInfo.SetAsChild(window.Handle(), RECT{5, 6, 105, 86});
    ASSERT_TRUE(CefBrowserHost::CreateBrowser(windowInfo, handler, L"about:blank", CefBrowserSettings(), nullptr));
    ASSERT_TRUE(PumpUntil([&] { return bool(delegate.browser); }));

    HWND child = delegate.browser->GetHost()->GetWindowHandle();
    ASSERT_TRUE(::IsWindow(child));
    EXPECT_EQ(::GetParent(child), window.Handle());
    RECT rect{};
    ::GetClientRect(child, &rect);
    EXPECT_EQ(rect.right, 100);
    EXPECT_EQ(rect.bottom, 80);
    EXPECT_FALSE(delegate.Called(L"Paint:0:40x30")) << "a windowed browser paints its own window";

    const int liveBefore = LiveBrowsers();
    delegate.browser->GetHost()->CloseBrowser(false);
    ASSERT_TRUE(PumpUntil([&] { return delegate.closed; }));
    EXPECT_FALSE(::IsWindow(child));
    const auto closing = std::find(delegate.calls.begin(), delegate.calls.end(), L"Closing");
    const auto beforeClose = std::find(delegate.calls.begin(), delegate.calls.end(), L"BeforeClose");
    EXPECT_TRUE(closing < beforeClose);
    EXPECT_EQ(LiveBrowsers(), liveBefore - 1) << "the closed browser must not be kept alive";
    handler->DetachDelegate();
}

TEST(StandInEngine, CreationWithoutClientOrWithABadParentFails) {
    CefWindowInfo windowInfo;
    windowInfo.SetAsWindowless(nullptr, false);
    EXPECT_FALSE(CefBrowserHost::CreateBrowser(windowInfo, nullptr, L"about:blank", CefBrowserSettings(), nullptr));

    RecordingDelegate delegate;
    CefRefPtr<SkinUI::ClientHandlerOsr> handler(new SkinUI::ClientHandlerOsr(&delegate));
    const int liveBefore = LiveBrowsers();
    CefWindowInfo childOfNothing;
    childOfNothing.SetAsChild(reinterpret_cast<HWND>(0x7FFF0), RECT{0, 0, 10, 10});
    EXPECT_FALSE(CefBrowserHost::CreateBrowser(childOfNothing, handler, L"", CefBrowserSettings(), nullptr));
    PumpPending();
    EXPECT_TRUE(delegate.calls.empty());
    EXPECT_EQ(LiveBrowsers(), liveBefore);
}

TEST(StandInEngine, RequestContextsShareTheGlobalOne) {
    CefRefPtr<CefRequestContext> global = CefRequestContext::GetGlobalContext();
    ASSERT_TRUE(global);
    EXPECT_EQ(global, CefRequestContext::GetGlobalContext());
    EXPECT_TRUE(CefRequestContext::CreateContext(global, new SkinUI::RequestContextHandler));
    EXPECT_FALSE(CefRequestContext::CreateContext(nullptr, new SkinUI::RequestContextHandler));
}

}  // namespace
