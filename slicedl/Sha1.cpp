#include "Sha1.h"

#include "MessageBlocks.h"

namespace slicedl {

void CSHA1::transform(const uint8_t block[64]) {
  uint32_t words[80];
  for (int i = 0; i < 16; ++i) words[i] = LoadBigEndian(block + 4 * i);
  for (int i = 16; i < 80; ++i) {
    words[i] = RotateLeft(words[i - 3] ^ words[i - 8] ^ words[i - 14] ^ words[i - 16], 1);
  }
  uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3], e = m_state[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t next = RotateLeft(a, 5) + f + e + k + words[i];
    e = d;
    d = c;
    c = RotateLeft(b, 30);
    b = a;
    a = next;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
  m_state[4] += e;
}

void CSHA1::update(const uint8_t* data, size_t length) {
  FeedBlocks(m_buffer, m_bitCount, data, length, [this](const uint8_t* block) { transform(block); });
}

std::array<uint8_t, 20> CSHA1::finish() {
  PadMessage(m_buffer, m_bitCount, true, [this](const uint8_t* block) { transform(block); });
  std::array<uint8_t, 20> digest{};
  for (int i = 0; i < 20; ++i) digest[i] = uint8_t(m_state[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

}  // namespace slicedl
