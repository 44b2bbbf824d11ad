// The renderer's own state: its buffers, threads and the shared data of the frame being drawn.
#pragma once

#include "render/depth_shading.h"
#include "render/node_selection.h"
#include "render/point_colours.h"
#include "render/render_threads.h"
#include "render/renderer.h"
#include "render/view_projection.h"

#include <windows.h>

#include <vector>

constexpr int kLargestTaskCount = kMaxEyes * kLargestWorkerCount;

// One worker's share of a frame: rows of one eye, each with its own part of that eye's samples (the
// depth buffer).
struct FrameTask {
    int eye;
    int rowBegin;
    int rowEnd;
    uint64_t pointsLooked;
    double drawMilliseconds;
    double shadeMilliseconds;
};

struct FrameJob {
    const ViewProjection* projection;
    const CloudSource* cloud;
    const NodeSelection* selection;
    const BlockColouring* colourings; // one per block
    const uint8_t* visibleClasses;    // null: every class
    uint32_t* image;                  // eye e starts at e * width * height pixels
    uint64_t* samples;                // likewise
    double depthBias;
    int splat;
    float splatAttenuation;
    bool drawPoints;
    ShadingParameters shading;
    bool shade;
    int phase; // 0: clear and draw; 1: shade (or copy) into the image
    FrameTask tasks[kLargestTaskCount];
    int taskCount;
    volatile LONG nextTask;
};

struct Renderer {
    uint32_t* image;
    uint64_t* samples;
    size_t pixelCapacity; // of each of image and samples
    RenderThreads* threads;
    NodeSelection selection;
    std::vector<BlockColouring> colourings;
    std::vector<double> rowWeights;
    uint8_t visibleClasses[256];
    uint64_t lastBudget;
    bool hasFound;
    double found[3];
    RenderFrameStats stats;
    FrameJob job;
};

// The level-of-detail limits a view and its settings give: budget, finest useful spacing, footprint.
SelectionLimits SelectionLimitsFor(const ProjectionImageData& view, uint64_t budget);
// The footprint of a point in pixels, from the record's point size (1000 units a pixel).
int SplatPixels(float pointSize);
uint64_t BudgetOf(const RenderSettings& settings);
// Fills table with the visibility of each class; returns it, or null when every class is shown.
const uint8_t* VisibleClassTable(const RenderSettings& settings, uint8_t table[256]);
// Acquires the points of every selected node (on the calling thread) and trims the counts to them.
void AcquireSelection(const CloudSource& cloud, int priority, NodeSelection* selection);
