#include "Logger.h"

#include <windows.h>

#include <spdlog/sinks/msvc_sink.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr const char* kLoggerName = "VexaInstaller";
constexpr const char* kPattern = "[%Y-%m-%d %H:%M:%S.%e %z] [%n] [%L] [%P-%t] %v";
constexpr const wchar_t* kLogFileName = L"VexaOnlineInstaller.log";
constexpr size_t kMaxFileSize = 5 * 1024 * 1024;
constexpr size_t kMaxFiles = 3;

// Wide all the way: a narrow path would go through the ANSI code page and lose non-Latin names.
std::wstring LogFilePath()
{
    const DWORD needed = GetTempPathW(0, nullptr);
    if (needed == 0)
        return {};
    std::wstring folder(needed, L'\0');
    const DWORD length = GetTempPathW(needed, folder.data());
    if (length == 0 || length >= needed)
        return {};
    folder.resize(length);
    if (folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder + kLogFileName;
}

std::shared_ptr<spdlog::sinks::sink> MakeFileSink()
{
    const std::wstring path = LogFilePath();
    if (path.empty())
        return nullptr;
    auto sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(path, kMaxFileSize, kMaxFiles, false);
    sink->set_pattern(kPattern);
    return sink;
}

template <typename... Args>
void Log(spdlog::level::level_enum level, std::string_view format, const Args&... args)
{
    try {
        if (auto logger = spdlog::get(kLoggerName))
            logger->log(level, fmt::runtime(format), args...);
    } catch (...) {
        // A log record is never worth the installer.
    }
}

} // namespace

bool InitLogger()
{
    try {
        spdlog::drop(kLoggerName);
        spdlog::set_level(spdlog::level::trace);
        spdlog::flush_every(std::chrono::seconds(3));
        spdlog::flush_on(spdlog::level::warn);

        auto debugSink = std::make_shared<spdlog::sinks::msvc_sink_mt>();
        debugSink->set_pattern(kPattern);
        std::vector<spdlog::sink_ptr> sinks{debugSink};

        bool fileOpened = false;
        try {
            if (auto fileSink = MakeFileSink()) {
                sinks.push_back(fileSink);
                fileOpened = true;
            }
        } catch (const std::exception&) {
            // Unwritable temporary folder: keep the debugger output.
        }

        auto logger = std::make_shared<spdlog::logger>(kLoggerName, sinks.begin(), sinks.end());
        logger->set_level(spdlog::level::info);
        // Errors reach the file at once: a crash right after one must not lose it.
        logger->flush_on(spdlog::level::warn);
        spdlog::register_logger(logger);
        return fileOpened;
    } catch (...) {
        return false;
    }
}

void ShutdownLogger()
{
    try {
        spdlog::shutdown();
    } catch (...) {
    }
}

void LogInfo(std::string_view format, std::string_view text)
{
    Log(spdlog::level::info, format, text);
}

void LogInfo(std::string_view format, std::string_view first, std::string_view second)
{
    Log(spdlog::level::info, format, first, second);
}

void LogError(std::string_view format, std::string_view text)
{
    Log(spdlog::level::err, format, text);
}

void LogError(std::string_view format, long long number)
{
    Log(spdlog::level::err, format, number);
}

void LogError(std::string_view format, long long number, std::string_view text)
{
    Log(spdlog::level::err, format, number, text);
}

void LogError(std::string_view format, std::string_view first, std::string_view second)
{
    Log(spdlog::level::err, format, first, second);
}

void LogError(std::string_view format, std::string_view first, std::string_view second, std::string_view third)
{
    Log(spdlog::level::err, format, first, second, third);
}
