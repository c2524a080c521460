#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace slicedl {

// SHA-256 (FIPS 180-4).
class Sha256 {
 public:
  void update(const uint8_t* data, size_t length);
  std::array<uint8_t, 32> finish();

 private:
  void transform(const uint8_t block[64]);

  uint32_t m_state[8] = {0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au,
                         0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u};
  uint64_t m_bitCount = 0;
  uint8_t m_buffer[64] = {};
};

}  // namespace slicedl
