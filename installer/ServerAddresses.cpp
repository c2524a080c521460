#include "ServerAddresses.h"

// Set by the build (CMake cache options); the default build points at the local demo server.
std::string DownloadServerUrl() { return TOLVAN_DOWNLOAD_URL; }
std::string ConfigServerUrl() { return TOLVAN_CONFIG_URL; }
std::string ReportServerUrl() { return TOLVAN_REPORT_URL; }

std::chrono::milliseconds RestRequestTimeout() { return std::chrono::seconds(10); }
