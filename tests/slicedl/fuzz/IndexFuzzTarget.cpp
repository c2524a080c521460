#include "IndexFuzzTarget.h"

#include <cstdlib>
#include <string>

#include "IndexFile.h"

namespace {

constexpr const char* kTmpPath = "C:\\Games\\VexaGameFull_newest.exe.slicedl";

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

void FuzzIndexLoader(const uint8_t* data, size_t size) {
  using namespace slicedl;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IndexContent content;
  std::string error;
  const Result result = ParseIndex(bytes, kTmpPath, content, error);
  Require(result == Result::Success || result == Result::BadIndexFile);
  if (result != Result::Success) return;

  Require(content.fileSize >= 1 && !content.slices.empty() && content.tmpFilePath == kTmpPath);
  int64_t next = 0;
  for (const SliceRecord& slice : content.slices) {
    Require(slice.begin == next && slice.end >= slice.begin);
    Require(slice.capacity >= 0 && slice.capacity <= slice.end - slice.begin + 1);
    next = slice.end + 1;
  }
  Require(next == content.fileSize);

  std::string written;
  if (!SerializeIndex(content, written)) return;  // e.g. a URL that is not UTF-8
  IndexContent again;
  Require(ParseIndex(written, kTmpPath, again, error) == Result::Success);
  Require(again.fileSize == content.fileSize && again.url == content.url &&
          again.updateTime == content.updateTime && again.slices.size() == content.slices.size());
}
