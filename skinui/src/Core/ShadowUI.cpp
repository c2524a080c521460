#include "Core/ShadowUI.h"

#include "Core/DibSection.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace SkinUI {
namespace {

constexpr wchar_t kShadowClass[] = L"SkinShadowWnd";
HINSTANCE g_classInstance = nullptr;

std::map<HWND, CShadowUI*>& ShadowsByParent()
{
    static std::map<HWND, CShadowUI*> shadows;
    return shadows;
}

bool InOffsetRange(int value) { return value >= -35 && value <= 35; }

DWORD Premultiplied(DWORD color, int alpha)
{
    const DWORD r = ((color >> 16) & 0xFF) * alpha / 255;
    const DWORD g = ((color >> 8) & 0xFF) * alpha / 255;
    const DWORD b = (color & 0xFF) * alpha / 255;
    return (static_cast<DWORD>(alpha) << 24) | (r << 16) | (g << 8) | b;
}

std::vector<ShadowSpan> RowSpansOf(HWND parent, int width, int height)
{
    std::vector<ShadowSpan> spans(static_cast<size_t>(height), ShadowSpan{0, width});
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    // A window without a region of its own is its whole rectangle.
    if (::GetWindowRgn(parent, region) != ERROR) {
        for (int y = 0; y < height; ++y) {
            int first = 0;
            while (first < width && !::PtInRegion(region, first, y)) ++first;
            int last = width - 1;
            while (last >= first && !::PtInRegion(region, last, y)) --last;
            spans[static_cast<size_t>(y)] = first < width ? ShadowSpan{first, last + 1} : ShadowSpan{width, 0};
        }
    }
    ::DeleteObject(region);
    return spans;
}

}  // namespace

void RenderShadow(std::vector<DWORD>& pixels, int width, int height, const std::vector<ShadowSpan>& spans,
                  const ShadowLook& look)
{
    const int n = look.size, s = look.sharpness, d = look.darkness;
    const int shadowWidth = width + 2 * n, shadowHeight = height + 2 * n;
    pixels.assign(static_cast<size_t>(std::max(0, shadowWidth) * std::max(0, shadowHeight)), 0);
    if (shadowWidth <= 0 || shadowHeight <= 0) return;
    const auto pixel = [&](int x, int y) -> DWORD& { return pixels[static_cast<size_t>(y) * shadowWidth + x]; };

    // Spans in shadow coordinates; rows beyond the parent are empty.
    std::vector<ShadowSpan> rows(static_cast<size_t>(shadowHeight), ShadowSpan{width, 0});
    for (int y = 0; y < height && y < static_cast<int>(spans.size()); ++y) {
        // A negative size makes the shadow smaller than the parent: its edge rows fall outside.
        if (y + n < 0 || y + n >= shadowHeight) continue;
        const ShadowSpan& span = spans[static_cast<size_t>(y)];
        rows[static_cast<size_t>(y + n)] = span.first < span.end ? ShadowSpan{span.first + n, span.end + n}
                                                                 : ShadowSpan{width, 0};
    }
    for (int pass = 0; pass < s - n; ++pass) {
        std::vector<ShadowSpan> eroded(rows);
        for (int y = 0; y < shadowHeight; ++y) {
            const ShadowSpan& above = rows[static_cast<size_t>(std::max(0, y - 1))];
            const ShadowSpan& below = rows[static_cast<size_t>(std::min(shadowHeight - 1, y + 1))];
            const ShadowSpan& self = rows[static_cast<size_t>(y)];
            eroded[static_cast<size_t>(y)].first = std::max({self.first, above.first, below.first}) + 1;
            eroded[static_cast<size_t>(y)].end = std::min({self.end, above.end, below.end}) - 1;
        }
        rows.swap(eroded);
    }

    const int r = std::max(s, n);
    const int r0 = n > s ? n - s : 0;
    const int kernelSize = 2 * r + 1;
    std::vector<DWORD> kernel(static_cast<size_t>(kernelSize * kernelSize), 0);
    for (int ky = 0; ky < kernelSize; ++ky) {
        for (int kx = 0; kx < kernelSize; ++kx) {
            const double distance = std::sqrt(static_cast<double>((kx - r) * (kx - r) + (ky - r) * (ky - r)));
            int alpha = 0;
            if (distance < r0) alpha = d;
            else if (distance <= r) alpha = static_cast<BYTE>((1.0 - (distance - r0) / (s + 1)) * d);
            kernel[static_cast<size_t>(ky * kernelSize + kx)] = alpha > 0 ? Premultiplied(look.color, alpha) : 0;
        }
    }
    const auto stamp = [&](int cx, int cy) {
        for (int ky = 0; ky < kernelSize; ++ky) {
            const int y = cy + ky - r;
            if (y < 0 || y >= shadowHeight) continue;
            for (int kx = 0; kx < kernelSize; ++kx) {
                const int x = cx + kx - r;
                if (x < 0 || x >= shadowWidth) continue;
                DWORD& target = pixel(x, y);
                target = std::max(target, kernel[static_cast<size_t>(ky * kernelSize + kx)]);
            }
        }
    };
    for (int y = r; y < shadowHeight - r; ++y) {
        const ShadowSpan& self = rows[static_cast<size_t>(y)];
        const ShadowSpan& above = rows[static_cast<size_t>(std::max(0, y - 1))];
        const ShadowSpan& below = rows[static_cast<size_t>(std::min(shadowHeight - 1, y + 1))];
        int x = self.first;
        const int leftStop = std::min(std::max(above.first, below.first) + 1, self.end);
        for (; x < leftStop; ++x) stamp(x, y);
        for (int right = std::max(std::min(above.end, below.end) - 1, x); right < self.end; ++right) stamp(right, y);
    }

    const DWORD full = Premultiplied(look.color, d);
    const auto fill = [&](int y, int from, int to, DWORD value) {
        for (int x = std::max(0, from); x < std::min(to, shadowWidth); ++x) pixel(x, y) = value;
    };
    const int insideFrom = std::min(r, std::max(0, n - look.offsetY));
    const int insideTo = std::max(shadowHeight - r, std::min(height + n - look.offsetY, shadowHeight));
    for (int y = std::max(0, insideFrom); y < std::min(insideTo, shadowHeight); ++y) {
        const ShadowSpan& self = rows[static_cast<size_t>(y)];
        const int parentRow = y + look.offsetY - n;
        if (parentRow < 0 || parentRow >= height || parentRow >= static_cast<int>(spans.size())) {
            fill(y, self.first, self.end, full);
            continue;
        }
        const ShadowSpan& under = spans[static_cast<size_t>(parentRow)];
        const int left = under.first + n - look.offsetX;
        const int right = under.end + n - look.offsetX;
        fill(y, self.first, std::min(left, self.end), full);
        fill(y, std::max(left, 0), std::min(right, shadowWidth), 0);
        fill(y, std::max(self.first, right), self.end, full);
    }
}

CShadowUI::~CShadowUI()
{
    // The parent may outlive its manager: it must not call into a shadow that is gone.
    if (!m_parent) return;
    auto& shadows = ShadowsByParent();
    const auto it = shadows.find(m_parent);
    if (it != shadows.end() && it->second == this) shadows.erase(it);
    if (::IsWindow(m_parent) && m_previousProc &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_parent, GWLP_WNDPROC)) == &ParentProc)
        ::SetWindowLongPtrW(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    if (m_window && ::IsWindow(m_window)) ::DestroyWindow(m_window);
}

bool CShadowUI::Initialize(HINSTANCE instance)
{
    static bool registered = false;
    if (registered) return false;
    if (!instance) instance = ::GetModuleHandleW(nullptr);
    g_classInstance = instance;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kShadowClass;
    registered = ::RegisterClassExW(&wc) != 0;
    return registered;
}

void CShadowUI::Create(CWindowUIManager* manager)
{
    if (!m_show || !manager) return;
    m_manager = manager;
    HWND parent = manager->GetWindowHandle();
    auto& shadows = ShadowsByParent();
    if (shadows.count(parent)) {
        ::OutputDebugStringW(L"SkinUI: Warning: Only one shadow for each window.\n");
        return;
    }
    m_window = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClass, nullptr, WS_POPUPWINDOW,
                                 CW_USEDEFAULT, 0, 0, 0, parent, nullptr, g_classInstance, nullptr);
    if (!m_window) return;
    shadows[parent] = this;
    m_parent = parent;
    // The size the window has now: its first shrink is then drawn at once, not at some later paint.
    RECT client = {};
    ::GetClientRect(parent, &client);
    m_lastParentSize = MAKELPARAM(client.right, client.bottom);
    const LONG style = ::GetWindowLongW(parent, GWL_STYLE);
    if (!(style & WS_VISIBLE)) {
        m_status = kEnabled;
    } else if (!(style & (WS_MAXIMIZE | WS_MINIMIZE))) {
        m_status = kEnabled | kVisible | kParentVisible;
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        Update(parent);
    } else {
        m_status = kEnabled | kParentVisible;
    }
    m_previousProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(parent, GWLP_WNDPROC));
    ::SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ParentProc));
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto& shadows = ShadowsByParent();
    const auto it = shadows.find(hwnd);
    if (it == shadows.end()) return 0;
    CShadowUI* shadow = it->second;
    const WNDPROC previous = shadow->m_previousProc;
    shadow->OnParentMessage(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        shadows.erase(hwnd);
        // Put the window's own procedure back: the last messages go to it as usual.
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        shadow->m_parent = nullptr;
    }
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

void CShadowUI::MoveBehind(HWND parent)
{
    RECT rc = {};
    ::GetWindowRect(parent, &rc);
    const int x = m_useImage ? rc.left - m_look.size : rc.left + m_look.offsetX - m_look.size;
    const int y = m_useImage ? rc.top - m_look.size : rc.top + m_look.offsetY - m_look.size;
    ::SetWindowPos(m_window, parent, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void CShadowUI::OnParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        ::SetWindowPos(m_window, hwnd, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
        break;
    case WM_MOVE:
        if (m_status & kVisible) MoveBehind(hwnd);
        break;
    case WM_WINDOWPOSCHANGED:
        MoveBehind(hwnd);
        break;
    case WM_SIZE:
        if (!(m_status & kEnabled)) break;
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            ::ShowWindow(m_window, SW_HIDE);
            m_status &= ~kVisible;
        } else if (m_status & kParentVisible) {
            if (LOWORD(lParam) <= LOWORD(m_lastParentSize) && HIWORD(lParam) <= HIWORD(m_lastParentSize))
                Update(hwnd);
            else
                m_updatePending = true;
            if (!(m_status & kVisible)) {
                ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
                m_status |= kVisible;
            }
        }
        m_lastParentSize = lParam;
        break;
    case WM_PAINT:
        if (m_updatePending) {
            Update(hwnd);
            m_updatePending = false;
        }
        break;
    case WM_EXITSIZEMOVE:
        if (m_status & kVisible) Update(hwnd);
        break;
    case WM_SHOWWINDOW:
        if (!(m_status & kEnabled)) break;
        if (wParam == 0) {
            ::ShowWindow(m_window, SW_HIDE);
            m_status &= ~(kVisible | kParentVisible);
        } else if (!(m_status & kParentVisible)) {
            m_updatePending = true;
            ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
            m_status |= kVisible | kParentVisible;
        }
        break;
    case WM_DESTROY:
        ::DestroyWindow(m_window);
        m_window = nullptr;
        break;
    default:
        break;
    }
}

void CShadowUI::RenderImage(HDC dc, int width, int height)
{
    const ImageRecord* image = m_manager ? m_manager->GetImageOrLoad(m_image) : nullptr;
    if (!image) return;
    const RECT whole = {0, 0, width, height};
    CPainter::DrawImage(dc, image->hBitmap, whole, whole, RECT{0, 0, image->nX, image->nY}, m_corner, image->bAlpha,
                        255, true);
}

void CShadowUI::Update(HWND parent)
{
    if (!m_show || !(m_status & kVisible) || !m_window) return;
    if (m_useImage ? m_image.IsEmpty() : m_look.size == 0) return;
    if (m_useImage && (!m_manager || !m_manager->GetImageOrLoad(m_image))) return;
    RECT rc = {};
    ::GetWindowRect(parent, &rc);
    const int n = m_look.size;
    const int parentWidth = rc.right - rc.left, parentHeight = rc.bottom - rc.top;
    const int width = parentWidth + 2 * n, height = parentHeight + 2 * n;
    if (width <= 0 || height <= 0) return;
    BYTE* bits = nullptr;
    HBITMAP bitmap = CreateDib32(nullptr, width, height, false, &bits);
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) {
        if (bitmap) ::DeleteObject(bitmap);
        if (dc) ::DeleteDC(dc);
        return;
    }
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    if (m_useImage) {
        RenderImage(dc, width, height);
    } else {
        std::vector<DWORD> pixels;
        RenderShadow(pixels, parentWidth, parentHeight, RowSpansOf(parent, parentWidth, parentHeight), m_look);
        auto* rows = reinterpret_cast<DWORD*>(bits);
        for (int y = 0; y < height; ++y)
            std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * width, width,
                        rows + static_cast<ptrdiff_t>(height - 1 - y) * width);
    }
    POINT position = {m_useImage ? rc.left - n : rc.left + m_look.offsetX - n,
                      m_useImage ? rc.top - n : rc.top + m_look.offsetY - n};
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::MoveWindow(m_window, position.x, position.y, width, height, FALSE);
    ::UpdateLayeredWindow(m_window, nullptr, &position, &size, dc, &source, 0, &blend, ULW_ALPHA);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

void CShadowUI::Rerender()
{
    if (m_window && (m_status & kVisible)) Update(m_parent);
}

bool CShadowUI::SetSize(int size)
{
    if (!InOffsetRange(size)) return false;
    m_look.size = size;
    Rerender();
    return true;
}

bool CShadowUI::SetSharpness(unsigned int sharpness)
{
    if (sharpness > 35) return false;
    m_look.sharpness = static_cast<int>(sharpness);
    Rerender();
    return true;
}

bool CShadowUI::SetDarkness(unsigned int darkness)
{
    if (darkness > 255) return false;
    m_look.darkness = static_cast<int>(darkness);
    Rerender();
    return true;
}

bool CShadowUI::SetPosition(int x, int y)
{
    if (!InOffsetRange(x) || !InOffsetRange(y)) return false;
    m_look.offsetX = x;
    m_look.offsetY = y;
    Rerender();
    return true;
}

bool CShadowUI::SetColor(COLORREF color)
{
    m_look.color = (static_cast<DWORD>(GetRValue(color)) << 16) | (static_cast<DWORD>(GetGValue(color)) << 8) |
                   GetBValue(color);
    Rerender();
    return true;
}

bool CShadowUI::SetShadowCorner(RECT corner)
{
    if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) return false;
    m_corner = corner;
    Rerender();
    return true;
}

bool CShadowUI::SetImage(const wchar_t* description)
{
    if (!description) return false;
    m_useImage = true;
    m_image = description;
    Rerender();
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* target) const
{
    if (!target) return false;
    if (m_useImage) {
        target->SetImage(m_image);
        target->SetShadowCorner(m_corner);
        if (!target->SetSize(m_look.size)) {
            target->ShowShadow(m_show);
            return true;
        }
    } else {
        target->SetSize(m_look.size);
        target->SetSharpness(static_cast<unsigned>(m_look.sharpness));
        target->SetDarkness(static_cast<unsigned>(m_look.darkness));
        target->SetColor(RGB((m_look.color >> 16) & 0xFF, (m_look.color >> 8) & 0xFF, m_look.color & 0xFF));
        if (!target->SetPosition(m_look.offsetX, m_look.offsetY)) {
            target->ShowShadow(m_show);
            return true;
        }
    }
    target->ShowShadow(m_show);
    return true;
}

}  // namespace SkinUI
