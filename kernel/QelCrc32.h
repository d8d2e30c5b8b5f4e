// CRC-32 (the polynomial of zlib and Ethernet) for checksums of index files.
#pragma once

#include <cstddef>
#include <cstdint>

std::uint32_t qelCrc32(const void* data, std::size_t length, std::uint32_t crc = 0);
