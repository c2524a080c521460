#include "Control/InputsRegistration.h"
#include "Control/ListsRegistration.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "SkinTestData.h"
#include "TestWindows.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// Remembers the events it was given.
class RecordingControl : public CControlUI {
public:
    std::vector<int> events;
    std::vector<WORD> keyStates;
    std::vector<WPARAM> wParams;
    UINT flags = 0;
    UINT GetControlFlags() const override { return flags; }
    void HandleEvent(ControlEvent& event) override
    {
        events.push_back(event.Type);
        keyStates.push_back(event.wKeyState);
        wParams.push_back(event.wParam);
        CControlUI::HandleEvent(event);
    }
    int Count(int type) const { return static_cast<int>(std::count(events.begin(), events.end(), type)); }
    // Where the first event of the type stands in the record, or -1.
    int IndexOf(int type) const
    {
        const auto at = std::find(events.begin(), events.end(), type);
        return at == events.end() ? -1 : static_cast<int>(at - events.begin());
    }
    void Forget()
    {
        events.clear();
        keyStates.clear();
        wParams.clear();
    }
};

// A window message and the control event it should become.
struct MessageEvent {
    UINT message;
    WPARAM wParam;
    int event;
};

// A root that owns children at fixed places, hit-tests them before itself and paints them after itself.
class FixedRoot : public RecordingControl {
public:
    ~FixedRoot() override
    {
        for (CControlUI* child : m_children) delete child;
    }
    template <class T>
    T* Add(T* child, const RECT& rc)
    {
        m_children.push_back(child);
        m_places.push_back(rc);
        return child;
    }
    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override
    {
        CControlUI::SetManager(manager, parent, runInit);
        for (CControlUI* child : m_children) child->SetManager(manager, this, runInit);
    }
    void SetPos(RECT rc, bool invalidate = true) override
    {
        CControlUI::SetPos(rc, invalidate);
        for (size_t i = 0; i < m_children.size(); ++i) m_children[i]->SetPos(m_places[i], invalidate);
    }
    CControlUI* FindControl(FindControlProc proc, void* data, UINT flags) override
    {
        if ((flags & FIND_VISIBLE) && !IsVisible()) return nullptr;
        for (CControlUI* child : m_children)
            if (CControlUI* found = child->FindControl(proc, data, flags)) return found;
        return CControlUI::FindControl(proc, data, flags);
    }
    bool Paint(HDC hdc, const RECT& paint, CControlUI* stop) override
    {
        if (!CControlUI::Paint(hdc, paint, stop)) return false;
        for (CControlUI* child : m_children)
            if (!child->Paint(hdc, paint, stop)) return false;
        return true;
    }

private:
    std::vector<CControlUI*> m_children;
    std::vector<RECT> m_places;
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void DrainMessages()
{
    MSG msg = {};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class WindowInputTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"input", WS_POPUP, 0, 50, 60, 200, 100))
            << "no window: is an X display available?";
        manager().AddNotifier(&notes);
        root = new FixedRoot();
        root->SetBkColor(0xFFFF0000);
        child = root->Add(new RecordingControl(), RECT{10, 10, 50, 40});
        child->SetBkColor(0xFF0000FF);
        other = root->Add(new RecordingControl(), RECT{100, 10, 140, 40});
        manager().AttachRootControl(root);
        ::ShowWindow(host, SW_SHOWNOACTIVATE);
        ::UpdateWindow(host);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    CWindowUIManager& manager() { return host.manager; }
    // Puts the real pointer there too: mouse tracking compares with it.
    void MoveTo(int x, int y)
    {
        POINT screen = {x, y};
        ::ClientToScreen(host, &screen);
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageW(host, WM_MOUSEMOVE, 0, At(x, y));
    }
    DWORD OffscreenPixel(int x, int y) const
    {
        RECT client = {};
        ::GetClientRect(host, &client);
        const auto* bits = reinterpret_cast<const DWORD*>(host.manager.GetOffscreenBits());
        return bits[(client.bottom - 1 - y) * client.right + x];
    }

    HostWindow host;
    NotifyRecorder notes;
    FixedRoot* root = nullptr;
    RecordingControl* child = nullptr;
    RecordingControl* other = nullptr;
};

TEST_F(WindowInputTest, FirstPaintLaysOutThenNotifiesInitAtOnceAndSizeLater)
{
    const RECT& pos = root->GetPos();
    EXPECT_EQ(200, pos.right - pos.left);
    EXPECT_EQ(100, pos.bottom - pos.top);
    EXPECT_EQ(1, notes.Count(L"windowinit", root));
    EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"windowsize", root) == 1; }));
    ::InvalidateRect(host, nullptr, FALSE);
    ::UpdateWindow(host);
    DrainMessages();
    EXPECT_EQ(1, notes.Count(L"windowinit", root));
    EXPECT_EQ(1, notes.Count(L"windowsize", root));
}

TEST_F(WindowInputTest, PaintsTheTreeIntoTheOffscreenBitmap)
{
    ASSERT_NE(nullptr, manager().GetOffscreenBits());
    EXPECT_EQ(0xFF0000u, OffscreenPixel(5, 5) & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, OffscreenPixel(20, 20) & 0xFFFFFF);
    child->SetBkColor(0xFF00FF00);
    ::UpdateWindow(host);
    EXPECT_EQ(0x00FF00u, OffscreenPixel(20, 20) & 0xFFFFFF);
    EXPECT_EQ(0xFF0000u, OffscreenPixel(5, 5) & 0xFFFFFF);
}

TEST_F(WindowInputTest, ResizeLaysOutAgainAtTheNewSize)
{
    ::SetWindowPos(host, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(host);
    EXPECT_EQ(300, root->GetWidth());
    EXPECT_EQ(0xFF0000u, OffscreenPixel(290, 140) & 0xFFFFFF);
}

TEST_F(WindowInputTest, HoverFollowsThePointerAndLeavingClearsIt)
{
    MoveTo(20, 20);
    EXPECT_EQ(1, child->Count(EVT_MOUSEENTER));
    EXPECT_EQ(1, child->Count(EVT_MOUSEMOVE));
    MoveTo(110, 20);
    EXPECT_EQ(1, child->Count(EVT_MOUSELEAVE));
    EXPECT_EQ(1, other->Count(EVT_MOUSEENTER));
    ::SendMessageW(host, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    EXPECT_EQ(1, other->Count(EVT_MOUSELEAVE));
}

TEST_F(WindowInputTest, ButtonUpGoesToThePressedControlWherever)
{
    MoveTo(20, 20);
    ::PostMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    ::PostMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, At(120, 20));
    ::PostMessageW(host, WM_LBUTTONUP, 0, At(120, 20));
    ASSERT_TRUE(PumpUntil([&] { return child->Count(EVT_BUTTONUP) == 1; }));
    EXPECT_EQ(1, child->Count(EVT_BUTTONDOWN));
    EXPECT_EQ(0, other->Count(EVT_BUTTONUP));
    // While pressed, moves go to the pressed control and hover does not change.
    EXPECT_EQ(2, child->Count(EVT_MOUSEMOVE));
    EXPECT_EQ(0, other->Count(EVT_MOUSEENTER));
    EXPECT_FALSE(manager().IsCaptured());
}

TEST_F(WindowInputTest, RightButtonAndContextMenuReachThePressedControl)
{
    child->SetContextMenuUsed(true);
    ::SendMessageW(host, WM_RBUTTONDOWN, MK_RBUTTON, At(20, 20));
    ::SendMessageW(host, WM_RBUTTONUP, 0, At(20, 20));
    POINT screen = {20, 20};
    ::ClientToScreen(host, &screen);
    ::SendMessageW(host, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(host.GetHWND()), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(1, child->Count(EVT_RBUTTONDOWN));
    EXPECT_EQ(1, child->Count(EVT_RBUTTONUP));
    EXPECT_EQ(1, child->Count(EVT_CONTEXTMENU));
    EXPECT_EQ(1, notes.Count(L"menu", child));
}

TEST_F(WindowInputTest, ButtonEventsCarryTheKeyStateOfTheirMessage)
{
    // Neither key is down now: the state can only come from the messages.
    const WPARAM keys = MK_SHIFT | MK_CONTROL;
    const MessageEvent presses[] = {
        {WM_LBUTTONDOWN, keys | MK_LBUTTON, EVT_BUTTONDOWN}, {WM_LBUTTONUP, keys, EVT_BUTTONUP},
        {WM_LBUTTONDBLCLK, keys | MK_LBUTTON, EVT_DBLCLICK},  {WM_LBUTTONUP, keys | MK_RBUTTON, EVT_BUTTONUP},
        {WM_RBUTTONDOWN, keys | MK_RBUTTON, EVT_RBUTTONDOWN}, {WM_RBUTTONUP, MK_SHIFT, EVT_RBUTTONUP},
        {WM_MBUTTONDOWN, keys | MK_MBUTTON, EVT_MBUTTONDOWN}, {WM_MBUTTONUP, MK_CONTROL, EVT_MBUTTONUP},
    };
    for (const auto& press : presses) {
        child->Forget();
        ::SendMessageW(host, press.message, press.wParam, At(20, 20));
        const int at = child->IndexOf(press.event);
        ASSERT_LE(0, at) << press.message;
        EXPECT_EQ(press.wParam, child->keyStates[static_cast<size_t>(at)]) << press.message;
    }
}

TEST_F(WindowInputTest, MoveAndHoverEventsCarryTheWParamOfTheirMessage)
{
    const MessageEvent messages[] = {
        {WM_MOUSEMOVE, MK_SHIFT | MK_LBUTTON, EVT_MOUSEMOVE},
        {WM_MOUSEHOVER, MK_CONTROL, EVT_MOUSEHOVER},
    };
    MoveTo(20, 20);
    for (const auto& message : messages) {
        child->Forget();
        ::SendMessageW(host, message.message, message.wParam, At(20, 20));
        const int at = child->IndexOf(message.event);
        ASSERT_LE(0, at) << message.message;
        EXPECT_EQ(message.wParam, child->wParams[static_cast<size_t>(at)]) << message.message;
    }
}

TEST_F(WindowInputTest, CloseEndsTheHoverAndThePressForGood)
{
    MoveTo(20, 20);
    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    ASSERT_TRUE(manager().IsCaptured());
    LRESULT result = 0;
    manager().MessageHandler(WM_CLOSE, 0, 0, result);  // the window itself stays for what follows
    EXPECT_EQ(1, child->Count(EVT_MOUSELEAVE));
    // The button was never released: the press ends as a focus loss, not as a release that would act.
    EXPECT_EQ(0, child->Count(EVT_BUTTONUP));
    EXPECT_LE(1, child->Count(EVT_KILLFOCUS));
    EXPECT_FALSE(manager().IsCaptured());
    EXPECT_NE(host.GetHWND(), ::GetCapture());
    ::SendMessageW(host, WM_LBUTTONUP, 0, At(20, 20));
    ::SendMessageW(host, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    EXPECT_EQ(0, child->Count(EVT_BUTTONUP)) << "no press is left to end";
    EXPECT_EQ(1, child->Count(EVT_MOUSELEAVE)) << "no hover is left to end";
}

TEST_F(WindowInputTest, CloseUnderAHeldControlTakesNoActionOfIt)
{
    RegisterInputsControls(*CControlFactory::GetInstance());
    RegisterListsControls(*CControlFactory::GetInstance());
    // Each control fills the window; pressed at the first point and dragged to the second.
    const struct {
        const wchar_t* control;
        POINT press;
        POINT drag;
    } held[] = {
        {L"<Button text=\"go\"/>", {100, 50}, {110, 50}},
        {L"<Option text=\"one\"/>", {100, 50}, {110, 50}},
        {L"<CheckBox text=\"two\"/>", {100, 50}, {110, 50}},
        {L"<FadeButton text=\"fade\"/>", {100, 50}, {110, 50}},
        {L"<Slider min=\"0\" max=\"100\"/>", {20, 50}, {150, 50}},
        {L"<ColorPalette/>", {100, 40}, {150, 20}},
        {L"<List><ListLabelElement text=\"row\" height=\"90\"/></List>", {100, 50}, {110, 50}},
        {L"<Text showhtml=\"true\" text=\"{a}link link link link link link{/a}\"/>", {8, 8}, {9, 8}},
        {L"<List><ListHeader height=\"24\"><ListHeaderItem width=\"80\" sepwidth=\"4\"/></ListHeader>"
         L"<ListLabelElement text=\"row\"/></List>", {20, 10}, {30, 10}},
    };
    for (const auto& press : held) {
        CDialogBuilder builder;
        const std::wstring xml = std::wstring(L"<Window>") + press.control + L"</Window>";
        CControlUI* built = builder.Create(xml.c_str(), nullptr, nullptr, &manager());
        ASSERT_NE(nullptr, built) << press.control;
        manager().AttachRootControl(built);
        ::InvalidateRect(host, nullptr, FALSE);
        ::UpdateWindow(host);
        ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, At(press.press.x, press.press.y));
        ::SendMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, At(press.drag.x, press.drag.y));
        ASSERT_TRUE(manager().IsCaptured()) << press.control;
        notes.seen.clear();
        LRESULT result = 0;
        manager().MessageHandler(WM_CLOSE, 0, 0, result);
        ::SendMessageW(host, WM_LBUTTONUP, 0, At(press.drag.x, press.drag.y));
        EXPECT_FALSE(manager().IsCaptured()) << press.control;
        for (const NotifyMessage& note : notes.seen)
            EXPECT_STREQ(L"killfocus", note.sType.GetData()) << press.control << ": nothing but the focus loss";
    }
}

TEST_F(WindowInputTest, APressEndsWithoutAReleaseWhenTheWindowLosesTheMouse)
{
    HostWindow elsewhere;
    ASSERT_NE(nullptr, elsewhere.Create(nullptr, L"elsewhere", WS_POPUP, 0, 300, 60, 50, 50));
    const std::function<void()> losses[] = {
        [&] { ::SendMessageW(host, WM_KILLFOCUS, reinterpret_cast<WPARAM>(elsewhere.GetHWND()), 0); },
        [&] { ::SetCapture(elsewhere); },
    };
    for (size_t i = 0; i < std::size(losses); ++i) {
        child->events.clear();
        other->events.clear();
        ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
        ASSERT_TRUE(manager().IsCaptured()) << i;
        losses[i]();
        ::ReleaseCapture();
        EXPECT_FALSE(manager().IsCaptured()) << i;
        EXPECT_EQ(1, child->Count(EVT_KILLFOCUS)) << i << ": the pressed control hears the press is over";
        EXPECT_EQ(0, child->Count(EVT_BUTTONUP)) << i;
        // Later moves and a release elsewhere in the window are no part of that press.
        ::SendMessageW(host, WM_MOUSEMOVE, 0, At(120, 20));
        ::SendMessageW(host, WM_LBUTTONUP, 0, At(120, 20));
        EXPECT_EQ(0, child->Count(EVT_MOUSEMOVE)) << i;
        EXPECT_EQ(0, child->Count(EVT_BUTTONUP)) << i;
        EXPECT_EQ(1, other->Count(EVT_MOUSEMOVE)) << i;
        ::SendMessageW(host, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    }
    ::DestroyWindow(elsewhere);
}

TEST_F(WindowInputTest, MarkupLinkUnderTheMouseTakesTheHoverColour)
{
    manager().SetDefaultLinkFontColor(0xFF0000FF);
    manager().SetDefaultLinkHoverFontColor(0xFFFF0000);
    ::SendMessageW(host, WM_MOUSEMOVE, 0, At(20, 10));
    const auto drawLinks = [&](Canvas& canvas) {
        RECT rects[2] = {{0, 0, 60, 30}, {0, 0, 0, 0}};
        CUIString targets[2] = {L"home", L""};
        int count = 2;
        RECT rc = canvas.Bounds();
        CPainter::DrawHtmlText(canvas.dc(), &manager(), rc, L"<a home>WWW</a> <a away>WWW</a>", 0, rects, targets,
                               count, -1, DT_SINGLELINE);
        return count;
    };
    Canvas canvas(200, 30, 0xFFFFFFFF);
    EXPECT_EQ(2, drawLinks(canvas));
    // The hovered link ends before the other one, drawn in the plain link colour, begins.
    int hoverEnd = 0, plainStart = 200;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 30; ++y) {
            if (canvas.Rgb(x, y) == 0xFF0000u) hoverEnd = std::max(hoverEnd, x + 1);
            if (canvas.Rgb(x, y) == 0x0000FFu) plainStart = std::min(plainStart, x);
        }
    EXPECT_GT(hoverEnd, 0);
    EXPECT_LT(plainStart, 200);
    EXPECT_LE(hoverEnd, plainStart);
    ::SendMessageW(host, WM_MOUSEMOVE, 0, At(150, 80));
    Canvas away(200, 30, 0xFFFFFFFF);
    drawLinks(away);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 30; ++y) ASSERT_NE(0xFF0000u, away.Rgb(x, y)) << x << "," << y;
}

TEST_F(WindowInputTest, CursorComesFromTheControlThatAsksForIt)
{
    child->flags = CONTROL_FLAG_SETCURSOR;
    child->SetAttribute(L"cursor", L"hand");
    MoveTo(20, 20);
    const LRESULT handled =
        ::SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(1, child->Count(EVT_SETCURSOR));
    EXPECT_EQ(0, handled);
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_HAND), ::GetCursor());
    MoveTo(110, 20);
    ::SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(0, other->Count(EVT_SETCURSOR));
}

TEST_F(WindowInputTest, HoverMessageShowsTheToolTipOfTheControlUnderThePoint)
{
    child->SetToolTip(L"tip");
    MoveTo(20, 20);
    ::SendMessageW(host, WM_MOUSEHOVER, 0, At(20, 20));
    EXPECT_EQ(1, child->Count(EVT_MOUSEHOVER));
    ASSERT_NE(nullptr, manager().GetToolTipWindow());
    root->SetMouseEnabled(false);
    ::SendMessageW(host, WM_MOUSEHOVER, 0, At(150, 90));
    EXPECT_EQ(1, child->Count(EVT_MOUSEHOVER));
}

TEST_F(WindowInputTest, MinimumAndMaximumTrackSizes)
{
    manager().SetMinInfo(150, 80);
    manager().SetMaxInfo(250, 0);
    MINMAXINFO info = {};
    info.ptMaxTrackSize = POINT{5000, 5000};
    ::SendMessageW(host, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(150, info.ptMinTrackSize.x);
    EXPECT_EQ(80, info.ptMinTrackSize.y);
    EXPECT_EQ(250, info.ptMaxTrackSize.x);
    EXPECT_EQ(5000, info.ptMaxTrackSize.y);
}

TEST_F(WindowInputTest, PrintClientPaintsTheTreeIntoTheGivenDc)
{
    Canvas canvas(200, 100, 0xFF000000);
    ::SendMessageW(host, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(5, 5));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(20, 20));
}

TEST_F(WindowInputTest, LayeredWindowTakesItsShapeFromTheBackgroundImage)
{
    SkinZipScope zip;
    manager().SetLayered(true);
    if (!manager().IsLayered()) GTEST_SKIP() << "no UpdateLayeredWindow";
    // Magenta is masked out: the bottom-right quarter of the window becomes fully transparent.
    manager().SetLayeredImage(L"file='image/quad.png' mask='#FFFF00FF'");
    ::UpdateWindow(host);
    ::UpdateWindow(host);
    EXPECT_NE(0, ::GetWindowLongW(host, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(0xFFFF0000u, OffscreenPixel(5, 5));
    EXPECT_EQ(0u, OffscreenPixel(190, 90));
}

TEST_F(WindowInputTest, LayeredWindowWithoutImageMakesDrawnPixelsOpaque)
{
    manager().SetLayered(true);
    if (!manager().IsLayered()) GTEST_SKIP() << "no UpdateLayeredWindow";
    ::UpdateWindow(host);
    EXPECT_EQ(0xFF0000FFu, OffscreenPixel(20, 20));
}

}  // namespace

namespace {

// Takes WM_SIZE before the manager sees it: the client area changes without a layout.
class SizeSwallower : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT msg, WPARAM, LPARAM, bool& handled) override
    {
        handled = msg == WM_SIZE;
        return 0;
    }
};

}  // namespace

TEST_F(WindowInputTest, LayeredPaintFollowsAClientSizeThatChangedWithoutLayout)
{
    manager().SetLayered(true);
    if (!manager().IsLayered()) GTEST_SKIP() << "no UpdateLayeredWindow";
    ::UpdateWindow(host);
    SizeSwallower swallower;
    manager().AddMessageFilter(&swallower);
    ::SetWindowPos(host, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(host, nullptr, FALSE);
    ::UpdateWindow(host);
    manager().RemoveMessageFilter(&swallower);
    // The bitmap has the new size: its far corner is there to read, and the tree is painted as before.
    EXPECT_EQ(0u, OffscreenPixel(890, 690));
    EXPECT_EQ(0xFF0000FFu, OffscreenPixel(20, 20));
}
