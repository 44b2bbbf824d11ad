#include "block_statistics.h"

#include "parallel_run.h"

#include <string.h>

#include <algorithm>

namespace {

struct IntegerBounds {
    int32_t minimum[3];
    int32_t maximum[3];
};

void BoundsOfSlice(const OctreeInput& input, uint64_t begin, uint64_t end, IntegerBounds* bounds) {
    for (int axis = 0; axis < 3; ++axis) {
        bounds->minimum[axis] = INT32_MAX;
        bounds->maximum[axis] = INT32_MIN;
    }
    for (uint64_t i = begin; i < end; ++i) {
        const int32_t* p = input.xyz + 3 * i;
        for (int axis = 0; axis < 3; ++axis) {
            bounds->minimum[axis] = std::min(bounds->minimum[axis], p[axis]);
            bounds->maximum[axis] = std::max(bounds->maximum[axis], p[axis]);
        }
    }
}

int ElevationBin(int32_t z, int32_t low, double binsPerUnit) {
    int bin = static_cast<int>((static_cast<double>(z) - low) * binsPerUnit);
    return std::clamp(bin, 0, kElevationBins - 1);
}

void CountSlice(const OctreeInput& input, uint64_t begin, uint64_t end, const IntegerBounds& bounds,
                BlockStatistics* s) {
    double height = static_cast<double>(bounds.maximum[2]) - bounds.minimum[2];
    double binsPerUnit = height > 0 ? kElevationBins / height : 0;
    for (uint64_t i = begin; i < end; ++i)
        ++s->elevationBins[ElevationBin(input.xyz[3 * i + 2], bounds.minimum[2], binsPerUnit)];
    if (input.intensity)
        for (uint64_t i = begin; i < end; ++i) ++s->intensityBins[input.intensity[i] / kIntensityBinWidth];
    if (input.classification)
        for (uint64_t i = begin; i < end; ++i) ++s->classCounts[input.classification[i]];
    if (input.returnNumber)
        for (uint64_t i = begin; i < end; ++i)
            ++s->returnCounts[input.returnNumber[i] & (kReturnNumbers - 1)];
    if (input.rgb)
        for (uint64_t i = begin; i < end; ++i)
            for (int c = 0; c < 3; ++c) ++s->colourBins[c][input.rgb[3 * i + c]];
}

template <typename T, size_t N> void AddArray(T (&sum)[N], const T (&part)[N]) {
    for (size_t i = 0; i < N; ++i) sum[i] += part[i];
}

template <typename T, size_t N, size_t M> void AddArray(T (&sum)[N][M], const T (&part)[N][M]) {
    for (size_t i = 0; i < N; ++i) AddArray(sum[i], part[i]);
}

// The value below which fraction of the counted values lie, interpolated inside its bin.
double Percentile(const uint64_t* bins, int binCount, double low, double binWidth, double fraction) {
    uint64_t total = 0;
    for (int i = 0; i < binCount; ++i) total += bins[i];
    if (total == 0) return low;
    double wanted = fraction * static_cast<double>(total);
    double below = 0;
    for (int i = 0; i < binCount; ++i) {
        double here = static_cast<double>(bins[i]);
        if (here > 0 && below + here >= wanted) return low + (i + (wanted - below) / here) * binWidth;
        below += here;
    }
    return low + binCount * binWidth;
}

} // namespace

void StatisticsOfPoints(const OctreeInput& input, int threads, BlockStatistics* statistics) {
    memset(statistics, 0, sizeof(*statistics));
    statistics->pointCount = input.count;
    statistics->channelMask = OctreeInputChannels(input);
    int parts = input.count < 100000 ? 1 : std::clamp(threads, 1, kMaxParallelParts);
    IntegerBounds bounds[kMaxParallelParts];
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(input.count, part, parts, &begin, &end);
        BoundsOfSlice(input, begin, end, &bounds[part]);
    });
    IntegerBounds all = bounds[0];
    for (int part = 1; part < parts; ++part) {
        for (int axis = 0; axis < 3; ++axis) {
            all.minimum[axis] = std::min(all.minimum[axis], bounds[part].minimum[axis]);
            all.maximum[axis] = std::max(all.maximum[axis], bounds[part].maximum[axis]);
        }
    }
    if (input.count == 0) return;
    for (int axis = 0; axis < 3; ++axis) {
        statistics->minimum[axis] = input.origin[axis] + all.minimum[axis] * input.scale[axis];
        statistics->maximum[axis] = input.origin[axis] + all.maximum[axis] * input.scale[axis];
    }
    BlockStatistics* second = parts > 1 ? new BlockStatistics() : nullptr;
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(input.count, part, parts, &begin, &end);
        CountSlice(input, begin, end, all, part == 0 ? statistics : second);
    });
    if (second) {
        AddArray(statistics->elevationBins, second->elevationBins);
        AddArray(statistics->intensityBins, second->intensityBins);
        AddArray(statistics->classCounts, second->classCounts);
        AddArray(statistics->returnCounts, second->returnCounts);
        AddArray(statistics->colourBins, second->colourBins);
        delete second;
    }
}

void StatisticsOfLevels(const CloudBlock& block, BlockStatistics* statistics) {
    memset(statistics->levelPoints, 0, sizeof(statistics->levelPoints));
    memset(statistics->levelNodes, 0, sizeof(statistics->levelNodes));
    for (uint32_t n = 0; n < block.nodeCount; ++n) {
        int level = std::min<int>(block.nodes[n].level, kOctreeLevels - 1);
        statistics->levelPoints[level] += block.nodes[n].pointCount;
        ++statistics->levelNodes[level];
    }
}

void StatisticsAdd(BlockStatistics* sum, const BlockStatistics& block) {
    if (block.pointCount == 0) return;
    double oldLow = sum->minimum[2], oldHigh = sum->maximum[2];
    bool first = sum->pointCount == 0;
    for (int axis = 0; axis < 3; ++axis) {
        sum->minimum[axis] = first ? block.minimum[axis] : std::min(sum->minimum[axis], block.minimum[axis]);
        sum->maximum[axis] = first ? block.maximum[axis] : std::max(sum->maximum[axis], block.maximum[axis]);
    }
    // Spread both the old sum's and the block's elevation bins over the new height range, each bin's
    // count going to the bin of its middle height.
    uint64_t old[kElevationBins];
    memcpy(old, sum->elevationBins, sizeof(old));
    memset(sum->elevationBins, 0, sizeof(sum->elevationBins));
    double low = sum->minimum[2], height = sum->maximum[2] - sum->minimum[2];
    auto spread = [&](const uint64_t* bins, double binLow, double binHigh) {
        double width = (binHigh - binLow) / kElevationBins;
        for (int i = 0; i < kElevationBins; ++i) {
            if (bins[i] == 0) continue;
            double middle = binLow + (i + 0.5) * width;
            int to = height > 0 ? static_cast<int>((middle - low) / height * kElevationBins) : 0;
            sum->elevationBins[std::clamp(to, 0, kElevationBins - 1)] += bins[i];
        }
    };
    if (!first) spread(old, oldLow, oldHigh);
    spread(block.elevationBins, block.minimum[2], block.maximum[2]);
    sum->pointCount += block.pointCount;
    sum->channelMask |= block.channelMask;
    AddArray(sum->intensityBins, block.intensityBins);
    AddArray(sum->classCounts, block.classCounts);
    AddArray(sum->returnCounts, block.returnCounts);
    AddArray(sum->colourBins, block.colourBins);
    AddArray(sum->levelPoints, block.levelPoints);
    AddArray(sum->levelNodes, block.levelNodes);
}

void IntensityDisplayRange(const BlockStatistics& statistics, uint16_t* low, uint16_t* high) {
    uint64_t total = 0;
    for (uint64_t count : statistics.intensityBins) total += count;
    if (total == 0) {
        *low = 0;
        *high = 65535;
        return;
    }
    double a = Percentile(statistics.intensityBins, kIntensityBins, 0, kIntensityBinWidth, 0.01);
    double b = Percentile(statistics.intensityBins, kIntensityBins, 0, kIntensityBinWidth, 0.99);
    *low = static_cast<uint16_t>(std::clamp(a, 0.0, 65534.0));
    *high = static_cast<uint16_t>(std::clamp(b + 0.5, *low + 1.0, 65535.0));
}

void ElevationDisplayRange(const BlockStatistics& statistics, double* low, double* high) {
    double minimum = statistics.minimum[2], height = statistics.maximum[2] - statistics.minimum[2];
    if (statistics.pointCount == 0 || height <= 0) {
        *low = minimum;
        *high = statistics.maximum[2];
        return;
    }
    double width = height / kElevationBins;
    *low = Percentile(statistics.elevationBins, kElevationBins, minimum, width, 0.01);
    *high = Percentile(statistics.elevationBins, kElevationBins, minimum, width, 0.99);
    if (*high <= *low) *high = *low + width;
}
