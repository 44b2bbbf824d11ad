#include "parts/png_codec.h"

#include <zlib.h>

#include <cstring>

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void Put32(std::vector<uint8_t>* out, uint32_t value) {
    out->push_back(uint8_t(value >> 24));
    out->push_back(uint8_t(value >> 16));
    out->push_back(uint8_t(value >> 8));
    out->push_back(uint8_t(value));
}

uint32_t Get32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void PutChunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data, size_t size) {
    Put32(out, uint32_t(size));
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    if (size) out->insert(out->end(), data, data + size);
    uLong crc = crc32(0, out->data() + start, uInt(out->size() - start));
    Put32(out, uint32_t(crc));
}

int Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = p > a ? p - a : a - p;
    int pb = p > b ? p - b : b - p;
    int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the row filters in place; rows are stride bytes after their filter byte.
bool Unfilter(std::vector<uint8_t>& raw, size_t stride, int rows, int bytesPerPixel,
              std::vector<uint8_t>* out) {
    out->assign(stride * size_t(rows), 0);
    for (int y = 0; y < rows; ++y) {
        const uint8_t* in = raw.data() + size_t(y) * (stride + 1);
        uint8_t* row = out->data() + size_t(y) * stride;
        const uint8_t* above = y > 0 ? row - stride : nullptr;
        int filter = in[0];
        for (size_t x = 0; x < stride; ++x) {
            int a = x >= size_t(bytesPerPixel) ? row[x - bytesPerPixel] : 0;
            int b = above ? above[x] : 0;
            int c = (above && x >= size_t(bytesPerPixel)) ? above[x - bytesPerPixel] : 0;
            int value = in[1 + x];
            switch (filter) {
                case 0:
                    break;
                case 1:
                    value += a;
                    break;
                case 2:
                    value += b;
                    break;
                case 3:
                    value += (a + b) / 2;
                    break;
                case 4:
                    value += Paeth(a, b, c);
                    break;
                default:
                    return false;
            }
            row[x] = uint8_t(value);
        }
    }
    return true;
}

struct PngHeader {
    int width = 0, height = 0, depth = 0, colour = 0, interlace = 0;
};

bool CheckHeader(const PngHeader& h, std::string* why) {
    if (h.width <= 0 || h.height <= 0 || h.width > kPngMaxSide || h.height > kPngMaxSide) {
        *why = "PNG size out of range";
        return false;
    }
    if (h.interlace != 0) {
        *why = "interlaced PNG";
        return false;
    }
    bool paletteDepth = h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8;
    bool ok = (h.colour == 3 && paletteDepth) ||
              (h.depth == 8 && (h.colour == 0 || h.colour == 2 || h.colour == 4 || h.colour == 6));
    if (!ok) *why = "PNG colour type or depth not supported";
    return ok;
}

int Channels(int colour) {
    switch (colour) {
        case 0:
            return 1;
        case 2:
            return 3;
        case 3:
            return 1;
        case 4:
            return 2;
        default:
            return 4;
    }
}

void ToBgra(const PngHeader& h, const std::vector<uint8_t>& rows, size_t stride,
            const std::vector<uint8_t>& palette, const std::vector<uint8_t>& alphas, BgraImage* image) {
    image->width = h.width;
    image->height = h.height;
    image->pixels.assign(size_t(h.width) * h.height * 4, 0);
    for (int y = 0; y < h.height; ++y) {
        const uint8_t* row = rows.data() + size_t(y) * stride;
        for (int x = 0; x < h.width; ++x) {
            uint8_t* out = image->pixels.data() + (size_t(y) * h.width + x) * 4;
            uint8_t r = 0, g = 0, b = 0, a = 255;
            switch (h.colour) {
                case 0:
                    r = g = b = row[x];
                    break;
                case 4:
                    r = g = b = row[x * 2], a = row[x * 2 + 1];
                    break;
                case 2:
                    r = row[x * 3], g = row[x * 3 + 1], b = row[x * 3 + 2];
                    break;
                case 6:
                    r = row[x * 4], g = row[x * 4 + 1], b = row[x * 4 + 2], a = row[x * 4 + 3];
                    break;
                default: {
                    int perByte = 8 / h.depth;
                    int shift = 8 - h.depth * (1 + x % perByte);
                    size_t index = (row[x / perByte] >> shift) & ((1 << h.depth) - 1);
                    if (index * 3 + 2 < palette.size())
                        r = palette[index * 3], g = palette[index * 3 + 1], b = palette[index * 3 + 2];
                    if (index < alphas.size()) a = alphas[index];
                }
            }
            out[0] = b, out[1] = g, out[2] = r, out[3] = a;
        }
    }
}

} // namespace

bool IsPng(const uint8_t* bytes, size_t size) {
    return size >= 8 && memcmp(bytes, kSignature, 8) == 0;
}

bool PngEncodeBgrx(const uint8_t* pixels, int width, int height, std::vector<uint8_t>* file) {
    if (!pixels || width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;
    size_t stride = size_t(width) * 3;
    std::vector<uint8_t> raw((stride + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = raw.data() + size_t(y) * (stride + 1);
        row[0] = 0;
        const uint8_t* in = pixels + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            row[1 + x * 3] = in[x * 4 + 2];
            row[2 + x * 3] = in[x * 4 + 1];
            row[3 + x * 3] = in[x * 4];
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return false;
    file->assign(kSignature, kSignature + 8);
    uint32_t w = uint32_t(width), h = uint32_t(height);
    // Width, height, 8 bits a sample, colour type 2 (RGB), deflate, adaptive filters, no interlace.
    const uint8_t header[13] = {uint8_t(w >> 24),
                                uint8_t(w >> 16),
                                uint8_t(w >> 8),
                                uint8_t(w),
                                uint8_t(h >> 24),
                                uint8_t(h >> 16),
                                uint8_t(h >> 8),
                                uint8_t(h),
                                8,
                                2,
                                0,
                                0,
                                0};
    PutChunk(file, "IHDR", header, sizeof header);
    PutChunk(file, "IDAT", packed.data(), packedSize);
    PutChunk(file, "IEND", nullptr, 0);
    return true;
}

bool PngDecode(const uint8_t* bytes, size_t size, BgraImage* image, std::string* why) {
    if (!IsPng(bytes, size)) {
        *why = "not a PNG";
        return false;
    }
    PngHeader header;
    std::vector<uint8_t> packed, palette, alphas;
    bool sawHeader = false, sawEnd = false;
    size_t at = 8;
    while (at + 12 <= size && !sawEnd) {
        uint32_t length = Get32(bytes + at);
        const uint8_t* type = bytes + at + 4;
        if (length > size - at - 12) {
            *why = "PNG chunk beyond the end";
            return false;
        }
        const uint8_t* data = bytes + at + 8;
        if (uint32_t(crc32(0, type, uInt(length + 4))) != Get32(data + length)) {
            *why = "PNG chunk with a bad CRC";
            return false;
        }
        if (memcmp(type, "IHDR", 4) == 0 && length == 13) {
            header.width = int(Get32(data) > uint32_t(kPngMaxSide) ? 0 : Get32(data));
            header.height = int(Get32(data + 4) > uint32_t(kPngMaxSide) ? 0 : Get32(data + 4));
            header.depth = data[8], header.colour = data[9], header.interlace = data[12];
            if (!CheckHeader(header, why)) return false;
            sawHeader = true;
        } else if (memcmp(type, "PLTE", 4) == 0) {
            palette.assign(data, data + length);
        } else if (memcmp(type, "tRNS", 4) == 0) {
            alphas.assign(data, data + length);
        } else if (memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), data, data + length);
        } else if (memcmp(type, "IEND", 4) == 0) {
            sawEnd = true;
        }
        at += size_t(length) + 12;
    }
    if (!sawHeader || !sawEnd) {
        *why = "PNG without header or end";
        return false;
    }
    int bitsPerPixel = Channels(header.colour) * header.depth;
    size_t stride = (size_t(header.width) * bitsPerPixel + 7) / 8;
    std::vector<uint8_t> raw((stride + 1) * size_t(header.height));
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK ||
        rawSize != raw.size()) {
        *why = "PNG image data do not inflate to the image size";
        return false;
    }
    std::vector<uint8_t> rows;
    int bytesPerPixel = bitsPerPixel >= 8 ? bitsPerPixel / 8 : 1;
    if (!Unfilter(raw, stride, header.height, bytesPerPixel, &rows)) {
        *why = "PNG row with an unknown filter";
        return false;
    }
    if (header.colour == 3 && palette.empty()) {
        *why = "palette PNG without a palette";
        return false;
    }
    ToBgra(header, rows, stride, palette, alphas, image);
    return true;
}
