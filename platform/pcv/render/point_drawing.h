// The drawing loop: projects a node's points into one eye's image with a per-node transform in single
// precision relative to the camera, tests them against the eye's depth buffer as integers and writes
// the colours of the nearest.
#pragma once

#include "render/point_colours.h"
#include "render/view_projection.h"

#include <stdint.h>

constexpr uint32_t kEmptyDepth = 0xFFFFFFFFu;
constexpr int kLargestSplat = 64;

// The part of one eye's image a worker owns: rows rowBegin to rowEnd - 1 of the full image.
struct EyeTarget {
    uint32_t* colour; // width * height pixels of the eye, top row first
    uint32_t* depth;
    int width;
    int rowBegin;
    int rowEnd;
};

// A node's points to the eye: with f = offset - reference (exact small integers as floats),
// (u, v, key) = axis * f + constant; w = key (perspective) or 1; column = columnCentre + u / w,
// row = rowCentre + v / w. The depth key is the depth less the frame's depth bias; its float bits
// order like unsigned integers because it is never negative.
struct NodeTransform {
    float axis[3][3];
    float constant[3];
    int32_t reference[3];
    float columnCentre;
    float rowCentre;
    float keyLow; // clip range of the key
    float keyHigh;
};

struct NodeDraw {
    const NodePoints* points;
    uint32_t count; // points 0, step, 2 step, ... below count
    uint32_t step;
    int splat; // footprint width in pixels, 1 to kLargestSplat
    PointColouring colouring;
    const uint8_t* visibleClasses; // 256 entries, 0 hides the class; null shows every point
};

// The node's reference offset (its centre) and transform for one eye. depthBias is subtracted from
// depths before they become keys: 0 in perspective views, the frame's smallest depth in parallel.
NodeTransform MakeNodeTransform(const ViewProjection& projection, const EyeProjection& eye,
                                const CloudBlock& block, const CloudNode& node, double depthBias);

// The reference offset MakeNodeTransform uses; the colouring needs its z.
void NodeReference(const CloudBlock& block, const CloudNode& node, int32_t reference[3]);

// Draws the node's points into the target. Returns how many points it looked at.
uint32_t DrawNodePoints(const EyeTarget& target, const NodeTransform& transform, const NodeDraw& draw,
                        bool perspective);
