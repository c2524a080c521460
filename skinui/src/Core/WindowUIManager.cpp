#include "Core/WindowUIManager.h"

#include "Core/ControlDeletion.h"
#include "Core/ControlUI.h"
#include "Core/SkinBuildLimits.h"
#include "Core/WindowWnd.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace SkinUI {
namespace {

bool RemoveItem(CPtrArray& list, void* item)
{
    const int index = list.Find(item);
    return index >= 0 && list.Remove(index);
}

void RemoveEvery(CPtrArray& list, void* item)
{
    for (int i = list.GetSize() - 1; i >= 0; --i)
        if (list[i] == item) list.Remove(i);
}

CControlUI* CALLBACK CollectName(CControlUI* control, void* data)
{
    auto* names = static_cast<CUIStringPtrMap*>(data);
    const CUIString name = control->GetName();
    if (!name.IsEmpty()) names->Set(name, control);
    return nullptr;
}

// Visits as registration does and keeps the last match: the control registration would leave the name to.
struct NamesakeSearch {
    const CWindowUIManager* manager;
    const CControlUI* leaving;
    CUIString name;
    CControlUI* found;
};

CControlUI* CALLBACK FindNamesake(CControlUI* control, void* data)
{
    auto* search = static_cast<NamesakeSearch*>(data);
    if (control != search->leaving && control->GetManager() == search->manager && control->GetName() == search->name)
        search->found = control;
    return nullptr;
}

constexpr WORD kKeyStateAlt = 0x20;

WORD CurrentKeyState()
{
    WORD state = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= MK_LBUTTON;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= MK_RBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0) state |= MK_SHIFT;
    if (::GetKeyState(VK_CONTROL) < 0) state |= MK_CONTROL;
    if (::GetKeyState(VK_MENU) < 0) state |= kKeyStateAlt;
    return state;
}

CControlUI* CALLBACK HitTestControl(CControlUI* control, void*) { return control; }

struct TabStopSearch {
    CControlUI* focus;
    CControlUI* lastTabStop;
    bool forward;
    bool focusPassed;
};

CControlUI* CALLBACK FindNextTabStop(CControlUI* control, void* data)
{
    auto* search = static_cast<TabStopSearch*>(data);
    if (control == search->focus) {
        if (!search->forward) return search->lastTabStop;
        search->focusPassed = true;
        return nullptr;
    }
    if ((control->GetControlFlags() & CONTROL_FLAG_TABSTOP) == 0) return nullptr;
    search->lastTabStop = control;
    if (search->focusPassed || !search->focus) return control;
    return nullptr;
}

}  // namespace

CWindowUIManager::CWindowUIManager()
{
    InitSharedState();
    AllManagers().Add(this);
}

CWindowUIManager::~CWindowUIManager()
{
    RemoveItem(AllManagers(), this);
    // A tree its window did not take along (a manager that never had one, or was never told it ended),
    // unless one of the window's own dispatches is still on the stack.
    ControlDeletion::WindowEnds(this, std::exchange(m_root, nullptr));
    for (int i = 0; i < m_asyncNotifications.GetSize(); ++i)
        delete static_cast<NotifyMessage*>(m_asyncNotifications[i]);
    m_asyncNotifications.Empty();
    m_names.RemoveAll();
    RemoveAllOptionGroups();
    RemoveAllTimers();
    DeleteOffscreen();
    DetachFromWindow();
    ReleaseWindowResources();
    if (m_defaultFont.hFont) ::DeleteObject(m_defaultFont.hFont);
    if (m_dragImage) ::DeleteObject(m_dragImage);
    for (HANDLE font : m_memoryFonts) ::RemoveFontMemResourceEx(font);
    StopGdiplus();
}

void CWindowUIManager::DetachFromWindow()
{
    DestroyToolTip();
    if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc);
    m_hdc = nullptr;
    // A wake-up still queued for the old window goes with it.
    m_delayedWorkPosted = false;
    RemoveItem(LiveManagers(), this);
}

CPtrArray& CWindowUIManager::AllManagers()
{
    static CPtrArray managers;
    return managers;
}

bool CWindowUIManager::Exists(const CWindowUIManager* manager)
{
    return manager && AllManagers().Find(const_cast<CWindowUIManager*>(manager)) >= 0;
}

CPtrArray& CWindowUIManager::LiveManagers()
{
    static CPtrArray managers;
    return managers;
}

HWND CWindowUIManager::AnyLiveWindow()
{
    const CPtrArray& managers = LiveManagers();
    for (int i = 0; i < managers.GetSize(); ++i)
        if (HWND hwnd = static_cast<CWindowUIManager*>(managers[i])->m_hwnd; ::IsWindow(hwnd)) return hwnd;
    return nullptr;
}

void CWindowUIManager::WindowUnwound(HWND hwnd)
{
    // Looked up anew each time: deleting a tree runs handlers, which may create or end managers.
    for (;;) {
        const CPtrArray& managers = AllManagers();
        CWindowUIManager* ended = nullptr;
        for (int i = 0; i < managers.GetSize() && !ended; ++i) {
            auto* manager = static_cast<CWindowUIManager*>(managers[i]);
            if (manager->m_endedWindow == hwnd) ended = manager;
        }
        if (!ended) return;
        ended->m_endedWindow = nullptr;
        ControlDeletion::WindowEnds(ended, std::exchange(ended->m_root, nullptr));
    }
}

void CWindowUIManager::Init(HWND hwnd, const wchar_t* name)
{
    RemoveAllOptionGroups();
    RemoveAllTimers();
    ReleaseWindowResources();
    m_name.Empty();
    if (name) m_name = name;
    if (m_hwnd == hwnd) return;
    // Re-binding to another window gives back the old window's DC and keeps one list entry.
    DetachFromWindow();
    m_hwnd = hwnd;
    m_hdc = ::GetDC(hwnd);
    LiveManagers().Add(this);
    // Work queued while no window could carry the wake-up runs through this one.
    if (!m_asyncNotifications.IsEmpty()) PostDelayedWork();
}

bool CWindowUIManager::AttachRootControl(CControlUI* root)
{
    // A control a container holds stays there; one waiting for its deletion is refused unless it is this
    // window's own old root.
    if (root && root->GetParent()) return false;
    const bool takenBack = root && root != m_root && ControlDeletion::TakeBack(root, this);
    if (root && !takenBack && ControlDeletion::IsQueued(root)) return false;
    m_shadow.Create(this);
    SetFocus(nullptr);
    m_hover = m_click = nullptr;
    m_keysDown.clear();
    // The root it shows already stays, bound and initialised: it only lays out anew.
    const bool attachedAlready = root && root == m_root;
    if (m_root && !attachedAlready) {
        m_postPaintControls.Empty();
        CControlUI* old = m_root;
        m_root = nullptr;
        ControlDeletion::Delete(old, true, this);
    }
    m_root = root;
    m_firstLayout = true;
    m_updateNeeded = true;
    m_focusNeeded = true;
    if (!m_root) return false;
    if (attachedAlready) return true;
    // Child layouts load their files while the tree initialises: all of them within one build's budget.
    const CSkinBuildBudget budget;
    // An init may delete a control of the tree or close the window: both wait until the walk ends.
    const auto initialising = KeepWindowWhileActing();
    m_root->SetManager(this, m_root->GetParent(), true);
    RegisterNames(m_root);
    return true;
}

bool CWindowUIManager::InitControls(CControlUI* control, CControlUI* parent, bool runInit)
{
    if (!control) return false;
    // An init may delete a control of the tree or close the window: both wait until the walk ends.
    const auto keepWindow = KeepWindowWhileActing();
    const CSkinBuildBudget budget;
    control->SetManager(this, parent ? parent : control->GetParent(), runInit);
    RegisterNames(control);
    return true;
}

void CWindowUIManager::RegisterNames(CControlUI* root)
{
    root->FindControl(&CollectName, &m_names, FIND_ALL);
}

void CWindowUIManager::ReleaseControlReferences(CControlUI* control)
{
    m_keysDown.erase(std::remove_if(m_keysDown.begin(), m_keysDown.end(),
                                    [control](const auto& held) { return held.second == control; }),
                     m_keysDown.end());
    if (m_hover == control) m_hover = nullptr;
    if (m_click == control) {
        m_click = nullptr;
        if (m_captured) ReleaseCapture();
    }
    if (m_focus == control) m_focus = nullptr;
    if (m_root == control) m_root = nullptr;
    // Added once per request (a layout's separator pressed twice): every entry goes.
    RemoveEvery(m_postPaintControls, control);
    FreeTimersOf(control);
    // A control detached while it was built (the dialog builder's) may still be listed in a group.
    RemoveFromEveryOptionGroup(control);
    ReleaseListenerEntries(control);
    ReleaseName(control, control->GetName());
    for (int i = 0; i < m_asyncNotifications.GetSize(); ++i) {
        auto* queued = static_cast<NotifyMessage*>(m_asyncNotifications[i]);
        if (queued->pSender == control) queued->pSender = nullptr;
    }
}

void CWindowUIManager::ReleaseName(CControlUI* control, const CUIString& name)
{
    if (name.IsEmpty() || m_names.Find(name) != control) return;
    m_names.Remove(name);
    if (!m_root) return;
    NamesakeSearch search{this, control, name, nullptr};
    m_root->FindControl(&FindNamesake, &search, FIND_ALL);
    if (search.found) m_names.Set(name, search.found);
}

void CWindowUIManager::NameChanged(CControlUI* control, const CUIString& oldName)
{
    ReleaseName(control, oldName);
    const CUIString name = control->GetName();
    if (!name.IsEmpty()) m_names.Set(name, control);
}

// A control that listens to its window itself (a text host filtering messages, a browser translating
// accelerators) is listed there under its interface. While the control is whole it is found so; a control
// being deleted has taken its own entries out already.
void CWindowUIManager::ReleaseListenerEntries(CControlUI* control)
{
    if (auto* filter = dynamic_cast<IMessageFilterUI*>(control)) {
        RemoveEvery(m_messageFilters, filter);
        RemoveEvery(m_preMessageFilters, filter);
    }
    if (auto* translator = dynamic_cast<ITranslateAccelerator*>(control)) RemoveEvery(m_translators, translator);
    if (auto* notifier = dynamic_cast<INotifyUI*>(control)) RemoveEvery(m_notifiers, notifier);
}

CControlUI* CWindowUIManager::FindControl(const wchar_t* name) const
{
    return static_cast<CControlUI*>(m_names.Find(name));
}

CControlUI* CWindowUIManager::FindControlAtPoint(POINT pt) const
{
    if (!m_root) return nullptr;
    return m_root->FindControl(&HitTestControl, &pt, FIND_VISIBLE | FIND_HITTEST | FIND_TOP_FIRST);
}

void CWindowUIManager::SendEventTo(CControlUI* control, int type, WPARAM wParam, LPARAM lParam, wchar_t key)
{
    DispatchTo(control, type, wParam, lParam, key, CurrentKeyState());
}

void CWindowUIManager::SendButtonEvent(CControlUI* control, int type, WPARAM wParam, LPARAM lParam)
{
    DispatchTo(control, type, wParam, lParam, 0, LOWORD(wParam));
}

void CWindowUIManager::DispatchTo(CControlUI* control, int type, WPARAM wParam, LPARAM lParam, wchar_t key,
                                  WORD keyState)
{
    ControlEvent event;
    event.Type = type;
    event.pSender = control;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = m_lastMousePos;
    event.chKey = key;
    event.wKeyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    control->DispatchEvent(event);
}

CDispatchScope CWindowUIManager::KeepWindowWhileActing() const { return CDispatchScope(m_hwnd); }

std::weak_ptr<void> CWindowUIManager::WatchedLifetime(const CControlUI* control)
{
    return control ? control->WatchLifetime() : std::weak_ptr<void>();
}

void CWindowUIManager::KillFocus(CControlUI* newFocus)
{
    CControlUI* old = m_focus;
    if (!old) return;
    // Cleared before the loss is told: a handler that moves the focus finds no focus to take away again.
    m_focus = nullptr;
    ControlEvent event;
    event.Type = EVT_KILLFOCUS;
    event.pSender = newFocus;
    event.dwTimestamp = ::GetTickCount();
    const auto alive = old->WatchLifetime();
    old->DispatchEvent(event);
    if (StillHolds(old, alive)) SendNotify(old, L"killfocus");
}

// The latest call wins: when the old focus's loss handlers set the focus themselves (to a third control,
// back to the old one, or to none), their choice stands and this call ends there; a set-focus handler
// that moves the focus on leaves its control without a "setfocus" notification. So one control at most
// is focused, and each that loses the focus hears it.
void CWindowUIManager::SetFocus(CControlUI* control)
{
    // The focus's handlers may close the window: this manager stays whole until the change has ended.
    const auto keepWindow = KeepWindowWhileActing();
    // Watched first: the window taking the keyboard focus runs the losing window's handlers, and then the
    // old focus hears of its loss; either may delete the control that was to take over.
    const auto alive = WatchedLifetime(control);
    if (::GetFocus() != m_hwnd && control != m_focus && ::IsWindow(m_hwnd)) ::SetFocus(m_hwnd);
    if (control && alive.expired()) return;
    if (control == m_focus) return;
    const unsigned move = ++m_focusMoves;
    KillFocus(control);
    if (alive.expired() || move != m_focusMoves) return;
    if (control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_focus = control;
        SendEventTo(control, EVT_SETFOCUS);
        // Deleted, moved or passed on by its handler, it is no longer the focus.
        if (m_focus == control) SendNotify(control, L"setfocus");
    }
}

void CWindowUIManager::SetFocusDeferred(CControlUI* control)
{
    const auto keepWindow = KeepWindowWhileActing();
    const auto alive = WatchedLifetime(control);
    if (::IsWindow(m_hwnd)) ::SetFocus(m_hwnd);
    if (alive.expired()) return;
    // As in SetFocus: a loss handler's own choice of focus stands.
    const unsigned move = ++m_focusMoves;
    KillFocus(control);
    if (!StillHolds(control, alive) || !m_root || move != m_focusMoves) return;
    TabStopSearch search{control, nullptr, false, false};
    m_focus = m_root->FindControl(&FindNextTabStop, &search, FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST);
    m_focusNeeded = true;
    m_root->RequestLayout();
}

bool CWindowUIManager::MoveFocusToNextTabStop(bool forward)
{
    if (m_updateNeeded && forward) {
        m_focusNeeded = true;
        if (::IsWindow(m_hwnd)) ::InvalidateRect(m_hwnd, nullptr, FALSE);
        return true;
    }
    if (!m_root) {
        m_focusNeeded = false;
        return true;
    }
    const UINT flags = FIND_VISIBLE | FIND_ENABLED | FIND_ME_FIRST;
    TabStopSearch search{m_focus, nullptr, forward, false};
    CControlUI* found = m_root->FindControl(&FindNextTabStop, &search, flags);
    if (!found) {
        if (forward) {
            TabStopSearch wrap{nullptr, nullptr, true, false};
            found = m_root->FindControl(&FindNextTabStop, &wrap, flags);
        } else {
            found = search.lastTabStop;
        }
    }
    m_focusNeeded = false;
    if (found) SetFocus(found);
    return true;
}

void CWindowUIManager::SetCapture()
{
    ::SetCapture(m_hwnd);
    m_captured = true;
}

void CWindowUIManager::ReleaseCapture()
{
    // Cleared first: the WM_CAPTURECHANGED that ::ReleaseCapture sends is our own doing.
    m_captured = false;
    m_dragging = false;
    ::ReleaseCapture();
}

bool CWindowUIManager::AddNotifier(INotifyUI* notifier) { return m_notifiers.Add(notifier); }
bool CWindowUIManager::RemoveNotifier(INotifyUI* notifier) { return RemoveItem(m_notifiers, notifier); }
bool CWindowUIManager::AddPreMessageFilter(IMessageFilterUI* filter) { return m_preMessageFilters.Add(filter); }
bool CWindowUIManager::RemovePreMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_preMessageFilters, filter); }
bool CWindowUIManager::AddMessageFilter(IMessageFilterUI* filter) { return m_messageFilters.Add(filter); }
bool CWindowUIManager::RemoveMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_messageFilters, filter); }
bool CWindowUIManager::AddTranslateAccelerator(ITranslateAccelerator* translator) { return m_translators.Add(translator); }
bool CWindowUIManager::RemoveTranslateAccelerator(ITranslateAccelerator* translator)
{
    return RemoveItem(m_translators, translator);
}
bool CWindowUIManager::AddPostPaint(CControlUI* control) { return HoldsFor(control) && m_postPaintControls.Add(control); }
bool CWindowUIManager::RemovePostPaint(CControlUI* control) { return RemoveItem(m_postPaintControls, control); }

// Only a control of this window is held here: its deletion or its move is what lets go of it again.
bool CWindowUIManager::HoldsFor(const CControlUI* control) const { return control && control->GetManager() == this; }

bool CWindowUIManager::StillHolds(const CControlUI* control, const std::weak_ptr<void>& alive) const
{
    return !alive.expired() && HoldsFor(control);
}

bool CWindowUIManager::TranslateAccelerator(MSG* msg)
{
    const auto keepWindow = KeepWindowWhileActing();
    for (int i = 0; i < m_translators.GetSize(); ++i)
        if (static_cast<ITranslateAccelerator*>(m_translators[i])->TranslateAccelerator(msg) == 0) return true;
    return false;
}

bool CWindowUIManager::RemoveNativeWindow(HWND hwnd)
{
    const int index = m_nativeWindows.Find(hwnd);
    if (index < 0) return false;
    m_nativeWindows.Remove(index);
    m_nativeWindowControls.Remove(index);
    return true;
}

void CWindowUIManager::AddDelayedCleanup(CControlUI* control)
{
    // Handed to this window, it goes with the window at the latest.
    control->SetManager(this, nullptr, false);
    ControlDeletion::Delete(control, true);
}

void CWindowUIManager::PostDelayedWork()
{
    if (m_delayedWorkPosted || !m_hwnd) return;
    m_delayedWorkPosted = ::PostMessageW(m_hwnd, kMsgDelayedWork, 0, 0) != FALSE;
}

void CWindowUIManager::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam, bool async)
{
    NotifyMessage msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotifyRecord(msg, async);
}

void CWindowUIManager::StampNotify(NotifyMessage& msg) const
{
    msg.ptMouse = m_lastMousePos;
    msg.dwTimestamp = ::GetTickCount();
    if (m_useVirtualWnd && msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
}

void CWindowUIManager::SendNotifyRecord(NotifyMessage& msg, bool async)
{
    StampNotify(msg);
    if (!async) {
        // A handler may destroy the window; its object and this manager stay whole until delivery ends.
        const auto scope = KeepWindowWhileActing();
        DeliverNotify(msg);
        return;
    }
    m_asyncNotifications.Add(new NotifyMessage(msg));
    PostDelayedWork();
}

void CWindowUIManager::ForwardNotify(NotifyMessage& msg)
{
    StampNotify(msg);
    const auto scope = KeepWindowWhileActing();
    DeliverNotify(msg, false);
}

void CWindowUIManager::DeliverNotify(NotifyMessage& msg, bool toSender)
{
    // A handler may delete the sender: those after it see no sender, as with a queued notification.
    const auto senderAlive = WatchedLifetime(msg.pSender);
    if (toSender && msg.pSender && msg.pSender->OnNotify) msg.pSender->OnNotify(&msg);
    // A copy: a notifier may add or remove notifiers while it runs.
    const CPtrArray notifiers(m_notifiers);
    for (int i = 0; i < notifiers.GetSize(); ++i) {
        if (m_notifiers.Find(notifiers[i]) < 0) continue;
        if (senderAlive.expired()) msg.pSender = nullptr;
        static_cast<INotifyUI*>(notifiers[i])->Notify(msg);
    }
}

void CWindowUIManager::ProcessDelayedWork()
{
    m_delayedWorkPosted = false;
    while (!m_asyncNotifications.IsEmpty()) {
        auto* msg = static_cast<NotifyMessage*>(m_asyncNotifications[0]);
        m_asyncNotifications.Remove(0);
        DeliverNotify(*msg);
        delete msg;
    }
}

bool CWindowUIManager::AddToOptionGroup(const wchar_t* group, CControlUI* control)
{
    if (!HoldsFor(control)) return false;
    auto* members = static_cast<CPtrArray*>(m_optionGroups.Find(group));
    if (!members) {
        members = new CPtrArray(6);
        m_optionGroups.Set(group, members);
    }
    if (members->Find(control) >= 0) return false;
    return members->Add(control);
}

CPtrArray* CWindowUIManager::GetOptionGroup(const wchar_t* group) const
{
    return static_cast<CPtrArray*>(m_optionGroups.Find(group));
}

void CWindowUIManager::RemoveFromOptionGroup(const wchar_t* group, CControlUI* control)
{
    auto* members = static_cast<CPtrArray*>(m_optionGroups.Find(group));
    if (!members) return;
    RemoveItem(*members, control);
    if (!members->IsEmpty()) return;
    delete members;
    m_optionGroups.Remove(group);
}

void CWindowUIManager::RemoveFromEveryOptionGroup(CControlUI* control)
{
    std::vector<CUIString> groups;
    for (auto entry = m_optionGroups.Begin(); entry != m_optionGroups.End(); ++entry) {
        const auto* members = static_cast<const CPtrArray*>(entry->second);
        if (members->Find(control) >= 0) groups.push_back(entry->first);
    }
    for (const CUIString& group : groups) RemoveFromOptionGroup(group, control);
}

void CWindowUIManager::RemoveAllOptionGroups()
{
    for (auto it = m_optionGroups.Begin(); it != m_optionGroups.End(); ++it) delete static_cast<CPtrArray*>(it->second);
    m_optionGroups.RemoveAll();
}

void CWindowUIManager::Invalidate(RECT& rc)
{
    if (rc.left < 0) rc.left = 0;
    if (rc.top < 0) rc.top = 0;
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    ::UnionRect(&m_dirty, &m_dirty, &rc);
    if (::IsWindow(m_hwnd)) ::InvalidateRect(m_hwnd, &rc, FALSE);
}

void CWindowUIManager::Invalidate()
{
    if (!::IsWindow(m_hwnd)) return;
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    ::UnionRect(&m_dirty, &m_dirty, &client);
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CWindowUIManager::EnsureToolTip()
{
    if (m_toolTip) return;
    m_toolTip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, s_instance, nullptr);
    if (!m_toolTip) return;
    ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
    ::SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, 300);
}

void CWindowUIManager::ShowToolTipAt(const wchar_t* text, int x, int y)
{
    m_toolInfo = {};
    m_toolInfo.cbSize = sizeof(m_toolInfo);
    m_toolInfo.uFlags = TTF_IDISHWND;
    m_toolInfo.hwnd = m_hwnd;
    m_toolInfo.uId = reinterpret_cast<UINT_PTR>(m_hwnd);
    m_toolInfo.hinst = s_instance;
    m_toolInfo.lpszText = const_cast<wchar_t*>(text);
    m_toolInfo.rect = RECT{x, y, 0, 0};
    EnsureToolTip();
    if (m_toolTip && !::IsWindowVisible(m_toolTip)) {
        ::SendMessageW(m_toolTip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
        ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_toolInfo));
    }
}

void CWindowUIManager::HideToolTip()
{
    if (m_toolTip) ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_toolInfo));
}

void CWindowUIManager::DestroyToolTip()
{
    if (m_toolTip && ::IsWindow(m_toolTip)) ::DestroyWindow(m_toolTip);
    m_toolTip = nullptr;
}

}  // namespace SkinUI
