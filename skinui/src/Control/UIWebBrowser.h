#pragma once

#include "Control/UIActiveX.h"

#include <downloadmgr.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <urlmon.h>

namespace SkinUI {

class CWebBrowserUI;

// What an application may do about a browser's events and document-host questions. Every answer
// defaults to what the control gives without a handler; event arguments point into the event, so a
// handler may change them (cancel flags, the new window's dispatch).
class IBrowserEventHandler {
public:
    virtual ~IBrowserEventHandler() = default;

    virtual void BeforeNavigate2(CWebBrowserUI*, IDispatch*, VARIANT* /*url*/, VARIANT* /*flags*/,
                                 VARIANT* /*targetFrame*/, VARIANT* /*postData*/, VARIANT* /*headers*/,
                                 VARIANT_BOOL* /*cancel*/) {}
    virtual void NavigateError(CWebBrowserUI*, IDispatch*, VARIANT* /*url*/, VARIANT* /*targetFrame*/,
                               VARIANT* /*statusCode*/, VARIANT_BOOL* /*cancel*/) {}
    virtual void NavigateComplete2(CWebBrowserUI*, IDispatch*, VARIANT* /*url*/) {}
    virtual void NewWindow3(CWebBrowserUI*, IDispatch** /*newWindow*/, VARIANT_BOOL* /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/) {}
    virtual void CommandStateChange(CWebBrowserUI*, long /*command*/, VARIANT_BOOL /*enable*/) {}
    virtual void TitleChange(CWebBrowserUI*, BSTR /*title*/) {}
    virtual void DocumentComplete(CWebBrowserUI*, IDispatch*, VARIANT* /*url*/) {}

    virtual HRESULT ShowContextMenu(CWebBrowserUI*, DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }
    virtual HRESULT GetHostInfo(CWebBrowserUI*, DOCHOSTUIINFO*) { return S_OK; }
    virtual HRESULT ShowUI(CWebBrowserUI*, DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                           IOleInPlaceUIWindow*) { return S_OK; }
    virtual HRESULT HideUI(CWebBrowserUI*) { return S_OK; }
    virtual HRESULT UpdateUI(CWebBrowserUI*) { return S_OK; }
    virtual HRESULT EnableModeless(CWebBrowserUI*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT OnDocWindowActivate(CWebBrowserUI*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT OnFrameWindowActivate(CWebBrowserUI*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT ResizeBorder(CWebBrowserUI*, LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT TranslateAccelerator(CWebBrowserUI*, LPMSG, const GUID*, DWORD) { return S_FALSE; }
    virtual HRESULT GetOptionKeyPath(CWebBrowserUI*, LPOLESTR*, DWORD) { return E_NOTIMPL; }
    virtual HRESULT GetDropTarget(CWebBrowserUI*, IDropTarget*, IDropTarget**) { return S_FALSE; }
    virtual HRESULT GetExternal(CWebBrowserUI*, IDispatch**) { return S_FALSE; }
    virtual HRESULT TranslateUrl(CWebBrowserUI*, DWORD, LPWSTR, LPWSTR*) { return E_NOTIMPL; }
    virtual HRESULT FilterDataObject(CWebBrowserUI*, IDataObject*, IDataObject**) { return E_NOTIMPL; }
    virtual HRESULT Download(CWebBrowserUI*, IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR,
                             UINT) { return S_OK; }
};

// The system's HTML browser control, with this control as its document host. Once the framework deletes
// it, the control lives on only for the browser's references to its faces: the last Release deletes it.
// The browser's events and questions reach the handler inside a dispatch of the control's window.
class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public IDispatch,
                      public ITranslateAccelerator,
                      public IInternetSecurityManager,
                      public IDownloadManager {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    static CControlUI* CreateInstance() { return new CWebBrowserUI(); }

    const wchar_t* GetClass() const override { return L"WebBrowser"; }
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void ReleaseHostedControl() override;
    bool CreateHostedControl() override;
    void OnWindowChanged() override;

    void SetHomePage(const wchar_t* url) { m_homePage = url; }
    const CUIString& GetHomePage() const { return m_homePage; }
    void SetAutoNavigation(bool on) { m_autoNavigate = on; }
    bool IsAutoNavigation() const { return m_autoNavigate; }
    void SetWebBrowserEventHandler(IBrowserEventHandler* handler) { m_handler = handler; }
    IWebBrowser2* GetWebBrowser2() const { return m_browser; }
    ULONG GetComReferenceCount() const { return ComReferenceCount(); }

    // IUnknown (every face)
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD id, POINT* pt, IUnknown* target, IDispatch* object) override;
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* info) override;
    STDMETHOD(ShowUI)(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target, IOleInPlaceFrame* frame,
                      IOleInPlaceUIWindow* doc) override;
    STDMETHOD(HideUI)() override;
    STDMETHOD(UpdateUI)() override;
    STDMETHOD(EnableModeless)(BOOL enable) override;
    STDMETHOD(OnDocWindowActivate)(BOOL activate) override;
    STDMETHOD(OnFrameWindowActivate)(BOOL activate) override;
    STDMETHOD(ResizeBorder)(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* key, DWORD reserved) override;
    STDMETHOD(GetDropTarget)(IDropTarget* target, IDropTarget** out) override;
    STDMETHOD(GetExternal)(IDispatch** out) override;
    STDMETHOD(TranslateUrl)(DWORD translate, LPWSTR url, LPWSTR* out) override;
    STDMETHOD(FilterDataObject)(IDataObject* data, IDataObject** out) override;

    // IServiceProvider
    STDMETHOD(QueryService)(REFGUID service, REFIID iid, void** out) override;

    // IOleCommandTarget
    STDMETHOD(QueryStatus)(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHOD(Exec)(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;

    // IDispatch: the browser's events
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

    // ITranslateAccelerator: keys for the browser while the focus is inside it
    LRESULT TranslateAccelerator(MSG* msg) override;

    // IInternetSecurityManager
    STDMETHOD(SetSecuritySite)(IInternetSecurityMgrSite*) override { return S_OK; }
    STDMETHOD(GetSecuritySite)(IInternetSecurityMgrSite** out) override;
    STDMETHOD(MapUrlToZone)(LPCWSTR, DWORD*, DWORD) override { return INET_E_DEFAULT_ACTION; }
    STDMETHOD(GetSecurityId)(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return INET_E_DEFAULT_ACTION; }
    STDMETHOD(ProcessUrlAction)(LPCWSTR, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD, DWORD) override
    {
        return INET_E_DEFAULT_ACTION;
    }
    STDMETHOD(QueryCustomPolicy)(LPCWSTR, REFGUID, BYTE** policy, DWORD* policySize, BYTE*, DWORD, DWORD) override;
    STDMETHOD(SetZoneMapping)(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    STDMETHOD(GetZoneMappings)(DWORD, IEnumString** out, DWORD) override;

    // IDownloadManager: what the browser downloads goes to the handler.
    STDMETHOD(Download)(IMoniker* moniker, IBindCtx* context, DWORD verb, LONG flags, BINDINFO* info,
                        LPCOLESTR headers, LPCOLESTR redirect, UINT codePage) override;

protected:
    void DeleteSelf() override;

private:
    HRESULT ConnectEvents(bool connect);
    void NavigateHome();
    void AttachUiHandlerToDocument();
    // None once the application let go of the control, even while its deletion waits for the dispatch.
    IBrowserEventHandler* Handler() const { return WatchLifetime().expired() ? nullptr : m_handler; }
    template <class Call>
    HRESULT AskHandler(HRESULT fallback, Call call);

    IWebBrowser2* m_browser = nullptr;
    DWORD m_eventCookie = 0;
    CUIString m_homePage;
    bool m_autoNavigate = false;
    IBrowserEventHandler* m_handler = nullptr;
};

}  // namespace SkinUI
