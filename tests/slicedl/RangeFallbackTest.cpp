// A server that ignores Range headers answers every slice with the whole file: the run falls back to
// one stream from offset 0, and nothing of a refused reply reaches the file.
#include "DownloadFixture.h"

#include <algorithm>
#include <vector>

using namespace slicedl;

namespace {

constexpr char kFallbackLine[] = "server ignores byte ranges";

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class RangeFallback : public Download {
 protected:
  // The GET requests for `path` in order, each as its Range header ("" when none was sent).
  std::vector<std::string> gets(const std::string& path) const {
    std::vector<std::string> ranges;
    for (const auto& entry : server.control("log")) {
      if (entry["method"] != "GET" || entry["path"] != path) continue;
      ranges.push_back(entry["range"].is_string() ? entry["range"].get<std::string>() : "");
    }
    return ranges;
  }

  int unrangedGets(const std::string& path) const {
    const std::vector<std::string> ranges = gets(path);
    return static_cast<int>(std::count(ranges.begin(), ranges.end(), std::string()));
  }

  LogCapture capture;
};

}  // namespace

TEST_F(RangeFallback, AFileOfSeveralSlicesArrivesAsOneStream) {
  const int64_t size = (4 << 20) + 321;
  const std::string target = dir.file("several.exe");
  Downloader downloader;
  useSlices(downloader, 4);
  downloader.setVerboseOutput(capture.sink());
  std::atomic<int64_t> lastReported{0};
  const DownloadOutcome outcome = run(downloader, serve("/download", size, 31, "&fault=ignore-range"), target,
                                      [&](int64_t, int64_t downloaded) { lastReported = downloaded; });
  EXPECT_EQ(outcome.future, Result::Success);
  EXPECT_EQ(outcome.callbackCount, 1);
  expectCleanFinish(target, size, 31);
  EXPECT_EQ(Occurrences(capture.text(), kFallbackLine), 1u) << capture.text();
  EXPECT_EQ(unrangedGets("/download"), 1) << "the whole file is asked for once, without a range";
  EXPECT_LE(lastReported.load(), size);
}

TEST_F(RangeFallback, AFewBytesAskedAsTheWholeFileAreTakenAsTheyStand) {
  const std::string target = dir.file("few.exe");
  Downloader downloader;
  downloader.setVerboseOutput(capture.sink());
  EXPECT_EQ(run(downloader, serve("/download", 5, 32, "&fault=ignore-range"), target).future, Result::Success);
  expectCleanFinish(target, 5, 32);
  EXPECT_EQ(gets("/download"), std::vector<std::string>{"bytes=0-4"});
  EXPECT_EQ(Occurrences(capture.text(), kFallbackLine), 0u);
}

TEST_F(RangeFallback, AFewBytesInSeveralSlicesFallBackToo) {
  const std::string target = dir.file("few-sliced.exe");
  Downloader downloader;
  downloader.setThreadNum(3);
  downloader.setSlicePolicy(SlicePolicy::FixedSize, 2);
  downloader.setVerboseOutput(capture.sink());
  EXPECT_EQ(run(downloader, serve("/download", 5, 33, "&fault=ignore-range"), target).future, Result::Success);
  expectCleanFinish(target, 5, 33);
  EXPECT_EQ(Occurrences(capture.text(), kFallbackLine), 1u) << capture.text();
  EXPECT_EQ(unrangedGets("/download"), 1);
}

// What an earlier run saved is no use to such a server: the resumed run starts from 0 and still
// ends with the right bytes.
TEST_F(RangeFallback, AResumedRunAgainstSuchAServerEndsWithTheRightFile) {
  const int64_t size = 3 << 20;
  const std::string target = dir.file("resumed.exe");
  leaveResumableIndex(target, size, 34, 1 << 20, 3);
  Downloader downloader;
  downloader.setThreadNum(3);
  downloader.setVerboseOutput(capture.sink());
  EXPECT_EQ(run(downloader, serve("/download", size, 34, "&fault=ignore-range"), target).future, Result::Success);
  expectCleanFinish(target, size, 34);
  EXPECT_EQ(Occurrences(capture.text(), kFallbackLine), 1u) << capture.text();
}
