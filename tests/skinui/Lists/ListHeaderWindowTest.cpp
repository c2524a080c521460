#include "Control/ListsRegistration.h"
#include "Control/UIList.h"
#include "Control/UIListHeader.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ListHeaderWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterListsControls(*CControlFactory::GetInstance());
        ASSERT_NE(nullptr, host.CreateTopLevel(nullptr, 300, 200)) << "no display";
        // Hidden windows keep no update region to look at.
        ::ShowWindow(host.GetHWND(), SW_SHOWNOACTIVATE);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(
            L"<Window><List><ListHeader height=\"24\"><ListHeaderItem name=\"column\" text=\"Name\" width=\"80\"/>"
            L"</ListHeader></List></Window>",
            nullptr, nullptr, &host.manager);
        ASSERT_NE(nullptr, root);
        host.manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 300, 200});
        column = host.manager.FindControl(L"column");
        ASSERT_NE(nullptr, column);
    }
    void TearDown() override
    {
        if (host.GetHWND()) ::DestroyWindow(host.GetHWND());
        CWindowUIManager::Term();
    }
    // Whether the column's area waits for a repaint after the attribute was set.
    bool RepaintsAfter(const wchar_t* name, const wchar_t* value)
    {
        ::ValidateRect(host.GetHWND(), nullptr);
        column->SetAttribute(name, value);
        RECT dirty = {};
        if (!::GetUpdateRect(host.GetHWND(), &dirty, FALSE)) return false;
        RECT overlap;
        return ::IntersectRect(&overlap, &dirty, &column->GetPos()) != FALSE;
    }

    void Repaint() { ::RedrawWindow(host.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    void Mouse(UINT message, int x, int y)
    {
        ::SendMessageW(host.GetHWND(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                       MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    HostWindow host;
    CControlUI* column = nullptr;
};

TEST_F(ListHeaderWindowTest, FontAndTextColourRepaintTheColumn)
{
    EXPECT_TRUE(RepaintsAfter(L"textcolor", L"#FFFF0000"));
    EXPECT_TRUE(RepaintsAfter(L"font", L"0"));
    EXPECT_FALSE(RepaintsAfter(L"sepwidth", L"2"));
}

TEST_F(ListHeaderWindowTest, ADraggedSeparatorFollowsThePointerAtEveryScale)
{
    column->SetAttribute(L"maxwidth", L"200");
    for (const int dpi : {96, 144, 192}) {
        host.manager.SetDPI(dpi);
        column->SetFixedWidth(80);
        Repaint();
        const auto scaled = [this](int value) { return host.manager.GetDpiScaler()->Scale(value); };
        ASSERT_EQ(scaled(80), column->GetWidth()) << dpi;
        // Moves come faster than paints: three of 10 before the next layout widen the column by 30.
        RECT pos = column->GetPos();
        const int y = (pos.top + pos.bottom) / 2;
        int grab = pos.right - 2;
        Mouse(WM_LBUTTONDOWN, grab, y);
        for (int step = 1; step <= 3; ++step) Mouse(WM_MOUSEMOVE, grab + 10 * step, y);
        Mouse(WM_LBUTTONUP, grab + 30, y);
        Repaint();
        const int widened = scaled(80) + 30;
        EXPECT_EQ(widened, column->GetWidth()) << dpi;
        // Past the minimum or the maximum the column stops there, and follows the pointer on its way back.
        grab = column->GetPos().right - 2;
        Mouse(WM_LBUTTONDOWN, grab, y);
        Mouse(WM_MOUSEMOVE, grab - 1000, y);
        Repaint();
        EXPECT_EQ(column->GetMinWidth(), column->GetWidth()) << dpi;
        Mouse(WM_MOUSEMOVE, grab - 10, y);
        Repaint();
        EXPECT_EQ(widened - 10, column->GetWidth()) << dpi;
        Mouse(WM_MOUSEMOVE, grab + 1000, y);
        Repaint();
        EXPECT_EQ(scaled(200), column->GetWidth()) << dpi;
        Mouse(WM_MOUSEMOVE, grab + 990, y);
        Repaint();
        EXPECT_EQ(scaled(200), column->GetWidth()) << dpi << ": the pointer is still past the maximum";
        Mouse(WM_LBUTTONUP, grab + 990, y);
    }
    host.manager.SetDPI(96);
    // Without a separator the grip at the right edge still widens the column to the right.
    column->SetAttribute(L"sepwidth", L"0");
    column->SetFixedWidth(80);
    Repaint();
    const int grab = column->GetPos().right - 2;
    Mouse(WM_LBUTTONDOWN, grab, 10);
    Mouse(WM_MOUSEMOVE, grab + 10, 10);
    Mouse(WM_LBUTTONUP, grab + 10, 10);
    Repaint();
    EXPECT_EQ(90, column->GetWidth());
}

}  // namespace
