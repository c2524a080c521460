#include "Control/UIAnimation.h"
#include "Control/UIAnimationTabLayout.h"
#include "Core/WindowUIManager.h"
#include "../Core/TestWindows.h"
#include "InputsTestSupport.h"

#include <gtest/gtest.h>

#include <list>
#include <vector>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// A control that animates itself and records the hooks it receives.
class AnimatedControl : public CControlUI, public CUIAnimation {
public:
    AnimatedControl() : CUIAnimation(this) {}
    ~AnimatedControl() override { StopAnimation(0); }
    void HandleEvent(ControlEvent& event) override
    {
        if (event.Type == EVT_TIMER) OnAnimationElapse(static_cast<UINT>(event.wParam));
        else CControlUI::HandleEvent(event);
    }
    void OnAnimationStep(int total, int current, UINT) override
    {
        steps.push_back(current);
        EXPECT_EQ(expectedTotal, total);
    }
    void OnAnimationStart(UINT, bool firstLoop) override { starts.push_back(firstLoop); }
    void OnAnimationStop(UINT id) override
    {
        ++stops;
        if (stopSelfOnStop) StopAnimation(id);
    }

    int expectedTotal = 0;
    std::vector<int> steps;
    std::vector<bool> starts;
    int stops = 0;
    bool stopSelfOnStop = false;
};

class AnimationTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.CreateTopLevel());
        control.SetManager(&host.manager, nullptr, false);
    }
    void TearDown() override
    {
        control.StopAnimation(0);
        host.Close();
        PumpUntil([this] { return host.GetHWND() == nullptr; });
    }
    HostWindow host;
    AnimatedControl control;
};

TEST_F(AnimationTest, AJobPerIdAndPositiveTimingsOnly)
{
    EXPECT_TRUE(control.StartAnimation(50, 10, 7));
    EXPECT_TRUE(control.SetCurrentFrame(4, 7));
    EXPECT_FALSE(control.StartAnimation(20, 3, 7));
    EXPECT_EQ(4, control.GetCurrentFrame(7));
    EXPECT_FALSE(control.StartAnimation(0, 3, 8));
    EXPECT_FALSE(control.StartAnimation(10, 0, 8));
    EXPECT_FALSE(control.IsAnimationRunning(8));
    EXPECT_EQ(-1, control.GetCurrentFrame(8));
    CUIAnimation ownerless(nullptr);
    EXPECT_FALSE(ownerless.StartAnimation(10, 10, 1));
}

TEST_F(AnimationTest, CurrentFrameAcceptsTheTotalButNothingOutside)
{
    ASSERT_TRUE(control.StartAnimation(50, 15, 3));
    EXPECT_TRUE(control.SetCurrentFrame(15, 3));
    EXPECT_FALSE(control.SetCurrentFrame(16, 3));
    EXPECT_FALSE(control.SetCurrentFrame(-1, 3));
    EXPECT_EQ(15, control.GetCurrentFrame(3));
}

TEST_F(AnimationTest, AOneShotJobStepsThroughEveryFrameAndStopsOnce)
{
    control.expectedTotal = 15;
    ASSERT_TRUE(control.StartAnimation(1000, 15, 5));
    for (int tick = 0; tick < 20; ++tick) control.OnAnimationElapse(5);
    ASSERT_EQ(16u, control.steps.size());
    for (int i = 0; i <= 15; ++i) EXPECT_EQ(i, control.steps[static_cast<size_t>(i)]);
    EXPECT_EQ(1, control.stops);
    EXPECT_EQ(std::vector<bool>{true}, control.starts);
    EXPECT_FALSE(control.IsAnimationRunning(5));
    EXPECT_FALSE(host.manager.KillTimer(&control, 5));
}

TEST_F(AnimationTest, ALoopingJobRestartsAtFrameOneAndStartsOnce)
{
    control.expectedTotal = 2;
    ASSERT_TRUE(control.StartAnimation(1000, 2, 9, true));
    for (int tick = 0; tick < 7; ++tick) control.OnAnimationElapse(9);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 1, 2, 1, 2}), control.steps);
    EXPECT_EQ(3, control.stops);
    EXPECT_EQ(std::vector<bool>{true}, control.starts);
    EXPECT_TRUE(control.IsAnimationRunning(9));
    control.StopAnimation(9);
    EXPECT_FALSE(control.IsAnimationRunning(9));
    EXPECT_FALSE(host.manager.KillTimer(&control, 9));
}

TEST_F(AnimationTest, AHookStoppingItsOwnJobEndsTheTickSafely)
{
    control.expectedTotal = 1;
    control.stopSelfOnStop = true;
    ASSERT_TRUE(control.StartAnimation(1000, 1, 4, true));
    control.OnAnimationElapse(4);
    control.OnAnimationElapse(4);
    EXPECT_FALSE(control.IsAnimationRunning(4));
    EXPECT_EQ(1, control.stops);
    control.OnAnimationElapse(4);
    EXPECT_EQ(2u, control.steps.size());
}

TEST_F(AnimationTest, StopAllEndsEveryJobAndTheWindowTimersDrive)
{
    control.expectedTotal = 3;
    ASSERT_TRUE(control.StartAnimation(10, 3, 1));
    ASSERT_TRUE(control.StartAnimation(10, 3, 2, true));
    EXPECT_TRUE(PumpUntil([this] { return !control.IsAnimationRunning(1); }));
    EXPECT_TRUE(control.IsAnimationRunning(2));
    control.StopAnimation(0);
    EXPECT_FALSE(control.IsAnimationRunning(2));
    EXPECT_FALSE(host.manager.KillTimer(&control, 2));
}

class AnimationTabTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, host.CreateTopLevel(nullptr, 500, 300));
        host.manager.AddNotifier(&notes);
        tab = new CAnimationTabLayoutUI();
        for (int i = 0; i < 3; ++i) {
            pages[i] = new CControlUI();
            tab->Add(pages[i]);
        }
        host.manager.AttachRootControl(tab);
        tab->SetPos(RECT{0, 0, 400, 200});
        notes.seen.clear();
    }
    void TearDown() override
    {
        host.Close();
        PumpUntil([this] { return host.GetHWND() == nullptr; });
    }
    HostWindow host;
    NoteLog notes;
    CAnimationTabLayoutUI* tab = nullptr;
    CControlUI* pages[3] = {};
};

TEST_F(AnimationTabTest, SelectingTheCurrentPageDoesNothing)
{
    EXPECT_TRUE(tab->SelectItem(0));
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_FALSE(tab->SelectItem(-1));
    EXPECT_EQ(0, notes.Count(L"tabselect"));
    EXPECT_FALSE(tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation));
}

TEST_F(AnimationTabTest, ANewPageSlidesInFromTheRightAndBackFromTheLeft)
{
    ASSERT_TRUE(tab->SelectItem(2));
    EXPECT_EQ(1, notes.Count(L"tabselect"));
    for (const NotifyMessage& note : notes.seen) {
        if (note.sType != L"tabselect") continue;
        EXPECT_EQ(2u, note.wParam);
        EXPECT_EQ(0, static_cast<int>(note.lParam));
    }
    EXPECT_EQ(2, tab->GetCurSel());
    EXPECT_FALSE(pages[2]->IsVisible());
    EXPECT_FALSE(pages[0]->IsVisible());
    ASSERT_TRUE(tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation));
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    EXPECT_TRUE(pages[2]->IsVisible());
    // It starts 348 pixels to the right; each tick, the first included, moves it a fifteenth of that to the left.
    EXPECT_EQ(348 * 14 / 15, tab->GetPos().left);
    EXPECT_EQ(400 + 348 * 14 / 15, tab->GetPos().right);
    for (int tick = 0; tick < 15; ++tick) {
        const LONG before = tab->GetPos().left;
        tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
        // Towards its place and never past it.
        EXPECT_LE(tab->GetPos().left, before) << "tick " << tick;
        EXPECT_GE(tab->GetPos().left, 0) << "tick " << tick;
    }
    EXPECT_FALSE(tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation));
    EXPECT_EQ(0, tab->GetPos().left);
    EXPECT_EQ(400, tab->GetPos().right);
    EXPECT_EQ(0, pages[2]->GetPos().left);

    ASSERT_TRUE(tab->SelectItem(0));
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    EXPECT_EQ(-348 * 14 / 15, tab->GetPos().left);
    for (int tick = 0; tick < 15; ++tick) {
        tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
        EXPECT_LE(tab->GetPos().left, 0) << "tick " << tick;
    }
    EXPECT_TRUE(PumpUntil([this] { return !tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation); }));
    EXPECT_EQ(0, tab->GetPos().left);
    EXPECT_TRUE(pages[0]->IsVisible());
    EXPECT_FALSE(pages[2]->IsVisible());
}

TEST_F(AnimationTabTest, ASelectionMidSlideAimsAtTheLayoutsPlace)
{
    ASSERT_TRUE(tab->SelectItem(2));
    for (int tick = 0; tick < 6; ++tick) tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    ASSERT_GT(tab->GetPos().left, 0);
    ASSERT_TRUE(tab->SelectItem(1));
    // The slide under way gives way to a new one from its first frame: the page comes in from the left.
    EXPECT_EQ(0, tab->GetCurrentFrame(CAnimationTabLayoutUI::kSlideAnimation));
    EXPECT_FALSE(pages[1]->IsVisible());
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    EXPECT_EQ(-348 * 14 / 15, tab->GetPos().left);
    EXPECT_TRUE(PumpUntil([this] { return !tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation); }));
    EXPECT_EQ(0, tab->GetPos().left);
    EXPECT_EQ(400, tab->GetPos().right);
    EXPECT_EQ(0, pages[1]->GetPos().left);

    // Placed anew mid-slide, as a resized window's layout does, it slides on at its new size, and a
    // selection after that aims at the new place.
    ASSERT_TRUE(tab->SelectItem(2));
    for (int tick = 0; tick < 4; ++tick) tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    tab->SetPos(RECT{0, 0, 300, 150});
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    ASSERT_TRUE(tab->SelectItem(0));
    for (int tick = 0; tick < 16; ++tick) {
        tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
        EXPECT_EQ(300, tab->GetPos().right - tab->GetPos().left) << "tick " << tick;
        EXPECT_LE(tab->GetPos().left, 0) << "tick " << tick;
    }
    EXPECT_FALSE(tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation));
    EXPECT_EQ(0, tab->GetPos().left);
    EXPECT_EQ(150, tab->GetPos().bottom);
    EXPECT_EQ(300, pages[0]->GetPos().right);
}

TEST_F(AnimationTabTest, APageRemovedBeforeItsSlideShowsItIsLeftAlone)
{
    ASSERT_TRUE(tab->SelectItem(2));
    // Kept alive to see what the slide does to it; a destroyed page must not be touched either.
    tab->SetAutoDestroy(false);
    ASSERT_TRUE(tab->Remove(pages[2]));
    tab->SetAutoDestroy(true);
    EXPECT_EQ(0, tab->GetCurSel());
    // Out of the layout its own setting decides; hidden by the application, the slide does not show it.
    EXPECT_TRUE(pages[2]->IsVisible());
    pages[2]->SetVisible(false);
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    EXPECT_FALSE(pages[2]->IsVisible());
    EXPECT_TRUE(pages[0]->IsVisible());
    delete pages[2];

    // With every page gone the slide runs on without one.
    ASSERT_TRUE(tab->SelectItem(1));
    tab->RemoveAll();
    EXPECT_TRUE(PumpUntil([this] { return !tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation); }));
    EXPECT_EQ(-1, tab->GetCurSel());
}

TEST_F(AnimationTabTest, VerticalSlideStartsAFullHeightAway)
{
    tab->SetAttribute(L"animation_direction", L"vertical");
    ASSERT_TRUE(tab->SelectItem(1));
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    EXPECT_EQ(200 * 14 / 15, tab->GetPos().top);
    EXPECT_EQ(0, tab->GetPos().left);
    // Only "vertical" is read: other values leave the direction alone.
    tab->SetAttribute(L"animation_direction", L"horizontal");
    EXPECT_TRUE(tab->IsVerticalAnimation());
}

TEST_F(AnimationTabTest, ALayoutLeavingItsWindowMidSlideShowsThePageInItsFinalPlace)
{
    ASSERT_TRUE(tab->SelectItem(2));
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    ASSERT_EQ(348 * 14 / 15, tab->GetPos().left);
    tab->SetManager(nullptr, nullptr, false);
    EXPECT_FALSE(tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation));
    EXPECT_TRUE(pages[2]->IsVisible());
    EXPECT_EQ(0, tab->GetPos().left);
    EXPECT_EQ(400, tab->GetPos().right);
    EXPECT_EQ(0, pages[2]->GetPos().left);
    EXPECT_EQ(400, pages[2]->GetPos().right);
    EXPECT_FALSE(host.manager.KillTimer(tab, CAnimationTabLayoutUI::kSlideAnimation));
    tab->SetManager(&host.manager, nullptr, false);
}

// Without a window, or with one whose manager has no window to run timers on, nothing would slide the page in.
TEST(AnimationTabWithoutTimer, ShowsTheNewPageAtOnce)
{
    CWindowUIManager windowless;
    for (CWindowUIManager* manager : {static_cast<CWindowUIManager*>(nullptr), &windowless}) {
        CAnimationTabLayoutUI tab;
        tab.SetManager(manager, nullptr, false);
        CControlUI* pages[2] = {new CControlUI(), new CControlUI()};
        for (CControlUI* page : pages) tab.Add(page);
        tab.SetPos(RECT{0, 0, 400, 200});
        ASSERT_TRUE(tab.SelectItem(1));
        EXPECT_FALSE(tab.IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation));
        EXPECT_TRUE(pages[1]->IsVisible()) << (manager ? "windowless manager" : "no manager");
        EXPECT_FALSE(pages[0]->IsVisible());
        EXPECT_EQ(0, tab.GetPos().left);
        EXPECT_EQ(400, pages[1]->GetPos().right);
    }
}

TEST(AnimationTabAttributes, DirectionIsVerticalOnlyForTheExactWord)
{
    CAnimationTabLayoutUI tab;
    tab.SetAttribute(L"animation_direction", L"Vertical");
    EXPECT_FALSE(tab.IsVerticalAnimation());
    tab.SetAttribute(L"Animation_Direction", L"vertical");
    EXPECT_TRUE(tab.IsVerticalAnimation());
}

// Looks at the layout when "tabselect" arrives, and hides the page when asked to.
class SelectionWatch : public INotifyUI {
public:
    CAnimationTabLayoutUI* tab = nullptr;
    CControlUI* page = nullptr;
    int selections = 0;
    bool pageShown = true;
    bool sliding = false;
    bool hidePage = false;
    void Notify(NotifyMessage& msg) override
    {
        if (msg.sType != L"tabselect") return;
        ++selections;
        pageShown = page->IsVisible();
        sliding = tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation);
        if (hidePage) page->SetVisible(false);
    }
};

TEST_F(AnimationTabTest, TabSelectArrivesOnceThePageIsHiddenAndTheSlideRuns)
{
    SelectionWatch watch;
    watch.tab = tab;
    watch.page = pages[1];
    host.manager.AddNotifier(&watch);
    ASSERT_TRUE(tab->SelectItem(1));
    host.manager.RemoveNotifier(&watch);
    EXPECT_EQ(1, watch.selections);
    EXPECT_FALSE(watch.pageShown);
    EXPECT_TRUE(watch.sliding);
}

// The slide shows again only what it hid itself: a page the application hides as it hears of the
// selection stays hidden, through the slide and after it.
TEST_F(AnimationTabTest, APageTheApplicationHidesOnTabSelectStaysHidden)
{
    SelectionWatch watch;
    watch.tab = tab;
    watch.page = pages[1];
    watch.hidePage = true;
    host.manager.AddNotifier(&watch);
    ASSERT_TRUE(tab->SelectItem(1));
    host.manager.RemoveNotifier(&watch);
    ASSERT_EQ(1, watch.selections);
    tab->OnAnimationElapse(CAnimationTabLayoutUI::kSlideAnimation);
    EXPECT_FALSE(pages[1]->IsVisible()) << "the slide's first step showed it again";
    EXPECT_TRUE(PumpUntil([this] { return !tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation); }));
    EXPECT_FALSE(pages[1]->IsVisible());
    EXPECT_EQ(1, tab->GetCurSel());
    // Shown by the application, it is there.
    pages[1]->SetVisible(true);
    EXPECT_TRUE(pages[1]->IsVisible());

    // Selected and left again before the slide's first step, a page is no longer held hidden by the slide:
    // shown by the layout later (the selected page taken out), it is there.
    ASSERT_TRUE(tab->SelectItem(0));
    ASSERT_TRUE(tab->SelectItem(2));
    EXPECT_TRUE(PumpUntil([this] { return !tab->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation); }));
    ASSERT_TRUE(tab->Remove(pages[2]));
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_TRUE(pages[0]->IsVisible());
}

// Removes a page from its tab layout when the page it watches gains or loses the focus: a page that
// closes itself (or another) as the focus reaches or leaves it.
struct RemoveOnFocusEvent {
    CTabLayoutUI* tab;  // null once the case is over
    int eventType;
    CControlUI* doomed;
    bool Handle(void* param)
    {
        if (tab && static_cast<ControlEvent*>(param)->Type == eventType && tab->GetItemIndex(doomed) >= 0)
            tab->Remove(doomed);
        return true;
    }
};

// Three pages, the first focused, and the third selected; a handler of the focus as it moves between the
// pages removes one of them. Both tab layouts find their pages again after each handler: the count and the
// selection agree, the selected page is the one shown, a page that went is never touched, and only a
// selection of the page asked for is reported and announced.
TEST_F(AnimationTabTest, APageRemovedByAFocusHandlerWhileSelectingLeavesASelectionThatAgrees)
{
    const struct {
        const char* name;
        int watched;
        int eventType;
        int doomed;
    } rows[] = {
        {"the old page removes itself as the focus leaves it", 0, EVT_KILLFOCUS, 0},
        {"the old page removes the new one as the focus leaves it", 0, EVT_KILLFOCUS, 2},
        {"the new page removes itself as the focus reaches it", 2, EVT_SETFOCUS, 2},
        {"the new page removes itself as the focus leaves it (the slide hides it)", 2, EVT_KILLFOCUS, 2},
    };
    std::list<RemoveOnFocusEvent> handlers;  // outlive the pages that call them
    for (const bool sliding : {true, false})
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << (sliding ? "animated" : "plain") << " tab: " << row.name);
        CTabLayoutUI* layout = sliding ? new CAnimationTabLayoutUI() : new CTabLayoutUI();
        CControlUI* page[3] = {};
        for (CControlUI*& each : page) {
            each = new CControlUI();
            layout->Add(each);
        }
        // Deleted at once where nothing holds the deletion, so that a page used after it faults.
        layout->SetDelayedDestroy(false);
        host.manager.AttachRootControl(layout);
        layout->SetPos(RECT{0, 0, 400, 200});
        RemoveOnFocusEvent& handler =
            handlers.emplace_back(RemoveOnFocusEvent{layout, row.eventType, page[row.doomed]});
        page[row.watched]->OnEvent += MakeDelegate(&handler, &RemoveOnFocusEvent::Handle);
        page[0]->SetFocus();
        ASSERT_TRUE(page[0]->IsFocused());
        notes.seen.clear();
        const bool selected = layout->SelectItem(2);
        const bool asked = layout->GetItemIndex(page[2]) >= 0;
        const int count = layout->GetCount();
        PumpUntil([&] {
            auto* slide = static_cast<CAnimationTabLayoutUI*>(layout->GetInterface(L"AnimationTabLayout"));
            return !slide || !slide->IsAnimationRunning(CAnimationTabLayoutUI::kSlideAnimation);
        });
        handler.tab = nullptr;
        const int sel = layout->GetCurSel();
        ASSERT_GE(sel, 0);
        ASSERT_LT(sel, count);
        for (int i = 0; i < count; ++i) EXPECT_EQ(i == sel, layout->GetItemAt(i)->IsVisible()) << "page at " << i;
        EXPECT_EQ(asked, selected);
        if (!asked) {
            // The page asked for went: the selection is the one its removal left, and none is announced.
            EXPECT_EQ(2, count);
            EXPECT_EQ(0, notes.Count(L"tabselect"));
            continue;
        }
        // The page asked for is selected at its present place, and announced there.
        EXPECT_EQ(layout->GetItemIndex(page[2]), sel);
        EXPECT_EQ(1, notes.Count(L"tabselect"));
        for (const NotifyMessage& note : notes.seen) {
            if (note.sType != L"tabselect") continue;
            EXPECT_EQ(static_cast<WPARAM>(sel), note.wParam);
        }
    }
}

}  // namespace
