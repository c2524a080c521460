#pragma once

#include <windows.h>

#include <cstddef>

// One minidump per process, beside the executable: "<folder><dumpName>_<pid>_<local time>.dmp".

// Returns 0 when this process already wrote (or is writing) its dump: that caller waits until the
// dump is complete, so that the process cannot end in the middle of it. Otherwise writes the dump
// and returns 1, also when the file could not be created. Safe to call from any thread.
LONG CreateDumpFile(EXCEPTION_POINTERS* pointers, const wchar_t* dumpName);

// For places without exception pointers (a terminate handler, a catch-all): the same one dump, of the
// calling thread as it stands, recorded under `exceptionCode`.
LONG CreateDumpFileHere(const wchar_t* dumpName, DWORD exceptionCode);

// Writes a dump of this process into an open file; without pointers it holds no exception record.
void WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* pointers);

// "<folder><dumpName>_<pid>_<yyyymmdd.hh.mm.ss.mmmm>.dmp" into `out`; false when it does not fit.
bool FormatDumpFileName(wchar_t* out, size_t capacity, const wchar_t* folder, const wchar_t* dumpName,
                        DWORD processId, const SYSTEMTIME& localTime);
