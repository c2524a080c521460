#include "StandInBrowser.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "StandInDispatcher.h"
#include "StandInJournal.h"
#include "StandInRequestContext.h"

namespace {

const wchar_t kBrowserWindowClass[] = L"CefStandInBrowserWindow";

std::atomic<int> g_lastId{0};

int NextBrowserId() { return ++g_lastId; }

std::mutex& LiveBrowsersLock() {
    static std::mutex lock;
    return lock;
}

std::map<int, StandInBrowser*>& LiveBrowsers() {
    static std::map<int, StandInBrowser*> browsers;
    return browsers;
}

std::wstring Numbers(std::initializer_list<long long> values) {
    std::wstring text;
    for (long long value : values) {
        if (!text.empty()) text += L",";
        text += std::to_wstring(value);
    }
    return text;
}

HINSTANCE ThisModule() {
    HINSTANCE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&NextBrowserId), &module);
    return module;
}

HWND CreateBrowserWindow(const CefWindowInfo& info) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ThisModule();
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kBrowserWindowClass;
    ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
    return ::CreateWindowExW(info.ex_style, kBrowserWindowClass, L"", info.style, info.x, info.y, info.width,
                             info.height, info.parent_window, nullptr, ThisModule(), nullptr);
}

}  // namespace

std::atomic<int> StandInBrowser::s_liveCount{0};

StandInBrowser::StandInBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefString& url,
                               const CefBrowserSettings& settings, CefRefPtr<CefRequestContext> requestContext)
    : m_id(NextBrowserId()),
      m_windowInfo(windowInfo),
      m_client(client),
      m_url(url),
      m_requestContext(requestContext),
      m_backgroundColor(settings.background_color),
      m_frameRate(settings.windowless_frame_rate) {
    ++s_liveCount;
    std::lock_guard<std::mutex> guard(LiveBrowsersLock());
    LiveBrowsers()[m_id] = this;
}

StandInBrowser::~StandInBrowser() {
    if (m_window) ::DestroyWindow(m_window);
    --s_liveCount;
    std::lock_guard<std::mutex> guard(LiveBrowsersLock());
    LiveBrowsers().erase(m_id);
}

CefRefPtr<StandInBrowser> StandInBrowser::Find(int id) {
    std::lock_guard<std::mutex> guard(LiveBrowsersLock());
    auto found = LiveBrowsers().find(id);
    return found == LiveBrowsers().end() ? nullptr : found->second;
}

int StandInBrowser::NewestId() { return g_lastId.load(); }

bool StandInBrowser::Start() {
    if (!m_windowInfo.windowless_rendering_enabled) {
        m_window = CreateBrowserWindow(m_windowInfo);
        if (!m_window) return false;
    }
    Record(L"Create(" + m_url + L")");
    Record(L"Context(" + DescribeRequestContext(m_requestContext) + L")");
    m_keepAlive = this;
    Later(&StandInBrowser::Created);
    return true;
}

void StandInBrowser::Record(const std::wstring& entry) const { AppendToJournal(m_id, entry); }

void StandInBrowser::Later(void (StandInBrowser::*step)()) {
    CefRefPtr<StandInBrowser> self(this);
    PostToUiThread([self, step] {
        if (self->m_client) (self.get()->*step)();
    });
}

void StandInBrowser::Created() {
    if (auto lifeSpan = m_client->GetLifeSpanHandler()) lifeSpan->OnAfterCreated(this);
    if (m_client) LoadEnded();
    if (m_client) Paint();
}

void StandInBrowser::Paint() {
    if (!m_windowInfo.windowless_rendering_enabled) return;
    auto renderHandler = m_client->GetRenderHandler();
    if (!renderHandler) return;
    CefRect view;
    if (!renderHandler->GetViewRect(this, view) || view.IsEmpty()) view = CefRect{0, 0, 1, 1};
    const std::vector<uint32_t> pixels(static_cast<size_t>(view.width) * view.height, m_backgroundColor);
    Record(L"Paint(" + Numbers({view.width, view.height}) + L")");
    renderHandler->OnPaint(this, PET_VIEW, {CefRect{0, 0, view.width, view.height}}, pixels.data(), view.width,
                           view.height);
}

void StandInBrowser::LoadEnded() {
    if (auto loadHandler = m_client->GetLoadHandler()) loadHandler->OnLoadEnd(this, this, 200);
}

void StandInBrowser::LoadURL(const CefString& url) {
    Record(L"LoadURL(" + url + L")");
    m_url = url;
    Later(&StandInBrowser::LoadEnded);
}

void StandInBrowser::CloseBrowser(bool forceClose) {
    Record(L"CloseBrowser(" + Numbers({forceClose}) + L")");
    if (m_closing) return;
    m_closing = true;
    Later(&StandInBrowser::Close);
}

void StandInBrowser::Close() {
    CefRefPtr<CefClient> client = m_client;
    auto lifeSpan = client->GetLifeSpanHandler();
    if (lifeSpan && lifeSpan->DoClose(this)) {
        m_closing = false;  // the client keeps the browser open
        return;
    }
    if (m_window) {
        ::DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (lifeSpan) lifeSpan->OnBeforeClose(this);
    m_client = nullptr;
    m_requestContext = nullptr;
    Record(L"Closed");
    m_keepAlive = nullptr;
}

void StandInBrowser::WasResized() {
    Record(L"WasResized");
    Later(&StandInBrowser::Paint);
}

void StandInBrowser::WasHidden(bool hidden) { Record(L"WasHidden(" + Numbers({hidden}) + L")"); }

void StandInBrowser::Invalidate(cef_paint_element_type_t type) {
    Record(L"Invalidate(" + Numbers({type}) + L")");
    if (type == PET_VIEW) Later(&StandInBrowser::Paint);
}

void StandInBrowser::SendKeyEvent(const CefKeyEvent& event) {
    Record(L"Key(" + Numbers({event.type, event.windows_key_code, event.native_key_code, event.is_system_key,
                              event.modifiers}) + L")");
}

void StandInBrowser::SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                                         int clickCount) {
    Record(L"Click(" + Numbers({event.x, event.y, type, mouseUp, clickCount, event.modifiers}) + L")");
}

void StandInBrowser::SendMouseMoveEvent(const CefMouseEvent& event, bool mouseLeave) {
    Record(L"Move(" + Numbers({event.x, event.y, mouseLeave, event.modifiers}) + L")");
}

void StandInBrowser::SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) {
    Record(L"Wheel(" + Numbers({event.x, event.y, deltaX, deltaY, event.modifiers}) + L")");
}

void StandInBrowser::SendFocusEvent(bool setFocus) { Record(L"Focus(" + Numbers({setFocus}) + L")"); }

void StandInBrowser::SendCaptureLostEvent() { Record(L"CaptureLost"); }

void StandInBrowser::SetWindowlessFrameRate(int frameRate) {
    m_frameRate = std::clamp(frameRate, 1, 60);
    Record(L"FrameRate(" + Numbers({m_frameRate}) + L")");
}
