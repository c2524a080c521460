// The installer as the tests run it: the servers' addresses come from the environment, since the
// loopback test server listens on a port chosen at run time. The REST timeout may be shortened there
// so that a test of it stays quick.
#include "ServerAddresses.h"

#include <cstdlib>
#include <string>

namespace {

std::string FromEnvironment(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

} // namespace

std::string DownloadServerUrl() { return FromEnvironment("TOLVAN_TEST_DOWNLOAD_URL", "http://127.0.0.1:9/"); }
std::string ConfigServerUrl() { return FromEnvironment("TOLVAN_TEST_CONFIG_URL", "http://127.0.0.1:9"); }
std::string ReportServerUrl() { return FromEnvironment("TOLVAN_TEST_REPORT_URL", "http://127.0.0.1:9"); }

std::chrono::milliseconds RestRequestTimeout()
{
    const std::string value = FromEnvironment("TOLVAN_TEST_REST_TIMEOUT_MS", "");
    if (value.empty())
        return std::chrono::seconds(10);
    return std::chrono::milliseconds(std::strtol(value.c_str(), nullptr, 10));
}
