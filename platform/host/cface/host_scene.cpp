#include "cface/host_scene.h"

#include "cface/views.h"

#include <cmath>

namespace {

struct Canvas {
    uint32_t* pixels;
    int width, height;
};

void Plot(const Canvas& canvas, int x, int y, uint32_t color) {
    if (x >= 0 && y >= 0 && x < canvas.width && y < canvas.height)
        canvas.pixels[static_cast<size_t>(y) * canvas.width + x] = color;
}

// Liang-Barsky: the part of the segment inside the canvas (with a margin), false when none.
bool ClipToCanvas(const Canvas& canvas, double& x0, double& y0, double& x1, double& y1) {
    double t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 + 1, canvas.width - x0, y0 + 1, canvas.height - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = t > t0 ? t : t0;
        else
            t1 = t < t1 ? t : t1;
        if (t0 > t1) return false;
    }
    double sx = x0, sy = y0;
    x0 = sx + t0 * dx, y0 = sy + t0 * dy;
    x1 = sx + t1 * dx, y1 = sy + t1 * dy;
    return true;
}

void Line(const Canvas& canvas, double x0, double y0, double x1, double y1, uint32_t color) {
    if (!ClipToCanvas(canvas, x0, y0, x1, y1)) return;
    int ax = int(std::lround(x0)), ay = int(std::lround(y0)), bx = int(std::lround(x1)),
        by = int(std::lround(y1));
    int dx = std::abs(bx - ax), dy = -std::abs(by - ay), sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int error = dx + dy;
    for (int steps = 0; steps < 100000; ++steps) {
        Plot(canvas, ax, ay, color);
        if (ax == bx && ay == by) break;
        int twice = 2 * error;
        if (twice >= dy) error += dy, ax += sx;
        if (twice <= dx) error += dx, ay += sy;
    }
}

// A design-space segment; a camera view cuts it at its front plane first.
void DesignLine(const Canvas& canvas, const OrbisaView& view, Vec3 a, Vec3 b, uint32_t color) {
    const ViewGeometry& g = view.geometry;
    if (g.camera) {
        Vec3 axis = Row(g.rotation, 2);
        double nearest = GeometryFocal(g) * 0.001;
        double da = -Dot(Sub(a, g.eye), axis) - nearest, db = -Dot(Sub(b, g.eye), axis) - nearest;
        if (da <= 0 && db <= 0) return;
        if (da <= 0)
            a = Add(a, Scale(Sub(b, a), da / (da - db)));
        else if (db <= 0)
            b = Add(b, Scale(Sub(a, b), db / (db - da)));
    }
    double x0, y0, x1, y1;
    if (!ViewDesignToPixel(view, a, &x0, &y0) || !ViewDesignToPixel(view, b, &x1, &y1)) return;
    Line(canvas, x0, y0, x1, y1, color);
}

void DrawRangeBox(const Canvas& canvas, const OrbisaView& view) {
    Vec3 lo = Host().rangeLow, hi = Host().rangeHigh;
    auto corner = [&](int i) {
        return Vec3{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
    };
    static const int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                      {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& edge : kEdges) DesignLine(canvas, view, corner(edge[0]), corner(edge[1]), kRangeColor);
    // The design axes through zero, as far as the range reaches.
    double reach = Length(Sub(hi, lo)) / 4;
    Vec3 zero{0, 0, 0};
    DesignLine(canvas, view, zero, {reach, 0, 0}, kAxisXColor);
    DesignLine(canvas, view, zero, {0, reach, 0}, kAxisYColor);
    DesignLine(canvas, view, zero, {0, 0, reach}, kAxisZColor);
}

void DrawTriad(const Canvas& canvas, const OrbisaView& view) {
    double cx = kTriadBox / 2.0, cy = canvas.height - kTriadBox / 2.0, reach = kTriadBox / 2.0 - 4;
    const Mat3& r = view.geometry.rotation;
    const uint32_t colors[3] = {kAxisXColor, kAxisYColor, kAxisZColor};
    for (int axis = 0; axis < 3; ++axis) {
        // Design axis i has view coordinates (r[0][i], r[1][i], r[2][i]); screen y grows downwards.
        Line(canvas, cx, cy, cx + r.m[0][axis] * reach, cy - r.m[1][axis] * reach, colors[axis]);
    }
}

void DrawMarkers(const Canvas& canvas, const OrbisaView& view) {
    for (const Vec3& marker : Host().markers) {
        double px, py;
        if (!ViewDesignToPixel(view, marker, &px, &py)) continue;
        int x = int(std::lround(px)), y = int(std::lround(py));
        for (int d = -4; d <= 4; ++d) {
            Plot(canvas, x + d, y, kMarkerColor);
            Plot(canvas, x, y + d, kMarkerColor);
        }
    }
}

void DrawCursor(const Canvas& canvas, const OrbisaView& view) {
    if (!view.cursorInside) return;
    for (int d = kCursorGap; d <= kCursorReach; ++d) {
        Plot(canvas, view.cursorX + d, view.cursorY, kCursorColor);
        Plot(canvas, view.cursorX - d, view.cursorY, kCursorColor);
        Plot(canvas, view.cursorX, view.cursorY + d, kCursorColor);
        Plot(canvas, view.cursorX, view.cursorY - d, kCursorColor);
    }
}

} // namespace

void DrawHostContents(OrbisaView& view) {
    if (!view.content) return;
    size_t count = static_cast<size_t>(view.width) * view.height;
    for (size_t i = 0; i < count; ++i) view.content[i] = kBackgroundColor;
    DrawRangeBox({view.content, view.width, view.height}, view);
}

void DrawOverlays(OrbisaView& view) {
    if (!view.shown) return;
    Canvas canvas{view.shown, view.width, view.height};
    DrawMarkers(canvas, view);
    DrawTriad(canvas, view);
    DrawCursor(canvas, view);
}
