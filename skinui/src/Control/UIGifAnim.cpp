#include "Control/UIGifAnim.h"

#include "Core/AttributeValues.h"
#include "Core/GdiplusHeaders.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

constexpr PROPID kFrameDelayTag = 0x5100;
constexpr UINT kDefaultFrameMs = 100;
// The time dimension of animated images, {6AEDBD6D-3FB5-418A-83A6-7F45229DC872}.
const GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

}  // namespace

CGifAnimUI::CGifAnimUI() : m_timer([this] { OnTick(); }) {}

CGifAnimUI::~CGifAnimUI()
{
    m_timer.Stop(true);  // not StopGif: nothing to repaint, and the window may already be gone
    *m_alive = false;
    FreeGif();
}

void* CGifAnimUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"GifAnim") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CGifAnimUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool changesWindow = manager != m_manager;
    if (changesWindow) HaltFrames();  // no repaint: the window it leaves may be closing
    CButtonUI::SetManager(manager, parent, runInit);
    if (changesWindow && m_manager && m_autoPlay && IsVisible()) PlayGif();
}

void CGifAnimUI::InitControl()
{
    if (!m_image) LoadGif();
}

bool CGifAnimUI::LoadGif()
{
    if (m_imageDescription.IsEmpty()) return false;
    std::unique_ptr<Gdiplus::Image> image(CPainter::LoadGdiplusImage(m_imageDescription));
    if (!image) return false;
    UINT frames = 0;
    if (const UINT dimensions = image->GetFrameDimensionsCount(); dimensions > 0) {
        std::vector<GUID> ids(dimensions);
        if (image->GetFrameDimensionsList(ids.data(), dimensions) == Gdiplus::Ok)
            frames = image->GetFrameCount(&ids[0]);
    }
    m_frameDelays.clear();
    if (frames > 1) {
        const UINT size = image->GetPropertyItemSize(kFrameDelayTag);
        if (size >= sizeof(Gdiplus::PropertyItem)) {
            std::vector<unsigned char> buffer(size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
            if (image->GetPropertyItem(kFrameDelayTag, size, item) == Gdiplus::Ok && item->value) {
                const UINT count = item->length / sizeof(UINT);
                const auto* delays = static_cast<const UINT*>(item->value);
                m_frameDelays.assign(delays, delays + count);
            }
        }
    }
    m_image = std::move(image);
    m_frameCount = frames;
    if (m_autoSize) {
        SetFixedWidth(static_cast<int>(m_image->GetWidth()));
        SetFixedHeight(static_cast<int>(m_image->GetHeight()));
    }
    if (m_autoPlay) PlayGif();
    return true;
}

void CGifAnimUI::FreeGif()
{
    m_image.reset();
    m_frameDelays.clear();
    m_frameCount = 0;
    m_currentFrame = 0;
}

UINT CGifAnimUI::GetFrameDelayMs(UINT frame) const
{
    const UINT delay = frame < m_frameDelays.size() ? m_frameDelays[frame] * 10 : 0;
    return delay == 0 ? kDefaultFrameMs : delay;
}

void CGifAnimUI::PlayGif()
{
    if (m_playing || !m_image || m_frameCount <= 1) return;
    if (!m_timer.Start(GetFrameDelayMs(m_currentFrame), false, true, WT_EXECUTELONGFUNCTION)) return;
    m_playing = true;
}

void CGifAnimUI::StopGif()
{
    if (!m_playing) return;
    HaltFrames();
    Invalidate();
}

void CGifAnimUI::HaltFrames()
{
    if (!m_playing) return;
    m_timer.Stop(true);
    m_currentFrame = 0;
    m_playing = false;
}

void CGifAnimUI::OnTick()
{
    // Runs on the timer-queue thread: the repaint is handed to the UI thread, which owns the control tree.
    if (CWindowUIManager* manager = m_manager) {
        if (HWND window = manager->GetWindowHandle()) {
            std::shared_ptr<bool> alive = m_alive;
            CWindowUIManager::PostTask(window, [this, alive] {
                if (*alive) Invalidate();
            });
        }
    }
    const UINT count = m_frameCount;
    if (count == 0) return;
    const UINT next = (m_currentFrame + 1) % count;
    m_currentFrame = next;
    m_timer.Stop(false);
    m_timer.Start(GetFrameDelayMs(next), false, true, WT_EXECUTELONGFUNCTION);
}

bool CGifAnimUI::PaintParts(HDC hdc, const RECT& paint, CControlUI*)
{
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &m_rcItem)) return true;
    if (!m_image) LoadGif();
    if (!hdc || !m_image) return true;
    RECT target = m_rcItem;
    if (!m_adaptDpiScale && m_manager) {
        CDpiScaler* scaler = m_manager->GetDpiScaler();
        const int width = scaler->Unscale(m_rcItem.right - m_rcItem.left);
        const int height = scaler->Unscale(m_rcItem.bottom - m_rcItem.top);
        target.left += (m_rcItem.right - m_rcItem.left - width) / 2;
        target.top += (m_rcItem.bottom - m_rcItem.top - height) / 2;
        target.right = target.left + width;
        target.bottom = target.top + height;
    }
    Gdiplus::Graphics graphics(hdc);
    graphics.DrawImage(m_image.get(), static_cast<INT>(target.left), static_cast<INT>(target.top),
                       static_cast<INT>(target.right - target.left), static_cast<INT>(target.bottom - target.top));
    m_image->SelectActiveFrame(&kFrameDimensionTime, m_currentFrame);
    return true;
}

void CGifAnimUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (alive.expired()) return;
    if (visible) PlayGif();
    else StopGif();
}

void CGifAnimUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"image") == 0) {
        if (!value || m_imageDescription == value) return;
        m_imageDescription = value;
        StopGif();
        FreeGif();
        Invalidate();
    } else if (_wcsicmp(name, L"autoplay") == 0) {
        m_autoPlay = ParseBool(value);
    } else if (_wcsicmp(name, L"autosize") == 0) {
        m_autoSize = ParseBool(value);
    } else if (_wcsicmp(name, L"adaptdpiscale") == 0) {
        m_adaptDpiScale = ParseBool(value);
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
