#include "render/renderer.h"

#include "render/point_drawing.h"
#include "render/renderer_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Side of the square drawn around the found point when the record asks for it, and its line width.
constexpr int kHighlightSide = 9;
constexpr int kHighlightLine = 2;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

void* AllocatePages(size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreePages(void* pages) {
    if (pages) VirtualFree(pages, 0, MEM_RELEASE);
}

// Room for pixels in the image and in the samples; what was there is kept when nothing grows.
bool EnsurePixels(Renderer* renderer, size_t pixels) {
    if (pixels <= renderer->pixelCapacity) return true;
    uint32_t* image = static_cast<uint32_t*>(AllocatePages(pixels * sizeof(uint32_t)));
    uint64_t* samples = static_cast<uint64_t*>(AllocatePages(pixels * sizeof(uint64_t)));
    if (!image || !samples) {
        FreePages(image);
        FreePages(samples);
        return false;
    }
    FreePages(renderer->image);
    FreePages(renderer->samples);
    renderer->image = image;
    renderer->samples = samples;
    renderer->pixelCapacity = pixels;
    return true;
}

// The height ramp spans every block, so that neighbouring blocks agree.
void HeightRange(const CloudSource& cloud, double* low, double* high) {
    *low = HUGE_VAL;
    *high = -HUGE_VAL;
    for (int block = 0; block < cloud.blockCount; ++block) {
        const CloudBlock& b = cloud.blocks[block];
        if (!(b.minimum[2] <= b.maximum[2])) continue;
        *low = std::min(*low, b.minimum[2]);
        *high = std::max(*high, b.maximum[2]);
    }
    if (*low > *high) *low = *high = 0.0;
}

void PrepareColourings(Renderer* renderer, const CloudSource& cloud, const ProjectionImageData& view,
                       const RenderSettings& settings) {
    double low, high;
    HeightRange(cloud, &low, &high);
    if (renderer->colourings.size() < static_cast<size_t>(cloud.blockCount))
        renderer->colourings.resize(cloud.blockCount);
    for (int block = 0; block < cloud.blockCount; ++block)
        renderer->colourings[block] =
            ColouringForBlock(view, cloud.blocks[block], low, high, settings.maxChannelWidth);
}

// Parallel depths become keys relative to just before the nearest drawn depth, which keeps them
// positive through the rounding of the single-precision transforms.
double DepthBias(const ViewProjection& p, const NodeSelection& selection) {
    if (p.perspective) return 0.0;
    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (const SelectedNode& node : selection.nodes) {
        lowest = std::min(lowest, node.depthLow);
        highest = std::max(highest, node.depthHigh);
    }
    double bias = std::max(p.nearClip, lowest);
    if (!std::isfinite(bias)) return 0.0;
    double spread = std::isfinite(highest) ? std::fabs(highest - bias) : 0.0;
    return bias - 1e-4 * (std::fabs(bias) + spread) - 1e-9;
}

// Splits each eye into bands of rows that carry about equal numbers of points, one band per worker.
void PlanTasks(Renderer* renderer, const ViewProjection& p, int workers) {
    FrameJob& job = renderer->job;
    int bands = std::max(1, (workers + p.eyeCount - 1) / p.eyeCount);
    int splits[kLargestWorkerCount + 1];
    splits[0] = 0;
    splits[bands] = p.height;
    if (bands > 1) {
        std::vector<double>& weights = renderer->rowWeights;
        weights.assign(static_cast<size_t>(p.height) + 1, 0.0);
        double total = 0.0;
        for (const SelectedNode& node : renderer->selection.nodes) {
            double count = static_cast<double>((node.pointCount + node.step - 1) / node.step);
            double perRow = count / (node.rowLast - node.rowFirst + 1);
            weights[node.rowFirst] += perRow;
            weights[node.rowLast + 1] -= perRow;
            total += count;
        }
        double density = 0.0, sum = 0.0;
        int band = 1;
        for (int row = 0; row < p.height && band < bands; ++row) {
            density += weights[row];
            sum += density;
            while (band < bands &&
                   (total > 0.0 ? sum >= total * band / bands : row + 1 >= p.height * band / bands))
                splits[band++] = row + 1;
        }
        while (band < bands) splits[band++] = p.height;
    }
    job.taskCount = 0;
    for (int eye = 0; eye < p.eyeCount; ++eye)
        for (int band = 0; band < bands; ++band) {
            if (splits[band] >= splits[band + 1]) continue;
            FrameTask& task = job.tasks[job.taskCount++];
            task = {};
            task.eye = eye;
            task.rowBegin = splits[band];
            task.rowEnd = splits[band + 1];
        }
}

int NodeSplat(const FrameJob& job, const SelectedNode& node) {
    const ViewProjection& p = *job.projection;
    if (!(job.splatAttenuation > 0.0f) || !p.perspective) return job.splat;
    double depth = 0.5 * (node.depthLow + node.depthHigh);
    double growth = 1.0 + job.splatAttenuation * std::max(0.0, depth / p.zeroParallaxDepth - 1.0);
    double splat = std::round(job.splat * growth);
    return splat < kLargestSplat ? static_cast<int>(splat) : kLargestSplat;
}

void DrawTask(FrameJob& job, FrameTask& task) {
    LARGE_INTEGER start = Now();
    const ViewProjection& p = *job.projection;
    size_t eyePixels = static_cast<size_t>(p.width) * p.height;
    EyeTarget target;
    target.samples = job.samples + task.eye * eyePixels;
    target.width = p.width;
    target.rowBegin = task.rowBegin;
    target.rowEnd = task.rowEnd;
    size_t first = static_cast<size_t>(task.rowBegin) * p.width;
    size_t pixels = static_cast<size_t>(task.rowEnd - task.rowBegin) * p.width;
    std::memset(target.samples + first, kEmptySampleByte, pixels * sizeof(uint64_t));
    if (job.drawPoints) {
        const EyeProjection& eye = p.eyes[task.eye];
        for (const SelectedNode& node : job.selection->nodes) {
            if (!node.points || node.rowLast < task.rowBegin || node.rowFirst >= task.rowEnd) continue;
            // Points without classes count as class 0.
            if (job.visibleClasses && !node.points->classification && !job.visibleClasses[0]) continue;
            const CloudBlock& block = job.cloud->blocks[node.block];
            NodeTransform transform = MakeNodeTransform(p, eye, block, block.nodes[node.node], job.depthBias);
            NodeDraw draw;
            draw.points = node.points;
            draw.count = node.pointCount;
            draw.step = node.step;
            draw.splat = NodeSplat(job, node);
            draw.colouring =
                ColouringForNode(job.colourings[node.block], block, *node.points, transform.reference[2]);
            draw.visibleClasses = job.visibleClasses;
            task.pointsLooked += DrawNodePoints(target, transform, draw, p.perspective);
        }
    }
    task.drawMilliseconds = Milliseconds(start, Now());
}

void ShadeTask(FrameJob& job, FrameTask& task) {
    LARGE_INTEGER start = Now();
    const ViewProjection& p = *job.projection;
    size_t eyePixels = static_cast<size_t>(p.width) * p.height;
    const uint64_t* samples = job.samples + task.eye * eyePixels;
    uint32_t* image = job.image + task.eye * eyePixels;
    if (job.shade)
        ShadeRows(samples, image, p.width, p.height, task.rowBegin, task.rowEnd, job.shading);
    else
        CopyRows(samples, image, p.width, task.rowBegin, task.rowEnd);
    task.shadeMilliseconds = Milliseconds(start, Now());
}

void FrameWorker(void* context, int) {
    FrameJob& job = *static_cast<FrameJob*>(context);
    for (;;) {
        LONG task = InterlockedIncrement(&job.nextTask) - 1;
        if (task >= job.taskCount) return;
        if (job.phase == 0)
            DrawTask(job, job.tasks[task]);
        else
            ShadeTask(job, job.tasks[task]);
    }
}

void RunPhase(Renderer* renderer, int phase) {
    renderer->job.phase = phase;
    renderer->job.nextTask = 0;
    RenderThreadsRun(renderer->threads, FrameWorker, &renderer->job);
}

void DrawHighlight(Renderer* renderer, const ViewProjection& p, uint32_t colour) {
    size_t eyePixels = static_cast<size_t>(p.width) * p.height;
    for (int eye = 0; eye < p.eyeCount; ++eye) {
        EyePosition at;
        if (!ProjectToEye(p, p.eyes[eye], renderer->found, &at)) continue;
        if (!(at.column > -kHighlightSide && at.column < p.width + kHighlightSide)) continue;
        if (!(at.row > -kHighlightSide && at.row < p.height + kHighlightSide)) continue;
        int left = static_cast<int>(std::floor(at.column)) - kHighlightSide / 2;
        int top = static_cast<int>(std::floor(at.row)) - kHighlightSide / 2;
        uint32_t* image = renderer->image + eye * eyePixels;
        for (int y = top; y < top + kHighlightSide; ++y) {
            if (y < 0 || y >= p.height) continue;
            for (int x = left; x < left + kHighlightSide; ++x) {
                if (x < 0 || x >= p.width) continue;
                bool edge = x < left + kHighlightLine || x >= left + kHighlightSide - kHighlightLine ||
                            y < top + kHighlightLine || y >= top + kHighlightSide - kHighlightLine;
                if (edge) image[static_cast<size_t>(y) * p.width + x] = colour & 0xFFFFFF;
            }
        }
    }
}

void CollectStats(Renderer* renderer, double selectMs, double totalMs) {
    RenderFrameStats& stats = renderer->stats;
    const FrameJob& job = renderer->job;
    stats.nodesSelected = static_cast<uint32_t>(renderer->selection.nodes.size());
    stats.pointsSelected = renderer->selection.pointCount;
    stats.pointsLooked = 0;
    stats.drawMilliseconds = 0.0;
    stats.shadeMilliseconds = 0.0;
    for (int i = 0; i < job.taskCount; ++i) stats.pointsLooked += job.tasks[i].pointsLooked;
    stats.selectMilliseconds = selectMs;
    stats.totalMilliseconds = totalMs;
}

} // namespace

int SplatPixels(float pointSize) {
    double pixels = pointSize / 1000.0;
    if (!(pixels >= 1.5)) return 1;
    if (pixels >= kLargestSplat) return kLargestSplat;
    return static_cast<int>(std::lround(pixels));
}

uint64_t BudgetOf(const RenderSettings& settings) {
    return settings.pointBudget > 0 ? settings.pointBudget : kRendererDefaultPointBudget;
}

SelectionLimits SelectionLimitsFor(const ProjectionImageData& view, uint64_t budget) {
    SelectionLimits limits;
    int splat = SplatPixels(view.pointSize);
    limits.pointBudget = budget;
    // Nodes whose points stand closer than a quarter footprint add nothing visible: their ancestors'
    // footprints, scattered as lidar points are, already cover the ground they show.
    limits.smallestPixelSpacing = 0.25 * splat;
    bool grows = view.pointSizeAttenuation > 0.0f && !(view.flags & PcvViewParallel);
    limits.marginPixels = (grows ? kLargestSplat : splat) + 1.0;
    return limits;
}

const uint8_t* VisibleClassTable(const RenderSettings& settings, uint8_t table[256]) {
    const ClassificationMask256* mask = settings.visibleClasses;
    if (!mask || !mask->active) return nullptr;
    bool anyHidden = false;
    for (int c = 0; c < 256; ++c) {
        table[c] = (mask->classes[c / 32] >> (c % 32)) & 1u;
        anyHidden = anyHidden || !table[c];
    }
    return anyHidden ? table : nullptr;
}

void AcquireSelection(const CloudSource& cloud, int priority, NodeSelection* selection) {
    selection->pointCount = 0;
    for (SelectedNode& node : selection->nodes) {
        node.points = cloud.acquire ? cloud.acquire(cloud.context, node.block, node.node, priority) : nullptr;
        if (node.points && !node.points->offsets) node.points = nullptr;
        if (!node.points) continue;
        if (node.points->count < node.pointCount) node.pointCount = node.points->count;
        selection->pointCount += (node.pointCount + node.step - 1) / node.step;
    }
}

Renderer* RendererCreate(int height, int doubleWidth, int threads) {
    if (height <= 0 || doubleWidth <= 0) return nullptr;
    Renderer* renderer = new (std::nothrow) Renderer();
    if (!renderer) return nullptr;
    renderer->lastBudget = kRendererDefaultPointBudget;
    renderer->threads = RenderThreadsStart(threads);
    if (!renderer->threads || !EnsurePixels(renderer, static_cast<size_t>(height) * doubleWidth)) {
        RendererDestroy(renderer);
        return nullptr;
    }
    return renderer;
}

void RendererDestroy(Renderer* renderer) {
    if (!renderer) return;
    RenderThreadsStop(renderer->threads);
    FreePages(renderer->image);
    FreePages(renderer->samples);
    delete renderer;
}

uint8_t* RendererImageBuffer(Renderer* renderer) {
    return reinterpret_cast<uint8_t*>(renderer->image);
}

const RenderFrameStats& RendererLastFrameStats(const Renderer* renderer) {
    return renderer->stats;
}

int RendererDraw(Renderer* renderer, const CloudSource& cloud, ProjectionImageData* view,
                 const RenderSettings& settings) {
    LARGE_INTEGER start = Now();
    ViewProjection projection;
    if (!ViewProjectionFromRecord(*view, &projection)) return 0;
    size_t pixels = static_cast<size_t>(projection.width) * projection.height * projection.eyeCount;
    if (!EnsurePixels(renderer, pixels)) return 0;
    view->imageBuffer = reinterpret_cast<uint8_t*>(renderer->image);

    FrameJob& job = renderer->job;
    job.projection = &projection;
    job.cloud = &cloud;
    job.selection = &renderer->selection;
    job.image = renderer->image;
    job.samples = renderer->samples;
    job.visibleClasses = VisibleClassTable(settings, renderer->visibleClasses);
    job.splat = SplatPixels(view->pointSize);
    job.splatAttenuation = std::isfinite(view->pointSizeAttenuation) ? view->pointSizeAttenuation : 0.0f;
    job.drawPoints = (view->renderingMode & PcvRenderPoints) != 0;
    uint64_t budget = BudgetOf(settings);
    renderer->lastBudget = budget;

    renderer->selection.nodes.clear();
    renderer->selection.pointCount = 0;
    if (job.drawPoints) {
        SelectNodes(cloud, projection, SelectionLimitsFor(*view, budget), &renderer->selection);
        AcquireSelection(cloud, view->pageLockPriority, &renderer->selection);
        PrepareColourings(renderer, cloud, *view, settings);
        job.colourings = renderer->colourings.data();
    }
    job.depthBias = DepthBias(projection, renderer->selection);
    double selectMs = Milliseconds(start, Now());

    PlanTasks(renderer, projection, RenderThreadsCount(renderer->threads));
    RunPhase(renderer, 0);
    job.shading.strength = std::isfinite(view->shadingStrength) ? view->shadingStrength : 0.0f;
    job.shading.radius = view->shadingRadius;
    job.shading.perspective = projection.perspective;
    job.shading.pixelScale = static_cast<float>(projection.pixelScale);
    job.shade = job.drawPoints && (view->renderingMode & PcvRenderShading) && job.shading.strength > 0.0f;
    RunPhase(renderer, 1);
    if (view->highlightFound && renderer->hasFound) DrawHighlight(renderer, projection, view->highlightColor);

    CollectStats(renderer, selectMs, Milliseconds(start, Now()));
    for (int i = 0; i < job.taskCount; ++i) {
        renderer->stats.drawMilliseconds =
            std::max(renderer->stats.drawMilliseconds, job.tasks[i].drawMilliseconds);
        renderer->stats.shadeMilliseconds =
            std::max(renderer->stats.shadeMilliseconds, job.tasks[i].shadeMilliseconds);
    }
    job.projection = nullptr;
    return 1;
}

float RendererEstimateDepth(Renderer* renderer, const CloudSource& cloud, ProjectionImageData* view) {
    view->nearDepthEstimate = view->nearDistance;
    view->farDepthEstimate = view->farDistance;
    ViewProjection projection;
    if (!ViewProjectionFromRecord(*view, &projection)) return view->nearDepthEstimate;
    SelectNodes(cloud, projection, SelectionLimitsFor(*view, renderer->lastBudget), &renderer->selection);
    double nearest = HUGE_VAL, farthest = -HUGE_VAL;
    for (const SelectedNode& node : renderer->selection.nodes) {
        double low = std::max(node.depthLow, projection.nearClip);
        double high = std::min(node.depthHigh, projection.farClip);
        if (!(low <= high)) continue;
        nearest = std::min(nearest, low);
        farthest = std::max(farthest, high);
    }
    renderer->selection.nodes.clear();
    if (nearest <= farthest) {
        // Widened a little, so that the clip distances the caller narrows to them keep the nearest and
        // the farthest points through single-precision rounding.
        double slack = 1e-5 * std::max({std::fabs(nearest), std::fabs(farthest), farthest - nearest});
        view->nearDepthEstimate = std::nextafter(static_cast<float>(nearest - slack), -HUGE_VALF);
        view->farDepthEstimate = std::nextafter(static_cast<float>(farthest + slack), HUGE_VALF);
    }
    return view->nearDepthEstimate;
}
