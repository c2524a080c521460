#pragma once

namespace slicedl {

// Outcome of a download or of a setter. The application tests only Success and Stopped; the other
// codes name the first step that failed. 6-10, 21 and 27 are never produced.
enum class Result : int {
  Success = 0,
  NoSliceStarted = 1,
  EmptyUrl = 2,
  BadIndexFile = 3,
  EmptyTargetPath = 4,
  ThreadNumOutOfRange = 5,
  Busy = 11,
  Stopped = 12,
  RenameFailed = 13,
  IndexOpenFailed = 14,
  IndexExpired = 15,
  EasyInitFailed = 16,
  MultiInitFailed = 17,
  RangeSetupFailed = 18,
  MultiAddFailed = 19,
  FileCreateFailed = 20,
  TempOpenFailed = 22,
  IndexUrlMismatch = 23,
  TempSizeMismatch = 24,
  TempFileMissing = 25,
  CacheFlushFailed = 26,
  SizeMismatch = 28,
  HashMismatch = 29,
  HashUnavailable = 30,
  SizeProbeFailed = 31,
  Unverifiable = 32,
  // The run failed in an unforeseen way (an exception inside the engine, e.g. out of memory).
  InternalError = 33,
};

inline int ToInt(Result result) { return static_cast<int>(result); }

}  // namespace slicedl
