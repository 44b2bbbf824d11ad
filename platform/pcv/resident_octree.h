// Octrees held wholly in memory, and a cloud source over them: what tests and benchmarks render
// without storage files. Usage:
//
//     OctreeInput input = {...};                     // integer points with origin and scale
//     ResidentOctree* tree = ResidentOctreeBuild(input, OctreeOptions{}, error, errorChars);
//     ResidentCloud cloud;
//     ResidentCloudInit(&cloud, &tree, 1);
//     RendererDraw(renderer, cloud.source, &view, settings);
//     ResidentCloudFree(&cloud);
//     ResidentOctreeFree(tree);
#pragma once

#include "octree_build.h"

#include <stddef.h>

// One block with every node's points in memory, in storage order (the arrays the nodes' points
// point into hold count entries each).
struct ResidentOctree {
    CloudBlock block;
    CloudNode* nodes;
    NodePoints* nodePoints; // block.nodeCount entries
    int32_t* xyz;
    uint16_t* intensity;
    uint8_t* classification;
    uint8_t* rgb;
    uint8_t* returnNumber;
};

// Builds input's octree and copies its points node by node. Null with the reason in error on failure.
ResidentOctree* ResidentOctreeBuild(const OctreeInput& input, const OctreeOptions& options, wchar_t* error,
                                    size_t errorChars);
// The same from a layout already built for input; the layout is freed in any case.
ResidentOctree* ResidentOctreeFromLayout(const OctreeInput& input, OctreeLayout* layout);
void ResidentOctreeFree(ResidentOctree* tree);

// A cloud source over count resident octrees (one block each, in the order given): acquire hands out
// their nodes' points, release does nothing. The trees must outlive it.
struct ResidentCloud {
    CloudSource source;
    CloudBlock* blocks;
    ResidentOctree** trees;
};
bool ResidentCloudInit(ResidentCloud* cloud, ResidentOctree* const* trees, int count);
void ResidentCloudFree(ResidentCloud* cloud);
