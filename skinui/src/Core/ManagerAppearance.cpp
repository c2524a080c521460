#include "Core/ControlUI.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"

#include "Core/GdiplusHeaders.h"

namespace SkinUI {
namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

FARPROC User32Entry(const char* name)
{
    HMODULE user32 = ::GetModuleHandleW(L"User32.dll");
    return user32 ? ::GetProcAddress(user32, name) : nullptr;
}

}  // namespace

void CWindowUIManager::StartGdiplus()
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr) != Gdiplus::Ok) m_gdiplusToken = 0;
}

void CWindowUIManager::StopGdiplus()
{
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusToken = 0;
}

SIZE CWindowUIManager::GetInitSize() { return GetDpiScaler()->ScaleSize(m_initSize.cx, m_initSize.cy); }

void CWindowUIManager::SetInitSize(int cx, int cy, bool scale)
{
    m_initSize = SIZE{cx, cy};
    if (m_root || !::IsWindow(m_hwnd)) return;
    const SIZE size = scale ? GetDpiScaler()->ScaleSize(cx, cy) : m_initSize;
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CWindowUIManager::SetMinInfo(int cx, int cy)
{
    if (cx >= 0 && cy >= 0) m_minSize = SIZE{cx, cy};
}

void CWindowUIManager::SetMaxInfo(int cx, int cy)
{
    if (cx >= 0 && cy >= 0) m_maxSize = SIZE{cx, cy};
}

void CWindowUIManager::SetOpacity(BYTE opacity)
{
    m_opacity = opacity;
    if (!::IsWindow(m_hwnd)) return;
    auto setAttributes = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(User32Entry("SetLayeredWindowAttributes")));
    if (!setAttributes) return;
    const LONG exStyle = ::GetWindowLongW(m_hwnd, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) == 0) ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    setAttributes(m_hwnd, 0, opacity, LWA_ALPHA);
}

void CWindowUIManager::SetLayered(bool layered)
{
    if (!::IsWindow(m_hwnd) || (::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CHILD)) return;
    if (m_layered == layered) return;
    if (!User32Entry("UpdateLayeredWindow")) return;
    m_layered = layered;
    if (m_root) m_root->RequestLayout();
    Invalidate();
}

void CWindowUIManager::SetLayeredInset(const RECT& rc)
{
    m_layeredInset = rc;
    m_layeredImageChanged = true;
    Invalidate();
}

void CWindowUIManager::SetLayeredOpacity(BYTE opacity)
{
    m_layeredOpacity = opacity;
    m_layeredImageChanged = true;
    Invalidate();
}

void CWindowUIManager::SetLayeredImage(const wchar_t* description)
{
    m_layeredImage.Clear();
    ParseImageDrawInfo(m_layeredImage, description, nullptr, this);
    // Loads the image now so the first layered paint finds it.
    if (!m_layeredImage.sImageName.IsEmpty())
        GetImageOrLoad(m_layeredImage.sImageName, m_layeredImage.sResType, m_layeredImage.dwMask);
    m_layeredImageChanged = true;
    Invalidate();
}

bool CWindowUIManager::UpdateLayered(HDC windowDc, const RECT& client)
{
    static const auto update =
        reinterpret_cast<UpdateLayeredWindowFn>(reinterpret_cast<void*>(User32Entry("UpdateLayeredWindow")));
    if (!update) return false;
    RECT window = {};
    ::GetWindowRect(m_hwnd, &window);
    POINT dest = {window.left, window.top};
    SIZE size = {client.right - client.left, client.bottom - client.top};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, m_layeredOpacity, AC_SRC_ALPHA};
    return update(m_hwnd, windowDc, &dest, &size, m_offscreenDc, &source, 0, &blend, ULW_ALPHA) != FALSE;
}

}  // namespace SkinUI
