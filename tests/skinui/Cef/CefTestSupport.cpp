#include "CefTestSupport.h"

#include <algorithm>

#include "Internal/Cef/Engine/CefLibrary.h"
#include "Internal/Cef/WndProcHookRegistry.h"

namespace CefTest {

namespace {

template <class Function>
Function StandInExport(const char* name) {
    CefLibrary::Get();  // loads the library
    HMODULE module = ::GetModuleHandleW(CEF_LIBRARY_FILE_NAME);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

const wchar_t kTestWindowClass[] = L"CefTestTopLevel";

}  // namespace

std::wstring Journal(int browserId) {
    auto read = StandInExport<int (*)(int, wchar_t*, int)>("cef_standin_journal");
    if (!read) return L"<no engine>";
    std::wstring text(static_cast<size_t>(read(browserId, nullptr, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(read(browserId, &text[0], static_cast<int>(text.size()))));
    return text;
}

int LiveBrowsers() {
    auto count = StandInExport<int (*)()>("cef_standin_live_browsers");
    return count ? count() : -1;
}

int NewestBrowserId() {
    auto newest = StandInExport<int (*)()>("cef_standin_newest_browser");
    return newest ? newest() : 0;
}

CefRefPtr<CefBrowser> BrowserById(int browserId) {
    auto find = StandInExport<CefBrowser* (*)(int)>("cef_standin_browser");
    return find ? CefRefPtr<CefBrowser>::Adopt(find(browserId)) : nullptr;
}

CefRefPtr<CefClient> ClientOf(int browserId) {
    auto find = StandInExport<CefClient* (*)(int)>("cef_standin_client");
    return find ? CefRefPtr<CefClient>::Adopt(find(browserId)) : nullptr;
}

cef_value_type_t ListValue::GetType(size_t index) {
    if (index >= m_entries.size()) return VTYPE_INVALID;
    static const cef_value_type_t kTypes[] = {VTYPE_NULL, VTYPE_BOOL, VTYPE_INT, VTYPE_DOUBLE, VTYPE_STRING};
    return kTypes[m_entries[index].index()];
}

ListValue& ListValue::Write(size_t index, Entry value) {
    if (index >= m_entries.size()) m_entries.resize(index + 1);
    m_entries[index] = std::move(value);
    return *this;
}

void RefuseCreations(int count) {
    if (auto refuse = StandInExport<void (*)(int)>("cef_standin_refuse_creations")) refuse(count);
}

bool PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG giveUp = ::GetTickCount64() + 20000;
    while (!done()) {
        if (::GetTickCount64() > giveUp) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

void PumpPending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

TestWindow::TestWindow(bool visible) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TestWindow::Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTestWindowClass;
    ::RegisterClassW(&windowClass);
    m_window = ::CreateWindowExW(0, kTestWindowClass, L"cef test", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                 nullptr, windowClass.hInstance, this);
    if (m_window && visible) ::ShowWindow(m_window, SW_SHOW);
}

TestWindow::~TestWindow() {
    if (::IsWindow(m_window)) ::DestroyWindow(m_window);
}

WNDPROC TestWindow::OwnProcedure() const { return &TestWindow::Proc; }

LRESULT CALLBACK TestWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_CLOSE && self) {
        ++self->m_closeRequests;
        if (self->refuseClose) return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RecordingDelegate::Called(const std::wstring& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

void RecordingDelegate::OnBrowserClosing(CefRefPtr<CefBrowser>) { calls.push_back(L"Closing"); }

void RecordingDelegate::OnTooltip(CefRefPtr<CefBrowser>, CefString& text) { calls.push_back(L"Tooltip:" + text); }

void RecordingDelegate::OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, cef_errorcode_t errorCode,
                                    const CefString&, const CefString& failedUrl) {
    calls.push_back(L"LoadError:" + std::to_wstring(errorCode) + L":" + failedUrl);
}

void RecordingDelegate::OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int httpStatusCode) {
    calls.push_back(L"LoadEnd:" + std::to_wstring(httpStatusCode));
}

void RecordingDelegate::OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                            CefRefPtr<CefContextMenuParams>, CefRefPtr<CefMenuModel> model) {
    calls.push_back(L"ContextMenu");
    if (model) model->Clear();
}

void RecordingDelegate::OnAfterCreated(CefRefPtr<CefBrowser> created) {
    calls.push_back(L"AfterCreated");
    browser = created;
    if (m_topLevel) SkinUI::WndProcHookRegistry::GetInstance().Add(created, m_topLevel);
}

void RecordingDelegate::OnBeforeClose(CefRefPtr<CefBrowser> closing) {
    calls.push_back(L"BeforeClose");
    browser = nullptr;
    closed = true;
    if (!m_topLevel) return;
    auto& registry = SkinUI::WndProcHookRegistry::GetInstance();
    registry.Remove(closing, m_topLevel);
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (registry.BrowserCount(m_topLevel) == 0 && registry.TakeCloseRequest(m_topLevel, wParam, lParam))
        ::PostMessageW(m_topLevel, WM_CLOSE, wParam, lParam);
}

bool RecordingDelegate::GetViewRect(CefRefPtr<CefBrowser>, CefRect& rect) {
    rect = viewRect;
    return true;
}

void RecordingDelegate::OnPopupShow(CefRefPtr<CefBrowser>, bool show) {
    calls.push_back(show ? L"PopupShow:1" : L"PopupShow:0");
}

void RecordingDelegate::OnPaint(CefRefPtr<CefBrowser>, cef_paint_element_type_t type, const std::vector<CefRect>&,
                                const void* buffer, int width, int height) {
    calls.push_back(L"Paint:" + std::to_wstring(type) + L":" + std::to_wstring(width) + L"x" +
                    std::to_wstring(height));
    if (firstPaintPixels.empty() && buffer) {
        const auto* pixels = static_cast<const uint32_t*>(buffer);
        firstPaintPixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
    }
}

void RecordingDelegate::OnJSCall(CefRefPtr<CefBrowser>, CefRefPtr<CefListValue> arguments) {
    calls.push_back(L"JSCall");
    scriptArguments = arguments;
}

void RecordingDelegate::OnResourceResponse(CefRefPtr<CefBrowser>, const std::string& requestUrl, int statusCode) {
    calls.push_back(L"ResourceResponse");
    resourceUrl = requestUrl;
    resourceStatus = statusCode;
}

void RecordingDelegate::OnRenderProcessTerminated(CefRefPtr<CefBrowser>, cef_termination_status_t status) {
    calls.push_back(L"Terminated:" + std::to_wstring(status));
}

void RecordingDelegate::OnDraggableRegionsChanged(CefRefPtr<CefBrowser>,
                                                  const std::vector<CefDraggableRegion>& regions) {
    calls.push_back(L"Regions:" + std::to_wstring(regions.size()));
}

OffscreenBrowser::OffscreenBrowser(HWND parent, HWND topLevel, const std::wstring& url)
    : delegate(topLevel), handler(new SkinUI::ClientHandlerOsr(&delegate)) {
    CefWindowInfo windowInfo;
    windowInfo.SetAsWindowless(parent, false);
    CefBrowserSettings settings;
    settings.background_color = 0xFF336699;
    started = CefBrowserHost::CreateBrowser(windowInfo, handler, url, settings, nullptr);
}

bool OffscreenBrowser::WaitUntilCreated() {
    return PumpUntil([this] { return bool(delegate.browser); });
}

OffscreenBrowser::~OffscreenBrowser() {
    if (delegate.browser && !delegate.closed) {
        delegate.browser->GetHost()->CloseBrowser(true);
        PumpUntil([this] { return delegate.closed; });
    }
    handler->DetachDelegate();
}

}  // namespace CefTest
