#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace slicedl {

// MD5 (RFC 1321).
class Md5 {
 public:
  void update(const uint8_t* data, size_t length);
  std::array<uint8_t, 16> finish();

 private:
  void transform(const uint8_t block[64]);

  uint32_t m_state[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};
  uint64_t m_bitCount = 0;
  uint8_t m_buffer[64] = {};
};

}  // namespace slicedl
