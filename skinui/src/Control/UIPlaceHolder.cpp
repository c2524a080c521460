#include "Control/UIPlaceHolder.h"

#include "Control/PlaceHolderWnd.h"
#include "Core/AttributeValues.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

constexpr DWORD kPlaceHolderStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

}  // namespace

CPlaceHolderUI::~CPlaceHolderUI()
{
    // The window must not report to a control that is gone.
    if (!m_window) return;
    ReleaseManagerReferences();
    m_window->Detach();
    HWND hwnd = m_window->GetHWND();
    m_window = nullptr;
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

void* CPlaceHolderUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"PlaceHolder") == 0) return this;
    return CControlUI::GetInterface(name);
}

HWND CPlaceHolderUI::GetNativeWindow() const { return m_window ? m_window->GetHWND() : nullptr; }

bool CPlaceHolderUI::IsWindowColorSet() const { return m_window && m_window->IsColorSet(); }

void CPlaceHolderUI::InitControl()
{
    if (m_window || !m_manager || !m_manager->GetWindowHandle()) return;
    // A colour given before the window existed (as skins do) is the window's colour from the start.
    auto* window = new CPlaceHolderWnd(this, m_manager, m_color, m_colorSet);
    m_window = window;
    // Made on a page not shown (or in a hidden parent), it waits hidden until the control shows.
    const bool shown = IsVisible();
    const DWORD style = shown ? kPlaceHolderStyle : kPlaceHolderStyle & ~WS_VISIBLE;
    if (!window->CreateWithRect(m_manager->GetWindowHandle(), nullptr, style, 0, m_rcItem)) {
        // A window that failed after WM_NCCREATE deleted itself and cleared m_window.
        if (m_window == window) delete window;
        m_window = nullptr;
        return;
    }
    if (shown) window->ShowWindow(true, true);
}

void CPlaceHolderUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    // The native window (and whatever another component shows in it) goes where the control goes; kept
    // aside, it waits hidden under no visible window instead of ending with the window the control left.
    if (manager != m_manager && m_window && m_window->GetHWND()) {
        HWND host = manager ? manager->GetWindowHandle() : nullptr;
        ::SetParent(m_window->GetHWND(), host ? host : HWND_MESSAGE);
        ::ShowWindow(m_window->GetHWND(), host && IsVisible() ? SW_SHOWNA : SW_HIDE);
    }
    CControlUI::SetManager(manager, parent, runInit);
}

void CPlaceHolderUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    if (!m_window) return;
    ::SetWindowPos(m_window->GetHWND(), nullptr, m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                   m_rcItem.bottom - m_rcItem.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPlaceHolderUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (!alive.expired()) ShowNativeWindow();
}

void CPlaceHolderUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetInternalVisible(visible);
    if (!alive.expired()) ShowNativeWindow();
}

// The window is seen exactly while the control is: a hidden page's window would cover the page shown.
void CPlaceHolderUI::ShowNativeWindow() const
{
    if (!m_window || !m_window->GetHWND()) return;
    const bool shown = IsVisible() && m_manager && m_manager->GetWindowHandle();
    ::ShowWindow(m_window->GetHWND(), shown ? SW_SHOWNA : SW_HIDE);
}

void CPlaceHolderUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"bkcolor") == 0) {
        m_color = ParseColorValue(value);
        m_colorSet = true;
        if (m_window) m_window->SetColor(m_color);
        return;
    }
    CControlUI::SetAttribute(name, value);
}

}  // namespace SkinUI
