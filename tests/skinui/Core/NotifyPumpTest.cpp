#include "Core/ControlUI.h"
#include "Core/NotifyPump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace SkinUI;

namespace {

class BaseWindow : public CNotifyPump {
public:
    std::vector<std::string> calls;
    void OnAnyClick(NotifyMessage&) { calls.push_back("base:click"); }
    void OnClose(NotifyMessage&) { calls.push_back("base:close"); }
    SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(BaseWindow, CNotifyPump)
SKINUI_NOTIFY(L"click", L"", &BaseWindow::OnAnyClick)
SKINUI_NOTIFY(L"close", nullptr, &BaseWindow::OnClose)
SKINUI_END_NOTIFY_MAP()

// Something else comes first, so the pump sits at an offset inside the object.
struct OtherBase {
    virtual ~OtherBase() = default;
    int marker = 42;
};

class DerivedWindow : public OtherBase, public BaseWindow {
public:
    WPARAM seenWParam = 0;
    LPARAM seenLParam = 0;
    void OnOkClick(NotifyMessage& msg)
    {
        calls.push_back("derived:ok:" + std::to_string(marker) + ":" + std::to_string(msg.wParam));
    }
    void OnAnyClick(NotifyMessage&) { calls.push_back("derived:any:" + std::to_string(marker)); }
    void OnTimer(WPARAM wParam, LPARAM lParam)
    {
        seenWParam = wParam;
        seenLParam = lParam;
    }
    SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(DerivedWindow, BaseWindow)
SKINUI_NOTIFY(L"click", L"", &DerivedWindow::OnAnyClick)
SKINUI_NOTIFY(L"click", L"ok", &DerivedWindow::OnOkClick)
SKINUI_NOTIFY_PARAMS(L"timer", L"", &DerivedWindow::OnTimer)
SKINUI_END_NOTIFY_MAP()

NotifyMessage Message(const wchar_t* type, CControlUI* sender, WPARAM wParam = 0)
{
    NotifyMessage msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    return msg;
}

}  // namespace

TEST(NotifyPumpDispatch, PrefersTheEntryForTheSenderOverTheAnyControlEntry)
{
    DerivedWindow window;
    CControlUI ok, cancel;
    ok.SetName(L"ok");
    cancel.SetName(L"cancel");
    auto clickOk = Message(L"click", &ok, 7);
    auto clickCancel = Message(L"click", &cancel);
    EXPECT_TRUE(window.NotifyPump(clickOk));
    EXPECT_TRUE(window.NotifyPump(clickCancel));
    EXPECT_EQ((std::vector<std::string>{"derived:ok:42:7", "derived:any:42"}), window.calls);
}

TEST(NotifyPumpDispatch, FallsBackToTheBaseClassMap)
{
    DerivedWindow window;
    CControlUI button;
    auto close = Message(L"close", &button);
    EXPECT_TRUE(window.NotifyPump(close));
    auto unknown = Message(L"dropdown", &button);
    EXPECT_FALSE(window.NotifyPump(unknown));
    EXPECT_EQ((std::vector<std::string>{"base:close"}), window.calls);

    BaseWindow base;
    auto click = Message(L"click", &button);
    EXPECT_TRUE(base.NotifyPump(click));
    EXPECT_EQ((std::vector<std::string>{"base:click"}), base.calls);
}

TEST(NotifyPumpDispatch, PassesParametersToParameterHandlers)
{
    DerivedWindow window;
    auto timer = Message(L"timer", nullptr, 11);
    timer.lParam = 22;
    EXPECT_TRUE(window.NotifyPump(timer));
    EXPECT_EQ(11u, window.seenWParam);
    EXPECT_EQ(22, window.seenLParam);
}

TEST(NotifyPumpDispatch, MatchesAReleasedSenderOnlyByAnyControlEntries)
{
    DerivedWindow window;
    auto click = Message(L"click", nullptr);
    EXPECT_TRUE(window.NotifyPump(click));
    EXPECT_EQ((std::vector<std::string>{"derived:any:42"}), window.calls);
}

TEST(NotifyPumpDispatch, RoutesVirtualWindowsWithoutRegardToCase)
{
    DerivedWindow window;
    BaseWindow page;
    EXPECT_TRUE(window.AddVirtualWnd(L"Page", &page));
    EXPECT_FALSE(window.AddVirtualWnd(L"Page", &page));
    CControlUI button;
    auto toPage = Message(L"click", &button);
    toPage.sVirtualWnd = L"page";
    EXPECT_TRUE(window.NotifyPump(toPage));
    EXPECT_EQ((std::vector<std::string>{"base:click"}), page.calls);
    EXPECT_TRUE(window.calls.empty());

    auto toNobody = Message(L"click", &button);
    toNobody.sVirtualWnd = L"missing";
    EXPECT_TRUE(window.NotifyPump(toNobody));
    EXPECT_EQ((std::vector<std::string>{"derived:any:42"}), window.calls);
    EXPECT_TRUE(window.RemoveVirtualWnd(L"Page"));
}
