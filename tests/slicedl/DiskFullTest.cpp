// A drive too small for the file: the failed write ends the run with the code of that step and the
// system's reason in the log, and nothing of the partial files is renamed into place.
#include <cstdlib>
#include <filesystem>

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
  LogCapture capture;
  Downloader downloader;
  useSlices(downloader, 4);
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

#ifndef _WIN32
namespace {

// Points the descriptors that have `path` open at the null device: writes still succeed, but a
// sync fails (a full tmpfs drive never fails one, so this stands in for a disk that loses writes).
void DivertToTheNullDevice(const std::string& path) {
  const std::filesystem::path wanted = std::filesystem::weakly_canonical(Utf8Path(path));
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error) != wanted) continue;
    const int null = open("/dev/null", O_RDWR);
    dup2(null, std::stoi(entry.path().filename().string()));
    close(null);
  }
}

}  // namespace

// The temporary file's bytes cannot be synced: the run ends as a write failure and leaves the index
// it last saved, never one that counts the unsynced bytes; the next run still ends with the right file.
TEST_F(Download, AnUnsyncedTemporaryFileKeepsTheLastSavedIndex) {
  const std::string target = dir.file("unsynced.exe");
  LogCapture capture;
  const slicedl::VerboseFunctor keep = capture.sink();
  Downloader downloader;
  useSlices(downloader, 4);
  downloader.setVerboseOutput([&](const std::string& line) {
    if (line == "start downloading...") DivertToTheNullDevice(target + ".slicedl");
    keep(line);
  });
  EXPECT_EQ(run(downloader, serve("/download", 6 << 20, 42, "&fault=range-500@3145728"), target).future,
            Result::CacheFlushFailed);
  EXPECT_NE(capture.text().find("temporary file not synced"), std::string::npos) << capture.text();
  EXPECT_EQ(savedBytes(target), 0);
  EXPECT_FALSE(Exists(target));

  server.control("reset");
  Downloader again;
  EXPECT_EQ(run(again, serve("/download", 6 << 20, 42), target).future, Result::Success);
  expectCleanFinish(target, 6 << 20, 42);
}
#endif
