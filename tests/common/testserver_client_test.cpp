#include <gtest/gtest.h>

#include <curl/curl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Payload.h"
#include "TestServer.h"

namespace {

struct Reply {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

Reply Fetch(const std::string& url, const std::string& range = "") {
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
  Reply reply;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L);
  if (!range.empty()) curl_easy_setopt(curl.get(), CURLOPT_RANGE, range.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply.body);
  reply.code = curl_easy_perform(curl.get());
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
  return reply;
}

std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class TestServerClient : public ::testing::Test {
 protected:
  TestServer server;
};

TEST_F(TestServerClient, RangedGetReturnsThePayloadBytes) {
  const uint64_t offset = 5ull << 30;
  const Reply reply = Fetch(server.url("/files/big?size=6442450944&seed=3"),
                            std::to_string(offset) + "-" + std::to_string(offset + 199999));
  ASSERT_EQ(reply.code, CURLE_OK);
  EXPECT_EQ(reply.status, 206);
  EXPECT_EQ(reply.body, AsText(PayloadBytes(offset, 200000, 3)));
  EXPECT_EQ(static_cast<uint8_t>(reply.body[77]), PayloadByte(offset + 77, 3));
}

TEST_F(TestServerClient, LogRecordsTheRangeAsked) {
  Fetch(server.url("/files/a?size=1000"), "100-199");
  const nlohmann::json log = server.control("log");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["method"], "GET");
  EXPECT_EQ(log[0]["path"], "/files/a");
  EXPECT_EQ(log[0]["range"], "bytes=100-199");
  EXPECT_EQ(log[0]["status"], 206);
  EXPECT_EQ(server.control("/_control/log"), log);
}

TEST_F(TestServerClient, RegisteredFileMatchesThePayloadOnDisk) {
  server.control("file?path=/download&size=300000&seed=5");
  const std::string body = server.get("/download?f=aide");
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("tolvan-ts-client-" + std::to_string(server.port()));
  std::ofstream(file, std::ios::binary).write(body.data(), static_cast<std::streamsize>(body.size()));
  std::string why;
  EXPECT_TRUE(FileMatchesPayload(file, 300000, 5, &why)) << why;
  EXPECT_FALSE(FileMatchesPayload(file, 300000, 6, &why));
  EXPECT_FALSE(FileMatchesPayload(file, 300001, 5, &why));
  {
    std::fstream patch(file, std::ios::binary | std::ios::in | std::ios::out);
    patch.seekp(123456);
    patch.put(static_cast<char>(PayloadByte(123456, 5) ^ 1));
  }
  EXPECT_FALSE(FileMatchesPayload(file, 300000, 5, &why));
  EXPECT_NE(why.find("123456"), std::string::npos) << why;
  std::filesystem::remove(file);
}

TEST_F(TestServerClient, ErrorStatusesThrow) {
  EXPECT_THROW(server.get("/files/a?size=10&fault=get-500"), std::runtime_error);
  EXPECT_THROW(server.control("nonsense"), std::runtime_error);
}

TEST(TestServerLifetime, ServersRunSideBySideAndStopAtDestruction) {
  std::string firstUrl;
  {
    TestServer first;
    TestServer second;
    EXPECT_NE(first.port(), second.port());
    firstUrl = first.url("/files/a?size=10");
    EXPECT_EQ(Fetch(firstUrl).status, 200);
    EXPECT_EQ(second.get("/files/a?size=10"), AsText(PayloadBytes(0, 10)));
  }
  EXPECT_EQ(Fetch(firstUrl).code, CURLE_COULDNT_CONNECT);
}

}  // namespace
