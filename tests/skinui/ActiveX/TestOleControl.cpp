#include "TestOleControl.h"

#include <windowsx.h>

#include <atomic>
#include <new>

namespace SkinUI::Testing {

namespace {

std::atomic<int> g_live{0};
std::atomic<int> g_created{0};
TestOleControl* g_last = nullptr;

LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps = {};
        HDC hdc = ::BeginPaint(hwnd, &ps);
        HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        ::FillRect(hdc, &ps.rcPaint, brush);
        ::DeleteObject(brush);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

const wchar_t* ControlWindowClass()
{
    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ControlWndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TestOleControlWnd";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return L"TestOleControlWnd";
}

std::wstring VariantText(const VARIANT& value)
{
    VARIANT text;
    ::VariantInit(&text);
    std::wstring result;
    if (SUCCEEDED(::VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)) && text.bstrVal)
        result = text.bstrVal;
    ::VariantClear(&text);
    return result;
}

class TestClassFactory final : public IClassFactory {
public:
    explicit TestClassFactory(const TestControlOptions& options) : m_options(options) {}
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    STDMETHOD_(ULONG, Release)() override
    {
        const LONG left = ::InterlockedDecrement(&m_refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new (std::nothrow) TestOleControl(m_options);
        if (!control) return E_OUTOFMEMORY;
        const HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    }
    STDMETHOD(LockServer)(BOOL) override { return S_OK; }

private:
    LONG m_refs = 1;
    TestControlOptions m_options;
};

}  // namespace

TestOleControl::TestOleControl(const TestControlOptions& options) : m_options(options)
{
    ++g_live;
    ++g_created;
    g_last = this;
}

TestOleControl::~TestOleControl()
{
    if (window) ::DestroyWindow(window);
    if (connectionPoint) connectionPoint->Release();
    if (m_inPlaceSite) m_inPlaceSite->Release();
    if (clientSite) clientSite->Release();
    if (g_last == this) g_last = nullptr;
    --g_live;
}

int TestOleControl::LiveCount() { return g_live; }
int TestOleControl::CreatedCount() { return g_created; }
TestOleControl* TestOleControl::Last() { return g_last; }

STDMETHODIMP TestOleControl::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject)
        *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleControl)
        *out = static_cast<IOleControl*>(this);
    else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow)
        *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IOleInPlaceObjectWindowless && m_options.windowless)
        *out = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2 ||
             (iid == IID_IViewObjectEx && !m_options.withholdViewObjectEx))
        *out = static_cast<IViewObjectEx*>(this);
    else if (iid == IID_IPersistStreamInit)
        *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IDispatch || (iid == m_options.dualInterface && iid != GUID_NULL))
        *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TestOleControl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) TestOleControl::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP TestOleControl::SetClientSite(IOleClientSite* site)
{
    if (site) site->AddRef();
    if (clientSite) clientSite->Release();
    clientSite = site;
    return S_OK;
}

STDMETHODIMP TestOleControl::GetClientSite(IOleClientSite** out)
{
    *out = clientSite;
    if (clientSite) clientSite->AddRef();
    return S_OK;
}

STDMETHODIMP TestOleControl::SetHostNames(LPCOLESTR app, LPCOLESTR)
{
    containerApp = app ? app : L"";
    return S_OK;
}

STDMETHODIMP TestOleControl::Close(DWORD)
{
    closed = true;
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP TestOleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect)
{
    verbs.push_back(verb);
    if (onVerb) onVerb(verb);
    if (verb == OLEIVERB_INPLACEACTIVATE) TellOfHostCall(L"DoVerb");
    if (rect) objectRect = *rect;
    if (verb == OLEIVERB_UIACTIVATE) {
        if (m_inPlaceSite) m_inPlaceSite->OnUIActivate();
        return S_OK;
    }
    if (verb != OLEIVERB_INPLACEACTIVATE || inPlaceActive) return S_OK;
    if (!site) return E_INVALIDARG;
    if (m_options.windowless && SUCCEEDED(ActivateWindowless(site))) return S_OK;
    return ActivateWindowed(site, parent);
}

HRESULT TestOleControl::ActivateWindowless(IOleClientSite* site)
{
    IOleInPlaceSiteWindowless* windowlessSite = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&windowlessSite))))
        return E_NOINTERFACE;
    HRESULT hr = windowlessSite->CanWindowlessActivate();
    if (hr == S_OK) {
        BOOL noRedraw = FALSE;
        hr = windowlessSite->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
    }
    if (hr == S_OK) {
        m_inPlaceSite = windowlessSite;
        activeWindowless = true;
        inPlaceActive = true;
        return S_OK;
    }
    windowlessSite->Release();
    return E_FAIL;
}

HRESULT TestOleControl::ActivateWindowed(IOleClientSite* site, HWND)
{
    IOleInPlaceSite* inPlaceSite = nullptr;
    HRESULT hr = site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite));
    if (FAILED(hr)) return hr;
    hr = inPlaceSite->OnInPlaceActivate();
    HWND parent = nullptr;
    if (SUCCEEDED(hr)) hr = inPlaceSite->GetWindow(&parent);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    if (SUCCEEDED(hr)) hr = inPlaceSite->GetWindowContext(&frame, &document, &position, &clip, &info);
    if (frame) frame->Release();
    if (document) document->Release();
    if (FAILED(hr)) {
        inPlaceSite->Release();
        return hr;
    }
    window = ::CreateWindowExW(0, ControlWindowClass(), L"", WS_CHILD | WS_VISIBLE, position.left, position.top,
                               position.right - position.left, position.bottom - position.top, parent, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(m_options.color));
    m_inPlaceSite = inPlaceSite;
    inPlaceActive = true;
    return window ? S_OK : E_FAIL;
}

void TestOleControl::TellOfHostCall(const wchar_t* call) const
{
    // A copy: the hook may make the host let go of this control, and a control that is not held dies.
    const auto hook = m_options.onHostCall;
    if (hook) hook(call);
}

STDMETHODIMP TestOleControl::InitNew()
{
    TellOfHostCall(L"InitNew");
    return m_options.failInitNew ? E_FAIL : S_OK;
}

STDMETHODIMP TestOleControl::SetExtent(DWORD, SIZEL* size)
{
    TellOfHostCall(L"SetExtent");
    extent = *size;
    return S_OK;
}

STDMETHODIMP TestOleControl::GetExtent(DWORD, SIZEL* size)
{
    *size = extent;
    return S_OK;
}

STDMETHODIMP TestOleControl::GetMiscStatus(DWORD, DWORD* status)
{
    *status = m_options.miscStatus;
    return S_OK;
}

STDMETHODIMP TestOleControl::GetWindow(HWND* out)
{
    *out = window;
    return window ? S_OK : E_FAIL;
}

STDMETHODIMP TestOleControl::InPlaceDeactivate()
{
    if (!inPlaceActive) return S_OK;
    inPlaceActive = false;
    if (window) {
        ::DestroyWindow(window);
        window = nullptr;
    }
    if (IOleInPlaceSite* site = m_inPlaceSite) {
        m_inPlaceSite = nullptr;
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP TestOleControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    objectRect = *position;
    if (window)
        ::MoveWindow(window, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, TRUE);
    return S_OK;
}

STDMETHODIMP TestOleControl::OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT* result)
{
    messages.push_back(msg);
    *result = 0;
    if (onMessage) onMessage(msg);
    auto* site = static_cast<IOleInPlaceSiteWindowless*>(m_inPlaceSite);
    if (msg == WM_LBUTTONDOWN && site) {
        site->SetFocus(TRUE);
        site->SetCapture(TRUE);
    } else if (msg == WM_LBUTTONUP && site) {
        site->SetCapture(FALSE);
    }
    return S_OK;
}

STDMETHODIMP TestOleControl::Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds, LPCRECTL,
                                  BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (!bounds) return E_INVALIDARG;
    const RECT rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    HBRUSH brush = ::CreateSolidBrush(m_options.color);
    ::FillRect(hdc, &rc, brush);
    ::DeleteObject(brush);
    return S_OK;
}

STDMETHODIMP TestOleControl::QueryHitPoint(DWORD, LPCRECT bounds, POINT pt, LONG, DWORD* hit)
{
    *hit = ::PtInRect(bounds, pt) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP TestOleControl::Load(LPSTREAM stream)
{
    loadedStream.clear();
    BYTE buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0)
        loadedStream.insert(loadedStream.end(), buffer, buffer + read);
    return S_OK;
}

STDMETHODIMP TestOleControl::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP TestOleControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    for (UINT i = 0; i < count; ++i) {
        m_names.push_back(names[i]);
        ids[i] = static_cast<DISPID>(m_names.size());
    }
    return S_OK;
}

STDMETHODIMP TestOleControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                    UINT*)
{
    if (id < 1 || static_cast<size_t>(id) > m_names.size()) return DISP_E_MEMBERNOTFOUND;
    const std::wstring& name = m_names[static_cast<size_t>(id) - 1];
    if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1)
        properties[name] = VariantText(params->rgvarg[0]);
    else
        calls.push_back(name);
    return S_OK;
}

STDMETHODIMP TestOleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** out)
{
    if (!connectionPoint) connectionPoint = new TestConnectionPoint(this, iid);
    connectionPoint->iid = iid;
    *out = connectionPoint;
    connectionPoint->AddRef();
    return S_OK;
}

TestConnectionPoint::TestConnectionPoint(IConnectionPointContainer* container, REFIID outgoing)
    : iid(outgoing), m_container(container)
{
}

TestConnectionPoint::~TestConnectionPoint()
{
    if (sink) sink->Release();
}

STDMETHODIMP TestConnectionPoint::QueryInterface(REFIID riid, void** out)
{
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TestConnectionPoint::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) TestConnectionPoint::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP TestConnectionPoint::GetConnectionInterface(IID* out)
{
    *out = iid;
    return S_OK;
}

// The container is not AddRef'd here: the control owns this point, a counted back reference would be a cycle.
STDMETHODIMP TestConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out)
{
    *out = nullptr;
    (void)m_container;
    return E_NOTIMPL;
}

STDMETHODIMP TestConnectionPoint::Advise(IUnknown* sinkUnknown, DWORD* cookie)
{
    if (sink) return CONNECT_E_ADVISELIMIT;
    if (FAILED(sinkUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink))))
        return CONNECT_E_CANNOTCONNECT;
    ++advised;
    *cookie = 7;
    return S_OK;
}

STDMETHODIMP TestConnectionPoint::Unadvise(DWORD cookie)
{
    if (cookie != 7 || !sink) return CONNECT_E_NOCONNECTION;
    static_cast<TestOleControl*>(m_container)->TellOfHostCall(L"Unadvise");
    sink->Release();
    sink = nullptr;
    ++unadvised;
    return S_OK;
}

TestClassRegistration::TestClassRegistration(REFCLSID clsid, const TestControlOptions& options)
{
    m_factory = new TestClassFactory(options);
    if (FAILED(::CoRegisterClassObject(clsid, m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie)))
        m_cookie = 0;
}

TestClassRegistration::~TestClassRegistration()
{
    if (m_cookie) ::CoRevokeClassObject(m_cookie);
    m_factory->Release();
}

}  // namespace SkinUI::Testing
