#include "TestWindows.h"

#include <climits>
#include <memory>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ManagerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.Create(nullptr, L"host", WS_POPUP, 0, 20, 30, 400, 300))
            << "no window: is an X display available?";
        manager().AddNotifier(&notes);
    }
    void TearDown() override
    {
        if (::IsWindow(host)) ::DestroyWindow(host);
    }
    CWindowUIManager& manager() { return host.manager; }
    template <class T>
    T* Adopt(T* control)
    {
        control->SetManager(&manager(), nullptr, false);
        return control;
    }
    // The first "killfocus" of loser moves the focus to another control, as an application's handler may.
    void RedirectOnLoss(CControlUI* loser, CControlUI* to)
    {
        notes.onNotify = [this, loser, to, done = false](NotifyMessage& msg) mutable {
            if (done || msg.sType != L"killfocus" || msg.pSender != loser) return;
            done = true;
            manager().SetFocus(to);
        };
    }
    std::vector<WPARAM> NativeTimerIds() const
    {
        std::vector<WPARAM> ids;
        for (const MSG& msg : host.received)
            if (msg.message == WM_TIMER) ids.push_back(msg.wParam);
        return ids;
    }

    HostWindow host;
    NotifyRecorder notes;
};

// Moves the focus on, once, when its control gains it (or, given the loss, when it loses it).
struct FocusPasser {
    CWindowUIManager* manager;
    CControlUI* onTo;
    int on = EVT_SETFOCUS;
    bool OnEvent(void* param)
    {
        if (static_cast<ControlEvent*>(param)->Type != on || !onTo) return true;
        CControlUI* next = onTo;
        onTo = nullptr;
        manager->SetFocus(next);
        return true;
    }
};

class CountingFilter : public IMessageFilterUI {
public:
    int calls = 0;
    LRESULT MessageHandler(UINT, WPARAM, LPARAM, bool&) override
    {
        ++calls;
        return 0;
    }
};

}  // namespace

TEST_F(ManagerTest, TimersKeepFiringAfterHundredsOfCreateAndKillCycles)
{
    CControlUI steady;
    Adopt(&steady);
    ASSERT_TRUE(manager().SetTimer(&steady, 1, 10));
    EXPECT_FALSE(manager().SetTimer(&steady, 1, 10));
    ASSERT_TRUE(PumpUntil([&] { return notes.Count(L"timer", &steady) >= 1; }));
    EXPECT_EQ(17u, NativeTimerIds().front());

    CControlUI rearmed;
    Adopt(&rearmed);
    for (int cycle = 0; cycle < 300; ++cycle) {
        auto* transient = Adopt(new CControlUI());
        ASSERT_TRUE(manager().SetTimer(transient, 2, 100000)) << cycle;
        if (cycle % 2) {
            EXPECT_TRUE(manager().KillTimer(transient, 2));
        }
        delete transient;
        ASSERT_TRUE(manager().SetTimer(&rearmed, 3, 100000)) << cycle;
        ASSERT_TRUE(manager().KillTimer(&rearmed, 3)) << cycle;
        EXPECT_FALSE(manager().KillTimer(&rearmed, 3));
    }

    const int before = notes.Count(L"timer", &steady);
    EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"timer", &steady) >= before + 3; }));
    // A killed timer gives its native id back: controls that live on after setting and killing one
    // timer each hold none.
    std::vector<std::unique_ptr<CControlUI>> idle(300);
    for (auto& control : idle) {
        control.reset(Adopt(new CControlUI()));
        ASSERT_TRUE(manager().SetTimer(control.get(), 5, 100000));
        ASSERT_TRUE(manager().KillTimer(control.get(), 5));
    }
    CControlUI fresh;
    Adopt(&fresh);
    ASSERT_TRUE(manager().SetTimer(&fresh, 4, 10));
    EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"timer", &fresh) >= 2; }));
    for (const auto& msg : notes.seen)
        if (msg.pSender == &fresh) {
            EXPECT_EQ(4u, msg.wParam);
        }
    EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"timer", &steady) >= before + 6; }));
}

TEST_F(ManagerTest, DeletingAControlWithARunningTimerIsSafe)
{
    CControlUI steady;
    Adopt(&steady);
    auto* doomed = Adopt(new CControlUI());
    ASSERT_TRUE(manager().SetTimer(doomed, 1, 1));
    ASSERT_TRUE(manager().SetTimer(&steady, 1, 5));
    ASSERT_TRUE(PumpUntil([&] { return notes.Count(L"timer", doomed) >= 1; }));
    const CControlUI* doomedAddress = doomed;
    delete doomed;
    const int doomedTicks = notes.Count(L"timer", const_cast<CControlUI*>(doomedAddress));
    const int steadyTicks = notes.Count(L"timer", &steady);
    EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"timer", &steady) >= steadyTicks + 5; }));
    EXPECT_EQ(doomedTicks, notes.Count(L"timer", const_cast<CControlUI*>(doomedAddress)));
}

// A timer set without a window would be a thread timer that nothing kills and no control hears.
TEST_F(ManagerTest, TimersNeedAWindow)
{
    CControlUI control;
    CWindowUIManager unbound;
    control.SetManager(&unbound, nullptr, false);
    EXPECT_FALSE(unbound.SetTimer(&control, 1, 1));

    Adopt(&control);
    ASSERT_TRUE(manager().SetTimer(&control, 2, 100000));
    ASSERT_TRUE(manager().KillTimer(&control, 2));
    ::DestroyWindow(host);
    EXPECT_FALSE(manager().SetTimer(&control, 2, 1)) << "re-arming a killed timer";
    EXPECT_FALSE(manager().SetTimer(&control, 3, 1)) << "a new timer";
}

TEST_F(ManagerTest, QueuedNotificationOfAReleasedSenderArrivesWithoutSender)
{
    auto* sender = Adopt(new CControlUI());
    manager().SendNotify(sender, L"custom", 7, 8, true);
    EXPECT_TRUE(notes.seen.empty());
    delete sender;
    ASSERT_TRUE(PumpUntil([&] { return !notes.seen.empty(); }));
    ASSERT_EQ(1u, notes.seen.size());
    EXPECT_EQ(nullptr, notes.seen[0].pSender);
    EXPECT_EQ(CUIString(L"custom"), notes.seen[0].sType);
    EXPECT_EQ(7u, notes.seen[0].wParam);
    EXPECT_EQ(8, notes.seen[0].lParam);
}

TEST_F(ManagerTest, TheOldRootIsDeletedOnlyWhenTheDelayedWorkRuns)
{
    bool oldDeleted = false;
    ASSERT_TRUE(manager().AttachRootControl(new TrackedControl(&oldDeleted)));
    auto* replacement = new TrackedControl();
    ASSERT_TRUE(manager().AttachRootControl(replacement));
    EXPECT_EQ(replacement, manager().GetRoot());
    EXPECT_FALSE(oldDeleted);
    EXPECT_TRUE(PumpUntil([&] { return oldDeleted; }));

    // A manager that goes before its delayed work ran deletes what was waiting.
    bool pendingDeleted = false;
    {
        CWindowUIManager windowless;
        windowless.AddDelayedCleanup(new TrackedControl(&pendingDeleted));
        EXPECT_FALSE(pendingDeleted);
    }
    EXPECT_TRUE(pendingDeleted);
}

// A notifier that a notifier before it removes (and deletes) hears nothing more, not even the
// notification under way.
TEST_F(ManagerTest, ANotifierRemovedDuringDeliveryIsNotCalled)
{
    NotifyRecorder removedOnly;
    auto* deleted = new NotifyRecorder();
    notes.onNotify = [&](NotifyMessage&) {
        manager().RemoveNotifier(&removedOnly);
        manager().RemoveNotifier(deleted);
        delete deleted;
    };
    manager().AddNotifier(&removedOnly);
    manager().AddNotifier(deleted);
    manager().SendNotify(nullptr, L"custom");
    EXPECT_EQ(1u, notes.seen.size());
    EXPECT_TRUE(removedOnly.seen.empty());
}

// The wake-up of the queued work was posted to the first window and went with it.
TEST_F(ManagerTest, AManagerGivenANewWindowRunsItsQueuedWorkAgain)
{
    bool cleanedUp = false;
    manager().AddDelayedCleanup(new TrackedControl(&cleanedUp));
    manager().SendNotify(nullptr, L"queued", 0, 0, true);
    ::DestroyWindow(host);
    ASSERT_NE(nullptr, host.Create(nullptr, L"host", WS_POPUP, 0, 20, 30, 400, 300));
    EXPECT_TRUE(PumpUntil([&] { return cleanedUp && notes.Count(L"queued", nullptr) == 1; }));
    manager().SendNotify(nullptr, L"later", 0, 0, true);
    EXPECT_TRUE(PumpUntil([&] { return notes.Count(L"later", nullptr) == 1; }));
}

TEST_F(ManagerTest, RegistersNamesAndMovesFocusAmongControls)
{
    auto* root = new TestContainer();
    auto* first = root->Add(new TabStopControl());
    auto* second = root->Add(new TabStopControl());
    auto* hidden = root->Add(new TabStopControl());
    auto* last = root->Add(new TabStopControl());
    first->SetName(L"ok");
    second->SetName(L"ok");
    hidden->SetName(L"ok");
    hidden->SetVisible(false);
    last->SetName(L"last");
    ASSERT_TRUE(manager().AttachRootControl(root));
    EXPECT_EQ(hidden, manager().FindControl(L"ok"));
    EXPECT_EQ(last, manager().FindControl(L"last"));

    // The window takes the keyboard focus from another one, so that keys reach the control.
    HostWindow other;
    ASSERT_NE(nullptr, other.Create(nullptr, L"other", WS_POPUP, 0, 0, 0, 10, 10));
    ::SetFocus(other);
    ASSERT_EQ(static_cast<HWND>(other), ::GetFocus());
    manager().SetFocus(first);
    EXPECT_EQ(static_cast<HWND>(host), ::GetFocus());
    EXPECT_EQ(first, manager().GetFocus());
    EXPECT_EQ(1, notes.Count(L"setfocus", first));
    manager().SetFocus(hidden);
    EXPECT_EQ(nullptr, manager().GetFocus());
    EXPECT_EQ(1, notes.Count(L"killfocus", first));

    manager().SetFocus(first);
    manager().MoveFocusToNextTabStop(false);
    EXPECT_EQ(last, manager().GetFocus());
    manager().MoveFocusToNextTabStop(false);
    EXPECT_EQ(second, manager().GetFocus());

    // A loss handler that moves the focus to a third control has the last word, and that control hears
    // its own loss later: one control is focused at a time.
    const int secondLosses = notes.Count(L"killfocus", second);
    RedirectOnLoss(second, last);
    manager().SetFocus(first);
    notes.onNotify = nullptr;
    EXPECT_EQ(last, manager().GetFocus());
    EXPECT_TRUE(last->IsFocused());
    EXPECT_FALSE(first->IsFocused());
    EXPECT_EQ(secondLosses + 1, notes.Count(L"killfocus", second));
    const int lastLosses = notes.Count(L"killfocus", last);
    manager().SetFocus(second);
    EXPECT_EQ(lastLosses + 1, notes.Count(L"killfocus", last));
    EXPECT_FALSE(last->IsFocused());

    hidden->SetName(L"renamed");
    EXPECT_EQ(second, manager().FindControl(L"ok")) << "the name passes as a fresh registration would pass it";
    manager().ReleaseControlReferences(second);
    EXPECT_EQ(nullptr, manager().GetFocus());
    EXPECT_EQ(first, manager().FindControl(L"ok")) << "the name went with the control let go of, not to its namesake";
    ::DestroyWindow(other);
}

TEST_F(ManagerTest, DeferredFocusStartsFromTheTabStopBefore)
{
    auto* root = new TestContainer();
    auto* first = root->Add(new TabStopControl());
    auto* second = root->Add(new TabStopControl());
    ASSERT_TRUE(manager().AttachRootControl(root));
    manager().SetFocus(first);
    HostWindow other;
    ASSERT_NE(nullptr, other.Create(nullptr, L"other", WS_POPUP, 0, 0, 0, 10, 10));
    ::SetFocus(other);
    manager().SetFocusDeferred(second);
    EXPECT_EQ(static_cast<HWND>(host), ::GetFocus());
    ::DestroyWindow(other);
    EXPECT_EQ(first, manager().GetFocus());
    EXPECT_EQ(1, notes.Count(L"killfocus", first));
    EXPECT_EQ(1, notes.Count(L"setfocus", first));
    EXPECT_TRUE(manager().IsUpdateNeeded());

    // A loss handler that sets the focus itself has the last word here too.
    RedirectOnLoss(first, second);
    manager().SetFocusDeferred(second);
    notes.onNotify = nullptr;
    EXPECT_EQ(second, manager().GetFocus());
    EXPECT_TRUE(second->IsFocused());

    // A control that passes the focus on as it gains it is not announced as focused.
    FocusPasser passer{&manager(), second};
    first->OnEvent += MakeDelegate(&passer, &FocusPasser::OnEvent);
    manager().SetFocus(nullptr);
    const int firstAnnounced = notes.Count(L"setfocus", first);
    manager().SetFocus(first);
    first->OnEvent -= MakeDelegate(&passer, &FocusPasser::OnEvent);
    EXPECT_EQ(second, manager().GetFocus());
    EXPECT_EQ(firstAnnounced, notes.Count(L"setfocus", first));
    EXPECT_FALSE(first->IsFocused()) << "two controls focused";
    EXPECT_TRUE(second->IsFocused());

    // One that takes the focus back as it loses it stays the one focused.
    FocusPasser keeper{&manager(), second, EVT_KILLFOCUS};
    second->OnEvent += MakeDelegate(&keeper, &FocusPasser::OnEvent);
    manager().SetFocus(first);
    second->OnEvent -= MakeDelegate(&keeper, &FocusPasser::OnEvent);
    EXPECT_EQ(second, manager().GetFocus());
    EXPECT_TRUE(second->IsFocused()) << "the focused control is not marked focused";
    EXPECT_FALSE(first->IsFocused());
}

TEST_F(ManagerTest, KeepsOptionGroupsUntilTheirLastMemberLeaves)
{
    CControlUI a, b;
    EXPECT_FALSE(manager().AddToOptionGroup(L"size", &a)) << "a control of no window joined a group";
    Adopt(&a);
    Adopt(&b);
    EXPECT_EQ(nullptr, manager().GetOptionGroup(L"size"));
    EXPECT_TRUE(manager().AddToOptionGroup(L"size", &a));
    EXPECT_FALSE(manager().AddToOptionGroup(L"size", &a));
    EXPECT_TRUE(manager().AddToOptionGroup(L"size", &b));
    ASSERT_NE(nullptr, manager().GetOptionGroup(L"size"));
    EXPECT_EQ(2, manager().GetOptionGroup(L"size")->GetSize());
    manager().RemoveFromOptionGroup(L"size", &a);
    EXPECT_EQ(&b, manager().GetOptionGroup(L"size")->GetAt(0));
    manager().RemoveFromOptionGroup(L"size", &b);
    EXPECT_EQ(nullptr, manager().GetOptionGroup(L"size"));
    manager().AddToOptionGroup(L"other", &a);
    manager().RemoveAllOptionGroups();
    EXPECT_EQ(nullptr, manager().GetOptionGroup(L"other"));
}

TEST_F(ManagerTest, SetDpiResizesAroundTheTopLeftCorner)
{
    // An absurd DPI is refused: the window keeps its size and scale.
    const struct {
        int dpi, scale, width, height;
    } steps[] = {{144, 150, 600, 450}, {INT_MAX, 150, 600, 450}, {0, 150, 600, 450}, {192, 200, 800, 600}};
    for (const auto& step : steps) {
        manager().SetDPI(step.dpi);
        RECT rc = {};
        ::GetWindowRect(host, &rc);
        EXPECT_EQ(20, rc.left) << step.dpi;
        EXPECT_EQ(30, rc.top) << step.dpi;
        EXPECT_EQ(step.width, rc.right - rc.left) << step.dpi;
        EXPECT_EQ(step.height, rc.bottom - rc.top) << step.dpi;
        EXPECT_EQ(step.scale, manager().GetDpiScaler()->GetScale()) << step.dpi;
    }
    EXPECT_TRUE(PumpUntil([&] {
        for (const MSG& msg : host.received)
            if (msg.message == WM_USER + 200) return true;
        return false;
    }));
}

// What is invalidated is brought into the client area (no negative origin, no negative size); that rectangle
// is what the window repaints.
TEST_F(ManagerTest, InvalidatedRectanglesStartInsideTheClientArea)
{
    const struct {
        RECT asked, invalidated;
    } cases[] = {
        {{5, 6, 10, 12}, {5, 6, 10, 12}},
        {{-3, -4, 10, 12}, {0, 0, 10, 12}},
        {{-5, -6, -2, -3}, {0, 0, 0, 0}},
        {{5, 6, 2, 3}, {5, 6, 5, 6}},
    };
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    for (const auto& c : cases) {
        ::ValidateRect(host, nullptr);
        RECT rc = c.asked;
        manager().Invalidate(rc);
        EXPECT_TRUE(::EqualRect(&rc, &c.invalidated)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
        RECT update = {};
        ::GetUpdateRect(host, &update, FALSE);
        EXPECT_TRUE(::EqualRect(&update, &c.invalidated) || (::IsRectEmpty(&c.invalidated) && ::IsRectEmpty(&update)))
            << update.left << "," << update.top << "," << update.right << "," << update.bottom;
    }
}

TEST_F(ManagerTest, ToleratesAMissingRoot)
{
    EXPECT_FALSE(manager().AttachRootControl(nullptr));
    host.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    LRESULT result = 0;
    EXPECT_TRUE(manager().PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, result));
    EXPECT_FALSE(manager().PreMessageHandler(WM_SYSCHAR, L'a', 0, result));
    EXPECT_FALSE(manager().PreMessageHandler(WM_SYSKEYDOWN, VK_MENU, 0, result));
    EXPECT_EQ(nullptr, manager().FindControlAtPoint(POINT{10, 10}));
    EXPECT_FALSE(manager().RemoveNativeWindow(host));  // never listed
    EXPECT_TRUE(manager().MoveFocusToNextTabStop(false));
    manager().SetFocusDeferred(nullptr);
    manager().SetDPI(120);
    host.SendMessage(WM_KEYDOWN, VK_TAB, 0);
    host.SendMessage(WM_CHAR, L'x', 0);
    EXPECT_EQ(nullptr, manager().GetRoot());
}

TEST_F(ManagerTest, DropsTheTooltipHandleWhenTheWindowCloses)
{
    manager().ShowToolTipAt(L"tip", 5, 5);
    HWND tip = manager().GetToolTipWindow();
    ASSERT_NE(nullptr, tip);
    host.SendMessage(WM_CLOSE);
    EXPECT_EQ(nullptr, manager().GetToolTipWindow());
    EXPECT_FALSE(::IsWindow(tip));
    manager().HideToolTip();
}

TEST_F(ManagerTest, ARebindingManagerListsOnceAndLeavesWithItsWindow)
{
    HostWindow top, middle, inner;
    top.bindManager = middle.bindManager = inner.bindManager = false;
    ASSERT_NE(nullptr, top.Create(nullptr, L"top", WS_POPUP, 0, 0, 0, 300, 200));
    ASSERT_NE(nullptr, middle.Create(top, L"middle", WS_CHILD, 0, 0, 0, 200, 100));
    ASSERT_NE(nullptr, inner.Create(middle, L"inner", WS_CHILD, 0, 0, 0, 100, 50));

    auto standalone = std::make_unique<CWindowUIManager>();
    CountingFilter filter;
    standalone->AddPreMessageFilter(&filter);
    standalone->Init(top);
    standalone->Init(inner);
    standalone->Init(inner);

    MSG toTop = {top, WM_KEYDOWN, L'A', 0, 0, {}};
    CWindowUIManager::PreTranslateMessage(&toTop);
    EXPECT_EQ(0, filter.calls);
    // The target is a child several levels deep: its manager still looks at it once.
    MSG toInner = {inner, WM_KEYDOWN, L'A', 0, 0, {}};
    CWindowUIManager::PreTranslateMessage(&toInner);
    EXPECT_EQ(1, filter.calls);

    // A key for a native child reaches the manager of its top-level window too.
    CWindowUIManager topManager;
    CountingFilter topFilter;
    topManager.AddPreMessageFilter(&topFilter);
    topManager.Init(top);
    CWindowUIManager::PreTranslateMessage(&toInner);
    EXPECT_EQ(1, topFilter.calls);
    EXPECT_EQ(2, filter.calls);

    CountingFilter hostFilter;
    manager().AddPreMessageFilter(&hostFilter);
    HWND stale = host;
    MSG toHost = {stale, WM_KEYDOWN, L'A', 0, 0, {}};
    CWindowUIManager::PreTranslateMessage(&toHost);
    EXPECT_EQ(1, hostFilter.calls);
    ::DestroyWindow(host);
    CWindowUIManager::PreTranslateMessage(&toHost);
    EXPECT_EQ(1, hostFilter.calls);
    EXPECT_EQ(nullptr, manager().GetWindowHandle());

    standalone.reset();
    CWindowUIManager::PreTranslateMessage(&toInner);
    ::DestroyWindow(top);
}
