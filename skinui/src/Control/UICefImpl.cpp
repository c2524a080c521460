// The web view's worker: browser creation, life span, page callbacks and visibility.
#include "Control/UICefImpl.h"

#include "Core/WindowUIManager.h"
#include "Internal/Cef/CefUtil.h"
#include "Internal/Cef/Engine/CefLibrary.h"
#include "Internal/Cef/RequestContextHandler.h"
#include "Internal/Cef/WndProcHookRegistry.h"
#include "Utils/ProcessUtils.h"

#include <utility>

namespace SkinUI {
namespace {

std::string ToUtf8(const CefString& text) { return WideToMultiByte(text.c_str(), CP_UTF8); }

bool HasNoActivate(HWND window)
{
    return window && (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
}

CUIVariant ToVariant(CefListValue& list, size_t index)
{
    CUIVariant value;
    switch (list.GetType(index)) {
    case VTYPE_BOOL: value.SetInt(list.GetBool(index) ? 1 : 0); break;
    case VTYPE_INT: value.SetInt(list.GetInt(index)); break;
    case VTYPE_DOUBLE: value.SetDouble(list.GetDouble(index)); break;
    case VTYPE_STRING: value.SetString(ToUtf8(list.GetString(index))); break;
    default: break;
    }
    return value;
}

}  // namespace

CCefUI::CCefUIImpl::CCefUIImpl(CCefUI* owner) : m_owner(owner), m_dragRegion(::CreateRectRgn(0, 0, 0, 0)) {}

CCefUI::CCefUIImpl::~CCefUIImpl()
{
    // A browser outliving its view would keep its window from ever closing: it leaves the registry
    // now and is closed without asking the page.
    if (m_clientHandler) m_clientHandler->DetachDelegate();
    if (m_browser) {
        CefRefPtr<CefBrowser> browser = m_browser;
        LeaveHookRegistry(browser);
        if (auto host = browser->GetHost()) host->CloseBrowser(true);
    }
    WatchDoubleClicks(false);
    RemoveDragSubclasses();
    ReleaseOpenGL();
    DestroyOsrWindow();
    if (m_dragRegion) ::DeleteObject(m_dragRegion);
}

CWindowUIManager* CCefUI::CCefUIImpl::Manager() const { return m_owner->GetManager(); }

HWND CCefUI::CCefUIImpl::ManagerWindow() const { return Manager() ? Manager()->GetWindowHandle() : nullptr; }

float CCefUI::CCefUIImpl::Scale() const
{
    return Manager() ? Manager()->GetDpiScaler()->GetScale() / 100.0f : 1.0f;
}

RECT CCefUI::CCefUIImpl::ControlRect() const { return m_owner->GetPos(); }

CefRefPtr<CefBrowserHost> CCefUI::CCefUIImpl::Host() const
{
    return m_browser ? m_browser->GetHost() : CefRefPtr<CefBrowserHost>();
}

void CCefUI::CCefUIImpl::SetFrameRate(int frameRate)
{
    if (frameRate == m_frameRate) return;
    m_frameRate = frameRate;
    if (auto host = Host()) host->SetWindowlessFrameRate(frameRate);
}

bool CCefUI::CCefUIImpl::CreateBrowser()
{
    HWND parent = ManagerWindow();
    // Without a usable engine nothing can be made; the loader has said why, once.
    if (!parent || !CefLibrary::Get().IsLoaded()) return false;
    if (!m_offscreen) m_openGL = false;
    m_backgroundColor = (m_transparent ? 0x00000000u : 0xFF000000u) | (m_backgroundColor & 0x00FFFFFFu);
    const RECT rc = ControlRect();
    if (m_offscreen && m_openGL) {
        if (::IsRectEmpty(&rc)) return false;
        // Without OpenGL the frames are painted through GDI.
        if (!CreateOsrWindow(rc)) m_openGL = false;
    }

    CefBrowserSettings settings;
    settings.windowless_frame_rate = m_frameRate;
    settings.background_color = m_backgroundColor;

    CefWindowInfo windowInfo;
    if (!m_offscreen) {
        if (::IsRectEmpty(&rc)) return false;
        windowInfo.SetAsChild(parent, rc);
        // Made on a page not shown (or in a hidden parent), it waits hidden until the control shows.
        if (!m_owner->IsVisible()) windowInfo.style &= ~WS_VISIBLE;
    } else {
        windowInfo.SetAsWindowless(UsesOsrWindow() ? m_osrWindow : parent, m_transparent);
    }
    if (HasNoActivate(windowInfo.parent_window)) windowInfo.ex_style |= WS_EX_NOACTIVATE;

    if (m_clientHandler) m_clientHandler->DetachDelegate();
    m_clientHandler = new ClientHandlerOsr(this);
    m_clientHandler->SetBlockList(m_blockList);
    m_url = m_owner->GetUrl();

    CefRefPtr<CefRequestContextHandler> contextHandler(new RequestContextHandler());
    CefRefPtr<CefRequestContext> context =
        CefRequestContext::CreateContext(CefRequestContext::GetGlobalContext(), contextHandler);
    if (CefBrowserHost::CreateBrowser(windowInfo, m_clientHandler, CefString(m_url.GetData()), settings, context))
        return true;
    // The next showing or placing of the control tries again.
    DebugOutputFormat(L"SkinUI: Warning: the browser engine refused to create a browser for %ls.\n",
                      m_url.GetData());
    ForgetCreation();
    return false;
}

void CCefUI::CCefUIImpl::ForgetCreation()
{
    m_clientHandler->DetachDelegate();
    m_clientHandler = nullptr;
    ReleaseOpenGL();
    DestroyOsrWindow();
}

void CCefUI::CCefUIImpl::LoadUrl()
{
    if (!m_browser) return;
    if (auto frame = m_browser->GetMainFrame()) frame->LoadURL(CefString(m_owner->GetUrl().GetData()));
}

void CCefUI::CCefUIImpl::OnControlMoved()
{
    PlaceDragRegion();
    auto host = Host();
    if (!host) return;
    const RECT rc = ControlRect();
    if (HWND placed = PlacedWindow())
        ::SetWindowPos(placed, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);
    host->WasResized();
}

void CCefUI::CCefUIImpl::FollowWindow()
{
    const HWND window = ManagerWindow();
    if (!m_browser || window == m_registeredWindow) return;
    const HWND left = m_registeredWindow;
    // The window it leaves is closing its browsers, this one among them.
    if (IsClosing(left)) m_closingForWindowLeft = true;
    LeaveHookRegistry(m_browser);
    m_registeredWindow = window;
    // Out of every window meanwhile, the browser waits unseen so that no window's end closes it.
    if (!window) {
        WatchDoubleClicks(false);
        RetargetDragSubclasses(left, nullptr);
        if (HWND placed = PlacedWindow()) ::SetParent(placed, HWND_MESSAGE);
        return;
    }
    WndProcHookRegistry::GetInstance().Add(m_browser, window);
    WatchDoubleClicks(true);
    RetargetDragSubclasses(left, window);
    // Back from waiting: an off-screen page's hook stayed with no window.
    if (!left && m_offscreen && !UsesOsrWindow()) ApplyDragRegion(window);
    if (HWND placed = PlacedWindow()) ::SetParent(placed, window);
}

HWND CCefUI::CCefUIImpl::PlacedWindow() const
{
    if (m_offscreen) return UsesOsrWindow() ? m_osrWindow : nullptr;
    auto host = Host();
    return host ? host->GetWindowHandle() : nullptr;
}

void CCefUI::CCefUIImpl::SetBrowserVisible(bool visible)
{
    // The engine leaves a windowed browser's window, and the OpenGL window is ours, to show or hide.
    if (HWND placed = PlacedWindow()) ::ShowWindow(placed, visible ? SW_SHOWNA : SW_HIDE);
    if (!m_browser) return;
    WndProcHookRegistry::GetInstance().SetViewShown(m_browser, visible);
    if (auto host = Host()) SetHostVisible(*host, visible);
}

void CCefUI::CCefUIImpl::OnAfterCreated(CefRefPtr<CefBrowser> browser)
{
    m_closing = false;
    m_closingForWindowLeft = false;
    m_browser = browser;
    m_registeredWindow = ManagerWindow();
    if (!m_registeredWindow || !::IsWindow(m_registeredWindow)) {
        // Its window went while the browser was being made: nothing would ever close it. The view
        // makes a new one once it is in a window again.
        DropArrivedBrowser();
        m_owner->m_created = false;
        return;
    }
    if (!m_offscreen) {
        // Its own window was made in the window the view left, and went when that one closed: the
        // page could never be seen, so the view makes a new browser where it is now.
        const HWND placed = PlacedWindow();
        if (!placed || !::IsWindow(placed)) {
            DropArrivedBrowser();
            m_owner->m_created = CreateBrowser();
            return;
        }
    }
    WndProcHookRegistry::GetInstance().Add(browser, m_registeredWindow);
    WatchDoubleClicks(true);
    // The view may have moved to another window while the browser was being made there.
    if (HWND placed = PlacedWindow()) {
        if (::GetParent(placed) != m_registeredWindow) ::SetParent(placed, m_registeredWindow);
        OnControlMoved();
    }
    // Hidden meanwhile, the view had no browser to hide.
    if (!m_owner->IsVisible()) SetBrowserVisible(false);
    auto host = Host();
    if (host && host->GetWindowlessFrameRate() != m_frameRate) host->SetWindowlessFrameRate(m_frameRate);
    if (m_owner->GetUrl() != m_url) LoadUrl();
}

void CCefUI::CCefUIImpl::DropArrivedBrowser()
{
    m_registeredWindow = nullptr;
    if (auto host = Host()) host->CloseBrowser(true);
    m_browser = nullptr;
    ForgetCreation();
}

void CCefUI::CCefUIImpl::OnBrowserClosing(CefRefPtr<CefBrowser>) { m_closing = true; }

void CCefUI::CCefUIImpl::LeaveHookRegistry(CefRefPtr<CefBrowser> browser)
{
    HWND window = m_registeredWindow;
    if (!window) return;
    auto& registry = WndProcHookRegistry::GetInstance();
    registry.Remove(browser, window);
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // The window's close waited for its browsers: the last one gone lets it through.
    if (registry.BrowserCount(window) == 0 && registry.TakeCloseRequest(window, wParam, lParam))
        ::PostMessageW(window, WM_CLOSE, wParam, lParam);
}

bool CCefUI::CCefUIImpl::IsClosing(HWND window)
{
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    return window && WndProcHookRegistry::GetInstance().GetCloseRequest(window, wParam, lParam);
}

void CCefUI::CCefUIImpl::OnBeforeClose(CefRefPtr<CefBrowser> browser)
{
    RemoveDragSubclasses();
    WatchDoubleClicks(false);
    WndProcHookRegistry::GetInstance().SetViewShown(browser, true);
    m_browser = nullptr;
    // Closed for a window the view has left, the browser leaves the view without one where it shows now:
    // it gets a new one there, or once it is in a window again, as when a browser arrives where it cannot
    // be shown. A window that is closing too only waits for this one.
    const bool replace = std::exchange(m_closingForWindowLeft, false) && !IsClosing(ManagerWindow());
    LeaveHookRegistry(browser);
    if (!replace) {
        m_clientHandler->DetachDelegate();
        ReleaseOpenGL();
        return;
    }
    ForgetCreation();
    m_owner->m_created = CreateBrowser();
}

void CCefUI::CCefUIImpl::OnJSCall(CefRefPtr<CefBrowser>, CefRefPtr<CefListValue> arguments)
{
    if (m_closing || OwnerLetGo() || !arguments || arguments->GetSize() <= 1) return;
    const std::string function = ToUtf8(arguments->GetString(1));
    std::vector<CUIVariant> values;
    for (size_t i = 2; i < arguments->GetSize(); ++i) values.push_back(ToVariant(*arguments, i));
    const auto keepWindow = m_owner->KeepWindowWhileActing();
    if (m_owner->m_onScriptCall) m_owner->m_onScriptCall(function, values);
}

void CCefUI::CCefUIImpl::OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_errorcode_t errorCode,
                                     const CefString& errorText, const CefString& failedUrl)
{
    if (m_closing || OwnerLetGo() || !m_owner->m_onLoadError) return;
    const auto keepWindow = m_owner->KeepWindowWhileActing();
    m_owner->m_onLoadError(frame && frame->IsMain(), ToUtf8(failedUrl), errorCode, ToUtf8(errorText));
}

void CCefUI::CCefUIImpl::OnResourceResponse(CefRefPtr<CefBrowser>, const std::string& requestUrl, int statusCode)
{
    const auto keepWindow = m_owner->KeepWindowWhileActing();
    if (m_owner->m_onResourceResponse && !OwnerLetGo()) m_owner->m_onResourceResponse(requestUrl, statusCode);
}

void CCefUI::CCefUIImpl::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, cef_termination_status_t status)
{
    if (!m_owner->m_onRenderProcessTerminated || OwnerLetGo()) return;
    const auto keepWindow = m_owner->KeepWindowWhileActing();
    CefRefPtr<CefFrame> frame = browser ? browser->GetMainFrame() : CefRefPtr<CefFrame>();
    m_owner->m_onRenderProcessTerminated(frame ? ToUtf8(frame->GetURL()) : std::string(), status);
}

void CCefUI::CCefUIImpl::OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                             CefRefPtr<CefContextMenuParams>, CefRefPtr<CefMenuModel> model)
{
    if (model) model->Clear();
}

void CCefUI::CCefUIImpl::OnTooltip(CefRefPtr<CefBrowser>, CefString& text)
{
    if (m_closing || !Manager()) return;
    if (text.empty()) Manager()->HideToolTip();
    else Manager()->ShowToolTipAt(text.c_str(), m_mouse.current.x, m_mouse.current.y);
}

void CCefUI::CCefUIImpl::OnCursorChange(CefRefPtr<CefBrowser>, CefCursorHandle cursor)
{
    HWND window = InputWindow();
    if (!window || !::IsWindow(window)) return;
    ::SetClassLongPtrW(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    ::SetCursor(cursor);
}

}  // namespace SkinUI
