#include "ActiveXHostTest.h"
#include "DebugOutputCapture.h"
#include "Control/UIWebBrowser.h"
#include "Core/DialogBuilder.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <functional>
#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

// {F38BC242-B950-11D1-8918-00C04FC2C836}
constexpr GUID kDocHostCommandGroup = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};
constexpr const wchar_t* kUnregisteredClsid = L"{0D5E2C11-7A34-4E11-9A6B-5B1C2D3E4F50}";
// {4125DD96-E03A-4103-8F70-E0597D803B9C}
constexpr GUID kDownloadManagerService = {0x4125dd96, 0xe03a, 0x4103, {0x8f, 0x70, 0xe0, 0x59, 0x7d, 0x80, 0x3b, 0x9c}};

class RecordingHandler : public IBrowserEventHandler {
public:
    std::wstring navigatedTo;
    std::wstring title;
    int completions = 0;
    int downloads = 0;
    bool cancelNavigation = false;
    std::function<void(CWebBrowserUI*)> onDocumentComplete;

    void BeforeNavigate2(CWebBrowserUI*, IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                         VARIANT_BOOL* cancel) override
    {
        navigatedTo = url->bstrVal;
        if (cancelNavigation) *cancel = VARIANT_TRUE;
    }
    void TitleChange(CWebBrowserUI*, BSTR text) override { title = text; }
    void NavigateComplete2(CWebBrowserUI*, IDispatch*, VARIANT*) override { ++completions; }
    void DocumentComplete(CWebBrowserUI* browser, IDispatch*, VARIANT*) override
    {
        if (onDocumentComplete) onDocumentComplete(browser);
    }
    HRESULT Download(CWebBrowserUI*, IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR,
                     UINT) override
    {
        ++downloads;
        return E_ABORT;
    }
};

// Event arguments as the browser passes them: last to first.
class EventArguments {
public:
    ~EventArguments()
    {
        for (VARIANT& value : m_values) ::VariantClear(&value);
    }
    EventArguments& Text(const wchar_t* text)
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
        m_values.insert(m_values.begin(), value);
        return *this;
    }
    EventArguments& Dispatch()
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_DISPATCH;
        m_values.insert(m_values.begin(), value);
        return *this;
    }
    EventArguments& BoolOut(VARIANT_BOOL* target)
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_BYREF | VT_BOOL;
        value.pboolVal = target;
        m_values.insert(m_values.begin(), value);
        return *this;
    }
    DISPPARAMS* Params()
    {
        m_params = {m_values.data(), nullptr, static_cast<UINT>(m_values.size()), 0};
        return &m_params;
    }

private:
    std::vector<VARIANT> m_values;
    DISPPARAMS m_params = {};
};

HRESULT Fire(IDispatch* sink, DISPID id, DISPPARAMS* params, REFIID iid = IID_NULL)
{
    return sink->Invoke(id, iid, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
}

class WebBrowserTest : public HostingTest {
protected:
    TestOleControl* ShowBrowser(const wchar_t* clsid)
    {
        m_browser = new CWebBrowserUI();
        m_browser->SetAttribute(L"clsid", clsid);
        return Show(m_browser);
    }
    TestOleControl* ShowTestBrowser()
    {
        Register();
        return ShowBrowser(kTestControlClsidText);
    }
    CWebBrowserUI* m_browser = nullptr;
};

TEST_F(WebBrowserTest, MissingBrowserClassFailsCleanly)
{
    DebugOutputCapture output;
    EXPECT_EQ(nullptr, ShowBrowser(kUnregisteredClsid));
    EXPECT_TRUE(output.WaitForLineWith("CActiveXUI CoCreateInstance failed, hr="));
    EXPECT_FALSE(m_browser->CreateHostedControl());
    IUnknown* unknown = nullptr;
    EXPECT_EQ(E_PENDING, m_browser->QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(nullptr, m_browser->GetWebBrowser2());
    MSG key = {Window().Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(E_NOTIMPL, m_browser->TranslateAccelerator(&key));
    Window().Repaint();
}

TEST_F(WebBrowserTest, AttributesAndIdentity)
{
    CWebBrowserUI browser;
    browser.SetAttribute(L"HomePage", L"http://127.0.0.1/start");
    browser.SetAttribute(L"autonavi", L"TRUE");
    EXPECT_EQ(CUIString(L"http://127.0.0.1/start"), browser.GetHomePage());
    EXPECT_TRUE(browser.IsAutoNavigation());
    browser.SetAttribute(L"autonavi", L"yes");
    EXPECT_FALSE(browser.IsAutoNavigation());
    EXPECT_STREQ(L"WebBrowser", browser.GetClass());
    EXPECT_EQ(&browser, browser.GetInterface(L"webbrowser"));
    EXPECT_NE(nullptr, browser.GetInterface(L"ActiveX"));
    // The system's browser is the default class.
    const CLSID system = {0x8856f961, 0x340a, 0x11d0, {0xa9, 0x6b, 0x00, 0xc0, 0x4f, 0xd7, 0x05, 0xa2}};
    EXPECT_TRUE(browser.GetClassId() == system);
}

TEST_F(WebBrowserTest, EventsReachTheHandlerThroughTheConnectedSink)
{
    TestOleControl* hosted = ShowTestBrowser();
    ASSERT_NE(nullptr, hosted);
    ASSERT_NE(nullptr, hosted->connectionPoint);
    EXPECT_TRUE(hosted->connectionPoint->iid == DIID_DWebBrowserEvents2);
    IDispatch* sink = hosted->connectionPoint->sink;
    ASSERT_NE(nullptr, sink);
    RecordingHandler handler;
    handler.cancelNavigation = true;
    m_browser->SetWebBrowserEventHandler(&handler);

    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArguments navigate;
    navigate.Dispatch().Text(L"http://127.0.0.1/page").Text(L"").Text(L"").Text(L"").Text(L"").BoolOut(&cancel);
    EXPECT_EQ(S_OK, Fire(sink, DISPID_BEFORENAVIGATE2, navigate.Params()));
    EXPECT_EQ(L"http://127.0.0.1/page", handler.navigatedTo);
    EXPECT_EQ(VARIANT_TRUE, cancel);

    EventArguments title;
    title.Text(L"标题");
    EXPECT_EQ(S_OK, Fire(sink, DISPID_TITLECHANGE, title.Params()));
    EXPECT_EQ(L"标题", handler.title);

    EventArguments complete;
    complete.Dispatch().Text(L"http://127.0.0.1/page");
    EXPECT_EQ(S_OK, Fire(sink, DISPID_NAVIGATECOMPLETE2, complete.Params()));
    EXPECT_EQ(1, handler.completions);
    m_browser->SetWebBrowserEventHandler(nullptr);
}

// The browser still holds the control's faces when a handler does away with the control: the control
// lets go of the browser and lives until the browser's last release.
TEST_F(WebBrowserTest, HandlerDoingAwayWithTheControlLeavesItToTheBrowsersLastRelease)
{
    for (DoneAway how : kEveryWayAway) {
        SCOPED_TRACE(static_cast<int>(how));
        TestOleControl* hosted = ShowTestBrowser();
        ASSERT_NE(nullptr, hosted);
        IDispatch* sink = hosted->connectionPoint->sink;
        ASSERT_NE(nullptr, sink);
        RecordingHandler handler;
        bool browserKeptThroughTheEvent = false;
        int calls = 0;
        handler.onDocumentComplete = [&](CWebBrowserUI* browser) {
            ++calls;
            DoAwayWith(browser, how);
            browserKeptThroughTheEvent = TestOleControl::LiveCount() == 1;
            // An event the browser fires before it hears of the deletion.
            EventArguments title;
            title.Text(L"late");
            Fire(sink, DISPID_TITLECHANGE, title.Params());
        };
        m_browser->SetWebBrowserEventHandler(&handler);
        EventArguments complete;
        complete.Dispatch().Text(L"http://127.0.0.1/page");
        EXPECT_TRUE(FireHoldingTheSinkLate(sink, m_browser, DISPID_DOCUMENTCOMPLETE, complete.Params()));
        EXPECT_TRUE(browserKeptThroughTheEvent) << "the browser is let go of while it fires the event";
        EXPECT_EQ(1, calls) << "a late event reaches the handler of a control the application let go of";
        // A closed window keeps its tree until the dispatch ends; a removed control is let go of at once.
        if (how != DoneAway::WindowDestroyed) {
            EXPECT_EQ(L"", handler.title) << "an event within the dispatch reaches the handler of a let-go control";
        }
    }

    // Removed by the application outside any handler: the window lets go of it at once.
    TestOleControl* hosted = ShowTestBrowser();
    ASSERT_NE(nullptr, hosted);
    m_browser->SetName(L"browser");
    IDispatch* sink = hosted->connectionPoint->sink;
    sink->AddRef();
    auto* parent = static_cast<CContainerUI*>(m_browser->GetParent());
    parent->SetDelayedDestroy(false);
    parent->Remove(m_browser);
    EXPECT_EQ(nullptr, Window().Manager().FindControl(L"browser"));
    EXPECT_EQ(0, TestOleControl::LiveCount());
    sink->Release();

    // Built by a skin that has no place for it: the builder drops it the same way.
    IDispatch* lateSink = nullptr;
    TestControlOptions holdsTheSinkLate;
    holdsTheSinkLate.onHostCall = [&](const std::wstring& call) {
        if (call != L"Unadvise") return;
        lateSink = TestOleControl::Last()->connectionPoint->sink;
        lateSink->AddRef();
    };
    Register(holdsTheSinkLate);
    CDialogBuilder builder;
    const std::wstring skin = std::wstring(L"<Window><Control/><WebBrowser clsid=\"") + kTestControlClsidText +
                              L"\" delaycreate=\"false\"/></Window>";
    delete builder.Create(skin.c_str(), nullptr, nullptr, &Window().Manager());
    ASSERT_NE(nullptr, lateSink) << "the dropped browser was never created";
    lateSink->Release();
}

TEST_F(WebBrowserTest, MalformedEventsAreRefused)
{
    TestOleControl* hosted = ShowTestBrowser();
    ASSERT_NE(nullptr, hosted);
    IDispatch* sink = hosted->connectionPoint->sink;
    ASSERT_NE(nullptr, sink);
    EventArguments none;
    EXPECT_EQ(E_INVALIDARG, Fire(sink, DISPID_TITLECHANGE, none.Params(), IID_IDispatch));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Fire(sink, 101, none.Params()));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Fire(sink, 274, none.Params()));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Fire(sink, 200, none.Params()));
    EXPECT_EQ(S_OK, Fire(sink, DISPID_STATUSTEXTCHANGE, none.Params()));
    // Too few arguments are never read past their end.
    EventArguments one;
    one.Text(L"http://127.0.0.1/");
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Fire(sink, DISPID_BEFORENAVIGATE2, one.Params()));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Fire(sink, DISPID_NEWWINDOW3, one.Params()));
}

TEST_F(WebBrowserTest, ReleaseDisconnectsTheSinkAndRecreationKeepsOneControl)
{
    TestOleControl* hosted = ShowTestBrowser();
    ASSERT_NE(nullptr, hosted);
    EXPECT_TRUE(m_browser->CreateHostedControl());
    EXPECT_EQ(1, TestOleControl::LiveCount());
    hosted = TestOleControl::Last();
    hosted->AddRef();
    m_browser->ReleaseHostedControl();
    EXPECT_EQ(1, hosted->connectionPoint->unadvised);
    EXPECT_EQ(nullptr, hosted->connectionPoint->sink);
    EXPECT_TRUE(hosted->closed);
    hosted->Release();
    EXPECT_EQ(0, TestOleControl::LiveCount());
}

TEST_F(WebBrowserTest, DocumentHostAnswersWithoutAHandler)
{
    CWebBrowserUI browser;
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof(info);
    info.dwFlags = DOCHOSTUIFLAG_DIALOG;
    EXPECT_EQ(S_OK, browser.GetHostInfo(&info));
    EXPECT_EQ(DWORD(DOCHOSTUIFLAG_DIALOG | 0x200004), info.dwFlags);
    EXPECT_EQ(S_FALSE, browser.ShowContextMenu(0, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, browser.ShowUI(0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, browser.EnableModeless(TRUE));
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(S_FALSE, browser.GetExternal(&external));
    EXPECT_EQ(nullptr, external);
    IDataObject* filtered = reinterpret_cast<IDataObject*>(1);
    EXPECT_EQ(E_NOTIMPL, browser.FilterDataObject(nullptr, &filtered));
    EXPECT_EQ(nullptr, filtered);
}

TEST_F(WebBrowserTest, ScriptErrorsKeepScriptsRunningWithoutADialog)
{
    CWebBrowserUI browser;
    VARIANT out;
    ::VariantInit(&out);
    EXPECT_EQ(S_OK, browser.Exec(&kDocHostCommandGroup, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out));
    EXPECT_EQ(VT_BOOL, out.vt);
    EXPECT_EQ(VARIANT_TRUE, out.boolVal);
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, browser.Exec(&kDocHostCommandGroup, 41, 0, nullptr, &out));
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, browser.Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out));
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, browser.Exec(&IID_IUnknown, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out));
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, browser.QueryStatus(nullptr, 0, nullptr, nullptr));
}

TEST_F(WebBrowserTest, ServicesGiveTheDownloadAndSecurityManagers)
{
    CWebBrowserUI browser;
    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    IDownloadManager* downloads = nullptr;
    ASSERT_EQ(S_OK, browser.QueryService(kDownloadManagerService, __uuidof(IDownloadManager),
                                         reinterpret_cast<void**>(&downloads)));
    EXPECT_EQ(E_ABORT, downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(1, handler.downloads);
    downloads->Release();

    IInternetSecurityManager* security = nullptr;
    ASSERT_EQ(S_OK, browser.QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                         reinterpret_cast<void**>(&security)));
    // The host has no opinion of its own: the browser's default policy decides, never a blanket "allow".
    for (DWORD action : {DWORD(URLACTION_SCRIPT_RUN), DWORD(URLACTION_ACTIVEX_RUN), DWORD(URLACTION_DOWNLOAD_MIN)}) {
        DWORD policy = 0xBADC0DE;
        EXPECT_EQ(INET_E_DEFAULT_ACTION,
                  security->ProcessUrlAction(L"http://127.0.0.1/", action, reinterpret_cast<BYTE*>(&policy),
                                             sizeof(policy), nullptr, 0, 0, 0));
        EXPECT_EQ(0xBADC0DEu, policy) << "the default manager fills it";
    }
    DWORD zone = 0;
    EXPECT_EQ(INET_E_DEFAULT_ACTION, security->MapUrlToZone(L"http://127.0.0.1/", &zone, 0));
    EXPECT_EQ(INET_E_DEFAULT_ACTION, security->SetZoneMapping(URLZONE_TRUSTED, L"http://127.0.0.1", SZM_CREATE));
    IInternetSecurityMgrSite* site = reinterpret_cast<IInternetSecurityMgrSite*>(1);
    EXPECT_EQ(INET_E_DEFAULT_ACTION, security->GetSecuritySite(&site));
    EXPECT_EQ(nullptr, site);
    security->Release();

    void* nothing = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, browser.QueryService(IID_IUnknown, IID_IUnknown, &nothing));
    EXPECT_EQ(nullptr, nothing);
    // Every face handed out was released: only the control's own reference is left.
    EXPECT_EQ(1u, browser.GetComReferenceCount());
    browser.SetWebBrowserEventHandler(nullptr);
}

TEST_F(WebBrowserTest, FacesAnswerEachOther)
{
    CWebBrowserUI browser;
    IDocHostUIHandler* host = &browser;
    IOleCommandTarget* target = nullptr;
    ASSERT_EQ(S_OK, host->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)));
    IDispatch* events = nullptr;
    ASSERT_EQ(S_OK, target->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events)));
    UINT count = 5;
    EXPECT_EQ(E_NOTIMPL, events->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    IUnknown* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, events->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&other)));
    events->Release();
    target->Release();
    EXPECT_EQ(1u, browser.GetComReferenceCount());
}

// Counts the keys its window offers it.
class KeyCountingBrowser : public CWebBrowserUI {
public:
    using CWebBrowserUI::TranslateAccelerator;
    int offered = 0;
    LRESULT TranslateAccelerator(MSG* msg) override
    {
        ++offered;
        return CWebBrowserUI::TranslateAccelerator(msg);
    }
};

TEST_F(WebBrowserTest, KeysGoToTheBrowserOnlyWhenTheyAreKeys)
{
    CWebBrowserUI browser;
    MSG click = {nullptr, WM_LBUTTONDOWN, 0, 0, 0, {}};
    EXPECT_EQ(S_FALSE, browser.TranslateAccelerator(&click));
    MSG key = {nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(E_NOTIMPL, browser.TranslateAccelerator(&key));

    // Moved to another window, the browser is offered that window's keys.
    Register();
    auto* moved = new KeyCountingBrowser();
    moved->SetAttribute(L"clsid", kTestControlClsidText);
    ASSERT_NE(nullptr, Show(moved));
    HostWindow other;
    ASSERT_NE(nullptr, other.CreateTopLevel(nullptr, 200, 150));
    auto* otherRoot = new CContainerUI();
    other.manager.AttachRootControl(otherRoot);
    auto* root = static_cast<CContainerUI*>(moved->GetParent());
    root->SetAutoDestroy(false);
    root->Remove(moved);
    otherRoot->Add(moved);
    key.hwnd = other.GetHWND();
    other.manager.TranslateAccelerator(&key);
    EXPECT_EQ(1, moved->offered);
    ::DestroyWindow(other.GetHWND());
}

}  // namespace

namespace {

// The system's browser engine may be absent (as under the test harness): hosting it either works or
// fails without leaving anything half made.
TEST_F(WebBrowserTest, SystemBrowserIsHostedOrFailsCleanly)
{
    m_browser = new CWebBrowserUI();
    Show(m_browser);
    IUnknown* unknown = nullptr;
    const HRESULT hr = m_browser->QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (SUCCEEDED(hr)) {
        unknown->Release();
        EXPECT_NE(nullptr, m_browser->GetWebBrowser2());
        // Keys go to the browser only while the focus is inside it.
        ::SetFocus(nullptr);
        MSG key = {Window().Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_EQ(S_FALSE, m_browser->TranslateAccelerator(&key));
        m_browser->ReleaseHostedControl();
        EXPECT_EQ(nullptr, m_browser->GetWebBrowser2());
    } else {
        EXPECT_EQ(E_PENDING, hr);
        EXPECT_EQ(nullptr, m_browser->GetWebBrowser2());
    }
    Window().Repaint();
    CloseWindow();
}

}  // namespace

