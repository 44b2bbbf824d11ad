// CRC-32 (the polynomial of zip and PNG) of the storage files' headers, node tables and node data,
// so that a damaged or truncated file is refused instead of drawn.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Continues crc (0 to start) over bytes.
uint32_t Crc32(uint32_t crc, const void* bytes, size_t count);
