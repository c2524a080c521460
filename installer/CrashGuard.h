#pragma once

// Guards the whole process: an unhandled structured exception in any thread, std::terminate (an
// uncaught C++ exception included) and abort write the process's one dump under `dumpName` (see
// CrashDump.h) and end the process with `crashExitCode`, without the system's error dialog.
// A stack overflow included: every thread keeps room for the handler and the dump is written on a
// fresh stack. A main thread that ends without ending the process ends it the same way.
// Called from the main thread; a catch-all at the application's boundary completes this with
// CreateDumpFileHere.
void InstallCrashDumpHandlers(const wchar_t* dumpName, unsigned crashExitCode);

// The dump name given to InstallCrashDumpHandlers.
const wchar_t* CrashDumpName();

// Exception code recorded in dumps of C++ failures: std::terminate, abort, or an exception caught at
// the application's boundary (catch (...) { CreateDumpFileHere(CrashDumpName(), kCppExceptionDumpCode); }).
constexpr unsigned long kCppExceptionDumpCode = 0xE0000001ul;

// Exception code recorded in the dump of a main thread that ended while the process lived on.
constexpr unsigned long kMainThreadLostDumpCode = 0xE0000002ul;
