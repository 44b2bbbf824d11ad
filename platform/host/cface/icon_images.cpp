#include "cface/icon_images.h"

#include "cface/resources.h"
#include "parts/ico_decode.h"

#include <cmath>
#include <cstring>
#include <vector>

HBITMAP BitmapOfImage(const BgraImage& image) {
    if (image.width <= 0 || image.height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* out = static_cast<unsigned char*>(bits);
    size_t count = static_cast<size_t>(image.width) * image.height;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* in = image.pixels.data() + i * 4;
        unsigned alpha = in[3];
        for (int c = 0; c < 3; ++c) out[i * 4 + c] = static_cast<unsigned char>(in[c] * alpha / 255);
        out[i * 4 + 3] = static_cast<unsigned char>(alpha);
    }
    return bitmap;
}

bool IconFromResources(const char* path, BgraImage* image, std::string* why) {
    std::vector<unsigned char> bytes;
    if (!path || !FindResource(path, &bytes, why)) {
        if (why->empty()) *why = "not in a registered resource collection";
        return false;
    }
    BgraImage decoded;
    if (!IcoDecode(bytes.data(), bytes.size(), kIconSide, &decoded, why)) return false;
    *image = (decoded.width == kIconSide && decoded.height == kIconSide) ? decoded
                                                                         : ScaleImage(decoded, kIconSide);
    return image->width == kIconSide;
}

unsigned MiddleColor(const BgraImage& image) {
    if (image.width <= 0 || image.height <= 0) return 0;
    const unsigned char* p =
        image.pixels.data() + (static_cast<size_t>(image.height / 2) * image.width + image.width / 2) * 4;
    return (unsigned(p[2]) << 16) | (unsigned(p[1]) << 8) | p[0];
}

namespace {

struct Painter {
    BgraImage image;

    void Blend(int x, int y, unsigned rgb, double coverage) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height || coverage <= 0) return;
        if (coverage > 1) coverage = 1;
        unsigned char* p = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
        double a = p[3] / 255.0, na = coverage + a * (1 - coverage);
        const unsigned char source[3] = {static_cast<unsigned char>(rgb),
                                         static_cast<unsigned char>(rgb >> 8),
                                         static_cast<unsigned char>(rgb >> 16)};
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<unsigned char>((source[c] * coverage + p[c] * a * (1 - coverage)) /
                                              (na > 0 ? na : 1));
        p[3] = static_cast<unsigned char>(na * 255);
    }

    // Everything within width / 2 of the segment, softened over a pixel.
    void Segment(double x0, double y0, double x1, double y1, double width, unsigned rgb) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                double px = x + 0.5 - x0, py = y + 0.5 - y0, dx = x1 - x0, dy = y1 - y0;
                double t = (dx * px + dy * py) / (dx * dx + dy * dy + 1e-12);
                t = t < 0 ? 0 : (t > 1 ? 1 : t);
                double distance = std::hypot(px - t * dx, py - t * dy);
                Blend(x, y, rgb, width / 2 + 0.5 - distance);
            }
    }

    void Ring(double cx, double cy, double radius, double width, unsigned rgb) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                double distance = std::fabs(std::hypot(x + 0.5 - cx, y + 0.5 - cy) - radius);
                Blend(x, y, rgb, width / 2 + 0.5 - distance);
            }
    }

    void Disc(double cx, double cy, double radius, unsigned rgb) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                Blend(x, y, rgb, radius + 0.5 - std::hypot(x + 0.5 - cx, y + 0.5 - cy));
    }
};

} // namespace

BgraImage DrawHostPicture(HostPicture picture) {
    Painter p;
    p.image.width = p.image.height = kIconSide;
    p.image.pixels.assign(kIconSide * kIconSide * 4, 0);
    switch (picture) {
        case kPictureSnap:
            p.Ring(12, 12, 7, 2, 0x2F6FBF);
            p.Segment(12, 1, 12, 7, 2, 0x2F6FBF);
            p.Segment(12, 17, 12, 23, 2, 0x2F6FBF);
            p.Segment(1, 12, 7, 12, 2, 0x2F6FBF);
            p.Segment(17, 12, 23, 12, 2, 0x2F6FBF);
            p.Disc(12, 12, 2.5, 0xD04040);
            break;
        case kPictureStereo:
            p.Disc(9, 12, 6.5, 0xE03030);
            p.Disc(15, 12, 6.5, 0x20C8D8);
            p.Ring(9, 12, 6.5, 1.2, 0x404040);
            p.Ring(15, 12, 6.5, 1.2, 0x404040);
            break;
        case kPicturePerspective:
            p.Segment(3, 20, 21, 20, 2, 0x404040);
            p.Segment(3, 20, 8, 5, 2, 0x404040);
            p.Segment(21, 20, 16, 5, 2, 0x404040);
            p.Segment(8, 5, 16, 5, 2, 0x404040);
            p.Segment(12, 20, 12, 5, 1.2, 0x2F6FBF);
            break;
        case kPictureFit:
            p.Segment(6, 6, 18, 6, 1.4, 0x808080);
            p.Segment(18, 6, 18, 18, 1.4, 0x808080);
            p.Segment(18, 18, 6, 18, 1.4, 0x808080);
            p.Segment(6, 18, 6, 6, 1.4, 0x808080);
            p.Segment(2, 2, 8, 8, 2, 0x2F6FBF);
            p.Segment(22, 2, 16, 8, 2, 0x2F6FBF);
            p.Segment(2, 22, 8, 16, 2, 0x2F6FBF);
            p.Segment(22, 22, 16, 16, 2, 0x2F6FBF);
            break;
    }
    return p.image;
}
