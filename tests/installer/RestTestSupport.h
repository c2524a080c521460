#pragma once

#include "TestServer.h"
#include "WinTestSupport.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

// Points the installer's REST services at a loopback test server and its log at a folder of its own.
// One server per test suite; each test starts from the server's default replies with nothing recorded.
class RestServerFixture {
public:
    RestServerFixture();
    ~RestServerFixture();

    TestServer& Server() { return *m_server; }
    std::wstring BaseUrl() const;

    // Canned replies of GET /api/getCommonConfig and POST /api/clientInfo.
    void SetConfigReply(const std::string& json, int status = 200);
    void SetReportReply(const std::string& json, int status = 200);
    void StallConfig();
    void StallReports();
    void Reset();

    nlohmann::json Requests() const { return m_server->control("log"); }
    nlohmann::json Posts() const { return m_server->control("posts"); }
    // Waits (a minute at most) until the server has seen `count` requests to its API.
    bool WaitForRequests(size_t count) const;

    // The installer's log so far (the logger is reopened to flush it).
    std::string LogText();

    static void SetRestTimeoutMs(int milliseconds); // 0: the product's timeout

private:
    std::unique_ptr<TestServer> m_server;
    ScratchFolder m_logFolder{L"rest-log"};
};

std::string PercentEncoded(const std::string& text);
