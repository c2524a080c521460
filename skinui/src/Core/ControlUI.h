#pragma once

#include "Core/UIEvents.h"
#include "Core/WindowWnd.h"
#include "Utils/StringPtrMap.h"
#include "Utils/Delegate.h"
#include "Utils/UIString.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace SkinUI {

class CWindowUIManager;
class CControlUI;

using FindControlProc = CControlUI*(CALLBACK*)(CControlUI* control, void* data);

// Flags of tree searches (FindControl).
enum FindFlags : UINT {
    FIND_ALL = 0x00000000,
    FIND_VISIBLE = 0x00000001,
    FIND_ENABLED = 0x00000002,
    FIND_HITTEST = 0x00000004,
    FIND_UPDATETEST = 0x00000008,
    FIND_TOP_FIRST = 0x00000010,
    FIND_ME_FIRST = 0x80000000,
};

// Answers of GetControlFlags.
enum ControlFlags : UINT {
    CONTROL_FLAG_TABSTOP = 0x00000001,
    CONTROL_FLAG_SETCURSOR = 0x00000002,
};

// Base of every control: identity, place in the tree, geometry, colours and images, attributes, painting,
// events. Geometry fields hold unscaled skin pixels; their getters scale by the window's DPI.
class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    static CControlUI* CreateInstance() { return new CControlUI(); }

    virtual CUIString GetName() const { return m_name; }
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* GetClass() const { return L"Control"; }
    virtual void* GetInterface(const wchar_t* name);
    virtual UINT GetControlFlags() const { return 0; }
    virtual bool Activate();
    virtual CWindowUIManager* GetManager() const { return m_manager; }
    // The manager only while it still exists: a control the application kept after removing it may be
    // deleted after its window and manager are gone. Whatever runs while a control is deleted asks this.
    CWindowUIManager* LiveManager() const;
    virtual void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true);
    // Code that goes on with a control after calling into the application (a notification, an event
    // source) takes this first and stops when it has expired: the handler may have deleted the control.
    std::weak_ptr<void> WatchLifetime() const { return m_lifetime; }
    virtual CControlUI* GetParent() const { return m_parent; }

    virtual CUIString GetText() const;
    virtual void SetText(const wchar_t* text);
    virtual bool IsResourceText() const { return m_resourceText; }
    virtual void SetResourceText(bool resource);
    virtual bool IsDragEnabled() const { return m_dragEnabled; }
    virtual void SetDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    virtual bool IsDropEnabled() const { return m_dropEnabled; }
    virtual void SetDropEnabled(bool enabled) { m_dropEnabled = enabled; }

    virtual RECT GetRelativePos() const;
    virtual RECT GetClientPos() const { return m_rcItem; }
    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc, bool invalidate = true);
    virtual void Move(SIZE offset, bool invalidate = true);
    virtual int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
    virtual int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
    virtual int GetX() const { return m_rcItem.left; }
    virtual int GetY() const { return m_rcItem.top; }
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT padding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE xy);
    virtual int GetFixedWidth() const { return Scaled(m_fixedWidth); }
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const { return Scaled(m_fixedHeight); }
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const { return Scaled(m_minWidth); }
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const { return Scaled(m_maxWidth); }
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const { return Scaled(m_minHeight); }
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const { return Scaled(m_maxHeight); }
    virtual void SetMaxHeight(int cy);
    virtual const double* GetFloatPercent() const { return m_floatPercent; }
    virtual void SetFloatPercent(double left, double top, double right, double bottom);
    virtual void SetFloatAlign(UINT align);
    virtual UINT GetFloatAlign() const { return m_floatAlign; }

    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* text);
    virtual void SetToolTipWidth(int width) { m_toolTipWidth = width; }
    virtual int GetToolTipWidth() const { return Scaled(m_toolTipWidth); }
    virtual WORD GetCursor() const { return m_cursor; }
    virtual void SetCursor(WORD cursor);

    virtual wchar_t GetShortcut() const { return m_shortcut; }
    virtual void SetShortcut(wchar_t ch) { m_shortcut = ch; }
    virtual bool IsContextMenuUsed() const { return m_contextMenu; }
    virtual void SetContextMenuUsed(bool used) { m_contextMenu = used; }
    virtual const CUIString& GetUserData() const { return m_userData; }
    virtual void SetUserData(const wchar_t* text) { m_userData = text; }
    virtual UINT_PTR GetTag() const { return m_tag; }
    virtual void SetTag(UINT_PTR tag) { m_tag = tag; }

    virtual bool IsVisible() const { return m_visible && m_internalVisible; }
    // Visible by its own setting, whatever its hidden ancestors make of it.
    bool IsOwnVisible() const { return m_visible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternalVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const { return m_mouseEnabled; }
    virtual void SetMouseEnabled(bool enabled = true) { m_mouseEnabled = enabled; }
    virtual bool IsKeyboardEnabled() const { return m_keyboardEnabled; }
    virtual void SetKeyboardEnabled(bool enabled = true) { m_keyboardEnabled = enabled; }
    virtual bool IsFocused() const { return m_focused; }
    virtual void SetFocus();
    virtual bool IsFloat() const { return m_float; }
    virtual void SetFloat(bool floating = true);

    virtual CControlUI* FindControl(FindControlProc proc, void* data, UINT flags);
    virtual void Init();
    virtual void InitControl() {}
    virtual void DispatchEvent(ControlEvent& event);
    virtual void HandleEvent(ControlEvent& event);
    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
    virtual SIZE CalcDesiredSize(SIZE available);

    virtual bool Paint(HDC hdc, const RECT& paint, CControlUI* stop);
    virtual bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop);
    virtual void PaintBackgroundColor(HDC hdc);
    virtual void PaintBackgroundImage(HDC hdc);
    virtual void PaintStateImage(HDC) {}
    virtual void PaintForegroundColor(HDC hdc);
    virtual void PaintForegroundImage(HDC hdc);
    virtual void PaintText(HDC) {}
    virtual void PaintBorder(HDC hdc);
    virtual void PaintOverlay(HDC, const RECT&) {}

    void ApplyAttributeList(const wchar_t* list);
    CUIString GetVirtualWnd() const;
    void SetVirtualWnd(const wchar_t* name);
    bool IsUpdateNeeded() const { return m_needsLayout; }
    void Invalidate();
    void RequestLayout();
    void RequestParentLayout();

    DWORD GetBkColor() const { return m_bkColor; }
    void SetBkColor(DWORD color);
    DWORD GetBkColor2() const { return m_bkColor2; }
    DWORD GetBkColor3() const { return m_bkColor3; }
    DWORD GetForeColor() const { return m_foreColor; }
    DWORD GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(DWORD color);
    DWORD GetFocusBorderColor() const { return m_focusBorderColor; }
    RECT GetBorderSize() const;
    void SetBorderSize(RECT size);
    SIZE GetBorderRound() const;
    int GetBorderStyle() const { return m_borderStyle; }
    const CUIString& GetBkImage() const { return m_bkImage; }
    void SetBkImage(const wchar_t* description);
    const CUIString& GetForeImage() const { return m_foreImage; }
    DWORD GetAdjustedColor(DWORD color) const;
    bool DrawImage(HDC hdc, const wchar_t* description, const wchar_t* modify = nullptr);
    const wchar_t* GetCustomAttribute(const wchar_t* name) const;

    CEventSource OnInit;
    CEventSource OnDestroy;
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;

protected:
    // The last step of every deletion the framework makes (ControlDeletion): a control that other objects
    // still hold by reference counts overrides it to wait for their release.
    virtual void DeleteSelf() { delete this; }
    // A control that closes a native window of its own while it is deleted calls this first: the
    // focus that moves back to the window must not reach (and reopen) a control that is going.
    void ReleaseManagerReferences();
    // Held by an action that goes on after it has notified (a click whose handler may destroy the
    // window): the window object, and this control with it, stay until the action ends.
    CWindowWnd::HandlerScope KeepWindowWhileActing() const;
    // A control that takes no mouse input passes mouse events to its parent, or to fallback when it has
    // none. True when the event went on so.
    bool PassMouseToParent(ControlEvent& event, const std::function<void()>& fallback);
    int Scaled(int value) const;
    RECT ScaledEdges(const RECT& edges) const;
    bool SetColorAttribute(DWORD& field, DWORD color);

    CWindowUIManager* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    CUIString m_virtualWnd;
    CUIString m_name;
    bool m_needsLayout = true;
    bool m_contextMenu = false;
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_padding = {0, 0, 0, 0};
    SIZE m_fixedXY = {0, 0};
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 9999;
    int m_maxHeight = 9999;
    bool m_visible = true;
    bool m_internalVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_focused = false;
    bool m_float = false;
    double m_floatPercent[4] = {0, 0, 0, 0};
    UINT m_floatAlign = 0;
    bool m_sizeEventGuard = false;
    bool m_dragEnabled = false;
    bool m_dropEnabled = false;
    bool m_resourceText = false;
    CUIString m_text;
    CUIString m_toolTip;
    wchar_t m_shortcut = 0;
    CUIString m_userData;
    UINT_PTR m_tag = 0;
    CUIString m_gradient;
    DWORD m_bkColor = 0;
    DWORD m_bkColor2 = 0;
    DWORD m_bkColor3 = 0;
    DWORD m_foreColor = 0;
    CUIString m_bkImage;
    CUIString m_foreImage;
    DWORD m_borderColor = 0;
    DWORD m_focusBorderColor = 0;
    bool m_colorHsl = false;
    int m_borderStyle = PS_SOLID;
    int m_toolTipWidth = 300;
    WORD m_cursor = 0;
    SIZE m_borderRound = {0, 0};
    RECT m_rcPaint = {0, 0, 0, 0};
    RECT m_borderSize = {0, 0, 0, 0};
    HINSTANCE m_imageInstance = nullptr;
    CUIStringPtrMap m_customAttributes;

private:
    friend class ControlDeletion;
    std::shared_ptr<char> m_lifetime = std::make_shared<char>();
};

}  // namespace SkinUI
