#include "RestTestSupport.h"

#include "Logger.h"

#include <curl/curl.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

void SetEnvironment(const std::string& name, const std::string& value)
{
    _putenv((name + "=" + value).c_str()); // the CRT's copy: std::getenv reads it
}

} // namespace

std::string PercentEncoded(const std::string& text)
{
    char* escaped = curl_easy_escape(nullptr, text.c_str(), static_cast<int>(text.size()));
    std::string result = escaped ? escaped : "";
    curl_free(escaped);
    return result;
}

RestServerFixture::RestServerFixture() : m_server(std::make_unique<TestServer>())
{
    SetEnvironment("TOLVAN_TEST_CONFIG_URL", m_server->url(""));
    SetEnvironment("TOLVAN_TEST_REPORT_URL", m_server->url(""));
    SetEnvironmentVariableW(L"TMP", m_logFolder.Path().c_str());
    InitLogger();
}

RestServerFixture::~RestServerFixture()
{
    ShutdownLogger();
    SetRestTimeoutMs(0);
}

std::wstring RestServerFixture::BaseUrl() const
{
    const std::string url = m_server->url("");
    return std::wstring(url.begin(), url.end());
}

void RestServerFixture::SetConfigReply(const std::string& json, int status)
{
    m_server->control("config?json=" + PercentEncoded(json) + "&status=" + std::to_string(status));
}

void RestServerFixture::SetReportReply(const std::string& json, int status)
{
    m_server->control("report?json=" + PercentEncoded(json) + "&status=" + std::to_string(status));
}

void RestServerFixture::StallConfig() { m_server->control("config?fault=stall"); }
void RestServerFixture::StallReports() { m_server->control("report?fault=stall"); }

void RestServerFixture::Reset()
{
    m_server->control("config");
    m_server->control("report");
    m_server->control("reset");
}

bool RestServerFixture::WaitForRequests(size_t count) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (Requests().size() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string RestServerFixture::LogText()
{
    ShutdownLogger();
    const std::string text = ReadWholeFile(m_logFolder.Path() + L"VexaOnlineInstaller.log");
    InitLogger();
    return text;
}

void RestServerFixture::SetRestTimeoutMs(int milliseconds)
{
    SetEnvironment("TOLVAN_TEST_REST_TIMEOUT_MS", milliseconds > 0 ? std::to_string(milliseconds) : "");
}
