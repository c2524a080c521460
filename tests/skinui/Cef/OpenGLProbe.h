#pragma once

#include <windows.h>

#include <cstdint>

namespace CefTest {

// Whether this display gives a window a double-buffered RGBA OpenGL context, asked without the web
// view (under a bare X server it may not).
bool DisplayHasOpenGL();

// The colour (0x00RRGGBB) OpenGL last drew at a client point of a window that has a pixel format.
uint32_t OpenGLPixel(HWND window, int x, int y);

}  // namespace CefTest
