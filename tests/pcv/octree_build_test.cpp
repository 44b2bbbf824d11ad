// The in-memory octree builder: Morton order, the spread of points over nodes, exact coordinates,
// the same tree on one core and on two, and the resident cloud source over it.
#include "block_statistics.h"
#include "morton_order.h"
#include "octree_build.h"
#include "resident_octree.h"

#include <gtest/gtest.h>

#include <math.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace {

// Generated points of one block, as the columns the builder reads.
struct TestPoints {
    std::vector<int32_t> xyz;
    std::vector<uint16_t> intensity;
    std::vector<uint8_t> classification;
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> returnNumber;
    OctreeInput input{};

    void Finish(double originX, double originY, double originZ, double scale) {
        input.origin[0] = originX;
        input.origin[1] = originY;
        input.origin[2] = originZ;
        input.scale[0] = input.scale[1] = input.scale[2] = scale;
        input.count = xyz.size() / 3;
        input.xyz = xyz.data();
        input.intensity = intensity.empty() ? nullptr : intensity.data();
        input.classification = classification.empty() ? nullptr : classification.data();
        input.rgb = rgb.empty() ? nullptr : rgb.data();
        input.returnNumber = returnNumber.empty() ? nullptr : returnNumber.data();
    }
};

enum class Shape { Terrain, Volume, Line, SamePlace };

// count points of a shape in a cube of side integers; every attribute derived from the index, so a
// test can tell from a point's attributes which input point it is.
TestPoints MakePoints(Shape shape, uint32_t count, int32_t side, uint32_t seed) {
    TestPoints p;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> coordinate(0, side - 1);
    for (uint32_t i = 0; i < count; ++i) {
        int32_t x = coordinate(random), y = coordinate(random), z = coordinate(random);
        if (shape == Shape::Terrain)
            z = static_cast<int32_t>((sin(x * 0.001) + cos(y * 0.0013)) * side / 8) + side / 2;
        if (shape == Shape::Line) y = z = x;
        if (shape == Shape::SamePlace) x = y = z = 7;
        p.xyz.insert(p.xyz.end(), {x, y, z});
        p.intensity.push_back(static_cast<uint16_t>(i * 7));
        p.classification.push_back(static_cast<uint8_t>(i % 19));
        p.rgb.insert(p.rgb.end(),
                     {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i >> 16)});
        p.returnNumber.push_back(static_cast<uint8_t>(1 + i % 3));
    }
    return p;
}

OctreeOptions Options(int threads, uint32_t leafPoints = 0) {
    OctreeOptions options{};
    options.threads = threads;
    options.leafPoints = leafPoints;
    return options;
}

// Room for the rounding of cube corners computed from a far origin.
double Tolerance(double side, double value) {
    return side * 1e-9 + fabs(value) * 1e-15;
}

// Checks the structure every consumer relies on and returns the points' indexes in storage order.
void ExpectSoundLayout(const OctreeInput& input, const OctreeLayout& layout, uint32_t leafPoints) {
    const CloudBlock& block = layout.block;
    ASSERT_GT(block.nodeCount, 0u);
    EXPECT_EQ(block.nodes[0].parent, kNoNode);
    EXPECT_EQ(block.nodes[0].level, 0);
    EXPECT_EQ(block.pointCount, input.count);
    uint64_t total = 0;
    std::vector<bool> seen(input.count, false);
    for (uint32_t n = 0; n < block.nodeCount; ++n) {
        const CloudNode& node = block.nodes[n];
        EXPECT_EQ(layout.nodeFirst[n], total) << "node " << n;
        total += node.pointCount;
        bool leaf = true;
        for (int octant = 0; octant < 8; ++octant) {
            int32_t child = node.children[octant];
            if (child == kNoNode) continue;
            leaf = false;
            ASSERT_GT(child, static_cast<int32_t>(n)) << "parents come before their children";
            ASSERT_LT(child, static_cast<int32_t>(block.nodeCount));
            const CloudNode& c = block.nodes[child];
            EXPECT_EQ(c.parent, static_cast<int32_t>(n));
            EXPECT_EQ(c.level, node.level + 1);
            for (int axis = 0; axis < 3; ++axis) {
                double half = (node.maximum[axis] - node.minimum[axis]) / 2;
                double expected = node.minimum[axis] + ((octant >> axis) & 1) * half;
                EXPECT_NEAR(c.minimum[axis], expected, Tolerance(half, expected));
            }
        }
        if (leaf && node.level < kOctreeMaxLevel) {
            EXPECT_LE(node.pointCount, leafPoints);
        }
        // Each point lies in its node's cube; an inner node keeps at most one point per grid cell.
        std::set<std::tuple<int, int, int>> cells;
        for (uint32_t k = 0; k < node.pointCount; ++k) {
            uint32_t index = layout.order[layout.nodeFirst[n] + k];
            ASSERT_LT(index, input.count);
            EXPECT_FALSE(seen[index]) << "point " << index << " is in two nodes";
            seen[index] = true;
            int cell[3];
            for (int axis = 0; axis < 3; ++axis) {
                double v = input.origin[axis] + input.xyz[3 * index + axis] * input.scale[axis];
                double side = node.maximum[axis] - node.minimum[axis];
                EXPECT_GE(v, node.minimum[axis] - Tolerance(side, v));
                EXPECT_LE(v, node.maximum[axis] + Tolerance(side, v));
                cell[axis] = static_cast<int>((v - node.minimum[axis]) / side * kOctreeNodeGrid);
            }
            if (!leaf) {
                EXPECT_TRUE(cells.insert({cell[0], cell[1], cell[2]}).second) << "two points in one cell";
            }
        }
    }
    EXPECT_EQ(total, input.count);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0);
}

TEST(MortonOrder, EncodeAndDecodeAreInverse) {
    const uint32_t values[][3] = {{0, 0, 0},
                                  {1, 0, 0},
                                  {0, 1, 0},
                                  {0, 0, 1},
                                  {kMortonCells - 1, 0, 5},
                                  {kMortonCells - 1, kMortonCells - 1, kMortonCells - 1},
                                  {123456, 654321, 1048575}};
    for (const auto& v : values) {
        uint32_t x, y, z;
        MortonDecode(MortonEncode(v[0], v[1], v[2]), &x, &y, &z);
        EXPECT_EQ(x, v[0]);
        EXPECT_EQ(y, v[1]);
        EXPECT_EQ(z, v[2]);
    }
    EXPECT_EQ(MortonEncode(1, 0, 0), 1u);
    EXPECT_EQ(MortonEncode(0, 1, 0), 2u);
    EXPECT_EQ(MortonEncode(0, 0, 1), 4u);
    EXPECT_EQ(MortonEncode(kMortonCells - 1, kMortonCells - 1, kMortonCells - 1), (1ull << 63) - 1);
}

TEST(MortonOrder, SortIsStableAndOrdered) {
    for (uint64_t count : {0ull, 1ull, 1000ull, 300000ull}) {
        for (int threads : {1, 2}) {
            std::mt19937_64 random(count + threads);
            std::vector<uint64_t> codes(count);
            // Few distinct high digits and many equal codes, to see stability and skipped passes.
            for (uint64_t& code : codes) code = (random() & 0x7FFF00000000000Full) | (random() % 5);
            std::vector<uint32_t> payload(count);
            for (uint64_t i = 0; i < count; ++i) payload[i] = static_cast<uint32_t>(i);
            std::vector<std::pair<uint64_t, uint32_t>> expected;
            for (uint64_t i = 0; i < count; ++i) expected.push_back({codes[i], payload[i]});
            std::stable_sort(expected.begin(), expected.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::vector<uint64_t> scratch(count);
            std::vector<uint32_t> scratchPayload(count);
            ASSERT_TRUE(MortonSort(codes.data(), payload.data(), scratch.data(), scratchPayload.data(), count,
                                   threads, nullptr));
            for (uint64_t i = 0; i < count; ++i) {
                ASSERT_EQ(codes[i], expected[i].first)
                    << count << " points, " << threads << " threads, at " << i;
                ASSERT_EQ(payload[i], expected[i].second);
            }
        }
    }
}

struct LayoutCase {
    const char* name;
    Shape shape;
    uint32_t count;
    int32_t side;
    uint32_t leafPoints;
};

const LayoutCase kLayoutCases[] = {
    {"one point", Shape::Volume, 1, 1000, 0},
    {"a leaf root", Shape::Volume, 5000, 100000, 0},
    {"terrain", Shape::Terrain, 200000, 1000000, 2000},
    {"volume", Shape::Volume, 150000, 1 << 30, 1000},
    {"a line", Shape::Line, 50000, 100000, 500},
    {"all in one place", Shape::SamePlace, 30000, 10, 1000},
    {"tiny cube", Shape::Volume, 20000, 3, 100},
};

TEST(OctreeBuild, EveryPointInOneNodeOfASoundTree) {
    for (const LayoutCase& c : kLayoutCases) {
        SCOPED_TRACE(c.name);
        TestPoints p = MakePoints(c.shape, c.count, c.side, 17);
        p.Finish(637000, 849000, -20, 0.01);
        OctreeLayout layout;
        wchar_t error[256] = L"";
        ASSERT_TRUE(OctreeBuildLayout(p.input, Options(2, c.leafPoints), &layout, error, 256));
        ExpectSoundLayout(p.input, layout, c.leafPoints ? c.leafPoints : kOctreeDefaultLeafPoints);
        if (c.shape == Shape::SamePlace) {
            EXPECT_EQ(layout.block.nodes[layout.block.nodeCount - 1].level, kOctreeMaxLevel);
        }
        OctreeLayoutFree(&layout);
    }
}

TEST(OctreeBuild, OneCoreAndTwoGiveTheSameTree) {
    TestPoints p = MakePoints(Shape::Terrain, 400000, 5000000, 5);
    p.Finish(0, 0, 0, 0.001);
    OctreeLayout one, two;
    ASSERT_TRUE(OctreeBuildLayout(p.input, Options(1, 3000), &one, nullptr, 0));
    ASSERT_TRUE(OctreeBuildLayout(p.input, Options(2, 3000), &two, nullptr, 0));
    ASSERT_EQ(one.block.nodeCount, two.block.nodeCount);
    for (uint32_t n = 0; n < one.block.nodeCount; ++n) {
        EXPECT_EQ(one.nodes[n].pointCount, two.nodes[n].pointCount);
        EXPECT_EQ(one.nodes[n].parent, two.nodes[n].parent);
    }
    EXPECT_TRUE(std::equal(one.order, one.order + one.count, two.order));
    OctreeLayoutFree(&one);
    OctreeLayoutFree(&two);
}

TEST(OctreeBuild, RefusesWhatItCannotBuild) {
    TestPoints empty;
    empty.Finish(0, 0, 0, 1);
    TestPoints badScale = MakePoints(Shape::Volume, 10, 10, 1);
    badScale.Finish(0, 0, 0, 0);
    TestPoints cancelled = MakePoints(Shape::Volume, 200000, 1000000, 1);
    cancelled.Finish(0, 0, 0, 1);
    volatile bool stop = true;
    OctreeOptions stopped = Options(2);
    stopped.cancel = &stop;
    const struct {
        const OctreeInput* input;
        OctreeOptions options;
        const wchar_t* error;
    } cases[] = {
        {&empty.input, Options(2), L"There are no points to build an octree from."},
        {&badScale.input, Options(2), L"The points' scales must be positive numbers."},
        {&cancelled.input, stopped, L"The work was cancelled."},
    };
    for (const auto& c : cases) {
        OctreeLayout layout;
        wchar_t error[256] = L"";
        EXPECT_FALSE(OctreeBuildLayout(*c.input, c.options, &layout, error, 256));
        EXPECT_STREQ(error, c.error);
        EXPECT_EQ(layout.nodes, nullptr);
    }
}

TEST(ResidentOctree, NodesHandOutTheirPointsWithFullPrecision) {
    // 637000.01 and 849000.02 at scale 0.01: the offsets give back the coordinates exactly as the
    // source computes them.
    TestPoints p = MakePoints(Shape::Terrain, 60000, 200000, 9);
    p.xyz[0] = 1;
    p.xyz[1] = 2;
    p.Finish(637000, 849000, 100, 0.01);
    wchar_t error[256] = L"";
    ResidentOctree* tree = ResidentOctreeBuild(p.input, Options(2, 4000), error, 256);
    ASSERT_NE(tree, nullptr) << error;
    ResidentCloud cloud;
    ASSERT_TRUE(ResidentCloudInit(&cloud, &tree, 1));
    EXPECT_EQ(cloud.source.blockCount, 1);
    EXPECT_EQ(cloud.source.acquire(cloud.source.context, 1, 0, 0), nullptr);
    EXPECT_EQ(cloud.source.acquire(cloud.source.context, 0, static_cast<int>(tree->block.nodeCount), 0),
              nullptr);
    const CloudBlock& block = cloud.source.blocks[0];
    EXPECT_EQ(block.channelMask, (1ull << 0) | (1ull << 1) | (1ull << 5) | (1ull << 7) | (1ull << 28));
    ASSERT_NE(block.classColours, nullptr);
    bool foundFirst = false;
    uint64_t seen = 0;
    for (uint32_t n = 0; n < block.nodeCount; ++n) {
        const NodePoints* points = cloud.source.acquire(cloud.source.context, 0, static_cast<int>(n), 0);
        ASSERT_NE(points, nullptr);
        ASSERT_EQ(points->count, block.nodes[n].pointCount);
        seen += points->count;
        for (uint32_t k = 0; k < points->count; ++k) {
            // The colour tells which input point this is (the bytes of its index).
            const uint8_t* rgb = points->rgb + 3 * k;
            uint32_t i = rgb[0] | rgb[1] << 8 | rgb[2] << 16;
            ASSERT_LT(i, p.input.count);
            EXPECT_EQ(points->offsets[3 * k], p.xyz[3 * i]);
            EXPECT_EQ(points->offsets[3 * k + 2], p.xyz[3 * i + 2]);
            EXPECT_EQ(points->intensity[k], static_cast<uint16_t>(i * 7));
            EXPECT_EQ(points->classification[k], i % 19);
            EXPECT_EQ(points->returnNumber[k], 1 + i % 3);
            if (i == 0) {
                foundFirst = true;
                EXPECT_EQ(block.origin[0] + points->offsets[3 * k] * block.scale[0], 637000.01);
                EXPECT_EQ(block.origin[1] + points->offsets[3 * k + 1] * block.scale[1], 849000.02);
            }
        }
        cloud.source.release(cloud.source.context, 0);
    }
    EXPECT_EQ(seen, p.input.count);
    EXPECT_TRUE(foundFirst);
    ResidentCloudFree(&cloud);
    ResidentOctreeFree(tree);
}

TEST(ResidentOctree, DisplayRangesComeFromThePoints) {
    TestPoints p;
    for (int i = 0; i < 10000; ++i) {
        p.xyz.insert(p.xyz.end(), {i, i, i % 1000});
        p.intensity.push_back(static_cast<uint16_t>(1000 + i % 1000));
    }
    p.xyz[2] = 100000; // one far outlier must not stretch the ramp
    p.Finish(0, 0, 0, 0.5);
    ResidentOctree* tree = ResidentOctreeBuild(p.input, Options(1), nullptr, 0);
    ASSERT_NE(tree, nullptr);
    EXPECT_NEAR(tree->block.intensityLow, 1010, 16);
    EXPECT_NEAR(tree->block.intensityHigh, 1990, 16);
    EXPECT_NEAR(tree->block.elevationLow, 5, 60);
    EXPECT_NEAR(tree->block.elevationHigh, 495, 60);
    EXPECT_EQ(tree->block.maximum[2], 50000);
    EXPECT_EQ(tree->block.channelMask, (1ull << 0) | (1ull << 1));
    ResidentOctreeFree(tree);
}

} // namespace
