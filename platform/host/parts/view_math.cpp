#include "parts/view_math.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMargin = 1.1;

Mat3 FromRows(Vec3 x, Vec3 y, Vec3 z) {
    return Mat3{{{x.x, x.y, x.z}, {y.x, y.y, y.z}, {z.x, z.y, z.z}}};
}

// Rodrigues: v turned by angle about the unit axis.
Vec3 TurnAbout(Vec3 v, Vec3 axis, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    return Add(Add(Scale(v, c), Scale(Cross(axis, v), s)), Scale(axis, Dot(axis, v) * (1 - c)));
}

// Re-orthonormalises the rows, so that repeated turns do not drift.
Mat3 Orthonormal(const Mat3& r) {
    Vec3 z = Normalized(Row(r, 2));
    Vec3 x = Normalized(Sub(Row(r, 0), Scale(z, Dot(Row(r, 0), z))));
    return FromRows(x, Cross(z, x), z);
}

double Aspect(int width, int height) {
    return (width > 0 && height > 0) ? double(width) / height : 1.0;
}

// The range's corners in view coordinates: lowest and highest per axis.
void ViewBounds(const Mat3& r, Vec3 lo, Vec3 hi, Vec3* low, Vec3* high) {
    for (int i = 0; i < 8; ++i) {
        Vec3 corner{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        Vec3 v = ToView(r, corner);
        if (i == 0 || v.x < low->x) low->x = v.x;
        if (i == 0 || v.y < low->y) low->y = v.y;
        if (i == 0 || v.z < low->z) low->z = v.z;
        if (i == 0 || v.x > high->x) high->x = v.x;
        if (i == 0 || v.y > high->y) high->y = v.y;
        if (i == 0 || v.z > high->z) high->z = v.z;
    }
}

void SetBox(ViewGeometry& g, Vec3 centreView, double dx, double dy, double dz) {
    g.delta = {dx, dy, dz};
    g.origin = FromView(g.rotation, {centreView.x - dx / 2, centreView.y - dy / 2, centreView.z - dz / 2});
}

void FitParallel(ViewGeometry& g, Vec3 lo, Vec3 hi, int width, int height) {
    Vec3 low{}, high{};
    ViewBounds(g.rotation, lo, hi, &low, &high);
    double dx = (high.x - low.x) * kMargin, dy = (high.y - low.y) * kMargin, dz = (high.z - low.z) * kMargin;
    if (dx <= 0 && dy <= 0) dx = dy = 1;
    double aspect = Aspect(width, height);
    if (dy <= 0 || dx / dy > aspect)
        dy = dx / aspect;
    else
        dx = dy * aspect;
    if (dz <= 0) dz = dx > dy ? dx : dy;
    SetBox(g, Scale(Add(low, high), 0.5), dx, dy, dz);
}

void FitCamera(ViewGeometry& g, Vec3 lo, Vec3 hi, int width, int height) {
    Vec3 centre = Scale(Add(lo, hi), 0.5);
    double radius = Length(Sub(hi, lo)) / 2;
    if (radius <= 0) radius = 0.5;
    double half = g.lensAngle / 2;
    double horizontal = std::atan(std::tan(half) * Aspect(width, height));
    if (horizontal < half) half = horizontal;
    double focal = radius / std::sin(half) * 1.05;
    g.target = centre;
    g.eye = Add(centre, Scale(Row(g.rotation, 2), focal));
    g.frontDistance = focal - radius * 1.2 > focal * 0.01 ? focal - radius * 1.2 : focal * 0.01;
    g.backDistance = focal + radius * 1.2;
    GeometryRefresh(g, width, height);
}

} // namespace

Vec3 Add(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 Sub(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Scale(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
Vec3 Normalized(Vec3 a) {
    double length = Length(a);
    return length > 0 ? Scale(a, 1 / length) : Vec3{0, 0, 1};
}
Mat3 Identity3() {
    return Mat3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}
Vec3 Row(const Mat3& r, int i) {
    return {r.m[i][0], r.m[i][1], r.m[i][2]};
}
Vec3 ToView(const Mat3& r, Vec3 v) {
    return {Dot(Row(r, 0), v), Dot(Row(r, 1), v), Dot(Row(r, 2), v)};
}
Vec3 FromView(const Mat3& r, Vec3 v) {
    return Add(Add(Scale(Row(r, 0), v.x), Scale(Row(r, 1), v.y)), Scale(Row(r, 2), v.z));
}

Mat3 StandardRotation(ViewOrientation orientation) {
    switch (orientation) {
        case kViewFront:
            return FromRows({1, 0, 0}, {0, 0, 1}, {0, -1, 0});
        case kViewRight:
            return FromRows({0, 1, 0}, {0, 0, 1}, {1, 0, 0});
        case kViewIso: {
            Vec3 z = Normalized({1, -1, 1});
            Vec3 x = Normalized({1, 1, 0});
            return FromRows(x, Cross(z, x), z);
        }
        default:
            return Identity3();
    }
}

Mat3 LookRotation(Vec3 eye, Vec3 target) {
    Vec3 z = Normalized(Sub(eye, target));
    Vec3 up{0, 0, 1};
    if (Length(Cross(up, z)) < 1e-9) up = {0, 1, 0};
    Vec3 x = Normalized(Cross(up, z));
    return FromRows(x, Cross(z, x), z);
}

double GeometryFocal(const ViewGeometry& g) {
    double focal = Length(Sub(g.eye, g.target));
    return focal > 0 ? focal : 1;
}

void TargetPlaneExtents(const ViewGeometry& g, int width, int height, double* dx, double* dy) {
    *dy = 2 * GeometryFocal(g) * std::tan(g.lensAngle / 2);
    *dx = *dy * Aspect(width, height);
}

void GeometryRefresh(ViewGeometry& g, int width, int height) {
    if (g.camera) {
        double dx = 0, dy = 0;
        TargetPlaneExtents(g, width, height, &dx, &dy);
        Vec3 t = ToView(g.rotation, g.target), e = ToView(g.rotation, g.eye);
        g.delta = {dx, dy, g.backDistance - g.frontDistance};
        g.origin = FromView(g.rotation, {t.x - dx / 2, t.y - dy / 2, e.z - g.backDistance});
        return;
    }
    Vec3 centre = ToView(g.rotation, GeometryCentre(g));
    SetBox(g, centre, g.delta.y * Aspect(width, height), g.delta.y, g.delta.z);
}

Vec3 GeometryCentre(const ViewGeometry& g) {
    return Add(g.origin, FromView(g.rotation, Scale(g.delta, 0.5)));
}

ViewGeometry ParallelGeometry(ViewOrientation orientation, Vec3 lo, Vec3 hi, int width, int height) {
    ViewGeometry g{};
    g.rotation = StandardRotation(orientation);
    g.lensAngle = kDefaultLensAngle;
    FitParallel(g, lo, hi, width, height);
    return g;
}

void GeometryFit(ViewGeometry& g, Vec3 lo, Vec3 hi, int width, int height) {
    if (g.camera)
        FitCamera(g, lo, hi, width, height);
    else
        FitParallel(g, lo, hi, width, height);
}

void GeometrySetRotation(ViewGeometry& g, const Mat3& rotation, int width, int height) {
    if (g.camera) {
        double focal = GeometryFocal(g);
        g.rotation = rotation;
        g.eye = Add(g.target, Scale(Row(rotation, 2), focal));
        GeometryRefresh(g, width, height);
        return;
    }
    Vec3 centre = GeometryCentre(g);
    g.rotation = rotation;
    g.origin = Sub(centre, FromView(rotation, Scale(g.delta, 0.5)));
}

void GeometrySetCamera(ViewGeometry& g, Vec3 eye, Vec3 target, int width, int height) {
    if (!(g.lensAngle > 0 && g.lensAngle < kPi)) g.lensAngle = kDefaultLensAngle;
    g.camera = true;
    g.eye = eye;
    g.target = target;
    g.rotation = LookRotation(eye, target);
    double focal = GeometryFocal(g);
    g.frontDistance = focal * 0.01;
    g.backDistance = focal * 10;
    GeometryRefresh(g, width, height);
}

void GeometryToCamera(ViewGeometry& g, int width, int height) {
    if (g.camera) return;
    if (!(g.lensAngle > 0 && g.lensAngle < kPi)) g.lensAngle = kDefaultLensAngle;
    double focal = g.delta.y / 2 / std::tan(g.lensAngle / 2);
    g.target = GeometryCentre(g);
    g.eye = Add(g.target, Scale(Row(g.rotation, 2), focal));
    g.frontDistance = focal - g.delta.z / 2 > focal * 0.01 ? focal - g.delta.z / 2 : focal * 0.01;
    g.backDistance = focal + g.delta.z / 2;
    g.camera = true;
    GeometryRefresh(g, width, height);
}

void GeometryToParallel(ViewGeometry& g, int width, int height) {
    if (!g.camera) return;
    double dx = 0, dy = 0;
    TargetPlaneExtents(g, width, height, &dx, &dy);
    double dz = g.backDistance - g.frontDistance;
    if (dz <= 0) dz = dy;
    g.camera = false;
    SetBox(g, ToView(g.rotation, g.target), dx, dy, dz);
}

Vec3 GeometryPixelToDesign(const ViewGeometry& g, int width, int height, double px, double py) {
    double fx = width > 0 ? (px + 0.5) / width : 0.5;
    double fy = height > 0 ? (py + 0.5) / height : 0.5;
    if (g.camera) {
        double dx = 0, dy = 0;
        TargetPlaneExtents(g, width, height, &dx, &dy);
        Vec3 offset{(fx - 0.5) * dx, (0.5 - fy) * dy, -GeometryFocal(g)};
        return Add(g.eye, FromView(g.rotation, offset));
    }
    Vec3 o = ToView(g.rotation, g.origin);
    return FromView(g.rotation, {o.x + fx * g.delta.x, o.y + (1 - fy) * g.delta.y, o.z + g.delta.z / 2});
}

bool GeometryDesignToPixel(const ViewGeometry& g, int width, int height, Vec3 point, double* px, double* py) {
    if (g.camera) {
        Vec3 v = ToView(g.rotation, Sub(point, g.eye));
        double focal = GeometryFocal(g);
        if (-v.z <= focal * 1e-6) return false;
        double dx = 0, dy = 0;
        TargetPlaneExtents(g, width, height, &dx, &dy);
        double s = focal / -v.z;
        *px = (v.x * s / dx + 0.5) * width - 0.5;
        *py = (0.5 - v.y * s / dy) * height - 0.5;
        return true;
    }
    Vec3 v = ToView(g.rotation, point), o = ToView(g.rotation, g.origin);
    *px = (v.x - o.x) / g.delta.x * width - 0.5;
    *py = (o.y + g.delta.y - v.y) / g.delta.y * height - 0.5;
    return true;
}

void GeometryZoom(ViewGeometry& g, int width, int height, double px, double py, double factor) {
    if (!(factor > 0)) return;
    Vec3 fixed = GeometryPixelToDesign(g, width, height, px, py);
    if (g.camera) {
        g.eye = Add(fixed, Scale(Sub(g.eye, fixed), factor));
        g.target = Add(fixed, Scale(Sub(g.target, fixed), factor));
        g.frontDistance *= factor;
        g.backDistance *= factor;
        GeometryRefresh(g, width, height);
        return;
    }
    Vec3 o = ToView(g.rotation, g.origin), f = ToView(g.rotation, fixed);
    o.x = f.x - (f.x - o.x) * factor;
    o.y = f.y - (f.y - o.y) * factor;
    g.delta.x *= factor;
    g.delta.y *= factor;
    g.origin = FromView(g.rotation, o);
}

void GeometryPan(ViewGeometry& g, int width, int height, double dx, double dy) {
    if (width <= 0 || height <= 0) return;
    double ex = g.delta.x, ey = g.delta.y;
    if (g.camera) TargetPlaneExtents(g, width, height, &ex, &ey);
    Vec3 shift = FromView(g.rotation, {-dx * ex / width, dy * ey / height, 0});
    if (g.camera) {
        g.eye = Add(g.eye, shift);
        g.target = Add(g.target, shift);
        GeometryRefresh(g, width, height);
    } else {
        g.origin = Add(g.origin, shift);
    }
}

void GeometryRotate(ViewGeometry& g, int width, int height, double dx, double dy) {
    double yaw = -dx * kRotateDegreesPerPixel * kPi / 180;
    double pitch = -dy * kRotateDegreesPerPixel * kPi / 180;
    Vec3 axisX = Row(g.rotation, 0);
    Vec3 rows[3];
    for (int i = 0; i < 3; ++i)
        rows[i] = TurnAbout(TurnAbout(Row(g.rotation, i), axisX, pitch), {0, 0, 1}, yaw);
    GeometrySetRotation(g, Orthonormal(FromRows(rows[0], rows[1], rows[2])), width, height);
}
