#pragma once

#include "Utils/DispatchScope.h"

#include <windows.h>

namespace SkinUI {

// Binds one Win32 window to one object: class registration or superclassing, creation, message routing
// to HandleMessage, OnFinalMessage after the last message. The object must outlive its window.
class CWindowWnd {
public:
    CWindowWnd() = default;
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    HWND CreateWithRect(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rc,
                        HMENU menu = nullptr);
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window and runs a modal loop until it is destroyed; answers the wParam of the WM_CLOSE
    // that closed it (0 when none was seen).
    UINT ShowModal();
    void Close(UINT result = IDOK);
    void CenterWindow();
    void SetIcon(UINT resourceId);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void Unsubclass();

    // The object bound to a window of this framework (null for other windows).
    static CWindowWnd* FromHandle(HWND hwnd);

    // Runs a window's handlers outside its window procedure (pre-translation, notifications sent from
    // elsewhere, framework calls the application makes) under the same rule as its own messages: a window
    // destroyed meanwhile loses its tree and gets its final call, which may delete the object, only when
    // the outermost scope or message naming it has ended.
    using HandlerScope = CDispatchScope;

    // Something waits for a window's dispatches to end (its final call, a manager's tree): from then on
    // the end of the last one finishes the window.
    static void FinishWhenUnwound();

protected:
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hwnd);

    HWND m_hWnd = nullptr;
    WNDPROC m_oldWndProc = ::DefWindowProcW;
    bool m_subclassed = false;

private:
    bool RegisterWindowClass();
    bool RegisterSuperclass();
    LRESULT FinalMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    static CWindowWnd* BindOnCreate(HWND hwnd, LPARAM lParam);
    static LRESULT CALLBACK StandardWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SuperclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT Route(CWindowWnd* window, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // None of the window's dispatches runs any more: its managers' trees go, then its final call comes.
    static void WindowUnwound(const void* window);
    // A modal window's close, whichever loop dispatched it: ShowModal answers its code.
    static void NoteModalClose(HWND window, WPARAM code);
    static void NoteModalCloseRefused(HWND window);
};

// Top-left corner that centres a window over a reference rectangle, kept inside the work area.
POINT CenteredWindowOrigin(const RECT& window, const RECT& reference, const RECT& workArea);

}  // namespace SkinUI
