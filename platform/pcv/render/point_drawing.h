// The drawing loop: projects a node's points into one eye's image with a per-node transform in single
// precision relative to the camera and keeps, per pixel, the nearest point's depth and colour as one
// integer sample.
#pragma once

#include "render/point_colours.h"
#include "render/view_projection.h"

#include <stdint.h>

// A pixel's sample: the depth key of its nearest point in the high half and that point's colour,
// inverted, in the low half, so that the nearer of two samples is the smaller number and a buffer
// cleared to all ones holds empty pixels of the background colour (black).
constexpr uint64_t kEmptySample = ~0ull;
constexpr uint8_t kEmptySampleByte = 0xFF;
inline uint64_t MakeSample(uint32_t key, uint32_t colour) {
    return (static_cast<uint64_t>(key) << 32) | ~colour;
}
inline uint32_t SampleKey(uint64_t sample) {
    return static_cast<uint32_t>(sample >> 32);
}
inline uint32_t SampleColour(uint64_t sample) {
    return ~static_cast<uint32_t>(sample) & 0xFFFFFFu;
}
constexpr int kLargestSplat = 64;

// The part of one eye's samples a worker owns: rows rowBegin to rowEnd - 1 of the full image.
struct EyeTarget {
    uint64_t* samples; // width * height of the eye, top row first
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
