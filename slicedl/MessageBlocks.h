#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Buffering and Merkle-Damgard padding shared by MD5, SHA-1 and SHA-256 (64-byte blocks).
namespace slicedl {

template <typename Transform>
void FeedBlocks(uint8_t (&buffer)[64], uint64_t& bitCount, const uint8_t* data, size_t length,
                Transform transform) {
  size_t used = static_cast<size_t>((bitCount / 8) % 64);
  bitCount += uint64_t(length) * 8;
  while (length > 0) {
    const size_t take = length < 64 - used ? length : 64 - used;
    std::memcpy(buffer + used, data, take);
    used += take;
    data += take;
    length -= take;
    if (used == 64) {
      transform(buffer);
      used = 0;
    }
  }
}

// Appends 0x80, zeros and the message length in bits (little- or big-endian) and hashes the rest.
template <typename Transform>
void PadMessage(uint8_t (&buffer)[64], uint64_t bitCount, bool bigEndianLength, Transform transform) {
  size_t used = static_cast<size_t>((bitCount / 8) % 64);
  buffer[used++] = 0x80;
  if (used > 56) {
    std::memset(buffer + used, 0, 64 - used);
    transform(buffer);
    used = 0;
  }
  std::memset(buffer + used, 0, 56 - used);
  for (int i = 0; i < 8; ++i) {
    const int shift = bigEndianLength ? 8 * (7 - i) : 8 * i;
    buffer[56 + i] = uint8_t(bitCount >> shift);
  }
  transform(buffer);
}

inline uint32_t RotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }
inline uint32_t RotateRight(uint32_t value, int bits) { return (value >> bits) | (value << (32 - bits)); }

inline uint32_t LoadBigEndian(const uint8_t* bytes) {
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

}  // namespace slicedl
