#pragma once

// Guards the whole process: an unhandled structured exception in any thread and std::terminate
// (an uncaught C++ exception included) write the process's one dump under `dumpName` (see
// CrashDump.h) and end the process without the system's error dialog.
// A catch-all at the application's boundary completes this with CreateDumpFileHere.
void InstallCrashDumpHandlers(const wchar_t* dumpName);

// Exception code recorded in dumps of C++ failures: std::terminate, or an exception caught at the
// application's boundary (catch (...) { CreateDumpFileHere(name, kCppExceptionDumpCode); }).
constexpr unsigned long kCppExceptionDumpCode = 0xE0000001ul;
