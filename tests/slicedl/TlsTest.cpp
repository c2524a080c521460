// The downloaded program is started elevated, so a server whose certificate does not verify must
// never deliver it. Native only: Wine's Schannel accepts self-signed certificates regardless.
#ifndef _WIN32

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "DownloadFixture.h"

using namespace slicedl;

namespace {

constexpr const char* kOpenssl = "/usr/bin/openssl";

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

}  // namespace

TEST(Tls, ASelfSignedServerIsRefused) {
  ASSERT_EQ(access(kOpenssl, X_OK), 0) << "openssl is not installed (scripts/install-packages.sh installs it)";
  GlobalInit();
  TempDir dir;
  const std::string key = dir.file("key.pem");
  const std::string cert = dir.file("cert.pem");
  ChildProcess make({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert, "-subj",
                     "/CN=localhost", "-days", "2"},
                    kOpenssl);
  ASSERT_EQ(make.wait(), 0);
  const int port = FreeLoopbackPort();
  ChildProcess server({"s_server", "-quiet", "-www", "-accept", "127.0.0.1:" + std::to_string(port), "-cert", cert,
                       "-key", key},
                      kOpenssl);
  ASSERT_TRUE(WaitUntil([port] { return Accepts(port); }));

  Downloader downloader;
  LogCapture log;
  downloader.setVerboseOutput(log.sink());
  const std::string target = dir.file("setup.exe");
  EXPECT_EQ(downloader.start("https://localhost:" + std::to_string(port) + "/", target, {}, {}, {}).get(),
            Result::SizeProbeFailed);
  EXPECT_FALSE(FileIsExist(target));
  const std::string text = log.text();
  EXPECT_NE(text.find("size probe: curl code " + std::to_string(CURLE_PEER_FAILED_VERIFICATION)), std::string::npos)
      << text;
}

#endif
