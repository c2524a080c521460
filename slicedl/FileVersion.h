#pragma once

#include <string>

namespace slicedl {

// Tells one version of the served file from another, the way a resumed range is checked over
// HTTP: by the strong entity tag, else by the modification time. Weak tags do not vouch for the
// bytes and are ignored.
class FileVersion {
 public:
  // Fed every header line of a reply; a status line ("HTTP/...") starts a new reply (a redirect).
  void addHeaderLine(const std::string& line);
  // "etag <tag>", "modified <date>", or empty when the reply named neither.
  std::string text() const;

 private:
  std::string m_etag;
  std::string m_lastModified;
};

// Both versions are known and they differ: bytes of the one must not be joined to the other.
bool FileVersionsDiffer(const std::string& stored, const std::string& served);

}  // namespace slicedl
