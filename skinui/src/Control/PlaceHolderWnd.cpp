#include "Control/PlaceHolderWnd.h"

#include "Control/UIPlaceHolder.h"
#include "Core/Painter.h"

namespace SkinUI {

void CPlaceHolderWnd::SetColor(DWORD color)
{
    m_color = color;
    m_colorSet = true;
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CPlaceHolderWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SIZE && m_owner && m_owner->GetSizeCallback()) {
        m_owner->GetSizeCallback()(m_owner->GetName());
    } else if (msg == WM_PAINT && m_colorSet) {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        ::SetBkColor(hdc, CPainter::ToColorRef(m_color));
        // The colour fills what the paint asked for; the area is validated by EndPaint.
        HBRUSH brush = ::CreateSolidBrush(CPainter::ToColorRef(m_color));
        ::FillRect(hdc, &ps.rcPaint, brush);
        ::DeleteObject(brush);
        ::EndPaint(m_hWnd, &ps);
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CPlaceHolderWnd::OnFinalMessage(HWND)
{
    if (m_owner) {
        m_owner->Invalidate();
        m_owner->OnNativeWindowClosed();
    }
    delete this;
}

}  // namespace SkinUI
