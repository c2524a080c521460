#include "Core/UITaskQueue.h"
#include "TestWindows.h"

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

class ModalLoopTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_NE(nullptr, owner.Create(nullptr, L"owner", WS_POPUP, 0, 0, 0, 300, 200))
            << "no window: is an X display available?";
    }
    void TearDown() override
    {
        if (::IsWindow(owner)) ::DestroyWindow(owner);
    }
    HWND CreateModalWindow(HostWindow& dialog, HWND dialogOwner)
    {
        return dialog.Create(dialogOwner, L"dialog", WS_POPUP, 0, 50, 50, 200, 100);
    }

    HostWindow owner;
};

}  // namespace

TEST_F(ModalLoopTest, ReturnsTheCodeGivenToCloseAndDisablesTheOwnerMeanwhile)
{
    for (UINT code : {2222u, 3333u}) {
        HostWindow dialog;
        HWND hwnd = CreateModalWindow(dialog, owner);
        ASSERT_NE(nullptr, hwnd);
        bool ownerDisabled = false;
        CWindowUIManager::PostTask(hwnd, [&] {
            ownerDisabled = !::IsWindowEnabled(owner);
            dialog.Close(code);
        });
        EXPECT_EQ(code, dialog.ShowModal());
        EXPECT_TRUE(ownerDisabled);
        EXPECT_TRUE(::IsWindowEnabled(owner));
        EXPECT_FALSE(::IsWindow(hwnd));
    }

    // A close the window refuses (as one asking "are you sure?" does) leaves it modal; the later one counts.
    struct CloseRefuser : IMessageFilterUI {
        std::function<void()> refuse;
        LRESULT MessageHandler(UINT msg, WPARAM, LPARAM, bool& handled) override
        {
            handled = msg == WM_CLOSE && refuse;
            if (handled) std::exchange(refuse, nullptr)();
            return 0;
        }
    } refuser;
    HostWindow dialog;
    HWND hwnd = CreateModalWindow(dialog, owner);
    ASSERT_NE(nullptr, hwnd);
    dialog.manager.AddMessageFilter(&refuser);
    bool ownerDisabledAfterRefusal = false;
    HWND activeAfterRefusal = nullptr;
    refuser.refuse = [&] {
        CWindowUIManager::PostTask(hwnd, [&] {
            ownerDisabledAfterRefusal = !::IsWindowEnabled(owner);
            activeAfterRefusal = ::GetActiveWindow();
            dialog.Close(2222);
        });
    };
    CWindowUIManager::PostTask(hwnd, [&] { dialog.Close(1111); });
    EXPECT_EQ(2222u, dialog.ShowModal());
    EXPECT_TRUE(ownerDisabledAfterRefusal) << "the owner took input while its modal window stayed";
    EXPECT_EQ(hwnd, activeAfterRefusal) << "the window that stayed lost the keyboard";
    EXPECT_TRUE(::IsWindowEnabled(owner));
}

TEST_F(ModalLoopTest, ReturnsZeroForAWindowDestroyedWithoutClose)
{
    HostWindow dialog;
    HWND hwnd = CreateModalWindow(dialog, owner);
    ASSERT_NE(nullptr, hwnd);
    CWindowUIManager::PostTask(hwnd, [&] { ::DestroyWindow(hwnd); });
    EXPECT_EQ(0u, dialog.ShowModal());
    EXPECT_TRUE(::IsWindowEnabled(owner));
    // Refused with the window gone, the task must not run on another window's wake-up either.
    bool ranLate = false;
    EXPECT_FALSE(CWindowUIManager::PostTask(hwnd, [&] { ranLate = true; }));
    owner.SendMessage(2258, 2258, 2258);
    EXPECT_FALSE(ranLate);
}

TEST_F(ModalLoopTest, RunsNestedModalLoops)
{
    // The outer window closed after the inner one, or while the inner loop runs (which then takes its
    // close), or while a system modal loop (a message box's) runs: either way its own loop returns its code.
    enum class Closing { InnerFirst, OuterInInnerLoop, OuterInMessageBox };
    for (const Closing closing : {Closing::InnerFirst, Closing::OuterInInnerLoop, Closing::OuterInMessageBox}) {
        SCOPED_TRACE(static_cast<int>(closing));
        HostWindow outer, inner;
        HWND outerHwnd = CreateModalWindow(outer, owner);
        ASSERT_NE(nullptr, outerHwnd);
        UINT innerResult = 0;
        bool outerDisabledDuringInner = false;
        CWindowUIManager::PostTask(outerHwnd, [&] {
            if (closing == Closing::OuterInMessageBox) {
                CWindowUIManager::PostTask(outerHwnd, [&] { outer.Close(3333); });
                ::MessageBoxW(outerHwnd, L"inner", L"inner", MB_OK);
                return;
            }
            HWND innerHwnd = CreateModalWindow(inner, outerHwnd);
            CWindowUIManager::PostTask(innerHwnd, [&] {
                outerDisabledDuringInner = !::IsWindowEnabled(outerHwnd);
                if (closing == Closing::OuterInInnerLoop) outer.Close(3333);
                else inner.Close(3333);
            });
            innerResult = inner.ShowModal();
            if (closing == Closing::InnerFirst) outer.Close(2222);
        });
        EXPECT_EQ(closing == Closing::InnerFirst ? 2222u : 3333u, outer.ShowModal());
        if (closing != Closing::OuterInMessageBox) {
            EXPECT_EQ(closing == Closing::InnerFirst ? 3333u : 0u, innerResult);
            EXPECT_TRUE(outerDisabledDuringInner);
        }
        EXPECT_TRUE(::IsWindowEnabled(owner));
    }
}

TEST_F(ModalLoopTest, QuitInsideAModalLoopEndsTheOuterLoopToo)
{
    HostWindow dialog;
    HWND hwnd = CreateModalWindow(dialog, owner);
    ASSERT_NE(nullptr, hwnd);
    CWindowUIManager::PostTask(hwnd, [] { ::PostQuitMessage(5); });
    EXPECT_EQ(0u, dialog.ShowModal());
    EXPECT_TRUE(::IsWindowEnabled(owner));
    // The quit was posted again: the main loop ends at once.
    CWindowUIManager::MessageLoop();
    ::DestroyWindow(hwnd);
}

TEST_F(ModalLoopTest, DropsTheWakeUpAndDispatchesOtherMessagesNumbered2258)
{
    owner.received.clear();
    owner.PostMessage(2258, 2258, 2258);
    owner.PostMessage(2258, 0, 0);
    bool ran = false;
    CWindowUIManager::PostTask(owner, [&] {
        ran = true;
        ::PostQuitMessage(0);
    });
    CWindowUIManager::MessageLoop();
    EXPECT_TRUE(ran);
    int dispatched = 0;
    for (const MSG& msg : owner.received) {
        if (msg.message != 2258) continue;
        ++dispatched;
        EXPECT_EQ(0u, msg.wParam);
    }
    EXPECT_EQ(1, dispatched);
    EXPECT_EQ(::GetCurrentThreadId(), CWindowUIManager::GetUIThreadId());
}

TEST_F(ModalLoopTest, AWakeUpDispatchedByAnotherLoopRunsTheQueue)
{
    // A system modal loop dispatches instead of filtering: the window itself drains the queue then.
    bool ran = false;
    UITaskQueue::Push([&] { ran = true; });
    owner.SendMessage(2258, 2258, 2258);
    EXPECT_TRUE(ran);
}

TEST_F(ModalLoopTest, RunsWorkPostedFromOtherThreadsInOrder)
{
    constexpr int kThreads = 3;
    constexpr int kTasks = 200;
    std::vector<std::vector<int>> seen(kThreads);
    int remaining = kThreads * kTasks;
    HWND hwnd = owner;
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kTasks; ++i) {
                CWindowUIManager::PostTask(hwnd, [&, t, i] {
                    seen[static_cast<size_t>(t)].push_back(i);
                    if (--remaining == 0) ::PostQuitMessage(0);
                });
            }
        });
    }
    CWindowUIManager::MessageLoop();
    for (auto& worker : workers) worker.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(static_cast<size_t>(kTasks), seen[static_cast<size_t>(t)].size());
        for (int i = 0; i < kTasks; ++i) EXPECT_EQ(i, seen[static_cast<size_t>(t)][static_cast<size_t>(i)]);
    }
}
