// Beside this program lies a library named like the engine that cannot serve: either it exports the
// engine's entry points but was not built for the program's interface (as a real engine would be),
// and then it is never loaded (its start-up code and every entry point would end the process); or it
// was built for the interface but the system fails to load it. Either way one warning says why (the
// reason is given per program), nothing of it stays in the process, the web view stays empty and the
// rest of its window works.
#include <gtest/gtest.h>

#include "../Core/TestWindows.h"
#include "Control/ButtonUI.h"
#include "Control/UICef.h"
#include "DebugOutputCapture.h"
#include "EngineUnavailable.h"
#include "Internal/Cef/Engine/CefLibrary.h"
#include "Layout/BoxLayout.h"

namespace {

using CefTest::DebugOutputCapture;

TEST(EngineRefused, TheLibraryIsNotInTheProcessAndOneWarningSaysWhy) {
    EXPECT_FALSE(CefLibrary::Get().IsLoaded());
    EXPECT_EQ(::GetModuleHandleW(CEF_LIBRARY_FILE_NAME), nullptr);
    EXPECT_EQ(CefLibrary::Get().createBrowser, nullptr);

    CefTest::ExpectNothingFromTheEngine();

    const auto warnings = DebugOutputCapture::LinesWith("SkinUI: Warning: ");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("libcef.dll"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find(ENGINE_REFUSAL_REASON), std::string::npos) << warnings[0];
#ifdef ENGINE_SYSTEM_ERROR
    EXPECT_NE(warnings[0].find(ENGINE_SYSTEM_ERROR), std::string::npos) << "the system's own error: " << warnings[0];
#endif
}

class EngineRefusedView : public SkinUI::Testing::WindowTest {};

TEST_F(EngineRefusedView, TheViewStaysEmptyWhileTheRestOfItsWindowWorks) {
    SkinUI::Testing::HostWindow host;
    ASSERT_NE(nullptr, host.Create(nullptr, L"web view", WS_POPUP, 0, 40, 40, 200, 100));
    auto* root = new SkinUI::CHorizontalLayoutUI();
    auto* view = new SkinUI::CCefUI();
    view->SetBkColor(0xFF123456);
    view->SetAttribute(L"url", L"http://127.0.0.1/");
    auto* button = new SkinUI::CButtonUI();
    button->SetFixedWidth(50);
    root->Add(view);
    root->Add(button);
    SkinUI::Testing::NotifyRecorder notifications;
    host.manager.AddNotifier(&notifications);
    host.manager.AttachRootControl(root);
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    ::UpdateWindow(host);

    EXPECT_FALSE(view->IsCreated());
    ASSERT_NE(host.manager.GetOffscreenBits(), nullptr);
    EXPECT_EQ(reinterpret_cast<const DWORD*>(host.manager.GetOffscreenBits())[0] & 0x00FFFFFF, 0x123456u);
    view->SetVisible(false);
    view->SetVisible(true);
    ::UpdateWindow(host);
    EXPECT_FALSE(view->IsCreated());

    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(170, 10));
    ::SendMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(170, 10));
    EXPECT_EQ(notifications.Count(L"click", button), 1);
    // Double clicks on the empty view reach nothing and harm nothing.
    ::SendMessageW(host, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(20, 20));
    ::SendMessageW(host, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
    ::SendMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));

    ::SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(host));
    EXPECT_EQ(DebugOutputCapture::LinesWith("SkinUI: Warning: ").size(), 1u) << "still the loader's one warning";
}

}  // namespace
