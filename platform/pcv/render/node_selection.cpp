#include "render/node_selection.h"

#include <algorithm>
#include <cmath>

namespace {

// Larger on screen first; of equal ones the nearer.
bool DrawsLater(const NodeCandidate& a, const NodeCandidate& b) {
    if (a.pixelSpacing != b.pixelSpacing) return a.pixelSpacing < b.pixelSpacing;
    return a.distance > b.distance;
}

double DistanceToBox(const double point[3], const double minimum[3], const double maximum[3]) {
    double sum = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        double gap = 0.0;
        if (point[axis] < minimum[axis])
            gap = minimum[axis] - point[axis];
        else if (point[axis] > maximum[axis])
            gap = point[axis] - maximum[axis];
        sum += gap * gap;
    }
    return std::sqrt(sum);
}

bool BoxInView(const ViewProjection& p, const double minimum[3], const double maximum[3], double margin) {
    for (int eye = 0; eye < p.eyeCount; ++eye)
        if (BoxInRectangle(p, p.eyes[eye], minimum, maximum, -margin, -margin, p.width + margin,
                           p.height + margin))
            return true;
    return false;
}

int ClampRow(double row, int height) {
    if (!(row > 0.0)) return 0;
    if (row >= height - 1) return height - 1;
    return static_cast<int>(row);
}

// The rows a box may cover; every row when it reaches the camera plane of a perspective view.
void BoxRows(const ViewProjection& p, const double minimum[3], const double maximum[3], double margin,
             int* first, int* last) {
    const EyeProjection& eye = p.middle;
    double vLow, vHigh;
    LinearRangeOverBox(eye.vAxis, 0.0, p.camera, minimum, maximum, &vLow, &vHigh);
    double top, bottom;
    if (p.perspective) {
        double wLow, wHigh;
        LinearRangeOverBox(eye.depthAxis, 0.0, p.camera, minimum, maximum, &wLow, &wHigh);
        if (wLow < p.nearClip) {
            *first = 0;
            *last = p.height - 1;
            return;
        }
        top = std::min(vLow / wLow, vLow / wHigh);
        bottom = std::max(vHigh / wLow, vHigh / wHigh);
    } else {
        top = vLow;
        bottom = vHigh;
    }
    *first = ClampRow(eye.rowCentre + top - margin, p.height);
    *last = ClampRow(eye.rowCentre + bottom + margin, p.height);
}

double PixelSpacing(const ViewProjection& p, const CloudNode& node, double distance) {
    if (!p.perspective) return node.spacing * p.pixelScale;
    double reach = distance > 1e-300 ? distance : 1e-300;
    return node.spacing * p.pixelScale / reach;
}

// Guards against a malformed hierarchy: a child comes after its parent and names it, so no node is
// visited twice.
bool IsChildOf(const CloudBlock& block, int32_t child, int parent) {
    if (child == kNoNode || child <= parent || static_cast<uint32_t>(child) >= block.nodeCount) return false;
    return block.nodes[child].parent == parent;
}

// Pushes a node when some of it is in sight.
void Consider(const CloudSource& cloud, const ViewProjection& p, const SelectionLimits& limits,
              int blockIndex, int nodeIndex, bool evenWhenFine, NodeSelection* selection) {
    const CloudBlock& block = cloud.blocks[blockIndex];
    if (nodeIndex < 0 || static_cast<uint32_t>(nodeIndex) >= block.nodeCount) return;
    const CloudNode& node = block.nodes[nodeIndex];
    double minimum[3], maximum[3];
    if (!NodePointBox(block, node, minimum, maximum)) return;
    if (!BoxInView(p, minimum, maximum, limits.marginPixels)) return;
    double distance = DistanceToBox(p.camera, minimum, maximum);
    double spacing = PixelSpacing(p, node, distance);
    if (!evenWhenFine && !(spacing >= limits.smallestPixelSpacing)) return;
    selection->candidates.push_back({spacing, distance, blockIndex, nodeIndex});
    std::push_heap(selection->candidates.begin(), selection->candidates.end(), DrawsLater);
}

void Select(const CloudSource& cloud, const ViewProjection& p, const SelectionLimits& limits,
            const NodeCandidate& candidate, uint32_t count, uint32_t step, NodeSelection* selection) {
    const CloudBlock& block = cloud.blocks[candidate.block];
    const CloudNode& node = block.nodes[candidate.node];
    double minimum[3], maximum[3];
    NodePointBox(block, node, minimum, maximum);
    SelectedNode chosen = {};
    chosen.block = candidate.block;
    chosen.node = candidate.node;
    chosen.pointCount = count;
    chosen.step = step;
    chosen.pixelSpacing = static_cast<float>(candidate.pixelSpacing);
    LinearRangeOverBox(p.middle.depthAxis, 0.0, p.camera, minimum, maximum, &chosen.depthLow,
                       &chosen.depthHigh);
    BoxRows(p, minimum, maximum, limits.marginPixels, &chosen.rowFirst, &chosen.rowLast);
    selection->nodes.push_back(chosen);
    selection->pointCount += (count + step - 1) / step;
}

} // namespace

// For each edge of the rectangle the box must reach its inner side (u >= (left - columnCentre) * w and
// so on, with w = depth in perspective, 1 in parallel), and its depth range must meet the clip range.
bool BoxInRectangle(const ViewProjection& p, const EyeProjection& eye, const double minimum[3],
                    const double maximum[3], double left, double top, double right, double bottom) {
    double depthLow, depthHigh;
    LinearRangeOverBox(eye.depthAxis, 0.0, p.camera, minimum, maximum, &depthLow, &depthHigh);
    if (depthHigh < p.nearClip || depthLow > p.farClip) return false;
    struct Edge {
        const double* axis;
        double constant;
        double offset; // the edge's position relative to the centre, pixels
        bool keepAbove;
    };
    const Edge edges[4] = {
        {eye.uAxis, eye.uConstant, left - eye.columnCentre, true},
        {eye.uAxis, eye.uConstant, right - eye.columnCentre, false},
        {eye.vAxis, 0.0, top - eye.rowCentre, true},
        {eye.vAxis, 0.0, bottom - eye.rowCentre, false},
    };
    for (const Edge& edge : edges) {
        // value = u - offset * w must be >= 0 (keepAbove) or <= 0 somewhere in the box.
        double axis[3];
        double constant = edge.constant;
        for (int i = 0; i < 3; ++i)
            axis[i] = edge.axis[i] - (p.perspective ? edge.offset * eye.depthAxis[i] : 0.0);
        if (!p.perspective) constant -= edge.offset;
        double low, high;
        LinearRangeOverBox(axis, constant, p.camera, minimum, maximum, &low, &high);
        if (edge.keepAbove ? high < 0.0 : low > 0.0) return false;
    }
    return true;
}

bool NodePointBox(const CloudBlock& block, const CloudNode& node, double minimum[3], double maximum[3]) {
    for (int axis = 0; axis < 3; ++axis) {
        minimum[axis] = std::max(node.minimum[axis], block.minimum[axis]);
        maximum[axis] = std::min(node.maximum[axis], block.maximum[axis]);
        if (!(minimum[axis] <= maximum[axis])) return false;
    }
    return true;
}

void ReserveSelection(const CloudSource& cloud, NodeSelection* selection) {
    size_t nodes = 0;
    for (int block = 0; block < cloud.blockCount; ++block) nodes += cloud.blocks[block].nodeCount;
    if (selection->candidates.capacity() < nodes) selection->candidates.reserve(nodes);
    if (selection->nodes.capacity() < nodes) selection->nodes.reserve(nodes);
}

void SelectNodes(const CloudSource& cloud, const ViewProjection& p, const SelectionLimits& limits,
                 NodeSelection* selection) {
    ReserveSelection(cloud, selection);
    selection->candidates.clear();
    selection->nodes.clear();
    selection->pointCount = 0;
    for (int block = 0; block < cloud.blockCount; ++block)
        if (cloud.blocks[block].nodes && cloud.blocks[block].nodeCount > 0)
            Consider(cloud, p, limits, block, 0, true, selection);

    std::vector<NodeCandidate>& heap = selection->candidates;
    while (!heap.empty() && selection->pointCount < limits.pointBudget) {
        std::pop_heap(heap.begin(), heap.end(), DrawsLater);
        NodeCandidate candidate = heap.back();
        heap.pop_back();
        const CloudBlock& block = cloud.blocks[candidate.block];
        const CloudNode& node = block.nodes[candidate.node];
        uint64_t remaining = limits.pointBudget - selection->pointCount;
        if (node.pointCount > remaining) {
            // The budget ends inside this node: draw an even thinning of it, and nothing finer.
            uint32_t step = static_cast<uint32_t>((node.pointCount + remaining - 1) / remaining);
            Select(cloud, p, limits, candidate, node.pointCount, step, selection);
            break;
        }
        if (node.pointCount > 0) Select(cloud, p, limits, candidate, node.pointCount, 1, selection);
        for (int32_t child : node.children)
            if (IsChildOf(block, child, candidate.node))
                Consider(cloud, p, limits, candidate.block, child, false, selection);
    }
}
