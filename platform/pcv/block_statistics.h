// What a block's points hold, counted once when the block is built: bounds, histograms of the
// values each channel shows, and the points and nodes per octree level. The conversion keeps them
// per block in the project's statistics file and sums them into the project's channel tables; the
// display ranges of intensity and elevation come from the histograms.
#pragma once

#include "octree_build.h"

#include <stdint.h>

constexpr int kIntensityBins = 4096; // intensity / 16
constexpr int kIntensityBinWidth = 65536 / kIntensityBins;
constexpr int kElevationBins = 1024; // over the block's height range
constexpr int kReturnNumbers = 16;   // return numbers 0 .. 15 (0: not known)
constexpr int kOctreeLevels = kOctreeMaxLevel + 1;

struct BlockStatistics {
    uint64_t pointCount;
    uint64_t channelMask;
    double minimum[3]; // absolute coordinates
    double maximum[3];
    uint64_t intensityBins[kIntensityBins];
    uint64_t
        elevationBins[kElevationBins]; // bin i: heights minimum[2] + i * (maximum[2] - minimum[2]) / bins
    uint64_t classCounts[256];
    uint64_t returnCounts[kReturnNumbers];
    uint64_t colourBins[3][256]; // red, green, blue
    uint64_t levelPoints[kOctreeLevels];
    uint32_t levelNodes[kOctreeLevels];
};

// Counts what input holds (on threads threads); levels stay zero.
void StatisticsOfPoints(const OctreeInput& input, int threads, BlockStatistics* statistics);
// Counts nodes and points per level of a built block.
void StatisticsOfLevels(const CloudBlock& block, BlockStatistics* statistics);

// Adds one block's statistics to a project's sums (elevation bins are spread over the sum's height
// range, which grows to include the block's).
void StatisticsAdd(BlockStatistics* sum, const BlockStatistics& block);

// The intensity below which the lowest 1% of the points lie, and the one above which the highest 1%
// lie: the renderer's black and white. 0 and 65535 without points.
void IntensityDisplayRange(const BlockStatistics& statistics, uint16_t* low, uint16_t* high);
// The same for heights: the first and last colour of the elevation ramp. Without points the bounds.
void ElevationDisplayRange(const BlockStatistics& statistics, double* low, double* high);
