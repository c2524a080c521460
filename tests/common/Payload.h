// Deterministic content of the test server's synthetic files (tests/servers/testserver.py):
// byte(i) = T[i mod P] ^ ((i div P) mod 256), with P prime so a byte at the wrong offset shows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

constexpr uint64_t kPayloadPeriod = 65521;

inline const std::vector<uint8_t>& PayloadTable(uint32_t seed) {
  static std::mutex mutex;
  static std::map<uint32_t, std::vector<uint8_t>> tables;
  std::lock_guard<std::mutex> lock(mutex);
  std::vector<uint8_t>& table = tables[seed];
  if (table.empty()) {
    table.resize(kPayloadPeriod);
    uint32_t state = seed * 2654435761u + 12345u;
    for (uint8_t& byte : table) {
      state = state * 1103515245u + 12345u;
      byte = static_cast<uint8_t>(state >> 16);
    }
  }
  return table;
}

inline uint8_t PayloadByte(uint64_t offset, uint32_t seed = 1) {
  const uint8_t block = static_cast<uint8_t>(offset / kPayloadPeriod);
  return PayloadTable(seed)[offset % kPayloadPeriod] ^ block;
}

inline void PayloadFill(uint8_t* out, uint64_t offset, size_t n, uint32_t seed = 1) {
  const uint8_t* table = PayloadTable(seed).data();
  while (n > 0) {
    const uint64_t index = offset % kPayloadPeriod;
    const uint8_t block = static_cast<uint8_t>(offset / kPayloadPeriod);
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, kPayloadPeriod - index));
    for (size_t k = 0; k < take; ++k) out[k] = table[index + k] ^ block;
    out += take;
    offset += take;
    n -= take;
  }
}

inline std::vector<uint8_t> PayloadBytes(uint64_t offset, size_t n, uint32_t seed = 1) {
  std::vector<uint8_t> bytes(n);
  PayloadFill(bytes.data(), offset, n, seed);
  return bytes;
}

// True when the file holds exactly `size` payload bytes; otherwise `why` tells the first difference.
inline bool FileMatchesPayload(const std::filesystem::path& path, uint64_t size, uint32_t seed = 1,
                               std::string* why = nullptr) {
  auto fail = [why](const std::string& text) {
    if (why) *why = text;
    return false;
  };
  std::error_code error;
  const uint64_t actual = std::filesystem::file_size(path, error);
  if (error) return fail("cannot stat " + path.u8string() + ": " + error.message());
  if (actual != size)
    return fail("size " + std::to_string(actual) + ", expected " + std::to_string(size));
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot open " + path.u8string());
  constexpr size_t kChunk = 1 << 20;
  std::vector<uint8_t> got(kChunk), want(kChunk);
  for (uint64_t offset = 0; offset < size;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, size - offset));
    if (!in.read(reinterpret_cast<char*>(got.data()), static_cast<std::streamsize>(n)))
      return fail("read failed at offset " + std::to_string(offset));
    PayloadFill(want.data(), offset, n, seed);
    if (std::memcmp(got.data(), want.data(), n) != 0) {
      const auto at = std::mismatch(got.begin(), got.begin() + n, want.begin()).first - got.begin();
      return fail("byte " + std::to_string(offset + at) + " is " + std::to_string(got[at]) +
                  ", expected " + std::to_string(want[at]));
    }
    offset += n;
  }
  return true;
}
