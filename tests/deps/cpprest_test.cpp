#include <cpprest/http_client.h>
#include <cpprest/json.h>
#include <cpprest/uri_builder.h>
#include <gtest/gtest.h>
#include <pplx/pplxtasks.h>

#include <string>

#include "LoopbackReplyServer.h"

TEST(CpprestStaticBuild, ParsesJsonWithWideStrings) {
  const web::json::value record = web::json::value::parse(LR"({"name": "\u76ae\u80a4", "sizes": [1, 2, 3]})");
  EXPECT_EQ(record.at(L"name").as_string(), L"\u76ae\u80a4");
  EXPECT_EQ(record.at(L"sizes").as_array().size(), 3u);
  EXPECT_EQ(record.at(L"sizes").at(2).as_integer(), 3);
  EXPECT_THROW(web::json::value::parse(L"{\"open\": "), web::json::json_exception);
}

TEST(CpprestStaticBuild, BuildsUrisWithEncodedQueries) {
  web::uri_builder builder(L"http://127.0.0.1:8080/api");
  builder.append_path(L"report").append_query(L"user", L"a b&c");
  const web::uri uri = builder.to_uri();
  EXPECT_EQ(uri.to_string(), L"http://127.0.0.1:8080/api/report?user=a%20b%26c");
  EXPECT_EQ(uri.port(), 8080);
}

TEST(CpprestStaticBuild, ChainsTasksOnTheWindowsScheduler) {
  const int result = pplx::create_task([] { return 21; }).then([](int value) { return value * 2; }).get();
  EXPECT_EQ(result, 42);
}

TEST(CpprestStaticBuild, GetsJsonOverWinHttpFromLoopback) {
  const std::string body = R"({"version": 7})";
  LoopbackReplyServer server("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  const std::string url = server.url("/config");
  web::http::client::http_client client(utility::conversions::to_string_t(url));
  const web::http::http_response response = client.request(web::http::methods::GET).get();
  EXPECT_EQ(response.status_code(), 200);
  EXPECT_EQ(response.extract_json().get().at(L"version").as_integer(), 7);
}
