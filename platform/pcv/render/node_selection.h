// Level of detail: which octree nodes a view draws. Nodes in sight are taken largest on screen first
// (node spacing over distance; the nearer of equal ones first) until the point budget is spent, so a
// frame costs what the budget allows, whatever the cloud's size.
#pragma once

#include "../cloud_source.h"
#include "render/view_projection.h"

#include <stdint.h>

#include <vector>

struct SelectedNode {
    int block;
    int node;
    uint32_t pointCount; // points of the node to draw: indexes 0, step, 2 step, ... below pointCount
    uint32_t step;       // 1, or the thinning of the last node that the budget only partly allows
    float pixelSpacing;  // the node's spacing on screen, pixels
    double depthLow;     // depth range of the node's points' box
    double depthHigh;
    int rowFirst; // image rows the node's points may cover (first and last, inclusive)
    int rowLast;
    const NodePoints* points; // filled when the points are acquired; null when they cannot be had
};

struct NodeCandidate {
    double pixelSpacing;
    double distance;
    int block;
    int node;
};

// The buffers of one selection; they grow with the cloud's node count, not per frame.
struct NodeSelection {
    std::vector<NodeCandidate> candidates; // a heap
    std::vector<SelectedNode> nodes;       // in drawing order
    uint64_t pointCount;                   // points the selected nodes will draw
};

struct SelectionLimits {
    uint64_t pointBudget;
    double smallestPixelSpacing; // finer nodes add nothing visible
    double marginPixels;         // how far a point's footprint reaches beyond its position
};

// Makes room for every node of the cloud, so that SelectNodes never allocates.
void ReserveSelection(const CloudSource& cloud, NodeSelection* selection);

void SelectNodes(const CloudSource& cloud, const ViewProjection& projection, const SelectionLimits& limits,
                 NodeSelection* selection);

// Whether some of the box may land in the rectangle of image positions (pixels, continuous) of an eye
// within the clip range. Never false for a box that does; sometimes true for one that does not.
bool BoxInRectangle(const ViewProjection& projection, const EyeProjection& eye, const double minimum[3],
                    const double maximum[3], double left, double top, double right, double bottom);

// The box of a node's points: its cube within the block's bounds. False when they do not meet.
bool NodePointBox(const CloudBlock& block, const CloudNode& node, double minimum[3], double maximum[3]);
