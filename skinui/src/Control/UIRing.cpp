#include "Control/UIRing.h"

#include "Core/GdiplusHeaders.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include <cwchar>

namespace SkinUI {
namespace {

constexpr float kTurnDegrees = 36;
constexpr UINT kTurnMs = 100;

}  // namespace

CRingUI::CRingUI() = default;

CRingUI::~CRingUI()
{
    if (CWindowUIManager* manager = LiveManager()) manager->KillTimer(this, kTurnTimer);
}

void* CRingUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Ring") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CRingUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool changesWindow = manager != m_manager;
    CLabelUI::SetManager(manager, parent, runInit);
    if (changesWindow && m_manager && m_image) m_manager->SetTimer(this, kTurnTimer, kTurnMs);
}

void CRingUI::HandleEvent(ControlEvent& event)
{
    if (event.Type == EVT_TIMER && event.wParam == kTurnTimer) {
        m_angle = m_angle > 359 ? kTurnDegrees : m_angle + kTurnDegrees;
        Invalidate();
        return;
    }
    CLabelUI::HandleEvent(event);
}

void CRingUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"bkimage") == 0) {
        if (m_bkImage != value) {
            m_bkImage = value;
            m_image.reset();
        }
        Invalidate();
        return;
    }
    CLabelUI::SetAttribute(name, value);
}

void CRingUI::PaintBackgroundImage(HDC hdc)
{
    if (m_bkImage.IsEmpty()) return;
    if (!m_image) {
        m_image.reset(CPainter::LoadGdiplusImage(m_bkImage));
        if (!m_image) return;
        if (m_manager) m_manager->SetTimer(this, kTurnTimer, kTurnMs);
    }
    const float width = static_cast<float>(m_rcItem.right - m_rcItem.left);
    const float height = static_cast<float>(m_rcItem.bottom - m_rcItem.top);
    Gdiplus::Graphics graphics(hdc);
    graphics.TranslateTransform(static_cast<float>(m_rcItem.left) + width / 2,
                                static_cast<float>(m_rcItem.top) + height / 2);
    graphics.RotateTransform(m_angle);
    graphics.TranslateTransform(-width / 2, -height / 2);
    graphics.DrawImage(m_image.get(), Gdiplus::RectF(0, 0, width, height));
}

}  // namespace SkinUI
