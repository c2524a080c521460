// The web view control: attributes, creation through the engine, off-screen painting into the
// framework's bitmap, the page's callbacks and closing together with its window.
#include <gtest/gtest.h>

#include "CefViewTestSupport.h"
#include "DebugOutputCapture.h"
#include "OpenGLProbe.h"
#include "Core/ControlFactory.h"

using namespace CefTest;
using SkinUI::CCefUI;
using SkinUI::CUIVariant;

namespace {

HWND FirstChildOfClass(HWND parent, const wchar_t* className) {
    return ::FindWindowExW(parent, nullptr, className, nullptr);
}

// Through the factory's own registration, as a skin's "Cef" element is built.
TEST(CefViewControl, IsMadeByTheFactoryUnderItsClassName) {
    SkinUI::CControlUI* control = SkinUI::CControlFactory::GetInstance()->CreateControl(L"CCefUI");
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->GetClass(), L"Cef");
    EXPECT_EQ(control->GetInterface(L"cef"), control);
    EXPECT_NE(control->GetInterface(L"Container"), nullptr);
    EXPECT_EQ(control->GetInterface(L"Button"), nullptr);
    delete control;
}

TEST_F(CefViewTest, OffscreenViewIsCreatedWithItsUrlAndPaintsIntoTheFrameworkBitmap) {
    ShowView(L"url=\"http://127.0.0.1/start\" cefbkcolor=\"FF336699\"");
    ASSERT_TRUE(arrived);
    EXPECT_TRUE(view->IsCreated());
    EXPECT_EQ(ViewJournal().find(L"Create(http://127.0.0.1/start);"), 0u) << ViewJournal();
    EXPECT_TRUE(JournalHas(L"Context(shared,handler);")) << "its own context over the global storage";
    EXPECT_TRUE(WaitForPixel(kViewLeft + 5, kViewTop + 5, 0xFF336699));
    EXPECT_EQ(FramePixel(kViewLeft + 249, kViewTop + 149), 0xFF336699u);
    // Around the view the container's own background stays.
    EXPECT_EQ(FramePixel(kViewLeft - 1, kViewTop + 5) & 0x00FFFFFF, 0x0000FF00u);
    EXPECT_EQ(FramePixel(kViewLeft + 250, kViewTop + 5) & 0x00FFFFFF, 0x0000FF00u);
    // The browser was asked for the view's full size.
    EXPECT_TRUE(WaitForJournal(L"Paint(250,150)"));
}

TEST_F(CefViewTest, TransparentBackgroundKeepsTheColourWithoutAlpha) {
    ShowView(L"transparent=\"TRUE\" cefbkcolor=\" #FF336699\"");
    ASSERT_TRUE(arrived);
    EXPECT_TRUE(WaitForPixel(kViewLeft + 5, kViewTop + 5, 0x00336699));
}

TEST_F(CefViewTest, BeforeTheFirstFrameNothingButTheBackgroundIsPainted) {
    view = new CCefUI();
    root = new SkinUI::CContainerUI();
    root->SetBkColor(0xFF00FF00);
    root->Add(view);
    host.manager.AttachRootControl(root);
    // The frame arrives only when the loop runs: the first paint finds no frame yet.
    ::UpdateWindow(host);
    EXPECT_EQ(FramePixel(5, 5) & 0x00FFFFFF, 0x0000FF00u);
}

// The stand-in refuses as an engine may (out of resources, say): nothing is made until it agrees.
TEST_F(CefViewTest, ARefusedCreationLeavesATraceAndIsTriedAgainAtTheNextPlacing) {
    RefuseCreations(1000);
    const size_t tracesBefore = DebugOutputCapture::LinesWith("refused to create a browser").size();
    ShowView(L"url=\"http://127.0.0.1/refused\"", false);
    EXPECT_FALSE(arrived);
    EXPECT_FALSE(view->IsCreated());
    EXPECT_EQ(NewestBrowserId(), firstBrowser - 1) << "the engine made no browser";
    const auto traces = DebugOutputCapture::LinesWith("refused to create a browser");
    ASSERT_GT(traces.size(), tracesBefore);
    EXPECT_NE(traces.back().find("http://127.0.0.1/refused"), std::string::npos) << traces.back();

    RefuseCreations(0);
    view->SetPos(view->GetPos());
    EXPECT_TRUE(view->IsCreated());
    EXPECT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 1; }));
    EXPECT_EQ(Journal(firstBrowser).find(L"Create(http://127.0.0.1/refused);"), 0u) << Journal(firstBrowser);
}

TEST_F(CefViewTest, ARefusedCreationIsTriedAgainWhenTheViewIsShown) {
    RefuseCreations(1000);
    ShowView(L"", false);
    EXPECT_FALSE(view->IsCreated());
    view->SetVisible(false);
    RefuseCreations(0);
    EXPECT_FALSE(view->IsCreated()) << "hiding tries nothing";
    view->SetVisible(true);
    EXPECT_TRUE(view->IsCreated());
    EXPECT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 1; }));
}

TEST_F(CefViewTest, ABrowserArrivingAfterItsWindowWentIsClosedAtOnce) {
    view = new CCefUI();
    root = new SkinUI::CContainerUI();
    root->Add(view);
    host.manager.AttachRootControl(root);
    const int id = NewestBrowserId();
    ::DestroyWindow(host);
    ASSERT_TRUE(PumpUntil([&] { return Journal(id).find(L"Closed;") != std::wstring::npos; })) << Journal(id);
    EXPECT_EQ(Journal(id).find(L"Create();"), 0u);
}

TEST_F(CefViewTest, UrlSetWhileTheBrowserIsOpenLoadsAtOnce) {
    ShowView(L"url=\"about:blank\"");
    ASSERT_TRUE(arrived);
    view->SetAttribute(L"URL", L"http://127.0.0.1/next");
    EXPECT_TRUE(JournalHas(L"LoadURL(http://127.0.0.1/next);")) << ViewJournal();
    EXPECT_EQ(view->GetUrl(), L"http://127.0.0.1/next");
}

TEST_F(CefViewTest, UrlSetWhileTheBrowserIsBeingCreatedLoadsWhenItArrives) {
    view = new CCefUI();
    view->SetAttribute(L"url", L"http://127.0.0.1/first");
    root = new SkinUI::CContainerUI();
    root->Add(view);
    host.manager.AttachRootControl(root);
    browserId = NewestBrowserId();
    view->SetAttribute(L"url", L"http://127.0.0.1/second");
    ASSERT_TRUE(WaitForJournal(L"LoadURL(http://127.0.0.1/second);")) << ViewJournal();
    EXPECT_EQ(ViewJournal().find(L"Create(http://127.0.0.1/first);"), 0u);
}

TEST_F(CefViewTest, ResourceResponsesReachTheirCallback) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    std::string url;
    int status = 0;
    view->SetResourceResponseCallback([&](const std::string& requestUrl, int statusCode) {
        url = requestUrl;
        status = statusCode;
    });
    Client()->GetRequestHandler()->OnResourceResponse(browser, browser->GetMainFrame(),
                                                      new Request(L"http://127.0.0.1/a.png"), new Response(404));
    EXPECT_EQ(url, "http://127.0.0.1/a.png");
    EXPECT_EQ(status, 404);
}

TEST_F(CefViewTest, FrameRateGoesToTheHostWhenItChanges) {
    ShowView(L"fps=\"24\"");
    ASSERT_TRUE(arrived);
    EXPECT_FALSE(JournalHas(L"FrameRate(")) << "the browser was created with that rate: " << ViewJournal();
    view->SetAttribute(L"fps", L"50");
    EXPECT_TRUE(JournalHas(L"FrameRate(50)"));
    const size_t before = ViewJournal().size();
    view->SetAttribute(L"fps", L"50");
    EXPECT_EQ(ViewJournal().size(), before) << "an unchanged rate is not sent again";
}

TEST_F(CefViewTest, WindowedViewGetsAChildWindowAtTheControlsPlace) {
    ShowView(L"osr=\"false\" opengl=\"true\" url=\"about:blank\"");
    ASSERT_TRUE(arrived);
    HWND child = FirstChildOfClass(host, L"CefStandInBrowserWindow");
    ASSERT_NE(child, nullptr) << "windowed mode, OpenGL had no effect";
    EXPECT_EQ(FirstChildOfClass(host, L"OSR"), nullptr);
    RECT rc = {};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, kViewLeft);
    EXPECT_EQ(rc.top, kViewTop);
    EXPECT_EQ(rc.right - rc.left, 250);
    EXPECT_EQ(rc.bottom - rc.top, 150);
    EXPECT_NE(::GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP, 0);

    ::SetWindowPos(host, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] {
        ::UpdateWindow(host);
        RECT now = {};
        ::GetWindowRect(child, &now);
        return now.right - now.left == 350;
    }));
    EXPECT_TRUE(JournalHas(L"WasResized"));
}

TEST_F(CefViewTest, ResizingTheOffscreenViewRepaintsAtTheNewSize) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    ::SetWindowPos(host, nullptr, 0, 0, 350, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(PumpUntil([&] {
        ::UpdateWindow(host);
        return JournalHas(L"WasResized;") && JournalHas(L"Paint(300,200)");
    })) << ViewJournal();
}

TEST_F(CefViewTest, HidingAndShowingTheControlHidesAndShowsTheBrowser) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    view->SetVisible(false);
    EXPECT_TRUE(JournalHas(L"Focus(0);WasHidden(1);")) << ViewJournal();
    view->SetVisible(true);
    EXPECT_TRUE(JournalHas(L"WasHidden(0);Focus(1);")) << ViewJournal();

    // Hidden while its browser is being made, the view gets it hidden.
    const int before = NewestBrowserId();
    auto* late = new CCefUI();
    root->Add(late);
    const int lateId = NewestBrowserId();
    ASSERT_GT(lateId, before) << "no browser is being made";
    late->SetVisible(false);
    ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 2; }));
    EXPECT_NE(Journal(lateId).find(L"WasHidden(1);"), std::wstring::npos) << Journal(lateId);
}

// A parent hiding the view hides its browser and the native window at its place (the browser's own
// when windowed), whatever the view's own flag says; both come back only when the view is seen again.
TEST_F(CefViewTest, AViewUnderAHiddenParentKeepsItsBrowserAndWindowHidden) {
    for (const wchar_t* attributes : {L"osr=\"false\"", L""}) {
        SCOPED_TRACE(testing::Message() << "attributes: " << attributes);
        ASSERT_TRUE(OpenHost());
        ShowView(attributes);
        ASSERT_TRUE(arrived);
        HWND child = FirstChildOfClass(host, L"CefStandInBrowserWindow");
        auto shownSince = [&](size_t from) {
            return ViewJournal().find(L"WasHidden(0)", from) != std::wstring::npos;
        };
        auto windowShown = [&] { return child && ::IsWindowVisible(child) != FALSE; };

        root->SetVisible(false);
        size_t hiddenAt = ViewJournal().size();
        EXPECT_FALSE(windowShown());
        view->SetVisible(false);
        view->SetVisible(true);
        EXPECT_FALSE(shownSince(hiddenAt)) << ViewJournal();
        EXPECT_FALSE(windowShown());
        root->SetVisible(true);
        EXPECT_TRUE(shownSince(hiddenAt)) << ViewJournal();
        EXPECT_EQ(windowShown(), child != nullptr);

        // Hidden by itself, the parent showing again leaves it hidden.
        view->SetVisible(false);
        hiddenAt = ViewJournal().size();
        root->SetVisible(false);
        root->SetVisible(true);
        EXPECT_FALSE(shownSince(hiddenAt)) << ViewJournal();
        EXPECT_FALSE(windowShown());
        view->SetVisible(true);
        EXPECT_TRUE(shownSince(hiddenAt)) << ViewJournal();
        EXPECT_EQ(windowShown(), child != nullptr);

        // A browser window made under the hidden parent is never seen before the view is.
        if (child) {
            root->SetVisible(false);
            auto* late = new CCefUI();
            late->SetAttribute(L"osr", L"false");
            root->Add(late);
            late->SetPos(RECT{kViewLeft, kViewTop + 20, kViewLeft + 100, kViewTop + 80});
            HWND lateChild = ::FindWindowExW(host, child, L"CefStandInBrowserWindow", nullptr);
            ASSERT_NE(lateChild, nullptr) << "no window was made for the view placed under the hidden parent";
            EXPECT_FALSE(::IsWindowVisible(lateChild));
            ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 2; }));
            EXPECT_FALSE(::IsWindowVisible(lateChild));
            root->SetVisible(true);
            EXPECT_TRUE(::IsWindowVisible(lateChild));
        }

        ::SendMessageW(host, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(host); }));
    }
}

// The window shown again shows the browsers of the views seen in it, not of one hidden meanwhile.
TEST_F(CefViewTest, AHiddenViewStaysHiddenWhenItsWindowIsShownAgain) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    view->SetVisible(false);
    ::ShowWindow(host, SW_HIDE);
    const size_t hiddenAt = ViewJournal().size();
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    EXPECT_EQ(ViewJournal().find(L"WasHidden(0)", hiddenAt), std::wstring::npos) << ViewJournal();
    view->SetVisible(true);
    EXPECT_NE(ViewJournal().find(L"WasHidden(0)", hiddenAt), std::wstring::npos) << ViewJournal();
    // Seen again, it follows its window once more.
    ::ShowWindow(host, SW_HIDE);
    const size_t windowHiddenAt = ViewJournal().size();
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    EXPECT_NE(ViewJournal().find(L"WasHidden(0)", windowHiddenAt), std::wstring::npos) << ViewJournal();
}

TEST_F(CefViewTest, ScriptCallsReachTheCallbackAsVariants) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    std::string function;
    std::vector<CUIVariant> arguments;
    int calls = 0;
    view->SetScriptCallCallback([&](const std::string& name, const std::vector<CUIVariant>& args) {
        function = name;
        arguments = args;
        ++calls;
    });
    // The engine hands on what the page's side sent.
    CefRefPtr<ProcessMessage> message(new ProcessMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG"));
    message->Arguments().Set(0, L"JSNotifyCppFunc").Set(1, L"onLogin").Set(2, true).Set(3, 42).Set(4, 2.5);
    message->Arguments().Set(5, L"\u4e2d\u6587").SetNull(6);
    EXPECT_TRUE(Client()->OnProcessMessageReceived(browser, PID_RENDERER, message));
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(function, "onLogin");
    ASSERT_EQ(arguments.size(), 5u);
    EXPECT_EQ(arguments[0].GetKind(), CUIVariant::Integer);
    EXPECT_EQ(arguments[0].GetInt(), 1);
    EXPECT_EQ(arguments[1].GetKind(), CUIVariant::Integer);
    EXPECT_EQ(arguments[1].GetInt(), 42);
    EXPECT_EQ(arguments[2].GetKind(), CUIVariant::Double);
    EXPECT_DOUBLE_EQ(arguments[2].GetDouble(), 2.5);
    EXPECT_EQ(arguments[3].GetKind(), CUIVariant::String);
    EXPECT_EQ(arguments[3].GetString(), "\xe4\xb8\xad\xe6\x96\x87");
    EXPECT_EQ(arguments[4].GetKind(), CUIVariant::None);

    // Only the function name: a call without arguments.
    CefRefPtr<ProcessMessage> bare(new ProcessMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG"));
    bare->Arguments().Set(0, L"JSNotifyCppFunc").Set(1, L"onClose");
    EXPECT_TRUE(Client()->OnProcessMessageReceived(browser, PID_RENDERER, bare));
    ASSERT_EQ(calls, 2);
    EXPECT_EQ(function, "onClose");
    EXPECT_TRUE(arguments.empty());

    // A callback that removes the view at once goes on whole: the view goes once the call has returned.
    root->SetDelayedDestroy(false);
    CefRefPtr<ProcessMessage> closing(new ProcessMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG"));
    closing->Arguments().Set(0, L"JSNotifyCppFunc").Set(1, L"onQuit");
    view->SetScriptCallCallback([&, container = root, removed = view](const std::string& name,
                                                                      const std::vector<CUIVariant>&) {
        function = name;
        if (++calls > 3) return;
        container->Remove(removed);
        // A call the page made before the browser closes reaches no callback of the removed view.
        Client()->OnProcessMessageReceived(browser, PID_RENDERER, closing);
    });
    EXPECT_TRUE(Client()->OnProcessMessageReceived(browser, PID_RENDERER, closing));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(function, "onQuit");
    EXPECT_TRUE(PumpUntil([&] { return JournalHas(L"CloseBrowser("); })) << "the removed view closes its browser";
}

TEST_F(CefViewTest, PageEventsReachTheirCallbacksInUtf8) {
    ShowView(L"url=\"http://127.0.0.1/page\"");
    ASSERT_TRUE(arrived);
    std::string failedUrl, errorText, terminatedUrl;
    bool mainFrame = false;
    int errorCode = 0, terminationStatus = -1;
    view->SetLoadErrorCallback([&](bool main, const std::string& url, int code, const std::string& text) {
        mainFrame = main;
        failedUrl = url;
        errorCode = code;
        errorText = text;
    });
    view->SetRenderProcessTerminatedCallback([&](const std::string& url, int status) {
        terminatedUrl = url;
        terminationStatus = status;
    });
    Client()->GetLoadHandler()->OnLoadError(browser, browser->GetMainFrame(), -105, L"\u00e9chec",
                                            L"http://127.0.0.1/missing");
    EXPECT_TRUE(mainFrame);
    EXPECT_EQ(failedUrl, "http://127.0.0.1/missing");
    EXPECT_EQ(errorCode, -105);
    EXPECT_EQ(errorText, "\xc3\xa9" "chec");
    Client()->GetRequestHandler()->OnRenderProcessTerminated(browser, TS_PROCESS_CRASHED);
    EXPECT_EQ(terminatedUrl, "http://127.0.0.1/page");
    EXPECT_EQ(terminationStatus, TS_PROCESS_CRASHED);
}

TEST_F(CefViewTest, PagesNeverShowAContextMenu) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    CefRefPtr<MenuModel> model(new MenuModel);
    Client()->GetContextMenuHandler()->OnBeforeContextMenu(browser, browser->GetMainFrame(), nullptr, model);
    EXPECT_EQ(model->items, 0);
}

TEST_F(CefViewTest, ClosingTheWindowClosesTheBrowserFirst) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    browser = nullptr;
    ::SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(host)) << "the window waits for its browser";
    EXPECT_TRUE(JournalHas(L"CloseBrowser(0);"));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(host); }));
    EXPECT_TRUE(JournalHas(L"Closed;"));
    EXPECT_TRUE(PumpUntil([] { return LiveBrowsers() == 0; }));
    EXPECT_EQ(host.finalMessages, 1);
}

// Moved to another window, off-screen or in a window of its own, the view's browser closes with that one;
// the first window may also end while the view is out of every window.
TEST_F(CefViewTest, AViewMovedToAnotherWindowKeepsItsBrowserWhenTheFirstCloses) {
    for (const bool closedBetween : {false, true})
    for (const wchar_t* attributes : {L"drag=\"true\"", L"osr=\"false\""}) {
        SCOPED_TRACE(testing::Message() << attributes << (closedBetween ? " closed between" : ""));
        const bool windowed = std::wstring(attributes).find(L"osr") != std::wstring::npos;
        ASSERT_TRUE(OpenHost());
        ShowView(attributes);
        ASSERT_TRUE(arrived);
        const CefDraggableRegion titleBar{CefRect{0, 0, 250, 30}, true};
        if (!windowed) Client()->GetDragHandler()->OnDraggableRegionsChanged(browser, {titleBar});
        DoubleClickHostWindow other;
        SkinUI::CContainerUI* const otherRoot = TakeViewOutBeside(other);
        ASSERT_NE(nullptr, otherRoot);
        const auto closeFirst = [&] {
            EXPECT_EQ(nullptr, ::GetPropW(host, L"CefPreWndProc")) << "the first window still drags for the page";
            ::SendMessageW(host, WM_CLOSE, 0, 0);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(host); })) << ViewJournal();
        };
        if (closedBetween) closeFirst();
        otherRoot->Add(view);
        ::ShowWindow(other, SW_SHOWNOACTIVATE);
        ::UpdateWindow(other);
        if (!closedBetween) closeFirst();
        EXPECT_FALSE(JournalHas(L"CloseBrowser")) << "the first window closed the moved view's browser";
        EXPECT_EQ(1u, Registry().BrowserCount(other));
        if (windowed) {
            HWND child = FirstChildOfClass(other, L"CefStandInBrowserWindow");
            EXPECT_NE(nullptr, child) << "the browser's window went with the first window";
        } else {
            ::SendMessageW(other, WM_RBUTTONDBLCLK, 0, MAKELPARAM(70, 30));
            EXPECT_TRUE(JournalHas(L"Click(70,30,2,0,")) << "a double click in its new window missed it";
            EXPECT_EQ(static_cast<HANDLE>(other), ::GetPropW(other, L"CefTopLevelHwnd"))
                << "its draggable regions stayed with the first window";
        }
        browser = nullptr;
        ::SendMessageW(other, WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(other); }));
        EXPECT_TRUE(JournalHas(L"CloseBrowser(0);")) << "the window showing it did not close it first";
        EXPECT_TRUE(PumpUntil([] { return LiveBrowsers() == 0; }));
    }
}

// Moved to another window, or out of every window and back, while its browser is still being made; the
// first window may close before the browser arrives.
TEST_F(CefViewTest, AViewMovedWhileItsBrowserIsBeingMadeGetsItInTheWindowShowingIt) {
    for (const bool firstClosedBeforeArrival : {false, true})
    for (const bool outOfEveryWindowMeanwhile : {false, true})
    for (const wchar_t* attributes : {L"osr=\"false\"", L"osr=\"true\""}) {
        SCOPED_TRACE(testing::Message() << attributes << (outOfEveryWindowMeanwhile ? " out of every window" : "")
                                        << (firstClosedBeforeArrival ? " first closed before arrival" : ""));
        const bool windowed = std::wstring(attributes).find(L"false") != std::wstring::npos;
        ASSERT_TRUE(OpenHost());
        view = new CCefUI();
        view->ApplyAttributeList(attributes);
        root = new SkinUI::CContainerUI();
        root->Add(view);
        const int before = NewestBrowserId();
        host.manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 300, 200});
        const int first = NewestBrowserId();
        ASSERT_GT(first, before) << "no browser is being made";
        ASSERT_EQ(0u, Registry().BrowserCount(host)) << "the browser came at once";
        DoubleClickHostWindow other;
        SkinUI::CContainerUI* const otherRoot = TakeViewOutBeside(other);
        ASSERT_NE(nullptr, otherRoot);
        if (outOfEveryWindowMeanwhile) {
            ASSERT_TRUE(PumpUntil([&] { return Journal(first).find(L"Closed;") != std::wstring::npos; }));
        }
        otherRoot->Add(view);
        if (firstClosedBeforeArrival) {
            ::SendMessageW(host, WM_CLOSE, 0, 0);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(host); }));
        }
        ::ShowWindow(other, SW_SHOWNOACTIVATE);
        ::UpdateWindow(other);
        ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(other) == 1; })) << Journal(first);
        ::SendMessageW(host, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(host); }));
        EXPECT_EQ(1u, Registry().BrowserCount(other)) << "the first window took the browser along";
        if (windowed) {
            HWND child = FirstChildOfClass(other, L"CefStandInBrowserWindow");
            ASSERT_NE(nullptr, child) << "the browser's window stayed in the first window";
            RECT rc = {};
            ::GetWindowRect(child, &rc);
            EXPECT_EQ(rc.right - rc.left, view->GetPos().right - view->GetPos().left);
        }
        ::SendMessageW(other, WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(other); }));
        EXPECT_TRUE(PumpUntil([] { return LiveBrowsers() == 0; }));
    }
}

// The window's close waits for the view's browser to close; before that ends the view is moved into a
// second window, or out of every window and into one later. The old browser closes for the first window,
// and the view gets a new one in the window that shows it.
TEST_F(CefViewTest, AViewMovedWhileItsBrowserClosesGetsANewOneInTheWindowShowingIt) {
    for (const bool outOfEveryWindowMeanwhile : {false, true})
    for (const wchar_t* attributes : {L"osr=\"true\"", L"osr=\"false\""}) {
        SCOPED_TRACE(testing::Message() << attributes << (outOfEveryWindowMeanwhile ? " out of every window" : ""));
        const bool windowed = std::wstring(attributes).find(L"false") != std::wstring::npos;
        ASSERT_TRUE(OpenHost());
        ShowView(attributes);
        ASSERT_TRUE(arrived);
        const int first = browserId;
        const auto firstClosed = [first] { return Journal(first).find(L"Closed;") != std::wstring::npos; };
        browser = nullptr;
        ::SendMessageW(host, WM_CLOSE, 0, 0);
        ASSERT_TRUE(::IsWindow(host)) << "the window waits for its browser";
        ASSERT_TRUE(JournalHas(L"CloseBrowser(0);"));
        DoubleClickHostWindow other;
        SkinUI::CContainerUI* const otherRoot = TakeViewOutBeside(other);
        ASSERT_NE(nullptr, otherRoot);
        if (outOfEveryWindowMeanwhile) {
            ASSERT_TRUE(PumpUntil([&] { return firstClosed() && !::IsWindow(host); }));
            EXPECT_FALSE(view->IsCreated()) << "without its browser the view still counts it as made";
        }
        otherRoot->Add(view);
        ::ShowWindow(other, SW_SHOWNOACTIVATE);
        ::UpdateWindow(other);
        ASSERT_TRUE(PumpUntil(firstClosed));
        ASSERT_TRUE(PumpUntil([&] { return NewestBrowserId() > first && Registry().BrowserCount(other) == 1; }))
            << "no new browser came";
        EXPECT_TRUE(view->IsCreated());
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(host); })) << "the first window stayed";
        if (windowed) {
            EXPECT_NE(nullptr, FirstChildOfClass(other, L"CefStandInBrowserWindow")) << "no page in the window";
        } else {
            EXPECT_TRUE(PumpUntil([&] { return Journal(NewestBrowserId()).find(L"Paint(") != std::wstring::npos; }));
        }
        ::SendMessageW(other, WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(other); }));
        EXPECT_TRUE(PumpUntil([] { return LiveBrowsers() == 0; }));
    }
}

TEST_F(CefViewTest, AViewDeletedBeforeItsWindowDoesNotKeepTheWindowOpen) {
    ShowView(L"");
    ASSERT_TRUE(arrived);
    browser = nullptr;
    host.manager.AttachRootControl(new SkinUI::CControlUI());  // the old tree goes with the next delayed work
    ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 0; }));
    EXPECT_TRUE(JournalHas(L"CloseBrowser(1);")) << ViewJournal();
    ::SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(host); }));
    EXPECT_TRUE(PumpUntil([] { return LiveBrowsers() == 0; }));
}

}  // namespace

namespace {

// Without OpenGL asked for, frames always take the GDI road: into the framework's own bitmap, with
// no window of their own.
TEST_F(CefViewTest, TheGdiPathPaintsFramesIntoTheFrameworkBitmap) {
    ShowView(L"opengl=\"false\" cefbkcolor=\"FF336699\"");
    ASSERT_TRUE(arrived);
    EXPECT_EQ(::FindWindowExW(host, nullptr, L"OSR", nullptr), nullptr);
    EXPECT_TRUE(WaitForPixel(kViewLeft + 5, kViewTop + 5, 0xFF336699));
    EXPECT_EQ(FramePixel(kViewLeft + 249, kViewTop + 149), 0xFF336699u);
    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kViewLeft + 7, kViewTop + 8));
    EXPECT_TRUE(JournalHas(L"Click(7,8,0,0,1,16);")) << ViewJournal();
}

// With OpenGL asked for, the path depends on the display alone, asked here without the web view:
// where it has OpenGL, frames go to a texture drawn in the view's own child window; where it has
// none, they fall back to GDI.
TEST_F(CefViewTest, TheOpenGlPathPaintsInItsOwnChildWindowWhereTheDisplayHasOpenGl) {
    const bool openGL = DisplayHasOpenGL();
    ShowView(L"opengl=\"true\" cefbkcolor=\"FF336699\"");
    ASSERT_TRUE(arrived);
    ASSERT_TRUE(WaitForJournal(L"Paint(250,150)")) << ViewJournal();
    HWND osr = ::FindWindowExW(host, nullptr, L"OSR", nullptr);
    if (!openGL) {
        EXPECT_EQ(osr, nullptr);
        EXPECT_TRUE(WaitForPixel(kViewLeft + 5, kViewTop + 5, 0xFF336699)) << "the GDI fallback";
        GTEST_SKIP() << "this display has no OpenGL: only the fallback to GDI was checked";
    }
    ASSERT_NE(osr, nullptr);
    RECT rc = {};
    ::GetWindowRect(osr, &rc);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, kViewLeft);
    EXPECT_EQ(rc.top, kViewTop);
    EXPECT_EQ(rc.right - rc.left, 250);
    EXPECT_EQ(rc.bottom - rc.top, 150);
    EXPECT_TRUE(PumpUntil([&] { return OpenGLPixel(osr, 5, 5) == 0x336699u; })) << std::hex << OpenGLPixel(osr, 5, 5);
    // The frames went to OpenGL, not into the framework's bitmap.
    ::UpdateWindow(host);
    EXPECT_NE(FramePixel(kViewLeft + 5, kViewTop + 5), 0xFF336699u);
    ::SendMessageW(osr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 8));
    EXPECT_TRUE(JournalHas(L"Click(7,8,0,0,1,16);")) << ViewJournal();
}

// The OpenGL window at the view's place is seen only while the view is, also when made under a hidden
// parent.
TEST_F(CefViewTest, TheOpenGlWindowIsSeenOnlyWhileTheViewIs) {
    if (!DisplayHasOpenGL()) GTEST_SKIP() << "this display has no OpenGL: the view paints through GDI";
    ShowView(L"opengl=\"true\"");
    ASSERT_TRUE(arrived);
    HWND osr = ::FindWindowExW(host, nullptr, L"OSR", nullptr);
    ASSERT_NE(osr, nullptr);
    EXPECT_TRUE(::IsWindowVisible(osr));
    root->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(osr));
    view->SetVisible(true);
    EXPECT_FALSE(::IsWindowVisible(osr)) << "the parent still hides it";

    auto* late = new CCefUI();
    late->SetAttribute(L"opengl", L"true");
    root->Add(late);
    late->SetPos(RECT{kViewLeft, kViewTop + 20, kViewLeft + 100, kViewTop + 80});
    HWND lateOsr = ::FindWindowExW(host, osr, L"OSR", nullptr);
    ASSERT_NE(lateOsr, nullptr) << "no window was made for the view placed under the hidden parent";
    EXPECT_FALSE(::IsWindowVisible(lateOsr));
    ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 2; }));
    EXPECT_FALSE(::IsWindowVisible(lateOsr));

    root->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(osr));
    EXPECT_TRUE(::IsWindowVisible(lateOsr));
    view->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(osr));
}

}  // namespace

namespace {

// In windowed mode the page's own windows (children of the browser's window) take the clicks.
TEST_F(CefViewTest, WindowedDraggableRegionsHookThePagesWindowsUntilTheBrowserCloses) {
    ShowView(L"osr=\"false\" drag=\"true\"");
    ASSERT_TRUE(arrived);
    HWND browserWindow = browser->GetHost()->GetWindowHandle();
    HWND page = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 250, 150, browserWindow, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(page, nullptr);
    Client()->GetDragHandler()->OnDraggableRegionsChanged(browser, {CefDraggableRegion{CefRect{0, 0, 250, 30}, true}});
    ASSERT_NE(::GetPropW(page, L"CefPreWndProc"), nullptr);
    EXPECT_EQ(::GetPropW(page, L"CefTopLevelHwnd"), static_cast<HANDLE>(host));
    // The layout moves the view, and the page's windows with it: the regions stay in the page's coordinates.
    root->SetInset(RECT{kViewLeft + 40, kViewTop + 20, 30, 40});
    ASSERT_TRUE(PumpUntil([&] {
        ::UpdateWindow(host);
        return view->GetPos().left == kViewLeft + 40;
    }));

    ::SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10));
    MSG drag = {};
    ASSERT_TRUE(::PeekMessageW(&drag, host, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(drag.wParam, static_cast<WPARAM>(HTCAPTION));
    // In the page's own coordinates, wherever the view lies in its window: its first pixel drags.
    ::SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
    EXPECT_TRUE(::PeekMessageW(&drag, host, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    ::SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    EXPECT_FALSE(::PeekMessageW(&drag, host, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));

    browser->GetHost()->CloseBrowser(true);
    ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 0; }));
    EXPECT_FALSE(::IsWindow(page)) << "the page went with the browser's window";
}

TEST_F(CefViewTest, OffscreenDraggableHookLeavesTheWindowWhenTheBrowserCloses) {
    ShowView(L"drag=\"true\"");
    ASSERT_TRUE(arrived);
    Client()->GetDragHandler()->OnDraggableRegionsChanged(browser, {CefDraggableRegion{CefRect{0, 0, 250, 30}, true}});
    ASSERT_NE(::GetPropW(host, L"CefPreWndProc"), nullptr);
    browser->GetHost()->CloseBrowser(true);
    ASSERT_TRUE(PumpUntil([&] { return Registry().BrowserCount(host) == 0; }));
    EXPECT_EQ(::GetPropW(host, L"CefPreWndProc"), nullptr);
    EXPECT_EQ(::GetPropW(host, L"CefDraggableRegion"), nullptr);
    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kViewLeft + 50, kViewTop + 5));
    MSG drag = {};
    EXPECT_FALSE(::PeekMessageW(&drag, host, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
}

TEST_F(CefViewTest, AWindowWithDraggableRegionsStillClosesAfterItsBrowser) {
    ShowView(L"drag=\"true\"");
    ASSERT_TRUE(arrived);
    Client()->GetDragHandler()->OnDraggableRegionsChanged(browser, {CefDraggableRegion{CefRect{0, 0, 250, 30}, true}});
    browser = nullptr;
    ::SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(host));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(host); }));
    EXPECT_TRUE(JournalHas(L"CloseBrowser(0);Closed;")) << ViewJournal();
}

}  // namespace

