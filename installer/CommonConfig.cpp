#include "CommonConfig.h"

#include "AppSettings.h"
#include "Logger.h"
#include "RestWork.h"
#include "ServerAddresses.h"
#include "StringConvert.h"

namespace RestfulClient {

namespace {

constexpr int kCodeSuccess = 1000;
constexpr const wchar_t* kConfigPath = L"/api/getCommonConfig";
constexpr const wchar_t* kAddressKeys[] = {L"HOST", L"BEHAVIOR_UPLOAD_URL"};

} // namespace

StringMap CommonConfigFromResult(const RestfulClientResult& result)
{
    StringMap addresses;
    if (result.state != kStateParsed || result.code != kCodeSuccess)
        return addresses;
    try {
        if (!result.data.has_field(L"box_set_url") || !result.data.at(L"box_set_url").is_object())
            return addresses;
        const web::json::value& box = result.data.at(L"box_set_url");
        for (const wchar_t* key : kAddressKeys) {
            if (box.has_field(key) && box.at(key).is_string())
                addresses[key] = box.at(key).as_string();
        }
    } catch (const std::exception& e) {
        LogError("AvaliableURLs parse json exception: {}", e.what());
    }
    return addresses;
}

pplx::task<StringMap> GetCommonConfig()
{
    WorkToken work = BeginWork();
    const std::wstring url = Utf8ToWide(ConfigServerUrl()) + kConfigPath;
    auto config = Request(web::http::methods::GET, url, {{L"key", L"box_set_url"}}, {}, web::json::value::null())
                      .then([](const ResultPtr& result) {
                          try {
                              return CommonConfigFromResult(*result);
                          } catch (...) {
                              // Nothing waits for this task: an exception left in it would end the process.
                              return StringMap{};
                          }
                      });
    return CountUntilDone(config, std::move(work));
}

} // namespace RestfulClient

bool OnCommonConfig(const pplx::task<RestfulClient::StringMap>& config)
{
    const RestfulClient::StringMap addresses = config.get();
    if (addresses.empty())
        return false;
    const auto found = addresses.find(L"BEHAVIOR_UPLOAD_URL");
    AppSettings::Instance()->SetUploadUrlLocked(found != addresses.end() ? found->second : std::wstring());
    return true;
}
