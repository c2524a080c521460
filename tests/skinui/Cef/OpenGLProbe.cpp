#include "OpenGLProbe.h"

#include <GL/gl.h>

#include <initializer_list>

#include "Internal/Cef/CefUtil.h"

namespace CefTest {
namespace {

const wchar_t kProbeClass[] = L"CefTestOpenGLProbe";

}  // namespace

bool DisplayHasOpenGL() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kProbeClass;
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, kProbeClass, L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    if (!window) return false;
    HDC dc = ::GetDC(window);
    bool available = false;
    if (dc && SkinUI::SetOsrPixelFormat(dc)) {
        if (HGLRC context = ::wglCreateContext(dc)) {
            available = ::wglMakeCurrent(dc, context) != FALSE;
            ::wglMakeCurrent(nullptr, nullptr);
            ::wglDeleteContext(context);
        }
    }
    if (dc) ::ReleaseDC(window, dc);
    ::DestroyWindow(window);
    return available;
}

uint32_t OpenGLPixel(HWND window, int x, int y) {
    HDC dc = ::GetDC(window);
    HGLRC previous = ::wglGetCurrentContext();
    HDC previousDc = ::wglGetCurrentDC();
    HGLRC context = dc ? ::wglCreateContext(dc) : nullptr;
    uint32_t color = 0xDEADBEEF;
    if (context && ::wglMakeCurrent(dc, context)) {
        RECT client = {};
        ::GetClientRect(window, &client);
        // Wine draws a child window's OpenGL off-screen: there only the buffer last drawn into
        // (the back one) can be read; elsewhere the front one holds the frame shown.
        for (GLenum buffer : {GL_FRONT, GL_BACK}) {
            unsigned char rgba[4] = {};
            glReadBuffer(buffer);
            glReadPixels(x, client.bottom - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
            color = (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | rgba[2];
            if (color != 0) break;
        }
    }
    ::wglMakeCurrent(previousDc, previous);
    if (context) ::wglDeleteContext(context);
    if (dc) ::ReleaseDC(window, dc);
    return color;
}

}  // namespace CefTest
