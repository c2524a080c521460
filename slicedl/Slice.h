#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FileVersion.h"
#include "ReplyCheck.h"
#include "Result.h"

namespace slicedl {

class SliceManager;

enum class SliceStatus : int32_t { Idle = 0, Taken = 1, Downloading = 2, Failed = 3 };

// One byte range of the file, fetched by one transfer into its own cache and from there into the
// temporary file at begin + capacity.
class Slice {
 public:
  Slice(int32_t ordinal, int64_t begin, int64_t end, int64_t capacity,
        const std::shared_ptr<SliceManager>& manager);
  virtual ~Slice();
  Slice(const Slice&) = delete;
  Slice& operator=(const Slice&) = delete;

  int32_t ordinal() const { return m_ordinal; }
  int64_t begin() const { return m_begin; }
  int64_t end() const { return m_end; }
  int64_t capacity() const { return m_capacity.load(); }
  // What an index may claim: the bytes of a reply still awaiting its end prove nothing yet, and a
  // process killed before that end must not resume after them.
  int64_t provenCapacity() const { return awaitsReplyEnd() ? m_expectedReply.offset - m_begin : capacity(); }
  int64_t cacheUsed() const { return m_cacheUsed.load(); }
  // Bytes accepted so far (on disk or cached); safe to read from any thread.
  int64_t received() const { return m_received.load(); }
  SliceStatus status() const { return m_status; }
  void setTaken() { m_status = SliceStatus::Taken; }
  bool isCompleted() const;

  Result start(CURLM* multi, int64_t cacheSize, int32_t maxSpeed);
  bool flushCache();
  void remove(CURLM* multi);

  // Records how the transfer ended (libcurl's code and the last HTTP status).
  void setOutcome(CURLcode code, long httpStatus);
  // The transfer ended without error on a 200 or 206 reply whose bytes were all taken, up to the last
  // one a 206 named.
  bool endedCleanly() const;
  bool hasOutcome() const { return m_hasOutcome; }
  // The server answered this slice's range with the whole file; nothing of that reply was kept.
  bool rangeIgnored() const { return m_rangeIgnored; }
  // The reply named another version of the file than the one expected; nothing of it was kept.
  bool versionChanged() const { return m_versionChanged; }
  // A reply without a length is still running: only its end shows whether it was longer than it
  // said, so the slice is not detached before then even when it holds all its bytes.
  bool awaitsReplyEnd() const { return m_replyUnlengthed && m_transfer != nullptr && !m_hasOutcome; }
  // Asks for the whole file without a Range header (for a server that ignores ranges).
  void requestWithoutRange() { m_withoutRange = true; }

  static size_t WriteCallback(char* data, size_t size, size_t count, void* slice);
  static size_t HeaderCallback(char* data, size_t size, size_t count, void* slice);
  bool onWrite(const char* data, int64_t length);

 private:
  struct FreeDeleter {
    void operator()(uint8_t* block) const { std::free(block); }
  };

  void log(const std::string& text) const;
  bool replyAccepted();
  void bindReplyExtent(long httpStatus, int64_t contentLength);
  bool reachedReplyLimit() const;
  void voidReply(const std::string& why);
  bool store(const char* data, int64_t length);
  bool writeToFile(const void* data, int64_t length);
  void releaseCache();
  void failStart();

  int32_t m_ordinal;
  int64_t m_begin;
  int64_t m_end;
  std::atomic<int64_t> m_capacity;
  CURL* m_transfer = nullptr;
  int64_t m_cacheSize = 0;
  std::atomic<int64_t> m_cacheUsed{0};
  std::unique_ptr<uint8_t, FreeDeleter> m_cache;
  SliceStatus m_status = SliceStatus::Idle;
  std::weak_ptr<SliceManager> m_manager;

  std::atomic<int64_t> m_received;
  ExpectedReply m_expectedReply;
  ReplyHeaders m_replyHeaders;  // of the reply being read
  bool m_replyChecked = false;
  // Last file offset the current reply may write (the slice's end until a reply bounds it
  // further), -1 when nothing bounds it.
  int64_t m_replyLimit;
  // Bytes beyond m_replyLimit void the whole reply instead of only ending it.
  bool m_overrunVoidsReply = false;
  // A reply without a length of its own that the slice takes to its end: only a clean end right at
  // m_replyLimit proves it.
  bool m_replyUnlengthed = false;
  bool m_replyVoided = false;
  bool m_rangeIgnored = false;
  bool m_versionChanged = false;
  bool m_withoutRange = false;
  bool m_hasOutcome = false;
  CURLcode m_curlCode = CURLE_OK;
  long m_httpStatus = 0;
};

}  // namespace slicedl
