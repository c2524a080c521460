#include "Core/ControlDeletion.h"
#include "Core/UITaskQueue.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"

#include <algorithm>
#include <vector>

namespace SkinUI {
namespace {

// One step of either loop; false when the loop must end (WM_QUIT or a GetMessageW failure).
enum class LoopStep { Message, Quit, Failure };

LoopStep NextMessage(MSG& msg)
{
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return LoopStep::Quit;
    if (got == -1) return LoopStep::Failure;
    UITaskQueue::Drain();
    return LoopStep::Message;
}

void Dispatch(const MSG& msg)
{
    if (CWindowUIManager::PreTranslateMessage(&msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool IsSelfOrAncestor(HWND window, HWND target)
{
    for (HWND walk = target; walk; walk = ::GetParent(walk)) {
        if (walk == window) return true;
        if (!(::GetWindowLongPtrW(walk, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

// A window in a modal loop, with the code it is being closed with. An inner modal's loop may take the
// outer window's close: the outer loop reads its code here once it ends.
struct ModalRun {
    HWND window;
    HWND owner;
    UINT result;
    HWND focusBeforeClose;
};

std::vector<ModalRun*>& ModalRuns()
{
    static std::vector<ModalRun*> runs;
    return runs;
}

}  // namespace

// Whichever loop dispatches a modal window's close (an inner modal's, a system one such as a message box's)
// notes its code here and gives the owner back the input, so that activation returns to the owner when the
// window goes.
void CWindowWnd::NoteModalClose(HWND window, WPARAM code)
{
    for (ModalRun* run : ModalRuns()) {
        if (run->window != window) continue;
        run->result = static_cast<UINT>(code);
        run->focusBeforeClose = ::GetFocus();
        ::EnableWindow(run->owner, TRUE);
        if (run->owner) ::SetFocus(run->owner);
    }
}

// A close its window refused: the window stays modal, its owner without input, and the keyboard goes back
// where it was before the owner took it for the close.
void CWindowWnd::NoteModalCloseRefused(HWND window)
{
    for (ModalRun* run : ModalRuns()) {
        if (run->window != window || !::IsWindow(window)) continue;
        ::EnableWindow(run->owner, FALSE);
        const HWND back = run->focusBeforeClose;
        ::SetFocus(back && ::IsWindow(back) ? back : window);
    }
}

void CWindowUIManager::MessageLoop()
{
    s_uiThreadId = ::GetCurrentThreadId();
    MSG msg = {};
    while (NextMessage(msg) == LoopStep::Message) {
        if (UITaskQueue::IsWakeUp(msg.message, msg.wParam, msg.lParam)) continue;
        Dispatch(msg);
    }
    // Controls still waiting for deletion (their window closed last) go with the loop.
    ControlDeletion::Flush();
}

bool CWindowUIManager::PreTranslateMessage(const MSG* msg)
{
    const CPtrArray& managers = LiveManagers();
    if (::GetWindowLongPtrW(msg->hwnd, GWL_STYLE) & WS_CHILD) {
        // Each manager whose window is the target or one of its ancestors looks at the message once; one that
        // an earlier one's handlers ended (or unbound from its window) is not touched.
        const CPtrArray snapshot(managers);
        for (int i = 0; auto* manager = static_cast<CWindowUIManager*>(snapshot.GetAt(i)); ++i) {
            if (managers.Find(manager) < 0 || !manager->m_hwnd) continue;
            if (!IsSelfOrAncestor(manager->m_hwnd, msg->hwnd)) continue;
            if (manager->PreTranslateInOwnWindow(*msg) == PreTranslation::Consumed) return true;
        }
        return false;
    }
    for (int i = 0; auto* manager = static_cast<CWindowUIManager*>(managers.GetAt(i)); ++i)
        if (manager->m_hwnd == msg->hwnd) return manager->PreTranslateInOwnWindow(*msg) != PreTranslation::Passed;
    return false;
}

CWindowUIManager::PreTranslation CWindowUIManager::PreTranslateInOwnWindow(const MSG& msg)
{
    // Accelerators, shortcuts, Tab and the filters run this window's handlers, which may destroy it:
    // the window object and this manager stay whole until they have returned.
    const auto scope = KeepWindowWhileActing();
    MSG copy = msg;
    if (TranslateAccelerator(&copy)) return PreTranslation::Consumed;
    // A window that went in an accelerator has no further use for its message.
    if (!m_hwnd) return PreTranslation::Consumed;
    LRESULT result = 0;
    return PreMessageHandler(msg.message, msg.wParam, msg.lParam, result) ? PreTranslation::Handled
                                                                          : PreTranslation::Passed;
}

UINT CWindowWnd::ShowModal()
{
    // Only the handle is read in the loop: a window may delete its object in OnFinalMessage.
    HWND window = m_hWnd;
    HWND owner = ::GetWindow(window, GW_OWNER);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::EnableWindow(owner, FALSE);
    ModalRun run{window, owner, 0, nullptr};
    std::vector<ModalRun*>& runs = ModalRuns();
    runs.push_back(&run);
    MSG msg = {};
    bool quit = false;
    while (::IsWindow(window)) {
        const LoopStep step = NextMessage(msg);
        if (step != LoopStep::Message) {
            quit = step == LoopStep::Quit;
            break;
        }
        if (UITaskQueue::IsWakeUp(msg.message, msg.wParam, msg.lParam)) continue;
        Dispatch(msg);
    }
    runs.erase(std::find(runs.begin(), runs.end(), &run));
    ::EnableWindow(owner, TRUE);
    if (owner) ::SetFocus(owner);
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return run.result;
}

}  // namespace SkinUI
