// The installer's windows inside the test process, with the skin the program carries (linked into this
// test as its resource): driven through the framework's controls, against the loopback test server.
#include "DlgMain.h"
#include "DlgProgress.h"
#include "DlgWarning.h"
#include "InstallerRun.h"
#include "StringConvert.h"
#include "TestServer.h"
#include "WindowMessages.h"
#include "WinTestSupport.h"

#include "Control/ProgressUI.h"
#include "Core/ControlUI.h"
#include "Core/WindowUIManager.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

using SkinUI::CControlUI;
using SkinUI::CWindowUIManager;

namespace {

class SkinFromResources : public ::testing::Environment {
public:
    void SetUp() override
    {
        LeaveWindowsUnmanaged(L"installer_windows_test.exe");
        CWindowUIManager::SetInstance(GetModuleHandleW(nullptr));
        CWindowUIManager::SetResourceType(4);
        CWindowUIManager::SetResourceZip(102, L"ZIPRES");
    }
    void TearDown() override { CWindowUIManager::Term(); }
};
const auto* const kSkin = ::testing::AddGlobalTestEnvironment(new SkinFromResources);

void SetVariable(const char* name, const std::string& value)
{
    _putenv_s(name, value.c_str());
    SetEnvironmentVariableW(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());
}

// Runs `action` on the UI thread once the running loop (modal or not) takes its next message.
void Later(HWND wake, std::function<void()> action) { CWindowUIManager::PostTask(wake, std::move(action)); }

void Click(SkinUI::WindowImplBase& window, const wchar_t* name)
{
    CControlUI* button = window.GetManager().FindControl(name);
    ASSERT_NE(button, nullptr) << WideToUtf8(name);
    button->Activate();
}

// Shows a warning modal and answers it through `answer`; gives the modal result.
UINT AnswerWarning(DlgWarning& warning, const std::function<void(DlgWarning&)>& answer)
{
    EXPECT_NE(warning.Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    Later(warning, [&] {
        UpdateWindow(warning); // the first paint sends "windowinit"
        answer(warning);
    });
    return warning.ShowModal();
}

TEST(WarningDialog, EachButtonGivesItsCode)
{
    DlgWarning ok(L"消息", true);
    EXPECT_EQ(AnswerWarning(ok, [](DlgWarning& w) { Click(w, L"btnOK"); }), kWarningOk);
    DlgWarning cancel(L"消息", true);
    EXPECT_EQ(AnswerWarning(cancel, [](DlgWarning& w) { Click(w, L"btnCancel"); }), kWarningCancel);
    DlgWarning closeBox(L"消息", true);
    EXPECT_EQ(AnswerWarning(closeBox, [](DlgWarning& w) { Click(w, L"btnClose"); }), kWarningCancel);
}

TEST(WarningDialog, WithoutCancelShowsTheMessageAndOnlyOkAndTheCloseBox)
{
    DlgWarning warning(L"不支持安装在中文目录，请重新选择安装路径！", false);
    bool cancelVisible = true;
    std::wstring message;
    const UINT result = AnswerWarning(warning, [&](DlgWarning& w) {
        cancelVisible = w.GetManager().FindControl(L"btnCancel")->IsVisible();
        message = w.GetManager().FindControl(L"lblMsg")->GetText().GetData();
        EXPECT_TRUE(w.GetManager().FindControl(L"btnOK")->IsVisible());
        Click(w, L"btnClose");
    });
    EXPECT_EQ(result, kWarningCancel);
    EXPECT_FALSE(cancelVisible);
    EXPECT_EQ(message, L"不支持安装在中文目录，请重新选择安装路径！");
}

TEST(MainWindow, ProposesTheRoamingFolderAndShowsItsFreeSpace)
{
    TestServer server;
    SetVariable("TOLVAN_TEST_REPORT_URL", server.url(""));
    auto* main = new DlgMain();
    ASSERT_NE(main->Create(nullptr, L"Tolvan游戏-在线安装", kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    main->ShowWindow(true, true);
    UpdateWindow(*main);

    wchar_t roaming[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, roaming)));
    const std::wstring folder = std::wstring(roaming) + L"\\TolvanGame\\";
    EXPECT_EQ(std::wstring(main->GetManager().FindControl(L"edtPath")->GetText().GetData()), folder);
    const std::wstring info = main->GetManager().FindControl(L"lblInfo")->GetText().GetData();
    EXPECT_EQ(info.rfind(L"所需空间：~50MB（可用空间：", 0), 0u) << WideToUtf8(info);
    EXPECT_NE(info, SpaceInfoText(0.0)) << "the drive's free space is not shown";

    // The close box ends the loop through the main window's own end.
    Click(*main, L"btnClose");
    CWindowUIManager::MessageLoop();
    delete main;
    ASSERT_FALSE(server.control("posts").empty());
    EXPECT_EQ(server.control("posts")[0]["body"]["action"], "1");
}

TEST(MainWindowTexts, SpaceAndFolderRules)
{
    EXPECT_EQ(SpaceInfoText(0.0), L"所需空间：~50MB（可用空间：0.0GB）");
    EXPECT_EQ(SpaceInfoText(12.345), L"所需空间：~50MB（可用空间：12.3GB）");
    EXPECT_EQ(ProposedInstallFolder(L"C:\\Users\\u\\AppData\\Roaming\\"), L"C:\\Users\\u\\AppData\\Roaming\\TolvanGame\\");
    EXPECT_EQ(ProposedInstallFolder(L""), L"D:\\TolvanGame\\");
    EXPECT_TRUE(HasNonAsciiCharacter(L"E:\\游戏\\TolvanGame\\"));
    EXPECT_FALSE(HasNonAsciiCharacter(L"E:\\Games\\TolvanGame\\"));
}

// Stands in for the main window: takes the request to end the installer and ends the loop.
class CloseReceiver : public SkinUI::CWindowWnd {
public:
    bool closeRequested = false;

protected:
    const wchar_t* GetWindowClassName() const override { return L"TestCloseReceiver"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kMsgCloseInstaller) {
            closeRequested = true;
            PostQuitMessage(0);
            return 0;
        }
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
};

TEST(ProgressWindow, ShowsTheDownloadAndStartsTheSetup)
{
    TestServer server;
    const std::string payload = ReadWholeFile(TestExecutableFolder() + L"setup_standin.exe");
    SharedFolder shared("progress");
    WriteWholeFile(shared.path + L"payload.exe", payload);
    // Slow enough for the engine's half-second progress reports to show.
    server.control("file?path=/&local=" + PercentEncode(shared.unixPath + "payload.exe") +
                   "&rate=" + std::to_string(payload.size()));
    SetVariable("TOLVAN_TEST_DOWNLOAD_URL", server.url("/"));
    SetVariable("TOLVAN_TEST_REPORT_URL", server.url(""));
    const std::wstring record = shared.path + L"setup.json";
    SetVariable("TOLVAN_SETUP_RECORD", WideToUtf8(record));

    CloseReceiver receiver;
    ASSERT_NE(receiver.Create(nullptr, L"", WS_POPUP, 0), nullptr);
    const std::wstring folder = shared.path + L"install\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    auto* progress = new DlgProgress(receiver, folder);
    ASSERT_NE(progress->Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    progress->ShowWindow(true, true);
    UpdateWindow(*progress);
    const std::wstring firstSlide = progress->GetManager().FindControl(L"lblImage")->GetBkImage().GetData();
    SendMessageW(*progress, WM_TIMER, kTimerSlide, 0);
    const std::wstring secondSlide = progress->GetManager().FindControl(L"lblImage")->GetBkImage().GetData();
    CWindowUIManager::MessageLoop();

    EXPECT_TRUE(receiver.closeRequested);
    EXPECT_EQ(firstSlide, L"image\\show_1.png");
    EXPECT_EQ(secondSlide, L"image\\show_2.png");
    auto* bar = static_cast<SkinUI::CProgressUI*>(progress->GetManager().FindControl(L"progress"));
    EXPECT_GT(bar->GetValue(), 0) << "no progress shown";
    EXPECT_EQ(std::wstring(progress->GetManager().FindControl(L"lblProgress")->GetText().GetData()),
              L"正在下载: " + std::to_wstring(bar->GetValue()) + L"%");
    EXPECT_FALSE(IsWindowVisible(*progress)) << "the finished download hides its window";
    SendMessageW(*progress, WM_CLOSE, 1, 0); // deletes the window object

    ASSERT_TRUE(WaitForFile(record)) << "the setup was not started";
    const nlohmann::json started = nlohmann::json::parse(ReadWholeFile(record));
    ASSERT_EQ(started["argv"].size(), 3u);
    // This program's name, "installer_windows_test", selects the channel "windows".
    EXPECT_EQ(started["argv"][0], WideToUtf8(folder + L"VexaGameFull_windows_newest.exe"));
    for (const auto& request : server.control("log")) {
        if (request["path"] == "/") {
            EXPECT_EQ(request["query"], "f=windows_aide");
        }
    }
    EXPECT_EQ(started["argv"][2], WideToUtf8(folder));
    receiver.SendMessage(WM_CLOSE);
}

} // namespace
