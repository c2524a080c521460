#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "FileHelpers.h"
#include "TempDir.h"

using namespace slicedl;

namespace {
#ifdef _WIN32
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif
}  // namespace

TEST(PathText, AppendFileNamePutsExactlyOneSeparatorBetween) {
  EXPECT_EQ(AppendFileName("dir", "name"), "dir" + kSep + "name");
  EXPECT_EQ(AppendFileName("dir" + kSep, "name"), "dir" + kSep + "name");
  EXPECT_EQ(AppendFileName("", "name"), "name");
}

TEST(PathText, DirectoryAndFileNameSplitAtTheLastSeparator) {
  const std::string path = "a" + kSep + "b" + kSep + "c.exe";
  EXPECT_EQ(GetDirectory(path), "a" + kSep + "b");
  EXPECT_EQ(GetFileName(path), "c.exe");
  EXPECT_EQ(GetDirectory("c.exe"), "");
  EXPECT_EQ(GetFileName("c.exe"), "c.exe");
}

#ifdef _WIN32
TEST(PathText, ForwardSlashesSeparateOnWindowsToo) {
  EXPECT_EQ(GetDirectory("C:\\games/tolvan\\setup.exe"), "C:\\games/tolvan");
  EXPECT_EQ(GetFileName("C:\\games\\tolvan/setup.exe"), "setup.exe");
  EXPECT_EQ(AppendFileName("C:/games/", "setup.exe"), "C:/games/setup.exe");
}
#endif

TEST(FileQueries, EmptyPathsAreNeverFiles) {
  EXPECT_FALSE(FileIsExist(""));
  EXPECT_FALSE(FileIsReadWritable(""));
  EXPECT_EQ(OpenFile("", "rb"), nullptr);
  EXPECT_FALSE(RemoveFile(""));
  EXPECT_EQ(GetFileSize(std::string()), -1);
  EXPECT_EQ(GetFileSize(static_cast<FILE*>(nullptr)), 0);
}

TEST(FixedSizeFile, CreatesMissingDirectoriesAndUnicodeNames) {
  TempDir dir;
  const std::string path = dir.file(u8"下载/深层/游戏_newest.exe");
  ASSERT_TRUE(CreateFixedSizeFile(path, 4097));
  EXPECT_TRUE(FileIsExist(path));
  EXPECT_TRUE(FileIsReadWritable(path));
  EXPECT_EQ(GetFileSize(path), 4097);
  EXPECT_EQ(ReadBytes(path), std::string(4097, '\0'));
}

TEST(FixedSizeFile, SizeZeroGivesAnEmptyFileAndTruncatesAnOldOne) {
  TempDir dir;
  const std::string path = dir.file("empty.bin");
  WriteBytes(path, "old content");
  ASSERT_TRUE(CreateFixedSizeFile(path, 0));
  EXPECT_EQ(GetFileSize(path), 0);
}

TEST(FixedSizeFile, FiveGibibytesReadBackExactly) {
  TempDir dir;
  const std::string path = dir.file("big.bin");
  const int64_t size = 5LL << 30;
  ASSERT_TRUE(CreateFixedSizeFile(path, size));
  EXPECT_EQ(GetFileSize(path), size);
  RemoveFile(path);
}

TEST(FixedSizeFile, FailsWhereTheDirectoryCannotBeMade) {
  TempDir dir;
  const std::string blocker = dir.file("plain");
  WriteBytes(blocker, "x");
  EXPECT_FALSE(CreateFixedSizeFile(AppendFileName(blocker, "inner.bin"), 10));
}

TEST(Rename, ReplacesAnExistingDestination) {
  TempDir dir;
  const std::string source = dir.file("new.tmp");
  const std::string destination = dir.file("setup.exe");
  WriteBytes(source, "new");
  WriteBytes(destination, "old");
  ASSERT_TRUE(RenameFile(source, destination, true));
  EXPECT_FALSE(FileIsExist(source));
  EXPECT_EQ(ReadBytes(destination), "new");
}

TEST(Rename, WithoutReplaceKeepsBothFiles) {
  TempDir dir;
  const std::string source = dir.file("new.tmp");
  const std::string destination = dir.file("setup.exe");
  WriteBytes(source, "new");
  WriteBytes(destination, "old");
  EXPECT_FALSE(RenameFile(source, destination, false));
  EXPECT_EQ(ReadBytes(source), "new");
  EXPECT_EQ(ReadBytes(destination), "old");
}

TEST(Rename, FailureOntoADirectoryLeavesTheSourceInPlace) {
  TempDir dir;
  const std::string source = dir.file("new.tmp");
  const std::string destination = dir.file("occupied");
  WriteBytes(source, "new");
  std::filesystem::create_directories(Utf8Path(destination) / "child");
  EXPECT_FALSE(RenameFile(source, destination, true));
  EXPECT_EQ(ReadBytes(source), "new");
  EXPECT_TRUE(std::filesystem::is_directory(Utf8Path(destination)));
}

TEST(Remove, DeletesAFileOnce) {
  TempDir dir;
  const std::string path = dir.file("gone.bin");
  WriteBytes(path, "x");
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(FileIsExist(path));
  EXPECT_FALSE(RemoveFile(path));
}
