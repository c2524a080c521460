// Off-screen frames of the web view: GDI buffers, popups and the view's geometry for the engine.
#include "Control/UICefImpl.h"

#include "Core/DibSection.h"
#include "Core/WindowUIManager.h"
#include "Internal/Cef/CefUtil.h"
#include "Utils/LockGuard.h"

#include <algorithm>
#include <cstring>

namespace SkinUI {

CefFrameBuffer::CefFrameBuffer()
{
    ::InitializeCriticalSection(&m_lock);
    m_dc = ::CreateCompatibleDC(nullptr);
}

CefFrameBuffer::~CefFrameBuffer()
{
    if (m_dc && m_initialBitmap) ::SelectObject(m_dc, m_initialBitmap);
    if (m_bitmap) ::DeleteObject(m_bitmap);
    if (m_dc) ::DeleteDC(m_dc);
    ::DeleteCriticalSection(&m_lock);
}

bool CefFrameBuffer::Store(const void* pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0 || !m_dc) return false;
    CLockGuard guard(&m_lock);
    if (width != m_width || height != m_height || !m_bitmap) {
        BYTE* bits = nullptr;
        HBITMAP bitmap = CreateDib32(m_dc, width, height, true, &bits);
        if (!bitmap) return false;
        HGDIOBJ previous = ::SelectObject(m_dc, bitmap);
        if (!m_initialBitmap) m_initialBitmap = previous;
        if (m_bitmap) ::DeleteObject(m_bitmap);
        m_bitmap = bitmap;
        m_bits = bits;
        m_width = width;
        m_height = height;
    }
    ::GdiFlush();
    std::memcpy(m_bits, pixels, static_cast<size_t>(width) * height * 4);
    return true;
}

void CefFrameBuffer::BlitTo(HDC target, int x, int y, int maxWidth, int maxHeight)
{
    CLockGuard guard(&m_lock);
    if (!m_bitmap) return;
    ::BitBlt(target, x, y, std::min(m_width, maxWidth), std::min(m_height, maxHeight), m_dc, 0, 0, SRCCOPY);
}

SIZE CefFrameBuffer::GetSize()
{
    CLockGuard guard(&m_lock);
    return SIZE{m_width, m_height};
}

void CCefUI::CCefUIImpl::PaintFrames(HDC hdc)
{
    if (m_closing) return;
    const RECT rc = ControlRect();
    m_view.BlitTo(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    if (m_popupRect.IsEmpty()) return;
    m_popup.BlitTo(hdc, rc.left + m_popupRect.x, rc.top + m_popupRect.y, m_popupRect.width, m_popupRect.height);
    // The popup layer is only sent on request: keep it coming while it is shown.
    if (auto host = Host()) host->Invalidate(PET_POPUP);
}

void CCefUI::CCefUIImpl::OnPaint(CefRefPtr<CefBrowser>, cef_paint_element_type_t type,
                                 const std::vector<CefRect>& dirtyRects, const void* buffer, int width, int height)
{
    if (m_closing) return;
    if (type == PET_VIEW) m_viewSize = SIZE{width, height};
    if (m_openGL && m_openGLReady) {
        PaintWithOpenGL(type, dirtyRects, buffer, width, height);
        return;
    }
    CefFrameBuffer& target = type == PET_VIEW ? m_view : m_popup;
    if (target.Store(buffer, width, height)) m_owner->Invalidate();
}

void CCefUI::CCefUIImpl::OnPopupShow(CefRefPtr<CefBrowser>, bool show)
{
    if (show) return;
    m_popupRect = CefRect();
    m_requestedPopupRect = CefRect();
    if (auto host = Host()) host->Invalidate(PET_VIEW);
}

void CCefUI::CCefUIImpl::OnPopupSize(CefRefPtr<CefBrowser>, const CefRect& rect)
{
    const CefRect device = LogicalToDevice(rect, Scale());
    if (device.width < 1 || device.height < 1) return;
    m_requestedPopupRect = device;
    // The popup must stay inside the view, moved left or up rather than cut.
    CefRect placed = device;
    placed.x = std::max(placed.x, 0);
    placed.y = std::max(placed.y, 0);
    if (placed.x + placed.width > m_viewSize.cx) placed.x = m_viewSize.cx - placed.width;
    if (placed.y + placed.height > m_viewSize.cy) placed.y = m_viewSize.cy - placed.height;
    placed.x = std::max(placed.x, 0);
    placed.y = std::max(placed.y, 0);
    m_popupRect = placed;
}

bool CCefUI::CCefUIImpl::GetViewRect(CefRefPtr<CefBrowser>, CefRect& rect)
{
    int width = 0;
    int height = 0;
    if (UsesOsrWindow()) {
        RECT client = {};
        ::GetClientRect(m_osrWindow, &client);
        width = client.right;
        height = client.bottom;
    } else {
        const RECT rc = ControlRect();
        width = rc.right - rc.left;
        height = rc.bottom - rc.top;
    }
    const float scale = Scale();
    rect = CefRect{0, 0, std::max(1, DeviceToLogical(width, scale)), std::max(1, DeviceToLogical(height, scale))};
    return true;
}

bool CCefUI::CCefUIImpl::GetScreenPoint(CefRefPtr<CefBrowser>, int viewX, int viewY, int& screenX, int& screenY)
{
    HWND window = InputWindow();
    if (!window) return false;
    const float scale = Scale();
    POINT point = {LogicalToDevice(viewX, scale), LogicalToDevice(viewY, scale)};
    // The view starts at the control's corner of the window it is painted in.
    if (!UsesOsrWindow()) {
        const RECT rc = ControlRect();
        point.x += rc.left;
        point.y += rc.top;
    }
    ::ClientToScreen(window, &point);
    screenX = point.x;
    screenY = point.y;
    return true;
}

bool CCefUI::CCefUIImpl::GetScreenInfo(CefRefPtr<CefBrowser> browser, CefScreenInfo& screenInfo)
{
    CefRect view;
    GetViewRect(browser, view);
    screenInfo.device_scale_factor = Scale();
    // The renderer keeps popups inside this area, which is the view itself.
    screenInfo.rect = view;
    screenInfo.available_rect = view;
    return true;
}

}  // namespace SkinUI
