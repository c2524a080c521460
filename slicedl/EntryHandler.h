#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>

#include "ReplyCheck.h"
#include "Result.h"

namespace slicedl {

struct Options;
class SliceManager;
class ProgressHandler;
class SpeedHandler;

// One download from start to end on an engine task: index or size probe, slices, the transfer
// loop on one libcurl multi handle, the reporters, and the finish.
class EntryHandler {
 public:
  virtual ~EntryHandler();

  // Clears the stop state before the task exists, so a stop asked right after this is kept.
  std::shared_future<Result> start(Options* options);
  void stop();
  bool isRunning() const;
  void wait() const;

  // What the size probe's reply headers tell beyond the status.
  struct ProbeReply {
    ReplyHeaders headers;
    bool bodyStarted = false;
  };

 private:
  enum class ProbeMethod { Head, FirstByte };
  Result runTask();
  Result run();
  Result transfer();
  bool fetchFileSize(int64_t& size, std::string& version);
  bool probeSize(int64_t& size, std::string& version);
  bool probeOnce(ProbeMethod method, int64_t& size, std::string& version, long& status);
  int32_t startSlices(CURLM* multi, int32_t running, bool firstRound);
  void collectFinishedTransfers(CURLM* multi);
  void detachTransfers(CURLM* multi);
  bool fallBackToOneStream(CURLM* multi);
  void log(const std::string& text) const;

  std::shared_future<Result> m_runFuture;
  Options* m_options = nullptr;
  std::shared_ptr<SliceManager> m_sliceManager;
  std::shared_ptr<ProgressHandler> m_progressHandler;
  std::shared_ptr<SpeedHandler> m_speedHandler;
  CURLM* m_multi = nullptr;  // guarded by m_multiLock: stop() wakes the loop through it
  mutable std::mutex m_multiLock;
  std::atomic<bool> m_stopFlag{false};
  std::mutex m_startGate;
};

}  // namespace slicedl
