// AppSettings reads the channel from the running program's own file name: a probe program is copied
// under different names (and folders) and asked what it read.
#include "ChildProcess.h"
#include "StringConvert.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <mutex>
#include <string>

namespace {

struct ProbeAnswer {
    std::string channel;
    int subChannel = -1;
};

ProbeAnswer RunProbeNamed(const ScratchFolder& scratch, const std::wstring& relativePath)
{
    const std::filesystem::path target = std::filesystem::path(scratch.Path()) / relativePath;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(TestExecutableFolder() + L"settings_probe.exe", target,
                               std::filesystem::copy_options::overwrite_existing);

    std::string output;
    std::mutex outputLock;
    ChildProcess probe(L"\"" + target.wstring() + L"\"", scratch.Path(), [&](const char* bytes, size_t count) {
        std::lock_guard<std::mutex> guard(outputLock);
        output.append(bytes, count);
    });
    EXPECT_TRUE(probe.HasValidId()) << probe.LaunchError();
    probe.ClosePipes();

    ProbeAnswer answer;
    const size_t lineEnd = output.find('\n');
    if (lineEnd == std::string::npos)
        return answer;
    answer.channel = output.substr(0, lineEnd);
    if (!answer.channel.empty() && answer.channel.back() == '\r')
        answer.channel.pop_back();
    answer.subChannel = std::stoi(output.substr(lineEnd + 1));
    return answer;
}

void ExpectProbe(const std::wstring& relativePath, const std::string& channel, int subChannel)
{
    ScratchFolder scratch(L"settings");
    const ProbeAnswer answer = RunProbeNamed(scratch, relativePath);
    EXPECT_EQ(answer.channel, channel) << WideToUtf8(relativePath);
    EXPECT_EQ(answer.subChannel, subChannel) << WideToUtf8(relativePath);
}

TEST(AppSettingsNameTest, PlainNamesServeTheFrontChannel)
{
    ExpectProbe(L"Setup.exe", "front", 0);
    ExpectProbe(L"Setup_abc.exe", "front", 0);
    ExpectProbe(L"Setup__x.exe", "front", 0);
}

TEST(AppSettingsNameTest, ChannelAndSubChannelComeFromTheFileNameOnly)
{
    ExpectProbe(L"Setup_abc-7_x.exe", "abc", 7);
    ExpectProbe(L"Setup_abc_.exe", "abc", 0);
    ExpectProbe(L"Setup_-5_x.exe", "", 5);
    ExpectProbe(L"Setup_front-x_1.exe", "front", 0);
    ExpectProbe(L"Setup_a.b_x.exe", "a.b", 0);
    ExpectProbe(L"one_two_three\\Setup.exe", "front", 0);
    ExpectProbe(L"VexaOnlineInstaller_\u6e38\u620f-2_1.0.exe", "\xE6\xB8\xB8\xE6\x88\x8F", 2);
}

} // namespace
