#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Plain values exchanged with the browser engine. Texts cross the boundary as UTF-16.
using CefString = std::wstring;
using cef_color_t = uint32_t;  // 0xAARRGGBB
using CefCursorHandle = HCURSOR;

enum cef_event_flags_t : uint32_t {
    EVENTFLAG_CAPS_LOCK_ON = 1 << 0,
    EVENTFLAG_SHIFT_DOWN = 1 << 1,
    EVENTFLAG_CONTROL_DOWN = 1 << 2,
    EVENTFLAG_ALT_DOWN = 1 << 3,
    EVENTFLAG_LEFT_MOUSE_BUTTON = 1 << 4,
    EVENTFLAG_MIDDLE_MOUSE_BUTTON = 1 << 5,
    EVENTFLAG_RIGHT_MOUSE_BUTTON = 1 << 6,
    EVENTFLAG_NUM_LOCK_ON = 1 << 8,
    EVENTFLAG_IS_KEY_PAD = 1 << 9,
    EVENTFLAG_IS_LEFT = 1 << 10,
    EVENTFLAG_IS_RIGHT = 1 << 11,
};

enum cef_key_event_type_t { KEYEVENT_RAWKEYDOWN = 0, KEYEVENT_KEYUP = 2, KEYEVENT_CHAR = 3 };
enum cef_mouse_button_type_t { MBT_LEFT = 0, MBT_MIDDLE, MBT_RIGHT };
enum cef_paint_element_type_t { PET_VIEW = 0, PET_POPUP };
enum cef_process_id_t { PID_RENDERER = 1 };
// Handed on to the application as a number; only a crash is named here.
enum cef_termination_status_t { TS_PROCESS_CRASHED = 2 };
enum cef_plugin_policy_t {
    PLUGIN_POLICY_ALLOW = 0,
    PLUGIN_POLICY_DETECT_IMPORTANT,
    PLUGIN_POLICY_BLOCK,
};
enum cef_value_type_t {
    VTYPE_INVALID = 0,
    VTYPE_NULL,
    VTYPE_BOOL,
    VTYPE_INT,
    VTYPE_DOUBLE,
    VTYPE_STRING,
};
// The system writes to the engine's log only what ends the process.
enum cef_return_value_t { RV_CONTINUE = 1 };
using cef_drag_operations_mask_t = uint32_t;
using cef_window_open_disposition_t = int;
enum cef_log_severity_t { LOGSEVERITY_FATAL = 3 };
using cef_errorcode_t = int;

struct CefRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const CefRect& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

struct CefScreenInfo {
    float device_scale_factor = 1.0f;
    CefRect rect;
    CefRect available_rect;
};

struct CefKeyEvent {
    cef_key_event_type_t type = KEYEVENT_RAWKEYDOWN;
    uint32_t modifiers = 0;
    int windows_key_code = 0;
    int native_key_code = 0;
    bool is_system_key = false;
};

struct CefMouseEvent {
    int x = 0;
    int y = 0;
    uint32_t modifiers = 0;
};

struct CefDraggableRegion {
    CefRect bounds;
    bool draggable = false;
};

struct CefWindowInfo {
    HWND parent_window = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool windowless_rendering_enabled = false;
    bool transparent_painting_enabled = false;

    void SetAsChild(HWND parent, const RECT& rect) {
        parent_window = parent;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
        x = rect.left;
        y = rect.top;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    void SetAsWindowless(HWND parent, bool transparent) {
        parent_window = parent;
        windowless_rendering_enabled = true;
        transparent_painting_enabled = transparent;
    }
};

struct CefBrowserSettings {
    size_t size = 200;
    int windowless_frame_rate = 30;
    cef_color_t background_color = 0xFFFFFFFF;
};
