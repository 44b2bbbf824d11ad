#include "render/view_projection.h"

#include <cmath>

namespace {

// Parallax a stereo view gives a point at infinity, as a share of the image width: 1/40 keeps the
// far background within a comfortable divergence on a wide screen.
constexpr double kStereoStrengthShare = 1.0 / 40.0;
// Images larger than this are refused; mouse positions are 16-bit.
constexpr int kLargestImageSide = 32767;

double Dot(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool AllFinite(const float values[3][3]) {
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (!std::isfinite(values[row][column])) return false;
    return true;
}

double Determinant(const double rows[3][3]) {
    return rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1]) -
           rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0]) +
           rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
}

// Points closer to a perspective camera than this share of the far distance are not drawn: their
// image positions would overflow and they fill the whole view.
double SmallestPerspectiveDepth(double farClip) {
    double scale = std::isfinite(farClip) ? std::fabs(farClip) : 1.0;
    return 1e-6 * (scale > 1.0 ? scale : 1.0);
}

void ClipDistances(const ProjectionImageData& view, bool perspective, ViewProjection* projection) {
    double nearClip = std::isnan(view.nearDistance) ? -HUGE_VAL : view.nearDistance;
    double farClip = std::isnan(view.farDistance) ? HUGE_VAL : view.farDistance;
    if (perspective) {
        double smallest = SmallestPerspectiveDepth(farClip);
        if (nearClip < smallest) nearClip = smallest;
    }
    projection->nearClip = nearClip;
    projection->farClip = farClip;
}

// The view box's middle: the caller's view box stands around what it looks at, so points there
// appear in the screen plane, nearer ones in front of it and farther ones behind.
double ZeroParallaxDepth(const ProjectionImageData& view, const ViewProjection& projection) {
    double boxMiddle = 0.5 * (static_cast<double>(view.viewBoxNear) + view.viewBoxFar);
    double clipMiddle = 0.5 * (projection.nearClip + projection.farClip);
    double smallest = projection.perspective ? SmallestPerspectiveDepth(projection.farClip) : -HUGE_VAL;
    if (std::isfinite(boxMiddle) && boxMiddle > smallest) return boxMiddle;
    if (std::isfinite(clipMiddle) && clipMiddle > smallest) return clipMiddle;
    return projection.perspective ? 1.0 : 0.0;
}

// side: +1 left eye, -1 right eye, 0 mono. The eyes stand apart along the image x axis with parallel
// view directions; shifting each image by half the parallax of the zero-parallax depth keeps that
// depth in the screen plane. In a parallel view the same shear grows linearly with depth instead.
void FillEye(const ViewProjection& projection, const double rotation[3][3], double side, double extraShift,
             EyeProjection* eye) {
    const double k = projection.pixelScale;
    for (int axis = 0; axis < 3; ++axis) {
        eye->uAxis[axis] = k * rotation[0][axis];
        eye->vAxis[axis] = k * rotation[1][axis];
        eye->depthAxis[axis] = -rotation[2][axis];
    }
    const double halfParallax = 0.5 * side * projection.stereoStrength;
    eye->rowCentre = 0.5 * projection.height;
    if (projection.perspective) {
        eye->uConstant = halfParallax * projection.zeroParallaxDepth;
        eye->columnCentre = 0.5 * projection.width - halfParallax + extraShift;
    } else {
        // Parallax per unit of depth: the full strength for a depth change of one view height
        // (2 / scale), that is strength * scale / 2, half of it for each eye.
        double perDepth = halfParallax * k / projection.height;
        for (int axis = 0; axis < 3; ++axis) eye->uAxis[axis] -= perDepth * eye->depthAxis[axis];
        eye->uConstant = perDepth * projection.zeroParallaxDepth;
        eye->columnCentre = 0.5 * projection.width + extraShift;
    }
}

void AverageEyes(const EyeProjection& a, const EyeProjection& b, EyeProjection* middle) {
    for (int axis = 0; axis < 3; ++axis) {
        middle->uAxis[axis] = 0.5 * (a.uAxis[axis] + b.uAxis[axis]);
        middle->vAxis[axis] = 0.5 * (a.vAxis[axis] + b.vAxis[axis]);
        middle->depthAxis[axis] = 0.5 * (a.depthAxis[axis] + b.depthAxis[axis]);
    }
    middle->uConstant = 0.5 * (a.uConstant + b.uConstant);
    middle->columnCentre = 0.5 * (a.columnCentre + b.columnCentre);
    middle->rowCentre = 0.5 * (a.rowCentre + b.rowCentre);
}

} // namespace

bool ViewProjectionFromRecord(const ProjectionImageData& view, ViewProjection* projection) {
    if (view.imageWidth <= 0 || view.imageHeight <= 0) return false;
    if (view.imageWidth > kLargestImageSide || view.imageHeight > kLargestImageSide) return false;
    if (!AllFinite(view.rotation)) return false;
    double rotation[3][3];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) rotation[row][column] = view.rotation[row][column];
    if (!(std::fabs(Determinant(rotation)) > 1e-6)) return false;
    double scale = static_cast<double>(view.projectionScale1) * view.projectionScale2;
    if (!(scale > 0.0) || !std::isfinite(scale)) return false;
    for (int axis = 0; axis < 3; ++axis)
        if (!std::isfinite(view.cameraPosition[axis])) return false;

    ViewProjection& p = *projection;
    for (int axis = 0; axis < 3; ++axis) p.camera[axis] = view.cameraPosition[axis];
    p.perspective = (view.flags & PcvViewParallel) == 0;
    p.eyeCount = (view.flags & PcvViewStereo) ? 2 : 1;
    p.width = view.imageWidth;
    p.height = view.imageHeight;
    // Normalised image height runs from -1 (top) to 1 (bottom) over the image's rows; columns use
    // the same scale, so pixels are square.
    p.pixelScale = 0.5 * view.imageHeight * scale;
    ClipDistances(view, p.perspective, projection);
    p.zeroParallaxDepth = ZeroParallaxDepth(view, p);
    p.stereoStrength = kStereoStrengthShare * view.imageWidth;
    if (p.eyeCount == 2) {
        double shift = std::isfinite(view.stereoShift) ? view.stereoShift : 0.0;
        FillEye(p, rotation, 1.0, 0.0, &p.eyes[0]);
        FillEye(p, rotation, -1.0, shift, &p.eyes[1]);
        AverageEyes(p.eyes[0], p.eyes[1], &p.middle);
    } else {
        FillEye(p, rotation, 0.0, 0.0, &p.eyes[0]);
        p.eyes[1] = p.eyes[0];
        p.middle = p.eyes[0];
    }
    return true;
}

bool ProjectToEye(const ViewProjection& projection, const EyeProjection& eye, const double point[3],
                  EyePosition* position) {
    double q[3] = {point[0] - projection.camera[0], point[1] - projection.camera[1],
                   point[2] - projection.camera[2]};
    double depth = Dot(eye.depthAxis, q);
    double w = 1.0;
    if (projection.perspective) {
        if (!(depth > 0.0)) return false;
        w = depth;
    }
    position->column = eye.columnCentre + (Dot(eye.uAxis, q) + eye.uConstant) / w;
    position->row = eye.rowCentre + Dot(eye.vAxis, q) / w;
    position->depth = depth;
    return true;
}

void LinearRangeOverBox(const double axis[3], double constant, const double camera[3],
                        const double minimum[3], const double maximum[3], double* low, double* high) {
    double centre = constant;
    double reach = 0.0;
    for (int i = 0; i < 3; ++i) {
        centre += axis[i] * (0.5 * (minimum[i] + maximum[i]) - camera[i]);
        reach += std::fabs(axis[i]) * 0.5 * (maximum[i] - minimum[i]);
    }
    *low = centre - reach;
    *high = centre + reach;
}
