// DrawRaster and DrawRasterStereo: a mini app's pixels into the view being updated.
#include "cface/call_log.h"
#include "cface/host.h"

#include <cstring>

namespace {

std::string FormatRasterPoint(const RasterPoint* point) {
    if (!point) return "null";
    return "(" + std::to_string(point->x) + "," + std::to_string(point->y) + ")";
}

// 0 when the view may be painted now, else the negative result to give.
int CheckPaintable(OrbisaView* view, int format, const RasterPoint* origin, const RasterPoint* size,
                   const void* pixels) {
    if (!view) return -1;
    if (!view->updating || view->phase != 1 || Host().updatingView != view || !view->content) return -2;
    if (format != DrawRasterFormatBgrx) return -3;
    if (!origin || !size || !pixels) return -4;
    return 0;
}

int Paint(OrbisaView* view, int eye, const RasterPoint* origin, const RasterPoint* size, int width,
          int height, int format, const void* pixels) {
    int check = CheckPaintable(view, format, origin, size, pixels);
    if (check < 0) return check;
    PixelTarget target{view->content, view->width, view->height};
    if (eye >= 0) {
        std::vector<uint32_t>& image = view->eyes[eye];
        size_t count = static_cast<size_t>(view->width) * view->height;
        // Where the eye's raster does not reach, the eye sees the host's contents.
        if (!view->eyeGiven[eye] || image.size() != count) {
            image.resize(count);
            memcpy(image.data(), view->content, count * 4);
        }
        view->eyeGiven[eye] = true;
        target.pixels = image.data();
    }
    long long copied =
        RasterCopyClipped(target, origin->x, origin->y, size->x, size->y, pixels, width, height);
    return copied < 0 ? -5 : 0;
}

void LogPaint(const char* name, ViewHandle view, const int* eye, const RasterPoint* origin,
              const RasterPoint* size, int width, int height, int format, const void* pixels, int result) {
    if (!CallLogging()) return;
    LogLine line;
    LogBegin(line, name);
    OrbisaView* known = ViewOfHandle(view);
    LogInt(line, "view", known ? known->index : -1);
    if (eye) LogInt(line, "eye", *eye);
    LogRaw(line, "origin", FormatRasterPoint(origin));
    LogRaw(line, "size", FormatRasterPoint(size));
    LogInt(line, "width", width);
    LogInt(line, "height", height);
    LogInt(line, "format", format);
    LogPointer(line, "pixels", pixels);
    LogResult(line, result);
    CallLogWrite(line);
}

} // namespace

extern "C" {

int DrawRaster(ViewHandle view, const RasterPoint* origin, const RasterPoint* size, int width, int height,
               int format, const void* pixels) {
    int result = Paint(ViewOfHandle(view), -1, origin, size, width, height, format, pixels);
    LogPaint("DrawRaster", view, nullptr, origin, size, width, height, format, pixels, result);
    return result;
}

int DrawRasterStereo(ViewHandle view, int eye, const RasterPoint* origin, const RasterPoint* size, int width,
                     int height, int format, const void* pixels) {
    int result = (eye == 0 || eye == 1)
                     ? Paint(ViewOfHandle(view), eye, origin, size, width, height, format, pixels)
                     : -6;
    LogPaint("DrawRasterStereo", view, &eye, origin, size, width, height, format, pixels, result);
    return result;
}

} // extern "C"
