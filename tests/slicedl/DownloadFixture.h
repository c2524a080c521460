// Whole downloads against the loopback test server: runs, waits and inspects the server's log.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "Downloader.h"
#include "FileHelpers.h"
#include "IndexFile.h"
#include "Payload.h"
#include "TempDir.h"
#include "TestServer.h"

struct DownloadOutcome {
  slicedl::Result future = slicedl::Result::InternalError;  // the future's value
  slicedl::Result callback = slicedl::Result::InternalError;
  int callbackCount = 0;
  bool callbackOnCallerThread = false;
};

// Collects the engine's log lines from whichever thread writes them.
class LogCapture {
 public:
  slicedl::VerboseFunctor sink() {
    return [this](const std::string& line) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_text += line + "\n";
    };
  }
  std::string text() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
  }

 private:
  mutable std::mutex m_mutex;
  std::string m_text;
};

// Polls `condition` every 10 ms for at most a minute; a guard against hangs, not a timing check.
inline bool WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class Download : public ::testing::Test {
 protected:
  Download() { slicedl::GlobalInit(); }

  // Serves a synthetic file at `path`; `extra` adds "&fault=..." or "&rate=...".
  std::string serve(const std::string& path, int64_t size, uint32_t seed = 1, const std::string& extra = "") {
    server.control("file?path=" + path + "&size=" + std::to_string(size) + "&seed=" + std::to_string(seed) +
                   extra);
    return server.url(path);
  }

  DownloadOutcome run(slicedl::Downloader& downloader, const std::string& url, const std::string& target,
                      slicedl::ProgressFunctor progress = {}, slicedl::SpeedFunctor speed = {}) {
    auto state = std::make_shared<CallbackState>();
    const std::thread::id caller = std::this_thread::get_id();
    auto future = downloader.start(
        url, target,
        [state, caller](slicedl::Result result) {
          std::lock_guard<std::mutex> lock(state->mutex);
          state->outcome.callback = result;
          state->outcome.callbackCount++;
          state->outcome.callbackOnCallerThread = std::this_thread::get_id() == caller;
        },
        std::move(progress), std::move(speed));
    const slicedl::Result value = future.get();
    std::lock_guard<std::mutex> lock(state->mutex);
    DownloadOutcome outcome = state->outcome;
    outcome.future = value;
    return outcome;
  }

  // Downloads `url` with the defaults into a file of its own, for tests that need the right bytes.
  std::string reference(const std::string& url) {
    const std::string file = dir.file("reference-" + std::to_string(m_references++) + ".bin");
    slicedl::Downloader plain;
    EXPECT_EQ(run(plain, url, file).future, slicedl::Result::Success);
    return file;
  }

  // A first run whose slices of 1 MiB from `failFrom` on are refused, so it leaves an index to resume.
  void leaveResumableIndex(const std::string& target, int64_t size, uint32_t seed, int64_t failFrom,
                           int32_t threads) {
    slicedl::Downloader downloader;
    downloader.setThreadNum(threads);
    downloader.setSlicePolicy(slicedl::SlicePolicy::FixedSize, 1 << 20);
    EXPECT_EQ(run(downloader, serve("/download", size, seed, "&fault=range-500@" + std::to_string(failFrom)),
                  target).future,
              slicedl::Result::SizeMismatch);
    EXPECT_TRUE(Exists(target + ".sdlindex"));
    server.control("reset");
  }

  // Byte ranges asked for by GET requests, as the first offset of each Range header.
  std::multiset<int64_t> requestedOffsets(const std::string& path) const {
    std::multiset<int64_t> offsets;
    for (const auto& entry : server.control("log")) {
      if (entry["method"] != "GET" || entry["path"] != path) continue;
      if (entry["range"].is_string()) {
        const std::string range = entry["range"].get<std::string>();
        offsets.insert(std::stoll(range.substr(range.find('=') + 1)));
      } else {
        offsets.insert(0);
      }
    }
    return offsets;
  }

  int requestCount(const std::string& method, const std::string& path) const {
    int count = 0;
    for (const auto& entry : server.control("log")) {
      if (entry["method"] == method && entry["path"] == path) ++count;
    }
    return count;
  }

  static bool Exists(const std::string& path) { return slicedl::FileIsExist(path); }

  // Fetches in slices of a fixed size (1 MiB unless given), `threads` of them at once.
  static void useSlices(slicedl::Downloader& downloader, int32_t threads, int64_t sliceSize = 1 << 20) {
    downloader.setThreadNum(threads);
    downloader.setSlicePolicy(slicedl::SlicePolicy::FixedSize, sliceSize);
  }

  // Bytes the index on disk counts as saved; 0 while there is none that parses.
  static int64_t savedBytes(const std::string& target) {
    slicedl::IndexContent content;
    std::string error;
    if (slicedl::ParseIndex(ReadBytes(target + ".sdlindex"), target + ".slicedl", content, error) !=
        slicedl::Result::Success) {
      return 0;
    }
    int64_t saved = 0;
    for (const slicedl::SliceRecord& slice : content.slices) saved += slice.capacity;
    return saved;
  }

  static void ExpectPayload(const std::string& path, int64_t size, uint32_t seed = 1) {
    std::string why;
    EXPECT_TRUE(FileMatchesPayload(Utf8Path(path), static_cast<uint64_t>(size), seed, &why)) << why;
  }

  void expectCleanFinish(const std::string& target, int64_t size, uint32_t seed = 1) {
    ExpectPayload(target, size, seed);
    EXPECT_FALSE(Exists(target + ".slicedl"));
    EXPECT_FALSE(Exists(target + ".sdlindex"));
  }

  TestServer server;
  TempDir dir;

 private:
  int m_references = 0;

  struct CallbackState {
    std::mutex mutex;
    DownloadOutcome outcome;
  };
};
