#include "Core/ControlDeletion.h"

#include "Control/ScrollBarUI.h"
#include "Control/UITreeView.h"
#include "Core/ControlUI.h"
#include "Core/UITaskQueue.h"
#include "Core/WindowUIManager.h"
#include "Layout/ContainerUI.h"
#include "Utils/DispatchScope.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace SkinUI {
namespace {

struct Queued {
    CControlUI* control;
    const CWindowUIManager* rootOf;
    const CWindowUIManager* from;  // the window it left; its end deletes it when none of its dispatches runs
};

struct DeletionQueue {
    std::vector<Queued> controls;
    HWND wakeWindow = nullptr;  // the queue's own, while something waits
    bool armed = false;         // a wake-up is on its way
    // Dispatches below this depth do not hold deletions back: those a window's end makes as it deletes
    // its tree go at once, while the handlers that tree runs on its way still make theirs wait.
    int ground = 0;
};

DeletionQueue& Queue()
{
    static DeletionQueue queue;
    return queue;
}

auto Entry(const CControlUI* control)
{
    return [control](const Queued& queued) { return queued.control == control; };
}

std::vector<Queued>::iterator Find(const CControlUI* control)
{
    auto& controls = Queue().controls;
    return std::find_if(controls.begin(), controls.end(), Entry(control));
}

// Any loop of the thread dispatches the wake-up here, the application's own and a system modal one too.
LRESULT CALLBACK WakeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!UITaskQueue::IsWakeUp(msg, wParam, lParam)) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    UITaskQueue::Drain();
    return 0;
}

HWND CreateWakeWindow()
{
    static constexpr wchar_t kClassName[] = L"SkinUIDeletionWake";
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &WakeWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return ::CreateWindowExW(0, kClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

}  // namespace

bool ControlDeletion::Delete(CControlUI* control, bool delayed, const CWindowUIManager* rootOf)
{
    if (!control || HeldByContainer(control)) return false;
    if (!delayed && !MustWait()) {
        DeleteNow(control);
        return true;
    }
    Enqueue(control, rootOf, control->LiveManager());
    return true;
}

// Deleted behind its holder's back, the holder would go on using it: a container's item or one of its own
// parts (a scroll bar, a list's body), a node recorded under a node outside any tree.
bool ControlDeletion::HeldByContainer(CControlUI* control)
{
    const auto* node = static_cast<const CTreeNodeUI*>(control->GetInterface(L"TreeNode"));
    if (node && node->IsHeldByLooseNode()) return true;
    CControlUI* parent = control->GetParent();
    const auto* container = parent ? static_cast<IContainerUI*>(parent->GetInterface(L"IContainer")) : nullptr;
    if (container && container->GetItemIndex(control) >= 0) return true;
    const auto* box = parent ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    return box && (box->CContainerUI::GetItemIndex(control) >= 0 || box->GetVerticalScrollBar() == control ||
                   box->GetHorizontalScrollBar() == control);
}

bool ControlDeletion::MustWait() { return CDispatchScope::Depth() > Queue().ground; }

void ControlDeletion::DeleteNow(CControlUI* control)
{
    // Gone for its watchers now, even when a reference count keeps the object a while longer.
    control->m_lifetime.reset();
    control->DeleteSelf();
}

void ControlDeletion::Enqueue(CControlUI* control, const CWindowUIManager* rootOf, const CWindowUIManager* from)
{
    // Everything under it goes with it: whoever watches a part of it sees it gone, as after a deletion.
    control->FindControl(&ControlDeletion::EndLifetime, nullptr, FIND_ALL);
    control->SetManager(nullptr, nullptr, false);
    Queue().controls.push_back(Queued{control, rootOf, from});
    Arm();
}

bool ControlDeletion::IsQueued(const CControlUI* control) { return Find(control) != Queue().controls.end(); }

bool ControlDeletion::TakeBack(CControlUI* control, const CWindowUIManager* rootOf)
{
    const auto found = Find(control);
    if (found == Queue().controls.end() || !rootOf || found->rootOf != rootOf) return false;
    Queue().controls.erase(found);
    control->FindControl(&ControlDeletion::StartLifetime, nullptr, FIND_ALL);
    Settle();
    return true;
}

void ControlDeletion::Forget(const CControlUI* control)
{
    auto& controls = Queue().controls;
    const auto forgotten = std::remove_if(controls.begin(), controls.end(), Entry(control));
    if (forgotten == controls.end()) return;
    controls.erase(forgotten, controls.end());
    Settle();
}

void ControlDeletion::WindowEnds(const CWindowUIManager* window, CControlUI* root)
{
    DeletionQueue& queue = Queue();
    if (CDispatchScope::IsActiveFor(window->GetWindowHandle())) {
        // Its own handler is still on the stack: the tree waits for the loop.
        if (root) Enqueue(root, nullptr, nullptr);
    } else {
        const int ground = std::exchange(queue.ground, CDispatchScope::Depth());
        if (root) DeleteNow(root);
        DeleteWhere([window](const Queued& queued) { return queued.from == window; });
        queue.ground = ground;
    }
    // Another window may come at its address: what still waits no longer names it.
    for (Queued& queued : queue.controls) {
        if (queued.rootOf == window) queued.rootOf = nullptr;
        if (queued.from == window) queued.from = nullptr;
    }
    Settle();
}

void ControlDeletion::Flush()
{
    Queue().armed = false;
    if (!MustWait()) DeleteWhere([](const Queued&) { return true; });
    Settle();
}

template <class Which>
void ControlDeletion::DeleteWhere(Which which)
{
    // A destructor may queue more (its handlers run in a dispatch of their own): those are looked at too.
    auto& controls = Queue().controls;
    for (auto found = std::find_if(controls.begin(), controls.end(), which); found != controls.end();
         found = std::find_if(controls.begin(), controls.end(), which)) {
        CControlUI* control = found->control;
        const CWindowUIManager* from = found->from;
        controls.erase(found);
        // Its handlers may close the window it left: that window stays whole until they have returned.
        const RemovalScope deleting(CWindowUIManager::Exists(from) ? from->GetWindowHandle() : nullptr);
        control->DeleteSelf();
    }
}

ControlDeletion::RemovalScope::RemovalScope(HWND window) : m_scope(window), m_ground(Queue().ground)
{
    // Inside a dispatch its deletions wait anyway; outside, only those its handlers make do.
    if (CDispatchScope::Depth() - 1 <= m_ground) Queue().ground = CDispatchScope::Depth();
}

ControlDeletion::RemovalScope::~RemovalScope() { Queue().ground = m_ground; }

CControlUI* CALLBACK ControlDeletion::EndLifetime(CControlUI* control, void*)
{
    control->m_lifetime.reset();
    return nullptr;
}

CControlUI* CALLBACK ControlDeletion::StartLifetime(CControlUI* control, void*)
{
    control->m_lifetime = std::make_shared<char>();
    return nullptr;
}

void ControlDeletion::Arm()
{
    DeletionQueue& queue = Queue();
    CDispatchScope::SetUnwoundHook(&ControlDeletion::Rearm);
    if (queue.armed && ::IsWindow(queue.wakeWindow)) return;
    if (!::IsWindow(queue.wakeWindow)) queue.wakeWindow = CreateWakeWindow();
    // Without a window of its own a framework window carries it; without any, the framework's loop
    // flushes as it ends.
    const HWND carrier = queue.wakeWindow ? queue.wakeWindow : CWindowUIManager::AnyLiveWindow();
    // Straight onto the queue: a flush runs outside any dispatch, or it would find itself in the way.
    queue.armed = UITaskQueue::PostTo(carrier, &ControlDeletion::Flush);
}

void ControlDeletion::Rearm()
{
    if (!Queue().controls.empty()) Arm();
}

// Nothing waits: the queue's window goes (a wake-up still on its way finds nothing to do).
void ControlDeletion::Settle()
{
    DeletionQueue& queue = Queue();
    if (!queue.controls.empty() || !queue.wakeWindow) return;
    ::DestroyWindow(std::exchange(queue.wakeWindow, nullptr));
}

}  // namespace SkinUI
