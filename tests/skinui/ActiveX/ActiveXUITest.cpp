#include "ActiveXHostTest.h"
#include "Control/ButtonUI.h"
#include "Core/DialogBuilder.h"
#include "DebugOutputCapture.h"
#include "SkinTestData.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

bool Saw(const std::vector<UINT>& messages, UINT msg)
{
    return std::find(messages.begin(), messages.end(), msg) != messages.end();
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

using ActiveXTest = HostingTest;

// ---- class identifiers and creation ----

TEST_F(ActiveXTest, ClassIdInBracesIsParsedAsText)
{
    CActiveXUI control;
    EXPECT_TRUE(control.SetClassId(kTestControlClsidText));
    EXPECT_TRUE(control.GetClassId() == kTestControlClsid);
}

TEST_F(ActiveXTest, UnknownProgIdLeavesNoClassAndCreatesNothing)
{
    CActiveXUI control;
    EXPECT_FALSE(control.SetClassId(L"Tolvan.NoSuchControl.1"));
    EXPECT_FALSE(control.SetClassId(L"{not a guid}"));
    EXPECT_TRUE(control.GetClassId() == GUID_NULL);
    control.SetAttribute(L"delaycreate", L"false");
    IUnknown* unknown = nullptr;
    EXPECT_EQ(E_PENDING, control.QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
}

TEST_F(ActiveXTest, QueryBeforeCreationIsPendingAndNeedsAnOutPointer)
{
    CActiveXUI control;
    control.SetClassId(kTestControlClsid);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(E_PENDING, control.QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(E_POINTER, control.QueryHostedControl(IID_IUnknown, nullptr));
}

TEST_F(ActiveXTest, UnregisteredClassFailsCleanlyAndSaysSoOnTheDebugOutput)
{
    DebugOutputCapture output;
    ASSERT_TRUE(output.IsListening());
    CActiveXUI control;
    control.SetClassId(L"{0D5E2C11-7A34-4E11-9A6B-5B1C2D3E4F50}");
    EXPECT_FALSE(control.CreateHostedControl());
    // REGDB_E_CLASSNOTREG as a signed number.
    EXPECT_TRUE(output.WaitForLineWith("CActiveXUI CoCreateInstance failed, hr=-2147221164, GLE="));
    IUnknown* unknown = nullptr;
    EXPECT_EQ(E_PENDING, control.QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_TRUE(control.PaintParts(nullptr, RECT{}, nullptr));
}

TEST_F(ActiveXTest, SwitchingDelayOffCreatesAtOnce)
{
    Register();
    CActiveXUI control;
    control.SetAttribute(L"clsid", kTestControlClsidText);
    EXPECT_EQ(0, TestOleControl::LiveCount());
    control.SetAttribute(L"delaycreate", L"false");
    EXPECT_FALSE(control.IsDelayedCreation());
    EXPECT_EQ(1, TestOleControl::LiveCount());
    IOleObject* object = nullptr;
    EXPECT_EQ(S_OK, control.QueryHostedControl(IID_IOleObject, reinterpret_cast<void**>(&object)));
    object->Release();
    EXPECT_EQ(L"UIActiveX", TestOleControl::Last()->containerApp);
}

TEST_F(ActiveXTest, MissingModuleFallsBackToTheRegisteredClass)
{
    Register();
    CActiveXUI control;
    control.SetAttribute(L"modulename", L"no-such-control.dll");
    control.SetClassId(kTestControlClsid);
    EXPECT_TRUE(control.CreateHostedControl());
    EXPECT_EQ(1, TestOleControl::LiveCount());
}

TEST_F(ActiveXTest, FailedInitialisationReleasesTheControl)
{
    TestControlOptions options;
    options.failInitNew = true;
    Register(options);
    CActiveXUI control;
    control.SetClassId(kTestControlClsid);
    EXPECT_FALSE(control.CreateHostedControl());
    control.ReleaseHostedControl();
    EXPECT_EQ(0, TestOleControl::LiveCount());
}

TEST_F(ActiveXTest, RecreationReleasesThePreviousControl)
{
    Register();
    CActiveXUI control;
    control.SetClassId(kTestControlClsid);
    EXPECT_TRUE(control.CreateHostedControl());
    const int created = TestOleControl::CreatedCount();
    EXPECT_TRUE(control.CreateHostedControl());
    EXPECT_EQ(created + 1, TestOleControl::CreatedCount());
    EXPECT_EQ(1, TestOleControl::LiveCount());
}

// ---- windowless hosting ----

TEST_F(ActiveXTest, WindowlessControlIsCreatedAtFirstLayoutAndPaintsIntoTheFramework)
{
    Register();
    auto* control = new CActiveXUI();
    control->SetAttribute(L"clsid", kTestControlClsidText);
    EXPECT_EQ(0, TestOleControl::LiveCount());
    TestOleControl* hosted = Show(control);
    ASSERT_NE(nullptr, hosted);
    EXPECT_EQ(1, TestOleControl::LiveCount());
    EXPECT_TRUE(hosted->activeWindowless);
    EXPECT_EQ(Window().Handle(), control->GetHostWindow());
    EXPECT_TRUE(::EqualRect(&control->GetPos(), &hosted->objectRect));
    EXPECT_EQ(10, control->GetPos().left);
    EXPECT_GT(hosted->extent.cx, 0);
    EXPECT_EQ(0x0000FFu, Window().PixelAt(50, 50));
    EXPECT_NE(0x0000FFu, Window().PixelAt(5, 5));
}

TEST_F(ActiveXTest, WindowlessControlGetsMouseOnlyOverItselfAndKeysOnlyWithFocus)
{
    TestOleControl* hosted = ShowHosted();
    ASSERT_NE(nullptr, hosted);
    const HWND host = Window().Handle();
    ::SendMessageW(host, WM_MOUSEMOVE, 0, Point(3, 3));
    EXPECT_FALSE(Saw(hosted->messages, WM_MOUSEMOVE));
    ::SendMessageW(host, WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(Saw(hosted->messages, WM_KEYDOWN));

    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 40));
    EXPECT_TRUE(Saw(hosted->messages, WM_LBUTTONDOWN));
    EXPECT_EQ(m_control, Window().Manager().GetFocus());
    // The control holds the capture: a move outside still reaches it.
    ::SendMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, Point(2, 2));
    EXPECT_TRUE(Saw(hosted->messages, WM_MOUSEMOVE));
    ::SendMessageW(host, WM_LBUTTONUP, 0, Point(2, 2));
    ::SendMessageW(host, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(Saw(hosted->messages, WM_KEYDOWN));
}

TEST_F(ActiveXTest, HiddenOrMouseDisabledControlGetsNoMouse)
{
    TestOleControl* hosted = ShowHosted();
    ASSERT_NE(nullptr, hosted);
    m_control->SetMouseEnabled(false);
    ::SendMessageW(Window().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 40));
    m_control->SetMouseEnabled(true);
    m_control->SetVisible(false);
    ::SendMessageW(Window().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 40));
    EXPECT_FALSE(Saw(hosted->messages, WM_LBUTTONDOWN));
}

// Without IViewObjectEx the host has no hit test to ask: the control hears the mouse only while it
// holds the capture, and a click beside it belongs to the neighbour.
TEST_F(ActiveXTest, WindowlessControlWithoutHitTestLeavesTheClicksOfItsNeighbour)
{
    TestControlOptions options;
    options.withholdViewObjectEx = true;
    auto* button = new CButtonUI();
    TestOleControl* hosted = ShowHosted(options, button);
    ASSERT_NE(nullptr, hosted);
    ASSERT_TRUE(hosted->activeWindowless);
    ASSERT_LE(m_control->GetPos().right, button->GetPos().left);
    NotifyRecorder notes;
    Window().Manager().AddNotifier(&notes);
    const HWND host = Window().Handle();
    const RECT buttonPos = button->GetPos();
    const LPARAM onButton = Point((buttonPos.left + buttonPos.right) / 2, (buttonPos.top + buttonPos.bottom) / 2);
    ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, onButton);
    ::SendMessageW(host, WM_LBUTTONUP, 0, onButton);
    EXPECT_EQ(1, notes.Count(L"click", button));
    EXPECT_FALSE(Saw(hosted->messages, WM_LBUTTONDOWN));
    EXPECT_FALSE(Saw(hosted->messages, WM_LBUTTONUP));
    ::SendMessageW(host, WM_MOUSEMOVE, 0, Point(40, 40));
    EXPECT_FALSE(Saw(hosted->messages, WM_MOUSEMOVE));

    // Holding the capture, it hears every mouse message, wherever it points.
    IOleInPlaceSiteWindowless* site = nullptr;
    ASSERT_EQ(S_OK, hosted->clientSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site)));
    site->SetCapture(TRUE);
    ::SendMessageW(host, WM_MOUSEMOVE, 0, onButton);
    EXPECT_TRUE(Saw(hosted->messages, WM_MOUSEMOVE));
    site->SetCapture(FALSE);
    site->Release();
    Window().Manager().RemoveNotifier(&notes);
}

TEST_F(ActiveXTest, ClosingTheWindowReleasesEveryReference)
{
    ASSERT_NE(nullptr, ShowHosted());
    EXPECT_EQ(1, TestOleControl::LiveCount());
    CloseWindow();
    EXPECT_EQ(0, TestOleControl::LiveCount());
}

TEST_F(ActiveXTest, CursorQuestionsGoToTheControlUnderTheMouseAndStayUnhandled)
{
    TestOleControl* hosted = ShowHosted();
    ASSERT_NE(nullptr, hosted);
    const HWND host = Window().Handle();
    ::SendMessageW(host, WM_MOUSEMOVE, 0, Point(40, 40));
    ::SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(Saw(hosted->messages, WM_SETCURSOR));
    ::SendMessageW(host, WM_MOUSEMOVE, 0, Point(3, 3));
    hosted->messages.clear();
    ::SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_FALSE(Saw(hosted->messages, WM_SETCURSOR));
}

TEST_F(ActiveXTest, ControlReleasedWhileHandlingAMessageIsNotTouchedAfterwards)
{
    TestOleControl* hosted = ShowHosted();
    ASSERT_NE(nullptr, hosted);
    hosted->onMessage = [this](UINT msg) {
        if (msg == WM_LBUTTONDOWN) m_control->ReleaseHostedControl();
    };
    ::SendMessageW(Window().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 40));
    EXPECT_EQ(0, TestOleControl::LiveCount());
    ::SendMessageW(Window().Handle(), WM_LBUTTONUP, 0, Point(40, 40));
    Window().Repaint();
}

// Counts the window messages offered to it through the manager's filter chain.
class CountingActiveX : public CActiveXUI {
public:
    int offered = 0;
    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override
    {
        ++offered;
        return CActiveXUI::MessageHandler(msg, wParam, lParam, handled);
    }
};

TEST_F(ActiveXTest, ActivatingAgainKeepsOneFilterThatReleaseRemoves)
{
    Register();
    auto* control = new CountingActiveX();
    control->SetClassId(kTestControlClsid);
    TestOleControl* hosted = Show(control);
    ASSERT_NE(nullptr, hosted);
    IOleInPlaceSiteWindowless* site = nullptr;
    ASSERT_EQ(S_OK, hosted->clientSite->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                       reinterpret_cast<void**>(&site)));
    EXPECT_EQ(S_OK, site->OnInPlaceActivateEx(nullptr, ACTIVATE_WINDOWLESS));
    site->Release();
    control->offered = 0;
    ::SendMessageW(Window().Handle(), WM_MOUSEMOVE, 0, Point(40, 40));
    EXPECT_EQ(1, control->offered);
    control->ReleaseHostedControl();
    control->offered = 0;
    ::SendMessageW(Window().Handle(), WM_MOUSEMOVE, 0, Point(41, 41));
    EXPECT_EQ(0, control->offered);
}

// A shown top-level window whose tree a skin built with its own manager.
struct SkinWindow : HostWindow {
    CContainerUI* root = nullptr;
    explicit SkinWindow(const wchar_t* xml)
    {
        if (!Create(nullptr, L"skin", WS_POPUP, 0, 10, 10, 200, 150)) return;
        CDialogBuilder builder;
        root = static_cast<CContainerUI*>(builder.Create(xml, nullptr, nullptr, &manager));
        manager.AttachRootControl(root);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    ~SkinWindow()
    {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    }
};

// Built from a skin that creates it at once, then taken out, its window closed and the control added to
// another window: the control is fed, named and parented by the window showing it.
TEST_F(ActiveXTest, ControlBuiltAtOnceOrMovedBelongsToTheWindowShowingIt)
{
    for (const bool windowless : {true, false}) {
        SCOPED_TRACE(windowless ? "windowless" : "windowed");
        TestControlOptions options;
        options.windowless = windowless;
        Register(options);
        auto first = std::make_unique<SkinWindow>(
            L"<Window><VerticalLayout inset=\"10,10,10,10\"><ActiveX name=\"x\" delaycreate=\"false\" "
            L"clsid=\"{6F1B3A52-3C0E-4B8E-9D55-2A7C1E0B9A11}\"/></VerticalLayout></Window>");
        SkinWindow second(L"<Window><VerticalLayout inset=\"20,20,20,20\"/></Window>");
        ASSERT_NE(nullptr, first->root);
        ASSERT_NE(nullptr, second.root);
        auto* control = static_cast<CActiveXUI*>(first->manager.FindControl(L"x"));
        ASSERT_NE(nullptr, control);
        TestOleControl* hosted = TestOleControl::Last();
        ASSERT_NE(nullptr, hosted);
        ASSERT_EQ(windowless, hosted->activeWindowless);
        IOleInPlaceSite* site = nullptr;
        ASSERT_EQ(S_OK, hosted->clientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)));
        const auto clickReaches = [&](HWND window) {
            hosted->messages.clear();
            ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 40));
            ::SendMessageW(window, WM_LBUTTONUP, 0, Point(40, 40));
            return Saw(hosted->messages, WM_LBUTTONDOWN);
        };
        if (windowless) {
            EXPECT_TRUE(clickReaches(first->GetHWND())) << "built at once, it hears no mouse";
        }

        // The first window ends while the control is out of every window.
        first->root->SetAutoDestroy(false);
        first->root->Remove(control);
        first.reset();
        second.root->Add(control);
        ::RedrawWindow(second.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HWND named = nullptr;
        EXPECT_EQ(S_OK, site->GetWindow(&named));
        if (windowless) {
            EXPECT_EQ(second.GetHWND(), named);
            EXPECT_TRUE(clickReaches(second.GetHWND())) << "moved, it hears no mouse";
        } else {
            EXPECT_TRUE(::IsWindow(control->GetHostWindow())) << "its child window went with the first window";
            EXPECT_EQ(second.GetHWND(), ::GetParent(control->GetHostWindow()));
            EXPECT_EQ(control->GetHostWindow(), named);
        }
        site->Release();
    }
}

// Built in code to create at once, before it joins any window, it is put in place once a window shows it.
TEST_F(ActiveXTest, ControlBuiltInCodeBeforeAnyWindowIsActivatedWhenShown)
{
    for (const bool windowless : {true, false}) {
        SCOPED_TRACE(windowless ? "windowless" : "windowed");
        TestControlOptions options;
        options.windowless = windowless;
        Register(options);
        SkinWindow window(L"<Window><VerticalLayout inset=\"10,10,10,10\"/></Window>");
        ASSERT_NE(nullptr, window.root);
        auto* control = new CActiveXUI();
        control->SetAttribute(L"delaycreate", L"false");
        control->SetAttribute(L"clsid", kTestControlClsidText);
        TestOleControl* hosted = TestOleControl::Last();
        ASSERT_NE(nullptr, hosted);
        EXPECT_FALSE(hosted->inPlaceActive) << "active without a window";
        control->SetVisible(false);
        window.root->Add(control);
        ::RedrawWindow(window.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_FALSE(hosted->inPlaceActive) << "active while hidden";
        control->SetVisible(true);
        ::RedrawWindow(window.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(hosted->inPlaceActive);
        EXPECT_EQ(windowless, hosted->activeWindowless);
        control->SetVisible(false);
        control->SetVisible(true);
        ::RedrawWindow(window.GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(1, std::count(hosted->verbs.begin(), hosted->verbs.end(), OLEIVERB_INPLACEACTIVATE))
            << "activated again at every showing";
        if (windowless) {
            hosted->messages.clear();
            ::SendMessageW(window.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 40));
            ::SendMessageW(window.GetHWND(), WM_LBUTTONUP, 0, Point(40, 40));
            EXPECT_TRUE(Saw(hosted->messages, WM_LBUTTONDOWN)) << "it hears no mouse";
        } else {
            EXPECT_TRUE(::IsWindow(control->GetHostWindow()));
            EXPECT_EQ(window.GetHWND(), ::GetParent(control->GetHostWindow()));
            RECT placed = {};
            ::GetWindowRect(control->GetHostWindow(), &placed);
            ::MapWindowPoints(nullptr, window.GetHWND(), reinterpret_cast<POINT*>(&placed), 2);
            EXPECT_TRUE(::EqualRect(&placed, &control->GetPos())) << "not at the control's place";
        }
    }
}

// Lets go of its control from the creation hook.
class ReleasingActiveX : public CActiveXUI {
public:
    void OnControlCreated() override { ReleaseHostedControl(); }
};

TEST_F(ActiveXTest, ControlReleasedFromTheCreationHookEndsCreation)
{
    Register();
    ReleasingActiveX control;
    control.SetClassId(kTestControlClsid);
    EXPECT_FALSE(control.CreateHostedControl());
    EXPECT_EQ(0, TestOleControl::LiveCount());
}

// Counts the creations that reached the hook of a finished creation.
class CreationCountingActiveX : public CActiveXUI {
public:
    int created = 0;
    void OnControlCreated() override { ++created; }
};

// The hosted control makes its owner let go of it in the middle of a call of creation or resizing; the
// control is still written to when the call returns, and the owner goes on without it.
TEST_F(ActiveXTest, ControlThatMakesItsOwnerLetGoDuringCreationOrResizingIsSafe)
{
    for (const wchar_t* call : {L"InitNew", L"DoVerb", L"SetExtent"}) {
        SCOPED_TRACE(CUIString(call).GetData());
        TestControlOptions options;
        int calls = 0;
        options.onHostCall = [this, call, &calls](const std::wstring& made) {
            if (made != call) return;
            ++calls;
            m_control->ReleaseHostedControl();
        };
        Register(options);
        auto* control = new CreationCountingActiveX();
        m_control = control;
        m_control->SetClassId(kTestControlClsid);
        // Created here rather than in the window's first layout, so that a fault is not lost in a
        // window procedure.
        if (CUIString(call) == L"InitNew") {
            EXPECT_FALSE(m_control->CreateHostedControl());
            EXPECT_EQ(0, control->created) << "a control let go of during InitNew was never created";
        }
        Show(m_control);
        EXPECT_EQ(1, calls);
        EXPECT_EQ(0, TestOleControl::LiveCount());
        m_control->SetPos(RECT{5, 5, 60, 60});
        EXPECT_EQ(1, calls) << "the control was let go of and is asked nothing more";
        CloseWindow();
    }
}

// ---- windowed hosting ----

class WindowedActiveXTest : public ActiveXTest {
protected:
    TestOleControl* ShowWindowed()
    {
        TestControlOptions options;
        options.windowless = false;
        return ShowHosted(options);
    }
    RECT HostWindowPlace() const
    {
        RECT placed = {};
        ::GetWindowRect(m_control->GetHostWindow(), &placed);
        ::MapWindowPoints(nullptr, ::GetParent(m_control->GetHostWindow()), reinterpret_cast<POINT*>(&placed), 2);
        return placed;
    }
};

TEST_F(WindowedActiveXTest, ControlLivesInAChildWindowThatFollowsTheControl)
{
    TestOleControl* hosted = ShowWindowed();
    ASSERT_NE(nullptr, hosted);
    EXPECT_FALSE(hosted->activeWindowless);
    const HWND host = m_control->GetHostWindow();
    ASSERT_TRUE(::IsWindow(host));
    EXPECT_EQ(Window().Handle(), ::GetParent(host));
    wchar_t className[32] = {};
    ::GetClassNameW(host, className, 32);
    EXPECT_STREQ(L"ActiveXWnd", className);
    EXPECT_EQ(host, ::GetParent(hosted->window));
    RECT placed = HostWindowPlace();
    EXPECT_TRUE(::EqualRect(&placed, &m_control->GetPos()));
    // Object rectangles of a windowed control are relative to its own window.
    EXPECT_EQ(0, hosted->objectRect.left);
    EXPECT_EQ(m_control->GetWidth(), hosted->objectRect.right);

    m_control->SetPos(RECT{20, 30, 80, 70});
    placed = HostWindowPlace();
    EXPECT_TRUE(::EqualRect(&placed, &m_control->GetPos()));
    EXPECT_EQ(60, hosted->objectRect.right);
}

TEST_F(WindowedActiveXTest, ChildWindowFollowsVisibility)
{
    ASSERT_NE(nullptr, ShowWindowed());
    const HWND host = m_control->GetHostWindow();
    m_control->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(host));
    m_control->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(host));
    m_control->SetInternalVisible(false);
    EXPECT_FALSE(::IsWindowVisible(host));
}

TEST_F(WindowedActiveXTest, ControlTakesUiActivationWithTheFocus)
{
    TestOleControl* hosted = ShowWindowed();
    ASSERT_NE(nullptr, hosted);
    ::SendMessageW(m_control->GetHostWindow(), WM_SETFOCUS, 0, 0);
    EXPECT_NE(hosted->verbs.end(), std::find(hosted->verbs.begin(), hosted->verbs.end(), OLEIVERB_UIACTIVATE));
}

TEST_F(WindowedActiveXTest, PrintDrawsTheControlIntoTheGivenDc)
{
    ASSERT_NE(nullptr, ShowWindowed());
    Canvas canvas(m_control->GetWidth(), m_control->GetHeight());
    EXPECT_EQ(1, ::SendMessageW(m_control->GetHostWindow(), WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc()),
                                PRF_CLIENT));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 5));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(m_control->GetWidth() - 1, m_control->GetHeight() - 1));
}

TEST_F(WindowedActiveXTest, FocusOfTheChildWindowIsTheSitesFocus)
{
    TestOleControl* hosted = ShowWindowed();
    ASSERT_NE(nullptr, hosted);
    IOleInPlaceSiteWindowless* site = nullptr;
    ASSERT_EQ(S_OK, hosted->clientSite->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                       reinterpret_cast<void**>(&site)));
    ::SendMessageW(m_control->GetHostWindow(), WM_SETFOCUS, 0, 0);
    EXPECT_EQ(S_OK, site->GetFocus());
    ::SendMessageW(m_control->GetHostWindow(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(S_FALSE, site->GetFocus());
    // A windowed site hands out its window's DC.
    HDC hdc = nullptr;
    EXPECT_EQ(S_OK, site->GetDC(nullptr, 0, &hdc));
    EXPECT_NE(nullptr, hdc);
    EXPECT_EQ(S_OK, site->ReleaseDC(hdc));
    site->Release();
}

TEST_F(WindowedActiveXTest, ControlThatRefusesUiActivationIsNotActivatedByAClick)
{
    TestControlOptions options;
    options.windowless = false;
    options.miscStatus |= OLEMISC_NOUIACTIVATE;
    ASSERT_NE(nullptr, ShowHosted(options));
    const HWND host = m_control->GetHostWindow();
    EXPECT_EQ(0, ::SendMessageW(host, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Window().Handle()),
                                MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    // It has a view object: the background is its to paint.
    EXPECT_EQ(1, ::SendMessageW(host, WM_ERASEBKGND, 0, 0));
}

TEST_F(WindowedActiveXTest, ClickActivatesAnOrdinaryControl)
{
    ASSERT_NE(nullptr, ShowWindowed());
    EXPECT_NE(0, ::SendMessageW(m_control->GetHostWindow(), WM_MOUSEACTIVATE,
                                reinterpret_cast<WPARAM>(Window().Handle()), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
}

TEST_F(WindowedActiveXTest, ReleasingTheControlDestroysItsWindow)
{
    ASSERT_NE(nullptr, ShowWindowed());
    const HWND host = m_control->GetHostWindow();
    m_control->ReleaseHostedControl();
    EXPECT_FALSE(::IsWindow(host));
    EXPECT_EQ(nullptr, m_control->GetHostWindow());
    EXPECT_EQ(0, TestOleControl::LiveCount());
}

TEST_F(WindowedActiveXTest, ControlThatLetsGoOfItsSiteDuringAVerbOfItsWindowsMessageIsSafe)
{
    TestOleControl* hosted = ShowWindowed();
    ASSERT_NE(nullptr, hosted);
    const HWND host = m_control->GetHostWindow();
    // The site, and with it the control's window, goes while that window still handles WM_SETFOCUS.
    hosted->onVerb = [this](LONG verb) {
        if (verb == OLEIVERB_UIACTIVATE) m_control->ReleaseHostedControl();
    };
    ::SendMessageW(host, WM_SETFOCUS, 0, 0);
    EXPECT_FALSE(::IsWindow(host));
    EXPECT_EQ(nullptr, m_control->GetHostWindow());
    EXPECT_EQ(0, TestOleControl::LiveCount());
}

// ---- the site as the control sees it ----

class SiteTest : public ActiveXTest {
protected:
    void SetUp() override
    {
        ActiveXTest::SetUp();
        TestOleControl* hosted = ShowHosted();
        ASSERT_NE(nullptr, hosted);
        m_site = hosted->clientSite;
        ASSERT_NE(nullptr, m_site);
    }
    template <class T>
    T* SiteAs(REFIID iid)
    {
        T* face = nullptr;
        EXPECT_EQ(S_OK, m_site->QueryInterface(iid, reinterpret_cast<void**>(&face)));
        return face;
    }

    IOleClientSite* m_site = nullptr;
};

TEST_F(SiteTest, EnumeratorHandsOutTheControlOnce)
{
    IOleContainer* container = nullptr;
    ASSERT_EQ(S_OK, m_site->GetContainer(&container));
    IEnumUnknown* items = nullptr;
    ASSERT_EQ(S_OK, container->EnumObjects(OLECONTF_EMBEDDINGS, &items));
    IUnknown* item = nullptr;
    ULONG fetched = 0;
    EXPECT_EQ(S_OK, items->Next(1, &item, &fetched));
    EXPECT_EQ(1u, fetched);
    ASSERT_NE(nullptr, item);
    item->Release();
    EXPECT_EQ(S_FALSE, items->Next(1, &item, &fetched));
    EXPECT_EQ(0u, fetched);
    items->Reset();
    EXPECT_EQ(S_OK, items->Next(1, &item, nullptr));
    item->Release();
    items->Release();
    container->Release();
}

TEST_F(SiteTest, WindowContextKeepsOneAcceleratorTable)
{
    auto* site = SiteAs<IOleInPlaceSite>(IID_IOleInPlaceSite);
    HACCEL tables[2] = {};
    for (HACCEL& table : tables) {
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT position = {}, clip = {};
        OLEINPLACEFRAMEINFO info = {};
        ASSERT_EQ(S_OK, site->GetWindowContext(&frame, &document, &position, &clip, &info));
        EXPECT_EQ(nullptr, document);
        EXPECT_EQ(Window().Handle(), info.hwndFrame);
        EXPECT_EQ(1u, info.cAccelEntries);
        EXPECT_EQ(INPLACE_E_NOTOOLSPACE, frame->RequestBorderSpace(nullptr));
        HWND frameWindow = nullptr;
        EXPECT_EQ(S_OK, frame->GetWindow(&frameWindow));
        EXPECT_EQ(Window().Handle(), frameWindow);
        frame->Release();
        table = info.haccel;
    }
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_EQ(E_POINTER, site->GetWindowContext(nullptr, nullptr, nullptr, nullptr, nullptr));
    site->Release();
}

TEST_F(SiteTest, FrameKeptByTheControlAnswersUnexpectedOnceTheOwnerLetGo)
{
    auto* site = SiteAs<IOleInPlaceSite>(IID_IOleInPlaceSite);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    ASSERT_EQ(S_OK, site->GetWindowContext(&frame, &document, &position, &clip, &info));
    site->Release();
    m_control->ReleaseHostedControl();
    HWND hwnd = nullptr;
    EXPECT_EQ(E_UNEXPECTED, frame->GetWindow(&hwnd));
    frame->Release();
}

TEST_F(SiteTest, WindowlessSiteGivesNoDcAndClearsTheOutPointer)
{
    auto* site = SiteAs<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
    HDC hdc = reinterpret_cast<HDC>(1);
    EXPECT_EQ(S_FALSE, site->GetDC(nullptr, 0, &hdc));
    EXPECT_EQ(nullptr, hdc);
    EXPECT_EQ(S_OK, site->CanWindowlessActivate());
    EXPECT_EQ(S_FALSE, site->GetCapture());
    EXPECT_EQ(S_OK, site->InvalidateRect(nullptr, FALSE));
    site->Release();
}

// A control invisible at run time is never activated in place, so its host has no window: nothing
// may then be drawn on, invalidated on or captured for the desktop.
TEST_F(ActiveXTest, WithoutAHostWindowTheSiteTouchesNoOtherWindow)
{
    TestControlOptions options;
    options.windowless = false;
    options.miscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME;
    TestOleControl* hosted = ShowHosted(options);
    ASSERT_NE(nullptr, hosted);
    ASSERT_FALSE(hosted->inPlaceActive);
    IOleInPlaceSiteWindowless* site = nullptr;
    ASSERT_EQ(S_OK, hosted->clientSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site)));
    HRGN region = ::CreateRectRgn(0, 0, 50, 50);
    EXPECT_EQ(E_FAIL, site->InvalidateRgn(region, FALSE));
    EXPECT_EQ(E_FAIL, site->InvalidateRgn(nullptr, TRUE));
    EXPECT_EQ(E_FAIL, site->InvalidateRect(nullptr, FALSE));
    ::DeleteObject(region);
    EXPECT_EQ(E_FAIL, hosted->clientSite->ShowObject());
    LRESULT result = 1;
    EXPECT_EQ(E_FAIL, site->OnDefWindowMessage(WM_PAINT, 0, 0, &result));
    EXPECT_EQ(E_FAIL, site->SetCapture(TRUE));
    EXPECT_EQ(S_FALSE, site->GetCapture());
    site->Release();
}

TEST_F(SiteTest, SiteKeptByOthersLetsTheControlGoAndAnswersUnexpected)
{
    m_site->AddRef();
    m_control->ReleaseHostedControl();
    // The site no longer holds the control's faces: nothing keeps the control alive.
    EXPECT_EQ(0, TestOleControl::LiveCount());
    IOleInPlaceSiteWindowless* site = nullptr;
    ASSERT_EQ(S_OK, m_site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site)));
    HWND hwnd = nullptr;
    EXPECT_EQ(E_UNEXPECTED, site->GetWindow(&hwnd));
    EXPECT_EQ(E_UNEXPECTED, site->SetFocus(TRUE));
    EXPECT_EQ(E_UNEXPECTED, site->InvalidateRect(nullptr, FALSE));
    EXPECT_EQ(E_UNEXPECTED, site->OnInPlaceActivateEx(nullptr, ACTIVATE_WINDOWLESS));
    EXPECT_EQ(E_UNEXPECTED, m_site->ShowObject());
    site->Release();
    m_site->Release();
}

TEST_F(SiteTest, ObjectWithSiteKeepsAndHandsBackTheGivenSite)
{
    auto* withSite = SiteAs<IObjectWithSite>(IID_IObjectWithSite);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(E_FAIL, withSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    withSite->SetSite(m_site);
    EXPECT_EQ(S_OK, withSite->GetSite(IID_IOleClientSite, reinterpret_cast<void**>(&unknown)));
    unknown->Release();
    withSite->SetSite(nullptr);
    withSite->Release();
}

TEST_F(SiteTest, ExtendedControlIsTheControlsDispatch)
{
    auto* controlSite = SiteAs<IOleControlSite>(IID_IOleControlSite);
    IDispatch* dispatch = nullptr;
    EXPECT_EQ(S_OK, controlSite->GetExtendedControl(&dispatch));
    ASSERT_NE(nullptr, dispatch);
    dispatch->Release();
    EXPECT_EQ(S_FALSE, controlSite->TranslateAccelerator(nullptr, 0));
    controlSite->Release();
}

}  // namespace
