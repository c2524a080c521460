#include "CefUtil.h"

#include <cmath>

#include "Engine/CefLibrary.h"

namespace SkinUI {

namespace {

// A window that has not reported its DPI yet must not divide by zero.
double UsableScale(float scale) { return scale > 0.0f ? scale : 1.0; }

bool IsToggledOn(int virtualKey) { return (::GetKeyState(virtualKey) & 0x0001) != 0; }

bool IsExtendedKey(LPARAM lParam) { return (lParam & (1 << 24)) != 0; }

uint32_t FlagIf(bool condition, uint32_t flag) { return condition ? flag : 0; }

uint32_t SideFlag(int leftKey, int rightKey) {
    if (IsKeyDown(leftKey)) return EVENTFLAG_IS_LEFT;
    return FlagIf(IsKeyDown(rightKey), EVENTFLAG_IS_RIGHT);
}

uint32_t KeyPadAndSideFlags(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case VK_RETURN:
        return FlagIf(IsExtendedKey(lParam), EVENTFLAG_IS_KEY_PAD);
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
        return FlagIf(!IsExtendedKey(lParam), EVENTFLAG_IS_KEY_PAD);
    case VK_NUMLOCK: case VK_NUMPAD0: case VK_NUMPAD1: case VK_NUMPAD2: case VK_NUMPAD3: case VK_NUMPAD4:
    case VK_NUMPAD5: case VK_NUMPAD6: case VK_NUMPAD7: case VK_NUMPAD8: case VK_NUMPAD9:
    case VK_DIVIDE: case VK_MULTIPLY: case VK_SUBTRACT: case VK_ADD: case VK_DECIMAL: case VK_CLEAR:
        return EVENTFLAG_IS_KEY_PAD;
    case VK_SHIFT:
        return SideFlag(VK_LSHIFT, VK_RSHIFT);
    case VK_CONTROL:
        return SideFlag(VK_LCONTROL, VK_RCONTROL);
    case VK_MENU:
        return SideFlag(VK_LMENU, VK_RMENU);
    case VK_LWIN:
        return EVENTFLAG_IS_LEFT;
    case VK_RWIN:
        return EVENTFLAG_IS_RIGHT;
    default:
        return 0;
    }
}

}  // namespace

int DeviceToLogical(int value, float scale) {
    return static_cast<int>(std::floor(value / UsableScale(scale)));
}

int LogicalToDevice(int value, float scale) {
    return static_cast<int>(std::floor(value * UsableScale(scale)));
}

CefRect LogicalToDevice(const CefRect& rect, float scale) {
    return CefRect{LogicalToDevice(rect.x, scale), LogicalToDevice(rect.y, scale),
                   LogicalToDevice(rect.width, scale), LogicalToDevice(rect.height, scale)};
}

CefMouseEvent DeviceToLogical(const CefMouseEvent& event, float scale) {
    CefMouseEvent converted = event;
    converted.x = DeviceToLogical(event.x, scale);
    converted.y = DeviceToLogical(event.y, scale);
    return converted;
}

bool IsKeyDown(int virtualKey) { return (::GetKeyState(virtualKey) & 0x8000) != 0; }

uint32_t GetCefKeyboardModifiers(WPARAM wParam, LPARAM lParam) {
    uint32_t modifiers = 0;
    if (IsKeyDown(VK_SHIFT)) modifiers |= EVENTFLAG_SHIFT_DOWN;
    if (IsKeyDown(VK_CONTROL)) modifiers |= EVENTFLAG_CONTROL_DOWN;
    if (IsKeyDown(VK_MENU)) modifiers |= EVENTFLAG_ALT_DOWN;
    if (IsToggledOn(VK_NUMLOCK)) modifiers |= EVENTFLAG_NUM_LOCK_ON;
    if (IsToggledOn(VK_CAPITAL)) modifiers |= EVENTFLAG_CAPS_LOCK_ON;
    return modifiers | KeyPadAndSideFlags(wParam, lParam);
}

uint32_t GetCefMouseModifiers(WPARAM wParam) {
    uint32_t modifiers = 0;
    if (wParam & MK_CONTROL) modifiers |= EVENTFLAG_CONTROL_DOWN;
    if (wParam & MK_SHIFT) modifiers |= EVENTFLAG_SHIFT_DOWN;
    if (IsKeyDown(VK_MENU)) modifiers |= EVENTFLAG_ALT_DOWN;
    if (wParam & MK_LBUTTON) modifiers |= EVENTFLAG_LEFT_MOUSE_BUTTON;
    if (wParam & MK_MBUTTON) modifiers |= EVENTFLAG_MIDDLE_MOUSE_BUTTON;
    if (wParam & MK_RBUTTON) modifiers |= EVENTFLAG_RIGHT_MOUSE_BUTTON;
    if (IsToggledOn(VK_NUMLOCK)) modifiers |= EVENTFLAG_NUM_LOCK_ON;
    if (IsToggledOn(VK_CAPITAL)) modifiers |= EVENTFLAG_CAPS_LOCK_ON;
    return modifiers;
}

void SetHostVisible(CefBrowserHost& host, bool shown) {
    if (shown) {
        host.WasHidden(false);
        host.SendFocusEvent(true);
    } else {
        host.SendFocusEvent(false);
        host.WasHidden(true);
    }
}

void SetUserDataPtr(HWND window, void* data) {
    ::SetLastError(ERROR_SUCCESS);
    const LONG_PTR result = ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    if (result == 0 && ::GetLastError() != ERROR_SUCCESS)
        CefLog(__FILE__, __LINE__, LOGSEVERITY_FATAL,
               "Check failed: result != 0 || GetLastError() == ERROR_SUCCESS. ");
}

bool SetOsrPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = ::ChoosePixelFormat(dc, &format);
    return chosen != 0 && ::SetPixelFormat(dc, chosen, &format);
}

}  // namespace SkinUI
