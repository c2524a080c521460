#pragma once

#include "Core/NotifyPump.h"
#include "Core/UIInterfaces.h"
#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"

namespace SkinUI {

// Where a point of a caption-less skinned window falls: a sizing edge, the caption area (HTCAPTION) or the
// client area. caption is already DPI-scaled; a caption bottom of -1 means the client bottom.
UINT FrameHitTest(POINT pt, const RECT& client, const RECT& sizeBox, const RECT& caption, bool maximised);

// Base of every skinned top-level window: content built from a skin file, no non-client area, hit-testing
// from the skin's size box and caption, default keys and notification routing through message maps.
class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override = default;

    CWindowUIManager& GetManager() { return m_pm; }

    virtual void InitWindow() {}
    virtual void OnClick(NotifyMessage&) {}
    virtual bool IsInStaticControl(CControlUI* control);
    virtual CUIString GetSkinType() { return CUIString(); }
    virtual CUIString GetSkinFile() = 0;
    virtual const wchar_t* GetManagerName() { return nullptr; }
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM key) { return key == VK_ESCAPE ? TRUE : FALSE; }

    virtual LRESULT OnClose(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnNcPaint(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnMouseHover(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnSize(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnChar(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnKeyDown(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnKillFocus(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnSetFocus(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT OnMouseMove(UINT, WPARAM, LPARAM, bool& handled);
    virtual LRESULT HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled);
    virtual LONG GetStyle();

    void Notify(NotifyMessage& msg) override { NotifyPump(msg); }
    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateControl(const wchar_t*) override { return nullptr; }
    const wchar_t* QueryControlText(const wchar_t*, const wchar_t*) override { return nullptr; }

protected:
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

    CWindowUIManager m_pm;

    SKINUI_DECLARE_NOTIFY_MAP()
    void OnClickNotify(NotifyMessage& msg) { OnClick(msg); }
};

}  // namespace SkinUI
