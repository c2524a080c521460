#include "CurlSetup.h"

#include "Options.h"

namespace slicedl {

bool ApplyCommonOptions(CURL* easy, const Options& options) {
  bool ok = true;
  auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(curl_easy_setopt(easy, CURLOPT_VERBOSE, 0L));
  set(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(easy, CURLOPT_URL, options.url.c_str()));
  set(curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "identity"));
  set(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L));
  set(curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L));
  set(curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L));
  set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L));
  set(curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(options.lowSpeedLimit)));
  set(curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options.lowSpeedTime)));
  return ok;
}

}  // namespace slicedl
