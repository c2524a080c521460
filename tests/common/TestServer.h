// Starts tests/servers/testserver.py on a free loopback port for the lifetime of the object.
// Works natively and, under Wine, from Windows test executables (Wine starts the Unix python).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

class TestServer {
 public:
  TestServer();   // waits up to 10 s for the server's port; throws std::runtime_error on failure
  ~TestServer();  // asks the server to shut down and waits for it to go
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  std::string url(const std::string& pathAndQuery) const { return m_base + pathAndQuery; }
  int port() const { return m_port; }

  // Plain GET; throws on a transport error or an HTTP status of 400 and above.
  std::string get(const std::string& pathAndQuery) const;
  // GET of a control call: "log", "/_control/log" and "stats" style arguments are all accepted.
  nlohmann::json control(const std::string& pathAndQuery) const;

 private:
  class Process;

  void waitForPort();
  bool answers() const;

  std::filesystem::path m_dir;
  std::unique_ptr<Process> m_process;
  int m_port = 0;
  std::string m_base;
};
