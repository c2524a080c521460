#include "Downloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "EngineThread.h"
#include "EntryHandler.h"

namespace slicedl {
namespace {
// Once per process, also after GlobalUnInit; a second caller waits until the first has finished.
std::once_flag g_initialised;
constexpr int32_t kMaxThreadNum = 100;
}  // namespace

void GlobalInit() {
  std::call_once(g_initialised, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

void GlobalUnInit() { curl_global_cleanup(); }

Downloader::Downloader() : m_options(std::make_unique<Options>()) {}

Downloader::~Downloader() {
  stop();
  if (IsEngineThreadOf(m_options.get())) {
    // Called from one of this download's own callbacks: its task cannot be waited for from here,
    // so the options and the run live on until it has ended.
    std::thread([options = std::move(m_options), early = std::move(m_earlyResults)]() {
      if (options->entryHandler) options->entryHandler->wait();
      for (const auto& result : early) result.wait();
    }).detach();
    return;
  }
  if (m_options->entryHandler) m_options->entryHandler->wait();
  for (const auto& result : m_earlyResults) result.wait();
  m_options->entryHandler.reset();
}

bool Downloader::isRunning() const {
  return m_options->entryHandler && m_options->entryHandler->isRunning();
}

Result Downloader::setThreadNum(int32_t threadNum) {
  if (isRunning()) return Result::Busy;
  if (threadNum > kMaxThreadNum) return Result::ThreadNumOutOfRange;
  m_options->threadNum = std::max(1, threadNum);
  return Result::Success;
}

Result Downloader::setTempFileExpiry(int32_t seconds) {
  if (isRunning()) return Result::Busy;
  m_options->tmpFileExpiredTime = seconds;
  return Result::Success;
}

void Downloader::setVerboseOutput(VerboseFunctor functor) { m_options->verboseFunctor.set(std::move(functor)); }

Result Downloader::setDiskCacheSize(int32_t bytes) {
  if (isRunning()) return Result::Busy;
  m_options->diskCacheSize = std::max(0, bytes);
  return Result::Success;
}

Result Downloader::setMaxDownloadSpeed(int32_t bytesPerSecond) {
  if (isRunning()) return Result::Busy;
  m_options->maxDownloadSpeed = bytesPerSecond > 0 ? bytesPerSecond : -1;
  return Result::Success;
}

Result Downloader::setSlicePolicy(SlicePolicy policy, int64_t value) {
  if (isRunning()) return Result::Busy;
  m_options->slicePolicy = policy;
  m_options->slicePolicyValue = value;
  return Result::Success;
}

Result Downloader::setHash(HashType type, const std::string& hexValue, HashVerifyPolicy policy) {
  if (isRunning()) return Result::Busy;
  m_options->hashType = type;
  m_options->hashValue = hexValue;
  m_options->hashVerifyPolicy = policy;
  return Result::Success;
}

Result Downloader::setUserStopEvent(Event* event) {
  if (isRunning()) return Result::Busy;
  m_options->userStopEvent = event;
  return Result::Success;
}

Result Downloader::setLowSpeedLimit(int32_t bytesPerSecond, int32_t seconds) {
  if (isRunning()) return Result::Busy;
  m_options->lowSpeedLimit = std::max(1, bytesPerSecond);
  m_options->lowSpeedTime = std::max(1, seconds);
  return Result::Success;
}

std::shared_future<Result> Downloader::deliverEarly(Result result, ResultFunctor resultFunctor) {
  m_earlyResults.erase(std::remove_if(m_earlyResults.begin(), m_earlyResults.end(),
                                      [](const std::shared_future<Result>& early) {
                                        return early.wait_for(std::chrono::seconds(0)) ==
                                               std::future_status::ready;
                                      }),
                       m_earlyResults.end());
  const Options* owner = m_options.get();
  // The task may call back (and so destroy this downloader) only after its future is kept.
  auto gate = std::make_shared<std::mutex>();
  std::unique_lock<std::mutex> kept(*gate);
  auto future = std::async(std::launch::async, [result, owner, gate, functor = std::move(resultFunctor)] {
                  { std::lock_guard<std::mutex> started(*gate); }
                  EngineThreadScope engineThread(owner);
                  if (functor) functor(result);
                  return result;
                }).share();
  m_earlyResults.push_back(future);
  kept.unlock();
  return future;
}

std::shared_future<Result> Downloader::start(const std::string& url, const std::string& targetFilePath,
                                             ResultFunctor resultFunctor, ProgressFunctor progressFunctor,
                                             SpeedFunctor speedFunctor) {
  if (isRunning()) return deliverEarly(Result::Busy, std::move(resultFunctor));
  if (url.empty()) return deliverEarly(Result::EmptyUrl, std::move(resultFunctor));
  if (targetFilePath.empty()) return deliverEarly(Result::EmptyTargetPath, std::move(resultFunctor));
  m_options->url = url;
  m_options->targetFilePath = targetFilePath;
  m_options->resultFunctor = std::move(resultFunctor);
  m_options->progressFunctor = std::move(progressFunctor);
  m_options->speedFunctor = std::move(speedFunctor);
  m_options->entryHandler.reset();
  m_options->entryHandler = std::make_shared<EntryHandler>();
  return m_options->entryHandler->start(m_options.get());
}

void Downloader::stop() {
  if (m_options && m_options->entryHandler) m_options->entryHandler->stop();
}

}  // namespace slicedl
