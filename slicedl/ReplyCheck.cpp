#include "ReplyCheck.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace slicedl {
namespace {

bool ParseNumber(const std::string& text, size_t& pos, int64_t& value) {
  const size_t start = pos;
  value = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
    const int digit = text[pos] - '0';
    if (value > (INT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
    ++pos;
  }
  return pos > start;
}

std::string Trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

bool StartsWithLowerCase(const std::string& text, const std::string& lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lowerPrefix[i]) return false;
  }
  return true;
}

}  // namespace

bool ParseContentRange(const std::string& value, ContentRange& range) {
  const std::string text = Trimmed(value);
  static const std::string kUnit = "bytes ";
  if (!StartsWithLowerCase(text, kUnit)) return false;
  size_t pos = kUnit.size();
  ContentRange parsed;
  if (!ParseNumber(text, pos, parsed.first) || pos >= text.size() || text[pos++] != '-') return false;
  if (!ParseNumber(text, pos, parsed.last) || pos >= text.size() || text[pos++] != '/') return false;
  if (pos < text.size() && text[pos] == '*' && pos + 1 == text.size()) {
    parsed.total = -1;
  } else if (!ParseNumber(text, pos, parsed.total) || pos != text.size()) {
    return false;
  }
  if (parsed.last < parsed.first) return false;
  if (parsed.total >= 0 && parsed.last >= parsed.total) return false;
  range = parsed;
  return true;
}

bool HeaderLineValue(const std::string& line, const std::string& lowerName, std::string& value) {
  if (line.size() <= lowerName.size() || line[lowerName.size()] != ':') return false;
  if (!StartsWithLowerCase(line, lowerName)) return false;
  value = Trimmed(line.substr(lowerName.size() + 1));
  return true;
}

bool ContentRangeHeaderValue(const std::string& line, std::string& value) {
  return HeaderLineValue(line, "content-range", value);
}

void ReadReplyHeaderLine(const std::string& line, ReplyHeaders& headers) {
  headers.version.addHeaderLine(line);
  std::string value;
  if (line.compare(0, 5, "HTTP/") == 0) {
    headers.contentRange.clear();
    headers.contentEncoding.clear();
  } else if (ContentRangeHeaderValue(line, value)) {
    headers.contentRange = value;
  } else if (HeaderLineValue(line, "content-encoding", value)) {
    headers.contentEncoding += headers.contentEncoding.empty() ? value : "," + value;
  }
}

bool IsIdentityEncoding(const std::string& contentEncoding) {
  static const std::string kIdentity = "identity";
  size_t start = 0;
  while (start <= contentEncoding.size()) {
    const size_t comma = std::min(contentEncoding.find(',', start), contentEncoding.size());
    const std::string coding = Trimmed(contentEncoding.substr(start, comma - start));
    if (!coding.empty() && !(coding.size() == kIdentity.size() && StartsWithLowerCase(coding, kIdentity))) return false;
    start = comma + 1;
  }
  return true;
}

namespace {

bool AskedForTheWholeFile(const ExpectedReply& expected) {
  if (expected.offset != 0) return false;
  return !expected.ranged || (expected.fileSize > 0 && expected.last == expected.fileSize - 1);
}

}  // namespace

bool ReplyMatchesRequest(const ExpectedReply& expected, long httpStatus, const std::string& contentRange,
                         int64_t contentLength, const std::string& contentEncoding) {
  if (!IsIdentityEncoding(contentEncoding)) return false;
  if (httpStatus == 200) {
    // A whole body of another length is another file, whatever its first bytes.
    const bool sameLength = contentLength < 0 || expected.fileSize < 0 || contentLength == expected.fileSize;
    return AskedForTheWholeFile(expected) && sameLength;
  }
  if (httpStatus != 206) return false;
  ContentRange range;
  if (!ParseContentRange(contentRange, range)) return false;
  if (range.first != expected.offset) return false;
  // A body longer or shorter than the range it names is not those bytes.
  if (contentLength >= 0 && contentLength != range.last - range.first + 1) return false;
  return expected.fileSize < 0 || range.total < 0 || range.total == expected.fileSize;
}

bool ReplyIgnoresRange(const ExpectedReply& expected, long httpStatus) {
  return httpStatus == 200 && !AskedForTheWholeFile(expected);
}

}  // namespace slicedl
