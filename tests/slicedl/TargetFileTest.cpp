#include <gtest/gtest.h>

#include <cstdio>

#include "FileHelpers.h"
#include "TargetFile.h"
#include "TempDir.h"

using namespace slicedl;

namespace {

std::string ReadAt(const std::string& path, int64_t offset, size_t n) {
  FILE* file = OpenFile(path, "rb");
  std::string bytes(n, '\0');
  EXPECT_TRUE(SeekFile(file, offset, SEEK_SET));
  EXPECT_EQ(fread(&bytes[0], 1, n, file), n);
  fclose(file);
  return bytes;
}

}  // namespace

TEST(TemporaryFile, WritesLandAtTheirOffsetsInAnyOrder) {
  TempDir dir;
  const std::string path = dir.file("file.slicedl");
  TargetFile file;
  ASSERT_TRUE(file.create(path, 100));
  EXPECT_EQ(file.write(90, "tail", 4), 4);
  EXPECT_EQ(file.write(0, "head", 4), 4);
  EXPECT_EQ(file.write(4, "-more", 5), 5);
  file.close();
  EXPECT_EQ(ReadAt(path, 0, 9), "head-more");
  EXPECT_EQ(ReadAt(path, 90, 4), "tail");
  EXPECT_EQ(GetFileSize(path), 100);
}

TEST(TemporaryFile, OffsetsBeyondFourGibibytes) {
  TempDir dir;
  const std::string path = dir.file("big.slicedl");
  const int64_t size = (5LL << 30) + 10;
  TargetFile file;
  ASSERT_TRUE(file.create(path, size));
  EXPECT_EQ(file.write(size - 10, "0123456789", 10), 10);
  EXPECT_EQ(file.write((4LL << 30) + 1, "x", 1), 1);
  file.close();
  EXPECT_EQ(ReadAt(path, size - 10, 10), "0123456789");
  EXPECT_EQ(ReadAt(path, (4LL << 30) + 1, 1), "x");
  EXPECT_EQ(ReadAt(path, 1, 1), std::string(1, '\0'));
  RemoveFile(path);
}

TEST(TemporaryFile, RefusesWritesWithoutAFileOrWithBadArguments) {
  TempDir dir;
  TargetFile file;
  EXPECT_EQ(file.write(0, "x", 1), 0);
  EXPECT_FALSE(file.open(dir.file("absent")));
  ASSERT_TRUE(file.create(dir.file("f"), 10));
  EXPECT_EQ(file.write(-1, "x", 1), 0);
  EXPECT_EQ(file.write(0, nullptr, 1), 0);
  EXPECT_EQ(file.write(0, "x", 0), 0);
  file.close();
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.write(0, "x", 1), 0);
}

#ifndef _WIN32
TEST(TemporaryFile, AFailedFlushCountsNothingAndTheNextWriteSeeksAgain) {
  TempDir dir;
  TargetFile file;
  ASSERT_TRUE(file.open("/dev/full"));
  EXPECT_EQ(file.write(0, "abc", 3), 0);
  const std::string path = dir.file("after.slicedl");
  ASSERT_TRUE(file.create(path, 10));
  EXPECT_EQ(file.write(5, "xy", 2), 2);
  file.close();
  EXPECT_EQ(ReadAt(path, 5, 2), "xy");
}
#endif
