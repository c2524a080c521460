#pragma once

#include <string>

// Base URL of the download server ("http://host/"); the query selects the file.
std::string DownloadServerUrl();
