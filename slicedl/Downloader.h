#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "Options.h"
#include "Result.h"

namespace slicedl {

// Process-wide libcurl set-up; the first call initialises, later ones do nothing.
void GlobalInit();
void GlobalUnInit();

// Downloads one URL into one file in parallel byte ranges, resumable through an index file beside
// the target. Callbacks run on engine threads, never on the caller's.
class Downloader {
 public:
  Downloader();
  // Stops a running download and waits for it; called from inside one of its own callbacks it
  // stops the run and lets it end in the background instead.
  ~Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  Result setThreadNum(int32_t threadNum);
  Result setTempFileExpiry(int32_t seconds);
  void setVerboseOutput(VerboseFunctor functor);

  Result setDiskCacheSize(int32_t bytes);
  Result setMaxDownloadSpeed(int32_t bytesPerSecond);
  Result setSlicePolicy(SlicePolicy policy, int64_t value);
  Result setHash(HashType type, const std::string& hexValue,
                 HashVerifyPolicy policy = HashVerifyPolicy::AlwaysVerify);
  Result setUserStopEvent(Event* event);
  Result setLowSpeedLimit(int32_t bytesPerSecond, int32_t seconds);

  std::shared_future<Result> start(const std::string& url, const std::string& targetFilePath,
                                   ResultFunctor resultFunctor, ProgressFunctor progressFunctor,
                                   SpeedFunctor speedFunctor);
  void stop();
  std::string targetFilePath() const { return m_options->targetFilePath; }

 private:
  bool isRunning() const;
  std::shared_future<Result> deliverEarly(Result result, ResultFunctor resultFunctor);

  std::unique_ptr<Options> m_options;
  // Early results run on tasks of their own; keeping their futures means a caller that drops the
  // returned one never blocks on it.
  std::vector<std::shared_future<Result>> m_earlyResults;
};

}  // namespace slicedl
