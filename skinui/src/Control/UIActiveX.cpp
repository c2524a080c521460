#include "Control/UIActiveX.h"

#include "Core/WindowUIManager.h"
#include "Core/WindowWnd.h"
#include "Utils/ProcessUtils.h"

#include <ocidl.h>
#include <olectl.h>
#include <windowsx.h>

#include <cwchar>
#include <memory>
#include <new>

namespace SkinUI {

namespace {

constexpr UINT kCaretTimerId = 6553;

template <class T>
void ReleaseInto(T*& pointer)
{
    if (pointer) {
        T* held = pointer;
        pointer = nullptr;
        held->Release();
    }
}

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};

// A reference of our own to a COM object: a control may make its owner let go of it during any call
// out, and the object must outlive the call.
template <class T>
std::unique_ptr<T, ComRelease> Hold(T* object)
{
    object->AddRef();
    return std::unique_ptr<T, ComRelease>(object);
}

RECT MovedToOrigin(RECT rc)
{
    ::OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

RECTL ToRectL(const RECT& rc) { return RECTL{rc.left, rc.top, rc.right, rc.bottom}; }

}  // namespace

class CActiveXWnd;

// The container side of one hosted control. COM may keep it after its owner let go; then the owner
// pointer is null and every call that needs the owner answers E_UNEXPECTED.
class CActiveXCtrl final : public IOleClientSite,
                     public IOleInPlaceSiteWindowless,
                     public IOleControlSite,
                     public IObjectWithSite,
                     public IOleContainer {
    friend class CActiveXUI;
    friend class CActiveXWnd;

public:
    explicit CActiveXCtrl(CActiveXUI* owner) : m_owner(owner) {}

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* site) override;
    STDMETHOD(GetSite)(REFIID iid, void** out) override;

    // IOleClientSite
    STDMETHOD(SaveObject)() override { return E_NOTIMPL; }
    STDMETHOD(GetMoniker)(DWORD, DWORD, IMoniker** out) override;
    STDMETHOD(GetContainer)(IOleContainer** out) override;
    STDMETHOD(ShowObject)() override;
    STDMETHOD(OnShowWindow)(BOOL) override { return E_NOTIMPL; }
    STDMETHOD(RequestNewObjectLayout)() override { return E_NOTIMPL; }

    // IOleInPlaceSiteWindowless
    STDMETHOD(CanWindowlessActivate)() override { return S_OK; }
    STDMETHOD(GetCapture)() override;
    STDMETHOD(SetCapture)(BOOL capture) override;
    STDMETHOD(GetFocus)() override;
    STDMETHOD(SetFocus)(BOOL focus) override;
    STDMETHOD(GetDC)(LPCRECT rect, DWORD flags, HDC* out) override;
    STDMETHOD(ReleaseDC)(HDC hdc) override;
    STDMETHOD(InvalidateRect)(LPCRECT rect, BOOL erase) override;
    STDMETHOD(InvalidateRgn)(HRGN region, BOOL erase) override;
    STDMETHOD(ScrollRect)(INT, INT, LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHOD(AdjustRect)(LPRECT) override { return S_OK; }
    STDMETHOD(OnDefWindowMessage)(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // IOleInPlaceSiteEx
    STDMETHOD(OnInPlaceActivateEx)(BOOL* noRedraw, DWORD flags) override;
    STDMETHOD(OnInPlaceDeactivateEx)(BOOL noRedraw) override;
    STDMETHOD(RequestUIActivate)() override { return S_OK; }

    // IOleInPlaceSite
    STDMETHOD(CanInPlaceActivate)() override { return S_OK; }
    STDMETHOD(OnInPlaceActivate)() override { return OnInPlaceActivateEx(nullptr, 0); }
    STDMETHOD(OnUIActivate)() override;
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHOD(Scroll)(SIZE) override { return E_NOTIMPL; }
    STDMETHOD(OnUIDeactivate)(BOOL) override;
    STDMETHOD(OnInPlaceDeactivate)() override { return OnInPlaceDeactivateEx(TRUE); }
    STDMETHOD(DiscardUndoState)() override { return E_NOTIMPL; }
    STDMETHOD(DeactivateAndUndo)() override { return E_NOTIMPL; }
    STDMETHOD(OnPosRectChange)(LPCRECT) override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHOD(GetWindow)(HWND* out) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL) override { return S_OK; }

    // IOleControlSite
    STDMETHOD(OnControlInfoChanged)() override { return S_OK; }
    STDMETHOD(LockInPlaceActive)(BOOL) override { return S_OK; }
    STDMETHOD(GetExtendedControl)(IDispatch** out) override;
    STDMETHOD(TransformCoords)(POINTL*, POINTF*, DWORD) override { return S_OK; }
    STDMETHOD(TranslateAccelerator)(MSG*, DWORD) override { return S_FALSE; }
    STDMETHOD(OnFocus)(BOOL focus) override;
    STDMETHOD(ShowPropertyFrame)() override { return E_NOTIMPL; }

    // IOleContainer
    STDMETHOD(ParseDisplayName)(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHOD(EnumObjects)(DWORD flags, IEnumUnknown** out) override;
    STDMETHOD(LockContainer)(BOOL lock) override;

    // Null once the owner let go.
    CActiveXUI* Owner() const { return m_owner; }

private:
    ~CActiveXCtrl();
    HRESULT CreateActiveXWnd();
    void DestroyActiveXWnd();

    LONG m_refs = 1;
    CActiveXUI* m_owner;
    CActiveXWnd* m_window = nullptr;
    IUnknown* m_unkSite = nullptr;
    IViewObject* m_viewObject = nullptr;
    IOleInPlaceObject* m_inPlaceObject = nullptr;
    // The frame info hands out an accelerator table the site keeps: one per site, not one per call.
    HACCEL m_accelerators = nullptr;
    bool m_locked = false;
    bool m_focused = false;
    bool m_captured = false;
    bool m_uiActivated = false;
    bool m_inPlaceActive = false;
    bool m_windowless = true;
};

// The in-place frame handed out by GetWindowContext. It asks its site for the owner: the control may
// keep the frame longer than the owner keeps the control.
class CActiveXFrameWnd final : public IOleInPlaceFrame {
public:
    explicit CActiveXFrameWnd(CActiveXCtrl* site) : m_site(site) { m_site->AddRef(); }

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
            iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    STDMETHOD_(ULONG, Release)() override
    {
        const LONG left = ::InterlockedDecrement(&m_refs);
        if (left == 0) {
            ReleaseInto(m_activeObject);
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    STDMETHOD(GetWindow)(HWND* out) override
    {
        if (!out) return E_POINTER;
        CActiveXUI* owner = m_site->Owner();
        if (!owner || !owner->GetManager()) return E_UNEXPECTED;
        *out = owner->GetManager()->GetWindowHandle();
        return S_OK;
    }
    STDMETHOD(ContextSensitiveHelp)(BOOL) override { return S_OK; }
    STDMETHOD(GetBorder)(LPRECT) override { return S_OK; }
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* object, LPCOLESTR) override
    {
        if (object) object->AddRef();
        ReleaseInto(m_activeObject);
        m_activeObject = object;
        return S_OK;
    }
    STDMETHOD(InsertMenus)(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHOD(SetMenu)(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHOD(RemoveMenus)(HMENU) override { return S_OK; }
    STDMETHOD(SetStatusText)(LPCOLESTR) override { return S_OK; }
    STDMETHOD(EnableModeless)(BOOL) override { return S_OK; }
    STDMETHOD(TranslateAccelerator)(LPMSG, WORD) override { return S_FALSE; }

private:
    ~CActiveXFrameWnd() { m_site->Release(); }

    LONG m_refs = 1;
    CActiveXCtrl* m_site;
    IOleInPlaceActiveObject* m_activeObject = nullptr;
};

// Enumerates the one control of a site.
class CActiveXEnum final : public IEnumUnknown {
public:
    explicit CActiveXEnum(IUnknown* item) : m_item(item)
    {
        if (m_item) m_item->AddRef();
    }

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IEnumUnknown) *out = static_cast<IEnumUnknown*>(this);
        if (!*out) return E_NOINTERFACE;
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
    STDMETHOD(Next)(ULONG, IUnknown** items, ULONG* fetched) override
    {
        if (fetched) *fetched = 0;
        if (++m_position > 1 || !m_item) return S_FALSE;
        if (!items) return E_POINTER;
        items[0] = m_item;
        m_item->AddRef();
        if (fetched) *fetched = 1;
        return S_OK;
    }
    STDMETHOD(Skip)(ULONG count) override
    {
        m_position += static_cast<LONG>(count);
        return S_OK;
    }
    STDMETHOD(Reset)() override
    {
        m_position = 0;
        return S_OK;
    }
    STDMETHOD(Clone)(IEnumUnknown**) override { return E_NOTIMPL; }

private:
    ~CActiveXEnum()
    {
        if (m_item) m_item->Release();
    }

    LONG m_position = 0;
    LONG m_refs = 1;
    IUnknown* m_item;
};

// Child window of a windowed control.
class CActiveXWnd : public CWindowWnd {
public:
    explicit CActiveXWnd(CActiveXCtrl* owner) : m_owner(owner) {}

    HWND Init(HWND parent)
    {
        Create(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
        return m_hWnd;
    }
    // The site is going away: late messages must not reach it.
    void Detach() { m_owner = nullptr; }
    // Detaches and destroys the window; the object goes with its final message, which waits until a
    // message of this window still being handled (a control letting go of its site in DoVerb) ends.
    void CloseAndDelete();

protected:
    const wchar_t* GetWindowClassName() const override { return L"ActiveXWnd"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    CWindowUIManager* Manager() const
    {
        return m_owner && m_owner->m_owner ? m_owner->m_owner->GetManager() : nullptr;
    }
    bool IsLayered() const { return Manager() && Manager()->IsLayered(); }
    void DoVerb(LONG verb);
    LRESULT OnCreate();
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnPrint(HDC hdc);
    void DrawCaret(HDC hdc);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);

    CActiveXCtrl* m_owner;
    int m_caretTicks = 0;
    bool m_caretVisible = false;
    bool m_bound = false;
    bool m_finalSeen = false;
    bool m_deleteOnFinal = false;
};

// ---- CActiveXCtrl -------------------------------------------------------------------------------

CActiveXCtrl::~CActiveXCtrl()
{
    DestroyActiveXWnd();
    ReleaseInto(m_unkSite);
    ReleaseInto(m_viewObject);
    ReleaseInto(m_inPlaceObject);
    if (m_accelerators) ::DestroyAcceleratorTable(m_accelerators);
}

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleInPlaceSiteWindowless || iid == IID_IOleInPlaceSiteEx ||
        iid == IID_IOleInPlaceSite || iid == IID_IOleWindow)
        *out = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleControlSite)
        *out = static_cast<IOleControlSite*>(this);
    else if (iid == IID_IOleContainer)
        *out = static_cast<IOleContainer*>(this);
    else if (iid == IID_IObjectWithSite)
        *out = static_cast<IObjectWithSite*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) CActiveXCtrl::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* site)
{
    if (site) site->AddRef();
    ReleaseInto(m_unkSite);
    m_unkSite = site;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_unkSite) return E_FAIL;
    return m_unkSite->QueryInterface(iid, out);
}

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = E_NOTIMPL;
    if (m_unkSite) hr = m_unkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(out));
    if (FAILED(hr)) hr = QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(out));
    return hr;
}

STDMETHODIMP CActiveXCtrl::ShowObject()
{
    if (!m_owner) return E_UNEXPECTED;
    // Without a host window GetDC would hand out the whole screen.
    HWND host = m_owner->m_hostWindow;
    HDC hdc = host ? ::GetDC(host) : nullptr;
    if (!hdc) return E_FAIL;
    if (m_viewObject) {
        const RECTL bounds = ToRectL(m_owner->GetPos());
        m_viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, &bounds, nullptr, 0);
    }
    ::ReleaseDC(host, hdc);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetCapture()
{
    if (!m_owner) return E_UNEXPECTED;
    return m_captured ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL capture)
{
    if (!m_owner) return E_UNEXPECTED;
    if (capture == TRUE && !m_owner->m_hostWindow) return E_FAIL;
    m_captured = (capture == TRUE);
    if (m_captured)
        ::SetCapture(m_owner->m_hostWindow);
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus()
{
    if (!m_owner) return E_UNEXPECTED;
    return m_focused ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL focus)
{
    if (!m_owner) return E_UNEXPECTED;
    if (focus) m_owner->SetFocus();
    m_focused = (focus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_owner) return E_UNEXPECTED;
    if (m_windowless) return S_FALSE;
    if (!m_owner->m_hostWindow) return E_FAIL;
    *out = ::GetDC(m_owner->m_hostWindow);
    if ((flags & OLEDC_PAINTBKGND) && *out) {
        RECT rc = m_owner->GetPos();
        if (!m_windowless) rc = MovedToOrigin(rc);
        ::FillRect(*out, &rc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC hdc)
{
    if (!m_owner) return E_UNEXPECTED;
    ::ReleaseDC(m_owner->m_hostWindow, hdc);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase)
{
    if (!m_owner) return E_UNEXPECTED;
    if (!m_owner->m_hostWindow) return E_FAIL;
    return ::InvalidateRect(m_owner->m_hostWindow, rect, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase)
{
    if (!m_owner) return E_UNEXPECTED;
    // A null window would invalidate every window of the desktop.
    if (!m_owner->m_hostWindow) return E_FAIL;
    return ::InvalidateRgn(m_owner->m_hostWindow, region, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!m_owner) return E_UNEXPECTED;
    if (!m_owner->m_hostWindow) return E_FAIL;
    const LRESULT answer = ::DefWindowProcW(m_owner->m_hostWindow, msg, wParam, lParam);
    if (result) *result = answer;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL*, DWORD flags)
{
    if (!m_owner || !m_owner->m_control) return E_UNEXPECTED;
    ::OleLockRunning(m_owner->m_control, TRUE, FALSE);
    CWindowUIManager* manager = m_owner->GetManager();
    HRESULT hr = E_FAIL;
    if ((flags & ACTIVATE_WINDOWLESS) != 0) {
        m_windowless = true;
        ReleaseInto(m_inPlaceObject);
        hr = m_owner->m_control->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                                reinterpret_cast<void**>(&m_inPlaceObject));
        if (SUCCEEDED(hr) && manager) m_owner->ListenToWindow();
    }
    if (FAILED(hr)) {
        m_windowless = false;
        hr = CreateActiveXWnd();
        if (FAILED(hr)) return hr;
        ReleaseInto(m_inPlaceObject);
        hr = m_owner->m_control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_inPlaceObject));
    }
    if (m_inPlaceObject && !m_owner->IsHostManaged()) {
        RECT rc = m_owner->GetPos();
        if (!m_windowless) rc = MovedToOrigin(rc);
        hr = m_inPlaceObject->SetObjectRects(&rc, &rc);
    }
    m_inPlaceActive = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL)
{
    m_inPlaceActive = false;
    ReleaseInto(m_inPlaceObject);
    DestroyActiveXWnd();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnUIActivate()
{
    m_uiActivated = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL)
{
    m_uiActivated = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !doc || !position || !clip || !info) return E_POINTER;
    *frame = nullptr;
    *doc = nullptr;
    RECT rc = m_owner ? m_owner->SiteRect() : RECT{0, 0, 0, 0};
    if (m_window) ::GetClientRect(m_window->GetHWND(), &rc);
    *position = rc;
    *clip = rc;
    *frame = new (std::nothrow) CActiveXFrameWnd(this);
    if (!m_accelerators) {
        ACCEL empty = {0, 0, 0};
        m_accelerators = ::CreateAcceleratorTableW(&empty, 1);
    }
    CWindowUIManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = manager ? manager->GetWindowHandle() : nullptr;
    info->haccel = m_accelerators;
    info->cAccelEntries = 1;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* out)
{
    if (!out) return E_POINTER;
    if (!m_owner) return E_UNEXPECTED;
    if (!m_owner->m_hostWindow) CreateActiveXWnd();
    if (!m_owner->m_hostWindow) return E_FAIL;
    *out = m_owner->m_hostWindow;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_owner || !m_owner->m_control) return E_UNEXPECTED;
    return m_owner->m_control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL focus)
{
    m_focused = (focus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_owner) return E_UNEXPECTED;
    *out = new (std::nothrow) CActiveXEnum(m_owner->m_control);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL lock)
{
    m_locked = (lock != FALSE);
    return S_OK;
}

HRESULT CActiveXCtrl::CreateActiveXWnd()
{
    if (m_window) return S_OK;
    if (!m_owner) return E_UNEXPECTED;
    CWindowUIManager* manager = m_owner->GetManager();
    m_window = new (std::nothrow) CActiveXWnd(this);
    if (!m_window) return E_OUTOFMEMORY;
    m_owner->m_hostWindow = m_window->Init(manager ? manager->GetWindowHandle() : nullptr);
    if (!m_owner->m_hostWindow) {
        DestroyActiveXWnd();
        return E_FAIL;
    }
    return S_OK;
}

void CActiveXCtrl::DestroyActiveXWnd()
{
    if (!m_window) return;
    CActiveXWnd* window = m_window;
    m_window = nullptr;
    const HWND hwnd = window->GetHWND();
    if (m_owner && m_owner->m_hostWindow == hwnd) m_owner->m_hostWindow = nullptr;
    window->CloseAndDelete();
}

// ---- CActiveXWnd --------------------------------------------------------------------------------

void CActiveXWnd::CloseAndDelete()
{
    const HWND hwnd = m_hWnd;
    if (hwnd && IsLayered()) Manager()->RemoveNativeWindow(hwnd);
    Detach();
    // Never created, or its final message has run: nothing will delete it later.
    if (!m_bound || m_finalSeen) {
        delete this;
        return;
    }
    m_deleteOnFinal = true;
    if (hwnd) ::DestroyWindow(hwnd);
}

LRESULT CActiveXWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    m_bound = true;
    switch (msg) {
    case WM_CREATE:
        return OnCreate();
    case WM_TIMER:
        return OnTimer(wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT ps = {};
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 1;
    }
    case WM_PRINT:
        return OnPrint(reinterpret_cast<HDC>(wParam));
    case WM_SETFOCUS:
        return OnSetFocus(wParam, lParam);
    case WM_KILLFOCUS:
        if (m_owner) m_owner->m_focused = false;
        break;
    case WM_ERASEBKGND:
        if (m_owner && m_owner->m_viewObject) return 1;
        break;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(wParam, lParam);
    case WM_MOUSEWHEEL:
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CActiveXWnd::OnFinalMessage(HWND hwnd)
{
    m_finalSeen = true;
    if (IsLayered()) Manager()->RemoveNativeWindow(hwnd);
    if (m_deleteOnFinal) delete this;
}

void CActiveXWnd::DoVerb(LONG verb)
{
    if (!m_owner || !m_owner->m_owner || !m_owner->m_owner->m_control) return;
    IOleClientSite* clientSite = nullptr;
    m_owner->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&clientSite));
    const RECT rc = m_owner->m_owner->GetPos();
    // The control may make its owner let go of it (and of this window) while it carries out the verb.
    const auto control = Hold(m_owner->m_owner->m_control);
    control->DoVerb(verb, nullptr, clientSite, 0, m_hWnd, &rc);
    if (clientSite) clientSite->Release();
}

LRESULT CActiveXWnd::OnCreate()
{
    if (IsLayered()) ::SetTimer(m_hWnd, kCaretTimerId, ::GetCaretBlinkTime(), nullptr);
    return 0;
}

LRESULT CActiveXWnd::OnTimer(WPARAM wParam, LPARAM lParam)
{
    if (wParam != kCaretTimerId) return CWindowWnd::HandleMessage(WM_TIMER, wParam, lParam);
    if (IsLayered() && ++m_caretTicks >= 10) {
        m_caretTicks = 0;
        m_caretVisible = !m_caretVisible;
    }
    return 0;
}

LRESULT CActiveXWnd::OnPrint(HDC hdc)
{
    if (!m_owner || !m_owner->m_viewObject) return 1;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const RECTL bounds = ToRectL(client);
    m_owner->m_viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, &bounds, nullptr, 0);
    if (m_caretVisible) DrawCaret(hdc);
    return 1;
}

void CActiveXWnd::DrawCaret(HDC hdc)
{
    CWindowUIManager* manager = Manager();
    if (!manager) return;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info) || !info.hwndCaret) return;
    POINT topLeft = {info.rcCaret.left, info.rcCaret.top};
    ::ClientToScreen(info.hwndCaret, &topLeft);
    ::ScreenToClient(manager->GetWindowHandle(), &topLeft);
    const RECT& item = m_owner->m_owner->GetPos();
    if (!::PtInRect(&item, topLeft)) return;
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ old = ::SelectObject(hdc, pen);
    const int height = info.rcCaret.bottom - info.rcCaret.top;
    ::MoveToEx(hdc, topLeft.x, topLeft.y, nullptr);
    ::LineTo(hdc, topLeft.x, topLeft.y + height);
    ::SelectObject(hdc, old);
    ::DeleteObject(pen);
}

LRESULT CActiveXWnd::OnSetFocus(WPARAM wParam, LPARAM lParam)
{
    if (m_owner) {
        m_owner->m_focused = true;
        if (!m_owner->m_uiActivated) DoVerb(OLEIVERB_UIACTIVATE);
    }
    return CWindowWnd::HandleMessage(WM_SETFOCUS, wParam, lParam);
}

LRESULT CActiveXWnd::OnMouseActivate(WPARAM wParam, LPARAM lParam)
{
    if (m_owner && m_owner->m_owner && m_owner->m_owner->m_control) {
        DWORD status = 0;
        m_owner->m_owner->m_control->GetMiscStatus(DVASPECT_CONTENT, &status);
        if (status & OLEMISC_NOUIACTIVATE) return 0;
        if (!m_owner->m_inPlaceActive) DoVerb(OLEIVERB_INPLACEACTIVATE);
    }
    return CWindowWnd::HandleMessage(WM_MOUSEACTIVATE, wParam, lParam);
}

// ---- CActiveXUI ---------------------------------------------------------------------------------

CActiveXUI::~CActiveXUI() { CActiveXUI::ReleaseHostedControl(); }

void CActiveXUI::DeleteSelf()
{
    ReleaseHostedControl();
    // Whatever still holds the COM faces keeps a control that belongs to no window.
    SetManager(nullptr, nullptr, false);
    ReleaseComReference();
}

ULONG CActiveXUI::ReleaseComReference()
{
    const LONG left = ::InterlockedDecrement(&m_comReferences);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void* CActiveXUI::GetInterface(const wchar_t* name)
{
    if (name && std::wcscmp(name, L"ActiveX") == 0) return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(name);
}

bool CActiveXUI::SetClassId(const wchar_t* text)
{
    wchar_t buffer[100] = {};
    if (text) ::lstrcpynW(buffer, text, 100);
    CLSID clsid = GUID_NULL;
    HRESULT hr = buffer[0] == L'{' ? ::CLSIDFromString(buffer, &clsid) : ::CLSIDFromProgID(buffer, &clsid);
    if (FAILED(hr)) clsid = GUID_NULL;
    return SetClassId(clsid);
}

bool CActiveXUI::SetClassId(REFCLSID clsid)
{
    if (clsid == GUID_NULL) return false;
    m_created = false;
    m_clsid = clsid;
    if (!m_delayCreate) CreateHostedControl();
    return true;
}

HRESULT CActiveXUI::QueryHostedControl(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_control) return E_PENDING;
    return m_control->QueryInterface(iid, out);
}

void CActiveXUI::SetDelayedCreation(bool delay)
{
    if (m_delayCreate == delay) return;
    if (!delay && !m_created && m_clsid != GUID_NULL) CreateHostedControl();
    m_delayCreate = delay;
}

void CActiveXUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (std::wcscmp(name, L"clsid") == 0)
        SetClassId(value);
    else if (std::wcscmp(name, L"modulename") == 0)
        SetModuleName(value);
    else if (std::wcscmp(name, L"delaycreate") == 0)
        SetDelayedCreation(value && std::wcscmp(value, L"true") == 0);
    else
        CControlUI::SetAttribute(name, value);
}

bool CActiveXUI::CreateFromModule(IOleObject** out) const
{
    if (m_moduleName.IsEmpty()) return false;
    // The library stays loaded: the control's code must outlive every object it handed out.
    HMODULE module = ::LoadLibraryW(m_moduleName);
    if (!module) return false;
    using GetClassObjectProc = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) return false;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(m_clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory) return false;
    hr = factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(out));
    factory->Release();
    return SUCCEEDED(hr) && *out;
}

bool CActiveXUI::CreateFromRegistry(IOleObject** out) const
{
    IOleControl* created = nullptr;
    HRESULT hr = ::CoCreateInstance(m_clsid, nullptr, CLSCTX_ALL, IID_IOleControl, reinterpret_cast<void**>(&created));
    if (FAILED(hr) || !created) {
        DebugOutputFormat(L"CActiveXUI CoCreateInstance failed, hr=%ld, GLE=%ld", static_cast<long>(hr),
                          static_cast<long>(::GetLastError()));
        return false;
    }
    created->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(out));
    created->Release();
    return *out != nullptr;
}

bool CActiveXUI::CreateHostedControl()
{
    ReleaseHostedControl();
    m_created = true;
    IOleObject* created = nullptr;
    if (!CreateFromModule(&created) && !CreateFromRegistry(&created)) return false;
    m_control = created;

    m_site = new (std::nothrow) CActiveXCtrl(this);
    if (!m_site) return false;
    // Creation stops as soon as the control made this owner let go of it.
    const auto control = Hold(created);
    IOleClientSite* siteFace = nullptr;
    m_site->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&siteFace));
    const std::unique_ptr<IOleClientSite, ComRelease> clientSite(siteFace);
    DWORD miscStatus = 0;
    control->GetMiscStatus(DVASPECT_CONTENT, &miscStatus);
    if (miscStatus & OLEMISC_SETCLIENTSITEFIRST) control->SetClientSite(clientSite.get());
    if (HasLetGoOf(created)) return false;
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))) &&
        persist) {
        const HRESULT initialised = persist->InitNew();
        persist->Release();
        if (FAILED(initialised) || HasLetGoOf(created)) return false;
    }
    if ((miscStatus & OLEMISC_SETCLIENTSITEFIRST) == 0) control->SetClientSite(clientSite.get());
    if (HasLetGoOf(created)) return false;

    HRESULT hr = control->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(&m_site->m_viewObject));
    if (FAILED(hr)) hr = control->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&m_site->m_viewObject));
    if (FAILED(hr)) hr = control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&m_site->m_viewObject));
    control->SetHostNames(L"UIActiveX", nullptr);
    if (HasLetGoOf(created)) return false;
    OnControlCreated();
    if (HasLetGoOf(created)) return false;
    hr = S_OK;
    // Made before it joined any window (built in code), it is put in place once a window shows it.
    m_awaitingWindow = (miscStatus & OLEMISC_INVISIBLEATRUNTIME) == 0 && !m_manager;
    if ((miscStatus & OLEMISC_INVISIBLEATRUNTIME) == 0 && m_manager) {
        hr = ActivateInPlace(*control, clientSite.get());
        if (HasLetGoOf(created)) return false;
    }
    IObjectWithSite* withSite = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite))) && withSite) {
        withSite->SetSite(static_cast<IOleClientSite*>(m_site));
        withSite->Release();
    }
    return SUCCEEDED(hr) && !HasLetGoOf(created);
}

HRESULT CActiveXUI::ActivateInPlace(IOleObject& control, IOleClientSite* clientSite)
{
    const RECT rc = GetPos();
    return control.DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, m_manager->GetWindowHandle(), &rc);
}

void CActiveXUI::ActivateOnceShown()
{
    if (!m_awaitingWindow || !m_control || !m_site || !m_manager || !m_manager->GetWindowHandle() || !IsVisible())
        return;
    m_awaitingWindow = false;
    IOleClientSite* siteFace = nullptr;
    m_site->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&siteFace));
    const std::unique_ptr<IOleClientSite, ComRelease> clientSite(siteFace);
    IOleObject* activated = m_control;
    const auto control = Hold(activated);
    const auto alive = WatchLifetime();
    ActivateInPlace(*control, clientSite.get());
    if (!alive.expired() && !HasLetGoOf(activated)) FollowWithWindow();
}

void CActiveXUI::ReleaseHostedControl()
{
    m_awaitingWindow = false;
    if (CWindowUIManager* manager = LiveManager()) manager->RemoveMessageFilter(this);
    // Members are cleared before the calls out: the control may call back into the site while closing.
    if (IOleObject* control = m_control) {
        m_control = nullptr;
        IObjectWithSite* withSite = nullptr;
        if (SUCCEEDED(control->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite))) &&
            withSite) {
            withSite->SetSite(nullptr);
            withSite->Release();
        }
        if (!m_hostManaged) control->Close(OLECLOSE_NOSAVE);
        control->SetClientSite(nullptr);
        control->Release();
    }
    if (CActiveXCtrl* site = m_site) {
        m_site = nullptr;
        // A control that still holds the site keeps it alive; its window must not outlive the owner.
        // It also lets go of the control's faces, so a control that forgot to drop the site leaks no cycle.
        site->DestroyActiveXWnd();
        site->m_owner = nullptr;
        ReleaseInto(site->m_viewObject);
        ReleaseInto(site->m_inPlaceObject);
        site->m_inPlaceActive = false;
        site->Release();
    }
    m_hostWindow = nullptr;
}

bool CActiveXUI::IsWindowedSite() const { return m_site && !m_site->m_windowless; }

RECT CActiveXUI::SiteRect() const { return IsWindowedSite() ? MovedToOrigin(m_rcItem) : m_rcItem; }

void CActiveXUI::FollowWithWindow()
{
    if (!IsWindowedSite() || !m_site->m_window) return;
    ::MoveWindow(m_site->m_window->GetHWND(), m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                 m_rcItem.bottom - m_rcItem.top, TRUE);
}

void CActiveXUI::SetManager(CWindowUIManager* manager, CControlUI* parent, bool runInit)
{
    const bool moved = manager != m_manager;
    const auto alive = WatchLifetime();
    // The window left lets go of the filter in the base.
    CControlUI::SetManager(manager, parent, runInit);
    if (!moved || alive.expired()) return;
    FollowToWindow();
    ActivateOnceShown();
    if (alive.expired()) return;
    OnWindowChanged();
}

void CActiveXUI::ListenToWindow()
{
    m_hostWindow = m_manager ? m_manager->GetWindowHandle() : nullptr;
    if (!m_manager) return;
    // Activated again: still one filter entry, or release would leave one behind.
    m_manager->RemoveMessageFilter(this);
    m_manager->AddMessageFilter(this);
}

// Built while bound to a window and attached again, or moved to another window: the control is fed,
// drawn and parented by the window that shows it now.
void CActiveXUI::FollowToWindow()
{
    if (!m_site || !m_site->m_inPlaceActive) return;
    if (m_site->m_windowless) {
        ListenToWindow();
        return;
    }
    const HWND window = m_manager ? m_manager->GetWindowHandle() : nullptr;
    // Out of every window meanwhile, the child window waits unseen so that no window's end takes it along.
    // Its place there comes with the next layout.
    if (m_site->m_window) ::SetParent(m_site->m_window->GetHWND(), window ? window : HWND_MESSAGE);
}

void CActiveXUI::SetPos(RECT rc, bool invalidate)
{
    // The size event runs application code, which may delete the control.
    const auto alive = WatchLifetime();
    CControlUI::SetPos(rc, invalidate);
    if (alive.expired()) return;
    if (!m_created) CreateHostedControl();
    else ActivateOnceShown();
    if (alive.expired() || !m_control || !m_site) return;
    HDC screen = ::GetDC(nullptr);
    SIZEL extent = {::MulDiv(m_rcItem.right - m_rcItem.left, 2540, ::GetDeviceCaps(screen, LOGPIXELSX)),
                    ::MulDiv(m_rcItem.bottom - m_rcItem.top, 2540, ::GetDeviceCaps(screen, LOGPIXELSY))};
    ::ReleaseDC(nullptr, screen);
    IOleObject* resized = m_control;
    const auto control = Hold(resized);
    control->SetExtent(DVASPECT_CONTENT, &extent);
    if (HasLetGoOf(resized)) return;
    if (m_site->m_inPlaceObject) {
        const RECT objectRect = SiteRect();
        m_site->m_inPlaceObject->SetObjectRects(&objectRect, &objectRect);
        if (HasLetGoOf(resized)) return;
    }
    FollowWithWindow();
}

void CActiveXUI::Move(SIZE offset, bool invalidate)
{
    CControlUI::Move(offset, invalidate);
    FollowWithWindow();
}

void CActiveXUI::ShowHostWindow()
{
    if (IsWindowedSite() && m_hostWindow) ::ShowWindow(m_hostWindow, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (!alive.expired()) ShowHostWindow();
    if (!alive.expired()) ActivateOnceShown();
}

void CActiveXUI::SetInternalVisible(bool visible)
{
    const auto alive = WatchLifetime();
    CControlUI::SetInternalVisible(visible);
    // Losing the focus notifies: the handler may have deleted the control.
    if (!alive.expired()) ShowHostWindow();
    if (!alive.expired()) ActivateOnceShown();
}

bool CActiveXUI::PaintParts(HDC hdc, const RECT&, CControlUI*)
{
    if (m_site && m_site->m_windowless && m_site->m_viewObject) {
        const RECTL bounds = ToRectL(m_rcItem);
        m_site->m_viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, &bounds, nullptr, 0);
    }
    return true;
}

bool CActiveXUI::AcceptsWindowlessMessage(UINT msg, LPARAM lParam) const
{
    const bool mouse = msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST;
    if (mouse && !IsMouseEnabled()) return false;
    if (!IsVisible()) return false;
    if (mouse || msg == WM_SETCURSOR) {
        if (m_site->m_captured) return true;
        // Without IViewObjectEx there is no hit test to ask: the mouse belongs to whatever lies under it.
        IViewObjectEx* viewEx = nullptr;
        if (!m_site->m_viewObject ||
            FAILED(m_site->m_viewObject->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(&viewEx))) ||
            !viewEx)
            return false;
        // WM_SETCURSOR carries no point: the last mouse position stands for it.
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (msg == WM_SETCURSOR && m_manager) pt = m_manager->GetMousePos();
        DWORD hit = HITRESULT_OUTSIDE;
        viewEx->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, pt, 0, &hit);
        viewEx->Release();
        return hit == HITRESULT_HIT;
    }
    if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) return m_site->m_focused;
    return msg == WM_HELP || msg == WM_CONTEXTMENU;
}

HRESULT CActiveXUI::TranslateKeyThrough(IUnknown* object, MSG* msg) const
{
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
    if (!object) return E_NOTIMPL;
    HWND focus = ::GetFocus();
    while (focus && focus != m_hostWindow) focus = ::GetParent(focus);
    if (!focus) return S_FALSE;
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(object->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))) || !active)
        return S_FALSE;
    const HRESULT hr = active->TranslateAccelerator(msg);
    active->Release();
    return hr;
}

HRESULT CActiveXUI::ConnectEventSink(REFIID events, IDispatch* sink, DWORD& cookie, bool connect)
{
    if (!connect && cookie == 0) return S_OK;
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = QueryHostedControl(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr) || !container) return FAILED(hr) ? hr : E_NOINTERFACE;
    IConnectionPoint* point = nullptr;
    hr = container->FindConnectionPoint(events, &point);
    container->Release();
    if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_NOINTERFACE;
    if (connect) {
        hr = point->Advise(sink, &cookie);
        if (FAILED(hr)) cookie = 0;
    } else {
        hr = point->Unadvise(cookie);
        cookie = 0;
    }
    point->Release();
    return hr;
}

LRESULT CActiveXUI::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (!m_site || !m_site->m_windowless || !m_site->m_inPlaceActive || !m_site->m_inPlaceObject) return 0;
    if (!AcceptsWindowlessMessage(msg, lParam)) return 0;
    auto* windowless = static_cast<IOleInPlaceObjectWindowless*>(m_site->m_inPlaceObject);
    // The control may release itself while handling the message.
    windowless->AddRef();
    LRESULT result = 0;
    const HRESULT hr = windowless->OnWindowMessage(msg, wParam, lParam, &result);
    windowless->Release();
    if (hr == S_OK) handled = !(msg == WM_SETCURSOR || msg == WM_HELP || msg == WM_CONTEXTMENU);
    return result;
}

}  // namespace SkinUI
