#pragma once

#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <string>

namespace RestfulClient {

// Behaviour-report actions.
enum BehaviorAction : int {
    kActionMainWindowShown = 1,
    kActionInstallStarted = 2,
    kActionMainWindowClosed = 3,
    kActionDownloadSucceeded = 4,
    kActionDownloadFailed = 5,
    kActionDownloadStopped = 6,
    kActionSetupNotStarted = 7,
    kActionSetupStarted = 8,
};

// Sends one behaviour report and returns at once; the outcome is only logged. The task completes once
// that log line is written (callers need not keep it).
pplx::task<void> UploadBehavior(int action, const web::json::value& data);

// The report's JSON body: "channel", "cuid", "action" (decimal text), "ctype" 10, and "data" holding
// the serialised extra value when it is not null.
web::json::value BehaviorBody(const std::wstring& channel, uint64_t clientId, int action, const web::json::value& data);

} // namespace RestfulClient
