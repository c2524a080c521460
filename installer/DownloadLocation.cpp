#include "DownloadLocation.h"

DownloadLocation BuildDownloadLocation(const std::wstring& serverUrl, const std::wstring& channel, int subChannel)
{
    DownloadLocation location;
    location.url = serverUrl + (channel == L"front" ? L"?f=aide" : L"?f=" + channel + L"_aide");
    location.fileName = L"VexaGameFull_" + channel;
    if (subChannel >= 1)
        location.fileName += L"-" + std::to_wstring(subChannel);
    location.fileName += L"_newest";
    return location;
}

int DownloadPercent(int64_t total, int64_t downloaded)
{
    if (total <= 0 || downloaded <= 0)
        return -1;
    if (downloaded >= total)
        return 100;
    // Whole numbers: a float quotient rounds a nearly finished large file up to 100.
    return static_cast<int>(downloaded * 100 / total);
}
