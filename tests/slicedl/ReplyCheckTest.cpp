#include <gtest/gtest.h>

#include "ReplyCheck.h"

using namespace slicedl;

TEST(ContentRangeText, ParsesFirstLastAndTotal) {
  ContentRange range;
  ASSERT_TRUE(ParseContentRange("bytes 4096-10485759/15728641", range));
  EXPECT_EQ(range.first, 4096);
  EXPECT_EQ(range.last, 10485759);
  EXPECT_EQ(range.total, 15728641);
  ASSERT_TRUE(ParseContentRange(" Bytes 5368709120-5368709129/*\r\n", range));
  EXPECT_EQ(range.first, 5368709120LL);
  EXPECT_EQ(range.total, -1);
}

TEST(ContentRangeText, RejectsMalformedValues) {
  ContentRange range;
  for (const char* text : {"", "bytes", "bytes */100", "bytes 10-5/100", "bytes 0-100/100", "items 0-1/2",
                           "bytes -1-5/10", "bytes 0-5/10x", "bytes 99999999999999999999-1/2", "xytes 0-1/2"}) {
    EXPECT_FALSE(ParseContentRange(text, range)) << text;
  }
}

TEST(ContentRangeText, FindsTheHeaderInAnyCase) {
  std::string value;
  EXPECT_TRUE(ContentRangeHeaderValue("content-RANGE: bytes 0-1/2\r\n", value));
  EXPECT_EQ(value, "bytes 0-1/2");
  EXPECT_FALSE(ContentRangeHeaderValue("Content-Length: 2\r\n", value));
}

TEST(ReplyAcceptance, RangedRequestsNeedA206AtTheAskedOffset) {
  const ExpectedReply ranged{4096, true, 15728641};
  EXPECT_TRUE(ReplyMatchesRequest(ranged, 206, "bytes 4096-10485759/15728641"));
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, "bytes 3096-10485759/15728641"));  // wrong start
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, "bytes 4096-10485759/15728642"));  // another file
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, ""));
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 200, ""));                                // Range ignored
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 404, ""));
  EXPECT_FALSE(ReplyMatchesRequest(ExpectedReply{0, true, 100}, 200, ""));
  EXPECT_TRUE(ReplyMatchesRequest(ExpectedReply{0, true, 100}, 206, "bytes 0-99/*"));
}

TEST(ReplyAcceptance, WholeBodyOnlyForARequestFromZeroWithoutRange) {
  EXPECT_TRUE(ReplyMatchesRequest(ExpectedReply{0, false, -1}, 200, ""));
  EXPECT_TRUE(ReplyMatchesRequest(ExpectedReply{0, false, -1}, 206, "bytes 0-9/10"));
  EXPECT_FALSE(ReplyMatchesRequest(ExpectedReply{5000, true, -1}, 200, ""));
  EXPECT_TRUE(ReplyMatchesRequest(ExpectedReply{5000, true, -1}, 206, "bytes 5000-5999/6000"));
  EXPECT_FALSE(ReplyMatchesRequest(ExpectedReply{0, false, -1}, 500, ""));
}

TEST(ReplyAcceptance, WholeBodyOfAnotherLengthIsAnotherFile) {
  const ExpectedReply wholeFile{0, true, 100, 99};
  EXPECT_TRUE(ReplyMatchesRequest(wholeFile, 200, "", 100));
  EXPECT_TRUE(ReplyMatchesRequest(wholeFile, 200, "", -1));
  EXPECT_FALSE(ReplyMatchesRequest(wholeFile, 200, "", 101));
  EXPECT_FALSE(ReplyMatchesRequest(ExpectedReply{0, false, 100}, 200, "", 99));
  EXPECT_TRUE(ReplyMatchesRequest(ExpectedReply{0, false, -1}, 200, "", 99));
}

TEST(ReplyAcceptance, WholeBodyForARangeThatIsTheWholeFile) {
  const ExpectedReply wholeFile{0, true, 100, 99};
  EXPECT_TRUE(ReplyMatchesRequest(wholeFile, 200, ""));
  EXPECT_FALSE(ReplyIgnoresRange(wholeFile, 200));
  for (const ExpectedReply& part : {ExpectedReply{0, true, 100, 49}, ExpectedReply{50, true, 100, 99},
                                    ExpectedReply{0, true, -1, 99}, ExpectedReply{5000, true, -1, -1}}) {
    EXPECT_FALSE(ReplyMatchesRequest(part, 200, ""));
    EXPECT_TRUE(ReplyIgnoresRange(part, 200));
    EXPECT_FALSE(ReplyIgnoresRange(part, 206));
    EXPECT_FALSE(ReplyIgnoresRange(part, 404));
  }
}

// A 206 whose length is not that of the range it names is not those bytes: a proxy that sent the
// whole file, or a part of it, under the range asked for.
TEST(ReplyAcceptance, A206BodyHasTheLengthOfItsRange) {
  const ExpectedReply ranged{4096, true, 15728641, 10485759};
  const std::string named = "bytes 4096-10485759/15728641";
  EXPECT_TRUE(ReplyMatchesRequest(ranged, 206, named, 10481664));
  EXPECT_TRUE(ReplyMatchesRequest(ranged, 206, named, -1));  // chunked: its end shows
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, named, 10481665));
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, named, 15728641));
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, named, 10481663));
  EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, named, 0));
  EXPECT_TRUE(ReplyMatchesRequest(ExpectedReply{0, true, 1, 0}, 206, "bytes 0-0/1", 1));
}

// The engine asks for the file's own bytes; a body in a content coding is not them, 206 or 200.
TEST(ReplyAcceptance, ABodyInAContentCodingIsNotTheFile) {
  const ExpectedReply ranged{4096, true, 15728641, 10485759};
  const std::string named = "bytes 4096-10485759/15728641";
  const ExpectedReply wholeFile{0, false, 100, 99};
  for (const char* identity : {"", "identity", " Identity ", "IDENTITY,identity", "identity, identity, identity", ","}) {
    EXPECT_TRUE(IsIdentityEncoding(identity)) << identity;
    EXPECT_TRUE(ReplyMatchesRequest(ranged, 206, named, 10481664, identity)) << identity;
    EXPECT_TRUE(ReplyMatchesRequest(wholeFile, 200, "", 100, identity)) << identity;
  }
  for (const char* coded : {"gzip", "x-gzip", "deflate", "br", "identity, gzip", "gzip,identity", "identityx"}) {
    EXPECT_FALSE(IsIdentityEncoding(coded)) << coded;
    EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, named, 10481664, coded)) << coded;
    EXPECT_FALSE(ReplyMatchesRequest(ranged, 206, named, -1, coded)) << coded;
    EXPECT_FALSE(ReplyMatchesRequest(wholeFile, 200, "", 100, coded)) << coded;
    EXPECT_FALSE(ReplyMatchesRequest(ExpectedReply{0, false, -1}, 200, "", -1, coded)) << coded;
  }
}

TEST(ReplyHeaderLines, KeepTheCodingsOfTheLastReplyOnly) {
  ReplyHeaders headers;
  for (const char* line : {"HTTP/1.1 302 Found\r\n", "Content-Encoding: br\r\n", "HTTP/1.1 206 Partial Content\r\n",
                           "content-encoding: identity\r\n", "Content-Range: bytes 0-9/10\r\n", "ETag: \"a1\"\r\n",
                           "CONTENT-ENCODING:  gzip \r\n", "Content-Language: de\r\n", "Xontent-Encoding: br\r\n",
                           "Content-Length: 10\r\n"}) {
    ReadReplyHeaderLine(line, headers);
  }
  EXPECT_EQ(headers.contentEncoding, "identity,gzip");
  EXPECT_EQ(headers.contentRange, "bytes 0-9/10");
  EXPECT_EQ(headers.version.text(), "etag \"a1\"");
  ReadReplyHeaderLine("HTTP/1.1 200 OK\r\n", headers);
  EXPECT_EQ(headers.contentEncoding, "");
  EXPECT_EQ(headers.contentRange, "");
}
