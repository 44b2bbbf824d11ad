// How points look: the channel colours, grey by intensity, hidden classes and the depth-edge shading,
// with screenshots of a generated scene in the usual modes.
#include "render_test_support.h"

using namespace rendertest;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;

// A top view of the box [0, 200] x [0, 100] x [-10, 110]: one unit per pixel.
HostView TopView() {
    double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    return ParallelHostView(identity, 0.0, 0.0, -10.0, 100.0, 120.0, kWidth, kHeight);
}

TestPoint At(int column, int row, double z) {
    TestPoint p{column + 0.5, kHeight - (row + 0.5), z};
    return p;
}

struct ColourCase {
    const char* name;
    uint32_t mode;
    uint32_t channel;
    TestPoint point;   // drawn at pixel (50, 50)
    uint32_t expected; // 0x00RRGGBB
    uint32_t missingChannel = 99;
    int maxChannelWidth = 4;
};

TestPoint WithAttributes(double z, uint16_t intensity, uint8_t classification, uint8_t r, uint8_t g,
                         uint8_t b, uint8_t returnNumber) {
    TestPoint p = At(50, 50, z);
    p.intensity = intensity;
    p.classification = classification;
    p.red = r;
    p.green = g;
    p.blue = b;
    p.returnNumber = returnNumber;
    return p;
}

TEST(Colours, EachChannelGivesItsColour) {
    // Two anchor points fix the block's height range to [0, 100] and intensities to [1000, 2020].
    const uint32_t plain = PcvRenderPoints, channel = PcvRenderPoints | PcvRenderChannel;
    const ColourCase cases[] = {
        {"GreyByIntensity", plain, PcvChannelRgb, WithAttributes(50, 1512, 2, 1, 2, 3, 1),
         Bgr(128, 128, 128)},
        {"GreyAtOrBelowLowIsBlackButDrawn", plain, 0, WithAttributes(50, 900, 2, 1, 2, 3, 1), 0},
        {"GreyAboveHighIsWhite", plain, 0, WithAttributes(50, 3000, 2, 1, 2, 3, 1), Bgr(255, 255, 255)},
        {"IntensityChannelRoundsToTheNearestGrey", channel, PcvChannelIntensity,
         WithAttributes(50, 1767, 2, 1, 2, 3, 1), Bgr(192, 192, 192)},
        {"Ground", channel, PcvChannelClassification, WithAttributes(50, 0, 2, 1, 2, 3, 1),
         Bgr(170, 120, 60)},
        {"Building", channel, PcvChannelClassification, WithAttributes(50, 0, 6, 1, 2, 3, 1),
         Bgr(220, 60, 50)},
        {"HighVegetation", channel, PcvChannelClassification, WithAttributes(50, 0, 5, 1, 2, 3, 1),
         Bgr(20, 120, 30)},
        {"Water", channel, PcvChannelClassification, WithAttributes(50, 0, 9, 1, 2, 3, 1), Bgr(40, 100, 230)},
        {"Rgb", channel, PcvChannelRgb, WithAttributes(50, 0, 2, 10, 200, 30, 1), Bgr(10, 200, 30)},
        {"FirstReturn", channel, PcvChannelReturnNumber, WithAttributes(50, 0, 2, 1, 2, 3, 1),
         Bgr(255, 230, 0)},
        {"SecondReturn", channel, PcvChannelReturnNumber, WithAttributes(50, 0, 2, 1, 2, 3, 2),
         Bgr(255, 140, 0)},
        {"LowestHeight", channel, PcvChannelElevation, WithAttributes(0, 0, 2, 1, 2, 3, 1), Bgr(30, 60, 200)},
        {"HighestHeight", channel, PcvChannelElevation, WithAttributes(100, 0, 2, 1, 2, 3, 1),
         Bgr(220, 40, 30)},
        {"MissingRgbFallsBackToHeight", channel, PcvChannelRgb, WithAttributes(100, 0, 2, 1, 2, 3, 1),
         Bgr(220, 40, 30), PcvChannelRgb},
        {"UnknownChannelFallsBackToHeight", channel, 3, WithAttributes(0, 0, 2, 1, 2, 3, 1),
         Bgr(30, 60, 200)},
        {"TooWideChannelFallsBackToHeight", channel, PcvChannelRgb, WithAttributes(0, 0, 2, 1, 2, 3, 1),
         Bgr(30, 60, 200), 99, 2},
        {"NoIntensityShowsPlainGrey", plain, 0, WithAttributes(0, 1512, 2, 1, 2, 3, 1), Bgr(192, 192, 192),
         PcvChannelIntensity},
    };
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestCloud cloud;
        cloud.Add(c.point);
        TestPoint low = At(10, 10, 0.0), high = At(20, 10, 100.0);
        low.intensity = 1000;
        high.intensity = 2020;
        cloud.Add(low);
        cloud.Add(high);
        cloud.Block().intensityLow = 1000;
        cloud.Block().intensityHigh = 2020;
        if (c.missingChannel != 99) cloud.WithoutChannel(c.missingChannel);
        cloud.BuildSingleNode();
        ProjectionImageData view = RecordOf(TopView(), 1000.0f, c.mode, c.channel);
        RenderSettings settings = DefaultSettings();
        settings.maxChannelWidth = c.maxChannelWidth;
        ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, settings), 0);
        EXPECT_EQ(PixelAt(view, 0, 50, 50), c.expected);
        EXPECT_EQ(PixelAt(view, 0, 51, 50), 0u);
        EXPECT_EQ(PixelAt(view, 0, 50, 49), 0u);
    }
}

struct MaskCase {
    const char* name;
    bool active;
    uint32_t hidden[3]; // classes cleared from the mask, 255 for none
    bool drawn[4];      // points of classes 2, 5, 6 and 70
};

TEST(Classes, HiddenClassesAreNotDrawn) {
    const MaskCase cases[] = {
        {"Inactive", false, {2, 5, 6}, {true, true, true, true}},
        {"AllVisible", true, {255, 255, 255}, {true, true, true, true}},
        {"NoBuildings", true, {6, 255, 255}, {true, true, false, true}},
        {"GroundOnly", true, {5, 6, 70}, {true, false, false, false}},
    };
    const uint8_t classes[4] = {2, 5, 6, 70};
    TestCloud cloud;
    for (int i = 0; i < 4; ++i) {
        TestPoint p = At(30 + 40 * i, 40, 10.0);
        p.classification = classes[i];
        p.intensity = 65535;
        cloud.Add(p);
    }
    cloud.BuildSingleNode();
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const MaskCase& c : cases)
        for (uint32_t mode : {1u, 1u | PcvRenderChannel | PcvRenderShading}) {
            SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
            ClassificationMask256 mask = {};
            mask.active = c.active ? 1 : 0;
            for (uint32_t& word : mask.classes) word = 0xFFFFFFFFu;
            for (uint32_t hidden : c.hidden)
                if (hidden != 255) mask.classes[hidden / 32] &= ~(1u << (hidden % 32));
            ProjectionImageData view = RecordOf(TopView(), 1000.0f, mode, PcvChannelClassification);
            ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings(&mask)), 0);
            for (int i = 0; i < 4; ++i) EXPECT_EQ(PixelAt(view, 0, 30 + 40 * i, 40) != 0, c.drawn[i]) << i;
        }
}

TEST(Classes, PointsWithoutClassesCountAsClassZero) {
    TestCloud cloud;
    TestPoint p = At(30, 40, 10.0);
    p.intensity = 60000;
    cloud.Add(p);
    cloud.WithoutChannel(PcvChannelClassification);
    cloud.BuildSingleNode();
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (bool hideZero : {false, true}) {
        ClassificationMask256 mask = {};
        mask.active = 1;
        for (uint32_t& word : mask.classes) word = 0xFFFFFFFFu;
        if (hideZero)
            mask.classes[0] &= ~1u;
        else
            mask.classes[0] &= ~4u; // class 2 hidden: no effect
        ProjectionImageData view = RecordOf(TopView(), 1000.0f, PcvRenderPoints);
        ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings(&mask)), 0);
        EXPECT_EQ(LitPixels(view, 0).size(), hideZero ? 0u : 1u);
    }
}

TEST(Modes, WithoutThePointsBitNothingIsDrawnButTheImageIsCleared) {
    TestCloud cloud;
    cloud.Add(At(30, 40, 10.0));
    cloud.BuildSingleNode();
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    ProjectionImageData view = RecordOf(TopView(), 1000.0f, PcvRenderChannel | PcvRenderShading);
    uint32_t* pixels = reinterpret_cast<uint32_t*>(RendererImageBuffer(renderer.get()));
    for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = 0xABCDEF;
    ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
    EXPECT_TRUE(LitPixels(view, 0).empty());
    EXPECT_EQ(cloud.acquireCalls, 0);
}

// A flat ground filling the image, one point per pixel, with a block 20 units high over columns 80
// to 119 and rows 30 to 69.
TestCloud StepScene() {
    TestCloud cloud;
    for (int row = 0; row < kHeight; ++row)
        for (int column = 0; column < kWidth; ++column) {
            bool raised = column >= 80 && column < 120 && row >= 30 && row < 70;
            TestPoint p = At(column, row, raised ? 40.0 : 20.0);
            p.intensity = 50000;
            cloud.Add(p);
        }
    cloud.Block().intensityLow = 0;
    cloud.Block().intensityHigh = 50000;
    cloud.BuildSingleNode();
    return cloud;
}

uint32_t Grey(uint32_t pixel) {
    return pixel & 0xFF;
}

TEST(Shading, DepthEdgesDarkenTheFarSideOfAStepAndNothingElse) {
    TestCloud cloud = StepScene();
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    struct ShadeCase {
        const char* name;
        uint32_t mode;
        float strength;
        bool shaded;
    };
    const ShadeCase cases[] = {
        {"Off", PcvRenderPoints, 0.25f, false},
        {"On", PcvRenderPoints | PcvRenderShading, 0.25f, true},
        {"OnWithoutWeight", PcvRenderPoints | PcvRenderShading, 0.0f, false},
        {"OnWithChannel", PcvRenderPoints | PcvRenderShading | PcvRenderChannel, 0.25f, true},
    };
    for (const ShadeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectionImageData view = RecordOf(TopView(), 1000.0f, c.mode, PcvChannelIntensity);
        view.shadingStrength = c.strength;
        ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
        // Ground just outside the block (within the radius of 5) and far from it; the block's top.
        uint32_t besideBlock = Grey(PixelAt(view, 0, 77, 50));
        uint32_t farGround = Grey(PixelAt(view, 0, 20, 50));
        uint32_t blockTop = Grey(PixelAt(view, 0, 100, 50));
        uint32_t blockEdge = Grey(PixelAt(view, 0, 81, 50));
        EXPECT_EQ(farGround, 255u);
        EXPECT_EQ(blockTop, 255u);
        EXPECT_EQ(blockEdge, 255u); // in front of its neighbours: never darkened
        if (c.shaded) {
            EXPECT_LT(besideBlock, 200u);
            EXPECT_GT(besideBlock, 0u);
        } else {
            EXPECT_EQ(besideBlock, 255u);
        }
        if (c.shaded && c.mode & PcvRenderChannel) SaveBmp("render_shaded_step", view);
    }
}

TEST(Shading, AWiderRadiusReachesFartherAndAStrongerWeightDarkensMore) {
    TestCloud cloud = StepScene();
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    auto groundAt = [&](int column, int radius, float strength) {
        ProjectionImageData view = RecordOf(TopView(), 1000.0f, PcvRenderPoints | PcvRenderShading);
        view.shadingRadius = radius;
        view.shadingStrength = strength;
        EXPECT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
        return Grey(PixelAt(view, 0, column, 50));
    };
    EXPECT_EQ(groundAt(73, 5, 0.25f), 255u);
    EXPECT_LT(groundAt(73, 8, 0.25f), 255u);
    EXPECT_LT(groundAt(77, 5, 1.0f), groundAt(77, 5, 0.25f));
    // Out-of-range values are held to what the shading supports instead of reading outside the image.
    EXPECT_LT(groundAt(77, 1000, 0.25f), 255u);
    EXPECT_LT(groundAt(79, -3, 0.25f), 255u);
}

// A generated scene: ground with a gentle slope, buildings and trees, classes 2, 6 and 5.
TestCloud GeneratedScene() {
    TestCloud cloud(637000.0, 849000.0, 100.0, 0.01);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto add = [&](double x, double y, double z, uint8_t cls, uint8_t r, uint8_t g, uint8_t b) {
        TestPoint p{637000.0 + x, 849000.0 + y, 100.0 + z};
        p.classification = cls;
        p.intensity = static_cast<uint16_t>(20000 + 30000 * unit(random));
        p.red = r;
        p.green = g;
        p.blue = b;
        p.returnNumber = cls == 5 ? static_cast<uint8_t>(1 + static_cast<int>(unit(random) * 3)) : 1;
        cloud.Add(p);
    };
    auto ground = [](double x, double y) { return 0.02 * x + 3.0 * std::sin(y / 25.0); };
    for (int i = 0; i < 120000; ++i) {
        double x = unit(random) * 200.0, y = unit(random) * 200.0;
        add(x, y, ground(x, y), 2, 150, 130, 100);
    }
    const double buildings[][4] = {{40, 40, 30, 12}, {120, 60, 40, 20}, {70, 140, 25, 8}, {150, 150, 30, 15}};
    for (const auto& b : buildings)
        for (int i = 0; i < 12000; ++i) {
            double x = b[0] + unit(random) * b[2], y = b[1] + unit(random) * b[2];
            double base = ground(b[0], b[1]);
            int side = static_cast<int>(unit(random) * 5);
            if (side == 0 || side == 1)
                add(x, y, base + b[3], 6, 200, 80, 70); // roof
            else if (side == 2)
                add(b[0], y, base + unit(random) * b[3], 6, 180, 70, 60);
            else if (side == 3)
                add(x, b[1], base + unit(random) * b[3], 6, 180, 70, 60);
            else
                add(b[0] + b[2], y, base + unit(random) * b[3], 6, 180, 70, 60);
        }
    for (int t = 0; t < 30; ++t) {
        double cx = 10 + unit(random) * 180, cy = 10 + unit(random) * 180;
        bool onBuilding = false;
        for (const auto& b : buildings)
            onBuilding = onBuilding ||
                         (cx > b[0] - 5 && cx < b[0] + b[2] + 5 && cy > b[1] - 5 && cy < b[1] + b[2] + 5);
        if (onBuilding) continue;
        double radius = 3 + unit(random) * 3, height = 8 + unit(random) * 6;
        for (int i = 0; i < 2500; ++i) {
            double a = unit(random) * 6.283, e = unit(random) * 3.1416 - 1.5708;
            add(cx + radius * std::cos(a) * std::cos(e), cy + radius * std::sin(a) * std::cos(e),
                ground(cx, cy) + height + radius * std::sin(e), 5, 60, 140, 50);
        }
    }
    cloud.Block().intensityLow = 15000;
    cloud.Block().intensityHigh = 55000;
    cloud.Build(4000, 8);
    return cloud;
}

TEST(Screenshots, AGeneratedSceneInTheUsualModes) {
    TestCloud cloud = GeneratedScene();
    const int width = 640, height = 400;
    RendererPtr renderer = MakeRenderer(height, width);
    double target[3] = {637100.0, 849100.0, 100.0};
    double eye[3] = {637100.0 - 120.0, 849100.0 - 200.0, 100.0 + 160.0};
    double up[3] = {0, 0, 1};
    HostView perspective = PerspectiveHostView(eye, target, up, 150.0, 500.0, width, height);
    double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    HostView top = ParallelHostView(identity, 637000.0 - 60.0, 849000.0, 50.0, 200.0, 200.0, width, height);
    struct Shot {
        const char* name;
        HostView* host;
        bool stereo;
        uint32_t mode;
        uint32_t channel;
        float pointSize;
    };
    const Shot shots[] = {
        {"render_perspective_classes_shaded", &perspective, false, 7, PcvChannelClassification, 2000.0f},
        {"render_perspective_plain", &perspective, false, 1, 0, 2000.0f},
        {"render_perspective_high_contrast", &perspective, false, 3, 0, 2000.0f},
        {"render_perspective_rgb_stereo", &perspective, true, 5, PcvChannelRgb, 2000.0f},
        {"render_top_elevation_shaded", &top, false, 7, PcvChannelElevation, 2000.0f},
        {"render_top_returns", &top, false, 5, PcvChannelReturnNumber, 1000.0f},
    };
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.name);
        shot.host->stereo = shot.stereo;
        ProjectionImageData view = RecordOf(*shot.host, shot.pointSize, shot.mode, shot.channel);
        ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
        // Most of the image shows the cloud.
        EXPECT_GT(LitPixels(view, 0).size(), static_cast<size_t>(width * height / 4));
        EXPECT_TRUE(SaveBmp(shot.name, view));
    }
}

} // namespace
