#include "Core/WindowWnd.h"

#include "Core/UITaskQueue.h"
#include "Core/WindowUIManager.h"
#include "Utils/DispatchScope.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace SkinUI {
namespace {

constexpr wchar_t kSuperclassProperty[] = L"WndX";

int RoundUpTo16(int value) { return (value + 15) / 16 * 16; }

// Windows destroyed while a dispatch naming them still ran: their objects wait for the final call.
std::vector<std::pair<HWND, CWindowWnd*>>& FinalCallsDue()
{
    static std::vector<std::pair<HWND, CWindowWnd*>> due;
    return due;
}

}  // namespace

CWindowWnd::~CWindowWnd()
{
    // An object deleted before its final call (by its application) gets none.
    auto& due = FinalCallsDue();
    due.erase(std::remove_if(due.begin(), due.end(), [this](const auto& entry) { return entry.second == this; }),
              due.end());
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int cx, int cy,
                        HMENU menu)
{
    const bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) return nullptr;
    // The handle is stored at WM_NCCREATE; a window that fails during creation may already have deleted
    // this object in OnFinalMessage, so nothing is written here afterwards.
    return ::CreateWindowExW(exStyle, GetWindowClassName(), title, style, x, y, cx, cy, parent, menu,
                             CWindowUIManager::GetInstance(), this);
}

HWND CWindowWnd::CreateWithRect(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rc,
                                HMENU menu)
{
    return Create(parent, title, style, exStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, menu);
}

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowWnd::StandardWndProc;
    wc.hInstance = CWindowUIManager::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(CWindowUIManager::GetInstance(), GetSuperClassName(), &wc))
        return false;
    m_oldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &CWindowWnd::SuperclassWndProc;
    wc.hInstance = CWindowUIManager::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CWindowWnd::Route(CWindowWnd* window, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Queued work reaches a window only while a system modal loop dispatches instead of ours.
    if (UITaskQueue::IsWakeUp(msg, wParam, lParam)) {
        UITaskQueue::Drain();
        return 0;
    }
    if (!window) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    // Whichever loop dispatches it, a modal window's close gives its code.
    if (msg == WM_CLOSE) NoteModalClose(hwnd, wParam);
    // The liveness guard: a window destroyed while one of its own messages is still being handled (a
    // click handler that destroys it) loses its tree and gets its final call, which may delete the object,
    // only once the outermost of those messages (or other dispatches naming it) has returned; until then
    // the object and its manager stay whole. A window closed while no other dispatch names it finishes as
    // this dispatch ends, taking its controls with it at once.
    CDispatchScope::Enter(hwnd);
    const LRESULT result =
        msg == WM_NCDESTROY ? window->FinalMessage(msg, wParam, lParam) : window->HandleMessage(msg, wParam, lParam);
    CDispatchScope::Leave(hwnd);
    if (msg == WM_CLOSE) NoteModalCloseRefused(hwnd);
    return result;
}

void CWindowWnd::FinishWhenUnwound() { CDispatchScope::SetWindowUnwoundHook(&CWindowWnd::WindowUnwound); }

void CWindowWnd::WindowUnwound(const void* window)
{
    const HWND hwnd = static_cast<HWND>(const_cast<void*>(window));
    // The tree first: its handlers may be bound to the window object, which the final call may delete.
    CWindowUIManager::WindowUnwound(hwnd);
    auto& due = FinalCallsDue();
    const auto found = std::find_if(due.begin(), due.end(), [hwnd](const auto& entry) { return entry.first == hwnd; });
    if (found == due.end()) return;
    CWindowWnd* object = found->second;
    due.erase(found);
    object->OnFinalMessage(hwnd);
}

CWindowWnd* CWindowWnd::FromHandle(HWND hwnd)
{
    if (!hwnd || !::IsWindow(hwnd)) return nullptr;
    if (auto* window = static_cast<CWindowWnd*>(::GetPropW(hwnd, kSuperclassProperty))) return window;
    if (reinterpret_cast<WNDPROC>(::GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != &CWindowWnd::StandardWndProc)
        return nullptr;
    return reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CWindowWnd::FinalMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = m_hWnd;
    // The window sees its last message before it is unbound (its manager unlists itself there).
    const LRESULT result = HandleMessage(msg, wParam, lParam);
    if (m_subclassed) Unsubclass();
    m_hWnd = nullptr;
    FinishWhenUnwound();
    FinalCallsDue().emplace_back(hwnd, this);
    return result;
}

CWindowWnd* CWindowWnd::BindOnCreate(HWND hwnd, LPARAM lParam)
{
    auto* window = static_cast<CWindowWnd*>(reinterpret_cast<LPCREATESTRUCTW>(lParam)->lpCreateParams);
    window->m_hWnd = hwnd;
    return window;
}

LRESULT CALLBACK CWindowWnd::StandardWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* window = nullptr;
    if (msg == WM_NCCREATE) {
        window = BindOnCreate(hwnd, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    } else {
        window = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NCDESTROY && window) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    return Route(window, hwnd, msg, wParam, lParam);
}

// Superclassed windows keep the object in a property: the class's own window data belongs to it.
LRESULT CALLBACK CWindowWnd::SuperclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* window = nullptr;
    if (msg == WM_NCCREATE) {
        window = BindOnCreate(hwnd, lParam);
        ::SetPropW(hwnd, kSuperclassProperty, window);
    } else {
        window = static_cast<CWindowWnd*>(::GetPropW(hwnd, kSuperclassProperty));
        if (msg == WM_NCDESTROY && window) ::RemovePropW(hwnd, kSuperclassProperty);
    }
    return Route(window, hwnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_oldWndProc, m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

void CWindowWnd::ShowWindow(bool show, bool takeFocus)
{
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::Close(UINT result)
{
    if (!::IsWindow(m_hWnd)) return;
    ::PostMessageW(m_hWnd, WM_CLOSE, result, 0);
}

POINT CenteredWindowOrigin(const RECT& window, const RECT& reference, const RECT& workArea)
{
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    POINT origin = {(reference.left + reference.right) / 2 - width / 2,
                    (reference.top + reference.bottom) / 2 - height / 2};
    if (origin.x < workArea.left)
        origin.x = workArea.left;
    else if (origin.x + width > workArea.right)
        origin.x = workArea.right - width;
    if (origin.y < workArea.top)
        origin.y = workArea.top;
    else if (origin.y + height > workArea.bottom)
        origin.y = workArea.bottom - height;
    return origin;
}

void CWindowWnd::CenterWindow()
{
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT reference = monitor.rcWork;
    if (owner) ::GetWindowRect(owner, &reference);
    const POINT origin = CenteredWindowOrigin(window, reference, monitor.rcWork);
    ::SetWindowPos(m_hWnd, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId)
{
    const int cx = RoundUpTo16(::GetSystemMetrics(SM_CXICON));
    const int cy = RoundUpTo16(::GetSystemMetrics(SM_CYICON));
    for (WPARAM which : {WPARAM(ICON_BIG), WPARAM(ICON_SMALL)}) {
        // Shared: the system keeps one copy per resource and size and frees it with the module, so
        // calling this again loads nothing new and no window has to destroy its icons.
        HANDLE icon = ::LoadImageW(CWindowUIManager::GetInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, cx, cy,
                                   LR_DEFAULTCOLOR | LR_SHARED);
        ::SendMessageW(m_hWnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::Unsubclass()
{
    if (!::IsWindow(m_hWnd) || !m_subclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldWndProc));
    m_oldWndProc = ::DefWindowProcW;
    m_subclassed = false;
}

}  // namespace SkinUI
