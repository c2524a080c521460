// The window mode end to end under Wine: the real installer program against the loopback test server
// (download, configuration and reports), driven through its windows by mouse clicks on the skin's
// buttons. The setup stand-in records how it was started; the browser launch of the test build records
// the address it was asked to open.
#include "InstallerRun.h"
#include "StringConvert.h"
#include "TestServer.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kMainClass = L"DlgMainC3789B9BC0";
constexpr const wchar_t* kMainTitle = L"Tolvan游戏-在线安装";
constexpr const wchar_t* kProgressClass = L"DlgProgressC3789B9BC0";
constexpr const wchar_t* kWarningClass = L"DlgWarnC3789B9BC0";
constexpr DWORD kAlreadyRunning = 5;

// Where the skins put the buttons, from the window's client size.
enum class Button { MainNext, MainClose, ProgressClose, WarningOk, WarningCancel };

POINT ButtonCentre(HWND window, Button button)
{
    RECT client{};
    GetClientRect(window, &client);
    const LONG w = client.right, h = client.bottom;
    switch (button) {
    case Button::MainNext: return {w / 2, h - 24 - 22};
    case Button::MainClose: return {w - 18, 16};
    case Button::ProgressClose: return {w - 18, 18};
    case Button::WarningOk: return {w - 20 - 96 - 12 - 48, h - 16 - 16};
    case Button::WarningCancel: return {w - 20 - 48, h - 16 - 16};
    }
    return {0, 0};
}

void Click(HWND window, Button button)
{
    const POINT at = ButtonCentre(window, button);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, where);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(window, WM_LBUTTONUP, 0, where);
}

std::wstring RoamingAppData()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return std::wstring(path) + L"\\";
}

// Alt+F4 as the keyboard sends it: the system turns it into a close command for the window.
void PressAltF4(HWND window) { PostMessageW(window, WM_SYSKEYDOWN, VK_F4, 0x20000001 | (0x3E << 16)); }

// The installer's window of the class as soon as it exists, shown or not: a key sent to it then
// comes before its first paint.
HWND WaitForNewWindow(InstallerProcess& installer, const wchar_t* className)
{
    for (int i = 0; i < 60000 && installer.Running(); ++i) {
        for (HWND w = FindWindowW(className, nullptr); w; w = FindWindowExW(nullptr, w, className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == installer.Id())
                return w;
        }
        Sleep(1);
    }
    return nullptr;
}

class WindowMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        LeaveWindowsUnmanaged(L"VexaOnlineInstaller.exe");
        std::filesystem::remove_all(std::filesystem::path(installFolder));
        setup = ReadWholeFile(TestExecutableFolder() + L"setup_standin.exe");
        ASSERT_FALSE(setup.empty());
        WriteWholeFile(work.path + L"payload.exe", setup);
        Serve("payload.exe", "");
    }
    void TearDown() override
    {
        if (HasFailure())
            std::cout << "installer log:\n" << ReadWholeFile(work.path + L"VexaOnlineInstaller.log") << std::endl;
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(installFolder), ignored);
    }

    void Serve(const std::string& file, const std::string& options)
    {
        server.control("file?path=/&local=" + PercentEncode(work.unixPath + file) + options);
        server.control("reset");
    }

    std::map<std::wstring, std::wstring> Environment()
    {
        const std::wstring base = Utf8ToWide(server.url(""));
        return {{L"TOLVAN_TEST_DOWNLOAD_URL", base + L"/"},
                {L"TOLVAN_TEST_CONFIG_URL", base},
                {L"TOLVAN_TEST_REPORT_URL", base},
                {L"TOLVAN_SETUP_RECORD", setupRecord},
                {L"TOLVAN_TEST_BROWSER_RECORD", browserRecord},
                {L"TMP", work.path},
                {L"TEMP", work.path}};
    }

    // The actions reported so far, in the order the server received them.
    std::vector<std::string> Actions()
    {
        std::vector<std::string> actions;
        for (const auto& post : server.control("posts"))
            actions.push_back(post["body"]["action"].get<std::string>());
        return actions;
    }

    std::multiset<std::string> ActionSet()
    {
        const std::vector<std::string> actions = Actions();
        return {actions.begin(), actions.end()};
    }

    // Waits for the main window of a started installer, until its skin stands: the window reports
    // action 1 once its controls are laid out.
    HWND WaitForMainWindow(InstallerProcess& installer)
    {
        HWND main = installer.WaitForWindow(kMainClass, kMainTitle);
        EXPECT_NE(main, nullptr) << "no main window";
        for (int i = 0; i < 300 && main && ActionSet().count("1") == 0; ++i)
            Sleep(100);
        EXPECT_EQ(ActionSet().count("1"), 1u) << "the main window reported nothing";
        return main;
    }

    // Presses "next" in the main window and waits for the window of the given class that follows.
    HWND PressNextAndWaitFor(InstallerProcess& installer, const wchar_t* windowClass)
    {
        HWND main = WaitForMainWindow(installer);
        if (!main)
            return nullptr;
        Click(main, Button::MainNext);
        return installer.WaitForWindow(windowClass);
    }

    // Presses "next" in the main window and waits for the warning that the run leads to.
    HWND InstallUntilWarning(InstallerProcess& installer) { return PressNextAndWaitFor(installer, kWarningClass); }

    // Clicks until the window goes: a dialog may take the first click before its skin is laid out.
    static void ClickAway(HWND window, Button button)
    {
        for (int attempt = 0; attempt < 20 && IsWindow(window); ++attempt) {
            Click(window, button);
            for (int i = 0; i < 10 && IsWindow(window); ++i)
                Sleep(100);
        }
        EXPECT_FALSE(IsWindow(window)) << "the click was not taken";
    }

    // Clicks the window's button until a window of the class appears.
    static HWND ClickFor(InstallerProcess& installer, HWND window, Button button, const wchar_t* className)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            Click(window, button);
            for (int i = 0; i < 10; ++i) {
                if (HWND found = FindVisibleWindow(installer, className))
                    return found;
                Sleep(100);
            }
        }
        return nullptr;
    }

    static HWND FindVisibleWindow(InstallerProcess& installer, const wchar_t* className)
    {
        for (HWND window = FindWindowW(className, nullptr); window;
             window = FindWindowExW(nullptr, window, className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == installer.Id() && IsWindowVisible(window))
                return window;
        }
        return nullptr;
    }

    std::string ExpectedUrl() { return server.url("/") + "?f=aide"; }

    // Requests for the setup the server saw: all of them, and the size probes among them.
    size_t DownloadRequests() { return RequestsFor(""); }
    size_t SizeProbes() { return RequestsFor("HEAD"); }
    size_t RequestsFor(const std::string& method, const std::string& path = "/")
    {
        size_t count = 0;
        for (const auto& request : server.control("log"))
            count += request["path"] == path && (method.empty() || request["method"] == method);
        return count;
    }

    // The top-level windows of the class the installer has.
    static int WindowsOf(InstallerProcess& installer, const wchar_t* className)
    {
        int count = 0;
        for (HWND window = FindWindowW(className, nullptr); window;
             window = FindWindowExW(nullptr, window, className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            count += owner == installer.Id();
        }
        return count;
    }

    // 50 MiB at a crawl: the download is still running when the user leaves.
    void ServeSlowly()
    {
        setup.resize(50 << 20, '\x5a');
        WriteWholeFile(work.path + L"payload.exe", setup);
        Serve("payload.exe", "&rate=200000");
    }

    // Presses "next" in the main window; gives the progress window.
    HWND StartDownloading(InstallerProcess& installer) { return PressNextAndWaitFor(installer, kProgressClass); }

    // Presses "next" in the main window and Alt+F4 on the progress window as soon as it exists, before its
    // first paint. Gives the main window and the progress window; null when either did not come.
    HWND AltF4OnTheNewProgressWindow(InstallerProcess& installer, HWND* progress = nullptr)
    {
        HWND main = WaitForMainWindow(installer);
        if (!main)
            return nullptr;
        Click(main, Button::MainNext);
        HWND window = WaitForNewWindow(installer, kProgressClass);
        EXPECT_NE(window, nullptr) << "no progress window";
        if (!window)
            return nullptr;
        PressAltF4(window);
        if (progress)
            *progress = window;
        return main;
    }

    SharedFolder work{"window"};
    TestServer server;
    std::string setup;
    const std::wstring installFolder = RoamingAppData() + L"TolvanGame\\";
    const std::wstring setupRecord = work.path + L"setup.json";
    const std::wstring browserRecord = work.path + L"browser.txt";
};

TEST_F(WindowMode, InstallsIntoTheProposedFolderAndStartsTheSetup)
{
    InstallerProcess installer(L"", Environment());
    HWND main = WaitForMainWindow(installer);
    ASSERT_NE(main, nullptr);

    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 400);
    RECT window{};
    GetWindowRect(main, &window);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_NEAR((window.left + window.right) / 2, screenWidth / 2, 2) << "not centred";
    // The window has the keyboard.
    EXPECT_EQ(GetForegroundWindow(), main);

    Click(main, Button::MainNext);
    EXPECT_EQ(installer.Wait(), 0u);

    ASSERT_TRUE(WaitForFile(setupRecord)) << "the setup was not started";
    const nlohmann::json started = nlohmann::json::parse(ReadWholeFile(setupRecord));
    const std::wstring target = installFolder + L"VexaGameFull_front_newest.exe";
    ASSERT_EQ(started["argv"].size(), 3u) << started.dump();
    EXPECT_EQ(started["argv"][0], WideToUtf8(target));
    EXPECT_EQ(started["argv"][1], "/installdir");
    EXPECT_EQ(started["argv"][2], WideToUtf8(installFolder));
    EXPECT_TRUE(ReadWholeFile(target) == setup) << "downloaded bytes differ";
    EXPECT_FALSE(FileExists(target + L".slicedl"));

    for (const auto& request : server.control("log")) {
        if (request["method"] == "GET" && request["path"] == "/") {
            EXPECT_EQ(request["query"], "f=aide");
        }
    }
    // The reports travel on their own; only the first is known to arrive first.
    const std::vector<std::string> actions = Actions();
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions[0], "1");
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "4", "8"}));
    EXPECT_FALSE(FileExists(browserRecord));
    // Answering servers leave nothing for the shutdown to give up on.
    EXPECT_EQ(ReadWholeFile(work.path + L"VexaOnlineInstaller.log").find("REST work still running"), std::string::npos);
}

TEST_F(WindowMode, FailedDownloadOffersTheBrowserDownload)
{
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "OK" : "cancel");
        DeleteFileW(browserRecord.c_str());
        Serve("payload.exe", "&fault=head-404");
        InstallerProcess installer(L"", Environment());
        HWND warning = InstallUntilWarning(installer);
        ASSERT_NE(warning, nullptr) << "no warning";
        ClickAway(warning, accept ? Button::WarningOk : Button::WarningCancel);
        EXPECT_EQ(installer.Wait(), 0u);

        EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "5"}));
        EXPECT_FALSE(FileExists(setupRecord));
        if (accept) {
            EXPECT_EQ(ReadWholeFile(browserRecord), ExpectedUrl() + "\n");
        } else {
            EXPECT_FALSE(FileExists(browserRecord));
        }
    }
}

// The main window closed by the system while the browser download is offered: the installer ends without
// opening the browser.
TEST_F(WindowMode, MainWindowClosedWhileTheBrowserDownloadIsOfferedEnds)
{
    Serve("payload.exe", "&fault=head-404");
    InstallerProcess installer(L"", Environment());
    HWND offer = InstallUntilWarning(installer);
    ASSERT_NE(offer, nullptr) << "no warning";
    HWND main = WaitForNewWindow(installer, kMainClass);  // hidden by now
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "5"}));
    EXPECT_FALSE(FileExists(browserRecord));
    EXPECT_FALSE(FileExists(setupRecord));
}

TEST_F(WindowMode, SetupThatCannotStartOffersTheBrowserDownload)
{
    WriteWholeFile(work.path + L"garbage.exe", std::string(300000, '\x5a'));
    Serve("garbage.exe", "");
    InstallerProcess installer(L"", Environment());
    HWND warning = InstallUntilWarning(installer);
    ASSERT_NE(warning, nullptr) << "no warning";
    ClickAway(warning, Button::WarningOk);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "4", "7"}));
    EXPECT_EQ(ReadWholeFile(browserRecord), ExpectedUrl() + "\n");
}

TEST_F(WindowMode, ConfirmedQuitStopsTheDownloadWithoutFurtherQuestions)
{
    ServeSlowly();
    InstallerProcess installer(L"", Environment());
    HWND progress = StartDownloading(installer);
    ASSERT_NE(progress, nullptr);
    HWND question = ClickFor(installer, progress, Button::ProgressClose, kWarningClass);
    ASSERT_NE(question, nullptr) << "no quit question";
    ClickAway(question, Button::WarningOk);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "6"}));
    EXPECT_FALSE(FileExists(setupRecord));
    EXPECT_FALSE(FileExists(browserRecord));
}

TEST_F(WindowMode, AltF4DuringTheDownloadAsksAndQuitKeepsTheFilesForResuming)
{
    ServeSlowly();
    InstallerProcess installer(L"", Environment());
    // The question first, even for a window closed before it was first drawn: closed by the system,
    // it answers as its close button does and the download goes on.
    HWND progress = nullptr;
    ASSERT_NE(AltF4OnTheNewProgressWindow(installer, &progress), nullptr);
    HWND question = installer.WaitForWindow(kWarningClass);
    ASSERT_NE(question, nullptr) << "no quit question";
    PressAltF4(question);
    for (int i = 0; i < 50 && IsWindow(question); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindow(question));
    EXPECT_TRUE(installer.Running());
    EXPECT_TRUE(IsWindowVisible(progress)) << "the download did not go on";

    // The taskbar's close, then "quit".
    PostMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    question = installer.WaitForWindow(kWarningClass);
    ASSERT_NE(question, nullptr) << "no quit question";
    ClickAway(question, Button::WarningOk);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "6"}));
    EXPECT_FALSE(FileExists(setupRecord));
    const std::wstring target = installFolder + L"VexaGameFull_front_newest.exe";
    EXPECT_TRUE(FileExists(target + L".slicedl")) << "nothing kept for resuming";
}

// Closed before its first paint, with the main window's system close coming on top while the question
// is open: "quit" ends the installer as a stopped download, with no further question, setup or offer.
TEST_F(WindowMode, AltF4BeforeTheFirstPaintThenQuitEndsAsAStoppedDownload)
{
    ServeSlowly();
    InstallerProcess installer(L"", Environment());
    HWND main = AltF4OnTheNewProgressWindow(installer);
    ASSERT_NE(main, nullptr);
    HWND question = installer.WaitForWindow(kWarningClass);
    ASSERT_NE(question, nullptr) << "no quit question";
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ClickAway(question, Button::WarningOk);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "6"}));
    EXPECT_FALSE(FileExists(setupRecord));
    EXPECT_FALSE(FileExists(browserRecord));
}

// A download that fails while the quit question of an early close is open: the question goes, the
// browser download is offered, and the installer ends.
TEST_F(WindowMode, DownloadFailingWhileAnEarlyQuitQuestionIsOpenOffersTheBrowserDownload)
{
    Serve("payload.exe", "&fault=head-404");
    InstallerProcess installer(L"", Environment());
    ASSERT_NE(AltF4OnTheNewProgressWindow(installer), nullptr);
    // The question, then the offer that replaces it once the download has failed.
    HWND offer = nullptr;
    for (int i = 0; i < 300 && installer.Running() && !offer; ++i) {
        Sleep(100);
        if (ActionSet().count("5") == 0)
            continue;
        offer = FindVisibleWindow(installer, kWarningClass);
    }
    ASSERT_NE(offer, nullptr) << "no browser download offered";
    ClickAway(offer, Button::WarningOk);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "5"}));
    EXPECT_EQ(ReadWholeFile(browserRecord), ExpectedUrl() + "\n");
    EXPECT_FALSE(FileExists(setupRecord));
}

// A download that ends well while the quit question of an early close is open: the question goes and
// the setup starts.
TEST_F(WindowMode, DownloadFinishingWhileAnEarlyQuitQuestionIsOpenStartsTheSetup)
{
    InstallerProcess installer(L"", Environment());
    ASSERT_NE(AltF4OnTheNewProgressWindow(installer), nullptr);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "4", "8"}));
    EXPECT_TRUE(WaitForFile(setupRecord)) << "the setup was not started";
    EXPECT_FALSE(FileExists(browserRecord));
}

TEST_F(WindowMode, AltF4OnTheMainWindowClosesAsItsButtonDoes)
{
    InstallerProcess installer(L"", Environment());
    HWND main = WaitForMainWindow(installer);
    ASSERT_NE(main, nullptr);
    PressAltF4(main);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "3"}));
}

// The crash dumps a run of the installer left beside the program (removed as they are counted).
size_t DumpsOf(const InstallerProcess& installer)
{
    const std::vector<std::wstring> dumps = FilesMatching(
        TestExecutableFolder() + L"VexaOnlineInstaller_" + std::to_wstring(installer.Id()) + L"_*.dmp");
    for (const std::wstring& dump : dumps)
        DeleteFileW((TestExecutableFolder() + dump).c_str());
    return dumps.size();
}

// Servers that take the configuration request and the reports but never answer: the requests are
// still open when the window closes, and the installer ends cleanly all the same, every time.
TEST_F(WindowMode, ClosingWhileTheServersNeverAnswerEndsCleanly)
{
    server.control("config?fault=stall");
    server.control("report?fault=stall");
    for (size_t closing = 1; closing <= 12; ++closing) {
        SCOPED_TRACE("closing " + std::to_string(closing));
        server.control("reset");
        InstallerProcess installer(L"", Environment());
        HWND main = WaitForMainWindow(installer);
        ASSERT_NE(main, nullptr);
        Click(main, Button::MainClose);
        EXPECT_EQ(installer.Wait(), 0u);
        EXPECT_EQ(DumpsOf(installer), 0u) << "the crash handler wrote a dump";
        EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "3"}));
        // The cancelled reports still logged their failure before the process ended.
        const std::string log = ReadWholeFile(work.path + L"VexaOnlineInstaller.log");
        for (const char* action : {"1", "3"}) {
            const std::string line = std::string("Upload behavior failed: {\"action\":\"") + action + "\"";
            EXPECT_EQ(Occurrences(log, line), closing) << line;
        }
    }
}

// The configuration fetched at start names where the reports go from then on.
TEST_F(WindowMode, ReportsGoWhereTheConfigurationSays)
{
    const std::string named = server.url("/api/clientInfo") + "?via=config";
    server.control("config?json=" +
                   PercentEncode(R"({"code":1000,"data":{"box_set_url":{"BEHAVIOR_UPLOAD_URL":")" + named + R"("}}})"));
    InstallerProcess installer(L"", Environment());
    HWND main = WaitForMainWindow(installer);
    ASSERT_NE(main, nullptr);
    for (int i = 0; i < 100 && RequestsFor("GET", "/api/getCommonConfig") == 0; ++i)
        Sleep(100);
    ASSERT_EQ(RequestsFor("GET", "/api/getCommonConfig"), 1u) << "no configuration asked for";
    Sleep(1000); // the reply is taken in on the task pool
    PressAltF4(main);
    EXPECT_EQ(installer.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "3"}));
    std::string lastReportQuery;
    for (const auto& request : server.control("log")) {
        if (request["method"] == "POST")
            lastReportQuery = request["query"].get<std::string>();
    }
    EXPECT_EQ(lastReportQuery, "via=config") << "the closing's report went to the default address";
}

TEST_F(WindowMode, SecondCopyBringsTheFirstToTheFrontAndEnds)
{
    InstallerProcess first(L"", Environment());
    HWND main = WaitForMainWindow(first);
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_HIDE);

    InstallerProcess second(L"", Environment());
    EXPECT_EQ(second.Wait(), 0u);
    EXPECT_EQ(second.WindowsSeen(), 0);
    EXPECT_TRUE(IsWindowVisible(main)) << "the first copy's window was not shown again";
    EXPECT_TRUE(first.Running());

    // A silent copy says that it did nothing, and leaves the windows alone.
    ShowWindow(main, SW_HIDE);
    InstallerProcess silent(L"-dir:" + work.path + L"silent\\", Environment());
    EXPECT_EQ(silent.Wait(), kAlreadyRunning);
    EXPECT_EQ(silent.WindowsSeen(), 0);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_FALSE(FileExists(work.path + L"silent\\"));

    ShowWindow(main, SW_SHOW);
    Click(main, Button::MainClose);
    EXPECT_EQ(first.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "3"}));
    EXPECT_FALSE(FileExists(installFolder));
    EXPECT_EQ(DownloadRequests(), 0u);
}

TEST_F(WindowMode, DuringTheDownloadASecondCopyBringsTheProgressWindowForwardAndNoSecondInstallStarts)
{
    ServeSlowly();
    InstallerProcess first(L"", Environment());
    HWND main = WaitForMainWindow(first);
    ASSERT_NE(main, nullptr);
    Click(main, Button::MainNext);
    HWND progress = first.WaitForWindow(kProgressClass);
    ASSERT_NE(progress, nullptr);
    ShowWindow(progress, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(progress));

    InstallerProcess second(L"", Environment());
    EXPECT_EQ(second.Wait(), 0u);
    EXPECT_EQ(second.WindowsSeen(), 0);
    EXPECT_FALSE(IsWindowVisible(main)) << "the main window came back during the download";
    EXPECT_FALSE(IsIconic(progress)) << "the progress window was not brought forward";
    EXPECT_TRUE(IsWindowVisible(progress));

    // The main window, shown all the same, refuses a second install and steps back.
    ShowWindow(main, SW_SHOW);
    for (int i = 0; i < 100 && IsWindowVisible(main); ++i) {
        if (i % 10 == 0)
            Click(main, Button::MainNext);
        Sleep(100);
    }
    EXPECT_FALSE(IsWindowVisible(main)) << "the main window did not refuse";
    EXPECT_EQ(WindowsOf(first, kProgressClass), 1);

    HWND question = ClickFor(first, progress, Button::ProgressClose, kWarningClass);
    ASSERT_NE(question, nullptr) << "no quit question";
    ClickAway(question, Button::WarningOk);
    EXPECT_EQ(first.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "2", "6"}));
    EXPECT_EQ(SizeProbes(), 1u) << "a second download started";
}

// The elevated relaunch starts while the first copy still runs; copies started after the first copy
// has ended still find the relaunch.
TEST_F(WindowMode, CopiesStartedAfterTheElevatedRelaunchFindIt)
{
    InstallerProcess first(L"", Environment());
    HWND firstMain = WaitForMainWindow(first);
    ASSERT_NE(firstMain, nullptr);
    InstallerProcess relaunch(L"-runasadmin", Environment());
    HWND relaunchMain = relaunch.WaitForWindow(kMainClass, kMainTitle);
    ASSERT_NE(relaunchMain, nullptr) << "the relaunch did not start while the first copy runs";
    for (int i = 0; i < 300 && ActionSet().count("1") < 2; ++i)
        Sleep(100);
    Click(firstMain, Button::MainClose);
    EXPECT_EQ(first.Wait(), 0u);

    InstallerProcess silent(L"-dir:" + work.path + L"silent\\", Environment());
    EXPECT_EQ(silent.Wait(), kAlreadyRunning);
    EXPECT_FALSE(FileExists(work.path + L"silent\\"));

    ShowWindow(relaunchMain, SW_HIDE);
    InstallerProcess window(L"", Environment());
    EXPECT_EQ(window.Wait(), 0u);
    EXPECT_EQ(window.WindowsSeen(), 0);
    EXPECT_TRUE(IsWindowVisible(relaunchMain)) << "the relaunch's window was not brought forward";

    Click(relaunchMain, Button::MainClose);
    EXPECT_EQ(relaunch.Wait(), 0u);
    EXPECT_EQ(ActionSet(), (std::multiset<std::string>{"1", "1", "3", "3"}));
    EXPECT_EQ(DownloadRequests(), 0u);
}

} // namespace
