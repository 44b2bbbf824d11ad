// The projection of a view record: how a point in master units becomes an image column, row and depth
// for each eye. Drawing, depth estimation, projection and point finding all derive it from the record
// here, so that they agree to the pixel.
#pragma once

#include "pcv.h"

constexpr int kMaxEyes = 2;

// One eye's mapping. With q = point - camera:
//   u = dot(uAxis, q) + uConstant,  v = dot(vAxis, q),  depth = dot(depthAxis, q)
//   w = depth (perspective) or 1 (parallel)
//   column = columnCentre + u / w,  row = rowCentre + v / w   (continuous; pixel c covers [c, c + 1))
struct EyeProjection {
    double uAxis[3];
    double uConstant;
    double vAxis[3];
    double depthAxis[3];
    double columnCentre;
    double rowCentre;
};

struct ViewProjection {
    double camera[3];
    bool perspective;
    int eyeCount; // 2 for a stereo record
    int width;
    int height;
    double pixelScale; // pixels per unit of camera x or y (at unit depth in perspective)
    double nearClip;   // points are drawn when nearClip <= depth <= farClip
    double farClip;
    double zeroParallaxDepth; // depth at which both eyes see a point in the same column
    double stereoStrength;    // pixels of parallax a point at infinity (perspective) gets
    EyeProjection eyes[kMaxEyes];
    EyeProjection middle; // halfway between the eyes: where the caller's mouse positions live
};

// Image position of a point in one eye's mapping.
struct EyePosition {
    double column;
    double row;
    double depth;
};

// False when the record cannot be drawn: no image size, a singular or non-finite rotation, a
// projection scale that is not positive.
bool ViewProjectionFromRecord(const ProjectionImageData& view, ViewProjection* projection);

// The position of a point (master units) for one eye; false when it lies at or behind the camera
// plane of a perspective view.
bool ProjectToEye(const ViewProjection& projection, const EyeProjection& eye, const double point[3],
                  EyePosition* position);

// The least and greatest value over an axis-aligned box of the linear function
// dot(axis, q) + constant, q = corner - camera.
void LinearRangeOverBox(const double axis[3], double constant, const double camera[3],
                        const double minimum[3], const double maximum[3], double* low, double* high);
