#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace slicedl {

// SHA-1 (FIPS 180-4).
class CSHA1 {
 public:
  virtual ~CSHA1() = default;
  void update(const uint8_t* data, size_t length);
  std::array<uint8_t, 20> finish();

 private:
  void transform(const uint8_t block[64]);

  uint32_t m_state[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  uint64_t m_bitCount = 0;
  uint8_t m_buffer[64] = {};
};

}  // namespace slicedl
