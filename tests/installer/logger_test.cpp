#include "Logger.h"
#include "StringConvert.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <spdlog/spdlog.h>
#include <windows.h>

#include <regex>
#include <sstream>
#include <vector>

namespace {

const std::wstring kLogName = L"VexaOnlineInstaller.log";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Each test logs into a folder of its own: the log lives in the temporary folder, taken from TMP.
class LoggerTest : public ::testing::Test {
protected:
    explicit LoggerTest(const std::wstring& label = L"logger") : m_scratch(label)
    {
        SetEnvironmentVariableW(L"TMP", m_scratch.Path().c_str());
    }
    ~LoggerTest() override { ShutdownLogger(); }

    std::wstring LogPath(const std::wstring& name = kLogName) const { return m_scratch.Path() + name; }

    ScratchFolder m_scratch;
};

class ChineseTempFolderLoggerTest : public LoggerTest {
protected:
    ChineseTempFolderLoggerTest() : LoggerTest(L"\u65E5\u5FD7 \u6D4B\u8BD5") {}
};

TEST_F(ChineseTempFolderLoggerTest, WritesInfoAndErrorRecordsInTheInstallersPattern)
{
    ASSERT_TRUE(InitLogger());
    LogInfo("URL: {}, FileName: {}", "http://127.0.0.1/?f=aide", "D:\\\xE6\xB8\xB8\xE6\x88\x8F\\a.exe");
    LogError("Start Setup Failed, GLE: {}", 5);
    LogError("Restful request exception: {}, URL: {}, body: {}", "timeout", "http://h/api", "{}");
    ShutdownLogger();

    const std::vector<std::string> lines = Lines(ReadWholeFile(LogPath()));
    ASSERT_EQ(lines.size(), 3u);
    const std::string pid = std::to_string(GetCurrentProcessId());
    const std::string stamp = R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} [+-]\d{2}:\d{2}\] \[VexaInstaller\] )";
    EXPECT_TRUE(std::regex_search(lines[0], std::regex(stamp + R"(\[I\] \[)" + pid + R"(-\d+\] URL: )")))
        << lines[0];
    EXPECT_NE(lines[0].find("FileName: D:\\\xE6\xB8\xB8\xE6\x88\x8F\\a.exe\r"), std::string::npos) << lines[0];
    EXPECT_TRUE(std::regex_search(lines[1], std::regex(stamp + R"(\[E\] \[)" + pid + R"(-\d+\] Start Setup Failed, GLE: 5\r$)")))
        << lines[1];
    EXPECT_NE(lines[2].find("] Restful request exception: timeout, URL: http://h/api, body: {}\r"), std::string::npos)
        << lines[2];
}

TEST_F(LoggerTest, DropsDebugRecords)
{
    ASSERT_TRUE(InitLogger());
    {
        const auto logger = spdlog::get("VexaInstaller");  // released before shutdown flushes the file
        ASSERT_NE(logger, nullptr);
        logger->debug("hidden {}", 1);
    }
    LogInfo("shown {}", "1");
    ShutdownLogger();
    const std::string log = ReadWholeFile(LogPath());
    EXPECT_EQ(log.find("hidden"), std::string::npos);
    EXPECT_NE(log.find("shown 1"), std::string::npos);
}

TEST_F(LoggerTest, ErrorsReachTheFileAtOnce)
{
    ASSERT_TRUE(InitLogger());
    LogError("Upload behavior failed: {}", "500");
    EXPECT_NE(ReadWholeFile(LogPath()).find("Upload behavior failed: 500"), std::string::npos);
}

TEST_F(LoggerTest, RotatesAtFiveMebibytesAndKeepsThreeOlderFiles)
{
    ASSERT_TRUE(InitLogger());
    const std::string payload(1000, 'x');
    auto logMebibytes = [&](int mebibytes) {
        for (int i = 0; i < mebibytes * 1049; ++i)
            LogInfo("[VexaInstaller] {}", payload);
    };
    logMebibytes(6);
    spdlog::get("VexaInstaller")->flush();
    EXPECT_TRUE(FileExists(LogPath(L"VexaOnlineInstaller.1.log")));
    EXPECT_FALSE(FileExists(LogPath(L"VexaOnlineInstaller.2.log")));

    logMebibytes(16);
    ShutdownLogger();
    for (const wchar_t* name : {L"VexaOnlineInstaller.log", L"VexaOnlineInstaller.1.log",
                                L"VexaOnlineInstaller.2.log", L"VexaOnlineInstaller.3.log"}) {
        ASSERT_TRUE(FileExists(LogPath(name))) << WideToUtf8(name);
        EXPECT_LE(ReadWholeFile(LogPath(name)).size(), 5u * 1024 * 1024) << WideToUtf8(name);
    }
    EXPECT_FALSE(FileExists(LogPath(L"VexaOnlineInstaller.4.log")));
}

TEST_F(LoggerTest, AnUnwritableTemporaryFolderLeavesTheDebuggerOutput)
{
    WriteWholeFile(m_scratch.Path() + L"blocker", "a file where a folder should be");
    SetEnvironmentVariableW(L"TMP", (m_scratch.Path() + L"blocker\\sub").c_str());
    EXPECT_FALSE(InitLogger());
    auto logger = spdlog::get("VexaInstaller");
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(logger->sinks().size(), 1u);
    EXPECT_NO_THROW(LogError("Restful api request failed, URL: {}", "http://h"));
}

TEST_F(LoggerTest, LogCallsWithoutALoggerDoNothing)
{
    ShutdownLogger();
    EXPECT_NO_THROW(LogError("Start Setup Failed, GLE: {}", 2));
    EXPECT_NO_THROW(LogInfo("Upload behavior success: {}", "ok"));
    EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(LoggerTest, AFormatWithMissingArgumentsDoesNotThrow)
{
    ASSERT_TRUE(InitLogger());
    EXPECT_NO_THROW(LogInfo("{} and {}", "one"));
    EXPECT_NO_THROW(LogError("{:d}", "not a number"));
    LogInfo("still {}", "logging");
    ShutdownLogger();
    EXPECT_NE(ReadWholeFile(LogPath()).find("still logging"), std::string::npos);
}

TEST_F(LoggerTest, InitialisingAgainReplacesTheLogger)
{
    ASSERT_TRUE(InitLogger());
    ASSERT_TRUE(InitLogger());
    LogInfo("once {}", "only");
    ShutdownLogger();
    const std::string log = ReadWholeFile(LogPath());
    EXPECT_EQ(log.find("once only"), log.rfind("once only"));
    EXPECT_NE(log.find("once only"), std::string::npos);
}

} // namespace
