#include "Slice.h"

#include <algorithm>
#include <cstring>

#include "CurlSetup.h"
#include "FileHelpers.h"
#include "Options.h"
#include "SliceManager.h"
#include "TargetFile.h"

namespace slicedl {
namespace {
// Larger reads than libcurl's default 16 KiB cut the calls per byte (measured: about a third
// less CPU on loopback) while eight of them still stay small.
constexpr long kReceiveBufferSize = 128 * 1024;
constexpr long kLeastReceiveBufferSize = 1024;  // libcurl takes no smaller one
// libcurl keeps a transfer to its limit by reading all that has arrived, up to 101 buffers at
// once, and then waiting until the average is back under the limit. Reads of a hundredth of the
// limit keep such a burst to about a second's worth (once the limit allows reads of the least size),
// instead of many seconds' worth taken at full speed.
constexpr int64_t kReadsPerSecondUnderLimit = 100;
constexpr int64_t kMostReadsAtOnce = 101;

long ReceiveBufferSize(int32_t maxSpeed) {
  if (maxSpeed <= 0) return kReceiveBufferSize;
  return static_cast<long>(
      std::clamp<int64_t>(maxSpeed / kReadsPerSecondUnderLimit, kLeastReceiveBufferSize, kReceiveBufferSize));
}

// The low-speed abort would take the wait after a burst for a stall: it is given the longest such
// wait on top.
long LowSpeedTime(const Options& options, int32_t maxSpeed) {
  if (maxSpeed <= 0) return options.lowSpeedTime;
  const int64_t burst = kMostReadsAtOnce * ReceiveBufferSize(maxSpeed);
  const int64_t longestWait = (burst + maxSpeed - 1) / maxSpeed + 1;
  return static_cast<long>(options.lowSpeedTime + longestWait);
}

// A transfer held to its limit runs at about that speed: an abort threshold above half of it would
// end every such transfer. Never 0, which would switch the abort off and let a stall hang.
long LowSpeedLimit(const Options& options, int32_t maxSpeed) {
  if (maxSpeed <= 0) return options.lowSpeedLimit;
  return std::max<long>(1, std::min<long>(options.lowSpeedLimit, maxSpeed / 2));
}

std::string WriteErrorText(const std::shared_ptr<TargetFile>& file) {
  const int error = file ? file->lastError() : 0;
  return error != 0 ? ", " + ErrnoText(error) : std::string();
}

}  // namespace

Slice::Slice(int32_t ordinal, int64_t begin, int64_t end, int64_t capacity,
             const std::shared_ptr<SliceManager>& manager)
    : m_ordinal(ordinal), m_begin(begin), m_end(end), m_capacity(capacity), m_manager(manager),
      m_received(capacity), m_replyLimit(end) {}

Slice::~Slice() {
  if (m_transfer != nullptr) curl_easy_cleanup(m_transfer);
}

bool Slice::isCompleted() const {
  return m_end != -1 && m_capacity.load() + m_cacheUsed.load() == m_end - m_begin + 1;
}

void Slice::log(const std::string& text) const {
  if (auto manager = m_manager.lock()) manager->options()->log(text);
}

Result Slice::start(CURLM* multi, int64_t cacheSize, int32_t maxSpeed) {
  auto manager = m_manager.lock();
  if (!manager) return Result::EasyInitFailed;
  const Options& options = *manager->options();
  m_status = SliceStatus::Downloading;
  m_cacheSize = cacheSize > 0 ? cacheSize : 0;
  if (m_cacheSize > 0) {
    m_cache.reset(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(m_cacheSize))));
    if (!m_cache) m_cacheSize = 0;
  }
  m_transfer = curl_easy_init();
  if (m_transfer == nullptr) {
    log("curl_easy_init failed");
    failStart();
    return Result::EasyInitFailed;
  }
  bool ok = ApplyCommonOptions(m_transfer, options);
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_NOPROGRESS, 1L) == CURLE_OK;
  if (maxSpeed > 0) {
    ok = ok && curl_easy_setopt(m_transfer, CURLOPT_MAX_RECV_SPEED_LARGE,
                                static_cast<curl_off_t>(maxSpeed)) == CURLE_OK;
    ok = ok && curl_easy_setopt(m_transfer, CURLOPT_LOW_SPEED_LIMIT, LowSpeedLimit(options, maxSpeed)) == CURLE_OK;
    ok = ok && curl_easy_setopt(m_transfer, CURLOPT_LOW_SPEED_TIME, LowSpeedTime(options, maxSpeed)) == CURLE_OK;
  }
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_FORBID_REUSE, 0L) == CURLE_OK;
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_BUFFERSIZE, ReceiveBufferSize(maxSpeed)) == CURLE_OK;
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_WRITEFUNCTION, &Slice::WriteCallback) == CURLE_OK;
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_WRITEDATA, this) == CURLE_OK;
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_HEADERFUNCTION, &Slice::HeaderCallback) == CURLE_OK;
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_HEADERDATA, this) == CURLE_OK;
  ok = ok && curl_easy_setopt(m_transfer, CURLOPT_PRIVATE, this) == CURLE_OK;

  const int64_t offset = m_begin + m_capacity.load();
  m_expectedReply.offset = offset;
  m_expectedReply.fileSize = manager->fileSize();
  m_expectedReply.last = m_end;
  m_replyChecked = false;
  m_replyLimit = m_end;
  m_overrunVoidsReply = false;
  m_replyUnlengthed = false;
  m_replyVoided = false;
  m_replyHeaders = ReplyHeaders();
  m_hasOutcome = false;
  m_rangeIgnored = false;
  m_versionChanged = false;
  CURLcode rangeCode = CURLE_OK;
  if (m_withoutRange && offset == 0) {
    m_expectedReply.ranged = false;
    log("whole file without range");
  } else if (m_end != -1) {
    const std::string range = std::to_string(offset) + "-" + std::to_string(m_end);
    m_expectedReply.ranged = true;
    rangeCode = curl_easy_setopt(m_transfer, CURLOPT_RANGE, range.c_str());
    log("CURLOPT_RANGE: " + range);
    if (rangeCode != CURLE_OK) log("CURLOPT_RANGE failed: " + std::to_string(rangeCode));
  } else {
    m_expectedReply.ranged = offset > 0;
    rangeCode = curl_easy_setopt(m_transfer, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset));
    log("CURLOPT_RESUME_FROM_LARGE: " + std::to_string(offset));
    if (rangeCode != CURLE_OK) log("CURLOPT_RESUME_FROM_LARGE failed: " + std::to_string(rangeCode));
  }
  if (rangeCode != CURLE_OK || !ok) {
    failStart();
    return Result::RangeSetupFailed;
  }
  const CURLMcode added = curl_multi_add_handle(multi, m_transfer);
  if (added != CURLM_OK) {
    log("curl_multi_add_handle failed: " + std::to_string(added));
    failStart();
    return Result::MultiAddFailed;
  }
  return Result::Success;
}

void Slice::failStart() {
  if (m_transfer != nullptr) {
    curl_easy_cleanup(m_transfer);
    m_transfer = nullptr;
  }
  releaseCache();
  m_status = SliceStatus::Failed;
}

void Slice::releaseCache() {
  m_cache.reset();
  m_cacheSize = 0;
  m_cacheUsed.store(0);
}

size_t Slice::WriteCallback(char* data, size_t size, size_t count, void* slice) {
  const size_t total = size * count;
  // Anything but the full count makes libcurl abort the transfer: no byte may land elsewhere.
  return static_cast<Slice*>(slice)->onWrite(data, static_cast<int64_t>(total)) ? total : 0;
}

size_t Slice::HeaderCallback(char* data, size_t size, size_t count, void* slice) {
  const size_t total = size * count;
  Slice* self = static_cast<Slice*>(slice);
  ReadReplyHeaderLine(std::string(data, total), self->m_replyHeaders);
  return total;
}

bool Slice::replyAccepted() {
  long status = 0;
  curl_easy_getinfo(m_transfer, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t length = -1;
  if (curl_easy_getinfo(m_transfer, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) length = -1;
  if (ReplyMatchesRequest(m_expectedReply, status, m_replyHeaders.contentRange, length,
                          m_replyHeaders.contentEncoding)) {
    // The file changed on the server since the probe: its bytes must not join the others.
    auto manager = m_manager.lock();
    const std::string expected = manager ? manager->fileVersion() : std::string();
    const std::string served = m_replyHeaders.version.text();
    if (!FileVersionsDiffer(expected, served)) {
      // A run that knew no version yet holds every later reply to the first one it took.
      if (manager && expected.empty()) manager->setFileVersion(served);
      bindReplyExtent(status, length);
      return true;
    }
    m_versionChanged = true;
    log("slice " + std::to_string(m_ordinal) + " rejected reply: file version '" + served + "', expected '" +
        expected + "'");
    return false;
  }
  m_rangeIgnored = ReplyIgnoresRange(m_expectedReply, status);
  log("slice " + std::to_string(m_ordinal) + " rejected reply: status " + std::to_string(status) +
      ", content-range '" + m_replyHeaders.contentRange + "', content-length " + std::to_string(length) +
      ", content-encoding '" + m_replyHeaders.contentEncoding + "', asked from " +
      std::to_string(m_expectedReply.offset));
  return false;
}

// Where the accepted reply's bytes may go. A 206 is bounded by its Content-Range; a whole-file 200
// by the known size. Bytes beyond what the reply itself named show that it is not what it claims to
// be (a proxy that sent the whole file under the range asked for); bytes beyond the slice but within
// what the reply named only end the slice's share. A body without a length (chunked) can run on past
// what it named: only its clean end right there proves it.
void Slice::bindReplyExtent(long httpStatus, int64_t contentLength) {
  int64_t replyLast = -1;
  if (httpStatus == 206) {
    ContentRange range;
    if (ParseContentRange(m_replyHeaders.contentRange, range)) replyLast = range.last;
  } else if (m_expectedReply.fileSize > 0) {
    replyLast = m_expectedReply.fileSize - 1;
  }
  const bool sliceEndsFirst = m_end != -1 && (replyLast == -1 || m_end < replyLast);
  m_replyLimit = sliceEndsFirst ? m_end : replyLast;
  m_overrunVoidsReply = !sliceEndsFirst;
  m_replyUnlengthed = !sliceEndsFirst && replyLast != -1 && contentLength < 0;
}

bool Slice::reachedReplyLimit() const {
  return m_replyLimit == -1 || m_begin + m_capacity.load() + m_cacheUsed.load() == m_replyLimit + 1;
}

// Nothing of the reply counts: the slice keeps only what it had before the reply began, and no
// index saved later claims more.
void Slice::voidReply(const std::string& why) {
  const int64_t kept = m_expectedReply.offset - m_begin;
  m_cacheUsed.store(0);
  m_capacity.store(kept);
  m_received.store(kept);
  m_replyVoided = true;
  log("slice " + std::to_string(m_ordinal) + " reply not taken: " + why);
}

bool Slice::onWrite(const char* data, int64_t length) {
  if (data == nullptr || length < 1) return true;
  if (!m_replyChecked) {
    if (m_transfer != nullptr && !replyAccepted()) return false;
    m_replyChecked = true;
  }
  if (m_replyVoided) return false;
  bool overran = false;
  if (m_replyLimit != -1) {
    const int64_t remaining = m_replyLimit + 1 - (m_begin + m_capacity.load() + m_cacheUsed.load());
    if (length > remaining) {
      if (m_overrunVoidsReply) {
        voidReply("more bytes than it named");
        return false;
      }
      log("slice " + std::to_string(m_ordinal) + " got bytes beyond its end");
      overran = true;
      length = remaining;
    }
  }
  if (length > 0 && !store(data, length)) return false;
  return !overran;
}

bool Slice::store(const char* data, int64_t length) {
  if (!m_cache) return writeToFile(data, length);
  if (m_cacheSize - m_cacheUsed.load() < length && !flushCache()) return false;
  if (m_cacheSize - m_cacheUsed.load() >= length) {
    std::memcpy(m_cache.get() + m_cacheUsed.load(), data, static_cast<size_t>(length));
    m_cacheUsed.fetch_add(length);
    m_received.fetch_add(length);
    return true;
  }
  return writeToFile(data, length);
}

bool Slice::writeToFile(const void* data, int64_t length) {
  auto manager = m_manager.lock();
  std::shared_ptr<TargetFile> file = manager ? manager->targetFile() : nullptr;
  const int64_t written = file ? file->write(m_begin + m_capacity.load(), data, length) : 0;
  m_capacity.fetch_add(written);
  if (written != length) {
    log("warning: only write a part of buffer to file: " + std::to_string(written) + "," +
        std::to_string(length) + WriteErrorText(file));
    if (manager) manager->noteWriteFailure();
    m_received.store(m_capacity.load() + m_cacheUsed.load());
    return false;
  }
  m_received.fetch_add(length);
  return true;
}

bool Slice::flushCache() {
  if (!m_cache) return true;
  const int64_t used = m_cacheUsed.load();
  if (used == 0) return true;
  auto manager = m_manager.lock();
  std::shared_ptr<TargetFile> file = manager ? manager->targetFile() : nullptr;
  const int64_t written = file ? file->write(m_begin + m_capacity.load(), m_cache.get(), used) : 0;
  // Capacity first: a reader that adds the two never sees bytes vanish.
  m_capacity.fetch_add(written);
  m_cacheUsed.store(0);
  if (written != used) {
    log("warning: only write a part of cache to file: " + std::to_string(written) + "," +
        std::to_string(used) + WriteErrorText(file));
    if (manager) manager->noteWriteFailure();
    m_received.store(m_capacity.load());
    return false;
  }
  return true;
}

void Slice::remove(CURLM* multi) {
  if (m_transfer != nullptr) {
    // Detached before its end (a stop): only the clean end of a reply without a length proves its
    // bytes, however many came (a body sent from another offset is cut off here as well as anywhere).
    if (awaitsReplyEnd() && !m_replyVoided) voidReply("its end was not seen");
    if (multi != nullptr) {
      const CURLMcode code = curl_multi_remove_handle(multi, m_transfer);
      if (code != CURLM_OK) log("curl_multi_remove_handle failed: " + std::to_string(code));
    }
    curl_easy_cleanup(m_transfer);
    m_transfer = nullptr;
  }
  if (m_cache) {
    flushCache();
    releaseCache();
  }
}

void Slice::setOutcome(CURLcode code, long httpStatus) {
  m_hasOutcome = true;
  m_curlCode = code;
  m_httpStatus = httpStatus;
  // An empty body never reached the check on the first bytes: the reply is held to the request all the same.
  if (code == CURLE_OK && !m_replyChecked && !m_replyVoided && m_transfer != nullptr && !replyAccepted()) {
    voidReply("it does not answer the request");
  }
  // Without a length only a clean end right where the reply said proves it: an earlier end may be a
  // cut connection or a shorter file, a failed one may hide more bytes.
  if (m_replyUnlengthed && !m_replyVoided && (code != CURLE_OK || !reachedReplyLimit())) {
    voidReply("it did not end cleanly where it said");
  }
}

bool Slice::endedCleanly() const {
  return m_hasOutcome && !m_replyVoided && m_curlCode == CURLE_OK && (m_httpStatus == 200 || m_httpStatus == 206) &&
         reachedReplyLimit();
}

}  // namespace slicedl
