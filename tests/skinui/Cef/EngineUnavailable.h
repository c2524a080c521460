#pragma once

#include <gtest/gtest.h>

#include "Internal/Cef/ClientHandlerOsr.h"
#include "Internal/Cef/RequestContextHandler.h"

namespace CefTest {

// Without a usable engine no browser is created and no engine object is handed out.
inline void ExpectNothingFromTheEngine() {
    CefRefPtr<SkinUI::ClientHandlerOsr> handler(new SkinUI::ClientHandlerOsr(nullptr));
    CefWindowInfo windowInfo;
    windowInfo.SetAsWindowless(::GetDesktopWindow(), false);
    EXPECT_FALSE(CefBrowserHost::CreateBrowser(windowInfo, handler, L"about:blank", CefBrowserSettings(), nullptr));
    EXPECT_FALSE(CefRequestContext::GetGlobalContext());
    EXPECT_FALSE(CefRequestContext::CreateContext(nullptr, new SkinUI::RequestContextHandler));
    EXPECT_TRUE(handler->HasOneRef()) << "a failed creation keeps no reference to the client";
}

}  // namespace CefTest
