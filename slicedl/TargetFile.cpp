#include "TargetFile.h"

#include <cerrno>

#include "FileHelpers.h"

namespace slicedl {

TargetFile::~TargetFile() { close(); }

bool TargetFile::create(const std::string& path, int64_t size) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  close();
  if (!CreateFixedSizeFile(path, size < 0 ? 0 : size)) return false;
  return openForUpdate(path);
}

bool TargetFile::open(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  close();
  if (!FileIsExist(path)) return false;
  return openForUpdate(path);
}

bool TargetFile::openForUpdate(const std::string& path) {
  m_file = OpenFile(path, "r+b");
  if (m_file == nullptr) return false;
  m_path = path;
  m_opened = true;
  m_position = 0;
  m_syncFailed = false;
  SeekFile(m_file, 0, SEEK_SET);
  return true;
}

int64_t TargetFile::write(int64_t offset, const void* data, int64_t size) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_opened || data == nullptr || size <= 0 || offset < 0) return 0;
  if (offset != m_position) {
    if (!SeekFile(m_file, offset, SEEK_SET)) {
      m_lastError = errno;
      m_position = -1;
      return 0;
    }
    m_position = offset;
  }
  errno = 0;
  const size_t written = fwrite(data, 1, static_cast<size_t>(size), m_file);
  const int writeError = errno;
  if (fflush(m_file) != 0) {
    m_lastError = errno != 0 ? errno : writeError;
    // What is still in the stream buffer may or may not be on disk: count none of it.
    clearerr(m_file);
    m_position = -1;
    return 0;
  }
  if (static_cast<int64_t>(written) != size) {
    m_lastError = writeError;
    clearerr(m_file);
    m_position = -1;
    return static_cast<int64_t>(written);
  }
  StartWriteBack(m_file, offset, size);
  m_position += size;
  return size;
}

bool TargetFile::sync() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_opened || m_syncFailed) return false;
  if (SyncFile(m_file)) return true;
  m_syncFailed = true;
  m_lastError = errno;
  clearerr(m_file);
  m_position = -1;
  return false;
}

int TargetFile::lastError() const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return m_lastError;
}

void TargetFile::close() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!m_opened) return;
  fflush(m_file);
  fclose(m_file);
  m_file = nullptr;
  m_opened = false;
}

bool TargetFile::isOpen() const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return m_opened;
}

std::string TargetFile::path() const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return m_path;
}

}  // namespace slicedl
