// A fresh directory per test, removed afterwards; paths handed to the engine as UTF-8 text with
// the platform's separators.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <process.h>
#define TOLVAN_GETPID _getpid
#else
#include <unistd.h>
#define TOLVAN_GETPID getpid
#endif

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> serial{0};
    m_path = std::filesystem::temp_directory_path() /
             ("slicedl-test-" + std::to_string(TOLVAN_GETPID()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  // `name` is UTF-8 and may contain separators.
  std::string file(const std::string& name) const {
    return (m_path / std::filesystem::u8path(name)).make_preferred().u8string();
  }

 private:
  std::filesystem::path m_path;
};

inline std::filesystem::path Utf8Path(const std::string& utf8) { return std::filesystem::u8path(utf8); }

inline std::string ReadBytes(const std::string& utf8Path) {
  std::ifstream in(Utf8Path(utf8Path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& utf8Path, const std::string& bytes) {
  std::ofstream out(Utf8Path(utf8Path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
