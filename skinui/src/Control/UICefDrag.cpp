// Draggable regions of a page: a left press inside them moves the top-level window.
#include "Control/UICefImpl.h"

#include "Internal/Cef/CefUtil.h"

#include <windowsx.h>

#include <algorithm>

namespace SkinUI {
namespace {

const wchar_t kPreviousProcProperty[] = L"CefPreWndProc";
const wchar_t kRegionProperty[] = L"CefDraggableRegion";
const wchar_t kTopLevelProperty[] = L"CefTopLevelHwnd";

LRESULT CALLBACK DragSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RemoveProperties(HWND window)
{
    ::RemovePropW(window, kPreviousProcProperty);
    ::RemovePropW(window, kRegionProperty);
    ::RemovePropW(window, kTopLevelProperty);
}

void RestoreWindow(HWND window)
{
    auto previous = reinterpret_cast<WNDPROC>(::GetPropW(window, kPreviousProcProperty));
    if (!previous) return;
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (current != &DragSubclassProc) {
        // Somebody hooked the window after us: we stay in the chain, passing everything on.
        ::SetPropW(window, kRegionProperty, nullptr);
        return;
    }
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemoveProperties(window);
}

LRESULT CALLBACK DragSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(::GetPropW(window, kPreviousProcProperty));
    if (message == WM_LBUTTONDOWN) {
        auto region = static_cast<HRGN>(::GetPropW(window, kRegionProperty));
        auto topLevel = static_cast<HWND>(::GetPropW(window, kTopLevelProperty));
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (region && topLevel && ::PtInRegion(region, point.x, point.y)) {
            ::ClientToScreen(window, &point);
            ::PostMessageW(topLevel, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
            return 0;
        }
    } else if (message == WM_NCDESTROY) {
        // The properties must not outlive the window.
        RemoveProperties(window);
    }
    return previous ? ::CallWindowProcW(previous, window, message, wParam, lParam)
                    : ::DefWindowProcW(window, message, wParam, lParam);
}

// Hooks |window| (once) so that presses inside |region| drag |topLevel|; a later call only replaces the region.
DWORD SubclassForDragging(HWND window, HRGN region, HWND topLevel)
{
    if (::GetPropW(window, kPreviousProcProperty)) {
        ::SetPropW(window, kRegionProperty, region);
        return ERROR_SUCCESS;
    }
    ::SetLastError(ERROR_SUCCESS);
    const LONG_PTR previous =
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DragSubclassProc));
    if (previous == 0 && ::GetLastError() != ERROR_SUCCESS) return ::GetLastError();
    ::SetPropW(window, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous));
    ::SetPropW(window, kRegionProperty, region);
    ::SetPropW(window, kTopLevelProperty, topLevel);
    return ERROR_SUCCESS;
}

}  // namespace

BOOL CALLBACK CCefUI::CCefUIImpl::ApplyDragRegionToChild(HWND child, LPARAM self)
{
    reinterpret_cast<CCefUIImpl*>(self)->ApplyDragRegion(child);
    return TRUE;
}

void CCefUI::CCefUIImpl::OnDraggableRegionsChanged(CefRefPtr<CefBrowser> browser,
                                                   const std::vector<CefDraggableRegion>& regions)
{
    if (!m_drag || !m_dragRegion || !browser) return;
    ::SetRectRgn(m_dragRegion, 0, 0, 0, 0);
    m_dragRegionOrigin = POINT{0, 0};
    const float scale = Scale();
    for (const CefDraggableRegion& region : regions) {
        const CefRect bounds = LogicalToDevice(region.bounds, scale);
        HRGN part = ::CreateRectRgn(bounds.x, bounds.y, bounds.x + bounds.width, bounds.y + bounds.height);
        ::CombineRgn(m_dragRegion, m_dragRegion, part, region.draggable ? RGN_OR : RGN_DIFF);
        ::DeleteObject(part);
    }
    auto host = browser->GetHost();
    if (!host) return;
    if (m_offscreen) {
        PlaceDragRegion();
        ApplyDragRegion(UsesOsrWindow() ? m_osrWindow : ManagerWindow());
        return;
    }
    ::EnumChildWindows(host->GetWindowHandle(), &CCefUIImpl::ApplyDragRegionToChild, reinterpret_cast<LPARAM>(this));
}

void CCefUI::CCefUIImpl::PlaceDragRegion()
{
    // Off-screen without a window of its own the page lies at the control's place in the window that
    // receives the clicks; the page's own windows, and the OSR window, move with the control.
    POINT origin = {0, 0};
    if (m_offscreen && !UsesOsrWindow()) {
        const RECT rc = ControlRect();
        origin = POINT{rc.left, rc.top};
    }
    ::OffsetRgn(m_dragRegion, origin.x - m_dragRegionOrigin.x, origin.y - m_dragRegionOrigin.y);
    m_dragRegionOrigin = origin;
}

void CCefUI::CCefUIImpl::ApplyDragRegion(HWND window)
{
    if (!window || !::IsWindow(window)) return;
    if (SubclassForDragging(window, m_dragRegion, ManagerWindow()) != ERROR_SUCCESS) return;
    if (std::find(m_dragWindows.begin(), m_dragWindows.end(), window) == m_dragWindows.end())
        m_dragWindows.push_back(window);
}

void CCefUI::CCefUIImpl::RetargetDragSubclasses(HWND left, HWND topLevel)
{
    const std::vector<HWND> hooked = m_dragWindows;
    for (HWND window : hooked) {
        if (!::IsWindow(window) || ::GetPropW(window, kRegionProperty) != m_dragRegion) continue;
        if (window != left) {
            ::SetPropW(window, kTopLevelProperty, topLevel);
            continue;
        }
        // An off-screen page takes its clicks in the window showing it: the hook moves there.
        RestoreWindow(window);
        m_dragWindows.erase(std::find(m_dragWindows.begin(), m_dragWindows.end(), window));
        ApplyDragRegion(topLevel);
    }
}

void CCefUI::CCefUIImpl::RemoveDragSubclasses()
{
    for (HWND window : m_dragWindows) {
        // Only a hook that is still ours and still points at our region may go.
        if (::IsWindow(window) && ::GetPropW(window, kRegionProperty) == m_dragRegion) RestoreWindow(window);
    }
    m_dragWindows.clear();
}

}  // namespace SkinUI
