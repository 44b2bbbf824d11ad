#include "support/png_reader.h"

#include "support/test_environment.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace pngread {
namespace {

unsigned Get32(const unsigned char* p) {
    return (unsigned(p[0]) << 24) | (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8) | p[3];
}

int Predict(int filter, int a, int b, int c) {
    switch (filter) {
        case 1:
            return a;
        case 2:
            return b;
        case 3:
            return (a + b) / 2;
        case 4: {
            int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        }
        default:
            return 0;
    }
}

} // namespace

bool Read(const std::wstring& path, Image* image, std::string* why) {
    std::string file;
    if (!testenv::ReadFileBytes(path, file)) return *why = "cannot read the file", false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || memcmp(bytes, kSignature, 8) != 0) return *why = "no PNG signature", false;
    int channels = 0;
    std::string packed;
    bool ended = false;
    for (size_t at = 8; at + 12 <= file.size() && !ended;) {
        unsigned length = Get32(bytes + at);
        if (length > file.size() - at - 12) return *why = "chunk beyond the end", false;
        const unsigned char* type = bytes + at + 4;
        if (crc32(0, type, length + 4) != Get32(type + 4 + length)) return *why = "bad chunk CRC", false;
        if (memcmp(type, "IHDR", 4) == 0) {
            image->width = int(Get32(type + 4));
            image->height = int(Get32(type + 8));
            if (type[12] != 8 || (type[13] != 2 && type[13] != 6) || type[16] != 0)
                return *why = "not 8-bit RGB(A) without interlace", false;
            channels = type[13] == 2 ? 3 : 4;
        } else if (memcmp(type, "IDAT", 4) == 0) {
            packed.append(reinterpret_cast<const char*>(type + 4), length);
        } else if (memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        at += length + 12;
    }
    if (!channels || !ended || image->width <= 0 || image->height <= 0 || image->width > 16384 ||
        image->height > 16384)
        return *why = "missing header or end", false;
    size_t stride = size_t(image->width) * channels;
    std::vector<unsigned char> raw((stride + 1) * image->height);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                   uLong(packed.size())) != Z_OK ||
        rawSize != raw.size())
        return *why = "image data do not inflate to the image size", false;
    std::vector<unsigned char> rows(stride * image->height);
    for (int y = 0; y < image->height; ++y) {
        const unsigned char* in = raw.data() + y * (stride + 1);
        unsigned char* row = rows.data() + y * stride;
        for (size_t x = 0; x < stride; ++x) {
            int a = x >= size_t(channels) ? row[x - channels] : 0, b = y ? row[x - stride] : 0;
            int c = (y && x >= size_t(channels)) ? row[x - stride - channels] : 0;
            if (in[0] > 4) return *why = "unknown row filter", false;
            row[x] = static_cast<unsigned char>(in[1 + x] + Predict(in[0], a, b, c));
        }
    }
    image->rgb.resize(size_t(image->width) * image->height * 3);
    for (size_t i = 0; i < size_t(image->width) * image->height; ++i)
        memcpy(&image->rgb[i * 3], &rows[i * channels], 3);
    return true;
}

unsigned PixelAt(const Image& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0xFFFFFFFFu;
    const unsigned char* p = &image.rgb[(size_t(y) * image.width + x) * 3];
    return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
}

} // namespace pngread
