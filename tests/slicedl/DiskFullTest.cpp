// A drive too small for the file: the failed write ends the run with the code of that step and the
// system's reason in the log, and nothing of the partial files is renamed into place.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "DownloadFixture.h"

using namespace slicedl;

namespace {

// The small drive the test run mounted (see tests/CMakeLists.txt), or empty (and why) when there is none.
std::string SmallDrive(std::string& why) {
  const char* folder = std::getenv("TOLVAN_SMALL_DRIVE");
  why = "TOLVAN_SMALL_DRIVE not set";
  if (folder == nullptr) return {};
  std::string path = folder;
#ifdef _WIN32
  for (char& c : path) c = c == '/' ? '\\' : c;
  path = "Z:" + path;  // Wine's view of the Unix root
#endif
  // Wine reports the size of the whole Unix root for any folder on Z:, so the mount leaves a mark.
  why = "no small drive mounted at " + path;
  if (!FileIsExist(AppendFileName(path, "small-drive.mounted"))) return {};
  return path;
}

}  // namespace

TEST_F(Download, AFullDiskEndsTheRunWithTheWriteFailureAndItsReason) {
  std::string why;
  const std::string drive = SmallDrive(why);
  if (drive.empty()) GTEST_SKIP() << why;
  const std::string target = AppendFileName(drive, "full-" + std::to_string(TOLVAN_GETPID()) + ".exe");
  for (const bool cached : {true, false}) {  // through the slices' caches, or every chunk written at once
    SCOPED_TRACE(cached ? "cached" : "direct");
    LogCapture capture;
    Downloader downloader;
    useSlices(downloader, 4);
    if (!cached) downloader.setDiskCacheSize(0);
    downloader.setVerboseOutput(capture.sink());
    const DownloadOutcome outcome = run(downloader, serve("/download", 6 << 20, 41), target);
    EXPECT_EQ(outcome.future, Result::CacheFlushFailed);
    EXPECT_EQ(outcome.callback, Result::CacheFlushFailed);
    EXPECT_NE(capture.text().find("No space left on device"), std::string::npos) << capture.text();
    EXPECT_FALSE(Exists(target));
    RemoveFile(target + ".slicedl");
    RemoveFile(target + ".sdlindex");
    RemoveFile(target + ".sdlindex.tmp");
  }
}

#ifndef _WIN32
namespace {

// Points the descriptors that have a file open at the null device: writes still succeed, but a sync
// fails (a full tmpfs drive never fails one, so this stands in for a disk that loses writes).
// `restore` puts the file back behind them, as a disk that lost some writes and takes later ones.
class LostWrites {
 public:
  ~LostWrites() {
    for (const auto& [descriptor, original] : m_diverted) close(original);
  }

  void divert(const std::string& path) {
    const std::filesystem::path wanted = std::filesystem::weakly_canonical(Utf8Path(path));
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      if (std::filesystem::read_symlink(entry.path(), error) != wanted) continue;
      const int descriptor = std::stoi(entry.path().filename().string());
      m_diverted.emplace_back(descriptor, dup(descriptor));
      const int null = open("/dev/null", O_RDWR);
      dup2(null, descriptor);
      close(null);
    }
  }

  void restore() {
    for (const auto& [descriptor, original] : m_diverted) {
      dup2(original, descriptor);
      close(original);
    }
    m_diverted.clear();
    restored = true;
  }

  std::atomic<bool> restored{false};

 private:
  std::vector<std::pair<int, int>> m_diverted;  // descriptor, a copy of what it had open
};

}  // namespace

// The temporary file's bytes cannot be synced: the run ends as a write failure, no target appears
// and the index stays the one last saved, never one that counts the unsynced bytes; the next run
// still ends with the right file. Also when every byte arrived, and when a later sync would pass.
TEST_F(Download, AnUnsyncedTemporaryFileKeepsTheLastSavedIndex) {
  struct Case {
    const char* name;
    const char* extra;  // server faults or throttling of the run that loses its writes
    bool diskRecovers;  // the writes after the first failed save reach the file again
    bool startsOver;    // the run itself puts an index of nothing saved in place before its writes
  };
  const Case cases[] = {
      {"stops short", "&fault=range-500@3145728", false, false},
      {"completes", "", false, false},
      // Slow enough for a periodic save to fail while the bytes are lost.
      {"recovers after a failed save", "&rate=250000", true, false},
      {"falls back to one stream", "&fault=ignore-range", false, true},
  };
  const int64_t size = 6 << 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = dir.file(std::string("unsynced-") + c.name + ".exe");
    leaveResumableIndex(target, size, 42, 2 << 20, 4);
    const int64_t savedBefore = savedBytes(target);
    ASSERT_EQ(savedBefore, 2 << 20);

    LogCapture capture;
    const slicedl::VerboseFunctor keep = capture.sink();
    LostWrites lost;
    Downloader downloader;
    useSlices(downloader, 4);
    downloader.setVerboseOutput([&](const std::string& line) {
      if (line == "start downloading...") lost.divert(target + ".slicedl");
      if (c.diskRecovers && !lost.restored && line.rfind("temporary file not synced", 0) == 0) lost.restore();
      keep(line);
    });
    EXPECT_EQ(run(downloader, serve("/download", size, 42, c.extra), target).future, Result::CacheFlushFailed);
    EXPECT_NE(capture.text().find("temporary file not synced"), std::string::npos) << capture.text();
    EXPECT_EQ(lost.restored, c.diskRecovers);
    EXPECT_EQ(savedBytes(target), c.startsOver ? 0 : savedBefore);
    EXPECT_FALSE(Exists(target));

    server.control("reset");
    Downloader again;
    EXPECT_EQ(run(again, serve("/download", size, 42), target).future, Result::Success);
    expectCleanFinish(target, size, 42);
  }
}
#endif
