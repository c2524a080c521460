#pragma once

#include <windows.h>

#include <cstddef>

// One minidump per process, beside the executable: "<folder><dumpName>_<pid>_<local time>.dmp".
// Where the executable's folder refuses it, the dump goes to the temporary folder (beside the log).

// Returns 0 when this process already wrote (or is writing) its dump: that caller waits until the
// dump is complete and its path told, so that the process cannot end in the middle of either. Otherwise writes the dump
// and returns 1, also when the file could not be created. Safe to call from any thread.
LONG CreateDumpFile(EXCEPTION_POINTERS* pointers, const wchar_t* dumpName);

// The same, recording the thread `threadId` as the one that failed.
LONG CreateDumpFileOf(DWORD threadId, EXCEPTION_POINTERS* pointers, const wchar_t* dumpName);

// For a thread whose own stack is spent (a stack overflow): a fresh thread writes the dump of this one
// while it waits, `timeoutMs` at most.
LONG CreateDumpFileOnAnotherThread(EXCEPTION_POINTERS* pointers, const wchar_t* dumpName, DWORD timeoutMs);

// For places without exception pointers (a terminate handler, a catch-all): the same one dump, of the
// calling thread as it stands, recorded under `exceptionCode`.
LONG CreateDumpFileHere(const wchar_t* dumpName, DWORD exceptionCode);

// Writes a dump of this process into an open file; without pointers it holds no exception record.
// False when the dump could not be written whole.
bool WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* pointers);

// Told once the process's dump is written, with its path, or with nullptr when no folder took it.
// Runs after the dump file is closed, on a thread of its own that every crashing thread waits for a few
// seconds at most.
using DumpWrittenCallback = void (*)(const wchar_t* path);
void SetDumpWrittenCallback(DumpWrittenCallback callback);

// "<folder><dumpName>_<pid>_<yyyymmdd.hh.mm.ss.mmmm>.dmp" into `out`; false when it does not fit.
bool FormatDumpFileName(wchar_t* out, size_t capacity, const wchar_t* folder, const wchar_t* dumpName,
                        DWORD processId, const SYSTEMTIME& localTime);
