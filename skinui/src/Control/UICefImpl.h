#pragma once

#include "Control/UICef.h"
#include "Core/UIInterfaces.h"
#include "Internal/Cef/ClientHandlerOsr.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI {

class CWindowUIManager;

// One frame the engine delivered (view or popup), kept in a top-down 32-bit DIB section for painting.
class CefFrameBuffer {
public:
    CefFrameBuffer();
    ~CefFrameBuffer();
    CefFrameBuffer(const CefFrameBuffer&) = delete;
    CefFrameBuffer& operator=(const CefFrameBuffer&) = delete;

    // Copies width * height BGRA pixels in, resizing the section when the size changed.
    bool Store(const void* pixels, int width, int height);
    // Copies at most maxWidth x maxHeight pixels to |target| at x, y; nothing before the first frame.
    void BlitTo(HDC target, int x, int y, int maxWidth, int maxHeight);
    SIZE GetSize();

private:
    CRITICAL_SECTION m_lock;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_initialBitmap = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// Where and when the last click happened, to count double and triple clicks.
struct CefMouseState {
    POINT current = {0, 0};
    POINT last = {0, 0};
    bool rotating = false;
    bool tracking = false;
    int lastClickX = 0;
    int lastClickY = 0;
    cef_mouse_button_type_t lastClickButton = MBT_LEFT;
    int clickCount = 0;
    double lastClickTime = 0;
    bool buttonDownOutsidePopup = false;
    bool pressHeld = false;
};

// The web view's worker: creates the browser, answers the engine's callbacks and forwards input.
class CCefUI::CCefUIImpl : public ClientHandlerOsr::OsrDelegate, public IMessageFilterUI {
public:
    explicit CCefUIImpl(CCefUI* owner);
    ~CCefUIImpl() override;
    CCefUIImpl(const CCefUIImpl&) = delete;
    CCefUIImpl& operator=(const CCefUIImpl&) = delete;

    void SetTransparent(bool transparent) { m_transparent = transparent; }
    void SetOpenGL(bool openGL) { m_openGL = openGL; }
    void SetOffscreen(bool offscreen) { m_offscreen = offscreen; }
    void SetDrag(bool drag) { m_drag = drag; }
    void SetFrameRate(int frameRate);
    void SetBackgroundColor(uint32_t color) { m_backgroundColor = color; }

    bool CreateBrowser();
    void LoadUrl();
    void OnControlMoved();
    // The view joined another window: its browser closes, shows and hides with that one, and the
    // browser's own windows move into it. Out of every window, it belongs to none until it joins one.
    void FollowWindow();
    void SetBrowserVisible(bool visible);
    void PaintFrames(HDC hdc);
    // Keyboard and mouse window messages, from the control or from the OSR window.
    void HandleKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleFocus(bool gained);
    // The manager turns only the left double click into a control event; in a window with
    // CS_DBLCLKS the second press of a right or middle double click is taken here.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // ClientHandlerOsr::OsrDelegate
    void OnBrowserClosing(CefRefPtr<CefBrowser> browser) override;
    void OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) override;
    void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, cef_errorcode_t errorCode,
                     const CefString& errorText, const CefString& failedUrl) override;
    void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int) override {}
    void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                             CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) override;
    void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
    void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;
    bool GetRootScreenRect(CefRefPtr<CefBrowser>, CefRect&) override { return false; }
    bool GetViewRect(CefRefPtr<CefBrowser> browser, CefRect& rect) override;
    bool GetScreenPoint(CefRefPtr<CefBrowser> browser, int viewX, int viewY, int& screenX, int& screenY) override;
    bool GetScreenInfo(CefRefPtr<CefBrowser> browser, CefScreenInfo& screenInfo) override;
    void OnPopupShow(CefRefPtr<CefBrowser> browser, bool show) override;
    void OnPopupSize(CefRefPtr<CefBrowser> browser, const CefRect& rect) override;
    void OnPaint(CefRefPtr<CefBrowser> browser, cef_paint_element_type_t type, const std::vector<CefRect>& dirtyRects,
                 const void* buffer, int width, int height) override;
    void OnCursorChange(CefRefPtr<CefBrowser> browser, CefCursorHandle cursor) override;
    void OnJSCall(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> arguments) override;
    bool AllowsPopupInSameFrame(CefRefPtr<CefBrowser>, const CefString&) override { return true; }
    void OnResourceResponse(CefRefPtr<CefBrowser> browser, const std::string& requestUrl, int statusCode) override;
    void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, cef_termination_status_t status) override;
    void OnDraggableRegionsChanged(CefRefPtr<CefBrowser> browser,
                                   const std::vector<CefDraggableRegion>& regions) override;

private:
    CWindowUIManager* Manager() const;
    HWND ManagerWindow() const;
    float Scale() const;
    RECT ControlRect() const;
    CefRefPtr<CefBrowserHost> Host() const;
    // Off-screen input arrives in the OSR window's coordinates with OpenGL, else in the manager's window.
    HWND InputWindow() const;
    bool UsesOsrWindow() const { return m_offscreen && m_openGL && m_osrWindow; }
    // No callback of a view the application let go of runs, even while its deletion waits for the dispatch.
    bool OwnerLetGo() const { return m_owner->WatchLifetime().expired(); }
    // The child window at the control's place: the browser's own when windowed, the OSR window with OpenGL.
    HWND PlacedWindow() const;
    void LeaveHookRegistry(CefRefPtr<CefBrowser> browser);
    // Whether the window's close request waits for its browsers.
    static bool IsClosing(HWND window);
    void WatchDoubleClicks(bool watch);
    // Drops what a creation set up (refused by the engine, or its browser arrived with no window to show
    // it), so that the next attempt starts afresh.
    void ForgetCreation();
    // Closes a browser that arrived where it can never be shown, and drops its creation.
    void DropArrivedBrowser();

    // Off-screen window and OpenGL painting.
    bool CreateOsrWindow(const RECT& rc);
    void DestroyOsrWindow();
    bool SetupOpenGL();
    void ReleaseOpenGL();
    void PaintWithOpenGL(cef_paint_element_type_t type, const std::vector<CefRect>& dirtyRects, const void* buffer,
                         int width, int height);
    void DrawOpenGLFrame();
    static LRESULT CALLBACK OsrWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Mouse helpers.
    POINT PointInView(LPARAM lParam) const;
    bool CancelsPreviousClick(POINT point) const;
    POINT CorrectedForPopup(POINT point) const;
    bool IsOverPopup(POINT point) const;
    bool IsPopupMoved() const;
    void OnMouseMove(POINT point, WPARAM wParam);
    void OnButtonDown(UINT message, POINT point, WPARAM wParam);
    void OnButtonUp(UINT message, POINT point, WPARAM wParam);
    void OnWheel(WPARAM wParam, LPARAM lParam);
    void OnMouseLeave(WPARAM wParam);
    CefMouseEvent LogicalEvent(POINT point, WPARAM wParam) const;

    // Draggable regions.
    // Off-screen the region lies in the coordinates of the window that takes the clicks: it is moved to
    // wherever the layout has put the view (the engine sends regions only when the page changes them).
    void PlaceDragRegion();
    void ApplyDragRegion(HWND window);
    static BOOL CALLBACK ApplyDragRegionToChild(HWND child, LPARAM self);
    void RemoveDragSubclasses();
    // The view left one top-level window for another: presses in the page's draggable regions move
    // the new one from now on.
    void RetargetDragSubclasses(HWND left, HWND topLevel);

    CCefUI* m_owner;
    CefFrameBuffer m_view;
    CefFrameBuffer m_popup;
    CefRect m_requestedPopupRect;
    CefRect m_popupRect;
    SIZE m_viewSize = {0, 0};
    CUIString m_url;
    std::vector<std::string> m_blockList;
    int m_frameRate = 30;
    bool m_transparent = false;
    uint32_t m_backgroundColor = 0xFFFFFFFF;
    CefMouseState m_mouse;
    CefRefPtr<ClientHandlerOsr> m_clientHandler;
    CefRefPtr<CefBrowser> m_browser;
    bool m_offscreen = true;
    bool m_openGL = false;
    bool m_openGLReady = false;
    bool m_drag = false;
    unsigned int m_textureId = 0;
    SIZE m_textureSize = {0, 0};
    HDC m_openGLDc = nullptr;
    HGLRC m_openGLContext = nullptr;
    HWND m_osrWindow = nullptr;
    bool m_closing = false;
    HRGN m_dragRegion = nullptr;
    // Where the page's top-left corner lies in m_dragRegion's coordinates.
    POINT m_dragRegionOrigin = {0, 0};
    // The window the browser was registered under, kept past the manager's window handle.
    HWND m_registeredWindow = nullptr;
    std::vector<HWND> m_dragWindows;
    // The browser's close began for a window the view has left since: once it has closed, the view gets a
    // new one where it shows.
    bool m_closingForWindowLeft = false;
    // The manager whose messages are watched for double clicks while a browser is present.
    CWindowUIManager* m_filterManager = nullptr;
};

}  // namespace SkinUI
