#include "ChildProcess.h"
#include "DownloadFixture.h"
#include "IndexFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

using namespace slicedl;

namespace {

class Resume : public Download {
 protected:
  IndexContent readIndex(const std::string& target) {
    IndexContent content;
    std::string error;
    EXPECT_EQ(ParseIndex(ReadBytes(target + ".sdlindex"), target + ".slicedl", content, error), Result::Success)
        << error;
    return content;
  }

  // Body bytes the server sent for GET requests of `path` since its log was last reset.
  int64_t sentBytes(const std::string& path) const {
    int64_t sent = 0;
    for (const auto& entry : server.control("log")) {
      if (entry["method"] == "GET" && entry["path"] == path) sent += entry["sent"].get<int64_t>();
    }
    return sent;
  }

  // Offsets the next run must ask for: each unfinished slice from begin + capacity.
  static std::multiset<int64_t> resumeOffsets(const IndexContent& index) {
    std::multiset<int64_t> offsets;
    for (const SliceRecord& slice : index.slices) {
      if (slice.capacity < slice.end - slice.begin + 1) offsets.insert(slice.begin + slice.capacity);
    }
    return offsets;
  }
};

}  // namespace

TEST_F(Resume, StopThenNewRunContinuesEachSliceAtItsCapacity) {
  const int64_t size = 8 << 20;
  const std::string target = dir.file("resumed.exe");
  {
    Downloader downloader;
    useSlices(downloader, 4);
    const std::string url = serve("/download", size, 11, "&rate=800000");
    // Stopped from the progress report itself, so a busy machine cannot let the run finish first.
    auto future = downloader.start(url, target, {}, [&](int64_t, int64_t downloaded) {
      if (downloaded >= (3 << 19)) downloader.stop();
    }, {});
    EXPECT_EQ(future.get(), Result::Stopped);
  }
  ASSERT_TRUE(Exists(target + ".slicedl"));
  const IndexContent index = readIndex(target);
  ASSERT_EQ(index.slices.size(), 8u);
  const std::multiset<int64_t> expected = resumeOffsets(index);
  EXPECT_FALSE(expected.empty());
  int64_t saved = 0;
  for (const SliceRecord& slice : index.slices) saved += slice.capacity;
  EXPECT_GE(saved, 3 << 19);

  server.control("reset");
  Downloader downloader;
  downloader.setThreadNum(4);
  EXPECT_EQ(run(downloader, serve("/download", size, 11), target).future, Result::Success);
  EXPECT_EQ(requestedOffsets("/download"), expected);
  expectCleanFinish(target, size, 11);
}

TEST_F(Resume, StopRightAfterStartIsNotLost) {
  Downloader downloader;
  const std::string target = dir.file("stopped.exe");
  const std::string url = serve("/download", 4 << 20, 1, "&rate=100000");
  int calls = 0;
  Result delivered = Result::Success;
  auto future = downloader.start(url, target, [&](Result result) { delivered = result; ++calls; }, {}, {});
  downloader.stop();
  EXPECT_EQ(future.get(), Result::Stopped);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(delivered, Result::Stopped);
  EXPECT_FALSE(Exists(target));
}

// The running download saves its index every few seconds: a process killed hard keeps what it had
// saved, and the next run fetches only the rest.
TEST_F(Resume, AKilledProcessKeepsWhatItSavedAndTheNextRunFetchesTheRest) {
  const int64_t size = 12 << 20;
  const std::string target = dir.file("killed.exe");
  const std::string url = serve("/download", size, 21, "&rate=300000");
  int64_t saved = 0;
  {
    ChildProcess child({"--child-download", url, target});
    // Saves come every three seconds at about 1.2 MB/s: waiting for one that holds several
    // mebibytes keeps the time between that save and the kill small beside what it saved.
    ASSERT_TRUE(WaitUntil([&] {
      saved = savedBytes(target);
      return saved >= (9 << 19);
    }));
    child.kill();
  }
  EXPECT_FALSE(Exists(target));
  const int64_t firstFetched = sentBytes("/download");
  server.control("reset");
  Downloader downloader;
  downloader.setThreadNum(4);
  EXPECT_EQ(run(downloader, serve("/download", size, 21), target).future, Result::Success);
  expectCleanFinish(target, size, 21);
  const int64_t secondFetched = sentBytes("/download");
  const int64_t fetchedTwice = std::max<int64_t>(0, firstFetched + secondFetched - size);
  const double keptShare = 1.0 - static_cast<double>(fetchedTwice) / static_cast<double>(firstFetched);
  std::printf("killed run: %lld bytes fetched, %lld saved; next run: %lld fetched; kept %.1f %%\n",
              static_cast<long long>(firstFetched), static_cast<long long>(saved),
              static_cast<long long>(secondFetched), keptShare * 100.0);
  EXPECT_GE(keptShare, 0.8);
}

// A body without a length proves its bytes only by its end: the index saved while it runs claims none
// of them, so a process killed meanwhile does not resume after bytes that came from another offset
// (each slice here gets the file from its first byte under its own range).
TEST_F(Resume, AKilledProcessSavedNothingOfAChunkedReplyStillRunning) {
  const int64_t size = 12 << 20;
  const std::string target = dir.file("killed-chunked.exe");
  {
    ChildProcess child({"--child-download", serve("/download", size, 22, "&fault=long-range,chunked&rate=100000"),
                        target});
    // Past two saves (every three seconds), each slice still short of its mebibyte.
    ASSERT_TRUE(WaitUntil([&] { return sentBytes("/download") >= (5 << 19); }));
    child.kill();
  }
  // An index that parses, each slice at its start.
  for (const SliceRecord& slice : readIndex(target).slices) EXPECT_EQ(slice.capacity, 0);
  server.control("reset");
  Downloader downloader;
  downloader.setThreadNum(4);
  EXPECT_EQ(run(downloader, serve("/download", size, 22), target).future, Result::Success);
  expectCleanFinish(target, size, 22);
}

// Speed is what this run fetches: the bytes a resumed run loaded from its index are not part of it.
TEST_F(Resume, AResumedRunReportsOnlyWhatItFetchesAsSpeed) {
  const int64_t size = 4 << 20;
  const std::string target = dir.file("speed.exe");
  leaveResumableIndex(target, size, 13, 3 << 20, 4);
  const int64_t saved = savedBytes(target);
  ASSERT_EQ(saved, 3 << 20);
  std::mutex mutex;
  std::vector<int64_t> reports;
  Downloader downloader;
  // The last mebibyte takes over two seconds, so the speed is reported at least twice.
  EXPECT_EQ(run(downloader, serve("/download", size, 13, "&rate=400000"), target, {},
                [&](int64_t bytes) {
                  std::lock_guard<std::mutex> lock(mutex);
                  reports.push_back(bytes);
                }).future,
            Result::Success);
  expectCleanFinish(target, size, 13);
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_GE(reports.size(), 2u);
  int64_t fetched = 0;
  for (const int64_t bytes : reports) {
    EXPECT_GE(bytes, 0);
    fetched += bytes;
  }
  EXPECT_GT(fetched, 0);
  EXPECT_LE(fetched, size - saved);
}

TEST_F(Resume, IndexFilesOfTheStoredFormatStillLoad) {
  // Written as the format has always been: compact JSON, sorted keys, the last slice open-ended.
  const int64_t size = 3 << 20;
  const std::string target = dir.file("old.exe");
  const std::string url = serve("/download", size, 22);
  std::string tmpPath = target + ".slicedl";
  std::string escaped;
  for (char c : tmpPath) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  WriteBytes(tmpPath, std::string(static_cast<size_t>(size), '\0'));
  WriteBytes(target + ".sdlindex",
             std::string(kIndexMagic) + "{\"file_size\":" + std::to_string(size) +
                 ",\"slices\":[{\"begin\":0,\"capacity\":1048576,\"end\":1048575},"
                 "{\"begin\":1048576,\"capacity\":0,\"end\":-1}],\"target_tmp_file_path\":\"" +
                 escaped + "\",\"update_time\":" + std::to_string(CurrentUnixTime()) + ",\"url\":\"" + url + "\"}");
  // The first mebibyte is taken as saved: put the right bytes there, as the earlier run did.
  std::string bytes = ReadBytes(reference(url));
  bytes.resize(static_cast<size_t>(size));
  std::fill(bytes.begin() + (1 << 20), bytes.end(), '\0');
  WriteBytes(tmpPath, bytes);
  server.control("reset");

  Downloader downloader;
  EXPECT_EQ(run(downloader, url, target).future, Result::Success);
  expectCleanFinish(target, size, 22);
  EXPECT_EQ(requestedOffsets("/download"), std::multiset<int64_t>{1 << 20});
}

TEST_F(Resume, AFileThatChangedOnTheServerIsFetchedAfresh) {
  const std::string target = dir.file("changed.exe");
  leaveResumableIndex(target, 8 << 20, 1, 4 << 20, 4);
  Downloader downloader;
  useSlices(downloader, 4);
  LogCapture capture;
  downloader.setVerboseOutput(capture.sink());
  const int64_t newSize = (9 << 20) + 17;
  EXPECT_EQ(run(downloader, serve("/download", newSize, 2), target).future, Result::Success);
  expectCleanFinish(target, newSize, 2);
  EXPECT_NE(capture.text().find("file size changed from 8388608, starting afresh"), std::string::npos)
      << capture.text();
}

// A new release of the same length must not be joined to the bytes of the old one.
TEST_F(Resume, AFileReplacedByOneOfTheSameSizeIsFetchedAfresh) {
  const std::string target = dir.file("same-size.exe");
  const int64_t size = 6 << 20;
  leaveResumableIndex(target, size, 1, 3 << 20, 4);
  EXPECT_FALSE(readIndex(target).fileVersion.empty());
  Downloader downloader;
  useSlices(downloader, 4);
  EXPECT_EQ(run(downloader, serve("/download", size, 2), target).future, Result::Success);
  expectCleanFinish(target, size, 2);
  EXPECT_EQ(requestedOffsets("/download").count(0), 1u);
}

// Slices that start after the server's file changed get the new version's bytes: nothing of them
// joins the old bytes; the whole new version is fetched again as one stream. Also when the size
// probe named no version and only the transfers' replies carry one.
TEST_F(Resume, AFileReplacedDuringTheDownloadIsNotJoinedToTheOldBytes) {
  for (const std::string fault : {"", "&fault=no-version-head"}) {
    SCOPED_TRACE(fault);
    server.control("reset");
    const std::string target = dir.file("replaced-mid-run" + std::to_string(fault.size()) + ".exe");
    const int64_t size = 6 << 20;
    Downloader downloader;
    useSlices(downloader, 2);
    auto future = downloader.start(serve("/download", size, 1, "&rate=1048576" + fault), target, {}, {}, {});
    ASSERT_TRUE(WaitUntil([&] { return sentBytes("/download") > 0; }));
    serve("/download", size, 2, fault);
    EXPECT_EQ(future.get(), Result::Success);
    expectCleanFinish(target, size, 2);
    EXPECT_EQ(requestedOffsets("/download").count(0), 2u);  // the first slice, then the one stream
  }
}

// The moment the one stream that replaces the slices has put its first bytes on disk, the index
// must no longer claim the old slices: a copy of both files taken then, resumed against the old
// version, ends with that version whole (or fails), never with the two joined.
TEST_F(Resume, FilesTakenRightAfterTheFallBackToOneStreamNeverJoinTwoVersions) {
  const std::string target = dir.file("fallback-copy.exe");
  const int64_t size = 6 << 20;
  leaveResumableIndex(target, size, 1, 3 << 20, 4);
  ASSERT_EQ(savedBytes(target), 3 << 20);
  Downloader downloader;
  useSlices(downloader, 1);
  downloader.setDiskCacheSize(0);  // every received byte goes to the file at once
  auto future = downloader.start(serve("/download", size, 1, "&rate=1048576"), target, {}, {}, {});
  // The next slice after this one gets the new version and the run falls back to one stream.
  ASSERT_TRUE(WaitUntil([&] { return sentBytes("/download") > 0; }));
  serve("/download", size, 2, "&rate=262144");
  const std::vector<uint8_t> newHead = PayloadBytes(0, 64, 2);
  ASSERT_TRUE(WaitUntil([&] {
    const std::string head = ReadBytes(target + ".slicedl").substr(0, newHead.size());
    return head.size() == newHead.size() && std::equal(head.begin(), head.end(), newHead.begin(),
                                                        [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
  }));
  const std::string index = ReadBytes(target + ".sdlindex");
  const std::string temporary = ReadBytes(target + ".slicedl");
  downloader.stop();
  EXPECT_EQ(future.get(), Result::Stopped);

  WriteBytes(target + ".sdlindex", index);
  WriteBytes(target + ".slicedl", temporary);
  serve("/download", size, 1);
  Downloader resumed;
  resumed.setThreadNum(4);
  if (run(resumed, server.url("/download"), target).future == Result::Success) expectCleanFinish(target, size, 1);
}

// An index that cannot be rewritten when the run starts afresh is removed, so it cannot claim the
// fresh file's bytes for a later run against the old version.
TEST_F(Resume, AnOldIndexThatCannotBeRewrittenIsRemovedBeforeTheFreshStart) {
  const std::string target = dir.file("unwritable-index.exe");
  const int64_t size = 6 << 20;
  leaveResumableIndex(target, size, 1, 3 << 20, 4);
  // Every later save of the index fails: its temporary name is taken by a folder.
  ASSERT_TRUE(std::filesystem::create_directory(Utf8Path(target + ".sdlindex.tmp")));
  {
    Downloader downloader;
    useSlices(downloader, 4);
    EXPECT_EQ(run(downloader, serve("/download", size, 2, "&fault=range-500@4194304"), target).future,
              Result::SizeMismatch);
  }
  EXPECT_FALSE(Exists(target + ".sdlindex"));
  std::filesystem::remove(Utf8Path(target + ".sdlindex.tmp"));
  server.control("reset");
  Downloader downloader;
  EXPECT_EQ(run(downloader, serve("/download", size, 1), target).future, Result::Success);
  expectCleanFinish(target, size, 1);
}

TEST_F(Resume, ACorruptIndexStartsAfresh) {
  const std::string target = dir.file("corrupt.exe");
  WriteBytes(target + ".sdlindex", std::string(kIndexMagic) + "{\"file_size\":12");
  WriteBytes(target + ".slicedl", "stale");
  Downloader downloader;
  EXPECT_EQ(run(downloader, serve("/download", 40000, 3), target).future, Result::Success);
  expectCleanFinish(target, 40000, 3);
}

TEST_F(Resume, SlicesBeyondFourGibibytesResumeAtTheRightOffset) {
  const int64_t head = 5LL << 30;
  const int64_t size = head + (1 << 20);
  const std::string target = dir.file("huge.exe");
  const std::string url = serve("/download", size, 3);
  ASSERT_TRUE(CreateFixedSizeFile(target + ".slicedl", size));
  IndexContent index;
  index.fileSize = size;
  index.url = url;
  index.tmpFilePath = target + ".slicedl";
  index.updateTime = CurrentUnixTime();
  index.slices = {{0, head - 1, head}, {head, size - 1, 0}};
  std::string bytes;
  ASSERT_TRUE(SerializeIndex(index, bytes));
  WriteBytes(target + ".sdlindex", bytes);

  Downloader downloader;
  EXPECT_EQ(run(downloader, url, target).future, Result::Success);
  EXPECT_EQ(requestedOffsets("/download"), (std::multiset<int64_t>{head}));
  EXPECT_EQ(GetFileSize(target), size);
  FILE* file = OpenFile(target, "rb");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(SeekFile(file, head, SEEK_SET));
  std::vector<uint8_t> tail(1 << 20);
  EXPECT_EQ(fread(tail.data(), 1, tail.size(), file), tail.size());
  fclose(file);
  EXPECT_TRUE(tail == PayloadBytes(head, tail.size(), 3));
  RemoveFile(target);
}
