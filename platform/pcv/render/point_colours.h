// How points get their colours: the channel a view shows, the palettes and ramps, and the per-block
// and per-node set-up that the drawing loop reads. Colours are 32-bit pixels: blue in the low byte,
// then green, then red, the top byte unused.
#pragma once

#include "../cloud_source.h"

#include "pcv.h"

#include <stdint.h>

enum class ColourKind : uint8_t {
    Constant, // one colour for every point
    Grey16,   // a 16-bit attribute mapped linearly to grey
    Ramp,     // a linear function of the height, through a 256-entry ramp
    Lut8,     // an 8-bit attribute through a 256-entry palette
    Rgb,      // the points' own colours
};
constexpr int kColourKindCount = 5;

enum class ByteChannel : uint8_t { Classification, ReturnNumber };

constexpr uint32_t PackColour(uint32_t red, uint32_t green, uint32_t blue) {
    return (red << 16) | (green << 8) | blue;
}

// Points whose block carries no intensity, shown grey by intensity.
constexpr uint32_t kPlainGrey = PackColour(192, 192, 192);

// The choice for one block in one frame.
struct BlockColouring {
    ColourKind kind;
    ByteChannel byteChannel; // Lut8
    const uint32_t* palette; // Lut8
    float greyScale;         // Grey16: grey = (intensity - low) * 255 / (high - low)
    float greyOffset;
    double rampLow;     // Ramp: the height shown in the ramp's first colour
    double rampPerUnit; // ramp entries per unit of height
};

// What the drawing loop reads for one node.
struct PointColouring {
    ColourKind kind;
    const uint32_t* table; // Lut8 palette or Ramp
    const uint8_t* bytes;  // Lut8
    const uint16_t* grey;  // Grey16
    const uint8_t* rgb;    // Rgb
    float scale;           // Grey16: of the intensity; Ramp: of the height offset from reference
    float offset;
    uint32_t constant;
};

// The colouring a view asks for: the record's channel with the channel bit, grey by intensity
// without it. A channel the block lacks, or one wider than maxChannelWidth (when it is above 0),
// falls back to the height ramp. The ramp spans rampLow to rampHigh.
BlockColouring ColouringForBlock(const ProjectionImageData& view, const CloudBlock& block, double rampLow,
                                 double rampHigh, int maxChannelWidth);

// A node's colouring; referenceZ is the offset that the loop subtracts from each point's z offset.
PointColouring ColouringForNode(const BlockColouring& colouring, const CloudBlock& block,
                                const NodePoints& points, int32_t referenceZ);

const uint32_t* ClassificationPalette();
const uint32_t* ReturnNumberPalette();
const uint32_t* ElevationRamp();
