// Without the engine library beside the program, everything that needs it fails cleanly. The
// test's working folder holds a library of that name, which must not be used.
#include <gtest/gtest.h>

#include "../Core/TestWindows.h"
#include "Control/UICef.h"
#include "EngineUnavailable.h"
#include "Internal/Cef/ClientHandlerOsr.h"
#include "Internal/Cef/Engine/CefLibrary.h"
#include "Internal/Cef/RequestContextHandler.h"

namespace {

TEST(EngineAbsent, NothingIsLoadedFromTheWorkingFolder) {
    EXPECT_FALSE(CefLibrary::Get().IsLoaded());
    EXPECT_EQ(::GetModuleHandleW(CEF_LIBRARY_FILE_NAME), nullptr);
}

TEST(EngineAbsent, BrowserCreationAndEngineObjectsFail) {
    CefTest::ExpectNothingFromTheEngine();
}

class EngineAbsentView : public SkinUI::Testing::WindowTest {};

TEST_F(EngineAbsentView, AViewStaysEmptyAndItsWindowClosesAtOnce) {
    SkinUI::Testing::HostWindow host;
    ASSERT_NE(nullptr, host.Create(nullptr, L"web view", WS_POPUP, 0, 40, 40, 200, 100));
    auto* view = new SkinUI::CCefUI();
    view->SetBkColor(0xFF123456);
    host.manager.AttachRootControl(view);
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    ::UpdateWindow(host);
    ASSERT_NE(host.manager.GetOffscreenBits(), nullptr);
    EXPECT_EQ(reinterpret_cast<const DWORD*>(host.manager.GetOffscreenBits())[0] & 0x00FFFFFF, 0x123456u);
    view->SetAttribute(L"url", L"http://127.0.0.1/");
    view->SetVisible(false);
    ::SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(host));
}

}  // namespace
