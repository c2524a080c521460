#pragma once

// Skin zips made in memory by the tests: stored entries, with the size each entry claims to unpack to
// chosen freely (a hostile zip claims more than it holds).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace SkinUI::Testing {

inline uint32_t Crc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void Put16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct ZipEntry {
    std::string name;
    std::string data;
    uint32_t declaredSize;  // what the headers claim the entry unpacks to
};

// A zip of stored (uncompressed) entries.
inline std::string MakeZip(const std::vector<ZipEntry>& entries)
{
    std::string zip, directory;
    for (const ZipEntry& entry : entries) {
        const auto offset = static_cast<uint32_t>(zip.size());
        const uint32_t crc = Crc32(entry.data);
        const auto stored = static_cast<uint32_t>(entry.data.size());
        Put32(zip, 0x04034b50);
        Put16(zip, 10), Put16(zip, 0), Put16(zip, 0), Put16(zip, 0), Put16(zip, 0);
        Put32(zip, crc), Put32(zip, stored), Put32(zip, entry.declaredSize);
        Put16(zip, static_cast<uint32_t>(entry.name.size())), Put16(zip, 0);
        zip += entry.name + entry.data;
        Put32(directory, 0x02014b50);
        Put16(directory, 20), Put16(directory, 10), Put16(directory, 0), Put16(directory, 0);
        Put16(directory, 0), Put16(directory, 0);
        Put32(directory, crc), Put32(directory, stored), Put32(directory, entry.declaredSize);
        Put16(directory, static_cast<uint32_t>(entry.name.size()));
        Put16(directory, 0), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0);
        Put32(directory, 0), Put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<uint32_t>(zip.size());
    zip += directory;
    Put32(zip, 0x06054b50);
    Put16(zip, 0), Put16(zip, 0);
    Put16(zip, static_cast<uint32_t>(entries.size())), Put16(zip, static_cast<uint32_t>(entries.size()));
    Put32(zip, static_cast<uint32_t>(directory.size())), Put32(zip, directoryOffset);
    Put16(zip, 0);
    return zip;
}

inline ZipEntry Entry(std::string name, std::string data)
{
    const auto size = static_cast<uint32_t>(data.size());
    return ZipEntry{std::move(name), std::move(data), size};
}

}  // namespace SkinUI::Testing
