#include "DownloadFixture.h"

using namespace slicedl;

TEST(DownloaderSetters, ThreadNumIsClampedBelowAndRefusedAbove) {
  Downloader downloader;
  EXPECT_EQ(downloader.setThreadNum(0), Result::Success);
  EXPECT_EQ(downloader.setThreadNum(-7), Result::Success);
  EXPECT_EQ(downloader.setThreadNum(100), Result::Success);
  EXPECT_EQ(downloader.setThreadNum(101), Result::ThreadNumOutOfRange);
  EXPECT_EQ(downloader.setTempFileExpiry(-1), Result::Success);
  EXPECT_EQ(downloader.setTempFileExpiry(3600), Result::Success);
}

TEST(DownloaderSetters, StopBeforeAnyStartDoesNothing) {
  Downloader downloader;
  downloader.stop();
  EXPECT_EQ(downloader.targetFilePath(), "");
}

TEST(DownloaderStart, EmptyUrlOrTargetIsReportedOnAnotherThread) {
  Downloader downloader;
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> calls{0};
  std::atomic<bool> onCaller{false};
  auto record = [&](Result) {
    ++calls;
    if (std::this_thread::get_id() == caller) onCaller = true;
  };
  EXPECT_EQ(downloader.start("", "", record, {}, {}).get(), Result::EmptyUrl);
  EXPECT_EQ(downloader.start("http://127.0.0.1:1/x", "", record, {}, {}).get(), Result::EmptyTargetPath);
  EXPECT_EQ(calls.load(), 2);
  EXPECT_FALSE(onCaller.load());
  EXPECT_EQ(downloader.targetFilePath(), "");
}

TEST(DownloaderStart, DroppingAnEarlyResultNeverBlocks) {
  Downloader downloader;
  std::atomic<int> calls{0};
  for (int i = 0; i < 20; ++i) downloader.start("", "x", [&](Result) { ++calls; }, {}, {});
  downloader.start("", "x", {}, {}, {});  // an empty functor is fine too
  EXPECT_TRUE(WaitUntil([&] { return calls.load() == 20; }));
}

TEST_F(Download, SecondStartWhileRunningIsBusyAndLeavesTheFirstAlone) {
  Downloader downloader;
  const std::string target = dir.file("first.exe");
  const std::string url = serve("/download", 2 << 20, 1, "&rate=1000000");
  auto first = downloader.start(url, target, {}, {}, {});
  EXPECT_EQ(downloader.start(url, dir.file("second.exe"), {}, {}, {}).get(), Result::Busy);
  EXPECT_EQ(downloader.setThreadNum(4), Result::Busy);
  EXPECT_EQ(downloader.setTempFileExpiry(10), Result::Busy);
  EXPECT_EQ(downloader.setHash(HashType::MD5, "00"), Result::Busy);
  EXPECT_EQ(downloader.targetFilePath(), target);
  EXPECT_EQ(first.get(), Result::Success);
  expectCleanFinish(target, 2 << 20);
  EXPECT_FALSE(Exists(dir.file("second.exe")));
  // Once the first has ended the downloader takes the next one.
  EXPECT_EQ(downloader.start(serve("/other", 1000), dir.file("second.exe"), {}, {}, {}).get(), Result::Success);
}

TEST_F(Download, UserStopEventStopsTheRun) {
  Event userStop;
  Downloader downloader;
  ASSERT_EQ(downloader.setUserStopEvent(&userStop), Result::Success);
  std::atomic<bool> started{false};
  auto future = downloader.start(serve("/download", 4 << 20, 1, "&rate=200000"), dir.file("user.exe"), {},
                                 [&](int64_t, int64_t) { started = true; }, {});
  ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
  userStop.set();
  EXPECT_EQ(future.get(), Result::Stopped);
}

TEST_F(Download, DestroyingARunningDownloaderStopsItAndReportsOnce) {
  std::atomic<int> calls{0};
  std::atomic<int> last{-1};
  const std::string target = dir.file("destroyed.exe");
  {
    Downloader downloader;
    downloader.setThreadNum(2);
    std::atomic<bool> started{false};
    downloader.start(
        serve("/download", 4 << 20, 1, "&rate=200000"), target,
        [&](Result result) {
          ++calls;
          last = static_cast<int>(result);
        },
        [&](int64_t, int64_t) { started = true; }, {});
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
  }
  EXPECT_EQ(calls.load(), 1);
  EXPECT_EQ(last.load(), static_cast<int>(Result::Stopped));
  EXPECT_TRUE(Exists(target + ".sdlindex"));
}

TEST_F(Download, DestroyingTheDownloaderFromItsOwnResultCallbackIsSafe) {
  auto* downloader = new Downloader;
  std::atomic<bool> deleted{false};
  downloader->start(serve("/download", 1000), dir.file("self.exe"),
                    [&](Result) {
                      delete downloader;
                      deleted = true;
                    },
                    {}, {});
  EXPECT_TRUE(WaitUntil([&] { return deleted.load(); }));
}

TEST_F(Download, DestroyingTheDownloaderFromAnEarlyResultCallbackIsSafe) {
  auto* downloader = new Downloader;
  std::atomic<bool> deleted{false};
  downloader->start("", "", [&](Result) {
    delete downloader;
    deleted = true;
  }, {}, {});
  EXPECT_TRUE(WaitUntil([&] { return deleted.load(); }));
}

TEST_F(Download, AnExceptionInsideTheRunIsAResultCodeAndTheCallbackStillComes) {
  Downloader downloader;
  downloader.setVerboseOutput([](const std::string& text) {
    if (text.rfind("target file path: ", 0) == 0) throw std::runtime_error("log sink failed");
  });
  const DownloadOutcome outcome = run(downloader, serve("/download", 1000), dir.file("thrown.exe"));
  EXPECT_EQ(outcome.future, Result::InternalError);
  EXPECT_EQ(outcome.callback, Result::InternalError);
  EXPECT_EQ(outcome.callbackCount, 1);
}

TEST_F(Download, VerboseOutputMayBeReplacedWhileRunning) {
  Downloader downloader;
  downloader.setThreadNum(4);
  downloader.setSlicePolicy(SlicePolicy::FixedNum, 8);
  std::atomic<int> lines{0};
  auto future = downloader.start(serve("/download", 2 << 20, 1, "&rate=2000000"), dir.file("verbose.exe"), {},
                                 {}, {});
  for (int i = 0; i < 200 && future.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready; ++i) {
    downloader.setVerboseOutput([&lines](const std::string&) { ++lines; });
    downloader.setVerboseOutput({});
  }
  downloader.setVerboseOutput([&lines](const std::string&) { ++lines; });
  EXPECT_EQ(future.get(), Result::Success);
}

TEST_F(Download, VerboseOutputNamesEachSlicesOutcome) {
  Downloader downloader;
  LogCapture capture;
  downloader.setVerboseOutput(capture.sink());
  downloader.setThreadNum(2);
  downloader.setSlicePolicy(SlicePolicy::FixedNum, 2);
  EXPECT_EQ(run(downloader, serve("/download", 100000, 1, "&fault=range-500@50000"), dir.file("log.exe")).future,
            Result::SizeMismatch);
  const std::string log = capture.text();
  EXPECT_NE(log.find("slice 0 ended: curl code 0 (No error), http status 206"), std::string::npos) << log;
  EXPECT_NE(log.find("http status 500"), std::string::npos) << log;
  EXPECT_NE(log.find("CURLOPT_RANGE: 0-49999"), std::string::npos) << log;
  // The slice table as cut, before any byte arrived.
  EXPECT_NE(log.find("<0> [0~49999], Disk: 0, Buffer: 0\r\n<1> [50000~99999], Disk: 0, Buffer: 0\r\n"),
            std::string::npos)
      << log;
}

// Start, stop and destroy from several angles at once; the sanitizer builds check the races.
TEST_F(Download, StartStopDestroyRacesEndCleanly) {
  const std::string url = serve("/download", 1 << 20, 1, "&rate=4000000");
  for (int round = 0; round < 12; ++round) {
    auto downloader = std::make_unique<Downloader>();
    downloader->setThreadNum(1 + round % 4);
    std::atomic<int> calls{0};
    auto future = downloader->start(url, dir.file("race-" + std::to_string(round) + ".exe"),
                                    [&calls](Result) { ++calls; }, [](int64_t, int64_t) {}, [](int64_t) {});
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(round * 7));
      downloader->stop();
    });
    if (round % 3 == 0) future.wait();
    stopper.join();
    downloader.reset();
    EXPECT_EQ(calls.load(), 1) << round;
    const Result result = future.get();
    EXPECT_TRUE(result == Result::Stopped || result == Result::Success) << static_cast<int>(result);
  }
}
