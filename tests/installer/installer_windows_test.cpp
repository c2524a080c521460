// The installer's windows inside the test process, with the skin the program carries (linked into this
// test as its resource): driven through the framework's controls, against the loopback test server.
#include "DlgMain.h"
#include "DlgProgress.h"
#include "DlgWarning.h"
#include "InstallerRun.h"
#include "PoisoningAllocator.h"
#include "StringConvert.h"
#include "TestServer.h"
#include "WindowMessages.h"
#include "WinTestSupport.h"

#include "Control/ProgressUI.h"
#include "Core/ControlUI.h"
#include "Core/DpiScaler.h"
#include "Core/GdiplusHeaders.h"
#include "Core/ImageRecord.h"
#include "Core/WindowUIManager.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

using SkinUI::CControlUI;
using SkinUI::CWindowUIManager;

namespace {

// A write into a freed block fails the test now, not when the block would leave the quarantine.
void ExpectNoWriteAfterFree()
{
    std::string written;
    if (SkinUI::Testing::FindWriteAfterFree(written)) ADD_FAILURE() << written;
}

class SkinFromResources : public ::testing::Environment {
public:
    void SetUp() override
    {
        LeaveWindowsUnmanaged(L"installer_windows_test.exe");
        CWindowUIManager::SetInstance(GetModuleHandleW(nullptr));
        CWindowUIManager::SetResourceType(4);
        CWindowUIManager::SetResourceZip(102, L"ZIPRES");
    }
    void TearDown() override
    {
        CWindowUIManager::Term();
        ExpectNoWriteAfterFree();
    }
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

// This thread's window of the class, when one exists.
HWND ThreadWindow(const wchar_t* className)
{
    struct Search {
        const wchar_t* className;
        HWND found = nullptr;
    } search{className};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL CALLBACK {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (wcscmp(name, s->className) == 0)
                s->found = window;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs `action` on the UI thread with this thread's window of the class once one is open (in whatever
// loop runs, a system dialog's included).
void WhenAWindowOpens(HWND wake, const wchar_t* className, std::function<void(HWND window)> action)
{
    Later(wake, [wake, className, action = std::move(action)]() mutable {
        if (HWND window = ThreadWindow(className))
            action(window);
        else
            WhenAWindowOpens(wake, className, std::move(action));
    });
}

// What an open warning shows once its first paint has set it up: its message, and whether it offers
// cancel.
struct WarningContent {
    std::string message; // UTF-8, for readable failures
    bool cancel = false;
};

WarningContent ReadWarning(HWND warning)
{
    UpdateWindow(warning);
    WarningContent content;
    auto* window = dynamic_cast<DlgWarning*>(SkinUI::CWindowWnd::FromHandle(warning));
    if (!window)
        return content;
    if (CControlUI* text = window->GetManager().FindControl(L"lblMsg"))
        content.message = WideToUtf8(text->GetText().GetData());
    CControlUI* cancel = window->GetManager().FindControl(L"btnCancel");
    content.cancel = cancel && cancel->IsVisible();
    return content;
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

// A shown main window whose first paint has run ("windowinit"); null when it could not be created.
DlgMain* OpenMainWindow()
{
    auto* main = new DlgMain();
    if (!main->Create(nullptr, L"Tolvan游戏-在线安装", kInstallerWindowStyle, 0, 0, 0, 600, 400)) {
        delete main;
        return nullptr;
    }
    main->ShowWindow(true, true);
    UpdateWindow(*main);
    return main;
}

// Presses "next" on the main window with `folder` typed in; gives the progress window that follows, its
// download started (null when none came).
HWND StartInstall(DlgMain& main, const std::wstring& folder)
{
    main.GetManager().FindControl(L"edtPath")->SetText(folder.c_str());
    Click(main, L"btnNext");
    const HWND progress = ThreadWindow(L"DlgProgressC3789B9BC0");
    if (progress)
        UpdateWindow(progress); // the first paint starts the download
    return progress;
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

TEST(WarningDialog, ClosedByTheSystemAnswersAsItsCloseBox)
{
    DlgWarning altF4(L"消息", true);
    EXPECT_EQ(AnswerWarning(altF4, [](DlgWarning& w) { w.PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }),
              kWarningCancel);
}

TEST(WarningDialog, SettingTheIconAgainLoadsNothingNew)
{
    DlgWarning warning(L"消息", false);
    ASSERT_NE(warning.Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    warning.SetIcon(kInstallerIcon);
    const LRESULT big = warning.SendMessage(WM_GETICON, ICON_BIG, 0);
    const LRESULT small = warning.SendMessage(WM_GETICON, ICON_SMALL, 0);
    EXPECT_NE(big, 0);
    for (int i = 0; i < 20; ++i)
        warning.SetIcon(kInstallerIcon);
    EXPECT_EQ(warning.SendMessage(WM_GETICON, ICON_BIG, 0), big);
    EXPECT_EQ(warning.SendMessage(WM_GETICON, ICON_SMALL, 0), small);
    DestroyWindow(warning);
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
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);

    wchar_t roaming[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, roaming)));
    const std::wstring folder = std::wstring(roaming) + L"\\TolvanGame\\";
    EXPECT_EQ(std::wstring(main->GetManager().FindControl(L"edtPath")->GetText().GetData()), folder);
    const std::wstring info = main->GetManager().FindControl(L"lblInfo")->GetText().GetData();
    EXPECT_EQ(info.rfind(L"所需空间：~50MB（可用空间：", 0), 0u) << WideToUtf8(info);
    EXPECT_NE(info, SpaceInfoText(0.0)) << "the drive's free space is not shown";

    Click(*main, L"btnMin");
    EXPECT_TRUE(IsIconic(*main));

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

// The loopback server with the setup stand-in as the download (about a second long) and the
// installer's servers and the stand-in's record pointed at it.
struct DownloadSetting {
    explicit DownloadSetting(const char* label) : shared(label)
    {
        const std::string payload = ReadWholeFile(TestExecutableFolder() + L"setup_standin.exe");
        WriteWholeFile(shared.path + L"payload.exe", payload);
        // Slow enough for the engine's half-second progress reports to show.
        Serve("&rate=" + std::to_string(payload.size()));
        SetVariable("TOLVAN_TEST_DOWNLOAD_URL", server.url("/"));
        SetVariable("TOLVAN_TEST_REPORT_URL", server.url(""));
        SetVariable("TOLVAN_SETUP_RECORD", WideToUtf8(record));
    }

    // The payload with the test server's file options (rate, faults).
    void Serve(const std::string& options)
    {
        server.control("file?path=/&local=" + PercentEncode(shared.unixPath + "payload.exe") + options);
    }

    // The reported actions once `count` have arrived (they travel on their own).
    std::multiset<std::string> Actions(size_t count)
    {
        nlohmann::json posts = server.control("posts");
        for (int i = 0; i < 100 && posts.size() < count; ++i) {
            Sleep(100);
            posts = server.control("posts");
        }
        std::multiset<std::string> actions;
        for (const auto& post : posts)
            actions.insert(post["body"]["action"].get<std::string>());
        return actions;
    }

    TestServer server;
    SharedFolder shared;
    const std::wstring record = shared.path + L"setup.json";
};

TEST(ProgressWindow, ShowsTheDownloadAndStartsTheSetup)
{
    DownloadSetting setting("progress");
    SharedFolder& shared = setting.shared;
    TestServer& server = setting.server;
    const std::wstring& record = setting.record;

    CloseReceiver receiver;
    ASSERT_NE(receiver.Create(nullptr, L"", WS_POPUP, 0), nullptr);
    const std::wstring folder = shared.path + L"install\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    auto* progress = new DlgProgress(receiver, folder);
    ASSERT_NE(progress->Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    progress->ShowWindow(true, true);
    UpdateWindow(*progress);
    const std::wstring firstSlide = progress->GetManager().FindControl(L"lblImage")->GetBkImage().GetData();
    std::vector<std::wstring> slides;
    for (int tick = 0; tick < 5; ++tick) {
        SendMessageW(*progress, WM_TIMER, kTimerSlide, 0);
        slides.push_back(progress->GetManager().FindControl(L"lblImage")->GetBkImage().GetData());
    }
    Click(*progress, L"btnMin");
    EXPECT_TRUE(IsIconic(*progress));
    CWindowUIManager::MessageLoop();

    EXPECT_TRUE(receiver.closeRequested);
    EXPECT_EQ(firstSlide, L"image\\show_1.png");
    EXPECT_EQ(slides, (std::vector<std::wstring>{L"image\\show_2.png", L"image\\show_3.png", L"image\\show_4.png",
                                                 L"image\\show_1.png", L"image\\show_2.png"}));
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

TEST(ProgressWindow, DownloadEndingWhileTheQuitQuestionIsOpenClosesIt)
{
    DownloadSetting setting("question");
    CloseReceiver receiver;
    ASSERT_NE(receiver.Create(nullptr, L"", WS_POPUP, 0), nullptr);
    const std::wstring folder = setting.shared.path;
    auto* progress = new DlgProgress(receiver, folder);
    ASSERT_NE(progress->Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    progress->ShowWindow(true, true);
    UpdateWindow(*progress);

    bool questionShown = false;
    bool questionGone = false;
    Later(*progress, [&] {
        // Runs inside the question's own loop, while it waits for an answer that never comes.
        Later(*progress, [&] { questionShown = ThreadWindow(kWarningClassName) != nullptr; });
        Click(*progress, L"btnClose");
        questionGone = ThreadWindow(kWarningClassName) == nullptr;
    });
    CWindowUIManager::MessageLoop();

    EXPECT_TRUE(questionShown);
    EXPECT_TRUE(questionGone);
    EXPECT_TRUE(receiver.closeRequested);
    SendMessageW(*progress, WM_CLOSE, 1, 0);
    EXPECT_TRUE(WaitForFile(setting.record)) << "the unanswered question stopped the download";
    EXPECT_EQ(setting.Actions(2), (std::multiset<std::string>{"4", "8"}));
    receiver.SendMessage(WM_CLOSE);
}

// A progress window downloading slowly enough to outlast a few questions, reporting to `receiver`.
HWND OpenSlowProgressWindow(DownloadSetting& setting, CloseReceiver& receiver)
{
    setting.Serve("&rate=20000");
    if (!receiver.Create(nullptr, L"", WS_POPUP, 0))
        return nullptr;
    auto* progress = new DlgProgress(receiver, setting.shared.path);
    const HWND window = progress->Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400);
    if (!window)
        return nullptr;
    progress->ShowWindow(true, true);
    UpdateWindow(window);
    return window;
}

// Alt+F4 and the taskbar close the window with code 0: the window asks as its close button does.
TEST(ProgressWindow, ClosedByTheSystemAsksAndKeepsDownloadingUnlessTheUserQuits)
{
    DownloadSetting setting("systemclose");
    CloseReceiver receiver;
    const HWND window = OpenSlowProgressWindow(setting, receiver);
    ASSERT_NE(window, nullptr);

    int questions = 0;
    bool stillThereAfterCancel = false;
    auto answer = [&](UINT code) {
        Later(window, [&, code] {
            HWND question = ThreadWindow(kWarningClassName);
            const WarningContent shown = question ? ReadWarning(question) : WarningContent();
            questions += shown.message == WideToUtf8(L"软件即将安装完成，您确定要退出吗？") && shown.cancel;
            PostMessageW(question, WM_CLOSE, code, 0);
        });
    };
    Later(window, [&] {
        answer(kWarningCancel);
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        stillThereAfterCancel = IsWindow(window) && !receiver.closeRequested;
        answer(kWarningOk);
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    CWindowUIManager::MessageLoop();

    EXPECT_EQ(questions, 2);
    EXPECT_TRUE(stillThereAfterCancel);
    EXPECT_TRUE(receiver.closeRequested) << "the stopped download did not end the installer";
    EXPECT_EQ(setting.Actions(1), (std::multiset<std::string>{"6"}));
    EXPECT_FALSE(FileExists(setting.record));
    SendMessageW(window, WM_CLOSE, kCloseByInstaller, 0);
    EXPECT_FALSE(IsWindow(window));
    receiver.SendMessage(WM_CLOSE);
}

// However its window goes, a running download's window tells the main window, which ends the process.
TEST(ProgressWindow, DestroyedMidDownloadStillEndsTheInstaller)
{
    DownloadSetting setting("destroyed");
    CloseReceiver receiver;
    const HWND window = OpenSlowProgressWindow(setting, receiver);
    ASSERT_NE(window, nullptr);
    Later(window, [&] { DestroyWindow(window); }); // deletes the object, whose downloader then stops
    CWindowUIManager::MessageLoop();
    EXPECT_TRUE(receiver.closeRequested);
    EXPECT_FALSE(FileExists(setting.record));
    receiver.SendMessage(WM_CLOSE);
}

TEST(MainWindow, EmptyFolderIsRefusedAndTheWindowStays)
{
    TestServer server;
    SetVariable("TOLVAN_TEST_REPORT_URL", server.url(""));
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);
    main->GetManager().FindControl(L"edtPath")->SetText(L"");

    bool warned = false;
    Later(*main, [&] {
        HWND warning = ThreadWindow(kWarningClassName);
        warned = warning != nullptr;
        PostMessageW(warning, WM_CLOSE, kWarningOk, 0);
    });
    Click(*main, L"btnNext");
    EXPECT_TRUE(warned);
    EXPECT_TRUE(IsWindowVisible(*main));
    EXPECT_EQ(ThreadWindow(L"DlgProgressC3789B9BC0"), nullptr);

    Click(*main, L"btnClose");
    CWindowUIManager::MessageLoop();
    delete main;
}

// Windows refusing the folder calls for the elevated copy of this program, which starts afresh while
// this one ends; any other failure to create the folder, or a folder too long to start the setup in,
// is the user's to mend.
TEST(MainWindow, FolderRefusedByWindowsRelaunchesElevatedAndOtherFailuresWarn)
{
    const std::wstring readOnly = MountedTestFolder("TOLVAN_READ_ONLY_FOLDER", L"read-only.mounted");
    if (readOnly.empty())
        GTEST_SKIP() << "no read-only folder mounted";
    DownloadSetting setting("relaunch");
    const std::wstring record = setting.shared.path + L"relaunch.json";
    SetVariable("TOLVAN_RELAUNCH_RECORD", WideToUtf8(record));
    WriteWholeFile(setting.shared.path + L"file", "in the way");
    // A main window that stays reports its close (3); one that ends for the elevated copy does not.
    struct Case {
        const char* name;
        std::wstring folder;
        bool relaunches;
        std::multiset<std::string> actions;
    };
    const Case cases[] = {
        {"access denied", readOnly + L"TolvanGame", true, {"1"}},
        {"a file in the way", setting.shared.path + L"file\\TolvanGame", false, {"1", "3"}},
        {"too long for its setup", setting.shared.path + std::wstring(240, L'x') + L"\\TolvanGame", false, {"1", "3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(record.c_str());
        setting.server.control("reset");
        DlgMain* main = OpenMainWindow();
        ASSERT_NE(main, nullptr);
        main->GetManager().FindControl(L"edtPath")->SetText(c.folder.c_str());
        WarningContent warning;
        Later(*main, [&] {
            if (HWND open = ThreadWindow(kWarningClassName)) {
                warning = ReadWarning(open);
                PostMessageW(open, WM_CLOSE, kWarningOk, 0);
            }
        });
        Click(*main, L"btnNext");
        // The window that stays for another choice is closed as by the system, after a while.
        const HWND window = *main;
        std::atomic<bool> ended{false};
        bool stayed = false;
        std::thread closer([&] {
            for (int i = 0; i < 30 && !ended; ++i)
                Sleep(100);
            stayed = !ended;
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
        CWindowUIManager::MessageLoop();
        ended = true;
        closer.join();
        delete main;

        EXPECT_EQ(stayed, !c.relaunches);

        EXPECT_EQ(ThreadWindow(L"DlgProgressC3789B9BC0"), nullptr);
        EXPECT_EQ(setting.Actions(c.actions.size()), c.actions);
        if (c.relaunches) {
            EXPECT_EQ(warning.message, "");
            ASSERT_TRUE(WaitForFile(record)) << "no elevated copy was started";
            const nlohmann::json started = nlohmann::json::parse(ReadWholeFile(record));
            wchar_t self[MAX_PATH] = {};
            GetModuleFileNameW(nullptr, self, MAX_PATH);
            const std::wstring folder = TestExecutableFolder();
            EXPECT_EQ(started["argv"], nlohmann::json::array({WideToUtf8(self), "-runasadmin"}));
            EXPECT_EQ(started["cwd"], WideToUtf8(folder.substr(0, folder.size() - 1)));
        } else {
            EXPECT_EQ(warning.message, WideToUtf8(L"创建目录失败，请选择其他的安装目录！"));
            EXPECT_FALSE(warning.cancel);
            EXPECT_FALSE(FileExists(record)) << "an elevated copy was started";
        }
    }
}

// The folder browser: a chosen folder gets the installer's sub-folder and its drive's space shown; one
// with Chinese characters is refused with a warning and the folder shown stays.
TEST(MainWindow, BrowsedFolderIsTakenUnlessItHasChineseCharacters)
{
    TestServer server;
    SetVariable("TOLVAN_TEST_REPORT_URL", server.url(""));
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);
    CControlUI* edit = main->GetManager().FindControl(L"edtPath");
    CControlUI* info = main->GetManager().FindControl(L"lblInfo");
    edit->SetText(L"");
    main->UpdateSpaceInfo();
    ASSERT_EQ(std::wstring(info->GetText().GetData()), SpaceInfoText(0.0));

    struct Case {
        std::wstring chosen;
        std::wstring folder; // the edit's text afterwards
        const wchar_t* warning;
    };
    // The browser starts at the desktop; its folders are the ones it can be pointed at.
    wchar_t desktopPath[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktopPath);
    const std::wstring desktop = std::wstring(desktopPath) + L"\\";
    const std::wstring games = desktop + L"games";
    const Case cases[] = {
        {games, games + L"\\TolvanGame\\", L""},
        {desktop + L"游戏", games + L"\\TolvanGame\\", L"不支持安装在中文目录，请重新选择安装路径！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.chosen));
        CreateDirectoryW(c.chosen.c_str(), nullptr);
        WarningContent warning;
        WhenAWindowOpens(*main, L"#32770", [&](HWND browser) {
            SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(c.chosen.c_str()));
            PostMessageW(browser, WM_COMMAND, IDOK, 0);
            if (*c.warning) {
                WhenAWindowOpens(*main, kWarningClassName, [&](HWND open) {
                    warning = ReadWarning(open);
                    PostMessageW(open, WM_CLOSE, kWarningOk, 0);
                });
            }
        });
        Click(*main, L"btnBrowser");
        EXPECT_EQ(WideToUtf8(edit->GetText().GetData()), WideToUtf8(c.folder));
        EXPECT_EQ(warning.message, WideToUtf8(c.warning));
        EXPECT_NE(std::wstring(info->GetText().GetData()), SpaceInfoText(0.0)) << "the drive's free space is not shown";
    }
    Click(*main, L"btnClose");
    CWindowUIManager::MessageLoop();
    delete main;
    for (const Case& c : cases)
        RemoveDirectoryW(c.chosen.c_str());
}

// A second copy's request while the installer is ending shows nothing: the windows are about to go.
TEST(MainWindow, AnEndingInstallerShowsNothingToASecondCopy)
{
    TestServer server;
    SetVariable("TOLVAN_TEST_REPORT_URL", server.url(""));
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SendMessageW(*main, kMsgBringToFront, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(*main));

    SendMessageW(*main, kMsgCloseInstaller, 0, 0);
    EXPECT_EQ(SendMessageW(*main, kMsgBringToFront, 0, 0), 1);
    EXPECT_FALSE(IsWindowVisible(*main));
    CWindowUIManager::MessageLoop();
    delete main;
}

TEST(MainWindow, TypedFolderGetsItsSeparatorAndTheInstallationRuns)
{
    DownloadSetting setting("typed");
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring typed = setting.shared.path + L"typed";
    main->GetManager().FindControl(L"edtPath")->SetText(typed.c_str());

    Click(*main, L"btnNext");
    EXPECT_FALSE(IsWindowVisible(*main));
    const HWND progress = ThreadWindow(L"DlgProgressC3789B9BC0");
    EXPECT_TRUE(progress && IsWindowVisible(progress)) << "no progress window shown";
    // Ends when the main window goes, after the download and the closing delay.
    CWindowUIManager::MessageLoop();
    delete main;
    EXPECT_EQ(ThreadWindow(L"DlgProgressC3789B9BC0"), nullptr) << "the progress window outlived the run";

    ASSERT_TRUE(WaitForFile(setting.record)) << "the setup was not started";
    const nlohmann::json started = nlohmann::json::parse(ReadWholeFile(setting.record));
    ASSERT_EQ(started["argv"].size(), 3u);
    EXPECT_EQ(started["argv"][0], WideToUtf8(typed + L"\\VexaGameFull_windows_newest.exe"));
    EXPECT_EQ(started["argv"][2], WideToUtf8(typed + L"\\"));
    EXPECT_EQ(setting.Actions(4), (std::multiset<std::string>{"1", "2", "4", "8"}));
}

// The display's DPI: the wrapper that runs this test in a Wine prefix of its own names it in
// TOLVAN_WINE_DPI; without it the display is at 96.
int DisplayDpi()
{
    const char* dpi = std::getenv("TOLVAN_WINE_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

int DisplayScale() { return MulDiv(DisplayDpi(), 100, 96); }

std::pair<int, int> Scaled(int cx, int cy) { return {MulDiv(cx, DisplayScale(), 100), MulDiv(cy, DisplayScale(), 100)}; }

std::pair<int, int> WindowSize(HWND window)
{
    RECT rc = {};
    GetWindowRect(window, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

// The file the window drew for an image description, and that image's pixel size.
struct DrawnImage {
    std::wstring file;
    std::pair<int, int> size{0, 0};
};

DrawnImage ImageDrawnFor(CWindowUIManager& manager, const wchar_t* description)
{
    DrawnImage drawn;
    const SkinUI::ImageDrawInfo* info = manager.GetImageDrawInfo(description);
    if (!info)
        return drawn;
    drawn.file = info->sImageName.GetData();
    if (const SkinUI::ImageRecord* image = manager.GetImage(info->sImageName))
        drawn.size = {image->nX, image->nY};
    return drawn;
}

// The name of the image's variant for the display's scale ("image/x@150.png"), the name itself at 100 %.
std::wstring VariantFor(const std::wstring& file)
{
    if (DisplayScale() == 100)
        return file;
    const size_t dot = file.rfind(L'.');
    return file.substr(0, dot) + L"@" + std::to_wstring(DisplayScale()) + file.substr(dot);
}

// The window's client area as the framework draws it, saved as <build>/screenshots/<name>@<scale>.png.
void SaveScreenshot(HWND window, const std::wstring& name)
{
    RECT client = {};
    GetClientRect(window, &client);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_CHILDREN);
    SelectObject(memory, old);
    DeleteDC(memory);

    const std::wstring folder = FromUnix(TOLVAN_BINARY_DIR "/screenshots");
    std::filesystem::create_directories(std::filesystem::path(folder));
    const std::wstring file = folder + L"\\" + name + L"@" + std::to_wstring(DisplayScale()) + L".png";
    // GDI+'s PNG encoder.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        EXPECT_EQ(image.Save(file.c_str(), &png, nullptr), Gdiplus::Ok) << WideToUtf8(file);
    }
    DeleteObject(bitmap);
}

// Each window opens at the display's scale, draws the image variant of that scale, and leaves a screenshot.
TEST(WindowsAtTheDisplayDpi, MainWindow)
{
    EXPECT_EQ(SkinUI::CDpiScaler::GetMainMonitorDPI(), DisplayDpi()); // what the skins' dpi="system" takes
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowSize(*main), Scaled(600, 400));
    const DrawnImage banner = ImageDrawnFor(main->GetManager(), L"image/main_banner.png");
    EXPECT_EQ(banner.file, VariantFor(L"image/main_banner.png"));
    EXPECT_EQ(banner.size, Scaled(600, 200));
    SaveScreenshot(*main, L"main");

    main->SendMessage(WM_CLOSE); // its end ends the loop
    CWindowUIManager::MessageLoop();
    delete main;
}

TEST(WindowsAtTheDisplayDpi, ProgressWindow)
{
    auto* progress = new DlgProgress(nullptr, L""); // no folder: no download
    ASSERT_NE(progress->Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    progress->ShowWindow(true, true);
    UpdateWindow(*progress);
    EXPECT_EQ(WindowSize(*progress), Scaled(600, 400));
    const DrawnImage slide = ImageDrawnFor(progress->GetManager(), L"image\\show_1.png");
    EXPECT_EQ(slide.file, VariantFor(L"image\\show_1.png"));
    EXPECT_EQ(slide.size, Scaled(600, 264));
    SaveScreenshot(*progress, L"progress");
    progress->SendMessage(WM_CLOSE); // deletes the window object
}

TEST(WindowsAtTheDisplayDpi, WarningDialog)
{
    DlgWarning warning(L"您的网络不稳定，点击“确定”可使用浏览器下载离线安装包！", true);
    ASSERT_NE(warning.Create(nullptr, kToolTitle, kInstallerWindowStyle, 0, 0, 0, 600, 400), nullptr);
    warning.ShowWindow(true, true);
    UpdateWindow(warning);
    EXPECT_EQ(WindowSize(warning), Scaled(420, 220));
    const DrawnImage icon = ImageDrawnFor(warning.GetManager(), L"image/warn_icon.png");
    EXPECT_EQ(icon.file, VariantFor(L"image/warn_icon.png"));
    EXPECT_EQ(icon.size, Scaled(40, 40));
    SaveScreenshot(warning, L"warning");
    warning.SendMessage(WM_CLOSE);
}

} // namespace

namespace {

// The system's close reaching the hidden main window while the download runs leaves the decision to
// the progress window's quit question; "quit" then ends the run.
TEST(MainWindow, ClosedByTheSystemDuringTheDownloadAsksTheProgressWindowsQuestion)
{
    DownloadSetting setting("mainclose");
    setting.Serve("&rate=20000");
    DlgMain* main = OpenMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_NE(StartInstall(*main, setting.shared.path + L"mainclose"), nullptr);

    bool asked = false;
    // The main window passes the close on to the progress window; the answer waits for its question.
    Later(*main, [&] {
        SendMessageW(*main, WM_SYSCOMMAND, SC_CLOSE, 0);
        WhenAWindowOpens(*main, kWarningClassName, [&](HWND question) {
            asked = true;
            PostMessageW(question, WM_CLOSE, kWarningOk, 0);
        });
    });
    CWindowUIManager::MessageLoop();
    delete main;
    EXPECT_TRUE(asked);
    EXPECT_EQ(ThreadWindow(L"DlgProgressC3789B9BC0"), nullptr);
    EXPECT_FALSE(FileExists(setting.record));
    EXPECT_EQ(setting.Actions(3), (std::multiset<std::string>{"1", "2", "6"}));
}

} // namespace

namespace {

// The system's close of the progress window while its failure warning is open (taskbar close, End
// task) ends the installer through the main window, whose close thread destroys the progress window
// under the warning: nothing of that window may run once the warning's loop has returned.
TEST(ProgressWindow, ClosedByTheSystemUnderItsFailureWarningEndsTheInstaller)
{
    struct Case {
        const char* name;
        bool setupStarts; // the download succeeds, but its file is no program
        const wchar_t* warning;
        std::multiset<std::string> actions;
    };
    const Case cases[] = {
        {"network failure", false, L"您的网络不稳定，点击“确定”可使用浏览器下载离线安装包！", {"1", "2", "5"}},
        {"setup failure", true, L"在线安装失败，点击“确定”可使用浏览器下载离线安装包！", {"1", "2", "4", "7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadSetting setting("failurewarning");
        if (c.setupStarts)
            WriteWholeFile(setting.shared.path + L"payload.exe", std::string(300000, '\x5a'));
        setting.Serve(c.setupStarts ? "" : "&fault=head-404");
        DlgMain* main = OpenMainWindow();
        ASSERT_NE(main, nullptr);
        const HWND progress = StartInstall(*main, setting.shared.path + L"install");
        ASSERT_NE(progress, nullptr);

        WarningContent warning;
        WhenAWindowOpens(*main, kWarningClassName, [&](HWND open) {
            warning = ReadWarning(open);
            // End task: the owner of a modal dialog is disabled and takes no system command.
            SendMessageW(progress, WM_CLOSE, 0, 0);
        });
        CWindowUIManager::MessageLoop();
        delete main;
        ExpectNoWriteAfterFree();

        EXPECT_EQ(warning.message, WideToUtf8(c.warning));
        EXPECT_TRUE(warning.cancel);
        EXPECT_EQ(ThreadWindow(L"DlgProgressC3789B9BC0"), nullptr);
        EXPECT_EQ(ThreadWindow(kWarningClassName), nullptr);
        EXPECT_FALSE(FileExists(setting.record));
        EXPECT_EQ(setting.Actions(c.actions.size()), c.actions);
    }
}

} // namespace
