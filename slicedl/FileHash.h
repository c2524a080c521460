#pragma once

#include <string>

#include "Options.h"
#include "Result.h"

// Lower-case hexadecimal digests of a whole file. Each returns Success, Stopped (a stop event was
// set; `options` may be null for no stop test), HashUnavailable (the file would not open) or
// HashMismatch (a read error: a digest of part of the file must never pass as the file's).
namespace slicedl {

Result GetFileMd5(const std::string& path, const Options* options, std::string& digest);
Result GetFileCrc32(const std::string& path, const Options* options, std::string& digest);
Result GetFileSha1(const std::string& path, const Options* options, std::string& digest);
Result GetFileSha256(const std::string& path, const Options* options, std::string& digest);

// Dispatch on the hash type; another value gives HashUnavailable without reading.
Result GetFileHash(HashType type, const std::string& path, const Options* options, std::string& digest);

bool HashTextsEqual(const std::string& computed, const std::string& expected);

}  // namespace slicedl
