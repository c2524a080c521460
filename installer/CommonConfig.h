#pragma once

#include "RestfulClient.h"

namespace RestfulClient {

// Asks the configuration server for its address map ("HOST", "BEHAVIOR_UPLOAD_URL"). The map is
// empty when the request failed or the reply was not code 1000; the task fails only by cancellation.
pplx::task<StringMap> GetCommonConfig();

// The address map of one configuration reply (state 5 and code 1000), else an empty map.
StringMap CommonConfigFromResult(const RestfulClientResult& result);

} // namespace RestfulClient

// Continuation of the configuration request: stores the reply's "BEHAVIOR_UPLOAD_URL" (empty when the
// reply has none) as the behaviour-report address. True when it stored one, false for an empty map.
// A cancelled request raises pplx::task_canceled, which cancels the continuation.
bool OnCommonConfig(const pplx::task<RestfulClient::StringMap>& config);
