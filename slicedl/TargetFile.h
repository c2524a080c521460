#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace slicedl {

// The one open handle on the temporary file, shared by all slices.
class TargetFile {
 public:
  virtual ~TargetFile();

  bool create(const std::string& path, int64_t size);
  bool open(const std::string& path);
  // Returns the bytes that surely reached the file at `offset`; after any shortfall the next write
  // seeks again instead of trusting the stream position.
  int64_t write(int64_t offset, const void* data, int64_t size);
  // Puts what was written on the disk, so an index saved after it never counts bytes a power loss
  // could take back. Once a sync failed, every later one of this handle fails too: the system may
  // have dropped the pages it could not write and still report the next sync clean.
  bool sync();
  void close();
  bool isOpen() const;
  // errno of the last failed write, seek or sync (0 when none failed).
  int lastError() const;
  std::string path() const;

 private:
  bool openForUpdate(const std::string& path);

  bool m_opened = false;
  int64_t m_position = 0;  // -1: unknown, seek before the next write
  std::string m_path;
  FILE* m_file = nullptr;
  int m_lastError = 0;
  bool m_syncFailed = false;
  mutable std::recursive_mutex m_lock;
};

}  // namespace slicedl
