// The installer as the tests run it opens no browser: it appends the address to the file named by
// TOLVAN_TEST_BROWSER_RECORD, one line per call.
#include "BrowserLaunch.h"

#include "StringConvert.h"

#include <cstdlib>
#include <fstream>

bool OpenInBrowser(const std::wstring& url)
{
    const char* record = std::getenv("TOLVAN_TEST_BROWSER_RECORD");
    if (!record)
        return false;
    std::ofstream(record, std::ios::app | std::ios::binary) << WideToUtf8(url) << '\n';
    return true;
}
