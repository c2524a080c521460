// The web view's OSR child window and its OpenGL painting of the engine's frames.
#include "Control/UICefImpl.h"

#include "Core/WindowUIManager.h"
#include "Internal/Cef/CefUtil.h"
#include "Internal/Cef/Engine/CefLibrary.h"

#include <GL/gl.h>

#include <algorithm>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_UNSIGNED_INT_8_8_8_8_REV
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#endif

namespace SkinUI {
namespace {

const wchar_t kOsrWindowClass[] = L"OSR";

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYDOWN && message <= WM_SYSCHAR; }

bool IsForwardedMouseMessage(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MOUSEWHEEL: case WM_MOUSELEAVE:
        return true;
    default:
        return false;
    }
}

void DrawBackgroundGradient()
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBegin(GL_QUADS);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glPopAttrib();
}

}  // namespace

HWND CCefUI::CCefUIImpl::InputWindow() const { return UsesOsrWindow() ? m_osrWindow : ManagerWindow(); }

bool CCefUI::CCefUIImpl::CreateOsrWindow(const RECT& rc)
{
    HWND parent = ManagerWindow();
    HINSTANCE instance = CWindowUIManager::GetInstance();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = &CCefUIImpl::OsrWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::CreateSolidBrush(RGB((m_backgroundColor >> 16) & 0xFF,
                                                       (m_backgroundColor >> 8) & 0xFF, m_backgroundColor & 0xFF));
    windowClass.lpszClassName = kOsrWindowClass;
    // Registered once per process: a later view keeps the first brush.
    if (!::RegisterClassExW(&windowClass)) ::DeleteObject(windowClass.hbrBackground);

    const DWORD exStyle = (::GetWindowLongW(parent, GWL_EXSTYLE) & WS_EX_NOACTIVATE) ? WS_EX_NOACTIVATE : 0;
    // Made on a page not shown (or in a hidden parent), it waits hidden until the control shows.
    const DWORD shown = m_owner->IsVisible() ? WS_VISIBLE : 0;
    m_osrWindow = ::CreateWindowExW(exStyle, kOsrWindowClass, L"", WS_CHILD | shown | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                    0, 0, rc.right - rc.left, rc.bottom - rc.top, parent, nullptr, instance, nullptr);
    if (!m_osrWindow) CefLog(__FILE__, __LINE__, LOGSEVERITY_FATAL, "Check failed: m_hOsrWnd. ");
    SetUserDataPtr(m_osrWindow, this);
    ::SetWindowPos(m_osrWindow, nullptr, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (SetupOpenGL()) return true;
    ReleaseOpenGL();
    SetUserDataPtr(m_osrWindow, nullptr);
    ::ShowWindow(m_osrWindow, SW_HIDE);
    ::PostMessageW(m_osrWindow, WM_CLOSE, 0, 0);
    m_osrWindow = nullptr;
    return false;
}

void CCefUI::CCefUIImpl::DestroyOsrWindow()
{
    if (!m_osrWindow) return;
    HWND window = m_osrWindow;
    m_osrWindow = nullptr;
    SetUserDataPtr(window, nullptr);
    if (::IsWindow(window)) ::DestroyWindow(window);
}

bool CCefUI::CCefUIImpl::SetupOpenGL()
{
    if (m_openGLReady) return true;
    m_openGLDc = ::GetDC(m_osrWindow);
    if (!m_openGLDc) return false;
    if (!SetOsrPixelFormat(m_openGLDc)) return false;
    m_openGLContext = ::wglCreateContext(m_openGLDc);
    if (!m_openGLContext || !::wglMakeCurrent(m_openGLDc, m_openGLContext)) return false;
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glClearColor(((m_backgroundColor >> 16) & 0xFF) / 255.0f, ((m_backgroundColor >> 8) & 0xFF) / 255.0f,
                 (m_backgroundColor & 0xFF) / 255.0f, (m_backgroundColor >> 24) / 255.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) return false;
    m_textureId = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    m_openGLReady = true;
    return true;
}

void CCefUI::CCefUIImpl::ReleaseOpenGL()
{
    if (m_openGLContext) {
        ::wglMakeCurrent(m_openGLDc, m_openGLContext);
        if (m_textureId) {
            GLuint texture = m_textureId;
            glDeleteTextures(1, &texture);
        }
        ::wglMakeCurrent(nullptr, nullptr);
        if (m_osrWindow && ::IsWindow(m_osrWindow)) ::wglDeleteContext(m_openGLContext);
    }
    if (m_openGLDc && m_osrWindow && ::IsWindow(m_osrWindow)) ::ReleaseDC(m_osrWindow, m_openGLDc);
    m_textureId = 0;
    m_openGLContext = nullptr;
    m_openGLDc = nullptr;
    m_openGLReady = false;
}

void CCefUI::CCefUIImpl::PaintWithOpenGL(cef_paint_element_type_t type, const std::vector<CefRect>& dirtyRects,
                                         const void* buffer, int width, int height)
{
    if (!m_osrWindow || !::wglMakeCurrent(m_openGLDc, m_openGLContext)) return;
    if (m_transparent) glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_textureId);
    if (type == PET_VIEW) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
        const bool whole = dirtyRects.size() == 1 && dirtyRects[0] == CefRect{0, 0, width, height};
        if (m_textureSize.cx != width || m_textureSize.cy != height || whole) {
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
            glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, buffer);
            m_textureSize = SIZE{width, height};
        } else {
            for (const CefRect& dirty : dirtyRects) {
                glPixelStorei(GL_UNPACK_SKIP_PIXELS, dirty.x);
                glPixelStorei(GL_UNPACK_SKIP_ROWS, dirty.y);
                glTexSubImage2D(GL_TEXTURE_2D, 0, dirty.x, dirty.y, dirty.width, dirty.height, GL_BGRA,
                                GL_UNSIGNED_INT_8_8_8_8_REV, buffer);
            }
        }
    } else if (!m_popupRect.IsEmpty()) {
        // The popup goes into the view's texture, clipped to the view.
        int skipPixels = 0, x = m_popupRect.x, w = width;
        int skipRows = 0, y = m_popupRect.y, h = height;
        if (x < 0) { skipPixels = -x; x = 0; }
        if (y < 0) { skipRows = -y; y = 0; }
        w = std::min<int>(w - skipPixels, m_textureSize.cx - x);
        h = std::min<int>(h - skipRows, m_textureSize.cy - y);
        if (w > 0 && h > 0) {
            glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
            glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
            glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, buffer);
        }
    }
    glDisable(GL_TEXTURE_2D);
    if (m_transparent) glDisable(GL_BLEND);
    DrawOpenGLFrame();
}

void CCefUI::CCefUIImpl::DrawOpenGLFrame()
{
    struct Vertex {
        float tu, tv, x, y, z;
    };
    static const Vertex kQuad[4] = {
        {0.0f, 1.0f, -1.0f, -1.0f, 0.0f}, {1.0f, 1.0f, 1.0f, -1.0f, 0.0f},
        {1.0f, 0.0f, 1.0f, 1.0f, 0.0f},   {0.0f, 0.0f, -1.0f, 1.0f, 0.0f},
    };
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, m_viewSize.cx, m_viewSize.cy);
    DrawBackgroundGradient();
    if (m_transparent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_textureId);
    glInterleavedArrays(GL_T2F_V3F, 0, kQuad);
    glDrawArrays(GL_QUADS, 0, 4);
    glDisable(GL_TEXTURE_2D);
    if (m_transparent) glDisable(GL_BLEND);
    ::SwapBuffers(m_openGLDc);
}

LRESULT CALLBACK CCefUI::CCefUIImpl::OsrWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CCefUIImpl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    auto host = self->Host();
    if (IsKeyboardMessage(message)) {
        self->HandleKeyMessage(message, wParam, lParam);
        return 0;
    }
    if (IsForwardedMouseMessage(message)) {
        self->HandleMouseMessage(message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        if (host) host->WasResized();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        self->HandleFocus(message == WM_SETFOCUS);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        if (host) host->Invalidate(PET_VIEW);
        return 0;
    }
    case WM_ERASEBKGND:
        if (host) return 0;
        break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        if (host) host->SendCaptureLostEvent();
        break;
    case WM_NCDESTROY:
        SetUserDataPtr(window, nullptr);
        self->m_osrWindow = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace SkinUI
