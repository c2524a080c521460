#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "FileHelpers.h"
#include "IndexFile.h"
#include "Options.h"
#include "Slice.h"
#include "SliceManager.h"
#include "TargetFile.h"
#include "TempDir.h"

using namespace slicedl;
using Json = nlohmann::json;

namespace {

class SliceCutting : public ::testing::Test {
 protected:
  SliceCutting() {
    options.targetFilePath = dir.file("setup.exe");
    options.url = "http://127.0.0.1:1/download";
  }

  std::vector<std::pair<int64_t, int64_t>> cut(int64_t size) {
    manager = std::make_shared<SliceManager>(&options);
    manager->setFileSize(size);
    EXPECT_EQ(manager->makeSlices(), Result::Success);
    std::vector<std::pair<int64_t, int64_t>> ranges;
    for (const auto& slice : manager->slices()) ranges.emplace_back(slice->begin(), slice->end());
    return ranges;
  }

  using Ranges = std::vector<std::pair<int64_t, int64_t>>;
  TempDir dir;
  Options options;
  std::shared_ptr<SliceManager> manager;
};

}  // namespace

TEST_F(SliceCutting, AutoKeepsUpTo15MiBInOneSlice) {
  EXPECT_EQ(cut(15728640), (Ranges{{0, 15728639}}));
  EXPECT_EQ(cut(15728641), (Ranges{{0, 10485759}, {10485760, 15728640}}));
  EXPECT_EQ(cut(1), (Ranges{{0, 0}}));
}

TEST_F(SliceCutting, FixedNumPutsTheRemainderInAnExtraSlice) {
  options.slicePolicy = SlicePolicy::FixedNum;
  options.slicePolicyValue = 3;
  EXPECT_EQ(cut(10), (Ranges{{0, 2}, {3, 5}, {6, 8}, {9, 9}}));
  options.slicePolicyValue = 2;
  EXPECT_EQ(cut(10), (Ranges{{0, 4}, {5, 9}}));
}

TEST_F(SliceCutting, FixedSizeBelowOneGivesNoSlices) {
  options.slicePolicy = SlicePolicy::FixedSize;
  options.slicePolicyValue = 0;
  EXPECT_TRUE(cut(10).empty());
  options.slicePolicyValue = 4;
  EXPECT_EQ(cut(10), (Ranges{{0, 3}, {4, 7}, {8, 9}}));
}

TEST_F(SliceCutting, UnknownSizeIsOneOpenEndedSliceOnAnEmptyFile) {
  EXPECT_EQ(cut(-1), (Ranges{{0, -1}}));
  EXPECT_EQ(GetFileSize(options.targetFilePath + ".slicedl"), 0);
  EXPECT_FALSE(manager->slices()[0]->isCompleted());
}

TEST_F(SliceCutting, BytesBeyondASlicesEndAreRefused) {
  cut(1000);
  const auto slice = manager->slices()[0];
  const std::string data(1200, 'z');
  EXPECT_FALSE(slice->onWrite(data.data(), 1200));
  EXPECT_TRUE(slice->isCompleted());
  EXPECT_EQ(slice->capacity(), 1000);
  EXPECT_EQ(manager->checkCompleted(), Result::Success);
}

#ifndef _WIN32
TEST_F(SliceCutting, AFailedWriteAbortsAndCountsNothing) {
  cut(1000);
  ASSERT_TRUE(manager->targetFile()->open("/dev/full"));
  const auto slice = manager->slices()[0];
  const std::string data(100, 'z');
  EXPECT_FALSE(slice->onWrite(data.data(), 100));
  EXPECT_EQ(slice->capacity(), 0);
  EXPECT_EQ(slice->received(), 0);
  EXPECT_EQ(manager->checkCompleted(), Result::SizeMismatch);
}
#endif

TEST_F(SliceCutting, CompletionNeedsEverySliceNotOnlyTheByteSum) {
  options.slicePolicy = SlicePolicy::FixedNum;
  options.slicePolicyValue = 2;
  cut(10);
  const std::string data(10, 'q');
  // The first slice refuses the bytes meant for the second one.
  EXPECT_FALSE(manager->slices()[0]->onWrite(data.data(), 10));
  EXPECT_EQ(manager->checkCompleted(), Result::SizeMismatch);
  EXPECT_TRUE(manager->slices()[1]->onWrite(data.data(), 5));
  EXPECT_EQ(manager->checkCompleted(), Result::Success);
}

namespace {

class IndexLoading : public SliceCutting {
 protected:
  IndexLoading() {
    tmpPath = options.targetFilePath + ".slicedl";
    indexPath = options.targetFilePath + ".sdlindex";
    CreateFixedSizeFile(tmpPath, 300);
  }

  Json index(int64_t age = 0) const {
    return Json{{"file_size", 300},
                {"url", options.url},
                {"target_tmp_file_path", tmpPath},
                {"update_time", CurrentUnixTime() - age},
                {"slices", Json::array({Json{{"begin", 0}, {"end", 149}, {"capacity", 20}},
                                        Json{{"begin", 150}, {"end", -1}, {"capacity", 150}}})}};
  }

  Result load(const Json& json) {
    WriteBytes(indexPath, std::string(kIndexMagic) + json.dump());
    manager = std::make_shared<SliceManager>(&options);
    return manager->loadIndex();
  }

  std::string tmpPath;
  std::string indexPath;
};

}  // namespace

TEST_F(IndexLoading, ResumesEachSliceFromItsCapacity) {
  ASSERT_EQ(load(index()), Result::Success);
  ASSERT_EQ(manager->slices().size(), 2u);
  EXPECT_EQ(manager->slices()[0]->capacity(), 20);
  EXPECT_EQ(manager->slices()[1]->end(), 299);
  EXPECT_TRUE(manager->slices()[1]->isCompleted());
  EXPECT_EQ(manager->totalDownloaded(), 170);
  EXPECT_EQ(manager->idleSliceCount(), 1);
}

TEST_F(IndexLoading, ExpiresStrictlyAfterTheConfiguredAge) {
  options.tmpFileExpiredTime = 3600;
  EXPECT_EQ(load(index(3601)), Result::IndexExpired);
  EXPECT_EQ(load(index(3590)), Result::Success);
  options.tmpFileExpiredTime = -1;
  EXPECT_EQ(load(index(100000000)), Result::Success);
}

TEST_F(IndexLoading, AnUpdateTimeInTheFutureCountsAsExpired) {
  EXPECT_EQ(load(index(-3600)), Result::IndexExpired);
}

TEST_F(IndexLoading, RejectsMismatchedFilesAndUrls) {
  EXPECT_EQ(load(index()), Result::Success);
  Json json = index();
  json["url"] = "http://127.0.0.1:1/other";
  EXPECT_EQ(load(json), Result::IndexUrlMismatch);
  options.skipUrlMismatch = true;
  EXPECT_EQ(load(json), Result::Success);
  CreateFixedSizeFile(tmpPath, 301);
  EXPECT_EQ(load(index()), Result::TempSizeMismatch);
  RemoveFile(tmpPath);
  EXPECT_EQ(load(index()), Result::TempFileMissing);
  RemoveFile(indexPath);
  manager = std::make_shared<SliceManager>(&options);
  EXPECT_EQ(manager->loadIndex(), Result::IndexOpenFailed);
}

TEST_F(IndexLoading, AFailedLoadCanBeDiscardedCompletely) {
  CreateFixedSizeFile(tmpPath, 301);
  ASSERT_EQ(load(index()), Result::TempSizeMismatch);
  manager->discardLoadedState();
  EXPECT_EQ(manager->fileSize(), 0);
  EXPECT_TRUE(manager->tmpFilePath().empty());
  EXPECT_TRUE(manager->slices().empty());
  EXPECT_FALSE(manager->targetFile()->isOpen());
}

TEST_F(IndexLoading, AnUnfinishedFinishKeepsBothFilesAndRecordsTheCapacities) {
  ASSERT_EQ(load(index()), Result::Success);
  const std::string data(50, 'r');
  ASSERT_TRUE(manager->slices()[0]->onWrite(data.data(), 50));
  EXPECT_EQ(manager->finish(true), Result::SizeMismatch);
  EXPECT_TRUE(FileIsExist(tmpPath));
  IndexContent written;
  std::string error;
  ASSERT_EQ(ParseIndex(ReadBytes(indexPath), tmpPath, written, error), Result::Success) << error;
  EXPECT_EQ(written.slices[0].capacity, 70);
  EXPECT_EQ(written.slices[1].capacity, 150);
}

TEST_F(IndexLoading, AStopDuringHashVerificationKeepsBothFiles) {
  const std::string data(130, 'h');
  ASSERT_EQ(load(index()), Result::Success);
  ASSERT_TRUE(manager->slices()[0]->onWrite(data.data(), 130));
  options.hashType = HashType::SHA1;
  options.hashValue = std::string(40, '0');
  options.stopEvent->set();
  EXPECT_EQ(manager->finish(true), Result::Stopped);
  EXPECT_TRUE(FileIsExist(tmpPath));
  EXPECT_TRUE(FileIsExist(indexPath));
  EXPECT_FALSE(FileIsExist(options.targetFilePath));
}

TEST_F(IndexLoading, FlushIndexReportsAWriteFailure) {
  ASSERT_EQ(load(index()), Result::Success);
  EXPECT_TRUE(manager->flushIndex());
  std::filesystem::remove(Utf8Path(indexPath));
  std::filesystem::create_directories(Utf8Path(indexPath));
  EXPECT_FALSE(manager->flushIndex());
}
