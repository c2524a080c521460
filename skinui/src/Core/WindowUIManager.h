#pragma once

#include "Core/DpiScaler.h"
#include "Core/UIInterfaces.h"
#include "Utils/PtrArray.h"
#include "Utils/StringPtrMap.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>

namespace SkinUI {

class CControlUI;

// Per-window engine of the framework: control tree, focus, capture, notifications, timers, delayed
// deletion; and the process-wide state and loops. Only the UI thread touches a manager or the statics;
// other threads hand work over with PostTask.
class CWindowUIManager {
public:
    CWindowUIManager();
    ~CWindowUIManager();
    CWindowUIManager(const CWindowUIManager&) = delete;
    CWindowUIManager& operator=(const CWindowUIManager&) = delete;

    // Process-wide state.
    static void SetInstance(HINSTANCE instance) { s_instance = instance; }
    static HINSTANCE GetInstance() { return s_instance; }
    static HINSTANCE GetResourceInstance();
    static void Term();

    // Loops (UI thread only).
    static void MessageLoop();
    static bool PreTranslateMessage(const MSG* msg);
    static DWORD GetUIThreadId() { return s_uiThreadId; }
    // Any thread: queues a callable for the UI thread and wakes it through a message to the window.
    static bool PostTask(HWND wakeWindow, std::function<void()> task);

    // Tree and lookup.
    void Init(HWND hwnd, const wchar_t* name = nullptr);
    bool AttachRootControl(CControlUI* root);
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    void ReleaseControlReferences(CControlUI* control);
    CControlUI* FindControl(const wchar_t* name) const;
    CControlUI* FindControlAtPoint(POINT pt) const;
    CControlUI* GetRoot() const { return m_root; }
    CControlUI* GetFocus() const { return m_focus; }
    HWND GetWindowHandle() const { return m_hwnd; }
    HDC GetDeviceContext() const { return m_hdc; }
    POINT GetMousePos() const { return m_lastMousePos; }
    const CUIString& GetName() const { return m_name; }

    // Focus and capture.
    void SetFocus(CControlUI* control);
    void SetFocusDeferred(CControlUI* control);
    bool MoveFocusToNextTabStop(bool forward = true);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_captured; }

    // Listeners and filters.
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);
    bool TranslateAccelerator(MSG* msg);
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    bool RemoveNativeWindow(HWND hwnd);
    void AddDelayedCleanup(CControlUI* control);

    // Notifications.
    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SendNotifyRecord(NotifyMessage& msg, bool async = false);
    void SetUseVirtualWnd(bool use) { m_useVirtualWnd = use; }
    bool IsUsingVirtualWnd() const { return m_useVirtualWnd; }

    // Option groups.
    bool AddToOptionGroup(const wchar_t* group, CControlUI* control);
    CPtrArray* GetOptionGroup(const wchar_t* group) const;
    void RemoveFromOptionGroup(const wchar_t* group, CControlUI* control);
    void RemoveAllOptionGroups();

    // Per-control timers (WM_TIMER on the UI thread).
    bool SetTimer(CControlUI* control, UINT id, UINT elapseMs);
    bool KillTimer(CControlUI* control, UINT id);
    void RemoveAllTimers();

    // Invalidation and layout requests.
    void Invalidate(RECT& rc);
    void Invalidate();
    void NeedUpdate() { m_updateNeeded = true; }
    bool IsUpdateNeeded() const { return m_updateNeeded; }

    // Tooltip.
    void ShowToolTipAt(const wchar_t* text, int x, int y);
    void HideToolTip();
    HWND GetToolTipWindow() const { return m_toolTip; }

    // DPI.
    CDpiScaler* GetDpiScaler();
    void SetDPI(int dpi);

    // Window messages.
    bool MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct TimerRecord;

    void KillFocus(CControlUI* newFocus);
    void DeliverNotify(NotifyMessage& msg);
    void ProcessDelayedWork();
    void PostDelayedWork();
    void RegisterNames(CControlUI* root);
    void DetachFromWindow();
    void DestroyToolTip();
    void EnsureToolTip();
    static bool RunFilters(const CPtrArray& filters, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool HandleTimerMessage(WPARAM wParam, LPARAM lParam);
    bool HandleSysChar(WPARAM wParam);
    void SendEventTo(CControlUI* control, int type, WPARAM wParam = 0, LPARAM lParam = 0, wchar_t key = 0);
    bool IsNativeTimerIdInUse(UINT nativeId) const;
    void FreeTimersOf(CControlUI* control);

    static CPtrArray& LiveManagers();

    CUIString m_name;
    HWND m_hwnd = nullptr;
    HDC m_hdc = nullptr;

    CControlUI* m_root = nullptr;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hover = nullptr;
    CControlUI* m_click = nullptr;
    CControlUI* m_keyDown = nullptr;

    POINT m_lastMousePos = {-1, -1};
    bool m_captured = false;
    bool m_dragging = false;

    HWND m_toolTip = nullptr;
    TOOLINFOW m_toolInfo = {};

    bool m_firstLayout = true;
    bool m_updateNeeded = false;
    bool m_focusNeeded = false;
    bool m_useVirtualWnd = false;
    bool m_delayedWorkPosted = false;
    RECT m_dirty = {0, 0, 0, 0};

    CPtrArray m_notifiers;
    CPtrArray m_timers;
    CPtrArray m_translators;
    CPtrArray m_preMessageFilters;
    CPtrArray m_messageFilters;
    CPtrArray m_postPaintControls;
    CPtrArray m_nativeWindows;
    CPtrArray m_nativeWindowControls;
    CPtrArray m_delayedCleanup;
    CPtrArray m_asyncNotifications;

    CUIStringPtrMap m_names;
    CUIStringPtrMap m_optionGroups;

    std::unique_ptr<CDpiScaler> m_dpiScaler;
    UINT m_timerCounter = 4096;

    static HINSTANCE s_instance;
    static DWORD s_uiThreadId;
};

}  // namespace SkinUI
