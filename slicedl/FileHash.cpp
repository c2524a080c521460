#include "FileHash.h"

#include <zlib.h>

#include <cctype>
#include <cstdio>

#include "FileHelpers.h"
#include "Md5.h"
#include "Sha1.h"
#include "Sha256.h"

namespace slicedl {
namespace {

constexpr size_t kBlockSize = 1024;

// Feeds the file to `feed` block by block; stop requests are answered within one block.
template <typename Feed>
Result ReadBlocks(const std::string& path, const Options* options, Feed feed) {
  FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return Result::HashUnavailable;
  uint8_t block[kBlockSize];
  for (;;) {
    const size_t read = fread(block, 1, sizeof block, file);
    if (read == 0) break;
    if (options != nullptr && options->stopRequested()) {
      fclose(file);
      return Result::Stopped;
    }
    feed(block, read);
  }
  const bool failed = ferror(file) != 0;
  fclose(file);
  return failed ? Result::HashMismatch : Result::Success;
}

template <size_t N>
std::string HexText(const std::array<uint8_t, N>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(N * 2);
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

template <typename Digest>
Result HashFile(const std::string& path, const Options* options, std::string& digest) {
  Digest state;
  const Result result =
      ReadBlocks(path, options, [&state](const uint8_t* data, size_t n) { state.update(data, n); });
  if (result == Result::Success) digest = HexText(state.finish());
  return result;
}

}  // namespace

Result GetFileMd5(const std::string& path, const Options* options, std::string& digest) {
  return HashFile<Md5>(path, options, digest);
}

Result GetFileSha1(const std::string& path, const Options* options, std::string& digest) {
  return HashFile<CSHA1>(path, options, digest);
}

Result GetFileSha256(const std::string& path, const Options* options, std::string& digest) {
  return HashFile<Sha256>(path, options, digest);
}

Result GetFileCrc32(const std::string& path, const Options* options, std::string& digest) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const Result result = ReadBlocks(path, options, [&crc](const uint8_t* data, size_t n) {
    crc = crc32(crc, data, static_cast<uInt>(n));
  });
  if (result == Result::Success) {
    char text[9];
    snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(crc & 0xFFFFFFFFul));
    digest = text;
  }
  return result;
}

Result GetFileHash(HashType type, const std::string& path, const Options* options, std::string& digest) {
  switch (type) {
    case HashType::MD5: return GetFileMd5(path, options, digest);
    case HashType::CRC32: return GetFileCrc32(path, options, digest);
    case HashType::SHA1: return GetFileSha1(path, options, digest);
    case HashType::SHA256: return GetFileSha256(path, options, digest);
  }
  return Result::HashUnavailable;
}

bool HashTextsEqual(const std::string& computed, const std::string& expected) {
  if (computed.size() != expected.size()) return false;
  for (size_t i = 0; i < computed.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(computed[i])) !=
        std::tolower(static_cast<unsigned char>(expected[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace slicedl
