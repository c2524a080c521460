#include "DownloadFixture.h"
#include "FileHash.h"
#include "IndexFile.h"

#include <algorithm>

using namespace slicedl;

namespace {

class DownloadSizes : public Download, public ::testing::WithParamInterface<int64_t> {};

}  // namespace

TEST_P(DownloadSizes, ArriveByteForByteAndLeaveNoWorkFiles) {
  const int64_t size = GetParam();
  Downloader downloader;
  ASSERT_EQ(downloader.setThreadNum(8), Result::Success);
  const std::string target = dir.file("VexaGameFull_newest.exe");
  const DownloadOutcome outcome = run(downloader, serve("/download", size), target);
  EXPECT_EQ(outcome.future, Result::Success);
  EXPECT_EQ(outcome.callback, Result::Success);
  EXPECT_EQ(outcome.callbackCount, 1);
  EXPECT_FALSE(outcome.callbackOnCallerThread);
  expectCleanFinish(target, size);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, DownloadSizes,
                         ::testing::Values(int64_t{1}, int64_t{15728640}, int64_t{15728641},
                                           int64_t{100} << 20));

TEST_F(Download, EmptyRemoteFileBecomesAnEmptyTargetWithoutWorkFiles) {
  Downloader downloader;
  const std::string target = dir.file("empty.exe");
  EXPECT_EQ(run(downloader, serve("/download", 0), target).future, Result::Success);
  EXPECT_TRUE(Exists(target));
  EXPECT_EQ(GetFileSize(target), 0);
  EXPECT_FALSE(Exists(target + ".slicedl"));
  EXPECT_FALSE(Exists(target + ".sdlindex"));
  // No byte comes to check the reply by: its headers still must answer the request.
  Downloader refusing;
  const std::string refused = dir.file("empty-wrong-start.exe");
  EXPECT_EQ(run(refusing, serve("/download", 0, 1, "&fault=wrong-start"), refused).future, Result::Unverifiable);
  EXPECT_FALSE(Exists(refused));
}

TEST_F(Download, UnicodeFoldersAreCreatedForTheTarget) {
  Downloader downloader;
  const std::string target = dir.file(u8"游戏/安装/VexaGameFull_front-2_newest.exe");
  EXPECT_EQ(run(downloader, serve("/download", 3000), target).future, Result::Success);
  expectCleanFinish(target, 3000);
}

TEST_F(Download, ReplacesAnExistingTarget) {
  Downloader downloader;
  const std::string target = dir.file("setup.exe");
  WriteBytes(target, "an older setup");
  EXPECT_EQ(run(downloader, serve("/download", 5000, 4), target).future, Result::Success);
  expectCleanFinish(target, 5000, 4);
}

TEST_F(Download, SmallCachesAndDirectWritesGiveTheSameBytes) {
  for (int32_t cache : {0, 1000, 70000}) {
    Downloader downloader;
    downloader.setThreadNum(4);
    downloader.setDiskCacheSize(cache);
    downloader.setSlicePolicy(SlicePolicy::FixedNum, 5);
    const std::string target = dir.file("cache-" + std::to_string(cache) + ".exe");
    EXPECT_EQ(run(downloader, serve("/download", 3 << 20, 9), target).future, Result::Success) << cache;
    expectCleanFinish(target, 3 << 20, 9);
  }
}

TEST_F(Download, SpeedLimitIsSharedAndTheFileStillArrives) {
  Downloader downloader;
  downloader.setThreadNum(4);
  downloader.setMaxDownloadSpeed(8 << 20);
  downloader.setSlicePolicy(SlicePolicy::FixedNum, 4);
  const std::string target = dir.file("limited.exe");
  EXPECT_EQ(run(downloader, serve("/download", 2 << 20), target).future, Result::Success);
  expectCleanFinish(target, 2 << 20);
}

// However small the share of each slice, the limit is kept and no slice ends by the low-speed abort:
// a limit below the number of slices (3 B/s), shares below the abort's threshold (8 B/s, 16 KiB/s,
// 128 KiB/s), and none of them taken in bursts of many seconds' worth.
// The runs go side by side and are stopped after ten speed reports (a count, not a time): each ends
// by the stop alone, having taken no more than its limit allows in twice the longest wait plus what
// libcurl reads before the limit holds: up to 101 reads at once, again each time its rate window
// (3 s) restarts before it waits, which a busy machine may let happen a few times.
TEST_F(Download, SmallSpeedLimitsAreKeptAndEndNoSliceByTimeout) {
  constexpr int32_t kSlices = 4;
  constexpr int64_t kSize = 16 << 20;
  constexpr int64_t kLongestWaitSeconds = 120;
  constexpr int64_t kReadsBeforeTheLimitHolds = 4 * 101;
  const auto readSize = [](int64_t share) { return std::clamp<int64_t>(share / 100, 1024, 128 * 1024); };
  struct Run {
    int32_t limit;
    Downloader downloader;
    LogCapture log;
    std::atomic<int> speedReports{0};
    std::atomic<int64_t> mostInOneReport{0};
    std::string target;
    std::shared_future<Result> future;
  };
  std::vector<std::unique_ptr<Run>> runs;
  for (const int32_t limit : {3, 32, 64 << 10, 512 << 10}) {
    auto run = std::make_unique<Run>();
    run->limit = limit;
    run->downloader.setThreadNum(kSlices);
    run->downloader.setSlicePolicy(SlicePolicy::FixedNum, kSlices);
    run->downloader.setMaxDownloadSpeed(limit);
    // Small shares must not time out by the engine's own limit; the largest row is for bursts, and a
    // loaded loopback server may itself fall below half its share for a few seconds.
    run->downloader.setLowSpeedLimit(1 << 20, limit > (64 << 10) ? 60 : 5);
    run->downloader.setVerboseOutput(run->log.sink());
    run->target = dir.file("limit-" + std::to_string(limit) + ".exe");
    Run* self = run.get();
    run->future = run->downloader.start(serve("/limit-" + std::to_string(limit), kSize), run->target, {}, {},
                                        [self](int64_t bytes) {
                                          ++self->speedReports;
                                          if (bytes > self->mostInOneReport) self->mostInOneReport = bytes;
                                        });
    runs.push_back(std::move(run));
  }
  EXPECT_TRUE(WaitUntil([&] {
    for (const auto& run : runs) {
      if (run->speedReports < 10 && run->future.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return false;
    }
    return true;
  }));
  for (const auto& run : runs) {
    SCOPED_TRACE("limit " + std::to_string(run->limit));
    run->downloader.stop();
    EXPECT_EQ(run->future.get(), Result::Stopped) << run->log.text();
    EXPECT_EQ(run->log.text().find("curl code 28"), std::string::npos) << "a slice ended by the low-speed abort";
    const int64_t transfers = std::min<int64_t>(kSlices, run->limit);
    const int64_t bursts = transfers * kReadsBeforeTheLimitHolds * readSize(run->limit / transfers);
    EXPECT_LE(savedBytes(run->target), run->limit * kLongestWaitSeconds + bursts);
    // Reads of a hundredth of the share: never a burst of many seconds' worth.
    EXPECT_LE(run->mostInOneReport, 4 * run->limit + bursts);
  }
}

TEST_F(Download, ProgressAndSpeedReportsAreConsistent) {
  Downloader downloader;
  downloader.setThreadNum(2);
  downloader.setSlicePolicy(SlicePolicy::FixedNum, 2);
  std::mutex mutex;
  std::vector<std::pair<int64_t, int64_t>> progress;
  int64_t speedSum = 0;
  const int64_t size = 3 << 20;
  const std::string url = serve("/download", size, 1, "&rate=1000000");
  const DownloadOutcome outcome = run(
      downloader, url, dir.file("reported.exe"),
      [&](int64_t total, int64_t downloaded) {
        std::lock_guard<std::mutex> lock(mutex);
        progress.emplace_back(total, downloaded);
      },
      [&](int64_t bytes) {
        std::lock_guard<std::mutex> lock(mutex);
        speedSum += bytes;
      });
  EXPECT_EQ(outcome.future, Result::Success);
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_FALSE(progress.empty());
  int64_t last = 0;
  for (const auto& [total, downloaded] : progress) {
    EXPECT_EQ(total, size);
    EXPECT_GE(downloaded, last);
    EXPECT_LE(downloaded, size);
    last = downloaded;
  }
  EXPECT_GT(speedSum, 0);
  EXPECT_LE(speedSum, size);
}

namespace {

class Concurrency : public Download, public ::testing::WithParamInterface<int32_t> {};

}  // namespace

TEST_P(Concurrency, ServerNeverSeesMoreTransfersThanThreadNum) {
  const int32_t threadNum = GetParam();
  Downloader downloader;
  downloader.setThreadNum(threadNum);
  downloader.setSlicePolicy(SlicePolicy::FixedSize, 1 << 20);
  const int64_t size = 16 << 20;
  const std::string target = dir.file("throttled.exe");
  server.control("reset");
  EXPECT_EQ(run(downloader, serve("/download", size, 2, "&rate=4000000"), target).future, Result::Success);
  expectCleanFinish(target, size, 2);
  const auto stats = server.control("stats");
  EXPECT_LE(stats["max_concurrent"].get<int>(), threadNum);
  EXPECT_GE(stats["max_concurrent"].get<int>(), 2);
  EXPECT_EQ(requestCount("GET", "/download"), 16);
}

INSTANTIATE_TEST_SUITE_P(ThreadNums, Concurrency, ::testing::Values(3, 8));

TEST_F(Download, ExpectedHashesInAnyCaseComplete) {
  const int64_t size = 200000;
  const std::string url = serve("/download", size, 5);
  const std::string file = reference(url);
  for (HashType type : {HashType::MD5, HashType::CRC32, HashType::SHA1, HashType::SHA256}) {
    std::string digest;
    ASSERT_EQ(GetFileHash(type, file, nullptr, digest), Result::Success);
    for (char& c : digest) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    Downloader downloader;
    downloader.setHash(type, digest);
    const std::string target = dir.file("hashed-" + std::to_string(static_cast<int>(type)) + ".exe");
    EXPECT_EQ(run(downloader, url, target).future, Result::Success);
    expectCleanFinish(target, size, 5);
  }
}

// A resumed run with a hash set. Bytes that reached the temporary file after the last index save (a
// killed run) are not counted, but a matching hash proves the file whole: the run completes without
// fetching anything. Saved bytes that do not pass the hash until the rest has come are kept: only what
// the unfinished first slice misses is asked for.
TEST_F(Download, AResumedRunWithAHashFetchesOnlyWhatTheSavedBytesLack) {
  const int64_t size = 300000;
  const int64_t half = size / 2;
  const struct {
    int64_t firstCapacity;
    int64_t secondCapacity;
    int64_t bytesOnDisk;  // from the start; zero bytes after them up to the second slice
    std::multiset<int64_t> asked;
  } rows[] = {{1000, 0, size, {}}, {half / 2, half, half / 2, {half / 2}}};
  const std::string url = serve("/download", size, 7);
  const std::string whole = reference(url);
  std::string digest;
  ASSERT_EQ(GetFileHash(HashType::SHA256, whole, nullptr, digest), Result::Success);
  for (const auto& row : rows) {
    SCOPED_TRACE("first slice holds " + std::to_string(row.firstCapacity));
    const std::string target = dir.file("resumed-" + std::to_string(row.firstCapacity) + ".exe");
    std::string bytes = ReadBytes(whole);
    std::fill(bytes.begin() + std::min(row.bytesOnDisk, half), bytes.begin() + half, '\0');
    WriteBytes(target + ".slicedl", bytes);
    IndexContent index;
    index.fileSize = size;
    index.url = url;
    index.tmpFilePath = target + ".slicedl";
    index.updateTime = CurrentUnixTime();
    index.slices = {{0, half - 1, row.firstCapacity}, {half, size - 1, row.secondCapacity}};
    std::string text;
    ASSERT_TRUE(SerializeIndex(index, text));
    WriteBytes(target + ".sdlindex", text);
    server.control("reset");

    Downloader downloader;
    downloader.setHash(HashType::SHA256, digest);
    EXPECT_EQ(run(downloader, url, target).future, Result::Success);
    expectCleanFinish(target, size, 7);
    EXPECT_EQ(requestedOffsets("/download"), row.asked);
  }
}

TEST_F(Download, HashMismatchKeepsTheWorkFilesAndNoTarget) {
  Downloader downloader;
  downloader.setHash(HashType::SHA256, std::string(64, '0'));
  const std::string target = dir.file("mismatch.exe");
  EXPECT_EQ(run(downloader, serve("/download", 70000), target).future, Result::HashMismatch);
  EXPECT_FALSE(Exists(target));
  EXPECT_TRUE(Exists(target + ".slicedl"));
  EXPECT_TRUE(Exists(target + ".sdlindex"));
  EXPECT_EQ(savedBytes(target), 0);  // the refused bytes are no base for a resume
}

// A server that sent damaged bytes (the same size, no version to tell them apart) is mended later:
// whether the run ended on the mismatch or was stopped while hashing, the next run fetches the file
// again and completes against the sound server.
TEST_F(Download, BytesTheHashRefusedAreFetchedAgainByTheNextRun) {
  const int64_t size = 3 << 20;
  std::string digest;
  ASSERT_EQ(GetFileHash(HashType::SHA256, reference(serve("/download", size, 1)), nullptr, digest), Result::Success);
  for (const bool stopWhileHashing : {false, true}) {
    SCOPED_TRACE(stopWhileHashing ? "stopped while hashing" : "ended on the mismatch");
    const std::string target = dir.file(stopWhileHashing ? "refused-stopped.exe" : "refused.exe");
    Event userStop;
    Downloader damaged;
    useSlices(damaged, 2);
    damaged.setHash(HashType::SHA256, digest);
    if (stopWhileHashing) {
      damaged.setUserStopEvent(&userStop);
      damaged.setVerboseOutput([&](const std::string& line) {
        if (line == "finish download progress") userStop.set();
      });
    }
    server.control("reset");
    EXPECT_EQ(run(damaged, serve("/download", size, 2, "&fault=no-version"), target).future,
              stopWhileHashing ? Result::Stopped : Result::HashMismatch);
    EXPECT_FALSE(Exists(target));

    server.control("reset");
    Downloader sound;
    useSlices(sound, 2);
    sound.setHash(HashType::SHA256, digest);
    EXPECT_EQ(run(sound, serve("/download", size, 1, "&fault=no-version"), target).future, Result::Success);
    expectCleanFinish(target, size, 1);
    EXPECT_EQ(requestedOffsets("/download"), (std::multiset<int64_t>{0, 1 << 20, 2 << 20}));
  }
}

// Checked only where the size cannot vouch for the file: a file of unknown length is held to the
// hash, one of known length is not. A probe that says 0 bytes vouches for nothing either.
TEST_F(Download, AHashCheckedOnlyWithoutSizeHoldsFilesOfUnknownLength) {
  const int64_t size = 200000;
  std::string digest;
  ASSERT_EQ(GetFileHash(HashType::SHA256, reference(serve("/download", size, 6)), nullptr, digest), Result::Success);
  struct Case {
    const char* fault;
    bool rightDigest;
    Result expected;
  };
  const Case cases[] = {
      {"no-length", true, Result::Success},
      {"no-length", false, Result::HashMismatch},
      {"none", false, Result::Success},
      {"head-size=0", true, Result::Success},
      {"head-size=0", false, Result::HashMismatch},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + (c.rightDigest ? ", right digest" : ", wrong digest"));
    Downloader downloader;
    downloader.setHash(HashType::SHA256, c.rightDigest ? digest : std::string(64, '0'),
                       HashVerifyPolicy::OnlyNoFileSize);
    const std::string target = dir.file("only-without-size-" + std::to_string(index++) + ".exe");
    EXPECT_EQ(run(downloader, serve("/download", size, 6, std::string("&fault=") + c.fault), target).future,
              c.expected);
    if (c.expected == Result::Success) {
      expectCleanFinish(target, size, 6);
    } else {
      EXPECT_FALSE(Exists(target));
    }
  }
}

TEST_F(Download, UnknownHashTypeFallsBackToTheSizeCheck) {
  Downloader downloader;
  downloader.setHash(static_cast<HashType>(7), "00");
  const std::string target = dir.file("fallback.exe");
  EXPECT_EQ(run(downloader, serve("/download", 70000), target).future, Result::Success);
  expectCleanFinish(target, 70000);
}

TEST_F(Download, RenameFailureKeepsBothWorkFiles) {
  Downloader downloader;
  const std::string target = dir.file("occupied");
  std::filesystem::create_directories(Utf8Path(target) / "child");
  EXPECT_EQ(run(downloader, serve("/download", 5000), target).future, Result::RenameFailed);
  EXPECT_TRUE(Exists(target + ".slicedl"));
  EXPECT_TRUE(Exists(target + ".sdlindex"));
  ExpectPayload(target + ".slicedl", 5000);
}
