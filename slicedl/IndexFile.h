#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Result.h"

// The ".sdlindex" file: 29 magic bytes, then one compact JSON object. Its content is untrusted.
namespace slicedl {

constexpr char kIndexMagic[] = "SLICEDL:RANGE-FILE-INDEX(2.0)";
constexpr size_t kIndexMagicSize = sizeof kIndexMagic - 1;
constexpr int64_t kMaxIndexFileSize = 16 * 1024 * 1024;

struct SliceRecord {
  int64_t begin = 0;
  int64_t end = 0;
  int64_t capacity = 0;
};

struct IndexContent {
  int64_t fileSize = 0;
  std::string url;
  std::string tmpFilePath;
  int64_t updateTime = 0;
  std::string fileVersion;  // the served file's version (FileVersion::text), empty when unknown
  std::vector<SliceRecord> slices;
};

// BadIndexFile unless `bytes` hold the magic and a well-formed index whose temporary path is
// `expectedTmpPath` and whose slices are ordered, contiguous and cover [0, file size) with
// 0 <= capacity <= length. A last slice stored with an open end is bounded by the file size.
Result ParseIndex(const std::string& bytes, const std::string& expectedTmpPath, IndexContent& content,
                  std::string& error);

// The file's bytes; false when the content cannot be serialised (e.g. a URL that is not UTF-8).
bool SerializeIndex(const IndexContent& content, std::string& bytes);

// Seconds since 1970-01-01 UTC.
int64_t CurrentUnixTime();

}  // namespace slicedl
