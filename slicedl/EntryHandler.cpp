#include "EntryHandler.h"

#include <algorithm>
#include <chrono>

#include "CurlSetup.h"
#include "EngineThread.h"
#include "FileVersion.h"
#include "Options.h"
#include "ProgressHandler.h"
#include "ReplyCheck.h"
#include "Slice.h"
#include "SliceManager.h"
#include "SpeedHandler.h"

namespace slicedl {
namespace {

constexpr long kDefaultWaitMs = 100;
// Writes of half a mebibyte already cost next to nothing per byte; a bigger share per slice only
// adds memory and cache misses (measured with 8 slices: 32 MB peak and 2 s CPU per GiB at
// 2.5 MiB each, 18 MB and 0.75 s at 512 KiB).
constexpr int64_t kMaxSliceCacheSize = 512 * 1024;
constexpr long kLongestWaitMs = 1000;

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

size_t ReadProbeHeader(char* data, size_t size, size_t count, void* reply) {
  auto* probe = static_cast<EntryHandler::ProbeReply*>(reply);
  ReadReplyHeaderLine(std::string(data, size * count), probe->headers);
  return size * count;
}

// The headers are all in once the body begins: the first-byte probe needs nothing more.
size_t EndAtTheBody(char*, size_t, size_t, void* reply) {
  static_cast<EntryHandler::ProbeReply*>(reply)->bodyStarted = true;
  return 0;
}

int AbortWhenStopped(void* options, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const Options*>(options)->stopRequested() ? 1 : 0;
}

// Share of the cache and of the speed limit for one of `running` transfers.
int64_t CacheShare(const Options& options, int64_t running) {
  const int64_t share = running >= 1 ? options.diskCacheSize / running : options.diskCacheSize;
  return std::min(share, kMaxSliceCacheSize);
}

// Never 0: a share that rounds down to nothing would be no limit at all.
int32_t SpeedShare(const Options& options, int64_t running) {
  if (options.maxDownloadSpeed <= 0) return -1;
  if (running < 1) return options.maxDownloadSpeed;
  return static_cast<int32_t>(std::max<int64_t>(1, options.maxDownloadSpeed / running));
}

// A limit of fewer bytes per second than `threadNum` runs fewer transfers, each with a share of it.
int32_t TransfersAtOnce(const Options& options) {
  const int32_t threadNum = std::max(1, options.threadNum);
  return options.maxDownloadSpeed > 0 ? std::min(threadNum, options.maxDownloadSpeed) : threadNum;
}

}  // namespace

EntryHandler::~EntryHandler() {
  m_speedHandler.reset();
  m_progressHandler.reset();
  m_sliceManager.reset();
  if (m_runFuture.valid()) m_runFuture.wait();
}

std::shared_future<Result> EntryHandler::start(Options* options) {
  m_options = options;
  m_stopFlag = false;
  m_options->stopEvent->unset();
  // The task may end (and its callback destroy the downloader) only after the future is stored.
  std::lock_guard<std::mutex> gate(m_startGate);
  m_runFuture = std::async(std::launch::async, [this] {
                  { std::lock_guard<std::mutex> started(m_startGate); }
                  return runTask();
                }).share();
  return m_runFuture;
}

void EntryHandler::stop() {
  m_stopFlag = true;
  if (m_options != nullptr) m_options->stopEvent->set();
  std::lock_guard<std::mutex> lock(m_multiLock);
  if (m_multi != nullptr) curl_multi_wakeup(m_multi);
}

bool EntryHandler::isRunning() const {
  return m_runFuture.valid() &&
         m_runFuture.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void EntryHandler::wait() const {
  if (m_runFuture.valid()) m_runFuture.wait();
}

void EntryHandler::log(const std::string& text) const { m_options->log(text); }

Result EntryHandler::runTask() {
  EngineThreadScope engineThread(m_options);
  Result result;
  try {
    result = run();
  } catch (const std::exception& e) {
    log(std::string("download failed by exception: ") + e.what());
    result = Result::InternalError;
  } catch (...) {
    log("download failed by unknown exception");
    result = Result::InternalError;
  }
  m_options->stopEvent->set();
  try {
    m_speedHandler.reset();
    m_progressHandler.reset();
    m_sliceManager.reset();
    if (m_options->resultFunctor) m_options->resultFunctor(result);
  } catch (...) {
    log("result callback failed by exception");
  }
  return result;
}

Result EntryHandler::run() {
  m_sliceManager = std::make_shared<SliceManager>(m_options);
  log("url: " + m_options->url);
  log("thread num: " + std::to_string(m_options->threadNum));
  log("disk cache size: " + std::to_string(m_options->diskCacheSize));
  log("target file path: " + m_options->targetFilePath);

  const Result loaded = m_sliceManager->loadIndex();
  if (loaded != Result::Success) {
    log("load index result: " + std::to_string(ToInt(loaded)));
    m_sliceManager->discardLoadedState();
  }
  // The size is probed even when an index was loaded: a file that changed on the server must not
  // be spliced onto the old one.
  int64_t size = 0;
  std::string version;
  if (!probeSize(size, version)) {
    if (m_options->stopRequested() || m_stopFlag) return Result::Stopped;
    log("fetch file size failed");
    m_sliceManager.reset();
    return Result::SizeProbeFailed;
  }
  // Servers that cannot tell the length name 0 as well: only the body itself shows an empty file.
  if (size == 0) {
    log("file size is 0, the download confirms it");
    size = -1;
  }
  bool resumed = loaded == Result::Success;
  if (resumed && size != m_sliceManager->fileSize()) {
    log("file size changed from " + std::to_string(m_sliceManager->fileSize()) + ", starting afresh");
    m_sliceManager->discardLoadedState();
    resumed = false;
  }
  // Same size is no proof of the same file: a new release may be just as long.
  if (resumed && FileVersionsDiffer(m_sliceManager->fileVersion(), version)) {
    log("file changed on the server (" + m_sliceManager->fileVersion() + " -> " + version + "), starting afresh");
    m_sliceManager->discardLoadedState();
    resumed = false;
  }
  if (!resumed) {
    m_sliceManager->setFileVersion(version);
    // An older index left in place would claim the fresh file's bytes for a later run.
    if (!m_sliceManager->setFileSize(size)) {
      m_sliceManager.reset();
      return Result::FileCreateFailed;
    }
  }
  const Result made = m_sliceManager->makeSlices();
  if (made != Result::Success) {
    m_sliceManager.reset();
    return made;
  }
  const Result completed = m_sliceManager->checkCompleted();
  // Saved bytes that are all there but fail the hash are no base to resume from.
  if (completed == Result::HashMismatch && m_sliceManager->allSlicesComplete()) {
    m_sliceManager->forgetRefusedBytes();
  }
  if (completed == Result::Success) {
    log("all of slices download completed");
    const Result finished = m_sliceManager->finish(false);
    m_sliceManager.reset();
    return finished;
  }
  log("one or more slice is not completed: " + std::to_string(ToInt(completed)));
  if (completed == Result::Stopped) return Result::Stopped;

  const Result result = transfer();
  m_sliceManager.reset();
  if (result == Result::Success) return Result::Success;
  return m_stopFlag || m_options->userStopRequested() ? Result::Stopped : result;
}

bool EntryHandler::probeSize(int64_t& size, std::string& version) {
  const int32_t attempts = std::max(1, m_options->fetchFileSizeRetry + 1);
  for (int32_t i = 0; i < attempts; ++i) {
    if (m_options->stopRequested()) return false;
    if (fetchFileSize(size, version)) return true;
  }
  return false;
}

bool EntryHandler::fetchFileSize(int64_t& size, std::string& version) {
  long status = 0;
  if (probeOnce(ProbeMethod::Head, size, version, status)) return true;
  // Some servers refuse HEAD outright; the first byte of the file tells the same.
  if (status != 405 && status != 501) return false;
  log("size probe: HEAD refused, asking for the first byte");
  return probeOnce(ProbeMethod::FirstByte, size, version, status);
}

bool EntryHandler::probeOnce(ProbeMethod method, int64_t& size, std::string& version, long& status) {
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return false;
  const bool firstByte = method == ProbeMethod::FirstByte;
  ProbeReply reply;
  bool ok = ApplyCommonOptions(easy, *m_options);
  if (firstByte) {
    ok = ok && curl_easy_setopt(easy, CURLOPT_RANGE, "0-0") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &EndAtTheBody) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply) == CURLE_OK;
  } else {
    ok = ok && curl_easy_setopt(easy, CURLOPT_HEADER, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DiscardBody) == CURLE_OK;
  }
  ok = ok && curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                              static_cast<long>(m_options->networkConnectionTimeout)) == CURLE_OK;
  // Bounded as a whole too, and a stop request ends it at once.
  ok = ok && curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                              static_cast<long>(m_options->lowSpeedTime) * 1000L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &AbortWhenStopped) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_XFERINFODATA, m_options) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &ReadProbeHeader) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_HEADERDATA, &reply) == CURLE_OK;
  bool probed = false;
  if (ok) {
    const CURLcode code = curl_easy_perform(easy);
    status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    log("size probe: curl code " + std::to_string(code) + ", http status " + std::to_string(status));
    // The first-byte probe ends itself once the body begins.
    const bool answered = code == CURLE_OK || (firstByte && code == CURLE_WRITE_ERROR && reply.bodyStarted);
    if (answered && (status == 200 || (!firstByte && status == 350))) {
      curl_off_t length = 0;
      size = curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK ? length : -1;
      log("CURLINFO_CONTENT_LENGTH_DOWNLOAD_T: " + std::to_string(size));
      probed = true;
    } else if (answered && firstByte && status == 206) {
      ContentRange range;
      probed = ParseContentRange(reply.headers.contentRange, range) && range.first == 0;
      size = range.total;
      log("size probe: content-range '" + reply.headers.contentRange + "'");
    }
    // The length of an encoded body is not the file's.
    if (probed && !IsIdentityEncoding(reply.headers.contentEncoding)) {
      log("size probe: content-encoding '" + reply.headers.contentEncoding + "', the size is unknown");
      size = -1;
    }
    if (probed) {
      version = reply.headers.version.text();
      if (!version.empty()) log("file version: " + version);
    }
  }
  curl_easy_cleanup(easy);
  return probed;
}

Result EntryHandler::transfer() {
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) {
    log("curl_multi_init failed");
    return Result::MultiInitFailed;
  }
  {
    std::lock_guard<std::mutex> lock(m_multiLock);
    m_multi = multi;
  }
  // Every exit detaches the transfers before the multi handle goes.
  struct MultiSession {
    EntryHandler& handler;
    CURLM* multi;
    ~MultiSession() {
      handler.detachTransfers(multi);
      std::lock_guard<std::mutex> lock(handler.m_multiLock);
      curl_multi_cleanup(multi);
      handler.m_multi = nullptr;
    }
  } session{*this, multi};

  if (startSlices(multi, 0, true) == 0) {
    log("no available slice");
    return Result::NoSliceStarted;
  }
  if (m_options->progressFunctor) {
    m_progressHandler = std::make_shared<ProgressHandler>(m_options, m_sliceManager);
  }
  if (m_options->speedFunctor) {
    m_speedHandler =
        std::make_shared<SpeedHandler>(m_sliceManager->totalDownloaded(), m_options, m_sliceManager);
  }
  int running = 0;
  curl_multi_perform(multi, &running);
  log("start downloading...");
  bool fellBack = false;
  const auto saveInterval = std::chrono::milliseconds(m_options->indexSaveIntervalMs);
  auto lastSave = std::chrono::steady_clock::now();
  for (;;) {
    if (m_options->stopRequested()) break;
    long waitMs = -1;
    curl_multi_timeout(multi, &waitMs);
    if (waitMs < 0) waitMs = kDefaultWaitMs;
    waitMs = std::min(waitMs, kLongestWaitMs);
    const CURLMcode polled = curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr);
    if (polled != CURLM_OK) {
      log("curl_multi_poll failed, code: " + std::to_string(polled));
      break;
    }
    const CURLMcode performed = curl_multi_perform(multi, &running);
    if (performed != CURLM_OK) {
      log("curl_multi_perform failed, code: " + std::to_string(performed));
      break;
    }
    collectFinishedTransfers(multi);
    if (!fellBack && (m_sliceManager->rangeIgnored() || m_sliceManager->versionChanged())) {
      fellBack = true;
      running = 0;
      if (!fallBackToOneStream(multi)) break;
    }
    const int32_t added = startSlices(multi, running, false);
    if (running + added == 0) break;
    if (std::chrono::steady_clock::now() - lastSave >= saveInterval) {
      if (!m_sliceManager->saveProgress()) log("saving the progress failed");
      lastSave = std::chrono::steady_clock::now();
    }
  }
  log("download over");
  // Detached first: a transfer cut off here must not be counted as whole by the finish.
  detachTransfers(multi);
  return m_sliceManager->finish(true);
}

void EntryHandler::detachTransfers(CURLM* multi) {
  if (!m_sliceManager) return;
  for (const auto& slice : m_sliceManager->slices()) slice->remove(multi);
}

// Starts idle slices until `threadNum` transfers run; each gets its share of cache and speed.
// The first round shares by the number about to start, later ones by the number then running.
int32_t EntryHandler::startSlices(CURLM* multi, int32_t running, bool firstRound) {
  const int32_t threadNum = TransfersAtOnce(*m_options);
  const int32_t firstShare = std::min(threadNum, m_sliceManager->idleSliceCount());
  int32_t started = 0;
  while (running + started < threadNum) {
    std::shared_ptr<Slice> slice = m_sliceManager->takeNextSlice(!firstRound, firstRound ? nullptr : multi);
    if (!slice) break;
    const int64_t share = firstRound ? firstShare : running + started + 1;
    const Result result = slice->start(multi, CacheShare(*m_options, share), SpeedShare(*m_options, share));
    if (result == Result::Success) {
      ++started;
    } else {
      log("slice start failed: " + std::to_string(ToInt(result)));
    }
  }
  return started;
}

// A server that answers ranges with the whole file, or with another version of it, still delivers:
// every transfer is detached and the file is fetched again as one stream from offset 0, in order.
// False when the stream must not start: the old index would still claim the bytes it overwrites.
bool EntryHandler::fallBackToOneStream(CURLM* multi) {
  if (m_sliceManager->versionChanged()) {
    // A new release, or servers of one farm that name the same file differently: either way
    // one stream from one server gives one whole version.
    log("file version changed during the download, downloading the whole file again as one stream");
    m_sliceManager->setFileVersion(std::string());
  } else {
    log("server ignores byte ranges, downloading the whole file as one stream");
  }
  detachTransfers(multi);
  m_sliceManager->useSingleStream();
  // A kill once the stream has written must not leave the old slices' claims behind.
  if (m_sliceManager->replaceIndex()) return true;
  log("the saved index could not be replaced, so the one stream does not start");
  return false;
}

// Reads how each ended transfer went, logs it and frees the slice's transfer and cache at once.
void EntryHandler::collectFinishedTransfers(CURLM* multi) {
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
    if (message->msg != CURLMSG_DONE) continue;
    CURL* easy = message->easy_handle;
    const CURLcode code = message->data.result;
    char* privateData = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, &privateData);
    Slice* slice = reinterpret_cast<Slice*>(privateData);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (slice == nullptr) continue;
    slice->setOutcome(code, status);
    log("slice " + std::to_string(slice->ordinal()) + " ended: curl code " + std::to_string(code) + " (" +
        curl_easy_strerror(code) + "), http status " + std::to_string(status) + ", received " +
        std::to_string(slice->received()));
    slice->remove(multi);
  }
}

}  // namespace slicedl
