#pragma once

#include <string>
#include <string_view>

// The installer's one logger, "VexaInstaller": debugger output plus a rotating file
// "VexaOnlineInstaller.log" in the temporary folder (5 MiB, 3 files kept), info level and up.
// Logging never throws and never ends the installer. Texts are UTF-8; formats use fmt syntax ("{}").

// Builds and registers the logger; an earlier one is replaced. Returns false when the log file
// could not be opened: the logger then writes to the debugger output alone.
bool InitLogger();

// Flushes and drops the logger; later log calls do nothing. Call last at shutdown.
void ShutdownLogger();

// One function per argument shape, so that callers need no formatting library.
// Before InitLogger (or after ShutdownLogger) they do nothing.
void LogInfo(std::string_view format, std::string_view text);
void LogInfo(std::string_view format, std::string_view first, std::string_view second);
void LogError(std::string_view format, std::string_view text);
void LogError(std::string_view format, long long number);
void LogError(std::string_view format, long long number, std::string_view text);
void LogError(std::string_view format, std::string_view first, std::string_view second);
void LogError(std::string_view format, std::string_view first, std::string_view second, std::string_view third);

