#include "Core/ControlDeletion.h"

#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"
#include "Utils/DispatchScope.h"

#include <algorithm>
#include <vector>

namespace SkinUI {
namespace {

struct Queued {
    CControlUI* control;
    const CWindowUIManager* rootOf;
    const CWindowUIManager* from;  // the window it left; its end deletes it when no dispatch runs
};

struct DeletionQueue {
    std::vector<Queued> controls;
    HWND wakeWindow = nullptr;
    bool armed = false;  // a wake-up is on its way to wakeWindow
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

}  // namespace

void ControlDeletion::Delete(CControlUI* control, bool delayed, const CWindowUIManager* rootOf)
{
    if (!control) return;
    if (!delayed && !CDispatchScope::IsActive()) {
        // Gone for its watchers now, even when a reference count keeps the object a while longer.
        control->m_lifetime.reset();
        control->DeleteSelf();
        return;
    }
    CWindowUIManager* manager = control->LiveManager();
    const HWND wakeWindow = manager ? manager->GetWindowHandle() : nullptr;
    // Everything under it goes with it: whoever watches a part of it sees it gone, as after a deletion.
    control->FindControl(&ControlDeletion::EndLifetime, nullptr, FIND_ALL);
    control->SetManager(nullptr, nullptr, false);
    Queue().controls.push_back(Queued{control, rootOf, manager});
    Arm(wakeWindow);
}

bool ControlDeletion::IsQueued(const CControlUI* control) { return Find(control) != Queue().controls.end(); }

bool ControlDeletion::TakeBack(CControlUI* control, const CWindowUIManager* rootOf)
{
    const auto found = Find(control);
    if (found == Queue().controls.end() || !rootOf || found->rootOf != rootOf) return false;
    Queue().controls.erase(found);
    control->FindControl(&ControlDeletion::StartLifetime, nullptr, FIND_ALL);
    return true;
}

void ControlDeletion::Forget(const CControlUI* control)
{
    auto& controls = Queue().controls;
    controls.erase(std::remove_if(controls.begin(), controls.end(), Entry(control)), controls.end());
}

void ControlDeletion::WindowEnds(const CWindowUIManager* window)
{
    if (!CDispatchScope::IsActive()) DeleteWhere([window](const Queued& queued) { return queued.from == window; });
    // Another window may come at its address: what still waits no longer names it.
    for (Queued& queued : Queue().controls) {
        if (queued.rootOf == window) queued.rootOf = nullptr;
        if (queued.from == window) queued.from = nullptr;
    }
}

void ControlDeletion::Flush()
{
    Queue().armed = false;
    if (!CDispatchScope::IsActive()) DeleteWhere([](const Queued&) { return true; });
}

template <class Which>
void ControlDeletion::DeleteWhere(Which which)
{
    // A destructor may queue more (its handlers run in a dispatch of their own): those are looked at too.
    auto& controls = Queue().controls;
    for (auto found = std::find_if(controls.begin(), controls.end(), which); found != controls.end();
         found = std::find_if(controls.begin(), controls.end(), which)) {
        CControlUI* control = found->control;
        controls.erase(found);
        control->DeleteSelf();
    }
}

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

void ControlDeletion::Arm(HWND wakeWindow)
{
    DeletionQueue& queue = Queue();
    CDispatchScope::SetUnwoundHook(&ControlDeletion::Rearm);
    // A wake-up posted to a window that has gone since is lost with it: another window carries the next.
    if (queue.armed && ::IsWindow(queue.wakeWindow)) return;
    if (wakeWindow) queue.wakeWindow = wakeWindow;
    if (!::IsWindow(queue.wakeWindow)) queue.wakeWindow = CWindowUIManager::AnyLiveWindow();
    // Without any window, the framework's own loop flushes at its next turn.
    queue.armed = CWindowUIManager::PostTask(queue.wakeWindow, &ControlDeletion::Flush);
}

void ControlDeletion::Rearm()
{
    if (!Queue().controls.empty()) Arm(nullptr);
}

void ControlDeletion::WakeThrough(HWND window)
{
    if (!Queue().controls.empty()) Arm(window);
}

}  // namespace SkinUI
