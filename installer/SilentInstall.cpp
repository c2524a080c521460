#include "SilentInstall.h"

#include "ChildProcess.h"
#include "CrashDump.h"
#include "CrashGuard.h"
#include "DirectoryTree.h"
#include "FaultInjection.h"
#include "Downloader.h"
#include "Logger.h"
#include "ServerAddresses.h"
#include "SetupCommandLine.h"
#include "StringConvert.h"

#include <windows.h>

#include <chrono>
#include <exception>
#include <future>
#include <string>

namespace {

constexpr const wchar_t* kSetupFileName = L"VexaGameFull.exe";
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

ExitCode HandleDownloadResult(slicedl::Result result, const std::string& setupPathUtf8, const std::wstring& folder)
{
    InjectFault(FaultPlace::ResultHandling);
    if (result != slicedl::Result::Success) {
        LogError("Download failed, result: {}", static_cast<long long>(slicedl::ToInt(result)));
        return ExitCode::DownloadFailed;
    }
    return StartSetup(setupPathUtf8, folder) ? ExitCode::Success : ExitCode::SetupStartFailed;
}

} // namespace

ExitCode RunSilentInstall(const std::wstring& installFolder)
{
    const std::wstring folder = WithTrailingSeparator(installFolder);
    const std::wstring setupPath = folder + kSetupFileName;
    // Refused before the download: it would end in a setup that cannot start.
    if (!SetupPathCanStart(setupPath)) {
        LogError("Install folder too long for the setup: {}", WideToUtf8(setupPath));
        return ExitCode::InstallFolderFailed;
    }
    if (!MakeDirectoryTree(folder)) {
        LogError("Create install folder failed, GLE: {}", static_cast<long long>(GetLastError()));
        return ExitCode::InstallFolderFailed;
    }

    const std::string url = DownloadServerUrl() + "?f=aide";
    const std::string target = WideToUtf8(setupPath);
    LogInfo("Silent install: {} -> {}", url, target);

    // The setup starts from the engine's result task; the main thread learns the outcome here.
    std::promise<ExitCode> outcome;
    slicedl::Downloader downloader;
    downloader.setThreadNum(kThreadNum);
    downloader.setTempFileExpiry(kTempFileExpirySeconds);
    // The engine's own account of a failure (a full disk, a refused reply) goes to the log.
    downloader.setVerboseOutput([](const std::string& text) { LogInfo("[VexaInstaller] {}", text); });
    auto onResult = [&](slicedl::Result result) {
        InjectFault(FaultPlace::ResultDelivery);
        ExitCode code = ExitCode::InternalError;
        try {
            code = HandleDownloadResult(result, downloader.targetFilePath(), folder);
        } catch (const std::exception& e) {
            LogError("Handling the download result failed: {}", e.what());
            CreateDumpFileHere(CrashDumpName(), kCppExceptionDumpCode);
        } catch (...) {
            LogError("Handling the download result failed: {}", "unknown exception");
            CreateDumpFileHere(CrashDumpName(), kCppExceptionDumpCode);
        }
        outcome.set_value(code);
    };
    std::future<ExitCode> handled = outcome.get_future();
    std::shared_future<slicedl::Result> run = downloader.start(url, target, onResult, nullptr, nullptr);
    // The run's future is ready only after the result handler has returned, so this wait cannot
    // outlast the handler; an outcome still missing then is an internal error, never a hang.
    run.wait();
    if (handled.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        // The dump first: reading the run's result rethrows what the callback threw, if anything.
        CreateDumpFileHere(CrashDumpName(), kCppExceptionDumpCode);
        LogError("Download ended without a handled result: {}", static_cast<long long>(slicedl::ToInt(run.get())));
        return ExitCode::InternalError;
    }
    // The downloader is destroyed on return, before the caller tears the engine down.
    return handled.get();
}
