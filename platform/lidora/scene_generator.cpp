#include "scene_generator.h"

#include <math.h>

namespace {

constexpr double kPi = 3.14159265358979323846;

// SplitMix64: a fast generator whose every output depends only on its seed.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); } // [0, 1)
    double Between(double low, double high) { return low + (high - low) * Uniform(); }
    // Roughly normal, from the sum of four uniforms.
    double Noise(double sigma) {
        return (Uniform() + Uniform() + Uniform() + Uniform() - 2.0) * sigma * 1.7320508;
    }
};

struct Building {
    double centre[2]; // metres from the origin
    double half[2];   // half the footprint along x and y
    double eaves;     // wall height above the ground
    double ridge;     // extra height of the ridge; 0 for a flat roof
    bool ridgeAlongX;
    double base; // the highest ground under the footprint, absolute: the roof clears all of it
};

struct Tree {
    double centre[2];
    double crownRadius;
    double crownHeight; // vertical half-axis of the crown
    double trunkHeight; // from the ground to the bottom of the crown
    double base;
    uint8_t green; // each tree its own shade
};

constexpr int kMaxBuildings = 16;
constexpr int kMaxTrees = 90;

struct Layout {
    Building buildings[kMaxBuildings];
    int buildingCount;
    Tree trees[kMaxTrees];
    int treeCount;
    double roofWeight[kMaxBuildings]; // cumulative share of building points
};

bool NearRoad(double x, double y, double margin) {
    return fabs(y - 20.0) < 6.0 + margin || fabs(x + 35.0) < 6.0 + margin;
}

bool InsideBuilding(const Building& b, double x, double y, double margin) {
    return fabs(x - b.centre[0]) < b.half[0] + margin && fabs(y - b.centre[1]) < b.half[1] + margin;
}

bool Overlaps(const Layout& layout, double x, double y, double radius) {
    for (int i = 0; i < layout.buildingCount; ++i)
        if (InsideBuilding(layout.buildings[i], x, y, radius)) return true;
    return false;
}

double HighestGround(const Building& b) {
    double highest = -1e300;
    for (int i = 0; i <= 4; ++i)
        for (int j = 0; j <= 4; ++j) {
            double x = kSceneOrigin[0] + b.centre[0] + b.half[0] * (i / 2.0 - 1);
            double y = kSceneOrigin[1] + b.centre[1] + b.half[1] * (j / 2.0 - 1);
            double z = SceneGroundHeight(x, y);
            if (z > highest) highest = z;
        }
    return highest;
}

void PlaceBuildings(Layout* layout, Random* random) {
    for (int attempt = 0; attempt < 400 && layout->buildingCount < kMaxBuildings; ++attempt) {
        Building b{};
        b.half[0] = random->Between(6, 17);
        b.half[1] = random->Between(6, 14);
        b.centre[0] = random->Between(-kSceneHalfSize + 25, kSceneHalfSize - 25);
        b.centre[1] = random->Between(-kSceneHalfSize + 25, kSceneHalfSize - 25);
        double reach = b.half[0] > b.half[1] ? b.half[0] : b.half[1];
        if (NearRoad(b.centre[0], b.centre[1], reach + 4)) continue;
        bool clear = true;
        for (int i = 0; i < layout->buildingCount && clear; ++i) {
            const Building& o = layout->buildings[i];
            clear = fabs(o.centre[0] - b.centre[0]) > o.half[0] + b.half[0] + 8 ||
                    fabs(o.centre[1] - b.centre[1]) > o.half[1] + b.half[1] + 8;
        }
        if (!clear) continue;
        b.eaves = random->Between(5, 20);
        b.ridge = random->Uniform() < 0.6 ? random->Between(2.5, 6) : 0;
        b.ridgeAlongX = b.half[0] >= b.half[1];
        b.base = HighestGround(b);
        layout->buildings[layout->buildingCount++] = b;
    }
    double total = 0;
    for (int i = 0; i < layout->buildingCount; ++i) {
        const Building& b = layout->buildings[i];
        total += 4 * b.half[0] * b.half[1] + 2 * (b.half[0] + b.half[1]) * b.eaves * 0.5;
        layout->roofWeight[i] = total;
    }
    for (int i = 0; i < layout->buildingCount; ++i) layout->roofWeight[i] /= total;
}

void PlaceTrees(Layout* layout, Random* random) {
    for (int attempt = 0; attempt < 2000 && layout->treeCount < kMaxTrees; ++attempt) {
        Tree t{};
        t.crownRadius = random->Between(2, 5.5);
        t.centre[0] = random->Between(-kSceneHalfSize + 8, kSceneHalfSize - 8);
        t.centre[1] = random->Between(-kSceneHalfSize + 8, kSceneHalfSize - 8);
        if (NearRoad(t.centre[0], t.centre[1], t.crownRadius) ||
            Overlaps(*layout, t.centre[0], t.centre[1], t.crownRadius + 2))
            continue;
        t.crownHeight = random->Between(2.5, 5);
        t.trunkHeight = random->Between(2.5, 6);
        t.base = SceneGroundHeight(kSceneOrigin[0] + t.centre[0], kSceneOrigin[1] + t.centre[1]);
        t.green = static_cast<uint8_t>(random->Between(95, 150));
        layout->trees[layout->treeCount++] = t;
    }
}

Layout MakeLayout() {
    Layout layout{};
    Random random{20240611};
    PlaceBuildings(&layout, &random);
    PlaceTrees(&layout, &random);
    return layout;
}

// Made once, on first use, also when several threads generate points at the same time.
const Layout& SceneLayout() {
    static const Layout layout = MakeLayout();
    return layout;
}

uint16_t Wide(double byte) {
    if (byte < 0) byte = 0;
    if (byte > 255) byte = 255;
    return static_cast<uint16_t>(lround(byte) * 257);
}

uint16_t Intensity(double value) {
    if (value < 0) value = 0;
    if (value > 65535) value = 65535;
    return static_cast<uint16_t>(lround(value));
}

void SetColour(ScenePoint* point, double r, double g, double b) {
    point->rgb[0] = Wide(r);
    point->rgb[1] = Wide(g);
    point->rgb[2] = Wide(b);
}

void MakeGround(const Layout& layout, Random* random, ScenePoint* point) {
    double x = 0, y = 0;
    // Scanners see no ground under roofs: positions there are drawn again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        x = random->Between(-kSceneHalfSize, kSceneHalfSize);
        y = random->Between(-kSceneHalfSize, kSceneHalfSize);
        if (!Overlaps(layout, x, y, 0)) break;
    }
    point->position[0] = kSceneOrigin[0] + x;
    point->position[1] = kSceneOrigin[1] + y;
    point->position[2] = SceneGroundHeight(point->position[0], point->position[1]) + random->Noise(0.02);
    point->classification = SceneGround;
    if (NearRoad(x, y, 0)) {
        double shade = 85 + random->Noise(6);
        SetColour(point, shade, shade, shade + 4);
        point->intensity = Intensity(9000 + random->Noise(900));
    } else {
        double dry = 0.5 + 0.5 * sin(x / 37.0) * cos(y / 29.0);
        SetColour(point, 70 + 60 * dry + random->Noise(8), 120 + 25 * dry + random->Noise(8),
                  45 + random->Noise(6));
        point->intensity = Intensity(17000 + 5000 * dry + random->Noise(1500));
    }
}

void MakeRoof(const Building& b, Random* random, ScenePoint* point) {
    double u = random->Between(-1, 1), v = random->Between(-1, 1);
    double x = b.centre[0] + u * b.half[0], y = b.centre[1] + v * b.half[1];
    double across = b.ridgeAlongX ? fabs(v) : fabs(u); // 0 on the ridge, 1 at the eaves
    double z = b.base + b.eaves + b.ridge * (1 - across) + random->Noise(0.015);
    point->position[0] = kSceneOrigin[0] + x;
    point->position[1] = kSceneOrigin[1] + y;
    point->position[2] = z;
    if (b.ridge > 0) {
        SetColour(point, 165 + random->Noise(10), 62 + random->Noise(6), 45 + random->Noise(5));
        point->intensity = Intensity(26000 + random->Noise(2000));
    } else {
        double shade = 150 + random->Noise(8);
        SetColour(point, shade, shade, shade);
        point->intensity = Intensity(31000 + random->Noise(2000));
    }
}

void MakeWall(const Building& b, Random* random, ScenePoint* point) {
    double along = random->Between(-1, 1);
    bool xWall = random->Uniform() < b.half[0] / (b.half[0] + b.half[1]);
    double side = random->Uniform() < 0.5 ? -1 : 1;
    double x = xWall ? b.centre[0] + along * b.half[0] : b.centre[0] + side * b.half[0];
    double y = xWall ? b.centre[1] + side * b.half[1] : b.centre[1] + along * b.half[1];
    point->position[0] = kSceneOrigin[0] + x + random->Noise(0.01);
    point->position[1] = kSceneOrigin[1] + y + random->Noise(0.01);
    // From the ground where the wall stands up to the eaves.
    double ground = SceneGroundHeight(point->position[0], point->position[1]);
    point->position[2] = ground + random->Uniform() * (b.base + b.eaves - ground);
    SetColour(point, 210 + random->Noise(6), 195 + random->Noise(6), 170 + random->Noise(6));
    point->intensity = Intensity(22000 + random->Noise(1500));
}

void MakeBuilding(const Layout& layout, Random* random, ScenePoint* point) {
    double pick = random->Uniform();
    int i = 0;
    while (i < layout.buildingCount - 1 && pick > layout.roofWeight[i]) ++i;
    const Building& b = layout.buildings[i];
    point->classification = SceneBuilding;
    if (random->Uniform() < 0.75)
        MakeRoof(b, random, point);
    else
        MakeWall(b, random, point);
}

void MakeTree(const Layout& layout, Random* random, ScenePoint* point) {
    const Tree& t = layout.trees[random->Next() % static_cast<uint64_t>(layout.treeCount)];
    point->classification = SceneTree;
    if (random->Uniform() < 0.06) { // the trunk
        double angle = random->Between(0, 2 * kPi);
        point->position[0] = kSceneOrigin[0] + t.centre[0] + 0.25 * cos(angle);
        point->position[1] = kSceneOrigin[1] + t.centre[1] + 0.25 * sin(angle);
        point->position[2] = t.base + random->Uniform() * t.trunkHeight;
        SetColour(point, 95 + random->Noise(6), 65 + random->Noise(5), 40 + random->Noise(4));
        point->intensity = Intensity(15000 + random->Noise(1200));
        return;
    }
    // The crown: an ellipsoid whose points crowd towards its surface, as leaves do.
    double z = random->Between(-1, 1), angle = random->Between(0, 2 * kPi);
    double ring = sqrt(1 - z * z), depth = pow(random->Uniform(), 0.25);
    point->position[0] = kSceneOrigin[0] + t.centre[0] + t.crownRadius * depth * ring * cos(angle);
    point->position[1] = kSceneOrigin[1] + t.centre[1] + t.crownRadius * depth * ring * sin(angle);
    point->position[2] = t.base + t.trunkHeight + t.crownHeight * (1 + depth * z);
    double light = 0.75 + 0.25 * z;
    SetColour(point, (35 + random->Noise(8)) * light, (t.green + random->Noise(12)) * light,
              (30 + random->Noise(6)) * light);
    point->intensity = Intensity(12000 + 3000 * z + random->Noise(1500));
}

int32_t Millimetres(double coordinate, double origin) {
    return static_cast<int32_t>(llround((coordinate - origin) * kSceneDivisor));
}

} // namespace

double SceneGroundHeight(double x, double y) {
    double u = x - kSceneOrigin[0], v = y - kSceneOrigin[1];
    return kSceneOrigin[2] + 3.0 * sin(u / 61.0) * cos(v / 47.0) + 1.2 * sin((u + v) / 23.0) + 0.004 * u;
}

void SceneMakePoint(uint64_t index, ScenePoint* point) {
    const Layout& layout = SceneLayout();
    Random random{index * 0x2545F4914F6CDD1Dull ^ 0x6A09E667F3BCC909ull};
    double kind = random.Uniform();
    if (kind < 0.55)
        MakeGround(layout, &random, point);
    else if (kind < 0.80)
        MakeBuilding(layout, &random, point);
    else
        MakeTree(layout, &random, point);
}

int SceneGenerate(int64_t count, LidoraCloud* cloud, wchar_t* error) {
    if (!CloudAllocate(cloud, count, error)) return 0;
    cloud->divisor = kSceneDivisor;
    for (int axis = 0; axis < 3; ++axis) cloud->offset[axis] = kSceneOrigin[axis];
    for (int64_t i = 0; i < count; ++i) {
        ScenePoint point;
        SceneMakePoint(static_cast<uint64_t>(i), &point);
        cloud->points[i] = {Millimetres(point.position[0], kSceneOrigin[0]),
                            Millimetres(point.position[1], kSceneOrigin[1]),
                            Millimetres(point.position[2], kSceneOrigin[2])};
        cloud->classes[i] = point.classification;
        cloud->intensities[i] = point.intensity;
        for (int c = 0; c < 3; ++c) cloud->colours[3 * i + c] = point.rgb[c];
    }
    return 1;
}
