// Keyboard, mouse and focus reach the browser in the view's own coordinates; popups stay inside the
// view; draggable regions move the window instead of clicking the page.
#include <gtest/gtest.h>

#include "CefViewTestSupport.h"

using namespace CefTest;

namespace {

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class CefViewInputTest : public CefViewTest {
protected:
    void SetUp() override {
        CefViewTest::SetUp();
        if (HasFatalFailure()) return;
        ShowView(L"drag=\"true\"");
        ASSERT_TRUE(arrived);
        ASSERT_TRUE(WaitForJournal(L"Paint(250,150)"));
    }
    // Window coordinates of a point of the view.
    void Press(UINT message, WPARAM keys, int viewX, int viewY) {
        ::SendMessageW(host, message, keys, At(kViewLeft + viewX, kViewTop + viewY));
    }
    size_t Count(const std::wstring& entry) const {
        const std::wstring journal = ViewJournal();
        size_t count = 0;
        for (size_t at = journal.find(entry); at != std::wstring::npos; at = journal.find(entry, at + 1)) ++count;
        return count;
    }
    // A left press at a point of the view that moves the window instead of reaching the page: a caption
    // press at that point on the screen is posted to the window.
    void ExpectPressMovesTheWindow(int viewX, int viewY) {
        Press(WM_LBUTTONDOWN, MK_LBUTTON, viewX, viewY);
        MSG drag = {};
        ASSERT_TRUE(::PeekMessageW(&drag, host, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE))
            << "the press reached the page: " << ViewJournal();
        EXPECT_EQ(drag.wParam, static_cast<WPARAM>(HTCAPTION));
        POINT screen = {kViewLeft + viewX, kViewTop + viewY};
        ::ClientToScreen(host, &screen);
        EXPECT_EQ(drag.lParam, MAKELPARAM(screen.x, screen.y));
        EXPECT_FALSE(JournalHas(L"Click(")) << ViewJournal();
    }
    bool WindowMoveAsked() {
        MSG drag = {};
        return ::PeekMessageW(&drag, host, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE;
    }
    void ShowPopup(const CefRect& rect, DWORD color) {
        auto render = Client()->GetRenderHandler();
        render->OnPopupShow(browser, true);
        render->OnPopupSize(browser, rect);
        const std::vector<uint32_t> pixels(static_cast<size_t>(rect.width) * rect.height, color);
        render->OnPaint(browser, PET_POPUP, {CefRect{0, 0, rect.width, rect.height}}, pixels.data(), rect.width,
                        rect.height);
    }
};

TEST_F(CefViewInputTest, KeysGoToTheBrowserWhileTheViewHasTheFocus) {
    view->SetFocus();
    EXPECT_TRUE(JournalHas(L"Focus(1);"));
    ::SendMessageW(host, WM_KEYDOWN, 'A', 0x001E0001);
    ::SendMessageW(host, WM_CHAR, 'a', 0x001E0001);
    ::SendMessageW(host, WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001));
    const std::wstring journal = ViewJournal();
    EXPECT_NE(journal.find(L"Key(0,65,1966081,0,"), std::wstring::npos) << journal;
    EXPECT_NE(journal.find(L"Key(3,97,1966081,0,"), std::wstring::npos) << journal;
    EXPECT_NE(journal.find(L"Key(2,65,-1071775743,0,"), std::wstring::npos) << journal;
}

TEST_F(CefViewInputTest, SystemKeysAndTabStayWithThePage) {
    view->SetFocus();
    ::PostMessageW(host, WM_SYSKEYDOWN, VK_F10, 0x20440001);
    ::PostMessageW(host, WM_KEYDOWN, VK_TAB, 0x000F0001);
    ASSERT_TRUE(SkinUI::Testing::PumpUntil([&] { return JournalHas(L"Key(0,9,"); })) << ViewJournal();
    EXPECT_TRUE(JournalHas(L"Key(0,121,541327361,1,")) << ViewJournal();
    EXPECT_EQ(host.manager.GetFocus(), view) << "Tab did not move the focus away";
}

TEST_F(CefViewInputTest, LosingTheFocusTellsTheBrowser) {
    view->SetFocus();
    host.manager.SetFocus(nullptr);
    EXPECT_TRUE(JournalHas(L"Focus(1);Focus(0);")) << ViewJournal();
}

TEST_F(CefViewInputTest, ClicksAreCountedPerButtonInViewCoordinates) {
    Press(WM_LBUTTONDOWN, MK_LBUTTON, 30, 20);
    Press(WM_LBUTTONUP, 0, 30, 20);
    Press(WM_LBUTTONDOWN, MK_LBUTTON, 31, 20);
    Press(WM_LBUTTONUP, 0, 31, 20);
    Press(WM_RBUTTONDOWN, MK_RBUTTON, 31, 20);
    Press(WM_RBUTTONUP, 0, 31, 20);
    const std::wstring journal = ViewJournal();
    EXPECT_NE(journal.find(L"Click(30,20,0,0,1,16);Click(30,20,0,1,1,0);"), std::wstring::npos) << journal;
    EXPECT_NE(journal.find(L"Click(31,20,0,0,2,16);Click(31,20,0,1,2,0);"), std::wstring::npos) << journal;
    EXPECT_NE(journal.find(L"Click(31,20,2,0,1,64);Click(31,20,2,1,1,0);"), std::wstring::npos) << journal;
    EXPECT_TRUE(JournalHas(L"Focus(1);")) << "a click gives the view the focus";
}

TEST_F(CefViewInputTest, APressTheWindowWillNotSeeReleasedEndsInThePageWithoutAClick) {
    const struct {
        const char* name;
        UINT message;
    } ends[] = {{"closing", WM_CLOSE}, {"focus loss", WM_KILLFOCUS}};
    for (const auto& end : ends) {
        const size_t clicks = Count(L"Click("), lost = Count(L"CaptureLost");
        Press(WM_LBUTTONDOWN, MK_LBUTTON, 30, 20);
        LRESULT result = 0;
        host.manager.MessageHandler(end.message, 0, 0, result);  // the window itself stays
        Press(WM_LBUTTONUP, 0, 30, 20);
        EXPECT_EQ(clicks + 1, Count(L"Click(")) << end.name << ": the press alone, no release: " << ViewJournal();
        EXPECT_EQ(lost + 1, Count(L"CaptureLost")) << end.name << ": " << ViewJournal();
    }
}

// Real mouse input: the system itself turns the second press into a double-click message, since
// the window's class asks for them.
class CefViewDoubleClickTest : public CefViewInputTest {
protected:
    void SetUp() override {
        CefViewInputTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_NE(::GetClassLongW(host, GCL_STYLE) & CS_DBLCLKS, 0u);
        POINT screen = {kViewLeft + 60, kViewTop + 40};
        ::ClientToScreen(host, &screen);
        ASSERT_EQ(::WindowFromPoint(screen), static_cast<HWND>(host)) << "the window must be on top at that point";
        ASSERT_TRUE(::SetCursorPos(screen.x, screen.y));
        SkinUI::Testing::PumpUntil([] { return true; });
    }
    void ClickTwice(DWORD down, DWORD up) {
        INPUT inputs[4] = {};
        const DWORD flags[4] = {down, up, down, up};
        for (int i = 0; i < 4; ++i) {
            inputs[i].type = INPUT_MOUSE;
            inputs[i].mi.dwFlags = flags[i];
        }
        ASSERT_EQ(::SendInput(4, inputs, sizeof(INPUT)), 4u);
    }
    bool Arrived(const std::wstring& entry) {
        return SkinUI::Testing::PumpUntil([&] { return JournalHas(entry); });
    }
};

TEST_F(CefViewDoubleClickTest, EachButtonsDoubleClickReachesThePageWithCountTwo) {
    ClickTwice(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(Arrived(L"Click(60,40,0,0,2,16);Click(60,40,0,1,2,0);")) << ViewJournal();
    ClickTwice(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(Arrived(L"Click(60,40,2,0,2,64);Click(60,40,2,1,2,0);")) << ViewJournal();
    ClickTwice(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    EXPECT_TRUE(Arrived(L"Click(60,40,1,0,2,32);Click(60,40,1,1,2,0);")) << ViewJournal();
    EXPECT_EQ(Count(L"Click(60,40,0,0,1,16);"), 1u) << ViewJournal();
}

TEST_F(CefViewInputTest, DoubleClickMessagesCountAsSecondPresses) {
    const std::pair<UINT, UINT> buttons[] = {{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK},
                                             {WM_RBUTTONDOWN, WM_RBUTTONDBLCLK},
                                             {WM_MBUTTONDOWN, WM_MBUTTONDBLCLK}};
    for (const auto& [down, doubleClick] : buttons) {
        Press(down, 0, 70, 30);
        Press(down + 1, 0, 70, 30);
        Press(doubleClick, 0, 70, 30);
        Press(down + 1, 0, 70, 30);
    }
    const std::wstring journal = ViewJournal();
    for (int button : {0, 2, 1}) {
        const std::wstring type = std::to_wstring(button);
        EXPECT_NE(journal.find(L"Click(70,30," + type + L",0,2,0);Click(70,30," + type + L",1,2,0);"),
                  std::wstring::npos) << journal;
    }
}

TEST_F(CefViewInputTest, MovingFarAwayStartsANewClickCount) {
    Press(WM_LBUTTONDOWN, MK_LBUTTON, 30, 20);
    Press(WM_LBUTTONUP, 0, 30, 20);
    Press(WM_MOUSEMOVE, 0, 120, 90);
    EXPECT_TRUE(JournalHas(L"Move(120,90,0,0);")) << ViewJournal();
    Press(WM_LBUTTONDOWN, MK_LBUTTON, 30, 20);
    EXPECT_EQ(Count(L"Click(30,20,0,0,1,16);"), 2u) << ViewJournal();
}

TEST_F(CefViewInputTest, ShiftTurnsTheWheelSideways) {
    POINT screen = {kViewLeft + 40, kViewTop + 50};
    ::ClientToScreen(host, &screen);
    ASSERT_EQ(::WindowFromPoint(screen), static_cast<HWND>(host)) << "the window must be on top at that point";
    ::SendMessageW(host, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    ::SendMessageW(host, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-WHEEL_DELTA)),
                   MAKELPARAM(screen.x, screen.y));
    EXPECT_TRUE(JournalHas(L"Wheel(40,50,0,120,0);")) << ViewJournal();
    EXPECT_TRUE(JournalHas(L"Wheel(40,50,-120,0,2);")) << ViewJournal();
}

TEST_F(CefViewInputTest, APopupStickingOutIsMovedIntoTheViewAndPainted) {
    ShowPopup(CefRect{200, 100, 100, 80}, 0xFFFF0000);  // would end at 300,180 in a 250 x 150 view
    EXPECT_TRUE(WaitForPixel(kViewLeft + 150, kViewTop + 70, 0xFFFF0000));
    EXPECT_EQ(FramePixel(kViewLeft + 249, kViewTop + 149), 0xFFFF0000u);
    EXPECT_EQ(FramePixel(kViewLeft + 149, kViewTop + 70), 0xFFFFFFFFu);
    EXPECT_TRUE(JournalHas(L"Invalidate(1);")) << "a shown popup keeps being repainted";

    // Points over the moved popup reach the page where the popup really is.
    Press(WM_MOUSEMOVE, 0, 160, 80);
    EXPECT_TRUE(JournalHas(L"Move(210,110,0,0);")) << ViewJournal();

    Client()->GetRenderHandler()->OnPopupShow(browser, false);
    EXPECT_TRUE(WaitForPixel(kViewLeft + 150, kViewTop + 70, 0xFFFFFFFF));
}

TEST_F(CefViewInputTest, APopupNeverMovesToNegativeCoordinates) {
    ShowPopup(CefRect{-20, 10, 400, 300}, 0xFF0000FF);  // larger than the view
    EXPECT_TRUE(WaitForPixel(kViewLeft, kViewTop, 0xFF0000FF));
    Press(WM_MOUSEMOVE, 0, 5, 5);
    EXPECT_TRUE(JournalHas(L"Move(-15,15,0,0);")) << ViewJournal();
}

TEST_F(CefViewInputTest, APressInADraggableRegionMovesTheWindowInstead) {
    Client()->GetDragHandler()->OnDraggableRegionsChanged(
        browser, {CefDraggableRegion{CefRect{0, 0, 100, 20}, true}, CefDraggableRegion{CefRect{0, 0, 20, 20}, false}});
    ExpectPressMovesTheWindow(50, 5);

    // Outside the region, and in the hole cut into it, the page gets the click.
    Press(WM_LBUTTONDOWN, MK_LBUTTON, 50, 60);
    Press(WM_LBUTTONUP, 0, 50, 60);
    Press(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Press(WM_LBUTTONUP, 0, 5, 5);
    EXPECT_FALSE(WindowMoveAsked());
    EXPECT_TRUE(JournalHas(L"Click(50,60,0,0,1,16);")) << ViewJournal();
    EXPECT_TRUE(JournalHas(L"Click(5,5,0,0,1,16);")) << ViewJournal();
}

// The engine sends regions only when the page changes them. The layout moves the view 40 pixels right and
// 60 down after they came: presses on the page's title bar at its new place, to its last pixels, move the
// window; the page gets those just past it, and one where the title bar was, outside the view now, is the
// window's own.
TEST_F(CefViewInputTest, DraggableRegionsFollowTheViewWhereTheLayoutMovesIt) {
    Client()->GetDragHandler()->OnDraggableRegionsChanged(browser, {CefDraggableRegion{CefRect{0, 0, 100, 20}, true}});
    constexpr int dx = 40, dy = 60;
    root->SetInset(RECT{kViewLeft + dx, kViewTop + dy, 30, 40});
    ASSERT_TRUE(PumpUntil([&] {
        ::UpdateWindow(host);
        return view->GetPos().left == kViewLeft + dx && view->GetPos().top == kViewTop + dy;
    }));
    ExpectPressMovesTheWindow(dx + 50, dy + 5);
    ExpectPressMovesTheWindow(dx, dy);
    ExpectPressMovesTheWindow(dx + 99, dy + 19);

    for (const POINT& past : {POINT{100, 5}, POINT{5, 20}}) {
        Press(WM_LBUTTONDOWN, MK_LBUTTON, dx + past.x, dy + past.y);
        Press(WM_LBUTTONUP, 0, dx + past.x, dy + past.y);
    }
    EXPECT_FALSE(WindowMoveAsked()) << "a press just past the title bar moved the window";
    EXPECT_TRUE(JournalHas(L"Click(100,5,0,0,1,16);")) << ViewJournal();
    EXPECT_TRUE(JournalHas(L"Click(5,20,0,0,1,16);")) << ViewJournal();

    Press(WM_LBUTTONDOWN, MK_LBUTTON, 50, 5);
    Press(WM_LBUTTONUP, 0, 50, 5);
    EXPECT_FALSE(WindowMoveAsked()) << "a press where the title bar was moved the window";
}

TEST_F(CefViewInputTest, TooltipsOfThePageShowAtTheMouse) {
    Press(WM_MOUSEMOVE, 0, 30, 30);
    CefString text = L"hint";
    Client()->GetDisplayHandler()->OnTooltip(browser, text);
    ASSERT_NE(host.manager.GetToolTipWindow(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(host.manager.GetToolTipWindow()));
    CefString none;
    Client()->GetDisplayHandler()->OnTooltip(browser, none);
    EXPECT_FALSE(::IsWindowVisible(host.manager.GetToolTipWindow()));
}

}  // namespace

namespace {

TEST_F(CefViewInputTest, TheEngineLearnsWhereTheViewIsOnTheScreen) {
    auto render = Client()->GetRenderHandler();
    CefRect viewRect;
    ASSERT_TRUE(render->GetViewRect(browser, viewRect));
    EXPECT_EQ(viewRect, (CefRect{0, 0, 250, 150}));
    int screenX = 0, screenY = 0;
    ASSERT_TRUE(render->GetScreenPoint(browser, 10, 15, screenX, screenY));
    POINT expected = {kViewLeft + 10, kViewTop + 15};
    ::ClientToScreen(host, &expected);
    EXPECT_EQ(screenX, expected.x);
    EXPECT_EQ(screenY, expected.y);
    CefScreenInfo info;
    ASSERT_TRUE(render->GetScreenInfo(browser, info));
    EXPECT_FLOAT_EQ(info.device_scale_factor, 1.0f);
    EXPECT_EQ(info.rect, viewRect);
    EXPECT_EQ(info.available_rect, viewRect);
    CefRect root;
    EXPECT_FALSE(render->GetRootScreenRect(browser, root));
}

class CefViewScaledTest : public CefViewTest {};

TEST_F(CefViewScaledTest, AtDoubleScaleTheEngineSeesLogicalPixels) {
    host.manager.SetDPI(192);
    ShowView(L"");
    ASSERT_TRUE(arrived);
    ASSERT_TRUE(PumpUntil([&] {
        ::UpdateWindow(host);
        return view->GetWidth() == 500 && JournalHas(L"Paint(250,150)");
    })) << ViewJournal();
    const RECT place = view->GetPos();
    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(place.left + 61, place.top + 41));
    EXPECT_TRUE(JournalHas(L"Click(30,20,0,0,1,16);")) << ViewJournal();
    int screenX = 0, screenY = 0;
    ASSERT_TRUE(Client()->GetRenderHandler()->GetScreenPoint(browser, 10, 15, screenX, screenY));
    POINT expected = {place.left + 20, place.top + 30};
    ::ClientToScreen(host, &expected);
    EXPECT_EQ(screenX, expected.x);
    EXPECT_EQ(screenY, expected.y);
}

}  // namespace
