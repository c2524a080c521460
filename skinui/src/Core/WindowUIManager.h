#pragma once

#include "Core/DpiScaler.h"
#include "Core/ImageDrawInfo.h"
#include "Core/ImageRecord.h"
#include "Core/ShadowUI.h"
#include "Core/UIInterfaces.h"
#include "Utils/DispatchScope.h"
#include "Utils/PtrArray.h"
#include "Utils/StringPtrMap.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace SkinUI {

class CControlUI;
class CZipArchive;

// A font of a window or of the process; the size is the unscaled skin size. Metrics fill on first use.
struct FontInfo {
    HFONT hFont = nullptr;
    CUIString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm = {};
};

// The default colours of a window (ARGB).
struct DefaultColors {
    DWORD disabled = 0xFFA7A6AA;
    DWORD font = 0xFF000000;
    DWORD linkFont = 0xFF0000FF;
    DWORD linkHoverFont = 0xFFD3215F;
    DWORD selectedBk = 0xFFBAE4FF;
};

using ControlCreator = CControlUI* (*)(const wchar_t* className);

// Per-window engine of the framework: control tree, focus, capture, notifications, timers, delayed
// deletion; and the process-wide state and loops. Only the UI thread touches a manager or the statics;
// other threads hand work over with PostTask.
//
// Ownership of controls, one rule with no exception:
// - A control is registered with exactly one manager at a time: the one its GetManager() answers.
// - Moving it to another live window (any SetManager naming another manager) makes the old manager let go
//   of everything it holds for it: timers, focus, hover, click, key-down, name, option groups, post-paint
//   entries, filter, translator and notifier entries, and the sender of its queued notifications.
// - Deleting it releases it from whichever manager holds it at that moment.
// - A container's Remove without auto-destroy detaches it completely (no parent, no manager), so any later
//   call on it is safe, even after the window it came from is gone.
// - A control has one parent: a container's Add refuses a control that another container (or the same one)
//   or a tree node outside any tree still holds (remove it first), and the container itself or one of its
//   ancestors; AttachRootControl refuses a control a container holds. A window's root may be added
//   elsewhere: that window lets go of it.
// - A manager sets timers, option groups and post-paint entries only for its own controls.
// - Deletion waits for the dispatch. Every deletion the framework makes (a container's auto-destroy, a
//   replaced root, a closed window's tree, a removed tree node) goes through ControlDeletion. While any
//   dispatch runs (a message of a framework window, a notification, an event handler, a container placing
//   its children or a tab layout selecting a page, a build, a posted task, a focus change, whether a
//   message or the application started it: CDispatchScope), the control is not deleted: it leaves its window and parent at once, every lifetime
//   watcher of it or of a control under it sees it gone, and it is deleted from a message loop once no
//   dispatch runs; any loop of the UI thread does it (the queue wakes it through a message-only window of
//   its own). The delayed-destroy setting only decides whether a deletion outside any dispatch also waits
//   for the loop. So code up the stack of a handler never touches freed memory, whatever the handler
//   deleted; it stops where its watcher says the control is gone. A window's tree never outlives the
//   window object: a window that ends deletes its tree, and what left it for the queue, as the last
//   dispatch naming it returns (at once when none runs, also from another window's handler, or as a modal
//   dialog shown from one), before its final call, while the object is still whole. The web browser and Flash controls are COM objects too: deleted, they let go of their hosted
//   component and live on until its last Release; their events reach the application inside a dispatch.
//   An application that deletes a control it kept calls ControlDeletion::Delete rather than delete: only
//   that waits for the dispatch and for such a component's last Release. ControlDeletion::Delete refuses
//   (answers false for) a control a container still holds: the container's Remove takes it out.
// - A control waiting for its deletion belongs to the queue: every Add (and any other window's
//   AttachRootControl) refuses it; only the window whose root it was takes it back, by attaching it as
//   its root again.
// - After every handler the window checks where the control is, not only whether it lives: a control a
//   handler moved to another window gets nothing more from this one (no enter, hover, focus or press).
// Moving, deleting and removing take one path: CControlUI::SetManager (naming another manager or none)
// and the control's destructor both end in ReleaseControlReferences. Code that lends controls to another
// window (a sub-menu showing its item's sub-items) moves them there and back under this rule.
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

    // Skin source: a zip taken from a resource (name "membuffer"), a zip file, or plain files.
    static const CUIString& GetResourcePath();
    static void SetResourceType(int type) { s_resourceType = type; }
    static int GetResourceType() { return s_resourceType; }
    static void SetResourceZip(UINT resourceId, const wchar_t* resourceType, const wchar_t* password = nullptr);
    // A zip given as bytes (the resource path of SetResourceZip ends here too).
    static bool SetResourceZipMemory(const void* data, size_t size, const wchar_t* password = nullptr);
    static const CUIString& GetResourceZipName();
    static CZipArchive* GetResourceZipHandle();
    static const CUIString& GetResourceZipPassword();
    static bool IsResourceZipCached() { return true; }
    static CPtrArray* GetControlCreators();
    static bool AddControlCreator(ControlCreator creator);

    // Loops (UI thread only).
    static void MessageLoop();
    static bool PreTranslateMessage(const MSG* msg);
    static DWORD GetUIThreadId() { return s_uiThreadId; }
    // Any thread: queues a callable for the UI thread and wakes it through a message to the window.
    static bool PostTask(HWND wakeWindow, std::function<void()> task);
    // The window of some live manager (null when none has one): a wake-up for process-wide work.
    static HWND AnyLiveWindow();
    // None of the dispatches of a window that ended runs any more: the managers it had delete their trees.
    static void WindowUnwound(HWND hwnd);

    // Tree and lookup.
    void Init(HWND hwnd, const wchar_t* name = nullptr);
    bool AttachRootControl(CControlUI* root);
    // runInit false binds a subtree that was initialised before (one given back to its window).
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr, bool runInit = true);
    // Lets go of everything this manager holds for the control (see the rule above).
    void ReleaseControlReferences(CControlUI* control);
    // A control of this window renamed: found by its new name, no longer by the old one.
    void NameChanged(CControlUI* control, const CUIString& oldName);
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
    // Passes on a notification of a control of another window (a menu, a drop list) to this window's
    // notifiers; the control's own OnNotify saw it in its own window already.
    void ForwardNotify(NotifyMessage& msg);
    // True while the manager exists (it may have no window).
    static bool Exists(const CWindowUIManager* manager);
    void SetUseVirtualWnd(bool use) { m_useVirtualWnd = use; }
    bool IsUsingVirtualWnd() const { return m_useVirtualWnd; }

    // Option groups.
    bool AddToOptionGroup(const wchar_t* group, CControlUI* control);
    CPtrArray* GetOptionGroup(const wchar_t* group) const;
    void RemoveFromOptionGroup(const wchar_t* group, CControlUI* control);
    void RemoveFromEveryOptionGroup(CControlUI* control);
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
    void ResetDPIAssets();

    // Fonts.
    HFONT AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic, bool shared = false);
    void SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic, bool shared = false);
    HFONT GetFont(int id);
    HFONT GetFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    // A font of that style, sized for this window's scale, among the window's or shared fonts, else one
    // made for styled text and shared by every window of that scale until Term, apart from the fonts skins
    // add by id.
    HFONT GetStyledFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    FontInfo* GetFontInfo(int id);
    FontInfo* GetFontInfo(HFONT font);
    FontInfo* GetDefaultFontInfo();
    bool AddFontFile(const wchar_t* name);
    void RemoveAllFonts(bool shared = false);

    // Images.
    const ImageRecord* AddImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                                bool useHsl = false, bool shared = false, HINSTANCE instance = nullptr);
    const ImageRecord* GetImage(const wchar_t* name) const;
    const ImageRecord* GetImageOrLoad(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                                      bool useHsl = false, HINSTANCE instance = nullptr);
    bool RemoveImage(const wchar_t* name, bool shared = false);
    void RemoveAllImages(bool shared = false);
    const ImageDrawInfo* GetImageDrawInfo(const wchar_t* description, const wchar_t* modify = nullptr);
    void RemoveAllImageDrawInfos();

    // Default attribute lists and styles.
    void SetDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared = false);
    const wchar_t* GetDefaultAttributeList(const wchar_t* className) const;
    void RemoveAllDefaultAttributeList(bool shared = false);
    void AddStyle(const wchar_t* name, const wchar_t* attributes, bool shared = false);
    const wchar_t* GetStyle(const wchar_t* name) const;
    void RemoveAllStyles(bool shared = false);
    void SetUseSharedResources(bool use) { m_useSharedResources = use; }
    bool IsUseSharedResources() const { return m_useSharedResources; }

    // Default colours.
    DWORD GetDefaultDisabledColor() const { return m_colors.disabled; }
    DWORD GetDefaultFontColor() const { return m_colors.font; }
    DWORD GetDefaultLinkFontColor() const { return m_colors.linkFont; }
    DWORD GetDefaultLinkHoverFontColor() const { return m_colors.linkHoverFont; }
    DWORD GetDefaultSelectedBkColor() const { return m_colors.selectedBk; }
    void SetDefaultDisabledColor(DWORD color, bool shared = false);
    void SetDefaultFontColor(DWORD color, bool shared = false);
    void SetDefaultLinkFontColor(DWORD color, bool shared = false);
    void SetDefaultLinkHoverFontColor(DWORD color, bool shared = false);
    void SetDefaultSelectedBkColor(DWORD color, bool shared = false);

    // Window geometry and appearance.
    SIZE GetInitSize();
    void SetInitSize(int cx, int cy, bool scale = true);
    SIZE GetMinInfo() const { return m_minSize; }
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const { return m_maxSize; }
    void SetMaxInfo(int cx, int cy);
    RECT GetSizeBox() const { return m_sizeBox; }
    void SetSizeBox(const RECT& rc) { m_sizeBox = rc; }
    RECT GetCaptionRect() const { return m_caption; }
    void SetCaptionRect(const RECT& rc) { m_caption = rc; }
    SIZE GetRoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = SIZE{cx, cy}; }
    bool IsShowUpdateRect() const { return m_showDirty; }
    void SetShowUpdateRect(bool show) { m_showDirty = show; }
    bool IsNoActivate() const { return m_noActivate; }
    void SetNoActivate(bool noActivate) { m_noActivate = noActivate; }
    DWORD GetHoverTime() const { return m_hoverTime; }
    void SetHoverTime(DWORD ms) { m_hoverTime = ms; }
    bool IsUseGdiplusText() const { return m_gdiplusText; }
    void SetUseGdiplusText(bool use) { m_gdiplusText = use; }
    int GetGdiplusTextRenderingHint() const { return m_textRenderingHint; }
    void SetGdiplusTextRenderingHint(int hint) { m_textRenderingHint = hint; }
    BYTE GetOpacity() const { return m_opacity; }
    void SetOpacity(BYTE opacity);
    bool IsLayered() const { return m_layered; }
    void SetLayered(bool layered);
    RECT GetLayeredInset() const { return m_layeredInset; }
    void SetLayeredInset(const RECT& rc);
    BYTE GetLayeredOpacity() const { return m_layeredOpacity; }
    void SetLayeredOpacity(BYTE opacity);
    const wchar_t* GetLayeredImage() const { return m_layeredImage.sDrawString; }
    void SetLayeredImage(const wchar_t* description);
    // The last composed frame of a layered window (bottom-up 32-bit rows), for inspection.
    const BYTE* GetOffscreenBits() const { return m_offscreenBits; }
    bool IsPainting() const { return m_paintingNow; }
    // The picture of the control last pressed with dragging enabled.
    HBITMAP GetDragImage() const { return m_dragImage; }

    CShadowUI* GetShadow() { return &m_shadow; }

    // Window messages.
    bool MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct TimerRecord;

    void KillFocus(CControlUI* newFocus);
    // Held across a framework call that may run the application's code: the window's end (its tree, its
    // object, this manager) waits until the call has returned, whether a message or the application made it.
    CDispatchScope KeepWindowWhileActing() const;
    // The control's lifetime watch across a call into the application; none (always expired) for no control.
    static std::weak_ptr<void> WatchedLifetime(const CControlUI* control);
    void StampNotify(NotifyMessage& msg) const;
    void DeliverNotify(NotifyMessage& msg, bool toSender = true);
    static CPtrArray& AllManagers();
    void ProcessDelayedWork();
    void PostDelayedWork();
    void RegisterNames(CControlUI* root);
    // Forgets the control's name if it answers to it; another control of this window with that name takes it.
    void ReleaseName(CControlUI* control, const CUIString& name);
    void ReleaseListenerEntries(CControlUI* control);
    bool HoldsFor(const CControlUI* control) const;
    // After a handler ran: the control is alive and still this window's (a handler may have moved it).
    bool StillHolds(const CControlUI* control, const std::weak_ptr<void>& alive) const;
    void DetachFromWindow();
    void DestroyToolTip();
    void EnsureToolTip();
    static bool RunFilters(const CPtrArray& filters, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool HandleTimerMessage(WPARAM wParam, LPARAM lParam);
    bool HandleSysChar(WPARAM wParam);
    // Consumed: an accelerator took the message; Handled: the pre-message handling did.
    enum class PreTranslation { Passed, Handled, Consumed };
    PreTranslation PreTranslateInOwnWindow(const MSG& msg);
    void SendEventTo(CControlUI* control, int type, WPARAM wParam = 0, LPARAM lParam = 0, wchar_t key = 0);
    // Button messages carry the key state of their moment in wParam.
    void SendButtonEvent(CControlUI* control, int type, WPARAM wParam, LPARAM lParam);
    void DispatchTo(CControlUI* control, int type, WPARAM wParam, LPARAM lParam, wchar_t key, WORD keyState);
    bool IsNativeTimerIdInUse(UINT nativeId) const;
    int FindTimer(const CControlUI* control, UINT id) const;
    void FreeTimersOf(CControlUI* control);

    static CPtrArray& LiveManagers();
    void InitSharedState();
    void StartGdiplus();
    void StopGdiplus();
    bool UpdateLayered(HDC windowDc, const RECT& client);
    void ReleaseWindowResources();
    void FillMetrics(FontInfo& info);
    void RecreateFont(FontInfo& info);
    FontInfo& AtOwnScale(FontInfo& shared);
    FontInfo* NewFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    CUIStringPtrMap& FontMap(bool shared);
    void SetDefaultColor(DWORD DefaultColors::*which, DWORD color, bool shared);
    // Paint and mouse helpers.
    bool OnPaint();
    void LayoutIfNeeded(const RECT& client, bool& laidOut, bool& stop);
    void PaintOffscreen(const RECT& paint, const RECT& client);
    void ComposeLayered(const RECT& paint, const RECT& client);
    void DeleteOffscreen();
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnButtonDown(WPARAM wParam, LPARAM lParam);
    bool OnMouseHover(WPARAM wParam, LPARAM lParam);
    // A closing window ends any hover and press: nothing of them may outlive it.
    void EndHoverAndPress();
    // A press ends that the window will not see released (focus or capture taken, or the window closing).
    void EndPressWithoutRelease();
    void OnMouseLeave();
    bool OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnGetMinMaxInfo(MINMAXINFO* info) const;
    void OnPrintClient(HDC hdc, LPARAM flags);
    void UpdateMouseFromFilter(UINT msg, LPARAM lParam);
    void OnButtonOther(UINT msg, WPARAM wParam, LPARAM lParam);
    CControlUI* OwnControlAt(POINT pt) const;
    void StoreMouse(LPARAM lParam);
    void NoteKeyDown(WPARAM key, CControlUI* control);
    CControlUI* TakeKeyDown(WPARAM key);

    CUIString m_name;
    HWND m_hwnd = nullptr;
    HDC m_hdc = nullptr;
    // The window that ended while its dispatches still ran: the tree goes as the last of them returns.
    HWND m_endedWindow = nullptr;

    CControlUI* m_root = nullptr;
    CControlUI* m_focus = nullptr;
    // Counts focus changes begun, so that a change begun by a handler inside another is noticed.
    unsigned m_focusMoves = 0;
    CControlUI* m_hover = nullptr;
    CControlUI* m_click = nullptr;
    // Each key held down, with the control that saw it go down: its key-up goes there, wherever the focus went.
    std::vector<std::pair<WPARAM, CControlUI*>> m_keysDown;

    POINT m_lastMousePos = {-1, -1};
    bool m_captured = false;
    bool m_dragging = false;

    HWND m_toolTip = nullptr;
    TOOLINFOW m_toolInfo = {};
    // The tooltip window reads the text through m_toolInfo: it must outlive the hovered control's answer.
    CUIString m_toolTipText;

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
    CPtrArray m_asyncNotifications;

    CUIStringPtrMap m_names;
    CUIStringPtrMap m_optionGroups;

    std::unique_ptr<CDpiScaler> m_dpiScaler;
    UINT m_timerCounter = 4096;

    // Resources of this window.
    DefaultColors m_colors;
    FontInfo m_defaultFont;
    CUIStringPtrMap m_fonts;
    CUIStringPtrMap m_images;
    CUIStringPtrMap m_defaultAttributes;
    CUIStringPtrMap m_styles;
    CUIStringPtrMap m_drawInfos;
    std::vector<HANDLE> m_memoryFonts;
    bool m_useSharedResources = false;
    ULONG_PTR m_gdiplusToken = 0;

    // Geometry and appearance.
    SIZE m_initSize = {0, 0};
    SIZE m_minSize = {0, 0};
    SIZE m_maxSize = {0, 0};
    RECT m_sizeBox = {0, 0, 0, 0};
    RECT m_caption = {0, 0, 0, 0};
    SIZE m_roundCorner = {0, 0};
    bool m_showDirty = false;
    bool m_noActivate = false;
    DWORD m_hoverTime = 400;
    bool m_gdiplusText = false;
    int m_textRenderingHint = 0;
    BYTE m_opacity = 255;
    bool m_layered = false;
    RECT m_layeredInset = {0, 0, 0, 0};
    BYTE m_layeredOpacity = 255;
    ImageDrawInfo m_layeredImage;
    bool m_layeredImageChanged = false;

    // Painting.
    bool m_paintingNow = false;
    bool m_mouseTracking = false;
    HDC m_offscreenDc = nullptr;
    HBITMAP m_offscreenBitmap = nullptr;
    BYTE* m_offscreenBits = nullptr;
    SIZE m_offscreenSize = {0, 0};  // of the off-screen and background bitmaps
    HDC m_backgroundDc = nullptr;
    HBITMAP m_backgroundBitmap = nullptr;
    BYTE* m_backgroundBits = nullptr;

    HBITMAP m_dragImage = nullptr;
    CShadowUI m_shadow;

    static HINSTANCE s_instance;
    static DWORD s_uiThreadId;
    static int s_resourceType;
};

}  // namespace SkinUI
