#include "Core/WindowImplBase.h"
#include "TestWindows.h"

#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

TEST(FrameHitTest, SizeBoxEdgesCornersAndCaption)
{
    const RECT client = {0, 0, 200, 100};
    const RECT box = {4, 4, 4, 4};
    const RECT caption = {0, 0, 0, 30};
    EXPECT_EQ(UINT(HTTOPLEFT), FrameHitTest(POINT{1, 1}, client, box, caption, false));
    EXPECT_EQ(UINT(HTBOTTOMRIGHT), FrameHitTest(POINT{199, 99}, client, box, caption, false));
    EXPECT_EQ(UINT(HTTOP), FrameHitTest(POINT{100, 2}, client, box, caption, false));
    EXPECT_EQ(UINT(HTLEFT), FrameHitTest(POINT{1, 50}, client, box, caption, false));
    EXPECT_EQ(UINT(HTCAPTION), FrameHitTest(POINT{100, 10}, client, box, caption, false));
    EXPECT_EQ(UINT(HTCLIENT), FrameHitTest(POINT{100, 50}, client, box, caption, false));
    EXPECT_EQ(UINT(HTCAPTION), FrameHitTest(POINT{1, 1}, client, box, caption, true));
    EXPECT_EQ(UINT(HTCAPTION), FrameHitTest(POINT{100, 99}, client, RECT{0, 0, 0, 0}, RECT{0, 0, 0, -1}, false));
}

class SkinnedWindow : public WindowImplBase {
public:
    int inits = 0;
    std::vector<CUIString> clicked;
    std::vector<WPARAM> closes;

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinUITestSkinned"; }
    CUIString GetSkinFile() override
    {
        return L"<Window size=\"200,100\" caption=\"0,0,0,40\" sizebox=\"4,4,4,4\">"
               L"<VerticalLayout><HorizontalLayout height=\"40\"><Label name=\"title\" text=\"t\" width=\"100\"/><Control/>"
               L"<Button name=\"close\" width=\"30\"/></HorizontalLayout><Control/></VerticalLayout></Window>";
    }
    void InitWindow() override { ++inits; }
    void OnClick(NotifyMessage& msg) override { clicked.push_back(msg.pSender->GetName()); }
    LRESULT OnClose(UINT, WPARAM wParam, LPARAM, bool& handled) override
    {
        closes.push_back(wParam);
        handled = true;
        return 0;
    }
};

class WindowImplBaseTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, window.Create(nullptr, L"skinned", WS_POPUP, 0, 100, 100, 50, 50))
            << "no window: is an X display available?";
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
    }
    void TearDown() override
    {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
    LRESULT HitAt(int x, int y)
    {
        POINT pt = {x, y};
        ::ClientToScreen(window, &pt);
        return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    }

    SkinnedWindow window;
};

TEST_F(WindowImplBaseTest, BuildsItsSkinAndSizesItself)
{
    EXPECT_EQ(1, window.inits);
    ASSERT_NE(nullptr, window.GetManager().GetRoot());
    RECT rc = {};
    ::GetClientRect(window, &rc);
    EXPECT_EQ(200, rc.right);
    EXPECT_EQ(100, rc.bottom);
    EXPECT_NE(0, window.GetStyle() & WS_CLIPCHILDREN);
}

TEST_F(WindowImplBaseTest, LabelsInTheCaptionDragButtonsClick)
{
    EXPECT_EQ(HTCAPTION, HitAt(50, 20));
    EXPECT_EQ(HTCLIENT, HitAt(180, 20));
    EXPECT_EQ(HTCLIENT, HitAt(100, 70));
    EXPECT_EQ(HTTOPLEFT, HitAt(1, 1));
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 20));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(180, 20));
    ASSERT_TRUE(PumpUntil([&] { return !window.clicked.empty(); }));
    EXPECT_EQ(CUIString(L"close"), window.clicked[0]);
}

TEST_F(WindowImplBaseTest, SystemCloseArrivesAsCloseWithoutResult)
{
    ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(1u, window.closes.size());
    EXPECT_EQ(0u, window.closes[0]);
}

TEST_F(WindowImplBaseTest, EscapeIsTheDefaultKeyButNotConsumed)
{
    bool handled = false;
    EXPECT_EQ(TRUE, window.MessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, handled));
    EXPECT_FALSE(handled);
    EXPECT_EQ(FALSE, window.MessageHandler(WM_KEYDOWN, VK_RETURN, 0, handled));
}

}  // namespace
