#include "Control/UIColorPalette.h"

#include "Core/DibSection.h"
#include "Core/WindowUIManager.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace SkinUI {
namespace {

constexpr int kBitmapWidth = 400;
constexpr int kBitmapHeight = 360;
constexpr int kFieldWidth = 360;
constexpr int kFieldRows = 200;
constexpr int kBarTop = 210;
constexpr int kBarWidth = 200;
constexpr int kMaxBarHeight = 150;
constexpr int kThumbSize = 8;

double HueToChannel(double p, double q, double t)
{
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

}  // namespace

DWORD CColorPaletteUI::HslToRgb(int hue, int saturation, int lightness)
{
    const double h = hue / 360.0;
    const double s = saturation / 200.0;
    const double l = lightness / 200.0;
    double r = l, g = l, b = l;
    if (s != 0) {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        r = HueToChannel(p, q, h + 1.0 / 3);
        g = HueToChannel(p, q, h);
        b = HueToChannel(p, q, h - 1.0 / 3);
    }
    auto channel = [](double v) { return static_cast<DWORD>(std::clamp(std::lround(v * 255), 0L, 255L)); };
    return (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

CColorPaletteUI::~CColorPaletteUI() { FreeBitmap(); }

void CColorPaletteUI::FreeBitmap()
{
    if (m_memoryDc) {
        ::SelectObject(m_memoryDc, m_oldBitmap);
        ::DeleteDC(m_memoryDc);
    }
    if (m_bitmap) ::DeleteObject(m_bitmap);
    m_memoryDc = nullptr;
    m_bitmap = nullptr;
    m_bits = nullptr;
}

void* CColorPaletteUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"ColorPalette") == 0) return this;
    return CControlUI::GetInterface(name);
}

DWORD CColorPaletteUI::GetSelectColor() const { return 0xFF000000 | HslToRgb(m_hue, m_saturation, m_lightness); }

void CColorPaletteUI::InitControl()
{
    if (m_memoryDc) return;
    HDC windowDc = m_manager ? m_manager->GetDeviceContext() : nullptr;
    m_memoryDc = ::CreateCompatibleDC(windowDc);
    BYTE* bits = nullptr;
    m_bitmap = CreateDib32(m_memoryDc, kBitmapWidth, kBitmapHeight, true, &bits);
    if (!m_memoryDc || !m_bitmap) {
        FreeBitmap();
        return;
    }
    m_bits = reinterpret_cast<DWORD*>(bits);
    m_oldBitmap = ::SelectObject(m_memoryDc, m_bitmap);
    BuildField();
    BuildBar();
}

void CColorPaletteUI::BuildField()
{
    if (!m_bits) return;
    for (int row = 1; row <= kFieldRows; ++row)
        for (int x = 0; x < kFieldWidth; ++x)
            m_bits[row * kBitmapWidth + x] = std::max<DWORD>(0xFF000001, 0xFF000000 | HslToRgb(x, m_saturation, kFieldRows - row));
}

void CColorPaletteUI::BuildBar()
{
    if (!m_bits) return;
    const int rows = std::min(m_barHeight, kMaxBarHeight);
    for (int row = kBarTop; row < kBarTop + rows && row < kBitmapHeight; ++row)
        for (int x = 0; x < kBarWidth; ++x)
            m_bits[row * kBitmapWidth + x] = std::max<DWORD>(0xFF000001, 0xFF000000 | HslToRgb(m_hue, x, m_lightness));
}

void CColorPaletteUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    const int width = m_rcItem.right - m_rcItem.left;
    m_fieldThumb.x = m_rcItem.left + width * m_hue / 360;
    m_fieldThumb.y = m_rcItem.top + (200 - m_lightness) * m_fieldHeight / 200;
    BuildField();
    BuildBar();
}

void CColorPaletteUI::PickInField(POINT pt)
{
    const int width = std::max<LONG>(1, m_rcItem.right - m_rcItem.left);
    const int height = std::max(1, m_fieldHeight);
    m_hue = std::clamp(static_cast<int>((pt.x - m_rcItem.left) * 360 / width), 0, 360);
    m_lightness = 200 - std::clamp(static_cast<int>((pt.y - m_rcItem.top) * 200 / height), 0, 200);
    m_fieldThumb.x = std::clamp<LONG>(pt.x, m_rcItem.left, m_rcItem.right);
    m_fieldThumb.y = std::clamp<LONG>(pt.y, m_rcItem.top, m_rcItem.top + m_fieldHeight);
}

void CColorPaletteUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    // A disabled palette takes no colour from the mouse, not even from a drag already under way.
    if (!IsEnabled()) m_pushed = m_draggingBar = m_draggingField = false;
}

void CColorPaletteUI::HandleEvent(ControlEvent& event)
{
    CControlUI::HandleEvent(event);
    const POINT pt = event.ptMouse;
    const int width = std::max<LONG>(1, m_rcItem.right - m_rcItem.left);
    const bool inColumns = pt.x >= m_rcItem.left && pt.x < m_rcItem.right;
    switch (event.Type) {
    case EVT_BUTTONDOWN:
        if (!IsEnabled()) break;
        if (inColumns && pt.y >= m_rcItem.top && pt.y < m_rcItem.top + m_fieldHeight) {
            PickInField(pt);
            m_pushed = true;
            m_draggingField = true;
            BuildBar();
        } else if (inColumns && pt.y >= m_rcItem.bottom - m_barHeight && pt.y < m_rcItem.bottom) {
            m_pushed = true;
            m_draggingBar = true;
            m_saturation = static_cast<int>((pt.x - m_rcItem.left) * 200 / width);
        } else {
            break;
        }
        BuildField();
        Invalidate();
        break;
    case EVT_MOUSEMOVE:
        if (!m_pushed) {
            m_draggingBar = m_draggingField = false;
            break;
        }
        if (m_draggingField) {
            if (pt.x >= m_rcItem.left && pt.y >= m_rcItem.top) PickInField(pt);
            BuildBar();
        } else if (m_draggingBar) {
            m_saturation = std::clamp(static_cast<int>((pt.x - m_rcItem.left) * 200 / width), 0, 200);
            BuildField();
        }
        Invalidate();
        break;
    case EVT_BUTTONUP: {
        const auto alive = WatchLifetime();
        if (IsEnabled() && m_manager) m_manager->SendNotify(this, L"colorchanged", GetSelectColor(), 0);
        if (alive.expired()) return;
        m_pushed = m_draggingBar = m_draggingField = false;
        Invalidate();
        break;
    }
    case EVT_KILLFOCUS:
        // A press that ends without its release: the drag stops and nothing is reported.
        m_pushed = m_draggingBar = m_draggingField = false;
        break;
    default:
        break;
    }
}

void CColorPaletteUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"palletheight") == 0) m_fieldHeight = _wtoi(value);
    else if (_wcsicmp(name, L"barheight") == 0) m_barHeight = std::min(_wtoi(value), kMaxBarHeight);
    else if (_wcsicmp(name, L"thumbimage") == 0) m_thumbImage = value;
    else CControlUI::SetAttribute(name, value);
}

void CColorPaletteUI::PaintBackgroundColor(HDC hdc) { PaintPalette(hdc); }

void CColorPaletteUI::PaintPalette(HDC hdc)
{
    if (!m_memoryDc) return;
    const int width = m_rcItem.right - m_rcItem.left;
    const int oldMode = ::SetStretchBltMode(hdc, HALFTONE);
    ::StretchBlt(hdc, m_rcItem.left, m_rcItem.top, width, m_fieldHeight, m_memoryDc, 0, 1, kFieldWidth, kFieldRows,
                 SRCCOPY);
    ::StretchBlt(hdc, m_rcItem.left, m_rcItem.bottom - m_barHeight, width, m_barHeight, m_memoryDc, 0, kBarTop,
                 kBarWidth, m_barHeight, SRCCOPY);
    ::SetStretchBltMode(hdc, oldMode);
    if (m_thumbImage.IsEmpty()) return;
    CUIString modify;
    const int half = kThumbSize / 2;
    const int fieldX = m_fieldThumb.x - m_rcItem.left - half;
    const int fieldY = m_fieldThumb.y - m_rcItem.top - half;
    modify.Format(L"dest='%d,%d,%d,%d'", fieldX, fieldY, fieldX + kThumbSize, fieldY + kThumbSize);
    DrawImage(hdc, m_thumbImage, modify);
    const int barX = width * m_saturation / 200 - half;
    const int barY = (m_rcItem.bottom - m_rcItem.top) - m_barHeight / 2 - half;
    modify.Format(L"dest='%d,%d,%d,%d'", barX, barY, barX + kThumbSize, barY + kThumbSize);
    DrawImage(hdc, m_thumbImage, modify);
}

}  // namespace SkinUI
