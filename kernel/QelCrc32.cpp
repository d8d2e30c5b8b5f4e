// CRC-32, table-driven.
#include "kernel/QelCrc32.h"

#include <array>

namespace {
std::array<std::uint32_t, 256> makeTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}
}  // namespace

std::uint32_t qelCrc32(const void* data, std::size_t length, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = makeTable();
  const auto* p = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}
