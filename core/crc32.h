#pragma once

// CRC-32 as zip, PNG and Ethernet compute it (polynomial 0x04C11DB7, bits
// reflected, start and final value 0xFFFFFFFF): the checksum printed on an
// application form for each of the project's two stored files, which the
// planning office can compute from the files it received.

#include <cstdint>
#include <string>
#include <string_view>

namespace shenbao {

// The CRC-32 of `bytes`; Crc32("123456789") is 0xCBF43926.
std::uint32_t Crc32(std::string_view bytes);

// `crc` as eight lower-case hexadecimal digits, leading zeros kept.
std::string Crc32Hex(std::uint32_t crc);

}  // namespace shenbao
