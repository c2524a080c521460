#include "ServerAddresses.h"

// Set by the build (CMake cache options); the default build points at the local demo server.
std::string DownloadServerUrl() { return TOLVAN_DOWNLOAD_URL; }
