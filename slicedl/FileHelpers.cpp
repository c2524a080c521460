#include "FileHelpers.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace slicedl {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr const char* kSeparators = "\\/";
#else
constexpr char kSeparator = '/';
constexpr const char* kSeparators = "/";
#endif

// In the system's own form (UTF-16 on Windows). Empty for text that is not UTF-8: no file is named by it.
std::filesystem::path NativePath(const std::string& path) {
  try {
    return std::filesystem::u8path(path);
  } catch (const std::exception&) {
    return {};
  }
}

bool AccessAllowed(const std::string& path, int mode) {
  if (path.empty()) return false;
#ifdef _WIN32
  return _waccess(NativePath(path).c_str(), mode) == 0;
#else
  return access(path.c_str(), mode == 0 ? F_OK : (R_OK | W_OK)) == 0;
#endif
}

}  // namespace

std::string AppendFileName(const std::string& directory, const std::string& name) {
  std::string path = directory;
  if (!path.empty() && std::string(kSeparators).find(path.back()) == std::string::npos) {
    path += kSeparator;
  }
  return path + name;
}

std::string GetDirectory(const std::string& path) {
  const size_t last = path.find_last_of(kSeparators);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string GetFileName(const std::string& path) {
  const size_t last = path.find_last_of(kSeparators);
  return last == std::string::npos ? path : path.substr(last + 1);
}

bool FileIsExist(const std::string& path) { return AccessAllowed(path, 0); }

bool FileIsReadWritable(const std::string& path) { return AccessAllowed(path, 6); }

FILE* OpenFile(const std::string& path, const std::string& mode) {
  if (path.empty() || mode.empty()) return nullptr;
#ifdef _WIN32
  return _wfopen(NativePath(path).c_str(), std::wstring(mode.begin(), mode.end()).c_str());
#else
  return fopen(path.c_str(), mode.c_str());
#endif
}

bool SeekFile(FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(file, offset, origin) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t TellFile(FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

int64_t GetFileSize(const std::string& path) {
  FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return -1;
  const int64_t size = GetFileSize(file);
  fclose(file);
  return size;
}

int64_t GetFileSize(FILE* file) {
  if (file == nullptr) return 0;
  if (!SeekFile(file, 0, SEEK_END)) return -1;
  return TellFile(file);
}

bool RemoveFile(const std::string& path) {
  if (path.empty()) return false;
#ifdef _WIN32
  return _wunlink(NativePath(path).c_str()) == 0;
#else
  return unlink(path.c_str()) == 0;
#endif
}

bool RenameFile(const std::string& source, const std::string& destination, bool replace) {
  if (source.empty() || destination.empty()) return false;
  if (!replace && FileIsExist(destination)) return false;
#ifdef _WIN32
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  return MoveFileExW(NativePath(source).c_str(), NativePath(destination).c_str(), flags) != 0;
#else
  return rename(source.c_str(), destination.c_str()) == 0;
#endif
}

std::string RenameErrorText() {
#ifdef _WIN32
  return "system error " + std::to_string(GetLastError());
#else
  return ErrnoText(errno);
#endif
}

bool CreateFixedSizeFile(const std::string& path, int64_t size) {
  if (size < 0) return false;
  const std::string directory = GetDirectory(path);
  if (!directory.empty()) {
    const std::filesystem::path native = NativePath(directory);
    if (native.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(native, error);
    if (error) return false;
  }
  FILE* file = OpenFile(path, "wb");
  if (file == nullptr) return false;
  if (size > 0) {
    const char zero = 0;
    const bool written = SeekFile(file, size - 1, SEEK_SET) && fwrite(&zero, 1, 1, file) == 1 &&
                         fflush(file) == 0;
    if (!written) {
      fclose(file);
      return false;
    }
  }
  if (fclose(file) != 0) return false;
  return GetFileSize(path) == size;
}

bool SyncFile(FILE* file) {
  if (file == nullptr || fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

void StartWriteBack(FILE* file, int64_t offset, int64_t size) {
#ifdef __linux__
  sync_file_range(fileno(file), offset, size, SYNC_FILE_RANGE_WRITE);
#else
  (void)file;
  (void)offset;
  (void)size;
#endif
}

std::string ErrnoText(int error) {
  return std::string(std::strerror(error)) + " (" + std::to_string(error) + ")";
}

}  // namespace slicedl
