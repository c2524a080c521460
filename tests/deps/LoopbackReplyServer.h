#pragma once
#include <winsock2.h>

#include <string>
#include <thread>

// One-shot HTTP server on 127.0.0.1: answers the first request with a canned raw reply, then closes.
class LoopbackReplyServer {
 public:
  explicit LoopbackReplyServer(std::string reply) {
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
    m_thread = std::thread([this, reply = std::move(reply)] { serveOnce(reply); });
  }
  ~LoopbackReplyServer() {
    closesocket(m_listener);  // unblocks accept() if no request came
    m_thread.join();
    WSACleanup();
  }
  LoopbackReplyServer(const LoopbackReplyServer&) = delete;
  LoopbackReplyServer& operator=(const LoopbackReplyServer&) = delete;

  std::string url(const std::string& path) const { return "http://localhost:" + std::to_string(m_port) + path; }

 private:
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
