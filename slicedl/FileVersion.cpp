#include "FileVersion.h"

#include "ReplyCheck.h"

namespace slicedl {

void FileVersion::addHeaderLine(const std::string& line) {
  std::string value;
  if (line.compare(0, 5, "HTTP/") == 0) {
    m_etag.clear();
    m_lastModified.clear();
  } else if (HeaderLineValue(line, "etag", value)) {
    m_etag = value.compare(0, 2, "W/") == 0 ? std::string() : value;
  } else if (HeaderLineValue(line, "last-modified", value)) {
    m_lastModified = value;
  }
}

std::string FileVersion::text() const {
  if (!m_etag.empty()) return "etag " + m_etag;
  if (!m_lastModified.empty()) return "modified " + m_lastModified;
  return std::string();
}

bool FileVersionsDiffer(const std::string& stored, const std::string& served) {
  return !stored.empty() && !served.empty() && stored != served;
}

}  // namespace slicedl
