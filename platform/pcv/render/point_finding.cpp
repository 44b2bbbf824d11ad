// Projection of single points and the search for the cloud point under a mouse position. Both use the
// projection the drawing uses; the search looks at the cloud itself (the nodes a frame of this view
// would draw, near the mouse), not at the last image, which may show another view.
#include "render/renderer.h"

#include "render/renderer_state.h"

#include <cmath>

namespace {

// How far from the mouse a point may be shown and still be found, pixels.
constexpr int kPickRadius = 4;
constexpr int kPickSide = 2 * kPickRadius + 1;

// The frontmost point seen in one pixel around the mouse.
struct PickCell {
    double depth;
    int node; // index into the selection, -1 for none
    uint32_t point;
};

struct PickWindow {
    PickCell cells[kPickSide * kPickSide];
    int left; // image column and row of cell 0
    int top;
    int side;
};

int Floor(double value) {
    if (!(value > -1e9)) return -1000000000;
    if (!(value < 1e9)) return 1000000000;
    return static_cast<int>(std::floor(value));
}

void PointOf(const CloudBlock& block, const int32_t* offset, double point[3]) {
    for (int axis = 0; axis < 3; ++axis) point[axis] = block.origin[axis] + offset[axis] * block.scale[axis];
}

// Lays the point's footprint over the window, nearer points covering farther ones.
void CoverCells(PickWindow* window, const EyePosition& at, int splat, int node, uint32_t point) {
    int half = (splat - 1) / 2;
    int column = Floor(at.column) - half, row = Floor(at.row) - half;
    for (int y = row; y < row + splat; ++y) {
        int cy = y - window->top;
        if (cy < 0 || cy >= window->side) continue;
        for (int x = column; x < column + splat; ++x) {
            int cx = x - window->left;
            if (cx < 0 || cx >= window->side) continue;
            PickCell& cell = window->cells[cy * window->side + cx];
            if (at.depth < cell.depth) cell = {at.depth, node, point};
        }
    }
}

void SearchNode(const CloudSource& cloud, const ViewProjection& p, const SelectedNode& node, int nodeIndex,
                const uint8_t* visibleClasses, int splat, PickWindow* window) {
    const CloudBlock& block = cloud.blocks[node.block];
    const NodePoints& points = *node.points;
    if (visibleClasses && !points.classification && !visibleClasses[0]) return;
    for (uint32_t i = 0; i < node.pointCount; i += node.step) {
        if (visibleClasses && points.classification && !visibleClasses[points.classification[i]]) continue;
        double point[3];
        PointOf(block, points.offsets + 3 * static_cast<size_t>(i), point);
        EyePosition at;
        if (!ProjectToEye(p, p.middle, point, &at)) continue;
        if (!(at.depth >= p.nearClip && at.depth <= p.farClip)) continue;
        CoverCells(window, at, splat, nodeIndex, i);
    }
}

// The cell nearest the mouse; of equally near ones the one nearest to the viewer.
const PickCell* BestCell(const PickWindow& window, int mouseColumn, int mouseRow) {
    const PickCell* best = nullptr;
    long bestDistance = 0;
    for (int cy = 0; cy < window.side; ++cy)
        for (int cx = 0; cx < window.side; ++cx) {
            const PickCell& cell = window.cells[cy * window.side + cx];
            if (cell.node < 0) continue;
            long dx = window.left + cx - mouseColumn, dy = window.top + cy - mouseRow;
            long distance = dx * dx + dy * dy;
            if (!best || distance < bestDistance || (distance == bestDistance && cell.depth < best->depth)) {
                best = &cell;
                bestDistance = distance;
            }
        }
    return best;
}

// A stable number for a point: its place in the cloud when blocks, their nodes and the nodes' points
// are counted in order.
int32_t PointOrdinal(const CloudSource& cloud, int blockIndex, int nodeIndex, uint32_t point) {
    uint64_t ordinal = point;
    for (int block = 0; block < blockIndex; ++block) ordinal += cloud.blocks[block].pointCount;
    const CloudBlock& block = cloud.blocks[blockIndex];
    for (int node = 0; node < nodeIndex; ++node) ordinal += block.nodes[node].pointCount;
    return ordinal < 0x7FFFFFFFull ? static_cast<int32_t>(ordinal) : 0x7FFFFFFF;
}

} // namespace

int RendererProject(const ProjectionImageData& view, const Point3Dd& point, int* columnLeft, int* columnRight,
                    int* rowFromBottom, float* depth) {
    ViewProjection p;
    if (!ViewProjectionFromRecord(view, &p)) return 0;
    const double position[3] = {point.x, point.y, point.z};
    EyePosition middle, left, right;
    if (!ProjectToEye(p, p.middle, position, &middle)) return 0;
    ProjectToEye(p, p.eyes[0], position, &left);
    ProjectToEye(p, p.eyes[p.eyeCount - 1], position, &right);
    if (!(middle.column >= 0.0 && middle.column < p.width && middle.row >= 0.0 && middle.row < p.height))
        return 0;
    int row = Floor(middle.row);
    if (columnLeft) *columnLeft = p.eyeCount == 2 ? Floor(left.column) : Floor(middle.column);
    if (columnRight) *columnRight = p.eyeCount == 2 ? Floor(right.column) : Floor(middle.column);
    if (rowFromBottom) *rowFromBottom = p.height - row;
    if (depth) *depth = static_cast<float>(middle.depth);
    return 1;
}

bool RendererFindPoint(Renderer* renderer, const CloudSource& cloud, const ProjectionImageData& view,
                       const RenderSettings& settings, SnapMouse* mouse) {
    mouse->index = -1;
    ViewProjection p;
    if (!ViewProjectionFromRecord(view, &p) || !(view.renderingMode & PcvRenderPoints)) return false;
    int radius = mouse->nearest ? kPickRadius : 0;
    int mouseColumn = mouse->x, mouseRow = mouse->y;
    if (mouseColumn < -radius || mouseColumn >= p.width + radius || mouseRow < -radius ||
        mouseRow >= p.height + radius)
        return false;
    PickWindow window;
    window.side = 2 * radius + 1;
    window.left = mouseColumn - radius;
    window.top = mouseRow - radius;
    for (PickCell& cell : window.cells) cell = {HUGE_VAL, -1, 0};

    const int splat = SplatPixels(view.pointSize);
    uint8_t table[256];
    const uint8_t* visibleClasses = VisibleClassTable(settings, table);
    NodeSelection& selection = renderer->selection;
    SelectNodes(cloud, p, SelectionLimitsFor(view, BudgetOf(settings)), &selection);
    // The footprint reaches splat pixels from a point's position.
    const double reach = splat + 1.0;
    const double left = window.left - reach, top = window.top - reach;
    const double right = window.left + window.side + reach, bottom = window.top + window.side + reach;
    bool acquired = false;
    for (size_t i = 0; i < selection.nodes.size(); ++i) {
        SelectedNode& node = selection.nodes[i];
        const CloudBlock& block = cloud.blocks[node.block];
        double minimum[3], maximum[3];
        if (!NodePointBox(block, block.nodes[node.node], minimum, maximum)) continue;
        if (!BoxInRectangle(p, p.middle, minimum, maximum, left, top, right, bottom)) continue;
        if (!cloud.acquire) continue;
        node.points = cloud.acquire(cloud.context, node.block, node.node, view.pageLockPriority);
        acquired = true;
        if (!node.points || !node.points->offsets) continue;
        if (node.points->count < node.pointCount) node.pointCount = node.points->count;
        SearchNode(cloud, p, node, static_cast<int>(i), visibleClasses, splat, &window);
    }
    const PickCell* best = BestCell(window, mouseColumn, mouseRow);
    if (best) {
        const SelectedNode& node = selection.nodes[best->node];
        const CloudBlock& block = cloud.blocks[node.block];
        double point[3];
        PointOf(block, node.points->offsets + 3 * static_cast<size_t>(best->point), point);
        for (int axis = 0; axis < 3; ++axis) {
            mouse->found[axis] = point[axis];
            renderer->found[axis] = point[axis];
        }
        renderer->hasFound = true;
        mouse->index = PointOrdinal(cloud, node.block, node.node, best->point);
    }
    if (acquired && cloud.release) cloud.release(cloud.context, view.pageLockPriority);
    selection.nodes.clear();
    return best != nullptr;
}
