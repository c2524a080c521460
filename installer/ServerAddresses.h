#pragma once

#include <chrono>
#include <string>

// Base URL of the download server ("http://host/"); the query selects the file.
std::string DownloadServerUrl();

// Base URL of the configuration server ("http://host[:port]"); the request adds its path.
std::string ConfigServerUrl();

// Base URL of the behaviour-report server, used until the configuration names another address.
std::string ReportServerUrl();

// How long one REST request (configuration or report) may take.
std::chrono::milliseconds RestRequestTimeout();
