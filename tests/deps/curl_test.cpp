#include <curl/curl.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "LoopbackReplyServer.h"

namespace {

std::string deflateReply(const std::string& body) {
  uLongf size = compressBound(body.size());
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(body.data()), body.size(),
            Z_BEST_COMPRESSION);
  packed.resize(size);
  return "HTTP/1.1 200 OK\r\nContent-Encoding: deflate\r\nContent-Length: " + std::to_string(size) +
         "\r\nConnection: close\r\n\r\n" + packed;
}

size_t appendTo(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

}  // namespace

TEST(CurlStaticBuild, OffersSchannelTlsAndZlib) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  EXPECT_STREQ(info->version, "7.88.1");
  ASSERT_NE(info->ssl_version, nullptr);
  EXPECT_NE(std::string(info->ssl_version).find("Schannel"), std::string::npos) << info->ssl_version;
  ASSERT_NE(info->libz_version, nullptr);
  EXPECT_STREQ(info->libz_version, zlibVersion());
  EXPECT_TRUE(info->features & CURL_VERSION_SSL);
  EXPECT_TRUE(info->features & CURL_VERSION_LIBZ);
  EXPECT_TRUE(info->features & CURL_VERSION_ASYNCHDNS);  // threaded resolver
}

TEST(CurlStaticBuild, GetsAndInflatesAReplyFromLoopback) {
  const std::string body(4000, 'x');
  LoopbackReplyServer server(deflateReply(body));
  std::string received;
  CURL* easy = curl_easy_init();
  ASSERT_NE(easy, nullptr);
  curl_easy_setopt(easy, CURLOPT_URL, server.url("/page").c_str());
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_IPRESOLVE, CURL_IPRESOLVE_V4);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendTo);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &received);
  EXPECT_EQ(curl_easy_perform(easy), CURLE_OK);
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(easy);
  EXPECT_EQ(status, 200);
  EXPECT_EQ(received, body);
}
