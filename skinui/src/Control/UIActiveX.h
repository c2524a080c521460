#pragma once

#include "Core/ControlUI.h"
#include "Core/UIInterfaces.h"

#include <windows.h>
#include <ole2.h>

namespace SkinUI {

class CActiveXCtrl;

// Hosts one OLE control in a skinned window: windowless (drawn into the window's own paint and fed
// messages through the manager's filter chain) when the control agrees, else in a child window.
class CActiveXUI : public CControlUI, public IMessageFilterUI {
    friend class CActiveXCtrl;
    friend class CActiveXWnd;

public:
    CActiveXUI() = default;
    ~CActiveXUI() override;

    static CControlUI* CreateInstance() { return new CActiveXUI(); }

    const wchar_t* GetClass() const override { return L"ActiveX"; }
    void* GetInterface(const wchar_t* name) override;

    HWND GetHostWindow() const { return m_hostWindow; }
    bool SetClassId(const wchar_t* text);
    bool SetClassId(REFCLSID clsid);
    const CLSID& GetClassId() const { return m_clsid; }
    void SetModuleName(const wchar_t* name) { m_moduleName = name; }
    const CUIString& GetModuleName() const { return m_moduleName; }
    HRESULT QueryHostedControl(REFIID iid, void** out);

    virtual bool IsDelayedCreation() const { return m_delayCreate; }
    virtual void SetDelayedCreation(bool delay);
    virtual bool IsHostManaged() const { return m_hostManaged; }
    virtual void SetHostManaged(bool managed) { m_hostManaged = managed; }
    virtual void ReleaseHostedControl();
    virtual bool CreateHostedControl();
    // Runs once per successful creation, before in-place activation.
    virtual void OnControlCreated() {}
    // Runs once the control joined another window, or left its window for none.
    virtual void OnWindowChanged() {}

    void SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit = true) override;
    void SetPos(RECT rc, bool invalidate = true) override;
    void Move(SIZE offset, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternalVisible(bool visible = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool PaintParts(HDC hdc, const RECT& paint, CControlUI* stop) override;

    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    // The framework's deletion: the control lets go of what it hosts and leaves its window and parent at
    // once; the object itself goes with the last reference to its COM faces.
    void DeleteSelf() override;
    // The references foreign components hold to the control's own COM faces (the browser's and the
    // player's sinks), plus the control's own from creation that DeleteSelf gives up: deleted at zero.
    ULONG AddComReference() { return static_cast<ULONG>(::InterlockedIncrement(&m_comReferences)); }
    ULONG ReleaseComReference();
    ULONG ComReferenceCount() const { return static_cast<ULONG>(m_comReferences); }
    // Offers a key message to an object's in-place active face while the focus is in the host window:
    // S_FALSE for other messages or focus elsewhere, E_NOTIMPL without an object.
    HRESULT TranslateKeyThrough(IUnknown* object, MSG* msg) const;
    // Advises (or unadvises) an event sink at the control's connection point for the given events;
    // the cookie is kept by the caller and cleared on disconnection.
    HRESULT ConnectEventSink(REFIID events, IDispatch* sink, DWORD& cookie, bool connect);

    IOleObject* m_control = nullptr;
    bool m_created = false;

private:
    bool CreateFromModule(IOleObject** out) const;
    bool CreateFromRegistry(IOleObject** out) const;
    bool IsWindowedSite() const;
    // True once this owner let go of the given control (or of its site) during a call out to it.
    bool HasLetGoOf(const IOleObject* control) const { return m_control != control || !m_site; }
    RECT SiteRect() const;
    void FollowWithWindow();
    void FollowToWindow();
    // A windowless control: its window's messages come through the filter, and it draws on that window.
    void ListenToWindow();
    HRESULT ActivateInPlace(IOleObject& control, IOleClientSite* clientSite);
    // Puts a control made before it joined any window in place, once it is in one and visible.
    void ActivateOnceShown();
    void ShowHostWindow();
    bool AcceptsWindowlessMessage(UINT msg, LPARAM lParam) const;

    CLSID m_clsid = GUID_NULL;
    CUIString m_moduleName;
    bool m_delayCreate = true;
    bool m_hostManaged = false;
    bool m_awaitingWindow = false;
    CActiveXCtrl* m_site = nullptr;
    HWND m_hostWindow = nullptr;
    LONG m_comReferences = 1;
};

}  // namespace SkinUI
