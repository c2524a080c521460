#pragma once

#include "FileVersion.h"

#include <cstdint>
#include <string>

namespace slicedl {

struct ContentRange {
  int64_t first = -1;
  int64_t last = -1;
  int64_t total = -1;  // -1 when the server wrote '*'
};

// Parses the value of a Content-Range header ("bytes 0-99/1000"); false for anything else.
bool ParseContentRange(const std::string& value, ContentRange& range);

// The trimmed value when `line` is a header line named `lowerName` (compared in any case), else false.
bool HeaderLineValue(const std::string& line, const std::string& lowerName, std::string& value);

// The header value when `line` is a "Content-Range:" header line (any case), else false.
bool ContentRangeHeaderValue(const std::string& line, std::string& value);

// What a transfer keeps of a reply's headers.
struct ReplyHeaders {
  FileVersion version;
  std::string contentRange;
  std::string contentEncoding;  // every Content-Encoding value, joined by ","
};

// Feeds one header line of a reply to what a transfer keeps of it. A status line (the next reply
// after a redirect) starts it afresh.
void ReadReplyHeaderLine(const std::string& line, ReplyHeaders& headers);

// The body is the resource's own bytes: no content coding, or only "identity". The engine asks for
// no other, so a reply in another one is not the file, whatever it would decode to.
bool IsIdentityEncoding(const std::string& contentEncoding);

// What a reply to a slice's request must carry before its body may touch the file.
struct ExpectedReply {
  int64_t offset = 0;     // first byte asked for
  bool ranged = false;    // a Range header was sent
  int64_t fileSize = -1;  // known size of the file, -1 when unknown
  int64_t last = -1;      // last byte asked for, -1 for up to the end
};

// 206 with a Content-Range that starts at the offset asked for (and names the same file size), whose
// length (-1 when the reply gave none) is that of the range it names;
// 200 for a request from offset 0 without a range, or for one whose range is the whole file, whose
// length is the known file size. Either only in the identity encoding.
bool ReplyMatchesRequest(const ExpectedReply& expected, long httpStatus, const std::string& contentRange,
                         int64_t contentLength = -1, const std::string& contentEncoding = std::string());

// A 200 to a request for part of the file: the server sent the whole file instead.
bool ReplyIgnoresRange(const ExpectedReply& expected, long httpStatus);

}  // namespace slicedl
