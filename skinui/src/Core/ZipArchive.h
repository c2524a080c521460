#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace SkinUI {

// A read-only zip archive held in memory or opened from a file, with an optional password.
class CZipArchive {
public:
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // The bytes are copied: the archive does not depend on the caller's buffer afterwards.
    static std::unique_ptr<CZipArchive> OpenMemory(const void* data, size_t size, const wchar_t* password);
    static std::unique_ptr<CZipArchive> OpenFile(const wchar_t* path, const wchar_t* password);

    // Larger entries are refused by default: the size an entry declares is not to be trusted.
    static constexpr size_t kDefaultMaxEntryBytes = 64u << 20;

    // Entry names compare without regard to case; backslashes count as '/'. False when the entry is missing,
    // empty, declares more than maxBytes (checked before anything is allocated) or cannot be unpacked.
    bool ReadEntry(const wchar_t* name, std::vector<unsigned char>& bytes, size_t maxBytes = kDefaultMaxEntryBytes);
    // The debugger warning for an entry refused for its declared size.
    static void WarnOversizedEntry(const wchar_t* name, unsigned long long size, size_t maxBytes);
    // True when the entry exists and is not empty.
    bool HasEntry(const wchar_t* name);
    // True when the entry exists; size is its unpacked size.
    bool FindEntry(const wchar_t* name, unsigned long long& size);

    struct MemoryStream {
        std::vector<unsigned char> bytes;
        size_t position = 0;
    };

private:
    CZipArchive() = default;

    void* m_handle = nullptr;
    std::unique_ptr<MemoryStream> m_memory;
    std::string m_password;
};

}  // namespace SkinUI
