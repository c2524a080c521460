// The silent installation end to end under Wine: the real installer program (built with its download
// server address taken from the environment) against the loopback test server, which serves a
// stand-in for the client's setup that records how it was started.
#include "InstallerRun.h"
#include "StringConvert.h"
#include "TestServer.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFolderFailed = 1;
constexpr int kDownloadFailed = 2;
constexpr int kSetupStartFailed = 3;
constexpr int kInternalError = 4;
constexpr int kAlreadyRunning = 5;

size_t DumpCount(const std::wstring& folder) { return FilesMatching(folder + L"VexaOnlineInstaller_*.dmp").size(); }

class SilentInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The stand-in, padded to 50 MiB (a PE file runs with data appended), so that the download
        // is cut into several slices and the limit of ranges at once shows.
        setup = ReadWholeFile(TestExecutableFolder() + L"setup_standin.exe");
        ASSERT_FALSE(setup.empty());
        setup.resize(50 << 20, '\x5a');
        WriteWholeFile(work.path + L"payload.exe", setup);
        Serve("");
    }

    void Serve(const std::string& options)
    {
        server.control("file?path=/&local=" + PercentEncode(work.unixPath + "payload.exe") + options);
        server.control("reset");
    }

    std::map<std::wstring, std::wstring> Environment(const std::wstring& record)
    {
        return {{L"TOLVAN_TEST_DOWNLOAD_URL", Utf8ToWide(server.url("/"))},
                {L"TOLVAN_SETUP_RECORD", record},
                {L"TMP", work.path},
                {L"TEMP", work.path}};
    }

    nlohmann::json ReadRecord(const std::wstring& record)
    {
        if (!WaitForFile(record))
            return nullptr;
        return nlohmann::json::parse(ReadWholeFile(record));
    }

    std::string LogText() { return ReadWholeFile(work.path + L"VexaOnlineInstaller.log"); }

    SharedFolder work{"silent"};
    TestServer server;
    std::string setup;
};

TEST_F(SilentInstall, DownloadsTheSetupAndStartsItWithTheFolder)
{
    const std::wstring base = work.path + L"target\\";
    const std::wstring setupName = L"VexaGameFull.exe";
    // The longest folder whose setup still starts: its full path takes 259 units.
    const std::wstring longest = std::wstring(259 - base.size() - setupName.size() - 1, L'x') + L"\\";
    const struct {
        std::wstring leaf;
        bool quotedWhole;  // the option as one argument, as a script's argument list passes it
    } rows[] = {{L"Games\\", false}, {L"My Games\\", false}, {L"游戏 目录\\", false}, {L"One Argument\\", true},
                {longest, false}};
    for (const auto& [leaf, quotedWhole] : rows) {
        SCOPED_TRACE(WideToUtf8(leaf));
        const std::wstring folder = base + leaf;
        const std::wstring record = work.path + L"record.json";
        DeleteFileW(record.c_str());
        server.control("reset");

        InstallerProcess installer(quotedWhole ? L"\"-dir:" + folder + L"\\\"" : L"-dir:\"" + folder + L"\"",
                                   Environment(record));
        EXPECT_EQ(installer.Wait(), 0u);
        EXPECT_EQ(installer.WindowsSeen(), 0);

        const nlohmann::json started = ReadRecord(record);
        ASSERT_TRUE(started.is_object()) << "the setup was not started";
        ASSERT_EQ(started["argv"].size(), 3u) << started.dump();
        EXPECT_EQ(started["argv"][0], WideToUtf8(folder + L"VexaGameFull.exe"));
        EXPECT_EQ(started["argv"][1], "/installdir");
        EXPECT_EQ(started["argv"][2], WideToUtf8(folder));

        EXPECT_TRUE(ReadWholeFile(folder + L"VexaGameFull.exe") == setup) << "downloaded bytes differ";
        EXPECT_FALSE(FileExists(folder + L"VexaGameFull.exe.slicedl"));
        EXPECT_FALSE(FileExists(folder + L"VexaGameFull.exe.sdlindex"));

        const nlohmann::json log = server.control("log");
        ASSERT_FALSE(log.empty());
        for (const auto& request : log) {
            EXPECT_EQ(request["path"], "/") << request.dump();
            EXPECT_EQ(request["query"], "f=aide") << request.dump();
        }
        EXPECT_LE(server.control("stats")["max_concurrent"].get<int>(), 3);
        EXPECT_GE(log.size(), 5u) << "expected the 50 MiB file in several ranges";
        EXPECT_TRUE(server.control("posts").empty()) << "silent mode sends no report";
    }
}

TEST_F(SilentInstall, AddsTheMissingSeparatorAndAcceptsForwardSlashes)
{
    const std::wstring record = work.path + L"record.json";
    std::wstring folder = work.path + L"a/b";
    InstallerProcess installer(L"/dir:\"" + folder + L"\"", Environment(record));
    EXPECT_EQ(installer.Wait(), 0u);
    const nlohmann::json started = ReadRecord(record);
    ASSERT_TRUE(started.is_object());
    EXPECT_EQ(started["argv"][2], WideToUtf8(folder + L"\\"));
    EXPECT_TRUE(FileExists(work.path + L"a\\b\\VexaGameFull.exe"));
}

TEST_F(SilentInstall, FailedProbeStartsNothing)
{
    Serve("&fault=head-404");
    const std::wstring record = work.path + L"record.json";
    const std::wstring folder = work.path + L"probe\\";
    InstallerProcess installer(L"-dir:" + folder, Environment(record));
    EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kDownloadFailed));
    EXPECT_FALSE(FileExists(record));
    EXPECT_FALSE(FileExists(folder + L"VexaGameFull.exe"));
    EXPECT_NE(LogText().find("Download failed"), std::string::npos);
}

TEST_F(SilentInstall, BrokenTransferKeepsTheFilesForResuming)
{
    // Ranges from 20 MiB on fail: the first slices arrive, the rest do not.
    Serve("&fault=range-500@20971520");
    const std::wstring record = work.path + L"record.json";
    const std::wstring folder = work.path + L"broken\\";
    InstallerProcess installer(L"-dir:" + folder, Environment(record));
    EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kDownloadFailed));
    EXPECT_FALSE(FileExists(record));
    EXPECT_FALSE(FileExists(folder + L"VexaGameFull.exe"));
    EXPECT_TRUE(FileExists(folder + L"VexaGameFull.exe.slicedl"));
    EXPECT_TRUE(FileExists(folder + L"VexaGameFull.exe.sdlindex"));

    // The next run resumes: it asks only for what is missing and ends with the setup started.
    Serve("");
    InstallerProcess again(L"-dir:" + folder, Environment(record));
    EXPECT_EQ(again.Wait(), 0u);
    EXPECT_TRUE(ReadWholeFile(folder + L"VexaGameFull.exe") == setup);
    for (const auto& request : server.control("log")) {
        if (request["method"] == "GET") {
            EXPECT_NE(request["range"], "bytes=0-10485759") << "the first slice was fetched again";
        }
    }
}

// The setup grew on the server after the size probe and comes whole without a length or version, as
// from a script (closed at its end, or chunked): its first bytes are not the setup, so the download
// fails and nothing starts.
TEST_F(SilentInstall, ASetupLongerThanItsProbedSizeIsNotStarted)
{
    int round = 0;
    for (const char* shape : {",no-version", ",no-version,chunked"}) {
        SCOPED_TRACE(shape);
        Serve("&fault=resized=" + std::to_string((50 << 20) - 4096) + shape);
        const std::wstring record = work.path + L"record.json";
        const std::wstring folder = work.path + L"grown" + std::to_wstring(round++) + L"\\";
        InstallerProcess installer(L"-dir:" + folder, Environment(record));
        EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kDownloadFailed));
        EXPECT_FALSE(FileExists(record)) << "the setup was started";
        EXPECT_FALSE(FileExists(folder + L"VexaGameFull.exe"));
        EXPECT_NE(LogText().find("Download failed, result: 28"), std::string::npos) << LogText();
    }
}

TEST_F(SilentInstall, SecondCopyEndsAtOnceUnlessRelaunchedElevated)
{
    // A slow first copy: about 10 s for the 50 MiB at 3 connections.
    Serve("&rate=2000000");
    const std::wstring record = work.path + L"record.json";
    InstallerProcess first(L"-dir:" + work.path + L"first\\", Environment(record));
    for (int i = 0; i < 100 && server.control("log").empty(); ++i)
        Sleep(100);
    ASSERT_TRUE(first.Running());

    InstallerProcess second(L"-dir:" + work.path + L"second\\", Environment(work.path + L"second.json"));
    EXPECT_EQ(second.Wait(), static_cast<DWORD>(kAlreadyRunning)) << "a script must learn that nothing was done";
    EXPECT_EQ(second.WindowsSeen(), 0);
    EXPECT_TRUE(first.Running()) << "the second copy should end before the first";
    EXPECT_FALSE(FileExists(work.path + L"second\\"));
    EXPECT_EQ(LogText().find("[" + std::to_string(second.Id()) + "-"), std::string::npos)
        << "the second copy wrote to the log";

    InstallerProcess elevated(L"-dir:" + work.path + L"third\\ -runasadmin",
                              Environment(work.path + L"third.json"));
    for (int i = 0; i < 100 && !FileExists(work.path + L"third\\"); ++i)
        Sleep(100);
    EXPECT_TRUE(FileExists(work.path + L"third\\")) << "the relaunch did not run";
}

// Refused before anything is downloaded: a folder that cannot be made, or one so long that the setup in
// it could not be started.
TEST_F(SilentInstall, AFolderThatCannotTakeTheSetupEndsWithCode1)
{
    WriteWholeFile(work.path + L"blocker", "a file where a folder level should be");
    const std::wstring longFolder = work.path + L"long\\";
    // The setup's full path would take 260 units: one too many.
    const std::wstring tooLong = longFolder + std::wstring(260 - longFolder.size() - 16 - 1, L'y') + L"\\";
    const struct {
        std::wstring arguments;
        const char* logged;
    } cases[] = {
        {L"-dir:" + work.path + L"blocker\\sub\\", "Create install folder failed"},
        {L"-dir:" + longFolder + std::wstring(240, L'x') + L"\\", "Install folder too long for the setup"},
        {L"-dir:" + tooLong, "Install folder too long for the setup"},
        // A folder missing or in doubt is never guessed at, and no window waits for an answer.
        {L"-dir", "No install folder given"},
        {L"-dir:\"\"", "No install folder given"},
        {L"-dir:" + work.path + L"My Games\\", "Install folder cannot be read without doubt"},
        {L"-dir:" + work.path + L"My - Copy\\", "Install folder cannot be read without doubt"},
        {L"-dir:" + work.path + L"My\\ -dir:" + work.path + L"Other\\", "Install folder cannot be read without doubt"},
        {L"\"-dir:" + work.path + L"My Games\\\"", "Install folder cannot be read without doubt"},
        {L"-dir:" + work.path + L"Tolvan -Online\\", "Install folder cannot be read without doubt"},
        {L"-dir:" + work.path + L"Tolvan /Beta\\", "Install folder cannot be read without doubt"},
        // A quote or a tab no folder name holds: not even the levels before it are made.
        {L"-dir:" + work.path + L"Quoted\\\"Tolvan\"\\", "Install folder cannot be read without doubt"},
        {L"-dir:" + work.path + L"Tabbed\\Tolvan\t-runasadmin", "Install folder cannot be read without doubt"},
        // Quoted as a whole by a script that did not escape the quotes inside: they close before the blank.
        {L"\"-dir:\"" + work.path + L"My Games\\\"\"", "Install folder cannot be read without doubt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.arguments));
        server.control("reset");
        const std::wstring record = work.path + L"record.json";
        InstallerProcess installer(c.arguments, Environment(record));
        EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kFolderFailed));
        EXPECT_EQ(installer.WindowsSeen(), 0);
        EXPECT_FALSE(FileExists(record));
        EXPECT_NE(LogText().find(c.logged), std::string::npos);
        EXPECT_EQ(server.control("log").size(), 0u) << "nothing is downloaded";
    }
    for (const wchar_t* cut : {L"My\\", L"Tolvan\\", L"Quoted\\", L"Tabbed\\"})
        EXPECT_FALSE(FileExists(work.path + cut)) << "a folder other than the one meant was made";
}

TEST_F(SilentInstall, ASetupThatCannotStartEndsWithCode3)
{
    WriteWholeFile(work.path + L"notes.txt", std::string(70000, 'x'));
    server.control("file?path=/&local=" + PercentEncode(work.unixPath + "notes.txt"));
    const std::wstring folder = work.path + L"text\\";
    InstallerProcess installer(L"-dir:" + folder, Environment(work.path + L"record.json"));
    EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kSetupStartFailed));
    EXPECT_TRUE(FileExists(folder + L"VexaGameFull.exe")) << "the download itself succeeded";
    EXPECT_NE(LogText().find("Start Setup Failed, GLE:"), std::string::npos);
}

// A drive too small for the setup: the download fails (2) naming the failed write and the system's
// reason, and no partial file is put in the setup's place.
TEST_F(SilentInstall, AFullDriveIsNamedInTheLog)
{
    const std::wstring drive = MountedTestFolder("TOLVAN_SMALL_DRIVE", L"small-drive.mounted");
    if (drive.empty())
        GTEST_SKIP() << "no small drive could be mounted";
    const std::wstring folder = drive + L"silent-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    InstallerProcess installer(L"-dir:\"" + folder + L"\"", Environment(work.path + L"record.json"));
    EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kDownloadFailed));
    const std::string log = LogText();
    EXPECT_NE(log.find("Download failed, result: 26"), std::string::npos) << log;
    EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;
    EXPECT_FALSE(FileExists(folder + L"VexaGameFull.exe"));
    for (const wchar_t* leftover : {L"VexaGameFull.exe.slicedl", L"VexaGameFull.exe.sdlindex", L"VexaGameFull.exe.sdlindex.tmp"})
        DeleteFileW((folder + leftover).c_str());
    RemoveDirectoryW(folder.c_str());
}

// Every crash path, in the main thread or another, at start-up or while the download's result is
// handled or delivered, ends with code 4 and one dump beside the program, named in the log; none hangs.
TEST_F(SilentInstall, EveryCrashPathEndsWithCode4AndOneDump)
{
    const std::wstring program = work.path + L"crashing\\VexaOnlineInstaller.exe";
    CreateDirectoryW((work.path + L"crashing").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((TestExecutableFolder() + L"VexaOnlineInstaller.exe").c_str(), program.c_str(), FALSE));
    Serve("&fault=head-404");
    const std::vector<const wchar_t*> faults = {
        L"startup:throw",     L"startup:fault",      L"startup:thread-fault", L"startup:thread-throw",
        L"startup:terminate", L"startup:abort",      L"result:throw",         L"result:fault",
        L"result:thread-fault", L"result:terminate", L"delivery:throw"};
    for (const wchar_t* fault : faults) {
        SCOPED_TRACE(WideToUtf8(fault));
        std::map<std::wstring, std::wstring> environment = Environment(work.path + L"record.json");
        environment[L"TOLVAN_TEST_FAULT"] = fault;
        const size_t dumpsBefore = DumpCount(work.path + L"crashing\\");
        InstallerProcess installer(L"-dir:" + work.path + L"crash\\", environment, program);
        EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kInternalError));
        EXPECT_EQ(DumpCount(work.path + L"crashing\\"), dumpsBefore + 1);
    }
    EXPECT_EQ(DumpCount(work.path), 0u) << "a dump went to the temporary folder";
    const std::string log = LogText();
    EXPECT_NE(log.find("Handling the download result failed: fault injected by the test"), std::string::npos);
    EXPECT_EQ(Occurrences(log, "Crash dump written: " + WideToUtf8(work.path + L"crashing\\VexaOnlineInstaller_")),
              faults.size())
        << log;
}

// A program folder that refuses the dump: it goes to the temporary folder beside the log, which names it.
TEST_F(SilentInstall, ADumpRefusedByTheProgramsFolderGoesToTheTemporaryFolder)
{
    const std::wstring readOnly = MountedTestFolder("TOLVAN_READ_ONLY_FOLDER", L"read-only.mounted");
    if (readOnly.empty())
        GTEST_SKIP() << "no read-only folder could be mounted";
    Serve("&fault=head-404");
    for (const wchar_t* fault : {L"startup:thread-fault", L"delivery:throw"}) {
        SCOPED_TRACE(WideToUtf8(fault));
        std::map<std::wstring, std::wstring> environment = Environment(work.path + L"record.json");
        environment[L"TOLVAN_TEST_FAULT"] = fault;
        const size_t dumpsBefore = DumpCount(work.path);
        InstallerProcess installer(L"-dir:" + work.path + L"crash\\", environment,
                                   readOnly + L"VexaOnlineInstaller.exe");
        EXPECT_EQ(installer.Wait(), static_cast<DWORD>(kInternalError));
        EXPECT_EQ(DumpCount(work.path), dumpsBefore + 1);
    }
    EXPECT_EQ(DumpCount(readOnly), 0u);
    EXPECT_EQ(Occurrences(LogText(), "Crash dump written: " + WideToUtf8(work.path + L"VexaOnlineInstaller_")), 2u)
        << LogText();
}

} // namespace
