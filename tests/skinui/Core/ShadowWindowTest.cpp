#include "TestWindows.h"

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ShadowWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"shadowed", WS_POPUP, 0, 100, 80, 400, 300))
            << "no window: is an X display available?";
        host.manager.GetShadow()->SetSize(4);
        host.manager.GetShadow()->ShowShadow(true);
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        host.manager.AttachRootControl(new CControlUI());
        ::UpdateWindow(host);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    HWND shadow() { return host.manager.GetShadow()->GetShadowWindow(); }

    HostWindow host;
};

TEST_F(ShadowWindowTest, ShadowIsLargerByItsSizeAndSitsAroundTheWindow)
{
    ASSERT_NE(nullptr, shadow());
    RECT rc = {};
    ::GetWindowRect(shadow(), &rc);
    EXPECT_EQ(96, rc.left);
    EXPECT_EQ(76, rc.top);
    EXPECT_EQ(408, rc.right - rc.left);
    EXPECT_EQ(308, rc.bottom - rc.top);
    EXPECT_NE(0, ::GetWindowLongW(shadow(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

TEST_F(ShadowWindowTest, FollowsMovesAndHidesWhenMaximised)
{
    ::SetWindowPos(host, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rc = {};
    ::GetWindowRect(shadow(), &rc);
    EXPECT_EQ(196, rc.left);
    EXPECT_EQ(146, rc.top);
    ::SendMessageW(host, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(400, 300));
    EXPECT_FALSE(::IsWindowVisible(shadow()));
    ::SendMessageW(host, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    EXPECT_TRUE(::IsWindowVisible(shadow()));
}

TEST_F(ShadowWindowTest, ShrinkingRendersAtOnceAndGoesWithTheWindow)
{
    ::SetWindowPos(host, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rc = {};
    ::GetWindowRect(shadow(), &rc);
    EXPECT_EQ(308, rc.right - rc.left);
    EXPECT_EQ(208, rc.bottom - rc.top);
    HWND shadowWindow = shadow();
    ::DestroyWindow(host);
    EXPECT_FALSE(::IsWindow(shadowWindow));
}

TEST_F(ShadowWindowTest, OnlyOneShadowPerWindow)
{
    HWND first = shadow();
    host.manager.AttachRootControl(new CControlUI());
    EXPECT_EQ(first, shadow());
}

}  // namespace
