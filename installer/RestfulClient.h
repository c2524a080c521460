#pragma once

#include <cpprest/http_msg.h>
#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// One JSON-over-HTTP request at a time, asynchronously; every failure ends as a result state, never
// as an exception to the caller. The returned task fails only by cancellation (shutdown).
namespace RestfulClient {

enum RestfulState : int32_t {
    kStateNew = 0,           // also: a JSON reply without an integer "status_code" or "code"
    kStateInvalidUrl = 1,    // not "http://" or "https://"
    kStateRequestFailed = 2, // the request could not be built or sent
    kStateHttpFailed = 3,    // transport failure, cancellation or an HTTP status other than 200
    kStateBadReply = 4,      // the body is not JSON, or reading it failed
    kStateParsed = 5,        // code, and message and data when present, are filled
};

struct RestfulClientResult {
    int32_t state = kStateNew;
    int32_t code = -1;         // "status_code", else "code"
    std::wstring message;      // "message", else "msg"
    web::json::value data;     // "data", null when absent
};

using ResultPtr = std::shared_ptr<RestfulClientResult>;
using StringMap = std::map<std::wstring, std::wstring>;

pplx::task<ResultPtr> Request(const web::http::method& method, const std::wstring& url, const StringMap& query,
                              const StringMap& headers, const web::json::value& body);

bool IsHttpUrl(const std::wstring& url);

// url?key=value&key=value in key order; keys and values are taken as they are (no percent-encoding).
std::wstring AppendQuery(const std::wstring& url, const StringMap& query);

// Fills `result` from the reply; the continuation of Request.
pplx::task<ResultPtr> ParseResponse(const pplx::task<web::http::http_response>& response, const ResultPtr& result,
                                    const std::wstring& url);

} // namespace RestfulClient
