// The REST client against the loopback test server, over WinHTTP. The test program's name,
// rest_client_test.exe, makes its channel "client".
#include "AppSettings.h"
#include "BehaviorReport.h"
#include "ClientId.h"
#include "CommonConfig.h"
#include "MacAddress.h"
#include "RestTestSupport.h"
#include "RestfulClient.h"
#include "StringConvert.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using namespace RestfulClient;

// One loopback server for the whole program; every test starts from its default replies.
class RestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_fixture = new RestServerFixture(); }
    static void TearDownTestSuite()
    {
        delete s_fixture;
        s_fixture = nullptr;
    }
    void SetUp() override
    {
        Fixture().Reset();
        AppSettings::Instance()->SetUploadUrlLocked(L"");
    }
    void TearDown() override { RestServerFixture::SetRestTimeoutMs(0); }

    static RestServerFixture& Fixture() { return *s_fixture; }
    static std::wstring Url(const std::wstring& path) { return Fixture().BaseUrl() + path; }

    static ResultPtr GetConfig(const std::string& replyJson, int status = 200)
    {
        Fixture().SetConfigReply(replyJson, status);
        return Request(web::http::methods::GET, Url(L"/api/getCommonConfig"), {}, {}, web::json::value::null()).get();
    }

    static StringMap FetchConfig() { return GetCommonConfig().get(); }

private:
    static RestServerFixture* s_fixture;
};

RestServerFixture* RestTest::s_fixture = nullptr;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// --- the client: URLs and queries ------------------------------------------------------------------

TEST(RestfulClientUrlTest, AcceptsOnlyHttpAndHttpsCaseSensitively)
{
    EXPECT_TRUE(IsHttpUrl(L"http://127.0.0.1/api"));
    EXPECT_TRUE(IsHttpUrl(L"https://example.test/"));
    EXPECT_FALSE(IsHttpUrl(L"ftp://example.test/"));
    EXPECT_FALSE(IsHttpUrl(L"HTTP://example.test/"));
    EXPECT_FALSE(IsHttpUrl(L"http:/example.test/"));
    EXPECT_FALSE(IsHttpUrl(L""));
}

TEST(RestfulClientUrlTest, AppendsTheQueryInKeyOrderWithoutEncoding)
{
    EXPECT_EQ(AppendQuery(L"http://h/api", {{L"b", L"2"}, {L"a", L"1"}}), L"http://h/api?a=1&b=2");
    EXPECT_EQ(AppendQuery(L"http://h/api", {}), L"http://h/api");
    EXPECT_EQ(AppendQuery(L"http://h/api", {{L"key", L"box_set_url"}}), L"http://h/api?key=box_set_url");
}

TEST_F(RestTest, NonHttpUrlFailsAtOnceWithoutTraffic)
{
    const ResultPtr result =
        Request(web::http::methods::GET, L"ftp://127.0.0.1/api/getCommonConfig", {}, {}, web::json::value::null()).get();
    EXPECT_EQ(result->state, kStateInvalidUrl);
    EXPECT_EQ(result->code, -1);
    EXPECT_TRUE(Fixture().Requests().empty());
    EXPECT_TRUE(Contains(Fixture().LogText(), "Restful request failed with invalid URL: ftp://127.0.0.1/api/getCommonConfig"));
}

TEST_F(RestTest, MalformedUrlFailsTheRequestWithoutTraffic)
{
    const ResultPtr result =
        Request(web::http::methods::GET, L"http://127.0.0.1:80 80/x y", {{L"k", L"a b"}}, {}, web::json::value::null()).get();
    EXPECT_EQ(result->state, kStateRequestFailed);
    EXPECT_TRUE(Fixture().Requests().empty());
    EXPECT_TRUE(Contains(Fixture().LogText(), "Restful request exception: "));
}

// --- the client: replies ----------------------------------------------------------------------------

TEST_F(RestTest, ReadsCodeMessageAndData)
{
    const ResultPtr result = GetConfig(R"({"code": 1000, "msg": "ok", "data": {}})");
    EXPECT_EQ(result->state, kStateParsed);
    EXPECT_EQ(result->code, 1000);
    EXPECT_EQ(result->message, L"ok");
    EXPECT_TRUE(result->data.is_object());
}

TEST_F(RestTest, PrefersStatusCodeAndMessageOverCodeAndMsg)
{
    const ResultPtr result =
        GetConfig(R"({"status_code": 7, "code": 1000, "message": "first", "msg": "second", "data": [1, 2]})");
    EXPECT_EQ(result->state, kStateParsed);
    EXPECT_EQ(result->code, 7);
    EXPECT_EQ(result->message, L"first");
    EXPECT_EQ(result->data.size(), 2u);
}

TEST_F(RestTest, FallsBackToCodeAndMsgWhenTheFirstChoicesAreNotUsable)
{
    const ResultPtr result = GetConfig(R"({"status_code": "7", "code": 1001, "message": 3, "msg": "second"})");
    EXPECT_EQ(result->state, kStateParsed);
    EXPECT_EQ(result->code, 1001);
    EXPECT_EQ(result->message, L"second");
    EXPECT_TRUE(result->data.is_null());
}

TEST_F(RestTest, ReplyWithoutIntegerCodeStaysNew)
{
    EXPECT_EQ(GetConfig(R"({"status_code": "1000"})")->state, kStateNew);
    EXPECT_EQ(GetConfig(R"({"code": 1000.5})")->state, kStateNew);
    EXPECT_EQ(GetConfig(R"([1000])")->state, kStateNew);
    // Beyond 32 bits: not taken for 1000 after truncation.
    const ResultPtr wide = GetConfig(R"({"code": 4294968296})");
    EXPECT_EQ(wide->state, kStateNew);
    EXPECT_EQ(wide->code, -1);
}

TEST_F(RestTest, HttpErrorStatusFailsTheRequestAndIsLogged)
{
    const ResultPtr result = GetConfig(R"({"code": 1000})", 500);
    EXPECT_EQ(result->state, kStateHttpFailed);
    EXPECT_EQ(result->code, -1);
    EXPECT_TRUE(Contains(Fixture().LogText(), "Restful api request failed, 500, URL: " + WideToUtf8(Url(L"/api/getCommonConfig"))));
}

TEST_F(RestTest, BodyThatIsNotJsonIsABadReply)
{
    EXPECT_EQ(GetConfig("this is not json")->state, kStateBadReply);
    EXPECT_EQ(GetConfig(R"({"code": 1000,)")->state, kStateBadReply);
    EXPECT_TRUE(Contains(Fixture().LogText(), "Restful parse response exception: "));
}

TEST_F(RestTest, UnreachableServerIsATransportFailure)
{
    const ResultPtr result =
        Request(web::http::methods::GET, L"http://127.0.0.1:9/api/getCommonConfig", {}, {}, web::json::value::null()).get();
    EXPECT_EQ(result->state, kStateHttpFailed);
    EXPECT_TRUE(Contains(Fixture().LogText(), "Restful exception: "));
}

TEST_F(RestTest, StalledReplyEndsAtTheTimeout)
{
    RestServerFixture::SetRestTimeoutMs(1500);
    Fixture().StallConfig();
    const ResultPtr result =
        Request(web::http::methods::GET, Url(L"/api/getCommonConfig"), {}, {}, web::json::value::null()).get();
    EXPECT_TRUE(result->state == kStateHttpFailed || result->state == kStateBadReply) << result->state;
    EXPECT_EQ(result->code, -1);
}

TEST_F(RestTest, SendsQueryHeadersAndJsonBody)
{
    web::json::value body = web::json::value::object();
    body[L"name"] = web::json::value::string(L"\u6e38\u620f");
    const ResultPtr result = Request(web::http::methods::POST, Url(L"/api/clientInfo"), {{L"b", L"2"}, {L"a", L"1"}},
                                     {{L"Content-Type", L"application/json"}, {L"X-Trace", L"t1"}}, body)
                                 .get();
    EXPECT_EQ(result->state, kStateParsed);
    EXPECT_EQ(result->code, 1000);

    const nlohmann::json requests = Fixture().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(requests[0]["query"], "a=1&b=2");
    const nlohmann::json posts = Fixture().Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0]["headers"]["Content-Type"], "application/json");
    EXPECT_EQ(posts[0]["headers"]["X-Trace"], "t1");
    EXPECT_EQ(posts[0]["body"]["name"], "\xE6\xB8\xB8\xE6\x88\x8F");
}

// --- configuration fetch ----------------------------------------------------------------------------

TEST_F(RestTest, ConfigurationNamesTheServersAddresses)
{
    const StringMap config = FetchConfig();
    EXPECT_EQ(config.size(), 2u);
    EXPECT_EQ(config.at(L"HOST"), Fixture().BaseUrl());
    EXPECT_EQ(config.at(L"BEHAVIOR_UPLOAD_URL"), Url(L"/api/clientInfo"));

    const nlohmann::json requests = Fixture().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "GET");
    EXPECT_EQ(requests[0]["path"], "/api/getCommonConfig");
    EXPECT_EQ(requests[0]["query"], "key=box_set_url");
}

TEST_F(RestTest, ConfigurationTakesOnlyStringAddresses)
{
    Fixture().SetConfigReply(
        R"({"status_code": 1000, "data": {"box_set_url": {"HOST": 5, "BEHAVIOR_UPLOAD_URL": "http://r/x", "OTHER": "y"}}})");
    EXPECT_EQ(FetchConfig(), (StringMap{{L"BEHAVIOR_UPLOAD_URL", L"http://r/x"}}));
    Fixture().SetConfigReply(R"({"code": 1000, "data": {"box_set_url": "http://r/x"}})");
    EXPECT_TRUE(FetchConfig().empty());
    Fixture().SetConfigReply(R"({"code": 1000, "data": "box_set_url"})");
    EXPECT_TRUE(FetchConfig().empty());
    Fixture().SetConfigReply(R"({"code": 1000})");
    EXPECT_TRUE(FetchConfig().empty());
}

TEST_F(RestTest, FailedConfigurationGivesAnEmptyMapAndKeepsTheAddress)
{
    const std::string good = R"({"code": 1000, "data": {"box_set_url": {"BEHAVIOR_UPLOAD_URL": "http://r/x"}}})";
    Fixture().SetConfigReply(R"({"code": 1001, "data": {"box_set_url": {"BEHAVIOR_UPLOAD_URL": "http://r/x"}}})");
    EXPECT_FALSE(GetCommonConfig().then(OnCommonConfig).get());
    Fixture().SetConfigReply(good, 500);
    EXPECT_FALSE(GetCommonConfig().then(OnCommonConfig).get());
    Fixture().SetConfigReply("{\"code\": 1000, \"data\": ");
    EXPECT_FALSE(GetCommonConfig().then(OnCommonConfig).get());
    EXPECT_EQ(AppSettings::Instance()->GetUploadUrlLocked(), L"");

    Fixture().SetConfigReply(good);
    EXPECT_TRUE(GetCommonConfig().then(OnCommonConfig).get());
    EXPECT_EQ(AppSettings::Instance()->GetUploadUrlLocked(), L"http://r/x");
}

TEST_F(RestTest, StalledConfigurationEndsEmptyAtTheTimeout)
{
    RestServerFixture::SetRestTimeoutMs(1500);
    Fixture().StallConfig();
    EXPECT_TRUE(FetchConfig().empty());
}

// --- behaviour reports ------------------------------------------------------------------------------

TEST_F(RestTest, ReportCarriesChannelClientIdActionAndType)
{
    UploadBehavior(kActionInstallStarted, web::json::value::null()).wait();

    const nlohmann::json posts = Fixture().Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0]["path"], "/api/clientInfo");
    EXPECT_EQ(posts[0]["headers"]["Content-Type"], "application/json");
    const nlohmann::json body = posts[0]["body"];
    EXPECT_EQ(body, (nlohmann::json{{"channel", "client"},
                                    {"cuid", std::to_string(GetMacClientId())},
                                    {"action", "2"},
                                    {"ctype", 10}}));
    EXPECT_TRUE(Contains(Fixture().LogText(), "Upload behavior success: {"));
}

TEST_F(RestTest, ReportCarriesExtraDataAsSerialisedText)
{
    web::json::value extra = web::json::value::object();
    extra[L"reason"] = web::json::value::number(12);
    UploadBehavior(kActionDownloadStopped, extra).wait();

    const nlohmann::json posts = Fixture().Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0]["body"]["action"], "6");
    ASSERT_TRUE(posts[0]["body"]["data"].is_string());
    EXPECT_EQ(nlohmann::json::parse(posts[0]["body"]["data"].get<std::string>()), (nlohmann::json{{"reason", 12}}));
}

TEST_F(RestTest, ReportsGoToTheConfiguredAddressOnceItArrives)
{
    TestServer configured;
    Fixture().SetConfigReply(R"({"code": 1000, "data": {"box_set_url": {"BEHAVIOR_UPLOAD_URL": ")" +
                             configured.url("/api/clientInfo") + R"("}}})");

    UploadBehavior(kActionMainWindowShown, web::json::value::null()).wait();
    ASSERT_TRUE(GetCommonConfig().then(OnCommonConfig).get());
    UploadBehavior(kActionMainWindowClosed, web::json::value::null()).wait();

    const nlohmann::json before = Fixture().Posts();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0]["body"]["action"], "1");
    const nlohmann::json after = configured.control("posts");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0]["body"]["action"], "3");
}

TEST_F(RestTest, RejectedReportIsLoggedAsFailed)
{
    Fixture().SetReportReply(R"({"code": 1001})");
    UploadBehavior(kActionDownloadFailed, web::json::value::null()).wait();
    Fixture().SetReportReply(R"({"code": 1000})", 500);
    UploadBehavior(kActionSetupNotStarted, web::json::value::null()).wait();

    const std::string log = Fixture().LogText();
    EXPECT_TRUE(Contains(log, R"(Upload behavior failed: {"action":"5")")) << log;
    EXPECT_TRUE(Contains(log, R"(Upload behavior failed: {"action":"7")")) << log;
    EXPECT_EQ(Fixture().Posts().size(), 2u);
}

TEST_F(RestTest, ReportsFromManyThreadsAllArrive)
{
    constexpr int kThreads = 4;
    constexpr int kReportsPerThread = 5;
    std::vector<std::thread> threads;
    std::vector<pplx::task<void>> reports(kThreads * kReportsPerThread);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &reports] {
            for (int i = 0; i < kReportsPerThread; ++i)
                reports[t * kReportsPerThread + i] = UploadBehavior(kActionSetupStarted, web::json::value::null());
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (pplx::task<void>& report : reports)
        report.wait();

    const nlohmann::json posts = Fixture().Posts();
    ASSERT_EQ(posts.size(), static_cast<size_t>(kThreads * kReportsPerThread));
    for (const nlohmann::json& post : posts) {
        EXPECT_EQ(post["body"]["action"], "8");
        EXPECT_EQ(post["body"]["cuid"], std::to_string(GetMacClientId()));
    }
}

// --- settings and machine identifier under Windows ----------------------------------------------------

TEST(AppSettingsTest, ChannelComesFromTheProgramsOwnName)
{
    EXPECT_EQ(AppSettings::Instance(), AppSettings::Instance());
    EXPECT_EQ(AppSettings::Instance()->GetChannel(), L"client");
    EXPECT_EQ(AppSettings::Instance()->GetSubChannel(), 0);
}

TEST(MacAddressTest, AddressIsSixUpperCaseOctetsOrNothing)
{
    const std::string address = GetMacAddress();
    if (!address.empty()) {
        ASSERT_EQ(address.size(), 17u) << address;
        for (size_t i = 0; i < address.size(); ++i) {
            const char c = address[i];
            if (i % 3 == 2)
                EXPECT_EQ(c, '-') << address;
            else
                EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << address;
        }
    }
    EXPECT_EQ(GetMacClientId(), MacClientIdFromAddress(address));
}

} // namespace
