// CRC-32, the polynomial of zip and PNG: the checksum of a file's extension
// (docs/file-format.md).
#ifndef MURLO_DB_CRC32_H_
#define MURLO_DB_CRC32_H_

#include <cstdint>
#include <string_view>

namespace murlo {

// The CRC-32 of `bytes` (of "123456789", 0xCBF43926).
uint32_t crc32(std::string_view bytes);

}  // namespace murlo

#endif  // MURLO_DB_CRC32_H_
