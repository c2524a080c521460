#pragma once

#include <windows.h>

// Messages and timer ids the installer's windows exchange; the numbers are fixed.
constexpr UINT kMsgCloseInstaller = 2024;   // to the main window: hide and end the process
constexpr UINT_PTR kTimerSlide = 2025;      // slide show of the progress window, every 1800 ms
constexpr UINT kMsgDownloadProgress = 2026; // to the progress window: wParam = percent 0..100
// Sent by a second copy to the main window: show this installation's foremost window (the progress
// window while a download runs); the window answers 1.
constexpr UINT kMsgBringToFront = 2027;
// WM_CLOSE's code when the installer closes a window itself; the system's closes (Alt+F4, system
// menu, taskbar) carry 0.
constexpr WPARAM kCloseByInstaller = 1;

// What every installer window is created with.
constexpr DWORD kInstallerWindowStyle = 0x96C80000; // popup, visible, clip, caption, system menu
constexpr int kInstallerWindowWidth = 600;
constexpr int kInstallerWindowHeight = 400;
constexpr UINT kInstallerIcon = 101;
constexpr const wchar_t* kToolTitle = L"在线安装工具";
