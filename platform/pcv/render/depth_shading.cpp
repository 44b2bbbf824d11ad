#include "render/depth_shading.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr int kNeighbours = 8;
// Brightness table: entry i is exp(-i / kEntriesPerUnit) in 1/256 steps.
constexpr int kEntriesPerUnit = 32;
constexpr int kEntries = 256;
// Mean slope that, at strength 1, darkens a pixel to exp(-1).
constexpr float kShadingGain = 2.0f;

inline float DepthOf(uint32_t key) {
    float value;
    std::memcpy(&value, &key, sizeof value);
    return value; // the empty key is a NaN, so it never stands in front
}

const std::array<uint16_t, kEntries>& BrightnessTable() {
    static const std::array<uint16_t, kEntries> table = [] {
        std::array<uint16_t, kEntries> t;
        for (int i = 0; i < kEntries; ++i)
            t[i] = static_cast<uint16_t>(
                std::lround(256.0 * std::exp(-static_cast<double>(i) / kEntriesPerUnit)));
        return t;
    }();
    return table;
}

struct Neighbourhood {
    int dx[kNeighbours];
    int dy[kNeighbours];
    ptrdiff_t offset[kNeighbours];
};

Neighbourhood MakeNeighbourhood(int radius, int width) {
    int diagonal = static_cast<int>(std::lround(radius / std::sqrt(2.0)));
    if (diagonal < 1) diagonal = 1;
    Neighbourhood n;
    const int dx[kNeighbours] = {radius, -radius, 0, 0, diagonal, -diagonal, diagonal, -diagonal};
    const int dy[kNeighbours] = {0, 0, radius, -radius, diagonal, diagonal, -diagonal, -diagonal};
    for (int i = 0; i < kNeighbours; ++i) {
        n.dx[i] = dx[i];
        n.dy[i] = dy[i];
        n.offset[i] = static_cast<ptrdiff_t>(dy[i]) * width + dx[i];
    }
    return n;
}

inline uint32_t Darken(uint32_t pixel, uint32_t brightness) {
    uint32_t blue = ((pixel & 0xFF) * brightness) >> 8;
    uint32_t green = (((pixel >> 8) & 0xFF) * brightness) >> 8;
    uint32_t red = (((pixel >> 16) & 0xFF) * brightness) >> 8;
    return (red << 16) | (green << 8) | blue;
}

struct RowShader {
    const uint32_t* depth;
    uint32_t* colour;
    int width;
    int height;
    Neighbourhood neighbourhood;
    bool perspective;
    float slopeFactor; // turns the summed depth steps into the mean slope times strength and gain
    const uint16_t* brightness;

    void Apply(size_t at, float front, float sum) const {
        float t = sum * slopeFactor;
        if (perspective) t /= front;
        float index = t * kEntriesPerUnit;
        int entry = index < kEntries - 1 ? static_cast<int>(index) : kEntries - 1;
        colour[at] = Darken(colour[at], brightness[entry]);
    }

    // Pixels whose neighbours all lie inside the image.
    void Inner(int row, int columnBegin, int columnEnd) const {
        const ptrdiff_t* offset = neighbourhood.offset;
        for (int column = columnBegin; column < columnEnd; ++column) {
            size_t at = static_cast<size_t>(row) * width + column;
            uint32_t key = depth[at];
            if (key == 0xFFFFFFFFu) continue;
            float front = DepthOf(key);
            float sum = 0.0f;
            for (int i = 0; i < kNeighbours; ++i) {
                float step = front - DepthOf(depth[at + offset[i]]);
                sum += step > 0.0f ? step : 0.0f;
            }
            if (sum > 0.0f) Apply(at, front, sum);
        }
    }

    void Border(int row, int columnBegin, int columnEnd) const {
        for (int column = columnBegin; column < columnEnd; ++column) {
            size_t at = static_cast<size_t>(row) * width + column;
            uint32_t key = depth[at];
            if (key == 0xFFFFFFFFu) continue;
            float front = DepthOf(key);
            float sum = 0.0f;
            for (int i = 0; i < kNeighbours; ++i) {
                int x = column + neighbourhood.dx[i], y = row + neighbourhood.dy[i];
                if (x < 0 || x >= width || y < 0 || y >= height) continue;
                float step = front - DepthOf(depth[at + neighbourhood.offset[i]]);
                sum += step > 0.0f ? step : 0.0f;
            }
            if (sum > 0.0f) Apply(at, front, sum);
        }
    }
};

} // namespace

void ShadeRows(const uint32_t* depth, uint32_t* colour, int width, int height, int rowBegin, int rowEnd,
               const ShadingParameters& parameters) {
    if (!(parameters.strength > 0.0f) || width <= 0 || height <= 0) return;
    int radius = parameters.radius < 1 ? 1 : parameters.radius;
    if (radius > kLargestShadingRadius) radius = kLargestShadingRadius;
    float strength = parameters.strength > 4.0f ? 4.0f : parameters.strength;
    RowShader shader;
    shader.depth = depth;
    shader.colour = colour;
    shader.width = width;
    shader.height = height;
    shader.neighbourhood = MakeNeighbourhood(radius, width);
    shader.perspective = parameters.perspective;
    // Mean slope = sum of steps * pixelScale / (radius * neighbours), divided by depth in perspective.
    shader.slopeFactor = strength * kShadingGain * parameters.pixelScale / (radius * kNeighbours);
    shader.brightness = BrightnessTable().data();
    for (int row = rowBegin; row < rowEnd; ++row) {
        if (row < radius || row >= height - radius || width <= 2 * radius) {
            shader.Border(row, 0, width);
            continue;
        }
        shader.Border(row, 0, radius);
        shader.Inner(row, radius, width - radius);
        shader.Border(row, width - radius, width);
    }
}
