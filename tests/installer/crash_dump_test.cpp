#include "CrashDump.h"
#include "CrashGuard.h"
#include "InstallerRun.h"
#include "StringConvert.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <dbghelp.h>

#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

struct CrashRun {
    DWORD processId = 0;
    DWORD exitCode = 0;
};

// The crashing program of a folder, started there (the dump lands beside the executable).
class CrashChild {
public:
    CrashChild(const std::wstring& folder, const std::wstring& mode)
    {
        std::wstring command = L"\"" + folder + L"installer_crash_child.exe\" " + mode;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                            &info)) {
            ADD_FAILURE() << "cannot start the crashing program: " << GetLastError();
            return;
        }
        CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_run.processId = info.dwProcessId;
    }
    ~CrashChild()
    {
        if (m_process)
            CloseHandle(m_process);
    }
    CrashChild(const CrashChild&) = delete;
    CrashChild& operator=(const CrashChild&) = delete;

    CrashRun Wait()
    {
        if (m_process) {
            EXPECT_EQ(WaitForSingleObject(m_process, 120000), static_cast<DWORD>(WAIT_OBJECT_0));
            GetExitCodeProcess(m_process, &m_run.exitCode);
        }
        return m_run;
    }

private:
    HANDLE m_process = nullptr;
    CrashRun m_run;
};

CrashRun RunCrashChildIn(const std::wstring& folder, const std::wstring& mode) { return CrashChild(folder, mode).Wait(); }

// Copies the crashing program into `folder`, to run it there.
void CopyCrashChildTo(const std::wstring& folder)
{
    const std::wstring program = folder + L"installer_crash_child.exe";
    EXPECT_TRUE(CopyFileW((TestExecutableFolder() + L"installer_crash_child.exe").c_str(), program.c_str(), FALSE));
}

CrashRun RunCrashChild(const std::wstring& folder, const std::wstring& mode)
{
    CopyCrashChildTo(folder);
    return RunCrashChildIn(folder, mode);
}

// The temporary folder of the programs this test starts, for its lifetime.
class TemporaryFolderOfChildren {
public:
    explicit TemporaryFolderOfChildren(const std::wstring& folder)
    {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t value[MAX_PATH] = {};
            if (GetEnvironmentVariableW(name, value, MAX_PATH) > 0)
                m_saved.emplace_back(name, value);
            SetEnvironmentVariableW(name, folder.c_str());
        }
    }
    ~TemporaryFolderOfChildren()
    {
        for (const wchar_t* name : {L"TMP", L"TEMP"})
            SetEnvironmentVariableW(name, nullptr);
        for (const auto& [name, value] : m_saved)
            SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    TemporaryFolderOfChildren(const TemporaryFolderOfChildren&) = delete;
    TemporaryFolderOfChildren& operator=(const TemporaryFolderOfChildren&) = delete;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_saved;
};

std::vector<std::wstring> DumpFiles(const std::wstring& folder) { return FilesMatching(folder + L"*.dmp"); }

// The exception code the dump records, or 0 when it holds no exception stream.
DWORD RecordedExceptionCode(const std::string& dump)
{
    MINIDUMP_HEADER header{};
    if (dump.size() < sizeof(header))
        return 0;
    std::memcpy(&header, dump.data(), sizeof(header));
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry{};
        const size_t at = header.StreamDirectoryRva + i * sizeof(entry);
        if (at + sizeof(entry) > dump.size())
            return 0;
        std::memcpy(&entry, dump.data() + at, sizeof(entry));
        if (entry.StreamType != ExceptionStream)
            continue;
        MINIDUMP_EXCEPTION_STREAM stream{};
        if (entry.Location.Rva + sizeof(stream) > dump.size())
            return 0;
        std::memcpy(&stream, dump.data() + entry.Location.Rva, sizeof(stream));
        return stream.ExceptionRecord.ExceptionCode;
    }
    return 0;
}

void ExpectOneDumpIn(const std::wstring& folder, const CrashRun& run, DWORD expectedCode)
{
    EXPECT_EQ(run.exitCode, 4u) << "every crash ends with the crash exit code";
    const std::vector<std::wstring> dumps = DumpFiles(folder);
    ASSERT_EQ(dumps.size(), 1u);
    const std::regex name("VexaOnlineInstaller_" + std::to_string(run.processId) +
                          R"(_\d{8}\.\d{2}\.\d{2}\.\d{2}\.\d{4}\.dmp)");
    EXPECT_TRUE(std::regex_match(WideToUtf8(dumps[0]), name)) << WideToUtf8(dumps[0]);
    const std::string dump = ReadWholeFile(folder + dumps[0]);
    ASSERT_GE(dump.size(), 4u);
    EXPECT_EQ(dump.substr(0, 4), "MDMP");
    EXPECT_EQ(RecordedExceptionCode(dump), expectedCode);
}

// Also what the crash told the debugger, when `debugText` is given.
void ExpectOneDump(const std::wstring& mode, DWORD expectedCode, const char* debugText = nullptr)
{
    ScratchFolder scratch(L"crash");
    ExpectOneDumpIn(scratch.Path(), RunCrashChild(scratch.Path(), mode), expectedCode);
    if (debugText) {
        EXPECT_NE(ReadWholeFile(scratch.Path() + L"debug-output.txt").find(debugText), std::string::npos) << debugText;
    }
}

TEST(CrashDumpTest, FormatsTheFileNameFromFolderProcessAndLocalTime)
{
    SYSTEMTIME time{};
    time.wYear = 2024;
    time.wMonth = 1;
    time.wDay = 31;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 7;
    time.wMilliseconds = 42;
    wchar_t name[MAX_PATH] = {};
    ASSERT_TRUE(FormatDumpFileName(name, MAX_PATH, L"C:\\\u6E38\u620F\\", L"VexaOnlineInstaller", 4242, time));
    EXPECT_STREQ(name, L"C:\\\u6E38\u620F\\VexaOnlineInstaller_4242_20240131.09.05.07.0042.dmp");

    wchar_t small[20] = {};
    EXPECT_FALSE(FormatDumpFileName(small, 20, L"C:\\", L"VexaOnlineInstaller", 4242, time));
}

TEST(CrashDumpTest, AFaultInAThreadLeavesOneDumpBesideTheExecutable)
{
    ExpectOneDump(L"thread-fault", EXCEPTION_ACCESS_VIOLATION,
                  "Create a dump file sine an exception occurred in sub-thread.\n");
}

TEST(CrashDumpTest, TwoThreadsFaultingTogetherLeaveOneDump)
{
    ExpectOneDump(L"two-threads", EXCEPTION_ACCESS_VIOLATION);
}

// Threads that crash at the same moment race for the one dump and for the process's end, each time
// with another winner: every run must end the same way, the dump's path told before the end.
TEST(CrashDumpTest, ThreadsCrashingAtOnceLeaveOneDumpAndTheCrashCodeEveryTime)
{
    constexpr int kRuns = 16;
    for (const auto& [how, code] : {std::pair<const wchar_t*, DWORD>{L"abort", kCppExceptionDumpCode},
                                    {L"terminate", kCppExceptionDumpCode},
                                    {L"fault", EXCEPTION_ACCESS_VIOLATION}}) {
        for (const wchar_t* threads : {L"2", L"3"}) {
            const std::wstring mode = std::wstring(how) + L"-in-" + threads;
            // The runs go side by side, each program in a folder of its own.
            std::vector<std::unique_ptr<ScratchFolder>> folders;
            std::vector<std::unique_ptr<CrashChild>> children;
            for (int run = 0; run < kRuns; ++run) {
                folders.push_back(std::make_unique<ScratchFolder>(L"crash"));
                CopyCrashChildTo(folders.back()->Path());
                children.push_back(std::make_unique<CrashChild>(folders.back()->Path(), mode));
            }
            for (int run = 0; run < kRuns; ++run) {
                SCOPED_TRACE(WideToUtf8(mode) + " run " + std::to_string(run + 1));
                ExpectOneDumpIn(folders[run]->Path(), children[run]->Wait(), code);
                EXPECT_NE(ReadWholeFile(folders[run]->Path() + L"debug-output.txt")
                              .find("Crash dump written: " + WideToUtf8(folders[run]->Path() + L"VexaOnlineInstaller_")),
                          std::string::npos);
            }
        }
    }
}

// A stack overflow leaves its thread no room for the dump: it still ends the process with the crash
// code and one dump, whose path is told.
TEST(CrashDumpTest, AFaultOrStackOverflowInEitherThreadLeavesOneDump)
{
    for (const auto& [mode, code] : {std::pair<const wchar_t*, DWORD>{L"main-fault", EXCEPTION_ACCESS_VIOLATION},
                                     {L"main-overflow", EXCEPTION_STACK_OVERFLOW},
                                     {L"thread-overflow", EXCEPTION_STACK_OVERFLOW}}) {
        SCOPED_TRACE(WideToUtf8(mode));
        ExpectOneDump(mode, code, "Crash dump written: ");
    }
}

TEST(CrashDumpTest, AnExceptionEscapingAThreadLeavesOneDumpThroughTerminate)
{
    ExpectOneDump(L"thread-throw", kCppExceptionDumpCode);
}

TEST(CrashDumpTest, CallingTerminateLeavesOneDump)
{
    ExpectOneDump(L"terminate", kCppExceptionDumpCode, "Create a dump file since the program was terminated.\n");
}

TEST(CrashDumpTest, AbortLeavesOneDump)
{
    ExpectOneDump(L"abort", kCppExceptionDumpCode, "Create a dump file since the program was aborted.\n");
}

// The C runtime resets its signal handler on each raise: a second abort signal must still find it.
TEST(CrashDumpTest, AnAbortSignalWhileTheDumpIsWrittenLeavesOneDump)
{
    ExpectOneDump(L"raise-while-dumping", kCppExceptionDumpCode);
}

// Linking the guard changes nothing for a program that does not install it.
TEST(CrashDumpTest, AnUnguardedAbortEndsAsTheRuntimeDoesWithoutADump)
{
    constexpr DWORD kRuntimeAbortCode = 3;
    ScratchFolder scratch(L"crash");
    EXPECT_EQ(RunCrashChild(scratch.Path(), L"unguarded-abort").exitCode, kRuntimeAbortCode);
    EXPECT_TRUE(DumpFiles(scratch.Path()).empty());
}

TEST(CrashDumpTest, ADumpWrittenAtACatchIsTheOnlyOne)
{
    ExpectOneDump(L"caught-then-fault", kCppExceptionDumpCode);
}

// The program's folder refuses every new file: the one dump goes to the temporary folder instead.
TEST(CrashDumpTest, AFolderThatRefusesTheDumpSendsItToTheTemporaryFolder)
{
    const std::wstring readOnly = MountedTestFolder("TOLVAN_READ_ONLY_FOLDER", L"read-only.mounted");
    if (readOnly.empty())
        GTEST_SKIP() << "no read-only folder could be mounted";
    for (const auto& [mode, code] : {std::pair<const wchar_t*, DWORD>{L"thread-fault", EXCEPTION_ACCESS_VIOLATION},
                                     {L"terminate", kCppExceptionDumpCode}}) {
        SCOPED_TRACE(WideToUtf8(mode));
        ScratchFolder temporary(L"crash-temp");
        CrashRun run;
        {
            TemporaryFolderOfChildren children(temporary.Path());
            run = RunCrashChildIn(readOnly, mode);
        }
        ExpectOneDumpIn(temporary.Path(), run, code);
        EXPECT_TRUE(DumpFiles(readOnly).empty());
    }
}

} // namespace
