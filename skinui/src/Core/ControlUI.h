#pragma once

#include "Core/UIEvents.h"
#include "Utils/Delegate.h"
#include "Utils/UIString.h"

#include <windows.h>

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

// Base of every control: identity, place in the tree, visibility, focus, events.
class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    static CControlUI* CreateInstance() { return new CControlUI(); }

    virtual CUIString GetName() const { return m_name; }
    virtual void SetName(const wchar_t* name) { m_name = name; }
    virtual const wchar_t* GetClass() const { return L"Control"; }
    virtual void* GetInterface(const wchar_t* name);
    virtual UINT GetControlFlags() const { return 0; }
    virtual bool Activate();
    virtual CWindowUIManager* GetManager() const { return m_manager; }
    virtual void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true);
    virtual CControlUI* GetParent() const { return m_parent; }

    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc, bool invalidate = true);

    virtual wchar_t GetShortcut() const { return m_shortcut; }
    virtual void SetShortcut(wchar_t ch) { m_shortcut = ch; }

    virtual bool IsVisible() const { return m_visible && m_internalVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternalVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const { return m_mouseEnabled; }
    virtual void SetMouseEnabled(bool enabled = true) { m_mouseEnabled = enabled; }
    virtual bool IsFocused() const { return m_focused; }
    virtual void SetFocus();

    virtual CControlUI* FindControl(FindControlProc proc, void* data, UINT flags);
    virtual void Init();
    virtual void InitControl() {}
    virtual void DispatchEvent(ControlEvent& event);
    virtual void HandleEvent(ControlEvent& event);

    CUIString GetVirtualWnd() const;
    void SetVirtualWnd(const wchar_t* name);
    bool IsUpdateNeeded() const { return m_needsLayout; }
    void Invalidate();
    void RequestLayout();
    void RequestParentLayout();

    CEventSource OnInit;
    CEventSource OnDestroy;
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;

protected:
    CWindowUIManager* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    CUIString m_virtualWnd;
    CUIString m_name;
    bool m_needsLayout = true;
    RECT m_rcItem = {0, 0, 0, 0};
    bool m_visible = true;
    bool m_internalVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_focused = false;
    bool m_sizeEventGuard = false;
    wchar_t m_shortcut = 0;
};

}  // namespace SkinUI
