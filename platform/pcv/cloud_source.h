// The loaded cloud as the renderer and the point search see it: blocks of octree nodes whose points
// come into memory on demand. The storage side provides it; the renderer only reads it.
#pragma once

#include <stdint.h>

constexpr int32_t kNoNode = -1;

// Channel numbers; bit n of a channel mask stands for channel n.
enum PcvChannel : uint32_t {
    PcvChannelElevation = 0, // colour ramp over the height; every cloud has it
    PcvChannelIntensity = 1,
    PcvChannelClassification = 5,
    PcvChannelRgb = 7,
    PcvChannelReturnNumber = 28,
};

// The resident points of one node, as arrays of count entries. A channel the block does not carry
// is null.
struct NodePoints {
    uint32_t count;
    const int32_t* offsets; // count * 3 (x, y, z): coordinate = block origin + offset * block scale
    const uint16_t* intensity;
    const uint8_t* classification;
    const uint8_t* rgb; // count * 3: red, green, blue
    const uint8_t* returnNumber;
};

// One node of a block's octree. A node holds a thinned sample of the points in its cube; its children
// hold the rest, so drawing a node and all its ancestors shows every point of its cube at that node's
// density.
struct CloudNode {
    double minimum[3]; // the node's cube, absolute coordinates
    double maximum[3];
    double spacing;      // typical distance between neighbouring points of the node
    uint32_t pointCount; // the node's own points
    int32_t children[8]; // node indexes within the block, kNoNode where there is none
    int32_t parent;      // kNoNode for the root
    uint8_t level;       // 0 for the root
};

struct CloudBlock {
    double origin[3];
    double scale[3];
    double minimum[3]; // bounds of the block's points
    double maximum[3];
    uint64_t pointCount;
    uint64_t channelMask;  // channels the block carries
    uint16_t intensityLow; // intensities at or below it show black, at or above intensityHigh white
    uint16_t intensityHigh;
    const CloudNode* nodes; // nodes[0] is the root; parents come before their children
    uint32_t nodeCount;
    // Heights at or below elevationLow show the elevation ramp's first colour, at or above
    // elevationHigh its last; the same for every block of a project, so that blocks meet seamlessly.
    double elevationLow;
    double elevationHigh;
    const uint8_t* classColours; // 256 * 3: red, green, blue of each class; never null
};

// What the renderer gets from the storage side. acquire brings a node's points into memory (reading
// them when they are not resident) and keeps them there until release is called with the same
// priority; it returns null when the points cannot be had. Both are called on the thread that calls
// the renderer, never from its worker threads.
struct CloudSource {
    const CloudBlock* blocks;
    int blockCount;
    void* context;
    const NodePoints* (*acquire)(void* context, int block, int node, int priority);
    void (*release)(void* context, int priority);
};
