// Scaffolding of the renderer's tests: clouds made from arrays (one node, or a small octree built
// here), view records filled from host-like views the way the plug-in fills them, image access and a
// BMP writer for screenshots.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "render/renderer.h"
#include "support/test_environment.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace rendertest {

struct TestPoint {
    double x, y, z;
    uint16_t intensity = 0;
    uint8_t classification = 1;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t returnNumber = 1;
};

// A cloud over arrays of its own. Acquire and release calls are counted.
class TestCloud {
public:
    explicit TestCloud(double originX = 0, double originY = 0, double originZ = 0, double scale = 0.001) {
        block_ = {};
        block_.origin[0] = originX;
        block_.origin[1] = originY;
        block_.origin[2] = originZ;
        block_.scale[0] = block_.scale[1] = block_.scale[2] = scale;
        block_.channelMask = (1ull << PcvChannelElevation) | (1ull << PcvChannelIntensity) |
                             (1ull << PcvChannelClassification) | (1ull << PcvChannelRgb) |
                             (1ull << PcvChannelReturnNumber);
        block_.intensityLow = 0;
        block_.intensityHigh = 65535;
    }

    void Add(const TestPoint& point) { points_.push_back(point); }
    size_t Size() const { return points_.size(); }
    CloudBlock& Block() { return block_; }
    void WithoutChannel(uint32_t channel) { block_.channelMask &= ~(1ull << channel); }

    // Every point in the root.
    void BuildSingleNode() { Build(points_.size() + 1, 0); }

    // Nodes keep an even sample of at most perNode points of their cube; the rest go to the children.
    void Build(size_t perNode, int deepestLevel) {
        nodes_.clear();
        data_.clear();
        std::vector<uint32_t> order(points_.size());
        for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::mt19937 random(12345);
        std::shuffle(order.begin(), order.end(), random);
        double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const TestPoint& p : points_) {
            const double c[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], c[a]);
                high[a] = std::max(high[a], c[a]);
            }
        }
        if (points_.empty()) low[0] = low[1] = low[2] = high[0] = high[1] = high[2] = 0.0;
        double side = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2], 1e-3});
        double cubeLow[3] = {low[0], low[1], low[2]};
        for (int a = 0; a < 3; ++a) {
            block_.minimum[a] = low[a];
            block_.maximum[a] = high[a];
        }
        block_.pointCount = points_.size();
        BuildNode(order, cubeLow, side, kNoNode, 0, perNode, deepestLevel);
        FinishArrays();
    }

    CloudSource Source() {
        CloudSource source;
        source.blocks = &block_;
        source.blockCount = 1;
        source.context = this;
        source.acquire = &TestCloud::Acquire;
        source.release = &TestCloud::Release;
        return source;
    }

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    const CloudNode& Node(int i) const { return nodes_[i]; }
    const TestPoint& Point(size_t i) const { return points_[i]; }
    // The test point a node's i-th point came from.
    uint32_t SourceIndex(int node, uint32_t i) const { return data_[node].source[i]; }
    // The test point of a point number: nodes in order, each node's points in order. -1 for none.
    int SourceOfOrdinal(int64_t ordinal) const {
        for (size_t n = 0; n < data_.size(); ++n) {
            if (ordinal < static_cast<int64_t>(data_[n].source.size()))
                return static_cast<int>(data_[n].source[ordinal]);
            ordinal -= data_[n].source.size();
        }
        return -1;
    }
    // A point's position as the cloud holds it: origin + integer offset * scale.
    void StoredPosition(size_t i, double position[3]) const {
        const double c[3] = {points_[i].x, points_[i].y, points_[i].z};
        for (int a = 0; a < 3; ++a)
            position[a] = block_.origin[a] +
                          static_cast<double>(std::llround((c[a] - block_.origin[a]) / block_.scale[a])) *
                              block_.scale[a];
    }
    std::vector<int> acquiredNodes; // in the order of the calls

    int acquireCalls = 0;
    int releaseCalls = 0;
    int lastAcquirePriority = -12345;
    int lastReleasePriority = -12345;
    bool refuseAcquire = false;

private:
    struct NodeData {
        std::vector<uint32_t> source;
        std::vector<int32_t> offsets;
        std::vector<uint16_t> intensity;
        std::vector<uint8_t> classification, rgb, returnNumber;
        NodePoints points;
    };

    static const NodePoints* Acquire(void* context, int block, int node, int priority) {
        TestCloud* cloud = static_cast<TestCloud*>(context);
        ++cloud->acquireCalls;
        cloud->lastAcquirePriority = priority;
        cloud->acquiredNodes.push_back(node);
        if (cloud->refuseAcquire || block != 0 || node < 0 || node >= cloud->NodeCount()) return nullptr;
        return &cloud->data_[node].points;
    }

    static void Release(void* context, int priority) {
        TestCloud* cloud = static_cast<TestCloud*>(context);
        ++cloud->releaseCalls;
        cloud->lastReleasePriority = priority;
    }

    int BuildNode(const std::vector<uint32_t>& members, const double cubeLow[3], double side, int parent,
                  int level, size_t perNode, int deepestLevel) {
        int index = static_cast<int>(nodes_.size());
        nodes_.push_back({});
        data_.push_back({});
        CloudNode node = {};
        for (int a = 0; a < 3; ++a) {
            node.minimum[a] = cubeLow[a];
            node.maximum[a] = cubeLow[a] + side;
        }
        node.parent = parent;
        node.level = static_cast<uint8_t>(level);
        for (int32_t& child : node.children) child = kNoNode;
        std::vector<uint32_t> kept, rest;
        if (members.size() <= perNode || level >= deepestLevel) {
            kept = members;
        } else {
            // Every k-th of the shuffled members: an even thinning of the cube.
            double stride = static_cast<double>(members.size()) / perNode;
            size_t next = 0;
            for (size_t i = 0; i < members.size(); ++i) {
                if (next < perNode && i == static_cast<size_t>(next * stride)) {
                    kept.push_back(members[i]);
                    ++next;
                } else {
                    rest.push_back(members[i]);
                }
            }
        }
        node.pointCount = static_cast<uint32_t>(kept.size());
        // As octree builders do: the spacing halves from level to level.
        node.spacing = side / std::sqrt(static_cast<double>(perNode));
        data_[index].source = kept;
        if (!rest.empty()) {
            std::vector<uint32_t> octants[8];
            double half = side / 2;
            for (uint32_t m : rest) {
                const TestPoint& p = points_[m];
                int o = (p.x >= cubeLow[0] + half ? 1 : 0) | (p.y >= cubeLow[1] + half ? 2 : 0) |
                        (p.z >= cubeLow[2] + half ? 4 : 0);
                octants[o].push_back(m);
            }
            for (int o = 0; o < 8; ++o) {
                if (octants[o].empty()) continue;
                double childLow[3] = {cubeLow[0] + (o & 1 ? half : 0), cubeLow[1] + (o & 2 ? half : 0),
                                      cubeLow[2] + (o & 4 ? half : 0)};
                node.children[o] =
                    BuildNode(octants[o], childLow, half, index, level + 1, perNode, deepestLevel);
            }
        }
        nodes_[index] = node;
        return index;
    }

    void FinishArrays() {
        for (size_t n = 0; n < data_.size(); ++n) {
            NodeData& d = data_[n];
            for (uint32_t s : d.source) {
                const TestPoint& p = points_[s];
                const double c[3] = {p.x, p.y, p.z};
                for (int a = 0; a < 3; ++a)
                    d.offsets.push_back(
                        static_cast<int32_t>(std::llround((c[a] - block_.origin[a]) / block_.scale[a])));
                d.intensity.push_back(p.intensity);
                d.classification.push_back(p.classification);
                d.rgb.insert(d.rgb.end(), {p.red, p.green, p.blue});
                d.returnNumber.push_back(p.returnNumber);
            }
            d.points = {};
            d.points.count = static_cast<uint32_t>(d.source.size());
            d.points.offsets = d.offsets.data();
            auto carries = [this](uint32_t channel) { return (block_.channelMask >> channel) & 1; };
            d.points.intensity = carries(PcvChannelIntensity) ? d.intensity.data() : nullptr;
            d.points.classification = carries(PcvChannelClassification) ? d.classification.data() : nullptr;
            d.points.rgb = carries(PcvChannelRgb) ? d.rgb.data() : nullptr;
            d.points.returnNumber = carries(PcvChannelReturnNumber) ? d.returnNumber.data() : nullptr;
        }
        block_.nodes = nodes_.data();
        block_.nodeCount = static_cast<uint32_t>(nodes_.size());
    }

    CloudBlock block_;
    std::vector<TestPoint> points_;
    std::vector<CloudNode> nodes_;
    std::vector<NodeData> data_;
};

// A host view as the host describes it: rotation rows are the view's x (right), y (up) and z
// (towards the viewer) in world coordinates; origin and delta give the view box in view axes.
struct HostView {
    double rotation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double origin[3] = {0, 0, 0};
    double delta[3] = {100, 100, 100};
    bool perspective = false;
    double eye[3] = {0, 0, 0}; // perspective only
    double target[3] = {0, 0, 0};
    int width = 200;
    int height = 100;
    bool stereo = false;
};

inline double Dot3(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// A rotation that tilts a top view by angle degrees about the view's x axis (0: looking straight down).
inline void TiltedRotation(double degrees, double rotation[3][3]) {
    double a = degrees * 3.14159265358979323846 / 180.0;
    const double r[3][3] = {{1, 0, 0}, {0, std::cos(a), std::sin(a)}, {0, -std::sin(a), std::cos(a)}};
    std::memcpy(rotation, r, sizeof r);
}

// A parallel view whose box spans [x0, x0 + dx] x [y0, y0 + dy] x [z0, z0 + dz] in view axes of the
// given rotation, with dx / dy = width / height.
inline HostView ParallelHostView(const double rotation[3][3], double x0, double y0, double z0, double dy,
                                 double dz, int width, int height) {
    HostView view;
    std::memcpy(view.rotation, rotation, sizeof view.rotation);
    const double inView[3] = {x0, y0, z0};
    for (int a = 0; a < 3; ++a)
        view.origin[a] = rotation[0][a] * inView[0] + rotation[1][a] * inView[1] + rotation[2][a] * inView[2];
    view.delta[0] = dy * width / height;
    view.delta[1] = dy;
    view.delta[2] = dz;
    view.width = width;
    view.height = height;
    return view;
}

// A camera view from eye towards target (the host's z axis points from the target to the eye); the
// view box of depth dz is centred on the target, dy high at the target.
inline HostView PerspectiveHostView(const double eye[3], const double target[3], double upHint[3], double dy,
                                    double dz, int width, int height) {
    HostView view;
    view.perspective = true;
    double z[3] = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    double length = std::sqrt(Dot3(z, z));
    for (double& c : z) c /= length;
    double x[3] = {upHint[1] * z[2] - upHint[2] * z[1], upHint[2] * z[0] - upHint[0] * z[2],
                   upHint[0] * z[1] - upHint[1] * z[0]};
    double xl = std::sqrt(Dot3(x, x));
    for (double& c : x) c /= xl;
    double y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
    for (int a = 0; a < 3; ++a) {
        view.rotation[0][a] = x[a];
        view.rotation[1][a] = y[a];
        view.rotation[2][a] = z[a];
        view.eye[a] = eye[a];
        view.target[a] = target[a];
    }
    view.delta[0] = dy * width / height;
    view.delta[1] = dy;
    view.delta[2] = dz;
    for (int a = 0; a < 3; ++a)
        view.origin[a] =
            target[a] - 0.5 * (view.delta[0] * x[a] + view.delta[1] * y[a] + view.delta[2] * z[a]);
    view.width = width;
    view.height = height;
    return view;
}

// The view record as the plug-in fills it from a host view.
inline ProjectionImageData RecordOf(const HostView& host, float pointSize, uint32_t renderingMode,
                                    uint32_t channel = PcvChannelElevation) {
    ProjectionImageData view = {};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            view.rotation[r][c] = static_cast<float>(r == 1 ? -host.rotation[r][c] : host.rotation[r][c]);
    view.imageWidth = host.width;
    view.imageHeight = host.height;
    view.heightToWidth = static_cast<float>(host.height) / host.width;
    double d[3];
    for (int a = 0; a < 3; ++a)
        d[a] = host.rotation[0][a] * host.delta[0] + host.rotation[1][a] * host.delta[1] +
               host.rotation[2][a] * host.delta[2];
    double camera[3];
    if (host.perspective) {
        double et[3] = {host.eye[0] - host.target[0], host.eye[1] - host.target[1],
                        host.eye[2] - host.target[2]};
        view.projectionScale1 = static_cast<float>(2.0 * std::sqrt(Dot3(et, et)) / host.delta[1]);
        view.projectionScale2 = 1.0f;
        view.flags = host.stereo ? PcvViewStereo : 0;
        std::memcpy(camera, host.eye, sizeof camera);
    } else {
        view.projectionScale1 = 1.0f;
        view.projectionScale2 = static_cast<float>(2.0 / host.delta[1]);
        view.flags = PcvViewParallel | (host.stereo ? PcvViewStereo : 0);
        double length = std::sqrt(Dot3(d, d));
        for (int a = 0; a < 3; ++a) camera[a] = host.origin[a] + d[a] / 2 + length * view.rotation[2][a];
    }
    std::memcpy(view.cameraPosition, camera, sizeof camera);
    double zRow[3] = {host.rotation[2][0], host.rotation[2][1], host.rotation[2][2]};
    double fromOrigin[3] = {camera[0] - host.origin[0], camera[1] - host.origin[1],
                            camera[2] - host.origin[2]};
    double depth = Dot3(zRow, fromOrigin);
    view.viewBoxFar = static_cast<float>(depth);
    view.viewBoxNear = static_cast<float>(depth - host.delta[2]);
    view.nearDistance = view.viewBoxNear;
    view.farDistance = view.viewBoxFar;
    view.pointSize = pointSize;
    view.renderingMode = renderingMode | PcvRenderCpu;
    view.channel = channel;
    view.shadingStrength = 0.25f;
    view.shadingRadius = 5;
    view.highlightColor = 0xFFFF00;
    return view;
}

// Where the host view shows a world point, worked out from the host's own description: in a parallel
// view the box's x and y span the image; in a perspective view the target plane shows dy over the
// image height, nearer and farther planes scaled by distance. Continuous column and row from the top.
inline void HostImagePosition(const HostView& host, const double point[3], double* column, double* row) {
    double pixelsPerUnit = host.height / host.delta[1];
    if (!host.perspective) {
        double q[3] = {point[0] - host.origin[0], point[1] - host.origin[1], point[2] - host.origin[2]};
        *column = Dot3(host.rotation[0], q) * pixelsPerUnit;
        *row = (host.delta[1] - Dot3(host.rotation[1], q)) * pixelsPerUnit;
        return;
    }
    double q[3] = {point[0] - host.eye[0], point[1] - host.eye[1], point[2] - host.eye[2]};
    double et[3] = {host.eye[0] - host.target[0], host.eye[1] - host.target[1], host.eye[2] - host.target[2]};
    double distance = std::sqrt(Dot3(et, et));
    double depth = -Dot3(host.rotation[2], q);
    double x = Dot3(host.rotation[0], q) * distance / depth;
    double y = Dot3(host.rotation[1], q) * distance / depth;
    *column = host.width / 2.0 + x * pixelsPerUnit;
    *row = host.height / 2.0 - y * pixelsPerUnit;
}

// A world point that the host view shows at the centre of pixel (column, row), at depth below the
// eye (perspective) or at view-box height h above the box's back (parallel).
inline void PointAtPixel(const HostView& host, int column, int row, double depthOrHeight, double point[3]) {
    double unitsPerPixel = host.delta[1] / host.height;
    if (!host.perspective) {
        double inView[3] = {(column + 0.5) * unitsPerPixel, host.delta[1] - (row + 0.5) * unitsPerPixel,
                            depthOrHeight};
        for (int a = 0; a < 3; ++a)
            point[a] = host.origin[a] + host.rotation[0][a] * inView[0] + host.rotation[1][a] * inView[1] +
                       host.rotation[2][a] * inView[2];
        return;
    }
    double et[3] = {host.eye[0] - host.target[0], host.eye[1] - host.target[1], host.eye[2] - host.target[2]};
    double distance = std::sqrt(Dot3(et, et));
    double x = (column + 0.5 - host.width / 2.0) * unitsPerPixel * depthOrHeight / distance;
    double y = (host.height / 2.0 - (row + 0.5)) * unitsPerPixel * depthOrHeight / distance;
    for (int a = 0; a < 3; ++a)
        point[a] = host.eye[a] + host.rotation[0][a] * x + host.rotation[1][a] * y -
                   host.rotation[2][a] * depthOrHeight;
}

// A renderer with two workers for a view, destroyed with the fixture.
struct RendererDeleter {
    void operator()(Renderer* r) const { RendererDestroy(r); }
};
using RendererPtr = std::unique_ptr<Renderer, RendererDeleter>;

inline RendererPtr MakeRenderer(int height, int width) {
    return RendererPtr(RendererCreate(height, 2 * width, 2));
}

inline RenderSettings DefaultSettings(const ClassificationMask256* mask = nullptr,
                                      uint32_t budget = 1000000) {
    RenderSettings settings = {};
    settings.visibleClasses = mask;
    settings.pointBudget = budget;
    settings.maxChannelWidth = 4;
    return settings;
}

inline uint32_t PixelAt(const ProjectionImageData& view, int eye, int column, int row) {
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(view.imageBuffer);
    return pixels[static_cast<size_t>(eye) * view.imageWidth * view.imageHeight +
                  static_cast<size_t>(row) * view.imageWidth + column];
}

struct Pixel {
    int column, row;
    uint32_t colour;
};

// Every pixel of an eye that is not background.
inline std::vector<Pixel> LitPixels(const ProjectionImageData& view, int eye) {
    std::vector<Pixel> lit;
    for (int row = 0; row < view.imageHeight; ++row)
        for (int column = 0; column < view.imageWidth; ++column) {
            uint32_t colour = PixelAt(view, eye, column, row);
            if (colour & 0xFFFFFF) lit.push_back({column, row, colour});
        }
    return lit;
}

constexpr uint32_t Bgr(uint32_t red, uint32_t green, uint32_t blue) {
    return (red << 16) | (green << 8) | blue;
}

// Writes the image (both eyes side by side for a stereo record) as a 32-bit top-down BMP into
// build/screenshots/platform/<name>.bmp.
inline bool SaveBmp(const std::string& name, const ProjectionImageData& view) {
    int eyes = (view.flags & PcvViewStereo) ? 2 : 1;
    int width = view.imageWidth * eyes, height = view.imageHeight;
    std::string bytes(54, '\0');
    auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    uint32_t imageBytes = static_cast<uint32_t>(width) * height * 4;
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(-height)); // negative: the top row comes first
    bytes[26] = 1;
    bytes[28] = 32;
    put32(34, imageBytes);
    bytes.reserve(54 + imageBytes);
    for (int row = 0; row < height; ++row)
        for (int eye = 0; eye < eyes; ++eye)
            for (int column = 0; column < view.imageWidth; ++column) {
                uint32_t pixel = PixelAt(view, eye, column, row);
                bytes.push_back(static_cast<char>(pixel & 0xFF));
                bytes.push_back(static_cast<char>((pixel >> 8) & 0xFF));
                bytes.push_back(static_cast<char>((pixel >> 16) & 0xFF));
                bytes.push_back(static_cast<char>(0xFF));
            }
    std::wstring folder = testenv::BuildFolder() + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\platform";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring file = folder + L"\\" + std::wstring(name.begin(), name.end()) + L".bmp";
    return testenv::WriteFileBytes(file, bytes);
}

} // namespace rendertest
