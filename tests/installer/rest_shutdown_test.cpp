// Shutdown: cancelling the settings' source ends every REST request still in flight and keeps later
// ones off the network. The cancellation is for the whole process, so it has a program of its own
// (rest_shutdown_test.exe: channel "shutdown").
#include "AppSettings.h"
#include "BehaviorReport.h"
#include "CommonConfig.h"
#include "RestTestSupport.h"
#include "RestWork.h"
#include "RestfulClient.h"

#include <gtest/gtest.h>

namespace {

using namespace RestfulClient;

constexpr int kTimeoutOnlyCancellationBeats = 600000;

class RestShutdownTest : public ::testing::Test {
protected:
    RestShutdownTest() { RestServerFixture::SetRestTimeoutMs(kTimeoutOnlyCancellationBeats); }

    RestServerFixture m_fixture;
};

// Before any cancelling: the shutdown's wait covers a report until its outcome is logged, and a
// report the server holds keeps it waiting.
TEST_F(RestShutdownTest, TheShutdownWaitLastsUntilEveryReportIsLogged)
{
    UploadBehavior(kActionInstallStarted, web::json::value::null());
    ASSERT_TRUE(WaitForWorkToEnd(std::chrono::seconds(60)));
    EXPECT_NE(m_fixture.LogText().find("Upload behavior success: {\"action\":\"2\""), std::string::npos);

    m_fixture.StallReports();
    UploadBehavior(kActionInstallStarted, web::json::value::null());
    ASSERT_TRUE(m_fixture.WaitForRequests(2));
    EXPECT_FALSE(WaitForWorkToEnd(std::chrono::milliseconds(300)));
}

TEST_F(RestShutdownTest, CancellingEndsRequestsWaitingForTheServer)
{
    m_fixture.StallConfig();
    m_fixture.StallReports();
    pplx::task<ResultPtr> request =
        Request(web::http::methods::GET, m_fixture.BaseUrl() + L"/api/getCommonConfig", {}, {}, web::json::value::null());
    pplx::task<bool> config = GetCommonConfig().then(OnCommonConfig);
    pplx::task<void> report = UploadBehavior(kActionDownloadStopped, web::json::value::null());
    ASSERT_TRUE(m_fixture.WaitForRequests(3));

    AppSettings::Instance()->CancellationSource().cancel();

    // Each ends at once by cancellation (the timeout is far away); the report logs its failure.
    EXPECT_EQ(request.wait(), pplx::canceled);
    EXPECT_EQ(config.wait(), pplx::canceled);
    report.wait();
    EXPECT_EQ(AppSettings::Instance()->GetUploadUrlLocked(), L"");
    EXPECT_NE(m_fixture.LogText().find("Upload behavior failed: {\"action\":\"6\""), std::string::npos);
}

TEST_F(RestShutdownTest, RequestsAfterCancellingStayOffTheNetwork)
{
    AppSettings::Instance()->CancellationSource().cancel();

    const ResultPtr result =
        Request(web::http::methods::GET, m_fixture.BaseUrl() + L"/api/getCommonConfig", {}, {}, web::json::value::null())
            .get();
    EXPECT_EQ(result->state, kStateHttpFailed);
    pplx::task<bool> config = GetCommonConfig().then(OnCommonConfig);
    if (config.wait() == pplx::completed) {
        EXPECT_FALSE(config.get());
    }
    UploadBehavior(kActionSetupStarted, web::json::value::null()).wait();

    EXPECT_TRUE(m_fixture.Requests().empty());
    EXPECT_NE(m_fixture.LogText().find("Upload behavior failed: {\"action\":\"8\""), std::string::npos);
}

} // namespace
