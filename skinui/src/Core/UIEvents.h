#pragma once

#include "Utils/UIString.h"

#include <windows.h>

namespace SkinUI {

class CControlUI;

// Input event codes handed to controls; 3..8 are keyboard events, 11..23 mouse events.
enum EventType {
    EVT_KEYDOWN = 3,
    EVT_KEYUP = 4,
    EVT_CHAR = 5,
    EVT_SYSCHAR = 6,
    EVT_SYSKEYDOWN = 7,
    EVT_SYSKEYUP = 8,
    EVT_MOUSEMOVE = 11,
    EVT_MOUSELEAVE = 12,
    EVT_MOUSEENTER = 13,
    EVT_MOUSEHOVER = 14,
    EVT_BUTTONDOWN = 15,
    EVT_BUTTONUP = 16,
    EVT_RBUTTONDOWN = 17,
    EVT_RBUTTONUP = 18,
    EVT_MBUTTONDOWN = 19,
    EVT_MBUTTONUP = 20,
    EVT_DBLCLICK = 21,
    EVT_CONTEXTMENU = 22,
    EVT_SCROLLWHEEL = 23,
    EVT_KILLFOCUS = 25,
    EVT_SETFOCUS = 26,
    EVT_WINDOWSIZE = 27,
    EVT_SETCURSOR = 28,
    EVT_TIMER = 29,
};

inline bool IsMouseEvent(int type) { return type >= EVT_MOUSEMOVE && type <= EVT_SCROLLWHEEL; }

struct NotifyMessage {
    CUIString sType;
    CUIString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct ControlEvent {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    wchar_t chKey = 0;
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Window messages of the framework.
constexpr UINT kMsgDelayedWork = WM_APP + 1;
constexpr UINT kMsgDpiChanged = WM_USER + 200;
// Posted with all three values equal to wake a loop so it runs queued work; never dispatched.
constexpr UINT kWakeUpValue = 2258;

}  // namespace SkinUI
