#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Event.h"
#include "Result.h"

namespace slicedl {

class EntryHandler;

enum class SlicePolicy : int32_t { Auto = 0, FixedSize = 1, FixedNum = 2 };
enum class HashVerifyPolicy : int32_t { AlwaysVerify = 0, OnlyNoFileSize = 1 };
enum class HashType : int32_t { MD5 = 0, CRC32 = 1, SHA1 = 2, SHA256 = 3 };

using ResultFunctor = std::function<void(Result)>;
using ProgressFunctor = std::function<void(int64_t total, int64_t downloaded)>;
using SpeedFunctor = std::function<void(int64_t bytesPerSecond)>;
using VerboseFunctor = std::function<void(const std::string& utf8Text)>;

// The log sink may be replaced while a run writes to it, so it is guarded.
class VerboseOutput {
 public:
  void set(VerboseFunctor functor);
  bool enabled() const;
  void write(const std::string& text) const;

 private:
  mutable std::mutex m_mutex;
  VerboseFunctor m_functor;
};

struct Options {
  bool skipUrlMismatch = false;
  int32_t threadNum = 1;
  int32_t diskCacheSize = 20 * 1024 * 1024;
  int32_t maxDownloadSpeed = -1;
  int32_t tmpFileExpiredTime = -1;
  int32_t fetchFileSizeRetry = 1;
  int32_t networkConnectionTimeout = 3000;
  SlicePolicy slicePolicy = SlicePolicy::Auto;
  int64_t slicePolicyValue = 0;
  HashVerifyPolicy hashVerifyPolicy = HashVerifyPolicy::AlwaysVerify;
  HashType hashType = HashType::MD5;
  std::string hashValue;
  // A transfer (and the size probe) slower than lowSpeedLimit bytes/s for lowSpeedTime seconds is
  // abandoned; the size probe as a whole is also bounded by lowSpeedTime.
  int32_t lowSpeedLimit = 10;
  int32_t lowSpeedTime = 30;
  // While transferring, the index is saved this often so a killed process loses at most this much.
  int32_t indexSaveIntervalMs = 3000;
  ResultFunctor resultFunctor;
  ProgressFunctor progressFunctor;
  SpeedFunctor speedFunctor;
  VerboseOutput verboseFunctor;
  std::unique_ptr<Event> stopEvent = NewSetEvent();
  Event* userStopEvent = nullptr;
  std::string url;
  std::string targetFilePath;
  std::shared_ptr<EntryHandler> entryHandler;

  // True when the run's stop event or the caller's own stop event is set.
  bool stopRequested() const;
  bool userStopRequested() const { return userStopEvent != nullptr && userStopEvent->isSet(); }
  void log(const std::string& text) const { verboseFunctor.write(text); }

 private:
  static std::unique_ptr<Event> NewSetEvent();
};

}  // namespace slicedl
