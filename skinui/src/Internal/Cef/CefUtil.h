#pragma once

#include <windows.h>

#include <cstdint>

#include "Engine/CefBrowser.h"
#include "Engine/CefTypes.h"

namespace SkinUI {

// Pixel conversions between the window's device pixels and the engine's logical pixels; |scale| is
// the window's DPI percentage / 100.
int DeviceToLogical(int value, float scale);
int LogicalToDevice(int value, float scale);
CefRect LogicalToDevice(const CefRect& rect, float scale);
CefMouseEvent DeviceToLogical(const CefMouseEvent& event, float scale);

// Engine event flags from the calling thread's keyboard state and the key message's wParam/lParam.
uint32_t GetCefKeyboardModifiers(WPARAM wParam, LPARAM lParam);
// Engine event flags from a mouse message's wParam (MK_*) and the keyboard state.
uint32_t GetCefMouseModifiers(WPARAM wParam);
bool IsKeyDown(int virtualKey);

// Shows the browser and gives it the focus, or takes the focus away and hides it.
void SetHostVisible(CefBrowserHost& host, bool shown);

// Gives the OSR window's DC the pixel format its OpenGL painting needs (double-buffered RGBA, 24-bit
// colour, 16-bit depth); false when the display offers none.
bool SetOsrPixelFormat(HDC dc);

// Stores |data| in the window's user data; a failure is fatal.
void SetUserDataPtr(HWND window, void* data);

}  // namespace SkinUI
