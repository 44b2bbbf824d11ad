#include "octree_build.h"

#include "block_statistics.h"
#include "class_colours.h"
#include "morton_order.h"
#include "parallel_run.h"

#include <math.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

namespace {

// A node while the tree grows: its points are codes/payload[first .. first + count).
struct GrowingNode {
    uint64_t first;
    uint32_t count;
    int32_t children[8];
    int32_t parent;
    uint8_t level;
    uint64_t cell; // the node's cube: the top 3 * level bits of its points' codes
};

// Points of a range not yet given to a node, below the node parent (octant of parent's cube).
struct PendingRange {
    uint64_t begin, end;
    int level;
    uint64_t cell;
    int32_t parent; // index in the top nodes
    int octant;
};

struct BuildState {
    const OctreeInput* input;
    uint32_t leafPoints;
    int threads;
    const volatile bool* cancel;
    uint64_t* codes;
    uint32_t* payload;
    int64_t gridMinimum[3]; // block grid integers of the root cube's low corner
    double cubeSide;        // absolute units
    void (*progress)(void*, int);
    void* progressContext;
};

void ReportProgress(const BuildState& state, int percent) {
    if (state.progress) state.progress(state.progressContext, percent);
}

bool Cancelled(const BuildState& state) {
    return state.cancel && *state.cancel;
}

void SetError(wchar_t* error, size_t errorChars, const wchar_t* text) {
    if (error && errorChars > 0) {
        wcsncpy(error, text, errorChars - 1);
        error[errorChars - 1] = 0;
    }
}

// Integer bounds of the points, per part on both cores.
void IntegerBoundsOf(const OctreeInput& input, int threads, int32_t minimum[3], int32_t maximum[3]) {
    int32_t lows[kMaxParallelParts][3], highs[kMaxParallelParts][3];
    int parts = input.count < 100000 ? 1 : threads;
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(input.count, part, parts, &begin, &end);
        int32_t* low = lows[part];
        int32_t* high = highs[part];
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = INT32_MAX;
            high[axis] = INT32_MIN;
        }
        for (uint64_t i = begin; i < end; ++i) {
            const int32_t* p = input.xyz + 3 * i;
            for (int axis = 0; axis < 3; ++axis) {
                low[axis] = std::min(low[axis], p[axis]);
                high[axis] = std::max(high[axis], p[axis]);
            }
        }
    });
    for (int axis = 0; axis < 3; ++axis) {
        minimum[axis] = lows[0][axis];
        maximum[axis] = highs[0][axis];
        for (int part = 1; part < parts; ++part) {
            minimum[axis] = std::min(minimum[axis], lows[part][axis]);
            maximum[axis] = std::max(maximum[axis], highs[part][axis]);
        }
    }
}

// The root cube is a cube in absolute units (the axes may have different scales): its side is the
// largest extent of the points, a little more so that the highest point falls inside.
void ComputeCodes(BuildState& state, const int32_t minimum[3], const int32_t maximum[3]) {
    const OctreeInput& input = *state.input;
    double side = 0;
    for (int axis = 0; axis < 3; ++axis)
        side = std::max(side, (static_cast<double>(maximum[axis]) - minimum[axis] + 1) * input.scale[axis]);
    state.cubeSide = side;
    double cellsPerUnit[3];
    for (int axis = 0; axis < 3; ++axis) {
        cellsPerUnit[axis] = kMortonCells / (side / input.scale[axis]);
        state.gridMinimum[axis] = minimum[axis];
    }
    int parts = input.count < 100000 ? 1 : state.threads;
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(input.count, part, parts, &begin, &end);
        for (uint64_t i = begin; i < end; ++i) {
            uint32_t cell[3];
            for (int axis = 0; axis < 3; ++axis) {
                double offset = static_cast<double>(input.xyz[3 * i + axis]) - minimum[axis];
                double c = offset * cellsPerUnit[axis];
                cell[axis] = c >= kMortonCells - 1 ? kMortonCells - 1 : static_cast<uint32_t>(c);
            }
            state.codes[i] = MortonEncode(cell[0], cell[1], cell[2]);
            state.payload[i] = static_cast<uint32_t>(i);
        }
    });
}

// Gives range [begin, end) to a new node: a leaf keeps every point; an inner node keeps one point per
// occupied cell of its grid, moved to the end of the range, and leaves the others at the start for
// its children. Returns the number of points left for the children.
uint64_t TakeNodePoints(const BuildState& state, GrowingNode* node, uint64_t begin, uint64_t end,
                        std::vector<uint64_t>& keptCodes, std::vector<uint32_t>& keptPayload) {
    uint64_t count = end - begin;
    if (count <= state.leafPoints || node->level >= kOctreeMaxLevel) {
        node->first = begin;
        node->count = static_cast<uint32_t>(count);
        return 0;
    }
    uint64_t* codes = state.codes;
    uint32_t* payload = state.payload;
    const int shift = 3 * (kMortonBits - node->level - 7); // kOctreeNodeGrid = 2^7 cells per axis
    static_assert(kOctreeNodeGrid == 128, "node grid of 2^7 cells");
    keptCodes.clear();
    keptPayload.clear();
    uint64_t write = begin;
    uint64_t i = begin;
    while (i < end) {
        uint64_t cell = codes[i] >> shift;
        uint64_t j = i + 1;
        while (j < end && (codes[j] >> shift) == cell) ++j;
        uint64_t middle = i + (j - i - 1) / 2;
        for (uint64_t k = i; k < j; ++k) {
            if (k == middle) {
                keptCodes.push_back(codes[k]);
                keptPayload.push_back(payload[k]);
            } else {
                codes[write] = codes[k];
                payload[write] = payload[k];
                ++write;
            }
        }
        i = j;
    }
    memcpy(codes + write, keptCodes.data(), keptCodes.size() * sizeof(uint64_t));
    memcpy(payload + write, keptPayload.data(), keptPayload.size() * sizeof(uint32_t));
    node->first = write;
    node->count = static_cast<uint32_t>(end - write);
    return write - begin;
}

// The end of the run of octant's points in the sorted range [begin, end) at level (the octant is
// the 3 bits below level's cell).
uint64_t OctantEnd(const uint64_t* codes, uint64_t begin, uint64_t end, int level, uint64_t octant) {
    const int shift = 3 * (kMortonBits - level - 1);
    const uint64_t* found =
        std::upper_bound(codes + begin, codes + end, octant,
                         [shift](uint64_t value, uint64_t code) { return value < ((code >> shift) & 7); });
    return static_cast<uint64_t>(found - codes);
}

GrowingNode NewNode(int level, uint64_t cell, int32_t parent) {
    GrowingNode node{};
    node.level = static_cast<uint8_t>(level);
    node.cell = cell;
    node.parent = parent;
    for (int32_t& child : node.children) child = kNoNode;
    return node;
}

// Splits the children's points [begin, begin + left) of nodes[index] into pending ranges.
void PendingChildren(const BuildState& state, const GrowingNode& node, int32_t index, uint64_t begin,
                     uint64_t left, std::vector<PendingRange>& pending) {
    uint64_t at = begin;
    for (int octant = 0; octant < 8 && at < begin + left; ++octant) {
        uint64_t end = OctantEnd(state.codes, at, begin + left, node.level, static_cast<uint64_t>(octant));
        if (end > at)
            pending.push_back(
                {at, end, node.level + 1, node.cell << 3 | static_cast<uint64_t>(octant), index, octant});
        at = end;
    }
}

struct Scratch {
    std::vector<uint64_t> keptCodes;
    std::vector<uint32_t> keptPayload;
};

// Builds the whole subtree of a range into nodes (depth first; indexes local to nodes).
// The subtree's root gets no parent here; GrowTree links it.
bool BuildSubtree(const BuildState& state, const PendingRange& range, std::vector<GrowingNode>& nodes,
                  Scratch& scratch) {
    std::vector<PendingRange> stack;
    stack.push_back(range);
    bool first = true;
    while (!stack.empty()) {
        if (Cancelled(state)) return false;
        PendingRange here = stack.back();
        stack.pop_back();
        int32_t index = static_cast<int32_t>(nodes.size());
        int32_t parentIndex = first ? kNoNode : here.parent;
        nodes.push_back(NewNode(here.level, here.cell, parentIndex));
        if (!first) nodes[here.parent].children[here.octant] = index;
        first = false;
        uint64_t left = TakeNodePoints(state, &nodes[index], here.begin, here.end, scratch.keptCodes,
                                       scratch.keptPayload);
        size_t before = stack.size();
        PendingChildren(state, nodes[index], index, here.begin, left, stack);
        std::reverse(stack.begin() + static_cast<ptrdiff_t>(before), stack.end());
    }
    return true;
}

// Builds the tree: the top nodes on this thread until there is enough independent work for both
// cores, then the subtrees in parallel, largest first. Returns the nodes with global indexes, in no
// particular order except that the root is first.
bool GrowTree(const BuildState& state, std::vector<GrowingNode>& nodes) {
    Scratch scratch;
    std::vector<PendingRange> pending;
    nodes.push_back(NewNode(0, 0, kNoNode));
    uint64_t left =
        TakeNodePoints(state, &nodes[0], 0, state.input->count, scratch.keptCodes, scratch.keptPayload);
    PendingChildren(state, nodes[0], 0, 0, left, pending);
    auto larger = [](const PendingRange& a, const PendingRange& b) {
        return a.end - a.begin > b.end - b.begin;
    };
    while (!pending.empty() && pending.size() < 12) {
        std::sort(pending.begin(), pending.end(), larger);
        if (pending[0].end - pending[0].begin <= state.leafPoints * 4ull) break;
        PendingRange split = pending[0];
        pending.erase(pending.begin());
        int32_t index = static_cast<int32_t>(nodes.size());
        nodes.push_back(NewNode(split.level, split.cell, split.parent));
        nodes[split.parent].children[split.octant] = index;
        uint64_t rest = TakeNodePoints(state, &nodes[index], split.begin, split.end, scratch.keptCodes,
                                       scratch.keptPayload);
        PendingChildren(state, nodes[index], index, split.begin, rest, pending);
    }
    std::sort(pending.begin(), pending.end(), larger);
    std::vector<std::vector<GrowingNode>> subtrees(pending.size());
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    int parts = pending.size() > 1 ? state.threads : 1;
    ParallelRun(parts, [&](int) {
        Scratch local;
        for (size_t task = next++; task < pending.size(); task = next++) {
            if (!BuildSubtree(state, pending[task], subtrees[task], local)) failed = true;
        }
    });
    if (failed) return false;
    for (size_t task = 0; task < pending.size(); ++task) {
        int32_t offset = static_cast<int32_t>(nodes.size());
        for (GrowingNode node : subtrees[task]) {
            node.parent = node.parent == kNoNode ? pending[task].parent : node.parent + offset;
            for (int32_t& child : node.children)
                if (child != kNoNode) child += offset;
            nodes.push_back(node);
        }
        nodes[pending[task].parent].children[pending[task].octant] = offset;
    }
    return true;
}

// Renumbers the nodes breadth first: parents before children, coarse levels at the start of storage.
std::vector<int32_t> BreadthFirstOrder(const std::vector<GrowingNode>& nodes) {
    std::vector<int32_t> order;
    order.reserve(nodes.size());
    order.push_back(0);
    for (size_t i = 0; i < order.size(); ++i)
        for (int32_t child : nodes[static_cast<size_t>(order[i])].children)
            if (child != kNoNode) order.push_back(child);
    return order;
}

void FillCloudNode(const BuildState& state, const GrowingNode& from, CloudNode* to) {
    const OctreeInput& input = *state.input;
    uint32_t cell[3];
    MortonDecode(from.cell, &cell[0], &cell[1], &cell[2]);
    double side = state.cubeSide / static_cast<double>(1u << from.level);
    for (int axis = 0; axis < 3; ++axis) {
        double start = input.origin[axis] + static_cast<double>(state.gridMinimum[axis]) * input.scale[axis];
        to->minimum[axis] = start + cell[axis] * side;
        to->maximum[axis] = to->minimum[axis] + side;
    }
    bool leaf = true;
    for (int32_t child : from.children) leaf = leaf && child == kNoNode;
    to->spacing = leaf ? side / sqrt(std::max<double>(from.count, 1.0)) : side / kOctreeNodeGrid;
    to->pointCount = from.count;
    to->level = from.level;
}

bool FillLayout(const BuildState& state, const std::vector<GrowingNode>& grown, OctreeLayout* layout) {
    std::vector<int32_t> order = BreadthFirstOrder(grown);
    std::vector<int32_t> renumber(grown.size(), kNoNode);
    for (size_t i = 0; i < order.size(); ++i)
        renumber[static_cast<size_t>(order[i])] = static_cast<int32_t>(i);
    uint32_t nodeCount = static_cast<uint32_t>(order.size());
    layout->nodes = new (std::nothrow) CloudNode[nodeCount]();
    layout->nodeFirst = new (std::nothrow) uint64_t[nodeCount];
    layout->order = new (std::nothrow) uint32_t[state.input->count];
    if (!layout->nodes || !layout->nodeFirst || !layout->order) return false;
    uint64_t first = 0;
    for (uint32_t i = 0; i < nodeCount; ++i) {
        const GrowingNode& from = grown[static_cast<size_t>(order[i])];
        CloudNode* to = &layout->nodes[i];
        FillCloudNode(state, from, to);
        to->parent = from.parent == kNoNode ? kNoNode : renumber[static_cast<size_t>(from.parent)];
        for (int octant = 0; octant < 8; ++octant)
            to->children[octant] = from.children[octant] == kNoNode
                                       ? kNoNode
                                       : renumber[static_cast<size_t>(from.children[octant])];
        layout->nodeFirst[i] = first;
        memcpy(layout->order + first, state.payload + from.first, from.count * sizeof(uint32_t));
        first += from.count;
    }
    layout->block.nodes = layout->nodes;
    layout->block.nodeCount = nodeCount;
    layout->count = state.input->count;
    return true;
}

// The block's grid, channels and display ranges; given statistics save counting the points again.
bool FillBlock(const OctreeInput& input, int threads, const BlockStatistics* given, CloudBlock* block) {
    for (int axis = 0; axis < 3; ++axis) {
        block->origin[axis] = input.origin[axis];
        block->scale[axis] = input.scale[axis];
    }
    block->pointCount = input.count;
    block->channelMask = OctreeInputChannels(input);
    block->classColours = DefaultClassColours();
    BlockStatistics* counted = given ? nullptr : new (std::nothrow) BlockStatistics;
    if (!given && !counted) return false;
    if (counted) StatisticsOfPoints(input, threads, counted);
    const BlockStatistics& statistics = given ? *given : *counted;
    for (int axis = 0; axis < 3; ++axis) {
        block->minimum[axis] = statistics.minimum[axis];
        block->maximum[axis] = statistics.maximum[axis];
    }
    IntensityDisplayRange(statistics, &block->intensityLow, &block->intensityHigh);
    ElevationDisplayRange(statistics, &block->elevationLow, &block->elevationHigh);
    delete counted;
    return true;
}

} // namespace

uint64_t OctreeInputChannels(const OctreeInput& input) {
    uint64_t mask = 1ull << PcvChannelElevation;
    if (input.intensity) mask |= 1ull << PcvChannelIntensity;
    if (input.classification) mask |= 1ull << PcvChannelClassification;
    if (input.rgb) mask |= 1ull << PcvChannelRgb;
    if (input.returnNumber) mask |= 1ull << PcvChannelReturnNumber;
    return mask;
}

bool OctreeBuildLayout(const OctreeInput& input, const OctreeOptions& options, OctreeLayout* layout,
                       wchar_t* error, size_t errorChars) {
    memset(layout, 0, sizeof(*layout));
    if (input.count == 0 || !input.xyz) {
        SetError(error, errorChars, L"There are no points to build an octree from.");
        return false;
    }
    if (input.count > UINT32_MAX) {
        SetError(error, errorChars, L"A block holds at most 4294967295 points.");
        return false;
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (!(input.scale[axis] > 0) || !isfinite(input.scale[axis]) || !isfinite(input.origin[axis])) {
            SetError(error, errorChars, L"The points' scales must be positive numbers.");
            return false;
        }
    }
    BuildState state{};
    state.input = &input;
    state.leafPoints = options.leafPoints ? options.leafPoints : kOctreeDefaultLeafPoints;
    state.threads = options.threads == 1 ? 1 : kMaxParallelParts;
    state.cancel = options.cancel;
    state.progress = options.progress;
    state.progressContext = options.progressContext;
    state.codes = new (std::nothrow) uint64_t[input.count];
    state.payload = new (std::nothrow) uint32_t[input.count];
    uint64_t* scratchCodes = new (std::nothrow) uint64_t[input.count];
    uint32_t* scratchPayload = new (std::nothrow) uint32_t[input.count];
    bool ok = state.codes && state.payload && scratchCodes && scratchPayload;
    if (ok) {
        int32_t minimum[3], maximum[3];
        IntegerBoundsOf(input, state.threads, minimum, maximum);
        ComputeCodes(state, minimum, maximum);
        ReportProgress(state, 15);
        ok = MortonSort(state.codes, state.payload, scratchCodes, scratchPayload, input.count, state.threads,
                        options.cancel);
    }
    delete[] scratchCodes;
    delete[] scratchPayload;
    std::vector<GrowingNode> grown;
    if (ok) {
        ReportProgress(state, 55);
        ok = GrowTree(state, grown);
    }
    delete[] state.codes;
    state.codes = nullptr;
    if (ok) {
        ReportProgress(state, 85);
        ok = FillLayout(state, grown, layout);
        ok = ok && FillBlock(input, state.threads, options.statistics, &layout->block);
    }
    delete[] state.payload;
    if (!ok) {
        bool cancelled = Cancelled(state);
        OctreeLayoutFree(layout);
        SetError(error, errorChars,
                 cancelled ? L"The work was cancelled." : L"There is not enough memory to build the octree.");
        return false;
    }
    ReportProgress(state, 100);
    return true;
}

void OctreeLayoutFree(OctreeLayout* layout) {
    delete[] layout->nodes;
    delete[] layout->nodeFirst;
    delete[] layout->order;
    memset(layout, 0, sizeof(*layout));
}
