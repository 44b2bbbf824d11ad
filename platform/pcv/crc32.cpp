#include "crc32.h"

#include <string.h>

namespace {

// Eight tables for reading eight bytes per step ("slicing by 8").
struct CrcTables {
    uint32_t t[8][256];
    CrcTables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
};

const CrcTables& Tables() {
    static const CrcTables tables;
    return tables;
}

} // namespace

uint32_t Crc32(uint32_t crc, const void* bytes, size_t count) {
    const CrcTables& tables = Tables();
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    uint32_t c = ~crc;
    while (count >= 8) {
        uint32_t low, high;
        memcpy(&low, p, 4);
        memcpy(&high, p + 4, 4);
        low ^= c;
        c = tables.t[7][low & 0xFF] ^ tables.t[6][(low >> 8) & 0xFF] ^ tables.t[5][(low >> 16) & 0xFF] ^
            tables.t[4][low >> 24] ^ tables.t[3][high & 0xFF] ^ tables.t[2][(high >> 8) & 0xFF] ^
            tables.t[1][(high >> 16) & 0xFF] ^ tables.t[0][high >> 24];
        p += 8;
        count -= 8;
    }
    while (count--) c = tables.t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}
