#include "ChildProcess.h"
#include "Logger.h"
#include "StringConvert.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <string>

namespace {

std::wstring TestChild(const std::wstring& arguments)
{
    return L"\"" + TestExecutableFolder() + L"installer_test_child.exe\" " + arguments;
}

// Gathers what a reader thread delivers.
class Collected {
public:
    ChildProcess::OutputCallback Callback()
    {
        return [this](const char* bytes, size_t count) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_text.append(bytes, count);
            ++m_chunks;
        };
    }
    std::string Text()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }
    int Chunks()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_chunks;
    }

private:
    std::mutex m_mutex;
    std::string m_text;
    int m_chunks = 0;
};

std::string NumberedLines(const char* prefix, int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += std::string(prefix) + " " + std::to_string(i) + "\r\n";  // text mode of the child
    return lines;
}

TEST(ChildProcessTest, DeliversOutputAndErrorLinesThroughTheirCallbacks)
{
    Collected out, err;
    ChildProcessConfig config;
    config.bufferSize = 64;  // many small chunks: lines cross chunk borders
    ChildProcess child(TestChild(L"lines 3000"), L"", out.Callback(), err.Callback(), false, config);
    ASSERT_TRUE(child.HasValidId());
    child.ClosePipes();
    EXPECT_EQ(out.Text(), NumberedLines("out", 3000));
    EXPECT_EQ(err.Text(), NumberedLines("err", 3000));
    EXPECT_GT(out.Chunks(), 1);
}

TEST(ChildProcessTest, PipesOnlyTheStreamsThatHaveACallback)
{
    Collected out;
    ChildProcess child(TestChild(L"lines 5"), L"", out.Callback(), nullptr);
    ASSERT_TRUE(child.HasValidId());
    child.ClosePipes();
    EXPECT_EQ(out.Text(), NumberedLines("out", 5));
}

TEST(ChildProcessTest, FeedsStandardInputAndClosingItEndsTheChild)
{
    Collected out;
    ChildProcess child(TestChild(L"echo"), L"", out.Callback(), nullptr, true);
    ASSERT_TRUE(child.HasValidId());
    std::string sent;
    for (int i = 0; i < 2000; ++i)
        sent += "line " + std::to_string(i) + "\n";
    ASSERT_TRUE(child.WriteStdin(sent.data(), sent.size()));
    child.ClosePipes();  // returns only because the child saw the end of its input
    std::string expected;
    for (char c : sent)
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(out.Text(), expected);
    EXPECT_FALSE(child.WriteStdin("x", 1));
}

TEST(ChildProcessTest, WithoutStdinWritingFails)
{
    ChildProcess child(TestChild(L"lines 0"), L"");
    ASSERT_TRUE(child.HasValidId());
    EXPECT_FALSE(child.WriteStdin("x", 1));
}

TEST(ChildProcessTest, RunsInTheGivenWorkingFolder)
{
    ScratchFolder scratch(L"child \u6E38\u620F");  // a blank and Chinese characters
    const std::wstring record = scratch.Path() + L"record.txt";
    {
        ChildProcess child(TestChild(L"record \"" + record + L"\""), scratch.Path());
        ASSERT_TRUE(child.HasValidId());
    }
    ASSERT_TRUE(WaitForFile(record));
    std::wstring folder = scratch.Path();
    folder.pop_back();
    EXPECT_NE(ReadWholeFile(record).find("\n" + WideToUtf8(folder) + "\n"), std::string::npos);
}

TEST(ChildProcessTest, TheChildOutlivesTheObject)
{
    const std::wstring eventName = L"installer-child-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(release, nullptr);
    DWORD processId = 0;
    {
        ChildProcess child(TestChild(L"wait-event " + eventName), L"");
        ASSERT_TRUE(child.HasValidId());
        processId = child.ProcessId();
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(release);
    ASSERT_EQ(WaitForSingleObject(process, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 7u);
    CloseHandle(process);
    CloseHandle(release);
}

TEST(ChildProcessTest, AMissingProgramGivesNoValidIdAndItsErrorIsLogged)
{
    ScratchFolder scratch(L"child");
    SetEnvironmentVariableW(L"TMP", scratch.Path().c_str());
    ASSERT_TRUE(InitLogger());

    Collected out;
    ChildProcess child(L"\"" + scratch.Path() + L"no such setup.exe\" /installdir \"D:\\\"", L"", out.Callback());
    const DWORD error = GetLastError();
    EXPECT_FALSE(child.HasValidId());
    EXPECT_EQ(child.ProcessId(), 0u);
    EXPECT_EQ(child.LaunchError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(error, child.LaunchError());
    EXPECT_FALSE(child.WriteStdin("x", 1));
    child.ClosePipes();
    LogError("Start Setup Failed, GLE: {}", child.LaunchError());

    ShutdownLogger();
    const std::string log = ReadWholeFile(scratch.Path() + L"VexaOnlineInstaller.log");
    EXPECT_NE(log.find("[E] "), std::string::npos) << log;
    EXPECT_NE(log.find("Start Setup Failed, GLE: 2\r\n"), std::string::npos) << log;
}

} // namespace
