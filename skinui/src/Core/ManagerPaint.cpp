#include "Core/ControlUI.h"
#include "Core/Painter.h"
#include "Core/SharedResources.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cstring>

namespace SkinUI {
namespace {

CControlUI* CALLBACK CollectPendingLayout(CControlUI* control, void* data)
{
    if (control->IsUpdateNeeded()) static_cast<CPtrArray*>(data)->Add(control);
    return nullptr;
}

// Pixels of a bottom-up 32-bit DIB of the given height, addressed by client coordinates.
DWORD* PixelAt(BYTE* bits, int width, int height, int x, int y)
{
    return reinterpret_cast<DWORD*>(bits) + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + x;
}

void ReleaseDcAndBitmap(HDC& dc, HBITMAP& bitmap, BYTE*& bits)
{
    if (dc) ::DeleteDC(dc);
    if (bitmap) ::DeleteObject(bitmap);
    dc = nullptr;
    bitmap = nullptr;
    bits = nullptr;
}

}  // namespace

void CWindowUIManager::DeleteOffscreen()
{
    ReleaseDcAndBitmap(m_offscreenDc, m_offscreenBitmap, m_offscreenBits);
    ReleaseDcAndBitmap(m_backgroundDc, m_backgroundBitmap, m_backgroundBits);
    m_offscreenSize = SIZE{0, 0};
}

void CWindowUIManager::LayoutIfNeeded(const RECT& client, bool& laidOut, bool& stop)
{
    const RECT layoutRect = m_layered ? DeflateRectBy(client, m_layeredInset) : client;
    if (m_updateNeeded) {
        m_updateNeeded = false;
        if (::IsRectEmpty(&client) || ::IsIconic(m_hwnd)) return;
        // Size and init handlers may close the window or take its tree away: this paint ends there, and
        // the next one starts over with whatever the window then shows.
        CControlUI* const root = m_root;
        const auto treeGone = [this, root] { return !m_hwnd || m_root != root; };
        if (root->IsUpdateNeeded()) {
            DeleteOffscreen();
            root->SetPos(layoutRect, true);
        } else {
            CPtrArray pending;
            root->FindControl(&CollectPendingLayout, &pending, FIND_VISIBLE | FIND_UPDATETEST | FIND_ME_FIRST);
            for (int i = 0; i < pending.GetSize() && !treeGone(); ++i) {
                auto* control = static_cast<CControlUI*>(pending[i]);
                control->SetPos(control->GetPos(), true);
            }
        }
        if (treeGone()) {
            stop = true;
            return;
        }
        laidOut = true;
        if (!m_firstLayout) return;
        m_firstLayout = false;
        SendNotify(root, L"windowinit", 0, 0, false);
        if (treeGone()) {
            stop = true;
            return;
        }
        if (m_layered && m_layeredImageChanged) {
            Invalidate();
            stop = true;
            return;
        }
        m_shadow.Update(m_hwnd);
        return;
    }
    if (m_layered && m_layeredImageChanged) {
        if (m_offscreenBits)
            std::memset(m_offscreenBits, 0, static_cast<size_t>(m_offscreenSize.cx) * m_offscreenSize.cy * 4);
        CControlUI* const root = m_root;
        root->SetPos(layoutRect, true);
        stop = !m_hwnd || m_root != root;
    }
}

bool CWindowUIManager::OnPaint()
{
    RECT paint = {};
    if (m_root) {
        if (!::GetUpdateRect(m_hwnd, &paint, FALSE)) return true;
        // The first focus runs focus handlers, which may close the window or take its root away.
        if (m_focusNeeded) MoveFocusToNextTabStop(true);
        if (!m_hwnd) return true;
    }
    if (!m_root) {
        PAINTSTRUCT ps = {};
        ::BeginPaint(m_hwnd, &ps);
        CPainter::FillColor(ps.hdc, ps.rcPaint, 0xFF000000);
        ::EndPaint(m_hwnd, &ps);
        return true;
    }
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    m_paintingNow = true;
    bool laidOut = false;
    bool stop = false;
    LayoutIfNeeded(client, laidOut, stop);
    if (stop || !m_root) {
        m_paintingNow = false;
        return true;
    }
    if (m_layered) {
        const LONG exStyle = ::GetWindowLongW(m_hwnd, GWL_EXSTYLE);
        if ((exStyle & WS_EX_LAYERED) == 0) ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        ::UnionRect(&paint, &paint, &m_dirty);
        m_dirty = RECT{0, 0, 0, 0};
        paint.right = std::min(paint.right, client.right);
        paint.bottom = std::min(paint.bottom, client.bottom);
    }
    CControlUI* const painted = m_root;
    PAINTSTRUCT ps = {};
    ::BeginPaint(m_hwnd, &ps);
    PaintOffscreen(paint, client);
    ::EndPaint(m_hwnd, &ps);
    m_paintingNow = false;
    m_layeredImageChanged = false;
    // Painting runs the controls' own code too: the window may be gone, or show another tree.
    if (!m_hwnd) return true;
    if (m_updateNeeded) Invalidate();
    if (laidOut && m_root == painted) SendNotify(m_root, L"windowsize", 0, 0, true);
    return true;
}

void CWindowUIManager::PaintOffscreen(const RECT& paint, const RECT& client)
{
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    // Every paint goes through the off-screen bitmap: no flicker, and its bits show what was drawn. The
    // client size may have changed without a layout (a filter took WM_SIZE): the bitmaps follow it.
    if (m_offscreenBitmap && (m_offscreenSize.cx != width || m_offscreenSize.cy != height)) DeleteOffscreen();
    if (!m_offscreenBitmap) {
        m_offscreenDc = ::CreateCompatibleDC(m_hdc);
        m_offscreenBitmap = CPainter::CreateARGB32Bitmap(m_hdc, width, height, &m_offscreenBits);
        if (!m_offscreenDc || !m_offscreenBitmap) {
            DeleteOffscreen();
            return;
        }
        m_offscreenSize = SIZE{width, height};
    }
    HGDIOBJ oldBitmap = ::SelectObject(m_offscreenDc, m_offscreenBitmap);
    const int saved = ::SaveDC(m_offscreenDc);
    if (m_layered) {
        for (int y = std::max(0L, paint.top); y < std::min<LONG>(paint.bottom, height); ++y)
            for (int x = std::max(0L, paint.left); x < std::min<LONG>(paint.right, width); ++x)
                *PixelAt(m_offscreenBits, width, height, x, y) = 0;
    }
    m_root->Paint(m_offscreenDc, paint, nullptr);
    for (int i = 0; i < m_postPaintControls.GetSize(); ++i)
        static_cast<CControlUI*>(m_postPaintControls[i])->PaintOverlay(m_offscreenDc, paint);
    ::RestoreDC(m_offscreenDc, saved);
    if (m_layered) {
        ComposeLayered(paint, client);
        UpdateLayered(m_hdc, client);
    } else {
        ::BitBlt(m_hdc, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top, m_offscreenDc,
                 paint.left, paint.top, SRCCOPY);
    }
    ::SelectObject(m_offscreenDc, oldBitmap);
    if (m_showDirty && !m_layered) {
        HGDIOBJ oldPen = ::SelectObject(m_hdc, SharedResources::Get().redPen);
        HGDIOBJ oldBrush = ::SelectObject(m_hdc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(m_hdc, paint.left, paint.top, paint.right, paint.bottom);
        ::SelectObject(m_hdc, oldBrush);
        ::SelectObject(m_hdc, oldPen);
    }
}

void CWindowUIManager::ComposeLayered(const RECT& paint, const RECT& client)
{
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const LONG top = std::max(0L, paint.top), bottom = std::min<LONG>(paint.bottom, height);
    const LONG left = std::max(0L, paint.left), right = std::min<LONG>(paint.right, width);
    if (m_layeredImage.sImageName.IsEmpty()) {
        // GDI leaves alpha 0 behind: what it drew in colour becomes opaque.
        for (LONG y = top; y < bottom; ++y) {
            for (LONG x = left; x < right; ++x) {
                DWORD* pixel = PixelAt(m_offscreenBits, width, height, x, y);
                if ((*pixel >> 24) == 0 && (*pixel & 0x00FFFFFF) != 0) *pixel |= 0xFF000000;
            }
        }
        return;
    }
    const RECT area = DeflateRectBy(client, m_layeredInset);
    const bool firstTime = !m_backgroundBitmap;
    if (firstTime) {
        m_backgroundDc = ::CreateCompatibleDC(m_hdc);
        m_backgroundBitmap = CPainter::CreateARGB32Bitmap(m_hdc, width, height, &m_backgroundBits);
        if (!m_backgroundDc || !m_backgroundBitmap) {
            ReleaseDcAndBitmap(m_backgroundDc, m_backgroundBitmap, m_backgroundBits);
            return;
        }
    }
    if (firstTime || m_layeredImageChanged) {
        std::memset(m_backgroundBits, 0, static_cast<size_t>(width) * height * 4);
        HGDIOBJ old = ::SelectObject(m_backgroundDc, m_backgroundBitmap);
        CClipRegion clip;
        CClipRegion::ClipToRect(m_backgroundDc, area, clip);
        CPainter::DrawImageInfo(m_backgroundDc, this, area, area, &m_layeredImage);
        ::SelectObject(m_backgroundDc, old);
    }
    for (LONG y = top; y < bottom; ++y) {
        for (LONG x = left; x < right; ++x) {
            const DWORD alpha = *PixelAt(m_backgroundBits, width, height, x, y) >> 24;
            BYTE* pixel = reinterpret_cast<BYTE*>(PixelAt(m_offscreenBits, width, height, x, y));
            pixel[0] = static_cast<BYTE>(pixel[0] * alpha / 255);
            pixel[1] = static_cast<BYTE>(pixel[1] * alpha / 255);
            pixel[2] = static_cast<BYTE>(pixel[2] * alpha / 255);
            pixel[3] = static_cast<BYTE>(alpha);
        }
    }
}

}  // namespace SkinUI
