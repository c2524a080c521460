#include "Control/UIFadeButton.h"
#include "Control/UIGifAnim.h"
#include "Control/UIHotKey.h"
#include "Control/UIOption.h"
#include "Control/UIPlaceHolder.h"
#include "Control/UIRing.h"
#include "Control/UIRollText.h"
#include "Core/UITaskQueue.h"
#include "Core/WindowUIManager.h"
#include "Layout/BoxLayout.h"
#include "Layout/TabLayoutUI.h"
#include "../Core/RootedHostWindows.h"
#include "../Core/SkinTestData.h"
#include "InputsTestSupport.h"
#include "TestImages.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

template <class T>
T* PlaceIn(CContainerUI& parent, T* control, RECT rc)
{
    parent.Add(control);
    control->SetPos(rc);
    return control;
}

std::wstring ClassNameOf(HWND hwnd)
{
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

class ExtrasWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.CreateTopLevel());
        host.manager.AddNotifier(&notes);
        root = ShowWithRoot(host);
    }
    void TearDown() override
    {
        host.Close();
        PumpUntil([this] { return host.GetHWND() == nullptr; });
    }
    HostWindow host;
    NoteLog notes;
    CVerticalLayoutUI* root = nullptr;
};

TEST_F(ExtrasWindowTest, FadeButtonSwitchesFadesWhenTheMouseComesAndGoes)
{
    auto* button = PlaceIn(*root, new CFadeButtonUI(), RECT{0, 0, 40, 20});
    ControlEvent enter = MakeEvent(EVT_MOUSEENTER, 5, 5);
    button->DispatchEvent(enter);
    EXPECT_TRUE(button->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    button->OnAnimationElapse(CFadeButtonUI::kFadeIn);
    EXPECT_EQ(10, button->GetFade());
    button->OnAnimationElapse(CFadeButtonUI::kFadeIn);
    EXPECT_EQ(255 / 30, button->GetFade());
    ControlEvent leave = MakeEvent(EVT_MOUSELEAVE, 50, 50);
    button->DispatchEvent(leave);
    EXPECT_FALSE(button->IsAnimationRunning(CFadeButtonUI::kFadeIn));
    EXPECT_TRUE(button->IsAnimationRunning(CFadeButtonUI::kFadeOut));
    EXPECT_EQ(0, button->GetFade());
    EXPECT_EQ(0, button->GetCurrentFrame(CFadeButtonUI::kFadeOut));
    // A second leave while fading out changes nothing.
    button->OnAnimationElapse(CFadeButtonUI::kFadeOut);
    button->DispatchEvent(leave);
    EXPECT_EQ(1, button->GetCurrentFrame(CFadeButtonUI::kFadeOut));
    EXPECT_TRUE(PumpUntil([button] { return !button->IsAnimationRunning(CFadeButtonUI::kFadeOut); }));
}

TEST_F(ExtrasWindowTest, FadeButtonPaintsTheHotImageOnceFadedIn)
{
    SkinZipScope zip;
    TempImageFile normal("fade-normal.bmp", MakeBmp(4, 4, 0x0000FF));
    TempImageFile hot("fade-hot.bmp", MakeBmp(4, 4, 0xFF0000));
    auto* button = PlaceIn(*root, new CFadeButtonUI(), RECT{0, 0, 20, 20});
    button->SetAttribute(L"normalimage", normal.Path().c_str());
    button->SetAttribute(L"hotimage", hot.Path().c_str());
    Canvas canvas(20, 20);
    button->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(10, 10));
    ControlEvent enter = MakeEvent(EVT_MOUSEENTER, 5, 5);
    button->DispatchEvent(enter);
    EXPECT_TRUE(PumpUntil([button] { return !button->IsAnimationRunning(CFadeButtonUI::kFadeIn); }));
    button->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(10, 10));
}

TEST_F(ExtrasWindowTest, RingStartsTurningOnceItsImageIsLoaded)
{
    SkinZipScope zip;
    TempImageFile image("ring.bmp", MakeBmp(8, 8, 0x00FF00));
    auto* ring = PlaceIn(*root, new CRingUI(), RECT{0, 0, 20, 20});
    ring->SetAttribute(L"bkimage", image.Path().c_str());
    EXPECT_FALSE(host.manager.KillTimer(ring, CRingUI::kTurnTimer));
    Canvas canvas(20, 20);
    ring->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_TRUE(ring->IsImageLoaded());
    EXPECT_EQ(0x00FF00u, canvas.Rgb(10, 10));
    EXPECT_TRUE(PumpUntil([ring] { return ring->GetAngle() >= 72; }));
    // Moved into another window, it turns on there.
    HostWindow second;
    auto* secondRoot = OpenWithRoot(second);
    ASSERT_NE(nullptr, secondRoot);
    ASSERT_TRUE(MoveInto(*secondRoot, *root, ring));
    const float angle = ring->GetAngle();
    EXPECT_TRUE(PumpUntil([ring, angle] { return ring->GetAngle() != angle; })) << "the ring stopped in its new window";
    ring->SetAttribute(L"bkimage", image.Path().c_str());
    EXPECT_TRUE(ring->IsImageLoaded());
    ring->SetAttribute(L"bkimage", L"");
    EXPECT_FALSE(ring->IsImageLoaded());
    ::DestroyWindow(second.GetHWND());
}

TEST_F(ExtrasWindowTest, RollTextRollsOnItsTimerUntilTheTimeLimit)
{
    auto* roll = PlaceIn(*root, new CRollTextUI(), RECT{0, 0, 100, 20});
    roll->SetText(L"news");
    ASSERT_TRUE(roll->BeginRoll(CRollTextUI::kUp, 10, 50));
    EXPECT_TRUE(PumpUntil([this, roll] { return notes.Count(L"textrollend", roll) == 1; }));
    EXPECT_TRUE(host.manager.KillTimer(roll, CRollTextUI::kTickTimer));
    EXPECT_FALSE(host.manager.KillTimer(roll, CRollTextUI::kEndTimer));
}

TEST_F(ExtrasWindowTest, HotKeyEditsInTheSystemControlAndReportsChanges)
{
    auto* hotKey = PlaceIn(*root, new CHotKeyUI(), RECT{10, 10, 150, 34});
    hotKey->SetHotKey('B', HOTKEYF_CONTROL);
    hotKey->SetFocus();
    HWND native = hotKey->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    EXPECT_EQ(L"HotKeyClass", ClassNameOf(native));
    EXPECT_EQ(MAKEWORD('B', HOTKEYF_CONTROL), LOWORD(::SendMessageW(native, HKM_GETHOTKEY, 0, 0)));
    EXPECT_EQ(CHotKeyUI::CombinationText('B', HOTKEYF_CONTROL), hotKey->GetText());

    ::SendMessageW(native, HKM_SETHOTKEY, MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    ::SendMessageW(host.GetHWND(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(native));
    EXPECT_EQ('A', hotKey->GetVirtualKey());
    EXPECT_EQ(HOTKEYF_CONTROL | HOTKEYF_SHIFT, hotKey->GetModifiers());
    EXPECT_EQ(CHotKeyUI::CombinationText('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT), hotKey->GetText());
    EXPECT_EQ(1, notes.Count(L"textchanged", hotKey));

    ::SendMessageW(native, HKM_SETHOTKEY, 0, 0);
    ::SendMessageW(host.GetHWND(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(native));
    EXPECT_EQ(CUIString(L"无"), hotKey->GetText());
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1, notes.Count(L"return", hotKey));

    ::SetFocus(host.GetHWND());
    EXPECT_TRUE(PumpUntil([hotKey] { return hotKey->GetNativeWindow() == nullptr; }));
}

// A hot key box moved into another window while it is edited closes its native box: none stays over the
// window it left, still typing into the moved control.
TEST_F(ExtrasWindowTest, AHotKeyMovedWhileEditedLeavesNoNativeBoxBehind)
{
    auto* first = NewSelfDeletingWindow();
    auto* firstRoot = OpenWithRoot(*first, Shown::WithFocus);
    ASSERT_NE(nullptr, firstRoot);
    HWND firstHwnd = first->GetHWND();
    auto* hotKey = PlaceIn(*firstRoot, new CHotKeyUI(), RECT{10, 10, 150, 34});
    hotKey->SetFocus();
    HWND native = hotKey->GetNativeWindow();
    ASSERT_NE(nullptr, native);
    ASSERT_EQ(firstHwnd, ::GetParent(native));
    firstRoot->SetAutoDestroy(false);
    ASSERT_TRUE(firstRoot->Remove(hotKey));
    PlaceIn(*root, hotKey, RECT{10, 10, 150, 34});
    EXPECT_FALSE(::IsWindow(native)) << "the moved hot key's native box stays over the first window";
    EXPECT_EQ(nullptr, hotKey->GetNativeWindow());
    ::DestroyWindow(firstHwnd);
    hotKey->SetFocus();
    EXPECT_NE(nullptr, hotKey->GetNativeWindow()) << "the moved hot key opens no box in its new window";
}

TEST_F(ExtrasWindowTest, PlaceHolderKeepsItsWindowOnItsRectangle)
{
    auto* holder = new CPlaceHolderUI();
    holder->SetName(L"slot");
    holder->SetAttribute(L"bkcolor", L"#FF00FF00");
    CUIString sized;
    holder->SetSizeCallback([&sized](const CUIString& name) { sized = name; });
    root->Add(holder);
    HWND window = holder->GetNativeWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(L"PlaceHolderWindowClass", ClassNameOf(window));
    EXPECT_EQ(DWORD(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)) & 0x56000000u);
    holder->SetPos(RECT{20, 30, 120, 90});
    RECT rc;
    ::GetWindowRect(window, &rc);
    ::MapWindowPoints(HWND_DESKTOP, host.GetHWND(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(20, rc.left);
    EXPECT_EQ(30, rc.top);
    EXPECT_EQ(100, rc.right - rc.left);
    EXPECT_EQ(CUIString(L"slot"), sized);
    // The colour given in the skin, before the window existed, is the window's.
    EXPECT_TRUE(holder->IsWindowColorSet());
    EXPECT_EQ(0xFF00FF00u, holder->GetPlaceHolderColor());
    root->Remove(holder);
    EXPECT_TRUE(PumpUntil([window] { return !::IsWindow(window); }));
}

TEST_F(ExtrasWindowTest, PlaceHolderWindowShowsOnlyWhileTheControlDoes)
{
    ::ShowWindow(host.GetHWND(), SW_SHOWNOACTIVATE);
    auto* tabs = PlaceIn(*root, new CTabLayoutUI(), RECT{0, 0, 200, 100});
    auto* first = new CVerticalLayoutUI();
    auto* second = new CVerticalLayoutUI();
    tabs->Add(first);
    tabs->Add(second);
    auto* holder = PlaceIn(*first, new CPlaceHolderUI(), RECT{10, 10, 110, 60});
    HWND window = holder->GetNativeWindow();
    ASSERT_NE(nullptr, window);
    const auto seen = [](HWND hwnd) { return ::IsWindowVisible(hwnd) != FALSE; };
    EXPECT_TRUE(seen(window));
    tabs->SelectItem(1);
    EXPECT_FALSE(holder->IsVisible());
    EXPECT_FALSE(seen(window)) << "the page not shown leaves its window over the page shown";
    holder->SetVisible(false);
    tabs->SelectItem(0);
    EXPECT_FALSE(seen(window)) << "the page shows a holder hidden by itself";
    holder->SetVisible(true);
    EXPECT_TRUE(seen(window));
    first->SetVisible(false);
    EXPECT_FALSE(seen(window)) << "a hidden parent leaves the window shown";
    first->SetVisible(true);
    EXPECT_TRUE(seen(window));
    // Made on the page not shown, the window waits hidden until its page is chosen.
    auto* later = PlaceIn(*second, new CPlaceHolderUI(), RECT{10, 10, 110, 60});
    HWND laterWindow = later->GetNativeWindow();
    ASSERT_NE(nullptr, laterWindow);
    EXPECT_FALSE(seen(laterWindow));
    tabs->SelectItem(1);
    EXPECT_TRUE(seen(laterWindow));
    EXPECT_FALSE(seen(window));
}

}  // namespace

namespace {

// Runs the window's messages other than painting, and the callables other threads queue, until done.
bool RunUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 1000 && !done(); ++i) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_PAINT + 1, 0xFFFF, PM_REMOVE)) {
            if (UITaskQueue::IsWakeUp(msg.message, msg.wParam, msg.lParam)) {
                UITaskQueue::Drain();
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!done()) ::Sleep(5);
    }
    return done();
}

// A GIF control placed in the container, set to play the file's frames.
CGifAnimUI* PlayingGif(CContainerUI& parent, const TempImageFile& file, RECT rc)
{
    auto* gif = PlaceIn(parent, new CGifAnimUI(), rc);
    gif->SetAttribute(L"image", file.Path().c_str());
    gif->InitControl();
    return gif;
}

TEST_F(ExtrasWindowTest, GifFramesRepaintThroughTheUIThreadAndOutliveNoControl)
{
    TempImageFile file("window.gif", MakeGif(4, 4, {0xFF0000, 0x00FF00}, {{0, 1}, {1, 1}}));
    // Hidden windows keep no update region to look at.
    host.ShowWindow(true, false);
    root->SetPos(RECT{0, 0, 300, 200});
    auto* gif = PlayingGif(*root, file, RECT{30, 40, 50, 60});
    ASSERT_TRUE(gif->IsPlaying());
    ::ValidateRect(host.GetHWND(), nullptr);
    RECT dirty = {};
    EXPECT_TRUE(RunUntil([&] { return ::GetUpdateRect(host.GetHWND(), &dirty, FALSE) != FALSE; }));
    EXPECT_EQ(30, dirty.left);
    EXPECT_EQ(40, dirty.top);
    // Repaints still queued when the control goes are dropped.
    ::Sleep(30);
    root->Remove(gif);
    int rounds = 0;
    RunUntil([&rounds] { return ++rounds > 20; });
}

// A playing GIF taken out of its window and kept stops with it: nothing of it runs against the window
// once that is gone, and it plays again in the window it is put into next.
TEST_F(ExtrasWindowTest, AGifRemovedAndKeptStopsPlayingUntilItIsShownInAWindowAgain)
{
    TempImageFile file("kept.gif", MakeGif(4, 4, {0xFF0000, 0x00FF00}, {{0, 1}, {1, 1}}));
    auto* first = NewSelfDeletingWindow();
    auto* firstRoot = OpenWithRoot(*first);
    ASSERT_NE(nullptr, firstRoot);
    auto* gif = PlayingGif(*firstRoot, file, RECT{0, 0, 20, 20});
    ASSERT_TRUE(gif->IsPlaying());
    firstRoot->SetAutoDestroy(false);
    firstRoot->Remove(gif);
    EXPECT_FALSE(gif->IsPlaying()) << "a GIF in no window kept its frame timer";
    ::DestroyWindow(first->GetHWND());
    // Frames that would have come meanwhile, and the repaints they would queue, run at the next wake-up of
    // a live window.
    ::Sleep(50);
    CWindowUIManager::PostTask(host.GetHWND(), [] {});
    int rounds = 0;
    RunUntil([&rounds] { return ++rounds > 20; });

    PlaceIn(*root, gif, RECT{0, 0, 20, 20});
    EXPECT_TRUE(gif->IsPlaying()) << "the GIF did not play again in its new window";
}

// A playing GIF inside a layout moved from one live window into another plays on there; the window it left
// may close, and the second window deleting it while frames are queued reads nothing freed.
TEST_F(ExtrasWindowTest, AGifMovedWithItsLayoutPlaysInTheNewWindowAndGoesWithIt)
{
    TempImageFile file("moved.gif", MakeGif(4, 4, {0xFF0000, 0x00FF00}, {{0, 1}, {1, 1}}));
    auto* first = NewSelfDeletingWindow();
    auto* firstRoot = OpenWithRoot(*first, Shown::WithoutFocus);
    ASSERT_NE(nullptr, firstRoot);
    auto* layout = new CHorizontalLayoutUI;
    firstRoot->Add(layout);
    auto* gif = PlayingGif(*layout, file, RECT{0, 0, 20, 20});
    ASSERT_TRUE(gif->IsPlaying());
    ::Sleep(30);
    firstRoot->SetAutoDestroy(false);
    ASSERT_TRUE(firstRoot->Remove(layout));
    host.ShowWindow(true, false);
    root->SetPos(RECT{0, 0, 300, 200});
    PlaceIn(*root, layout, RECT{0, 0, 100, 20});
    EXPECT_TRUE(gif->IsPlaying()) << "the GIF stopped in its new window";
    ::DestroyWindow(first->GetHWND());
    int rounds = 0;
    RunUntil([&rounds] { return ++rounds > 10; });
    EXPECT_TRUE(gif->IsPlaying());
    ::Sleep(30);
    root->SetDelayedDestroy(false);
    ASSERT_TRUE(root->Remove(layout));
    rounds = 0;
    RunUntil([&rounds] { return ++rounds > 20; });
}

// The application activates an option (a keyboard shortcut of its own, say) outside any message of the
// window, and the option's click handler destroys the window: the option finishes its selection first.
TEST(OptionLifetime, AnOptionActivatedOutsideAnyMessageOutlivesAClickHandlerThatDestroysItsWindow)
{
    CWindowUIManager::SetInstance(::GetModuleHandleW(nullptr));
    auto* window = NewSelfDeletingWindow();
    int finals = 0;
    window->finalCounter = &finals;
    HWND hwnd = window->CreateTopLevel();
    ASSERT_NE(nullptr, hwnd);
    auto* option = new COptionUI();
    window->manager.AttachRootControl(option);
    option->SetPos(RECT{0, 0, 100, 30});
    NotifyRecorder destroyer;
    int finalsInHandler = -1;
    destroyer.onNotify = [&](NotifyMessage& msg) {
        if (msg.sType != L"click") return;
        ::DestroyWindow(hwnd);
        finalsInHandler = finals;
    };
    window->manager.AddNotifier(&destroyer);
    option->Activate();
    EXPECT_EQ(0, finalsInHandler);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(1, finals);
}

}  // namespace
