#include <curl/curl.h>
#include <gtest/gtest.h>
#include <winsock2.h>
#include <zlib.h>

#include <string>
#include <thread>

namespace {

// One-shot HTTP server on 127.0.0.1 that answers the first request with a deflate-encoded body.
class DeflateReplyServer {
 public:
  explicit DeflateReplyServer(const std::string& body) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(m_listener, 1);
    int len = sizeof addr;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this, reply = deflateReply(body)] { serveOnce(reply); });
  }
  ~DeflateReplyServer() {
    m_thread.join();
    closesocket(m_listener);
    WSACleanup();
  }
  unsigned short port() const { return m_port; }

 private:
  static std::string deflateReply(const std::string& body) {
    uLongf size = compressBound(body.size());
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(body.data()),
              body.size(), Z_BEST_COMPRESSION);
    packed.resize(size);
    return "HTTP/1.1 200 OK\r\nContent-Encoding: deflate\r\nContent-Length: " + std::to_string(size) +
           "\r\nConnection: close\r\n\r\n" + packed;
  }
  void serveOnce(const std::string& reply) {
    SOCKET peer = accept(m_listener, nullptr, nullptr);
    if (peer == INVALID_SOCKET) return;
    std::string request;
    char buf[1024];
    int got;
    while (request.find("\r\n\r\n") == std::string::npos && (got = recv(peer, buf, sizeof buf, 0)) > 0)
      request.append(buf, got);
    send(peer, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(peer, SD_SEND);
    closesocket(peer);
  }

  SOCKET m_listener = INVALID_SOCKET;
  unsigned short m_port = 0;
  std::thread m_thread;
};

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
  DeflateReplyServer server(body);
  std::string received;
  CURL* easy = curl_easy_init();
  ASSERT_NE(easy, nullptr);
  const std::string url = "http://localhost:" + std::to_string(server.port()) + "/page";
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
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
