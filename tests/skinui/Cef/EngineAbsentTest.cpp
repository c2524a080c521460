// Without the engine library beside the program, everything that needs it fails cleanly. The
// test's working folder holds a library of that name, which must not be used.
#include <gtest/gtest.h>

#include "Internal/Cef/ClientHandlerOsr.h"
#include "Internal/Cef/Engine/CefLibrary.h"
#include "Internal/Cef/RequestContextHandler.h"

namespace {

TEST(EngineAbsent, NothingIsLoadedFromTheWorkingFolder) {
    EXPECT_FALSE(CefLibrary::Get().IsLoaded());
    EXPECT_EQ(::GetModuleHandleW(CEF_LIBRARY_FILE_NAME), nullptr);
}

TEST(EngineAbsent, BrowserCreationAndEngineObjectsFail) {
    CefRefPtr<SkinUI::ClientHandlerOsr> handler(new SkinUI::ClientHandlerOsr(nullptr));
    CefWindowInfo windowInfo;
    windowInfo.SetAsWindowless(::GetDesktopWindow(), false);
    EXPECT_FALSE(CefBrowserHost::CreateBrowser(windowInfo, handler, L"about:blank", CefBrowserSettings(), nullptr));
    EXPECT_FALSE(CefRequestContext::GetGlobalContext());
    EXPECT_FALSE(CefRequestContext::CreateContext(nullptr, new SkinUI::RequestContextHandler));
    EXPECT_FALSE(CefProcessMessage::Create(L"RENDER_2_BROWSER_JS_CALL_CPP_MSG"));
    EXPECT_TRUE(handler->HasOneRef()) << "a failed creation keeps no reference to the client";
}

}  // namespace
