#include "Control/UIWebBrowser.h"

#include "Core/WindowUIManager.h"

#include <exdispid.h>
#include <ocidl.h>

#include <cwchar>

namespace SkinUI {

namespace {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
constexpr CLSID kWebBrowserClsid = {0x8856f961, 0x340a, 0x11d0, {0xa9, 0x6b, 0x00, 0xc0, 0x4f, 0xd7, 0x05, 0xa2}};
// {4125DD96-E03A-4103-8F70-E0597D803B9C}
constexpr GUID kDownloadManagerService = {0x4125dd96, 0xe03a, 0x4103, {0x8f, 0x70, 0xe0, 0x59, 0x7d, 0x80, 0x3b, 0x9c}};
// {F38BC242-B950-11D1-8918-00C04FC2C836}
constexpr GUID kDocHostCommandGroup = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};
constexpr DWORD kNoBorders = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;
constexpr DWORD kShowScriptError = 40;

// Events carry their arguments last to first.
VARIANT* Argument(DISPPARAMS* params, UINT index) { return &params->rgvarg[params->cArgs - 1 - index]; }

VARIANT_BOOL* BoolOut(VARIANT* value) { return (value->vt & VT_BYREF) ? value->pboolVal : &value->boolVal; }

}  // namespace

CWebBrowserUI::CWebBrowserUI() { SetClassId(kWebBrowserClsid); }

CWebBrowserUI::~CWebBrowserUI() { CWebBrowserUI::ReleaseHostedControl(); }

void* CWebBrowserUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"WebBrowser") == 0) return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(name);
}

void CWebBrowserUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"homepage") == 0)
        SetHomePage(value);
    else if (_wcsicmp(name, L"autonavi") == 0)
        SetAutoNavigation(value && _wcsicmp(value, L"true") == 0);
    else
        CActiveXUI::SetAttribute(name, value);
}

bool CWebBrowserUI::CreateHostedControl()
{
    if (!CActiveXUI::CreateHostedControl()) return false;
    if (m_manager) m_manager->AddTranslateAccelerator(this);
    QueryHostedControl(IID_IWebBrowser2, reinterpret_cast<void**>(&m_browser));
    NavigateHome();
    ConnectEvents(true);
    return true;
}

// The window left let go of the translator: the keys come through the window showing the browser now.
void CWebBrowserUI::OnWindowChanged()
{
    if (m_control && m_manager) m_manager->AddTranslateAccelerator(this);
}

// Also releases the browser itself: creating again must not leave the previous one behind.
void CWebBrowserUI::ReleaseHostedControl()
{
    m_created = false;
    if (CWindowUIManager* manager = LiveManager()) manager->RemoveTranslateAccelerator(this);
    ConnectEvents(false);
    if (IWebBrowser2* browser = m_browser) {
        m_browser = nullptr;
        browser->Release();
    }
    CActiveXUI::ReleaseHostedControl();
}

// The application let go of the control: its handler may be gone before the browser's last Release.
void CWebBrowserUI::DeleteSelf()
{
    m_handler = nullptr;
    CActiveXUI::DeleteSelf();
}

void CWebBrowserUI::NavigateHome()
{
    if (!m_autoNavigate || m_homePage.IsEmpty() || !m_browser) return;
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(m_homePage);
    m_browser->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
    ::VariantClear(&url);
}

HRESULT CWebBrowserUI::ConnectEvents(bool connect)
{
    return ConnectEventSink(DIID_DWebBrowserEvents2, static_cast<IDispatch*>(this), m_eventCookie, connect);
}

void CWebBrowserUI::AttachUiHandlerToDocument()
{
    if (!m_browser) return;
    IDispatch* document = nullptr;
    if (FAILED(m_browser->get_Document(&document)) || !document) return;
    ICustomDoc* custom = nullptr;
    if (SUCCEEDED(document->QueryInterface(__uuidof(ICustomDoc), reinterpret_cast<void**>(&custom))) && custom) {
        custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
        custom->Release();
    }
    document->Release();
}

// ---- IUnknown ----

STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDocHostUIHandler)
        *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IServiceProvider)
        *out = static_cast<IServiceProvider*>(this);
    else if (iid == IID_IInternetSecurityManager)
        *out = static_cast<IInternetSecurityManager*>(this);
    else if (iid == IID_IOleCommandTarget)
        *out = static_cast<IOleCommandTarget*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef() { return AddComReference(); }

STDMETHODIMP_(ULONG) CWebBrowserUI::Release() { return ReleaseComReference(); }

// ---- IDocHostUIHandler ----

// The application's handler answers inside a dispatch: what it deletes waits until the answer is given.
template <class Call>
HRESULT CWebBrowserUI::AskHandler(HRESULT fallback, Call call)
{
    const auto keepWindow = KeepWindowWhileActing();
    IBrowserEventHandler* handler = Handler();
    return handler ? call(handler) : fallback;
}

STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD id, POINT* pt, IUnknown* target, IDispatch* object)
{
    return AskHandler(S_FALSE, [&](auto* handler) { return handler->ShowContextMenu(this, id, pt, target, object); });
}

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (info) info->dwFlags |= kNoBorders;
    return AskHandler(S_OK, [&](auto* handler) { return handler->GetHostInfo(this, info); });
}

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                                   IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc)
{
    return AskHandler(S_OK, [&](auto* handler) { return handler->ShowUI(this, id, active, target, frame, doc); });
}

STDMETHODIMP CWebBrowserUI::HideUI()
{
    return AskHandler(S_OK, [&](auto* handler) { return handler->HideUI(this); });
}

STDMETHODIMP CWebBrowserUI::UpdateUI()
{
    return AskHandler(S_OK, [&](auto* handler) { return handler->UpdateUI(this); });
}

STDMETHODIMP CWebBrowserUI::EnableModeless(BOOL enable)
{
    return AskHandler(E_NOTIMPL, [&](auto* handler) { return handler->EnableModeless(this, enable); });
}

STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(BOOL activate)
{
    return AskHandler(E_NOTIMPL, [&](auto* handler) { return handler->OnDocWindowActivate(this, activate); });
}

STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(BOOL activate)
{
    return AskHandler(E_NOTIMPL, [&](auto* handler) { return handler->OnFrameWindowActivate(this, activate); });
}

STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow)
{
    return AskHandler(E_NOTIMPL,
                      [&](auto* handler) { return handler->ResizeBorder(this, border, window, frameWindow); });
}

STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command)
{
    return AskHandler(S_FALSE, [&](auto* handler) { return handler->TranslateAccelerator(this, msg, group, command); });
}

STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD reserved)
{
    if (key) *key = nullptr;
    return AskHandler(E_NOTIMPL, [&](auto* handler) { return handler->GetOptionKeyPath(this, key, reserved); });
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget* target, IDropTarget** out)
{
    if (out) *out = nullptr;
    return AskHandler(S_FALSE, [&](auto* handler) { return handler->GetDropTarget(this, target, out); });
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** out)
{
    if (out) *out = nullptr;
    return AskHandler(S_FALSE, [&](auto* handler) { return handler->GetExternal(this, out); });
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out)
{
    if (out) *out = nullptr;
    return AskHandler(E_NOTIMPL, [&](auto* handler) { return handler->TranslateUrl(this, translate, url, out); });
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject* data, IDataObject** out)
{
    if (out) *out = nullptr;
    return AskHandler(E_NOTIMPL, [&](auto* handler) { return handler->FilterDataObject(this, data, out); });
}

// ---- IServiceProvider ----

STDMETHODIMP CWebBrowserUI::QueryService(REFGUID service, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (service == kDownloadManagerService && iid == __uuidof(IDownloadManager))
        *out = static_cast<IDownloadManager*>(this);
    else if (service == SID_SInternetSecurityManager && iid == IID_IInternetSecurityManager)
        *out = static_cast<IInternetSecurityManager*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// ---- IOleCommandTarget ----

STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*)
{
    return OLECMDERR_E_NOTSUPPORTED;
}

// Script errors never show the browser's dialog: scripts keep running.
STDMETHODIMP CWebBrowserUI::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out)
{
    if (!group || *group != kDocHostCommandGroup) return OLECMDERR_E_UNKNOWNGROUP;
    if (command != kShowScriptError) return OLECMDERR_E_NOTSUPPORTED;
    if (out) {
        ::VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

// ---- IDispatch: events ----

STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* count)
{
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*)
{
    if (iid != IID_NULL) return E_INVALIDARG;
    UINT needed = 0;
    switch (id) {
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    case DISPID_COMMANDSTATECHANGE: needed = 2; break;
    case DISPID_TITLECHANGE: needed = 1; break;
    case DISPID_BEFORENAVIGATE2: needed = 7; break;
    case DISPID_NAVIGATECOMPLETE2: needed = 2; break;
    case DISPID_DOCUMENTCOMPLETE: needed = 2; break;
    case DISPID_NAVIGATEERROR: needed = 5; break;
    case DISPID_NEWWINDOW3: needed = 5; break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    // A short argument list must not be read past its end.
    if (!params || params->cArgs < needed || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
    if (id == DISPID_NAVIGATECOMPLETE2) AttachUiHandlerToDocument();
    if (!Handler()) return S_OK;
    // A handler that deletes the control or closes its window has that wait until the event has returned.
    const auto keepWindow = KeepWindowWhileActing();
    switch (id) {
    case DISPID_COMMANDSTATECHANGE:
        Handler()->CommandStateChange(this, Argument(params, 0)->lVal, Argument(params, 1)->boolVal);
        break;
    case DISPID_TITLECHANGE:
        Handler()->TitleChange(this, Argument(params, 0)->bstrVal);
        break;
    case DISPID_BEFORENAVIGATE2:
        Handler()->BeforeNavigate2(this, Argument(params, 0)->pdispVal, Argument(params, 1), Argument(params, 2),
                                   Argument(params, 3), Argument(params, 4), Argument(params, 5),
                                   BoolOut(Argument(params, 6)));
        break;
    case DISPID_NAVIGATECOMPLETE2:
        Handler()->NavigateComplete2(this, Argument(params, 0)->pdispVal, Argument(params, 1));
        break;
    case DISPID_DOCUMENTCOMPLETE:
        Handler()->DocumentComplete(this, Argument(params, 0)->pdispVal, Argument(params, 1));
        break;
    case DISPID_NAVIGATEERROR:
        Handler()->NavigateError(this, Argument(params, 0)->pdispVal, Argument(params, 1), Argument(params, 2),
                                 Argument(params, 3), BoolOut(Argument(params, 4)));
        break;
    case DISPID_NEWWINDOW3: {
        VARIANT* window = Argument(params, 0);
        IDispatch** newWindow = (window->vt & VT_BYREF) ? window->ppdispVal : &window->pdispVal;
        Handler()->NewWindow3(this, newWindow, BoolOut(Argument(params, 1)), Argument(params, 2)->ulVal,
                              Argument(params, 3)->bstrVal, Argument(params, 4)->bstrVal);
        break;
    }
    default:
        break;
    }
    return S_OK;
}

// ---- ITranslateAccelerator ----

LRESULT CWebBrowserUI::TranslateAccelerator(MSG* msg) { return TranslateKeyThrough(m_browser, msg); }

// ---- IInternetSecurityManager ----
// The host holds no opinion of its own on zones, URL actions or policies: every question goes to the
// browser's default security manager (INET_E_DEFAULT_ACTION), which also fills the outputs.

STDMETHODIMP CWebBrowserUI::GetSecuritySite(IInternetSecurityMgrSite** out)
{
    if (out) *out = nullptr;
    return INET_E_DEFAULT_ACTION;
}

STDMETHODIMP CWebBrowserUI::QueryCustomPolicy(LPCWSTR, REFGUID, BYTE** policy, DWORD* policySize, BYTE*, DWORD,
                                              DWORD)
{
    if (policy) *policy = nullptr;
    if (policySize) *policySize = 0;
    return INET_E_DEFAULT_ACTION;
}

STDMETHODIMP CWebBrowserUI::GetZoneMappings(DWORD, IEnumString** out, DWORD)
{
    if (out) *out = nullptr;
    return INET_E_DEFAULT_ACTION;
}

// ---- IDownloadManager ----

STDMETHODIMP CWebBrowserUI::Download(IMoniker* moniker, IBindCtx* context, DWORD verb, LONG flags, BINDINFO* info,
                                     LPCOLESTR headers, LPCOLESTR redirect, UINT codePage)
{
    const auto keepWindow = KeepWindowWhileActing();
    if (!Handler()) return S_OK;
    return Handler()->Download(this, moniker, context, verb, flags, info, headers, redirect, codePage);
}

}  // namespace SkinUI
