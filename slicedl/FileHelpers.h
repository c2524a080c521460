#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The engine reaches the file system only through these helpers. Paths are UTF-8; on Windows they
// are converted to UTF-16 so any Unicode name works, and both '\' and '/' separate components.
namespace slicedl {

std::string AppendFileName(const std::string& directory, const std::string& name);
std::string GetDirectory(const std::string& path);
std::string GetFileName(const std::string& path);

bool FileIsExist(const std::string& path);
bool FileIsReadWritable(const std::string& path);
FILE* OpenFile(const std::string& path, const std::string& mode);
int64_t GetFileSize(const std::string& path);
int64_t GetFileSize(FILE* file);
bool RemoveFile(const std::string& path);
// Moves source onto destination; with replace an existing destination is replaced atomically,
// never deleted first.
bool RenameFile(const std::string& source, const std::string& destination, bool replace);
// The system's reason for the last failed RenameFile of this thread.
std::string RenameErrorText();
// A file of exactly `size` bytes (zeros, sparse where supported), creating missing directories.
bool CreateFixedSizeFile(const std::string& path, int64_t size);

// Hands what the stream buffered to the system and asks it to put it on the disk.
bool SyncFile(FILE* file);
// Starts putting a written range of the file on the disk without waiting for it, so that the sync
// that proves the file has little left to do. Where the system offers no such call, nothing.
void StartWriteBack(FILE* file, int64_t offset, int64_t size);
// The C runtime's text for an errno value, with the number: "No space left on device (28)".
std::string ErrnoText(int error);

// 64-bit positioning on the C runtime stream.
bool SeekFile(FILE* file, int64_t offset, int origin);
int64_t TellFile(FILE* file);

}  // namespace slicedl
