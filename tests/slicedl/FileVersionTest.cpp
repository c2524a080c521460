#include <gtest/gtest.h>

#include "FileVersion.h"

using namespace slicedl;

namespace {

std::string VersionOf(std::initializer_list<const char*> lines) {
  FileVersion version;
  for (const char* line : lines) version.addHeaderLine(line);
  return version.text();
}

}  // namespace

TEST(FileVersion, StrongTagFirstThenModificationTime) {
  EXPECT_EQ(VersionOf({"HTTP/1.1 200 OK\r\n", "Last-Modified: Fri, 02 Jan 1970 00:00:00 GMT\r\n",
                       "etag: \"5-a\"\r\n"}),
            "etag \"5-a\"");
  EXPECT_EQ(VersionOf({"HTTP/1.1 200 OK\r\n", "ETag: W/\"5-a\"\r\n",
                       "LAST-MODIFIED:  Fri, 02 Jan 1970 00:00:00 GMT \r\n"}),
            "modified Fri, 02 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(VersionOf({"HTTP/1.1 200 OK\r\n", "ETagged: \"x\"\r\n", "Content-Length: 5\r\n", "\r\n"}), "");
}

TEST(FileVersion, OnlyTheLastReplyOfARedirectCounts) {
  EXPECT_EQ(VersionOf({"HTTP/1.1 302 Found\r\n", "ETag: \"hop\"\r\n", "Location: /b\r\n", "\r\n",
                       "HTTP/1.1 200 OK\r\n", "Content-Length: 5\r\n", "\r\n"}),
            "");
}

TEST(FileVersion, DifferOnlyWhenBothAreKnown) {
  EXPECT_TRUE(FileVersionsDiffer("etag \"1\"", "etag \"2\""));
  EXPECT_TRUE(FileVersionsDiffer("etag \"1\"", "modified Fri, 02 Jan 1970 00:00:00 GMT"));
  EXPECT_FALSE(FileVersionsDiffer("etag \"1\"", "etag \"1\""));
  EXPECT_FALSE(FileVersionsDiffer("", "etag \"1\""));
  EXPECT_FALSE(FileVersionsDiffer("etag \"1\"", ""));
}
