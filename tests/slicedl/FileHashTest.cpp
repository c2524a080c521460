#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FileHash.h"
#include "TempDir.h"

using namespace slicedl;

namespace {

struct Vector {
  std::string message;
  const char* md5;
  const char* crc32;
  const char* sha1;
  const char* sha256;
};

// Published test vectors (RFC 1321, FIPS 180-4 examples, the CRC-32 check value).
const Vector kVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e", "00000000", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72", "352441c2", "a9993e364706816aba3e25717850c26c9cd0d89d",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"123456789", "25f9e794323b453885f5181f1b624d0b", "cbf43926", "f7c3bc1d808e04732adf679965ccc34ca7ae3441",
     "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "8215ef0796a20bcaaae116d3876c664a",
     "171a3f5f", "84983e441c3bd26ebaae4aa1f95129e5e54670f1",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21", "dc25bfbc",
     "34aa973cd4c4daa4f61eeb2bdbad27316534016f",
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

class FileHashes : public ::testing::Test {
 protected:
  std::string fileWith(const std::string& content) {
    const std::string path = dir.file("data-" + std::to_string(serial++) + ".bin");
    WriteBytes(path, content);
    return path;
  }
  TempDir dir;
  int serial = 0;
};

}  // namespace

TEST_F(FileHashes, MatchPublishedVectors) {
  for (const Vector& vector : kVectors) {
    const std::string path = fileWith(vector.message);
    const std::pair<HashType, const char*> expected[] = {{HashType::MD5, vector.md5},
                                                         {HashType::CRC32, vector.crc32},
                                                         {HashType::SHA1, vector.sha1},
                                                         {HashType::SHA256, vector.sha256}};
    for (const auto& [type, digest] : expected) {
      std::string computed;
      EXPECT_EQ(GetFileHash(type, path, nullptr, computed), Result::Success);
      EXPECT_EQ(computed, digest) << "type " << static_cast<int>(type) << ", length " << vector.message.size();
    }
  }
}

TEST_F(FileHashes, UnknownTypeOrMissingFileIsUnavailableAndLeavesTheDigest) {
  std::string digest = "untouched";
  EXPECT_EQ(GetFileHash(static_cast<HashType>(7), fileWith("abc"), nullptr, digest), Result::HashUnavailable);
  EXPECT_EQ(GetFileMd5(dir.file("absent.bin"), nullptr, digest), Result::HashUnavailable);
  EXPECT_EQ(digest, "untouched");
}

TEST_F(FileHashes, StopEventsInterruptTheComputation) {
  const std::string path = fileWith(std::string(100000, 'x'));
  Options options;  // its stop event starts set
  std::string digest;
  EXPECT_EQ(GetFileSha256(path, &options, digest), Result::Stopped);
  options.stopEvent->unset();
  EXPECT_EQ(GetFileSha256(path, &options, digest), Result::Success);
  Event userStop;
  userStop.set();
  options.userStopEvent = &userStop;
  EXPECT_EQ(GetFileCrc32(path, &options, digest), Result::Stopped);
}

TEST_F(FileHashes, ComparisonIgnoresCase) {
  EXPECT_TRUE(HashTextsEqual("900150983cd24fb0d6963f7d28e17f72", "900150983CD24FB0D6963F7D28E17F72"));
  EXPECT_FALSE(HashTextsEqual("900150983cd24fb0d6963f7d28e17f72", "900150983cd24fb0d6963f7d28e17f7"));
  EXPECT_FALSE(HashTextsEqual("00", "01"));
}

#ifndef _WIN32
TEST_F(FileHashes, ReadErrorIsAMismatchNotTheEndOfTheFile) {
  // A directory opens as a stream here, and every read of it fails.
  std::string digest;
  EXPECT_EQ(GetFileMd5(dir.path().u8string(), nullptr, digest), Result::HashMismatch);
}
#endif
