#pragma once

#include <cstdint>
#include <string>

// Where a channel's client setup is fetched from and the name it is saved under (without ".exe").
struct DownloadLocation {
    std::wstring url;
    std::wstring fileName;
};

// `serverUrl` is the download server's root ("http://host/"). Channel "front" (exact case) asks for
// "?f=aide", any other for "?f=<channel>_aide"; a sub-channel of 1 or more joins the file name with "-".
DownloadLocation BuildDownloadLocation(const std::wstring& serverUrl, const std::wstring& channel, int subChannel);

// Whole percent of a download, 100 only when complete; -1 when the counts say nothing yet.
int DownloadPercent(int64_t total, int64_t downloaded);
