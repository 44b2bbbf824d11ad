// Measures the CPU renderer: a 3960 x 2160 stereo frame (the plug-in's default view) of generated
// clouds of 1, 10 and 50 million points, and a 1920 x 1080 mono frame, with the memory floor (clearing
// both eyes' images and depth buffers once) measured in the same run. Prints its results: per series
// of frames the average and the best frame, and the share of the two processors the program had.
//
//     render_benchmark.exe [budget per eye ...] [--clouds=1,10,50]   (default: the renderer's default budget)
#include "render/renderer.h"
#include "resident_octree.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kStereoWidth = 3960;
constexpr int kStereoHeight = 2160;
constexpr int kMonoWidth = 1920;
constexpr int kMonoHeight = 1080;
constexpr int kWorkers = 2;
constexpr int kFrames = 12;
constexpr double kArea = 1000.0; // the generated scene is kArea x kArea metres

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Processor time of the whole process so far (all threads), seconds.
double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
    auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

double WorkingSetMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0.0;
    return counters.WorkingSetSize / 1048576.0;
}

// A generated scene: rolling ground, block buildings and round trees, with intensities, classes,
// colours and return numbers, as integers of a millimetre grid around (637000, 849000).
struct Scene {
    std::vector<int32_t> xyz;
    std::vector<uint16_t> intensity;
    std::vector<uint8_t> classification, rgb, returnNumber;
    uint64_t count = 0;
};

double GroundHeight(double x, double y) {
    return 8.0 * std::sin(x / 90.0) * std::cos(y / 130.0) + 0.01 * x;
}

struct Building {
    double x, y, side, height;
};

struct Tree {
    double x, y, radius;
};

Scene GenerateScene(uint64_t count) {
    Scene scene;
    scene.count = count;
    scene.xyz.resize(3 * count);
    scene.intensity.resize(count);
    scene.classification.resize(count);
    scene.rgb.resize(3 * count);
    scene.returnNumber.resize(count);
    std::mt19937_64 random(count);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Building> buildings;
    for (int i = 0; i < 120; ++i)
        buildings.push_back({unit(random) * (kArea - 60), unit(random) * (kArea - 60), 15 + unit(random) * 40,
                             6 + unit(random) * 25});
    std::mt19937 spots(4000);
    std::uniform_real_distribution<double> spotUnit(0.0, 1.0);
    std::vector<Tree> trees;
    for (int i = 0; i < 4000; ++i)
        trees.push_back({spotUnit(spots) * kArea, spotUnit(spots) * kArea, 2.5 + spotUnit(spots) * 3.0});
    auto put = [&](uint64_t i, double x, double y, double z, uint8_t cls, uint8_t r, uint8_t g, uint8_t b) {
        scene.xyz[3 * i] = static_cast<int32_t>(std::lround(x * 1000.0));
        scene.xyz[3 * i + 1] = static_cast<int32_t>(std::lround(y * 1000.0));
        scene.xyz[3 * i + 2] = static_cast<int32_t>(std::lround(z * 1000.0));
        scene.classification[i] = cls;
        scene.intensity[i] = static_cast<uint16_t>(15000 + unit(random) * 40000);
        scene.rgb[3 * i] = r;
        scene.rgb[3 * i + 1] = g;
        scene.rgb[3 * i + 2] = b;
        scene.returnNumber[i] = static_cast<uint8_t>(cls == 5 ? 1 + static_cast<int>(unit(random) * 3) : 1);
    };
    for (uint64_t i = 0; i < count; ++i) {
        double kind = unit(random);
        if (kind < 0.7) {
            double x = unit(random) * kArea, y = unit(random) * kArea;
            put(i, x, y, GroundHeight(x, y), 2, 150, 135, 105);
        } else if (kind < 0.85) {
            const Building& b = buildings[static_cast<size_t>(unit(random) * buildings.size())];
            double base = GroundHeight(b.x, b.y);
            double u = unit(random) * b.side, v = unit(random) * b.side;
            if (unit(random) < 0.6)
                put(i, b.x + u, b.y + v, base + b.height, 6, 200, 80, 70);
            else
                put(i, b.x + (unit(random) < 0.5 ? 0 : b.side), b.y + v, base + unit(random) * b.height, 6,
                    180, 70, 60);
        } else {
            // Trees on a fixed set of spots, so that denser clouds show the same trees.
            const Tree& t = trees[static_cast<size_t>(unit(random) * trees.size())];
            double cx = t.x, cy = t.y, radius = t.radius;
            double a = unit(random) * 6.2832, e = unit(random) * 3.1416 - 1.5708;
            put(i, cx + radius * std::cos(a) * std::cos(e), cy + radius * std::sin(a) * std::cos(e),
                GroundHeight(cx, cy) + 9 + radius * std::sin(e), 5, 60, 140, 50);
        }
    }
    return scene;
}

// A view record filled the way the plug-in fills it from a perspective host view: eye, target, the
// view's y extent at the target, the view box around the target.
ProjectionImageData PerspectiveRecord(const double eye[3], const double target[3], double dy, double dz,
                                      int width, int height, bool stereo, uint32_t mode, uint32_t channel) {
    double z[3] = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    double distance = std::sqrt(z[0] * z[0] + z[1] * z[1] + z[2] * z[2]);
    for (double& c : z) c /= distance;
    const double up[3] = {0, 0, 1};
    double x[3] = {up[1] * z[2] - up[2] * z[1], up[2] * z[0] - up[0] * z[2], up[0] * z[1] - up[1] * z[0]};
    double xl = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    for (double& c : x) c /= xl;
    double y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
    ProjectionImageData view = {};
    for (int a = 0; a < 3; ++a) {
        view.rotation[0][a] = static_cast<float>(x[a]);
        view.rotation[1][a] = static_cast<float>(-y[a]);
        view.rotation[2][a] = static_cast<float>(z[a]);
        view.cameraPosition[a] = eye[a];
    }
    view.flags = stereo ? PcvViewStereo : 0;
    view.imageWidth = width;
    view.imageHeight = height;
    view.heightToWidth = static_cast<float>(height) / width;
    view.projectionScale1 = static_cast<float>(2.0 * distance / dy);
    view.projectionScale2 = 1.0f;
    view.viewBoxFar = static_cast<float>(distance + dz / 2);
    view.viewBoxNear = static_cast<float>(distance - dz / 2);
    view.nearDistance = view.viewBoxNear;
    view.farDistance = view.viewBoxFar;
    view.pointSize = 0.0f; // the plug-in's default point size: the smallest point
    view.renderingMode = mode | PcvRenderCpu;
    view.channel = channel;
    view.shadingStrength = 0.25f;
    view.shadingRadius = 5;
    view.highlightColor = 0xFFFF00;
    return view;
}

// The memory floor: clearing two eyes' images and depth buffers once, with one thread and with two
// (one eye each), best of several rounds.
struct Floor {
    double oneThread;
    double twoThreads;
};

struct ClearJob {
    uint8_t* image;
    uint8_t* depth;
    size_t bytes;
};

DWORD WINAPI ClearEye(void* parameter) {
    ClearJob* job = static_cast<ClearJob*>(parameter);
    std::memset(job->image, 0, job->bytes);
    std::memset(job->depth, 0xFF, job->bytes);
    return 0;
}

Floor MeasureFloor(int width, int height) {
    size_t eyeBytes = static_cast<size_t>(width) * height * 4;
    uint8_t* image = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * eyeBytes, MEM_COMMIT, PAGE_READWRITE));
    uint8_t* depth = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * eyeBytes, MEM_COMMIT, PAGE_READWRITE));
    Floor floor = {1e9, 1e9};
    if (!image || !depth) return floor;
    std::memset(image, 1, 2 * eyeBytes);
    std::memset(depth, 1, 2 * eyeBytes);
    for (int round = 0; round < 8; ++round) {
        double start = Seconds();
        std::memset(image, 0, 2 * eyeBytes);
        std::memset(depth, 0xFF, 2 * eyeBytes);
        floor.oneThread = std::min(floor.oneThread, Seconds() - start);
        ClearJob jobs[2] = {{image, depth, eyeBytes}, {image + eyeBytes, depth + eyeBytes, eyeBytes}};
        start = Seconds();
        HANDLE second = CreateThread(nullptr, 0, ClearEye, &jobs[1], 0, nullptr);
        ClearEye(&jobs[0]);
        WaitForSingleObject(second, INFINITE);
        floor.twoThreads = std::min(floor.twoThreads, Seconds() - start);
        CloseHandle(second);
    }
    VirtualFree(image, 0, MEM_RELEASE);
    VirtualFree(depth, 0, MEM_RELEASE);
    return floor;
}

struct FrameResult {
    double frameMs;
    double bestMs;
    double processorShare; // processor time over wall time and workers: below 1 when others use the cores
    double drawMs;
    double shadeMs;
    double selectMs;
    double pointsPerFrame;
};

// Renders kFrames frames while the camera circles the scene's centre a little, after two frames that
// warm the caches; the average of the measured ones.
FrameResult MeasureFramesOnce(Renderer* renderer, const CloudSource& cloud, int width, int height,
                              bool stereo, uint32_t mode, uint32_t channel, uint32_t budget) {
    FrameResult sum = {};
    sum.bestMs = 1e9;
    double processorStart = 0.0, wallStart = 0.0;
    const double centre[3] = {637000.0 + kArea / 2, 849000.0 + kArea / 2, 0.0};
    RenderSettings settings = {};
    settings.pointBudget = budget;
    settings.maxChannelWidth = 4;
    for (int frame = -2; frame < kFrames; ++frame) {
        double angle = 0.6 + 0.02 * frame;
        // An oblique look from 900 m away, 35 degrees down: the whole scene is in sight.
        double eye[3] = {centre[0] - 740.0 * std::sin(angle), centre[1] - 740.0 * std::cos(angle), 520.0};
        ProjectionImageData view = PerspectiveRecord(eye, centre, 1000.0 * height / width * 1.3, 2400.0,
                                                     width, height, stereo, mode, channel);
        if (frame == 0) {
            processorStart = ProcessorSeconds();
            wallStart = Seconds();
        }
        double start = Seconds();
        float nearest = RendererEstimateDepth(renderer, cloud, &view);
        (void)nearest;
        view.nearDistance = std::max(view.nearDistance, view.nearDepthEstimate);
        view.farDistance = std::min(view.farDistance, view.farDepthEstimate);
        if (RendererDraw(renderer, cloud, &view, settings) <= 0) {
            std::printf("the renderer refused the view\n");
            std::exit(1);
        }
        double elapsed = Seconds() - start;
        if (frame < 0) continue;
        const RenderFrameStats& stats = RendererLastFrameStats(renderer);
        sum.frameMs += 1000.0 * elapsed;
        sum.bestMs = std::min(sum.bestMs, 1000.0 * elapsed);
        sum.drawMs += stats.drawMilliseconds;
        sum.shadeMs += stats.shadeMilliseconds;
        sum.selectMs += stats.selectMilliseconds;
        sum.pointsPerFrame += static_cast<double>(stats.pointsLooked);
    }
    double share = (ProcessorSeconds() - processorStart) / ((Seconds() - wallStart) * kWorkers);
    FrameResult average = {sum.frameMs / kFrames,
                           sum.bestMs,
                           share,
                           sum.drawMs / kFrames,
                           sum.shadeMs / kFrames,
                           sum.selectMs / kFrames,
                           sum.pointsPerFrame / kFrames};
    return average;
}

// The machine is shared: other programs may hold the cores while frames are measured. Up to
// kAttempts series are measured, and the one that had the processors most to itself is reported
// (its processor share is printed with it).
constexpr int kAttempts = 4;
constexpr double kEnoughShare = 0.9;

FrameResult MeasureFrames(Renderer* renderer, const CloudSource& cloud, int width, int height, bool stereo,
                          uint32_t mode, uint32_t channel, uint32_t budget) {
    FrameResult best = {};
    for (int attempt = 0; attempt < kAttempts && best.processorShare < kEnoughShare; ++attempt) {
        FrameResult result = MeasureFramesOnce(renderer, cloud, width, height, stereo, mode, channel, budget);
        if (attempt == 0 || result.processorShare > best.processorShare) best = result;
    }
    return best;
}

void PrintFrame(const char* what, const FrameResult& r, double floorMs) {
    // Points per second per core: over the whole frame, and over the drawing phase alone (each of the
    // two workers draws one eye, or one band of a mono image, at the same time).
    double perCoreFrame = r.pointsPerFrame / (kWorkers * r.frameMs / 1000.0) / 1e6;
    double perCoreDraw = r.pointsPerFrame / (kWorkers * r.drawMs / 1000.0) / 1e6;
    std::printf(
        "  %-34s %6.1f ms/frame (best %6.1f, %5.1f fps)  select %4.1f  clear+draw %5.1f  image %5.1f ms  "
        "%5.2f M points  %5.1f M/s/core (frame)  %5.1f M/s/core (drawing)  processor share %3.0f%%",
        what, r.frameMs, r.bestMs, 1000.0 / r.frameMs, r.selectMs, r.drawMs, r.shadeMs,
        r.pointsPerFrame / 1e6, perCoreFrame, perCoreDraw, 100.0 * r.processorShare);
    if (floorMs > 0) std::printf("  %4.1f x floor", r.frameMs / floorMs);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<uint32_t> budgets;
    std::vector<uint64_t> clouds;
    for (int i = 1; i < argc; ++i) {
        // --clouds=1,50 measures only those cloud sizes (millions of points).
        if (std::strncmp(argv[i], "--clouds=", 9) == 0) {
            for (char* at = argv[i] + 9; *at;) {
                char* end = nullptr;
                unsigned long long millions = std::strtoull(at, &end, 10);
                if (end == at) break;
                if (millions > 0 && millions <= 4000) clouds.push_back(millions);
                at = *end == ',' ? end + 1 : end;
            }
            continue;
        }
        budgets.push_back(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    }
    if (clouds.empty()) clouds = {1, 10, 50};
    if (budgets.empty()) budgets.push_back(kRendererDefaultPointBudget);

    std::printf("Render benchmark, CPU mode, %d workers; point budgets per eye:", kWorkers);
    for (uint32_t b : budgets) std::printf(" %u", b);
    std::printf(" (default %u)\n", kRendererDefaultPointBudget);
    Floor floor = MeasureFloor(kStereoWidth, kStereoHeight);
    double floorMs = 1000.0 * std::min(floor.oneThread, floor.twoThreads);
    std::printf(
        "Memory floor, clearing both %d x %d eye images and depth buffers (%.0f MB): one thread %.1f ms, "
        "two threads %.1f ms; ratios below use %.1f ms\n",
        kStereoWidth, kStereoHeight, 4.0 * kStereoWidth * kStereoHeight * 4 / 1048576.0,
        1000.0 * floor.oneThread, 1000.0 * floor.twoThreads, floorMs);
    Floor monoFloor = MeasureFloor(kMonoWidth, kMonoHeight / 2);
    std::printf("Memory floor of one %d x %d image and its depth buffer: %.1f ms\n", kMonoWidth, kMonoHeight,
                1000.0 * std::min(monoFloor.oneThread, monoFloor.twoThreads));

    Renderer* renderer = RendererCreate(kStereoHeight, 2 * kStereoWidth, kWorkers);
    if (!renderer) {
        std::printf("the renderer could not start\n");
        return 1;
    }
    std::vector<double> shadedAtDefault, shadedProcessorAtDefault;
    for (uint64_t millions : clouds) {
        double start = Seconds();
        Scene scene = GenerateScene(millions * 1000000ull);
        double generated = Seconds() - start;
        OctreeInput input = {};
        input.origin[0] = 637000.0;
        input.origin[1] = 849000.0;
        input.origin[2] = 0.0;
        input.scale[0] = input.scale[1] = input.scale[2] = 0.001;
        input.count = scene.count;
        input.xyz = scene.xyz.data();
        input.intensity = scene.intensity.data();
        input.classification = scene.classification.data();
        input.rgb = scene.rgb.data();
        input.returnNumber = scene.returnNumber.data();
        wchar_t error[256] = {};
        start = Seconds();
        ResidentOctree* tree = ResidentOctreeBuild(input, OctreeOptions{}, error, 256);
        double built = Seconds() - start;
        if (!tree) {
            std::printf("the octree of %llu million points could not be built: %ls\n", millions, error);
            return 1;
        }
        scene = Scene();
        ResidentCloud cloud;
        ResidentCloudInit(&cloud, &tree, 1);
        std::printf("Cloud of %llu million points (generated in %.1f s, octree of %u nodes built in %.1f s), "
                    "working set %.0f MB\n",
                    millions, generated, tree->block.nodeCount, built, WorkingSetMegabytes());
        for (uint32_t budget : budgets) {
            std::printf(" budget %u per eye:\n", budget);
            const uint32_t shaded = PcvRenderPoints | PcvRenderShading | PcvRenderChannel;
            FrameResult stereoShaded = MeasureFrames(renderer, cloud.source, kStereoWidth, kStereoHeight,
                                                     true, shaded, PcvChannelClassification, budget);
            PrintFrame("stereo 3960x2160 shaded (mode 7)", stereoShaded, floorMs);
            if (budget == budgets[0]) {
                shadedAtDefault.push_back(stereoShaded.frameMs);
                shadedProcessorAtDefault.push_back(stereoShaded.frameMs * stereoShaded.processorShare);
            }
            FrameResult stereoPlain =
                MeasureFrames(renderer, cloud.source, kStereoWidth, kStereoHeight, true,
                              PcvRenderPoints | PcvRenderChannel, PcvChannelRgb, budget);
            PrintFrame("stereo 3960x2160 unshaded (mode 5)", stereoPlain, floorMs);
            FrameResult mono = MeasureFrames(renderer, cloud.source, kMonoWidth, kMonoHeight, false, shaded,
                                             PcvChannelElevation, budget);
            PrintFrame("mono 1920x1080 shaded (mode 7)", mono, 0.0);
        }
        std::printf(" working set after rendering %.0f MB\n", WorkingSetMegabytes());
        ResidentCloudFree(&cloud);
        ResidentOctreeFree(tree);
    }
    if (shadedAtDefault.size() >= 2) {
        // Also as processor time per frame (frame time times processor share), which others' use of
        // the machine disturbs less.
        std::printf("%llu-million-point shaded stereo frame / %llu-million-point frame (budget %u): %.2f, in "
                    "processor "
                    "time %.2f\n",
                    clouds.back(), clouds.front(), budgets[0],
                    shadedAtDefault.back() / shadedAtDefault.front(),
                    shadedProcessorAtDefault.back() / shadedProcessorAtDefault.front());
    }
    RendererDestroy(renderer);
    return 0;
}
