#include "RestfulClient.h"

#include "AppSettings.h"
#include "Logger.h"
#include "RestWork.h"
#include "ServerAddresses.h"
#include "StringConvert.h"

#include <cpprest/http_client.h>

#include <optional>

namespace RestfulClient {

namespace {

constexpr int kHttpOk = 200;

std::optional<int32_t> Int32Field(const web::json::value& reply, const wchar_t* name)
{
    if (!reply.has_field(name))
        return std::nullopt;
    const web::json::value& field = reply.at(name);
    // A number beyond 32 bits must not pass as a (truncated) success code.
    if (!field.is_integer() || !field.as_number().is_int32())
        return std::nullopt;
    return field.as_number().to_int32();
}

std::optional<std::wstring> StringField(const web::json::value& reply, const wchar_t* name)
{
    if (!reply.has_field(name) || !reply.at(name).is_string())
        return std::nullopt;
    return reply.at(name).as_string();
}

void ReadReply(const web::json::value& reply, RestfulClientResult& result)
{
    std::optional<int32_t> code = Int32Field(reply, L"status_code");
    if (!code)
        code = Int32Field(reply, L"code");
    if (!code)
        return;
    result.code = *code;
    if (auto message = StringField(reply, L"message"))
        result.message = *message;
    else if (auto msg = StringField(reply, L"msg"))
        result.message = *msg;
    if (reply.has_field(L"data"))
        result.data = reply.at(L"data");
    result.state = kStateParsed;
}

ResultPtr ReadJsonBody(const pplx::task<web::json::value>& extraction, const ResultPtr& result, const std::string& url)
{
    try {
        const web::json::value reply = extraction.get();
        if (reply.is_null()) {
            result->state = kStateBadReply;
            LogError("Restful request, extract_json failed, URL: {}", url);
            return result;
        }
        ReadReply(reply, *result);
    } catch (const pplx::task_canceled&) {
        throw; // shutdown: the whole chain ends as cancelled
    } catch (const std::exception& e) {
        result->state = kStateBadReply;
        LogError("Restful parse response exception: {}, URL: {}", e.what(), url);
    } catch (...) {
        result->state = kStateBadReply;
        LogError("Restful parse response exception: {}, URL: {}", "", url);
    }
    return result;
}

// The body of a reply whose headers have arrived is no longer covered by the request's cancellation
// token (WinHTTP keeps reading until its timeout), so the wait for it ends on cancellation by itself.
pplx::task<web::json::value> ExtractJsonUntilCancelled(web::http::http_response reply, const pplx::cancellation_token& token)
{
    pplx::task_completion_event<web::json::value> extracted;
    auto registration = std::make_shared<pplx::cancellation_token_registration>();
    if (token.is_cancelable()) {
        *registration = token.register_callback(
            [extracted] { extracted.set_exception(std::make_exception_ptr(pplx::task_canceled())); });
    }
    // The transfer itself may outlive the wait for it: counted until it has ended.
    reply.extract_json().then([extracted, token, registration, work = BeginWork()](pplx::task<web::json::value> extraction) {
        if (token.is_cancelable())
            token.deregister_callback(*registration);
        try {
            extracted.set(extraction.get());
        } catch (...) {
            extracted.set_exception(std::current_exception());
        }
    });
    return pplx::create_task(extracted);
}

} // namespace

bool IsHttpUrl(const std::wstring& url)
{
    return url.compare(0, 7, L"http://") == 0 || url.compare(0, 8, L"https://") == 0;
}

std::wstring AppendQuery(const std::wstring& url, const StringMap& query)
{
    std::wstring full = url;
    wchar_t separator = L'?';
    for (const auto& [key, value] : query) {
        full += separator;
        full += key + L"=" + value;
        separator = L'&';
    }
    return full;
}

pplx::task<ResultPtr> Request(const web::http::method& method, const std::wstring& url, const StringMap& query,
                              const StringMap& headers, const web::json::value& body)
{
    auto result = std::make_shared<RestfulClientResult>();
    if (!IsHttpUrl(url)) {
        LogError("Restful request failed with invalid URL: {}", WideToUtf8(url));
        result->state = kStateInvalidUrl;
        return pplx::task_from_result(result);
    }
    WorkToken work = BeginWork();
    try {
        web::http::client::http_client_config config;
        config.set_timeout(RestRequestTimeout());
        // Server certificates stay validated (the library's default): the configuration reply decides
        // where the machine's id is sent, so an unchecked TLS peer could redirect every report.
        auto client = std::make_shared<web::http::client::http_client>(web::uri(AppendQuery(url, query)), config);

        web::http::http_request request(method);
        for (const auto& [name, value] : headers)
            request.headers().add(name, value);
        if (!body.is_null())
            request.set_body(WideToUtf8(body.serialize()), "application/json");

        const pplx::cancellation_token token = AppSettings::Instance()->CancellationSource().get_token();
        auto parsed = client->request(request, token).then([client, result, url](pplx::task<web::http::http_response> response) {
            return ParseResponse(response, result, url);
        });
        return CountUntilDone(parsed, std::move(work));
    } catch (const std::exception& e) {
        LogError("Restful request exception: {}, URL: {}, body: {}", e.what(), WideToUtf8(url),
                 WideToUtf8(body.serialize()));
    } catch (...) {
        LogError("Restful request exception: {}, URL: {}, body: {}", "", WideToUtf8(url), WideToUtf8(body.serialize()));
    }
    result->state = kStateRequestFailed;
    return pplx::task_from_result(result);
}

pplx::task<ResultPtr> ParseResponse(const pplx::task<web::http::http_response>& response, const ResultPtr& result,
                                    const std::wstring& url)
{
    const std::string url8 = WideToUtf8(url);
    web::http::http_response reply;
    if (!response.is_done()) {
        result->state = kStateHttpFailed;
        LogError("Restful api request failed, URL: {}", url8);
    } else {
        try {
            reply = response.get();
            if (reply.status_code() != kHttpOk) {
                result->state = kStateHttpFailed;
                LogError("Restful api request failed, {}, URL: {}", static_cast<long long>(reply.status_code()), url8);
            }
        } catch (const std::exception& e) {
            LogError("Restful exception: {}, URL: {}", e.what(), url8);
            result->state = kStateHttpFailed;
        } catch (...) {
            LogError("Restful exception: {}, URL: {}", "", url8);
            result->state = kStateHttpFailed;
        }
    }
    if (result->state != kStateNew)
        return pplx::task_from_result(result);

    try {
        const pplx::cancellation_token token = AppSettings::Instance()->CancellationSource().get_token();
        return ExtractJsonUntilCancelled(reply, token).then([result, url8](pplx::task<web::json::value> extraction) {
            return ReadJsonBody(extraction, result, url8);
        });
    } catch (const std::exception& e) {
        LogError("Restful parse response exception: {}, URL: {}", e.what(), url8);
    } catch (...) {
        LogError("Restful parse response exception: {}, URL: {}", "", url8);
    }
    result->state = kStateBadReply;
    return pplx::task_from_result(result);
}

} // namespace RestfulClient
