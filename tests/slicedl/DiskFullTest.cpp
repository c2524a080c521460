// A drive too small for the file: the failed write ends the run with the code of that step and the
// system's reason in the log, and nothing of the partial files is renamed into place.
#include <cstdlib>

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
  downloader.setThreadNum(4);
  downloader.setSlicePolicy(SlicePolicy::FixedSize, 1 << 20);
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
