// The arithmetic that turns a host view into the engine's view record, apart from the host calls that
// gather its inputs, so that it can be checked against values worked out by hand.
#pragma once

#include "orbisa_cface.h"
#include "pcv.h"

#include <stddef.h>
#include <stdint.h>

// Everything FillViewRecord asks the host for one view. Points and extents are already in the
// current transform's units (master units), the way the engine wants them.
struct HostViewValues {
    VwParams box;    // VwGetParams: origin, delta and the rotation written into the record
    VwParams camera; // VwParamsByView: the rotation that takes the delta into design space, camera values
    int32_t width;   // image size in pixels
    int32_t height;
    bool perspective; // ViewIsPerspective
    DPoint3d eye;     // perspective views only
    DPoint3d target;
    int stereoState; // VwIsStereo; bit 0 is the view's stereo switch
};

struct ViewPointSizes {
    double perspective; // "PointSize"
    double parallel;    // "PointSizeParallel"
};

// A perspective view's near distance is held no closer than where it was at the previous draw of the
// same view, so a single redraw with a briefly wider box does not pull the clip plane in. The bound
// belongs to one view index: another view's box says nothing about this one.
struct ViewNearBound {
    bool known;
    float nearDistance; // the view-box near distance computed at that view's previous draw
};

// The inverse of a rotation held row by row. An orthonormal matrix (MᵀM within 1e-10 of the identity
// in every entry) is inverted by its transpose, which keeps an exact rotation exact; anything else by
// its adjugate over its determinant; a singular one (determinant exactly 0) gives the identity.
void RotationInverse(const double matrix[3][3], double inverse[3][3]);

// Camera, flags, projection, rotation, point size and the fixed fields: everything but the depths.
void ViewRecordCamera(ProjectionImageData* record, const HostViewValues& host, const ViewPointSizes& sizes);
// The view box and clip distances along the depth axis, from the camera position the record holds.
// bound is this view's; it is read and updated for perspective views and forgotten for parallel ones.
void ViewRecordDepths(ProjectionImageData* record, const HostViewValues& host, ViewNearBound* bound);

// Where the right eye's image starts in the engine's buffer: directly behind the left one, whose
// pixels take 4 bytes each.
size_t ViewRightEyeOffset(const ProjectionImageData& record);
