#pragma once

#include <curl/curl.h>

namespace slicedl {

struct Options;

// Settings every request of the engine shares: certificate and host-name checks on (the file is
// started elevated), the file's own bytes asked for (no content coding: a range of a compressed body
// is not a range of the file), at most 10 redirects and only to HTTP/HTTPS, no signals, the low-speed
// abort.
// False when libcurl refused one of them.
bool ApplyCommonOptions(CURL* easy, const Options& options);

}  // namespace slicedl
