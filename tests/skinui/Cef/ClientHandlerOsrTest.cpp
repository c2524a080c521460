// The client handler answers the engine's callbacks itself where it decides, and hands the rest to
// its delegate only while one is set.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "CefTestSupport.h"
#include "Internal/Cef/RequestContextHandler.h"

using namespace CefTest;
using SkinUI::ClientHandlerOsr;

namespace {

class DownloadCallback : public CefBeforeDownloadCallback {
public:
    CefString path;
    bool showDialog = false;
    int calls = 0;
    void Continue(const CefString& downloadPath, bool show) override {
        path = downloadPath;
        showDialog = show;
        ++calls;
    }
    IMPLEMENT_REFCOUNTING(DownloadCallback);
};

CefRefPtr<CefProcessMessage> ScriptMessage(const CefString& name, const CefString& marker) {
    CefRefPtr<ProcessMessage> message(new ProcessMessage(name));
    message->Arguments().Set(0, marker.c_str()).Set(1, L"onLogin");
    return message;
}

class ClientHandlerOsrTest : public ::testing::Test {
protected:
    RecordingDelegate delegate;
    CefRefPtr<ClientHandlerOsr> handler{new ClientHandlerOsr(&delegate)};
};

TEST_F(ClientHandlerOsrTest, ServesEveryHandlerItselfWithOneReferenceCount) {
    EXPECT_EQ(static_cast<void*>(handler->GetLifeSpanHandler().get()),
              static_cast<void*>(static_cast<CefLifeSpanHandler*>(handler.get())));
    EXPECT_TRUE(handler->GetContextMenuHandler() && handler->GetDisplayHandler() && handler->GetDownloadHandler() &&
                handler->GetDragHandler() && handler->GetFocusHandler() && handler->GetKeyboardHandler() &&
                handler->GetLoadHandler() && handler->GetRenderHandler() && handler->GetRequestHandler());
    CefRefPtr<CefRenderHandler> render = handler->GetRenderHandler();
    EXPECT_FALSE(handler->HasOneRef());
    render = nullptr;
    EXPECT_TRUE(handler->HasOneRef());
}

TEST_F(ClientHandlerOsrTest, ScriptCallsReachTheDelegateOnlyWithNameAndMarker) {
    EXPECT_TRUE(handler->OnProcessMessageReceived(
        nullptr, PID_RENDERER, ScriptMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG", L"JSNotifyCppFunc")));
    ASSERT_TRUE(delegate.Called(L"JSCall"));
    EXPECT_EQ(delegate.scriptArguments->GetString(1), L"onLogin");
    delegate.calls.clear();

    EXPECT_FALSE(handler->OnProcessMessageReceived(nullptr, PID_RENDERER,
                                                   ScriptMessage(L"OTHER_MSG", L"JSNotifyCppFunc")));
    EXPECT_TRUE(handler->OnProcessMessageReceived(
        nullptr, PID_RENDERER, ScriptMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG", L"SomethingElse")));
    EXPECT_TRUE(handler->OnProcessMessageReceived(nullptr, PID_RENDERER,
                                                  new ProcessMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG")));
    CefRefPtr<ProcessMessage> markerNotAString(new ProcessMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG"));
    markerNotAString->Arguments().Set(0, 7);
    EXPECT_TRUE(handler->OnProcessMessageReceived(nullptr, PID_RENDERER, markerNotAString));
    EXPECT_FALSE(delegate.Called(L"JSCall"));

    handler->DetachDelegate();
    EXPECT_TRUE(handler->OnProcessMessageReceived(
        nullptr, PID_RENDERER, ScriptMessage(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG", L"JSNotifyCppFunc")));
    EXPECT_FALSE(delegate.Called(L"JSCall"));
}

TEST_F(ClientHandlerOsrTest, PopupOpensInTheRequestingFrame) {
    TestWindow window;
    OffscreenBrowser offscreen(window.Handle());
    ASSERT_TRUE(offscreen.WaitUntilCreated());
    CefRefPtr<CefBrowser> browser = offscreen.delegate.browser;
    CefRefPtr<CefFrame> frame = browser->GetMainFrame();

    EXPECT_TRUE(handler->OnBeforePopup(browser, frame, L"https://example.test/popup"));
    EXPECT_EQ(frame->GetURL(), L"https://example.test/popup");
    EXPECT_TRUE(handler->OnBeforePopup(browser, frame, L""));
    EXPECT_EQ(frame->GetURL(), L"https://example.test/popup");

    delegate.allowPopupInSameFrame = false;
    EXPECT_TRUE(handler->OnBeforePopup(browser, frame, L"https://example.test/refused"));
    EXPECT_EQ(frame->GetURL(), L"https://example.test/popup");

    delegate.allowPopupInSameFrame = true;
    EXPECT_TRUE(handler->OnBeforePopup(browser, nullptr, L"https://example.test/no-frame"));
}

TEST_F(ClientHandlerOsrTest, DownloadGoesToTheDocumentsFolderWithTheSaveDialog) {
    wchar_t documents[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(
        ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, documents)));

    CefRefPtr<DownloadCallback> callback(new DownloadCallback);
    handler->OnBeforeDownload(nullptr, nullptr, L"报告.pdf", callback.get());
    EXPECT_EQ(callback->calls, 1);
    EXPECT_EQ(callback->path, std::wstring(documents) + L"\\报告.pdf");
    EXPECT_TRUE(callback->showDialog);

    handler->OnBeforeDownload(nullptr, nullptr, L"..\\..\\Windows/evil.exe", callback.get());
    EXPECT_EQ(callback->path, std::wstring(documents) + L"\\evil.exe") << "folders in the name are dropped";
}

TEST_F(ClientHandlerOsrTest, NavigationIsBlockedOnlyByAListedPrefix) {
    CefRefPtr<CefRequest> request(new Request(L"https://ads.example.test/banner"));
    EXPECT_FALSE(handler->OnBeforeBrowse(nullptr, nullptr, request, false));

    handler->SetBlockList({"", "https://ads."});
    EXPECT_TRUE(handler->OnBeforeBrowse(nullptr, nullptr, request, false));
    EXPECT_FALSE(handler->OnBeforeBrowse(nullptr, nullptr, new Request(L"https://example.test/"), false))
        << "an empty entry blocks nothing; sharing a first character is not a match";
}

TEST_F(ClientHandlerOsrTest, ResourceResponseReportsUtf8UrlAndStatus) {
    EXPECT_FALSE(handler->OnResourceResponse(nullptr, nullptr, new Request(L"https://例え.test/a"), new Response(404)));
    ASSERT_TRUE(delegate.Called(L"ResourceResponse"));
    EXPECT_EQ(delegate.resourceUrl, "https://\xE4\xBE\x8B\xE3\x81\x88.test/a");
    EXPECT_EQ(delegate.resourceStatus, 404);
}

TEST_F(ClientHandlerOsrTest, ContextMenuIsEmptiedByTheDelegate) {
    CefRefPtr<MenuModel> model(new MenuModel);
    handler->OnBeforeContextMenu(nullptr, nullptr, nullptr, model.get());
    EXPECT_EQ(model->items, 0);
}

TEST_F(ClientHandlerOsrTest, FixedAnswersAndForwardedCallbacks) {
    CefString tooltip = L"提示";
    EXPECT_FALSE(handler->OnTooltip(nullptr, tooltip));
    EXPECT_FALSE(handler->DoClose(nullptr)) << "the browser closes normally";
    handler->OnLoadError(nullptr, nullptr, -105, L"name not resolved", L"https://nowhere.test/");
    handler->OnRenderProcessTerminated(nullptr, TS_PROCESS_CRASHED);
    handler->OnDraggableRegionsChanged(nullptr, {CefDraggableRegion{CefRect{0, 0, 10, 10}, true}});
    handler->OnPopupShow(nullptr, false);
    EXPECT_EQ(delegate.calls, (std::vector<std::wstring>{L"Tooltip:提示", L"Closing", L"LoadError:-105:https://nowhere.test/",
                                                         L"Terminated:2", L"Regions:1", L"PopupShow:0"}));
    CefRect view;
    EXPECT_TRUE(handler->GetViewRect(nullptr, view));
    EXPECT_EQ(view, (CefRect{0, 0, 40, 30}));
    EXPECT_FALSE(handler->GetFocusHandler()->OnSetFocus(nullptr)) << "the page may take the focus";
    EXPECT_FALSE(handler->GetKeyboardHandler()->OnKeyEvent(nullptr, CefKeyEvent()));
}

// The questions the engine asks and the client answers the same way every time, asked as the engine
// asks them: through the handlers the client hands out.
TEST_F(ClientHandlerOsrTest, TheEnginesOtherQuestionsGetTheirFixedAnswers) {
    auto menu = handler->GetContextMenuHandler();
    EXPECT_FALSE(menu->RunContextMenu(nullptr, nullptr, nullptr, new MenuModel, nullptr));
    EXPECT_FALSE(menu->OnContextMenuCommand(nullptr, nullptr, nullptr, 26500, 0));
    EXPECT_FALSE(handler->GetDisplayHandler()->OnConsoleMessage(nullptr, L"log", L"page.js", 3));
    EXPECT_FALSE(handler->GetDragHandler()->OnDragEnter(nullptr, nullptr, 1)) << "drops are allowed";
    bool shortcut = false;
    EXPECT_FALSE(handler->GetKeyboardHandler()->OnPreKeyEvent(nullptr, CefKeyEvent(), &shortcut));
    EXPECT_FALSE(shortcut);
    EXPECT_FALSE(handler->GetLifeSpanHandler()->RunModal(nullptr));

    auto request = handler->GetRequestHandler();
    CefRefPtr<CefRequest> page(new Request(L"https://example.test/"));
    EXPECT_FALSE(request->OnOpenURLFromTab(nullptr, nullptr, L"https://example.test/tab", 3, true));
    EXPECT_EQ(request->OnBeforeResourceLoad(nullptr, nullptr, page, nullptr), RV_CONTINUE);
    EXPECT_FALSE(request->GetResourceHandler(nullptr, nullptr, page));
    EXPECT_FALSE(request->GetResourceResponseFilter(nullptr, nullptr, page, new Response(200)));
    EXPECT_FALSE(request->GetAuthCredentials(nullptr, nullptr, false, L"example.test", 443, L"realm", L"basic",
                                             nullptr))
        << "a login is cancelled";
    EXPECT_FALSE(request->OnQuotaRequest(nullptr, L"https://example.test", 1 << 30, nullptr));
    EXPECT_FALSE(request->OnCertificateError(nullptr, -202, L"https://example.test/", nullptr, nullptr))
        << "a request with a bad certificate is cancelled";
    EXPECT_FALSE(handler->GetRenderHandler()->StartDragging(nullptr, nullptr, 1, 5, 5)) << "page drags are cancelled";
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(ClientHandlerOsrTest, DetachedDelegateHearsNothing) {
    handler->DetachDelegate();
    CefString tooltip = L"x";
    handler->OnTooltip(nullptr, tooltip);
    handler->OnAfterCreated(nullptr);
    handler->OnBeforeClose(nullptr);
    EXPECT_FALSE(handler->DoClose(nullptr));
    handler->OnPaint(nullptr, PET_VIEW, {}, nullptr, 0, 0);
    CefRect view;
    int x = 0, y = 0;
    CefScreenInfo screen;
    EXPECT_FALSE(handler->GetViewRect(nullptr, view));
    EXPECT_FALSE(handler->GetScreenPoint(nullptr, 1, 2, x, y));
    EXPECT_FALSE(handler->GetScreenInfo(nullptr, screen));
    EXPECT_TRUE(handler->OnBeforePopup(nullptr, nullptr, L"https://example.test/")) << "still no popup browser";
    EXPECT_TRUE(delegate.calls.empty());
}

TEST(ClientHandlerOsrOrphan, BrowserArrivingAfterItsViewWentIsClosed) {
    TestWindow window;
    const int liveBefore = LiveBrowsers();
    {
        OffscreenBrowser offscreen(window.Handle());
        ASSERT_TRUE(offscreen.started);
        offscreen.handler->DetachDelegate();
    }
    ASSERT_TRUE(PumpUntil([&] { return LiveBrowsers() == liveBefore; }));
}

TEST(RequestContextHandler, PdfViewerAlwaysLoads) {
    SkinUI::RequestContextHandler handler;
    cef_plugin_policy_t policy = PLUGIN_POLICY_BLOCK;
    EXPECT_TRUE(handler.OnBeforePluginLoad(L"application/pdf", L"", L"", nullptr, &policy));
    EXPECT_EQ(policy, PLUGIN_POLICY_ALLOW);

    EXPECT_FALSE(handler.OnBeforePluginLoad(L"application/pdf", L"", L"", nullptr, &policy)) << "already allowed";
    policy = PLUGIN_POLICY_DETECT_IMPORTANT;
    EXPECT_FALSE(handler.OnBeforePluginLoad(L"application/x-shockwave-flash", L"", L"", nullptr, &policy));
    EXPECT_EQ(policy, PLUGIN_POLICY_DETECT_IMPORTANT);
    EXPECT_FALSE(handler.OnBeforePluginLoad(L"application/pdf", L"", L"", nullptr, nullptr));
    EXPECT_FALSE(handler.GetCookieManager());
}

}  // namespace
