#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "IndexFile.h"

using namespace slicedl;
using Json = nlohmann::json;

namespace {

const std::string kTmp = "dir/setup.exe.slicedl";

Json ValidIndex() {
  return Json{{"file_size", 300},
              {"url", "http://127.0.0.1/download?f=aide"},
              {"target_tmp_file_path", kTmp},
              {"update_time", 1700000000},
              {"slices", Json::array({Json{{"begin", 0}, {"end", 99}, {"capacity", 100}},
                                      Json{{"begin", 100}, {"end", 199}, {"capacity", 7}},
                                      Json{{"begin", 200}, {"end", 299}, {"capacity", 0}}})}};
}

Result Parse(const std::string& bytes, IndexContent* out = nullptr) {
  IndexContent content;
  std::string error;
  const Result result = ParseIndex(bytes, kTmp, content, error);
  if (out) *out = content;
  return result;
}

Result ParseJson(const Json& json) { return Parse(std::string(kIndexMagic) + json.dump()); }

}  // namespace

TEST(IndexParse, AcceptsAWellFormedIndex) {
  IndexContent content;
  ASSERT_EQ(Parse(std::string(kIndexMagic) + ValidIndex().dump(), &content), Result::Success);
  EXPECT_EQ(content.fileSize, 300);
  EXPECT_EQ(content.url, "http://127.0.0.1/download?f=aide");
  ASSERT_EQ(content.slices.size(), 3u);
  EXPECT_EQ(content.slices[1].capacity, 7);
  EXPECT_EQ(content.slices[2].end, 299);
}

TEST(IndexParse, AnOpenEndedLastSliceIsBoundedByTheFileSize) {
  Json json = ValidIndex();
  json["slices"][2]["end"] = -1;
  IndexContent content;
  ASSERT_EQ(Parse(std::string(kIndexMagic) + json.dump(), &content), Result::Success);
  EXPECT_EQ(content.slices[2].end, 299);
}

TEST(IndexParse, RejectsBadMagicOrSize) {
  EXPECT_EQ(Parse(""), Result::BadIndexFile);
  EXPECT_EQ(Parse(std::string(kIndexMagic).substr(0, 28)), Result::BadIndexFile);
  EXPECT_EQ(Parse(std::string(kIndexMagic)), Result::BadIndexFile);
  EXPECT_EQ(Parse("SLICEDL:RANGE-FILE-INDEX(1.0)" + ValidIndex().dump()), Result::BadIndexFile);
  EXPECT_EQ(Parse(std::string(kIndexMagic) + std::string(kMaxIndexFileSize, ' ')), Result::BadIndexFile);
}

TEST(IndexParse, RejectsMissingOrMistypedMembers) {
  for (const char* key : {"file_size", "url", "target_tmp_file_path", "update_time", "slices"}) {
    Json json = ValidIndex();
    json.erase(key);
    EXPECT_EQ(ParseJson(json), Result::BadIndexFile) << key;
  }
  Json json = ValidIndex();
  json["file_size"] = "300";
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
  json = ValidIndex();
  json["file_size"] = 300.5;
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
  json = ValidIndex();
  json["slices"][0]["capacity"] = 18446744073709551615ull;
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
  EXPECT_EQ(Parse(std::string(kIndexMagic) + "[1,2,3]"), Result::BadIndexFile);
  EXPECT_EQ(Parse(std::string(kIndexMagic) + "{\"file_size\":"), Result::BadIndexFile);
}

TEST(IndexParse, RejectsAForeignTemporaryPath) {
  Json json = ValidIndex();
  json["target_tmp_file_path"] = "C:\\Windows\\system32\\kernel32.dll";
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
}

TEST(IndexParse, RejectsSlicesThatDoNotTileTheFile) {
  auto withSlice = [](int index, const char* key, int64_t value) {
    Json json = ValidIndex();
    json["slices"][index][key] = value;
    return json;
  };
  EXPECT_EQ(ParseJson(withSlice(0, "begin", 1)), Result::BadIndexFile);      // does not start at 0
  EXPECT_EQ(ParseJson(withSlice(1, "begin", 101)), Result::BadIndexFile);    // gap
  EXPECT_EQ(ParseJson(withSlice(1, "begin", 99)), Result::BadIndexFile);     // overlap
  EXPECT_EQ(ParseJson(withSlice(2, "end", 298)), Result::BadIndexFile);      // ends early
  EXPECT_EQ(ParseJson(withSlice(2, "end", 300)), Result::BadIndexFile);      // beyond the file
  EXPECT_EQ(ParseJson(withSlice(1, "end", 50)), Result::BadIndexFile);       // end before begin
  EXPECT_EQ(ParseJson(withSlice(0, "end", -1)), Result::BadIndexFile);       // open end not last
  EXPECT_EQ(ParseJson(withSlice(1, "capacity", 101)), Result::BadIndexFile);  // more than its length
  EXPECT_EQ(ParseJson(withSlice(1, "capacity", -1)), Result::BadIndexFile);
  Json json = ValidIndex();
  json["slices"] = Json::array();
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
  json = ValidIndex();
  json["file_size"] = -1;
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
}

TEST(IndexParse, TextEndsAtTheFirstZeroByte) {
  const std::string bytes = std::string(kIndexMagic) + ValidIndex().dump() + std::string(1, '\0') + "junk";
  EXPECT_EQ(Parse(bytes), Result::Success);
}

TEST(IndexSerialize, WritesMagicAndCompactSortedJsonThatParsesBack) {
  IndexContent content;
  content.fileSize = 300;
  content.url = u8"http://127.0.0.1/下载";
  content.tmpFilePath = kTmp;
  content.updateTime = 1700000000;
  content.slices = {{0, 149, 10}, {150, 299, 150}};
  std::string bytes;
  ASSERT_TRUE(SerializeIndex(content, bytes));
  EXPECT_EQ(bytes.substr(0, kIndexMagicSize), kIndexMagic);
  EXPECT_EQ(bytes.substr(kIndexMagicSize, 13), "{\"file_size\":");
  EXPECT_EQ(bytes.find(' '), std::string::npos);
  EXPECT_NE(bytes.find(u8"下载"), std::string::npos);
  IndexContent back;
  ASSERT_EQ(Parse(bytes, &back), Result::Success);
  EXPECT_EQ(back.url, content.url);
  EXPECT_EQ(back.slices[0].capacity, 10);
}

TEST(IndexSerialize, FailsForTextThatIsNotUtf8) {
  IndexContent content;
  content.url = "http://host/\xff\xfe";
  std::string bytes;
  EXPECT_FALSE(SerializeIndex(content, bytes));
}

TEST(IndexSerialize, KeepsTheFileVersionOnlyWhenKnown) {
  IndexContent content;
  content.fileSize = 300;
  content.tmpFilePath = kTmp;
  content.slices = {{0, 299, 0}};
  std::string bytes;
  ASSERT_TRUE(SerializeIndex(content, bytes));
  EXPECT_EQ(bytes.find("file_version"), std::string::npos);
  content.fileVersion = "etag \"12c-7\"";
  ASSERT_TRUE(SerializeIndex(content, bytes));
  IndexContent back;
  ASSERT_EQ(Parse(bytes, &back), Result::Success);
  EXPECT_EQ(back.fileVersion, content.fileVersion);

  Json json = ValidIndex();
  json["file_version"] = 7;
  EXPECT_EQ(ParseJson(json), Result::BadIndexFile);
}
