#include "Core/Painter.h"

#include "Core/ControlUI.h"
#include "Core/DibSection.h"
#include "Core/WindowUIManager.h"

#include "Core/GdiplusHeaders.h"

#include <algorithm>
#include <memory>

namespace SkinUI {
namespace {

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

BYTE AlphaOf(DWORD argb) { return static_cast<BYTE>(argb >> 24); }

FARPROC Msimg32Entry(const char* name)
{
    HMODULE module = ::GetModuleHandleW(L"msimg32.dll");
    if (!module) module = ::LoadLibraryW(L"msimg32.dll");
    return module ? ::GetProcAddress(module, name) : nullptr;
}

// Used when msimg32 has no AlphaBlend: source-over blend in software.
BOOL WINAPI SoftwareAlphaBlend(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                               BLENDFUNCTION blend)
{
    if (w <= 0 || h <= 0) return FALSE;
    HDC srcDc = ::CreateCompatibleDC(dest);
    HDC dstDc = ::CreateCompatibleDC(dest);
    BYTE* srcBits = nullptr;
    BYTE* dstBits = nullptr;
    HBITMAP srcBitmap = CPainter::CreateARGB32Bitmap(dest, w, h, &srcBits);
    HBITMAP dstBitmap = CPainter::CreateARGB32Bitmap(dest, w, h, &dstBits);
    const bool ready = srcDc && dstDc && srcBitmap && dstBitmap;
    if (ready) {
        HGDIOBJ oldSrc = ::SelectObject(srcDc, srcBitmap);
        HGDIOBJ oldDst = ::SelectObject(dstDc, dstBitmap);
        ::StretchBlt(srcDc, 0, 0, w, h, src, sx, sy, sw, sh, SRCCOPY);
        ::BitBlt(dstDc, 0, 0, w, h, dest, x, y, SRCCOPY);
        for (int i = 0; i < w * h; ++i) {
            BYTE* s = srcBits + i * 4;
            BYTE* d = dstBits + i * 4;
            const double a = std::max(0.0, s[3] * blend.SourceConstantAlpha / 255.0 / 255.0);
            for (int c = 0; c < 3; ++c) d[c] = static_cast<BYTE>(d[c] * (1 - a) + s[c] * a);
            d[3] = 0;
        }
        ::BitBlt(dest, x, y, w, h, dstDc, 0, 0, SRCCOPY);
        ::SelectObject(srcDc, oldSrc);
        ::SelectObject(dstDc, oldDst);
    }
    if (srcBitmap) ::DeleteObject(srcBitmap);
    if (dstBitmap) ::DeleteObject(dstBitmap);
    if (srcDc) ::DeleteDC(srcDc);
    if (dstDc) ::DeleteDC(dstDc);
    return ready ? TRUE : FALSE;
}

AlphaBlendFn AlphaBlender()
{
    static const AlphaBlendFn blend = [] {
        auto found = reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(Msimg32Entry("AlphaBlend")));
        return found ? found : &SoftwareAlphaBlend;
    }();
    return blend;
}

GradientFillFn GradientFiller()
{
    static const GradientFillFn fill =
        reinterpret_cast<GradientFillFn>(reinterpret_cast<void*>(Msimg32Entry("GradientFill")));
    return fill;
}

// Selects a bitmap into a fresh memory DC for as long as it lives.
class MemoryDc {
public:
    MemoryDc(HDC compatible, HBITMAP bitmap) : m_dc(::CreateCompatibleDC(compatible))
    {
        if (m_dc) m_old = ::SelectObject(m_dc, bitmap);
    }
    ~MemoryDc()
    {
        if (!m_dc) return;
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

void Blit(HDC hdc, HDC source, const RECT& dest, int sx, int sy, int sw, int sh, bool alpha, BYTE fade)
{
    const int w = dest.right - dest.left;
    const int h = dest.bottom - dest.top;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    if (alpha) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        AlphaBlender()(hdc, dest.left, dest.top, w, h, source, sx, sy, sw, sh, blend);
    } else {
        ::StretchBlt(hdc, dest.left, dest.top, w, h, source, sx, sy, sw, sh, SRCCOPY);
    }
}

struct NineGrid {
    HDC hdc;
    HDC source;
    const RECT& paint;
    bool alpha;
    BYTE fade;

    void Piece(const RECT& dest, int sx, int sy, int sw, int sh) const
    {
        RECT visible;
        if (!::IntersectRect(&visible, &dest, &paint)) return;
        Blit(hdc, source, dest, sx, sy, sw, sh, alpha, fade);
    }

    // The centre repeated; the last copies are cut at the destination's edges, never squeezed.
    void Tiled(const RECT& dest, int sx, int sy, int sw, int sh, bool xtiled, bool ytiled) const
    {
        if (sw <= 0 || sh <= 0) return;
        const int width = dest.right - dest.left;
        const int height = dest.bottom - dest.top;
        const int columns = xtiled ? (width + sw - 1) / sw : 1;
        const int rows = ytiled ? (height + sh - 1) / sh : 1;
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                RECT piece = dest;
                int pieceSw = sw, pieceSh = sh;
                if (xtiled) {
                    piece.left = dest.left + column * sw;
                    piece.right = std::min<LONG>(piece.left + sw, dest.right);
                    pieceSw = piece.right - piece.left;
                }
                if (ytiled) {
                    piece.top = dest.top + row * sh;
                    piece.bottom = std::min<LONG>(piece.top + sh, dest.bottom);
                    pieceSh = piece.bottom - piece.top;
                }
                Piece(piece, sx, sy, pieceSw, pieceSh);
            }
        }
    }
};

TRIVERTEX Vertex(LONG x, LONG y, DWORD argb)
{
    TRIVERTEX vertex = {};
    vertex.x = x;
    vertex.y = y;
    vertex.Red = static_cast<COLOR16>(((argb >> 16) & 0xFF) << 8);
    vertex.Green = static_cast<COLOR16>(((argb >> 8) & 0xFF) << 8);
    vertex.Blue = static_cast<COLOR16>((argb & 0xFF) << 8);
    vertex.Alpha = 0xFF00;
    return vertex;
}

bool IsZero(const RECT& rc) { return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0; }

// A negative corner, or one wider than the destination, would put its pieces outside the destination.
RECT CornersWithin(const RECT& corner, const RECT& dest)
{
    const LONG width = std::max<LONG>(0, dest.right - dest.left);
    const LONG height = std::max<LONG>(0, dest.bottom - dest.top);
    return RECT{std::clamp<LONG>(corner.left, 0, width), std::clamp<LONG>(corner.top, 0, height),
                std::clamp<LONG>(corner.right, 0, width), std::clamp<LONG>(corner.bottom, 0, height)};
}

float HueToChannel(float p, float q, float t)
{
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (6 * t < 1) return p + (q - p) * 6 * t;
    if (2 * t < 1) return q;
    if (3 * t < 2) return p + (q - p) * (0.6666667f - t) * 6;
    return p;
}

BYTE ToByte(float value)
{
    const float scaled = value * 255.0f;
    if (scaled <= 0) return 0;
    if (scaled >= 255) return 255;
    return static_cast<BYTE>(scaled);
}

}  // namespace

void CPainter::FillColor(HDC hdc, const RECT& rc, DWORD color)
{
    if (!hdc || AlphaOf(color) == 0) return;
    Gdiplus::Graphics graphics(hdc);
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.FillRectangle(&brush, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                           static_cast<INT>(rc.right - rc.left), static_cast<INT>(rc.bottom - rc.top));
}

void CPainter::DrawGradient(HDC hdc, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps)
{
    const BYTE alpha = static_cast<BYTE>((AlphaOf(first) + AlphaOf(second)) >> 1);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (alpha == 0 || width <= 0 || height <= 0) return;
    HDC target = hdc;
    RECT targetRect = rc;
    HDC memoryDc = nullptr;
    HBITMAP memoryBitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    if (alpha < 255) {
        memoryDc = ::CreateCompatibleDC(hdc);
        memoryBitmap = ::CreateCompatibleBitmap(hdc, width, height);
        if (!memoryDc || !memoryBitmap) {
            if (memoryBitmap) ::DeleteObject(memoryBitmap);
            if (memoryDc) ::DeleteDC(memoryDc);
            return;
        }
        oldBitmap = ::SelectObject(memoryDc, memoryBitmap);
        target = memoryDc;
        targetRect = RECT{0, 0, width, height};
    }
    if (GradientFillFn fill = GradientFiller()) {
        TRIVERTEX vertices[2] = {Vertex(targetRect.left, targetRect.top, first),
                                 Vertex(targetRect.right, targetRect.bottom, second)};
        GRADIENT_RECT gradient = {0, 1};
        fill(target, vertices, 2, &gradient, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    } else {
        FillGradientBands(target, targetRect, first, second, vertical, steps);
    }
    if (memoryDc) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
        AlphaBlender()(hdc, rc.left, rc.top, width, height, memoryDc, 0, 0, width, height, blend);
        ::SelectObject(memoryDc, oldBitmap);
        ::DeleteObject(memoryBitmap);
        ::DeleteDC(memoryDc);
    }
}

void CPainter::FillGradientBands(HDC hdc, const RECT& target, DWORD first, DWORD second, bool vertical, int steps)
{
    int shift = 1;
    if (steps >= 64) shift = 6;
    else if (steps >= 32) shift = 5;
    else if (steps >= 16) shift = 4;
    else if (steps >= 8) shift = 3;
    else if (steps >= 4) shift = 2;
    const int bands = 1 << shift;
    const int extent = vertical ? target.bottom - target.top : target.right - target.left;
    const int farEdge = vertical ? target.bottom : target.right;
    for (int i = 0; i < bands; ++i) {
        const auto channel = [&](int bitShift) {
            const int a = static_cast<int>((first >> bitShift) & 0xFF);
            const int b = static_cast<int>((second >> bitShift) & 0xFF);
            return static_cast<BYTE>(((bands - i) * b + i * a) >> shift);
        };
        RECT band = target;
        const int start = farEdge - ((extent * (i + 1)) >> shift);
        const int end = farEdge - ((extent * i) >> shift);
        if (end <= start) continue;
        if (vertical) {
            band.top = start;
            band.bottom = end;
        } else {
            band.left = start;
            band.right = end;
        }
        HBRUSH brush = ::CreateSolidBrush(RGB(channel(16), channel(8), channel(0)));
        ::FillRect(hdc, &band, brush);
        ::DeleteObject(brush);
    }
}

void CPainter::DrawLine(HDC hdc, const RECT& rc, int size, DWORD color, int style)
{
    LOGPEN lg = {static_cast<UINT>(style), POINT{size, 0}, CPainter::ToColorRef(color)};
    HPEN pen = ::CreatePenIndirect(&lg);
    if (!pen) return;
    HGDIOBJ old = ::SelectObject(hdc, pen);
    POINT previous = {};
    ::MoveToEx(hdc, rc.left, rc.top, &previous);
    ::LineTo(hdc, rc.right, rc.bottom);
    ::MoveToEx(hdc, previous.x, previous.y, nullptr);
    ::SelectObject(hdc, old);
    ::DeleteObject(pen);
}

void CPainter::DrawRect(HDC hdc, const RECT& rc, int size, DWORD color, int)
{
    Gdiplus::Graphics graphics(hdc);
    Gdiplus::Pen pen(Gdiplus::Color(color), static_cast<Gdiplus::REAL>(size));
    pen.SetAlignment(Gdiplus::PenAlignmentInset);
    graphics.DrawRectangle(&pen, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                           static_cast<INT>(rc.right - rc.left), static_cast<INT>(rc.bottom - rc.top));
}

void CPainter::DrawImage(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                         const RECT& corner, bool alpha, BYTE fade, bool hole, bool xtiled, bool ytiled)
{
    if (!hdc || !bitmap) return;
    MemoryDc memory(hdc, bitmap);
    if (!memory.Get()) return;
    const int oldMode = ::SetStretchBltMode(hdc, HALFTONE);
    const bool blend = alpha || fade < 255;
    const RECT& d = dest;
    const RECT& s = source;
    const RECT c = CornersWithin(corner, dest);
    const int cl = c.left, ct = c.top, cr = c.right, cb = c.bottom;
    const bool sameSize = d.right - d.left == s.right - s.left && d.bottom - d.top == s.bottom - s.top;
    RECT piece;
    if (!blend && sameSize && IsZero(c)) {
        if (::IntersectRect(&piece, &dest, &paint))
            ::BitBlt(hdc, piece.left, piece.top, piece.right - piece.left, piece.bottom - piece.top, memory.Get(),
                     s.left + (piece.left - d.left), s.top + (piece.top - d.top), SRCCOPY);
        ::SetStretchBltMode(hdc, oldMode);
        return;
    }
    const NineGrid grid{hdc, memory.Get(), paint, blend, blend ? fade : static_cast<BYTE>(255)};
    const int sw = s.right - s.left;
    const int sh = s.bottom - s.top;
    if (!hole) {
        const RECT centre = {d.left + cl, d.top + ct, d.right - cr, d.bottom - cb};
        const int csx = s.left + cl, csy = s.top + ct, csw = sw - cl - cr, csh = sh - ct - cb;
        RECT visible;
        if (::IntersectRect(&visible, &centre, &paint)) {
            if (xtiled || ytiled) grid.Tiled(centre, csx, csy, csw, csh, xtiled, ytiled);
            else grid.Piece(centre, csx, csy, csw, csh);
        }
    }
    if (cl > 0 && ct > 0) grid.Piece(RECT{d.left, d.top, d.left + cl, d.top + ct}, s.left, s.top, cl, ct);
    if (ct > 0) grid.Piece(RECT{d.left + cl, d.top, d.right - cr, d.top + ct}, s.left + cl, s.top, sw - cl - cr, ct);
    if (cr > 0 && ct > 0) grid.Piece(RECT{d.right - cr, d.top, d.right, d.top + ct}, s.right - cr, s.top, cr, ct);
    if (cl > 0) grid.Piece(RECT{d.left, d.top + ct, d.left + cl, d.bottom - cb}, s.left, s.top + ct, cl, sh - ct - cb);
    if (cr > 0)
        grid.Piece(RECT{d.right - cr, d.top + ct, d.right, d.bottom - cb}, s.right - cr, s.top + ct, cr,
                   sh - ct - cb);
    if (cl > 0 && cb > 0) grid.Piece(RECT{d.left, d.bottom - cb, d.left + cl, d.bottom}, s.left, s.bottom - cb, cl, cb);
    if (cb > 0)
        grid.Piece(RECT{d.left + cl, d.bottom - cb, d.right - cr, d.bottom}, s.left + cl, s.bottom - cb,
                   sw - cl - cr, cb);
    if (cr > 0 && cb > 0)
        grid.Piece(RECT{d.right - cr, d.bottom - cb, d.right, d.bottom}, s.right - cr, s.bottom - cb, cr, cb);
    ::SetStretchBltMode(hdc, oldMode);
}

bool CPainter::DrawImageInfo(HDC hdc, CWindowUIManager* manager, const RECT& item, const RECT& paint,
                             const ImageDrawInfo* drawInfo, HINSTANCE instance)
{
    if (!hdc || !manager || !drawInfo) return false;
    RECT dest = drawInfo->rcDest;
    RECT source = drawInfo->rcSource;
    RECT corner = drawInfo->rcCorner;
    if (drawInfo->bAdaptDpiScale) {
        CDpiScaler* scaler = manager->GetDpiScaler();
        scaler->ScaleRect(dest);
        if (!drawInfo->bNoDpiVariant) {
            scaler->ScaleRect(source);
            scaler->ScaleRect(corner);
        }
    }
    RECT target = item;
    // A dest reaching past the item is cut at the item's edges: an image paints only over its own control.
    if (!IsZero(dest)) {
        const RECT placed = {item.left + dest.left, item.top + dest.top, item.left + dest.right,
                             item.top + dest.bottom};
        ::IntersectRect(&target, &placed, &item);
    }
    if (drawInfo->sImageName.IsEmpty()) return false;
    const ImageRecord* image = manager->GetImageOrLoad(
        drawInfo->sImageName, drawInfo->sResType.IsEmpty() ? nullptr : drawInfo->sResType.GetData(),
        drawInfo->dwMask, false, instance);
    if (!image) return false;
    if (IsZero(source)) source = RECT{0, 0, image->nX, image->nY};
    source.right = std::min<LONG>(source.right, image->nX);
    source.bottom = std::min<LONG>(source.bottom, image->nY);
    RECT visible;
    if (::IntersectRect(&visible, &target, &paint)) {
        const bool alpha = manager->IsLayered() || image->bAlpha;
        DrawImage(hdc, image->hBitmap, target, paint, source, corner, alpha, drawInfo->uFade, drawInfo->bHole,
                  drawInfo->bTiledX, drawInfo->bTiledY);
    }
    return true;
}

bool CPainter::DrawImageString(HDC hdc, CWindowUIManager* manager, const RECT& item, const RECT& paint,
                               const wchar_t* description, const wchar_t* modify, HINSTANCE instance)
{
    if (!hdc || !manager) return false;
    return DrawImageInfo(hdc, manager, item, paint, manager->GetImageDrawInfo(description, modify), instance);
}

DWORD CPainter::AdjustColor(DWORD color, short hue, short saturation, short lightness)
{
    if (hue == 180 && saturation == 100 && lightness == 100) return color;
    const float r = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    const float g = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    const float b = static_cast<float>(color & 0xFF) / 255.0f;
    const float maxC = std::max(r, std::max(g, b));
    const float minC = std::min(r, std::min(g, b));
    float h = 0, s = 0;
    float l = (maxC + minC) / 2;
    if (maxC != minC) {
        const float delta = maxC - minC;
        s = 2 * l <= 1 ? delta / (maxC + minC) : delta / (2 - maxC - minC);
        float i = 1, f = r - g;
        if (r == minC) {
            i = 3;
            f = g - b;
        } else if (g == minC) {
            i = 5;
            f = b - r;
        }
        float x = i - f / delta;
        if (x >= 6) x -= 6;
        h = 60 * x;
    }
    h += static_cast<float>(hue - 180);
    if (h <= 0) h += 360;
    s *= static_cast<float>(saturation) / 100.0f;
    l *= static_cast<float>(lightness) / 100.0f;
    const float q = l < 0.5f ? l * (1 + s) : l + s - l * s;
    const float p = 2 * l - q;
    const float fraction = h / 360.0f;
    const BYTE red = ToByte(HueToChannel(p, q, fraction + 0.33333334f));
    const BYTE green = ToByte(HueToChannel(p, q, fraction));
    const BYTE blue = ToByte(HueToChannel(p, q, fraction - 0.33333334f));
    return (color & 0xFF000000) | (static_cast<DWORD>(red) << 16) | (static_cast<DWORD>(green) << 8) | blue;
}

void CPainter::AdjustImage(bool useHsl, ImageRecord* image, short hue, short saturation, short lightness)
{
    if (!image || !image->bUseHSL || !image->hBitmap || !image->pSrcBits) return;
    DIBSECTION section = {};
    if (::GetObjectW(image->hBitmap, sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits) return;
    auto* working = static_cast<DWORD*>(section.dsBm.bmBits);
    const auto* source = reinterpret_cast<const DWORD*>(image->pSrcBits);
    const size_t pixels = static_cast<size_t>(image->nX) * static_cast<size_t>(image->nY);
    const bool identity = !useHsl || (hue == 180 && saturation == 100 && lightness == 100);
    for (size_t i = 0; i < pixels; ++i)
        working[i] = identity ? source[i] : AdjustColor(source[i], hue, saturation, lightness);
}

void CPainter::MakeColorNonBlack(DWORD& color)
{
    if ((color & 0x00FFFFFF) == 0) color += 1;
}

HBITMAP CPainter::CreateARGB32Bitmap(HDC hdc, int width, int height, BYTE** bits)
{
    return CreateDib32(hdc, width, height, false, bits);
}

namespace {

HBITMAP RenderToBitmap(CWindowUIManager* manager, CControlUI* control, const RECT& rc, CControlUI* stop, DWORD tint)
{
    if (!manager || !control) return nullptr;
    HDC windowDc = manager->GetDeviceContext();
    HDC paintDc = ::CreateCompatibleDC(windowDc);
    HBITMAP paintBitmap = ::CreateCompatibleBitmap(windowDc, rc.right, rc.bottom);
    HDC copyDc = ::CreateCompatibleDC(windowDc);
    BYTE* bits = nullptr;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    HBITMAP result = CPainter::CreateARGB32Bitmap(windowDc, width, height, &bits);
    if (paintDc && paintBitmap && copyDc && result) {
        HGDIOBJ oldPaint = ::SelectObject(paintDc, paintBitmap);
        control->Paint(paintDc, rc, stop);
        HGDIOBJ oldCopy = ::SelectObject(copyDc, result);
        ::BitBlt(copyDc, 0, 0, width, height, paintDc, rc.left, rc.top, SRCCOPY);
        if (tint > 0x00FFFFFF) CPainter::FillColor(copyDc, RECT{0, 0, width, height}, tint);
        ::SelectObject(copyDc, oldCopy);
        ::SelectObject(paintDc, oldPaint);
    } else if (result) {
        ::DeleteObject(result);
        result = nullptr;
    }
    if (paintBitmap) ::DeleteObject(paintBitmap);
    if (paintDc) ::DeleteDC(paintDc);
    if (copyDc) ::DeleteDC(copyDc);
    return result;
}

}  // namespace

HBITMAP CPainter::GenerateBitmap(CWindowUIManager* manager, CControlUI* control, const RECT& rc, DWORD tint)
{
    return RenderToBitmap(manager, control, rc, nullptr, tint);
}

HBITMAP CPainter::GenerateBitmap(CWindowUIManager* manager, const RECT& rc, CControlUI* stop, DWORD tint)
{
    return RenderToBitmap(manager, manager ? manager->GetRoot() : nullptr, rc, stop, tint);
}

CClipRegion::~CClipRegion()
{
    if (m_hdc) ::SelectClipRgn(m_hdc, m_saved);
    if (m_saved) ::DeleteObject(m_saved);
    if (m_clip) ::DeleteObject(m_clip);
}

// The DC's own clip region, not its bounding box: a round or nested clip that is put back as its box would
// let the drawing after it spill over the cut corners. No region (null) means the DC was not clipped.
void CClipRegion::SaveCurrent(HDC hdc)
{
    if (m_saved) ::DeleteObject(m_saved);
    if (m_clip) ::DeleteObject(m_clip);
    m_saved = ::CreateRectRgn(0, 0, 0, 0);
    if (m_saved && ::GetClipRgn(hdc, m_saved) != 1) {
        ::DeleteObject(m_saved);
        m_saved = nullptr;
    }
    m_clip = nullptr;
    m_hdc = hdc;
}

// Keeps what the DC clips to after the narrowing (the region within the earlier clip), so that selecting
// it again does not widen the clip past an outer one.
void CClipRegion::Narrow(HDC hdc, const RECT& rc)
{
    ::ExtSelectClipRgn(hdc, m_clip, RGN_AND);
    ::GetClipRgn(hdc, m_clip);
    m_rect = rc;
}

void CClipRegion::ClipToRect(HDC hdc, RECT rc, CClipRegion& clip)
{
    clip.SaveCurrent(hdc);
    clip.m_clip = ::CreateRectRgnIndirect(&rc);
    clip.Narrow(hdc, rc);
}

void CClipRegion::ClipToRoundRect(HDC hdc, RECT rc, RECT roundRect, int cx, int cy, CClipRegion& clip)
{
    clip.SaveCurrent(hdc);
    clip.m_clip = ::CreateRectRgnIndirect(&rc);
    HRGN round = ::CreateRoundRectRgn(roundRect.left, roundRect.top, roundRect.right + 1, roundRect.bottom + 1, cx, cy);
    ::CombineRgn(clip.m_clip, clip.m_clip, round, RGN_AND);
    ::DeleteObject(round);
    clip.Narrow(hdc, rc);
}

void CClipRegion::SelectSavedRegion(HDC hdc, CClipRegion& clip) { ::SelectClipRgn(hdc, clip.m_saved); }

void CClipRegion::SelectClipRegion(HDC hdc, CClipRegion& clip) { ::SelectClipRgn(hdc, clip.m_clip); }

}  // namespace SkinUI
