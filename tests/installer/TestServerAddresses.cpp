// The installer as the tests run it: the download server's address comes from the environment,
// since the loopback test server listens on a port chosen at run time.
#include "ServerAddresses.h"

#include <cstdlib>

std::string DownloadServerUrl()
{
    const char* url = std::getenv("TOLVAN_TEST_DOWNLOAD_URL");
    return url ? url : "http://127.0.0.1:9/";
}
