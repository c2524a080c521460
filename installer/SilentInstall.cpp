#include "SilentInstall.h"

#include "ChildProcess.h"
#include "DirectoryTree.h"
#include "Downloader.h"
#include "Logger.h"
#include "ServerAddresses.h"
#include "SetupCommandLine.h"
#include "StringConvert.h"

#include <windows.h>

#include <future>
#include <string>

namespace {

constexpr const char* kSetupFileName = "VexaGameFull.exe";
constexpr int32_t kThreadNum = 3;
constexpr int32_t kTempFileExpirySeconds = 3600;

// Starts the downloaded setup as a plain child process (no elevation) and does not wait for it.
bool StartSetup(const std::string& setupPathUtf8, const std::wstring& installFolder)
{
    const std::wstring commandLine = BuildSetupCommandLine(Utf8ToWide(setupPathUtf8), installFolder);
    ChildProcessConfig config;
    config.bufferSize = 131072;
    config.inheritHandles = false;
    ChildProcess setup(commandLine, L"", nullptr, nullptr, false, config);
    if (!setup.HasValidId()) {
        LogError("Start Setup Failed, GLE: {}", static_cast<long long>(setup.LaunchError()));
        return false;
    }
    LogInfo("Setup started: {}", WideToUtf8(commandLine));
    return true;
}

} // namespace

ExitCode RunSilentInstall(const std::wstring& installFolder)
{
    const std::wstring folder = WithTrailingSeparator(installFolder);
    if (!MakeDirectoryTree(folder)) {
        LogError("Create install folder failed, GLE: {}", static_cast<long long>(GetLastError()));
        return ExitCode::InstallFolderFailed;
    }

    const std::string url = DownloadServerUrl() + "?f=aide";
    const std::string target = WideToUtf8(folder) + kSetupFileName;
    LogInfo("Silent install: {} -> {}", url, target);

    // The setup starts from the engine's result task; the main thread learns the outcome here.
    std::promise<ExitCode> outcome;
    {
        slicedl::Downloader downloader;
        downloader.setThreadNum(kThreadNum);
        downloader.setTempFileExpiry(kTempFileExpirySeconds);
        auto onResult = [&](slicedl::Result result) {
            if (result != slicedl::Result::Success) {
                LogError("Download failed, result: {}", static_cast<long long>(slicedl::ToInt(result)));
                outcome.set_value(ExitCode::DownloadFailed);
                return;
            }
            outcome.set_value(StartSetup(downloader.targetFilePath(), folder) ? ExitCode::Success
                                                                            : ExitCode::SetupStartFailed);
        };
        downloader.start(url, target, onResult, nullptr, nullptr);
        const ExitCode code = outcome.get_future().get();
        // The downloader is destroyed here, before the caller tears the engine down.
        return code;
    }
}
