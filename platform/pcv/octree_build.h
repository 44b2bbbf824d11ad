// Building one block's octree in memory: points in, nodes and the order of their points out. The
// conversion builds every block with it before writing the block's storage files; tests and
// benchmarks turn the result into a resident cloud (resident_octree.h) and render it directly.
//
// How the points are spread over the nodes: the points are sorted along the Morton curve of the
// block's root cube. Each node lays a grid of kOctreeNodeGrid cells per axis over its cube and keeps
// one point per occupied cell (the middle one of the cell's run along the curve); the points it does
// not keep go to its eight children. A node with at most leafPoints points keeps them all and has no
// children. So drawing a node with its ancestors shows every point of its cube at a spacing of about
// the node's cube side / kOctreeNodeGrid, and each point is in exactly one node.
#pragma once

#include "cloud_source.h"

#include <stddef.h>
#include <stdint.h>

struct BlockStatistics;

constexpr uint32_t kOctreeNodeGrid = 128;
constexpr uint32_t kOctreeDefaultLeafPoints = 20000;
// Levels below the root (0 .. kOctreeMaxLevel); a node at the last level keeps all its points.
constexpr int kOctreeMaxLevel = 14;

// The points of one block as columns of count entries (xyz and rgb: count * 3). Coordinates are
// integers of the block's grid: coordinate = origin + xyz * scale, per axis, so that a coordinate
// keeps its full precision however far it lies from zero. A null channel column is a channel the
// points do not carry.
struct OctreeInput {
    double origin[3];
    double scale[3];
    uint64_t count; // 1 .. 4294967295
    const int32_t* xyz;
    const uint16_t* intensity;
    const uint8_t* classification;
    const uint8_t* rgb; // red, green, blue
    const uint8_t* returnNumber;
};

struct OctreeOptions {
    uint32_t leafPoints; // 0: kOctreeDefaultLeafPoints
    int threads;         // 1 or 2; 0: 2
    // Called on the building thread with 0 .. 100 as the work goes on; may be null.
    void (*progress)(void* context, int percent);
    void* progressContext;
    const volatile bool* cancel; // set by another thread to stop the build; may be null
    // The input's statistics (block_statistics.h) when the caller has counted them already; null:
    // the builder counts them for the block's bounds and display ranges.
    const BlockStatistics* statistics;
};

// The result: the block (nodes[0] is the root, parents before their children, breadth first) and,
// per node, where its points stand in order. order holds the input's point indexes, node by node:
// node n's points are order[nodeFirst[n] .. nodeFirst[n] + nodes[n].pointCount), and nodeFirst grows
// with n, so order lists the points in storage order.
struct OctreeLayout {
    CloudBlock block; // block.nodes == nodes; ranges of intensity and elevation set from the points
    CloudNode* nodes;
    uint64_t* nodeFirst;
    uint32_t* order;
    uint64_t count;
};

// Builds the layout of input. Returns false with the reason in error (errorChars wide characters)
// when there are no points or too many, memory runs out, or the build was cancelled.
bool OctreeBuildLayout(const OctreeInput& input, const OctreeOptions& options, OctreeLayout* layout,
                       wchar_t* error, size_t errorChars);
void OctreeLayoutFree(OctreeLayout* layout);

// The channel mask of what input carries (elevation always).
uint64_t OctreeInputChannels(const OctreeInput& input);
