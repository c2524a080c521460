#include "BehaviorReport.h"

#include "AppSettings.h"
#include "Logger.h"
#include "MacAddress.h"
#include "RestWork.h"
#include "RestfulClient.h"
#include "ServerAddresses.h"
#include "StringConvert.h"

namespace RestfulClient {

namespace {

constexpr int kCodeSuccess = 1000;
constexpr int kClientType = 10;
constexpr const wchar_t* kReportPath = L"/api/clientInfo";

// Looked up once per process. A plain number: reports still running while the process ends never
// read a destroyed object.
uint64_t ClientId()
{
    static const uint64_t id = GetMacClientId();
    return id;
}

std::wstring ReportUrl()
{
    std::wstring url = AppSettings::Instance()->GetUploadUrlLocked();
    if (url.empty())
        url = Utf8ToWide(ReportServerUrl()) + kReportPath;
    return url;
}

} // namespace

web::json::value BehaviorBody(const std::wstring& channel, uint64_t clientId, int action, const web::json::value& data)
{
    web::json::value body = web::json::value::object();
    body[L"channel"] = web::json::value::string(channel);
    body[L"cuid"] = web::json::value::string(std::to_wstring(clientId));
    body[L"action"] = web::json::value::string(std::to_wstring(action));
    body[L"ctype"] = web::json::value::number(kClientType);
    if (!data.is_null())
        body[L"data"] = web::json::value::string(data.serialize());
    return body;
}

pplx::task<void> UploadBehavior(int action, const web::json::value& data)
{
    try {
        WorkToken work = BeginWork();
        const web::json::value body = BehaviorBody(AppSettings::Instance()->GetChannel(), ClientId(), action, data);
        const std::string bodyText = WideToUtf8(body.serialize());
        auto logged =
            Request(web::http::methods::POST, ReportUrl(), {}, {{L"Content-Type", L"application/json"}}, body)
            .then([bodyText](pplx::task<ResultPtr> outcome) {
                bool succeeded = false;
                try {
                    const ResultPtr result = outcome.get();
                    succeeded = result->state == kStateParsed && result->code == kCodeSuccess;
                } catch (...) {
                    // Cancelled at shutdown: a failed report like any other.
                }
                if (succeeded)
                    LogInfo("Upload behavior success: {}", bodyText);
                else
                    LogError("Upload behavior failed: {}", bodyText);
            });
        return CountUntilDone(logged, std::move(work));
    } catch (const std::exception& e) {
        LogError("Upload behavior failed: {}", e.what());
    }
    return pplx::task_from_result();
}

} // namespace RestfulClient
