#include "IndexFile.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstring>

namespace slicedl {
namespace {

using Json = nlohmann::json;

struct IndexError {
  std::string what;
};

const Json& Member(const Json& object, const char* key) {
  if (!object.is_object()) throw IndexError{"not an object"};
  const auto it = object.find(key);
  if (it == object.end()) throw IndexError{std::string("missing ") + key};
  return *it;
}

int64_t IntegerMember(const Json& object, const char* key) {
  const Json& value = Member(object, key);
  if (value.is_number_unsigned()) {
    if (value.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)) throw IndexError{std::string("range of ") + key};
    return static_cast<int64_t>(value.get<uint64_t>());
  }
  if (!value.is_number_integer()) throw IndexError{std::string("type of ") + key};
  return value.get<int64_t>();
}

std::string StringMember(const Json& object, const char* key) {
  const Json& value = Member(object, key);
  if (!value.is_string()) throw IndexError{std::string("type of ") + key};
  return value.get<std::string>();
}

std::vector<SliceRecord> CheckedSlices(const Json& array, int64_t fileSize) {
  if (!array.is_array() || array.empty()) throw IndexError{"no slices"};
  std::vector<SliceRecord> slices;
  int64_t nextBegin = 0;
  for (size_t i = 0; i < array.size(); ++i) {
    SliceRecord slice{IntegerMember(array[i], "begin"), IntegerMember(array[i], "end"),
                      IntegerMember(array[i], "capacity")};
    const bool last = i + 1 == array.size();
    if (last && slice.end == -1) slice.end = fileSize - 1;
    if (slice.begin != nextBegin || slice.end < slice.begin || slice.end >= fileSize) {
      throw IndexError{"slice " + std::to_string(i) + " out of order"};
    }
    if (slice.capacity < 0 || slice.capacity > slice.end - slice.begin + 1) {
      throw IndexError{"slice " + std::to_string(i) + " capacity"};
    }
    if (last && slice.end != fileSize - 1) throw IndexError{"slices end early"};
    nextBegin = slice.end + 1;
    slices.push_back(slice);
  }
  return slices;
}

}  // namespace

Result ParseIndex(const std::string& bytes, const std::string& expectedTmpPath, IndexContent& content,
                  std::string& error) {
  if (bytes.size() < kIndexMagicSize || static_cast<int64_t>(bytes.size()) > kMaxIndexFileSize ||
      std::memcmp(bytes.data(), kIndexMagic, kIndexMagicSize) != 0) {
    error = "bad magic or size";
    return Result::BadIndexFile;
  }
  // The text ends at the first zero byte.
  const size_t textEnd = bytes.find('\0', kIndexMagicSize);
  const std::string text = bytes.substr(kIndexMagicSize, textEnd == std::string::npos
                                                             ? std::string::npos
                                                             : textEnd - kIndexMagicSize);
  try {
    const Json json = Json::parse(text);
    IndexContent parsed;
    parsed.fileSize = IntegerMember(json, "file_size");
    if (parsed.fileSize < 1) throw IndexError{"file_size"};
    parsed.url = StringMember(json, "url");
    parsed.tmpFilePath = StringMember(json, "target_tmp_file_path");
    if (parsed.tmpFilePath != expectedTmpPath) throw IndexError{"target_tmp_file_path"};
    parsed.updateTime = IntegerMember(json, "update_time");
    // Absent from indexes written before versions were kept: then only the size tells.
    if (json.contains("file_version")) parsed.fileVersion = StringMember(json, "file_version");
    parsed.slices = CheckedSlices(Member(json, "slices"), parsed.fileSize);
    content = std::move(parsed);
    return Result::Success;
  } catch (const IndexError& e) {
    error = e.what;
  } catch (const std::exception& e) {
    error = e.what();
  }
  return Result::BadIndexFile;
}

bool SerializeIndex(const IndexContent& content, std::string& bytes) {
  try {
    Json slices = Json::array();
    for (const SliceRecord& slice : content.slices) {
      slices.push_back({{"begin", slice.begin}, {"end", slice.end}, {"capacity", slice.capacity}});
    }
    Json json = {{"update_time", content.updateTime},
                 {"file_size", content.fileSize},
                 {"url", content.url},
                 {"target_tmp_file_path", content.tmpFilePath},
                 {"slices", slices}};
    if (!content.fileVersion.empty()) json["file_version"] = content.fileVersion;
    bytes = std::string(kIndexMagic, kIndexMagicSize) + json.dump(-1);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int64_t CurrentUnixTime() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace slicedl
