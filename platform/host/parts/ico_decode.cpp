#include "parts/ico_decode.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kMaxIconSide = 1024;

struct IconEntry {
    int width, height, bitCount;
    uint32_t bytes, offset;
};

uint16_t Get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool ReadDirectory(const uint8_t* bytes, size_t size, std::vector<IconEntry>* entries, std::string* why) {
    if (size < 6 || Get16(bytes) != 0 || Get16(bytes + 2) != 1) {
        *why = "not an icon file";
        return false;
    }
    unsigned count = Get16(bytes + 4);
    if (count == 0 || size < 6 + size_t(count) * 16) {
        *why = "icon directory truncated";
        return false;
    }
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t* e = bytes + 6 + i * 16;
        IconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, Get16(e + 6), Get32(e + 8), Get32(e + 12)};
        if (entry.offset > size || size - entry.offset < entry.bytes || entry.bytes < 8) continue;
        entries->push_back(entry);
    }
    if (entries->empty()) *why = "no icon image inside the file";
    return !entries->empty();
}

// Lower is better.
long long Fit(const IconEntry& entry, int wanted) {
    int side = entry.width > entry.height ? entry.width : entry.height;
    long long distance = side >= wanted ? (side - wanted) : (100000 + wanted - side);
    return distance * 64 - entry.bitCount;
}

bool MaskBit(const uint8_t* mask, size_t maskStride, int height, int x, int y) {
    const uint8_t* row = mask + size_t(height - 1 - y) * maskStride;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

bool DecodeBitmap(const uint8_t* bytes, size_t size, BgraImage* image, std::string* why) {
    if (size < 40 || Get32(bytes) < 40 || Get32(bytes) > size) {
        *why = "icon image header truncated";
        return false;
    }
    uint32_t headerBytes = Get32(bytes);
    int width = int(Get32(bytes + 4));
    int height = int(Get32(bytes + 8)) / 2;
    int bitCount = Get16(bytes + 14);
    uint32_t compression = Get32(bytes + 16);
    uint32_t used = Get32(bytes + 32);
    if (width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide || compression != 0) {
        *why = "icon image of unusable size or compression";
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
        *why = "icon image of unsupported depth";
        return false;
    }
    size_t colours = bitCount <= 8 ? (used && used <= (1u << bitCount) ? used : (1u << bitCount)) : 0;
    size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
    size_t maskStride = ((size_t(width) + 31) / 32) * 4;
    size_t paletteAt = headerBytes;
    size_t pixelsAt = paletteAt + colours * 4;
    size_t maskAt = pixelsAt + stride * height;
    bool hasMask = maskAt + maskStride * height <= size;
    if (maskAt > size) {
        *why = "icon image truncated";
        return false;
    }
    image->width = width;
    image->height = height;
    image->pixels.assign(size_t(width) * height * 4, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bytes + pixelsAt + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            uint8_t* out = image->pixels.data() + (size_t(y) * width + x) * 4;
            if (bitCount >= 24) {
                const uint8_t* p = row + size_t(x) * (bitCount / 8);
                out[0] = p[0], out[1] = p[1], out[2] = p[2];
                out[3] = bitCount == 32 ? p[3] : 255;
                if (bitCount == 32 && p[3]) anyAlpha = true;
            } else {
                int perByte = 8 / bitCount;
                int shift = 8 - bitCount * (1 + x % perByte);
                size_t index = (row[x / perByte] >> shift) & ((1u << bitCount) - 1);
                if (index < colours) memcpy(out, bytes + paletteAt + index * 4, 3);
                out[3] = 255;
            }
        }
    }
    // Images without an alpha channel (or with an empty one) take their transparency from the mask.
    if (hasMask && (bitCount < 32 || !anyAlpha)) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image->pixels[(size_t(y) * width + x) * 4 + 3] =
                    MaskBit(bytes + maskAt, maskStride, height, x, y) ? 0 : 255;
    }
    return true;
}

} // namespace

bool IcoDecode(const uint8_t* bytes, size_t size, int wantedSize, BgraImage* image, std::string* why) {
    std::vector<IconEntry> entries;
    if (!bytes || !ReadDirectory(bytes, size, &entries, why)) return false;
    const IconEntry* best = &entries[0];
    for (const IconEntry& entry : entries)
        if (Fit(entry, wantedSize) < Fit(*best, wantedSize)) best = &entry;
    const uint8_t* data = bytes + best->offset;
    if (IsPng(data, best->bytes)) return PngDecode(data, best->bytes, image, why);
    return DecodeBitmap(data, best->bytes, image, why);
}

BgraImage ScaleImage(const BgraImage& image, int side) {
    BgraImage scaled;
    if (image.width <= 0 || image.height <= 0 || side <= 0) return scaled;
    scaled.width = scaled.height = side;
    scaled.pixels.assign(size_t(side) * side * 4, 0);
    for (int y = 0; y < side; ++y) {
        int y0 = y * image.height / side, y1 = (y + 1) * image.height / side;
        if (y1 <= y0) y1 = y0 + 1;
        for (int x = 0; x < side; ++x) {
            int x0 = x * image.width / side, x1 = (x + 1) * image.width / side;
            if (x1 <= x0) x1 = x0 + 1;
            unsigned sum[4] = {0, 0, 0, 0}, count = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx, ++count)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += image.pixels[(size_t(sy) * image.width + sx) * 4 + c];
            for (int c = 0; c < 4; ++c)
                scaled.pixels[(size_t(y) * side + x) * 4 + c] = uint8_t(sum[c] / count);
        }
    }
    return scaled;
}
