// Where points land: parallel and perspective views checked against the host's own description of
// the view, the disparity of the two eyes, clipping, the point size and the projection function.
#include "render_test_support.h"

using namespace rendertest;

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 200;

struct ViewCase {
    const char* name;
    bool perspective;
    double tiltDegrees;
};

const ViewCase kViews[] = {
    {"TopParallel", false, 0.0},
    {"TiltedParallel", false, 35.0},
    {"TopPerspective", true, 0.0},
    {"TiltedPerspective", true, 40.0},
};

// Both kinds of view look at the area around (637000, 849000); the perspective eye stands 300 units
// from a target at height 20.
HostView MakeHostView(const ViewCase& c, bool stereo) {
    double rotation[3][3];
    TiltedRotation(c.tiltDegrees, rotation);
    HostView view;
    if (c.perspective) {
        double target[3] = {637000.0, 849000.0, 20.0};
        double eye[3];
        for (int a = 0; a < 3; ++a) eye[a] = target[a] + 300.0 * rotation[2][a];
        double up[3] = {rotation[1][0], rotation[1][1], rotation[1][2]};
        view = PerspectiveHostView(eye, target, up, 100.0, 400.0, kWidth, kHeight);
    } else {
        // The box's back lies at view z 0 in view axes around the same area.
        double centre[3] = {637000.0, 849000.0, 0.0};
        double x0 = Dot3(rotation[0], centre) - 100.0, y0 = Dot3(rotation[1], centre) - 50.0;
        double z0 = Dot3(rotation[2], centre) - 50.0;
        view = ParallelHostView(rotation, x0, y0, z0, 100.0, 100.0, kWidth, kHeight);
    }
    view.stereo = stereo;
    return view;
}

// Depth (perspective) or height in the box (parallel) of the test points.
// The perspective view box reaches from depth 100 to 500.
double PlaceOf(const ViewCase& c, double share) {
    return c.perspective ? 100.0 + 400.0 * share : 100.0 * share;
}

struct Drawn {
    ProjectionImageData view;
    std::vector<Pixel> lit[2];
};

Drawn DrawPoints(Renderer* renderer, const HostView& host, const std::vector<TestPoint>& points,
                 float pointSize = 1000.0f) {
    TestCloud cloud(637000.0, 849000.0, 0.0);
    for (const TestPoint& p : points) cloud.Add(p);
    cloud.BuildSingleNode();
    Drawn drawn;
    drawn.view = RecordOf(host, pointSize, PcvRenderPoints | PcvRenderChannel, PcvChannelRgb);
    EXPECT_GT(RendererDraw(renderer, cloud.Source(), &drawn.view, DefaultSettings()), 0);
    int eyes = host.stereo ? 2 : 1;
    for (int eye = 0; eye < eyes; ++eye) drawn.lit[eye] = LitPixels(drawn.view, eye);
    return drawn;
}

TestPoint White(const double p[3]) {
    TestPoint point{p[0], p[1], p[2]};
    point.red = point.green = point.blue = 255;
    return point;
}

TEST(Projection, APointLandsOnThePixelTheHostViewShowsItAt) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    ASSERT_TRUE(renderer);
    const int pixels[][2] = {{0, 0}, {kWidth - 1, kHeight - 1}, {200, 100}, {17, 163}, {371, 9}};
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c, false);
        for (const auto& pixel : pixels)
            for (double share : {0.3, 0.5, 0.8}) {
                double point[3];
                PointAtPixel(host, pixel[0], pixel[1], PlaceOf(c, share), point);
                double column, row;
                HostImagePosition(host, point, &column, &row);
                ASSERT_NEAR(column, pixel[0] + 0.5, 1e-6);
                ASSERT_NEAR(row, pixel[1] + 0.5, 1e-6);
                Drawn drawn = DrawPoints(renderer.get(), host, {White(point)});
                ASSERT_EQ(drawn.lit[0].size(), 1u) << pixel[0] << "," << pixel[1] << " at " << share;
                EXPECT_EQ(drawn.lit[0][0].column, pixel[0]);
                EXPECT_EQ(drawn.lit[0][0].row, pixel[1]);
                EXPECT_EQ(drawn.lit[0][0].colour, Bgr(255, 255, 255));
            }
    }
}

TEST(Projection, CalculateProjectionAgreesWithTheDrawingAndCountsRowsFromTheBottom) {
    for (const ViewCase& c : kViews)
        for (bool stereo : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (stereo ? " stereo" : " mono"));
            HostView host = MakeHostView(c, stereo);
            ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
            double point[3];
            PointAtPixel(host, 123, 45, PlaceOf(c, 0.5), point);
            int left = -1, right = -1, rowFromBottom = -1;
            float depth = -1.0f;
            Point3Dd p{point[0], point[1], point[2]};
            ASSERT_EQ(RendererProject(view, p, &left, &right, &rowFromBottom, &depth), 1);
            // The plug-in turns the result into a mouse position: (left + right) / 2, height - row.
            EXPECT_NEAR((left + right) / 2, 123, 1);
            EXPECT_EQ(kHeight - rowFromBottom, 45);
            if (!stereo) {
                EXPECT_EQ(left, right);
            }
            double q[3] = {point[0] - view.cameraPosition[0], point[1] - view.cameraPosition[1],
                           point[2] - view.cameraPosition[2]};
            double expectedDepth = -Dot3(host.rotation[2], q);
            EXPECT_NEAR(depth, expectedDepth, 1e-3 * expectedDepth);
        }
}

TEST(Projection, PointsOutsideTheImageOrBehindTheCameraAreNotProjected) {
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c, false);
        ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
        double outside[3];
        PointAtPixel(host, kWidth + 3, 50, PlaceOf(c, 0.5), outside);
        int a, b, r;
        float d;
        EXPECT_EQ(RendererProject(view, {outside[0], outside[1], outside[2]}, &a, &b, &r, &d), 0);
        PointAtPixel(host, 10, -1, PlaceOf(c, 0.5), outside);
        EXPECT_EQ(RendererProject(view, {outside[0], outside[1], outside[2]}, &a, &b, &r, &d), 0);
        if (c.perspective) {
            double behind[3];
            for (int axis = 0; axis < 3; ++axis)
                behind[axis] = host.eye[axis] + 10.0 * host.rotation[2][axis];
            EXPECT_EQ(RendererProject(view, {behind[0], behind[1], behind[2]}, &a, &b, &r, &d), 0);
        }
    }
}

// Disparity of a stereo record: in perspective P * (Z0 / depth - 1), in parallel P * (Z0 - depth) /
// view height, with P = width / 40 and Z0 the middle of the view box (the target's distance here).
double ExpectedDisparity(const ViewCase& c, const ProjectionImageData& view, double depth) {
    double strength = view.imageWidth / 40.0;
    double zeroParallax = 0.5 * (static_cast<double>(view.viewBoxNear) + view.viewBoxFar);
    if (c.perspective) return strength * (zeroParallax / depth - 1.0);
    return strength * (zeroParallax - depth) * view.projectionScale2 / 2.0;
}

TEST(Stereo, BothEyesDifferByTheDisparityOfTheDepth) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    // Depths (perspective) and heights in the box (parallel) at which neither eye's position falls on a
    // pixel edge; the zero-parallax depth is 300 (perspective) and height 50 (parallel).
    const double depths[] = {125.0, 240.0, 300.0, 400.0, 480.0};
    const double heights[] = {15.0, 43.0, 50.0, 67.0, 95.0};
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c, true);
        for (int i = 0; i < 5; ++i) {
            double place = c.perspective ? depths[i] : heights[i];
            double share = place;
            double point[3];
            PointAtPixel(host, 200, 70, place, point);
            Drawn drawn = DrawPoints(renderer.get(), host, {White(point)});
            ASSERT_EQ(drawn.lit[0].size(), 1u) << share;
            ASSERT_EQ(drawn.lit[1].size(), 1u) << share;
            double depth = c.perspective ? place : drawn.view.viewBoxFar - place;
            double disparity = ExpectedDisparity(c, drawn.view, depth);
            EXPECT_EQ(drawn.lit[0][0].column, static_cast<int>(std::floor(200.5 + disparity / 2))) << share;
            EXPECT_EQ(drawn.lit[1][0].column, static_cast<int>(std::floor(200.5 - disparity / 2))) << share;
            EXPECT_EQ(drawn.lit[0][0].row, 70);
            EXPECT_EQ(drawn.lit[1][0].row, 70);
            // Nearer than the zero-parallax depth: crossed (the left eye sees the point further right).
            if (depth < 0.999 * 0.5 * (drawn.view.viewBoxNear + drawn.view.viewBoxFar)) {
                EXPECT_GT(drawn.lit[0][0].column, drawn.lit[1][0].column);
            }
        }
    }
}

TEST(Stereo, TheStereoShiftMovesTheRightEyeOnly) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = MakeHostView(kViews[2], true);
    double point[3];
    PointAtPixel(host, 100, 100, 200.0, point);
    TestCloud cloud(637000.0, 849000.0, 0.0);
    cloud.Add(White(point));
    cloud.BuildSingleNode();
    int columns[2][2];
    for (int shifted = 0; shifted < 2; ++shifted) {
        ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints | PcvRenderChannel, PcvChannelRgb);
        view.stereoShift = shifted ? 7.0f : 0.0f;
        ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
        for (int eye = 0; eye < 2; ++eye) {
            std::vector<Pixel> lit = LitPixels(view, eye);
            ASSERT_EQ(lit.size(), 1u);
            columns[shifted][eye] = lit[0].column;
        }
    }
    EXPECT_EQ(columns[1][0], columns[0][0]);
    EXPECT_EQ(columns[1][1], columns[0][1] + 7);
}

TEST(Stereo, AMonoRecordRendersOneImageAndLeavesTheSecondHalfAlone) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = MakeHostView(kViews[0], false);
    double point[3];
    PointAtPixel(host, 50, 60, 50.0, point);
    uint32_t* second = reinterpret_cast<uint32_t*>(RendererImageBuffer(renderer.get())) + kWidth * kHeight;
    for (int i = 0; i < kWidth * kHeight; ++i) second[i] = 0x123456;
    Drawn drawn = DrawPoints(renderer.get(), host, {White(point)});
    ASSERT_EQ(drawn.lit[0].size(), 1u);
    EXPECT_EQ(second[0], 0x123456u);
    EXPECT_EQ(second[kWidth * kHeight - 1], 0x123456u);
}

struct ClipCase {
    const char* name;
    double nearShare; // clip distances as shares of the perspective test depth range
    double farShare;
    bool drawn[4]; // points at depth shares 0.2, 0.5, 0.8, 1.5
};

TEST(Clipping, NearAndFarDistancesClip) {
    const ClipCase cases[] = {
        {"Everything", 0.1, 2.0, {true, true, true, true}},
        {"NearCut", 0.3, 2.0, {false, true, true, true}},
        {"FarCut", 0.1, 1.0, {true, true, true, false}},
        {"Both", 0.4, 0.6, {false, true, false, false}},
        {"NearAfterFar", 0.9, 0.3, {false, false, false, false}},
    };
    const double shares[4] = {0.2, 0.5, 0.8, 1.5};
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ViewCase& c : kViews) {
        HostView host = MakeHostView(c, false);
        TestCloud cloud(637000.0, 849000.0, 0.0);
        ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints | PcvRenderChannel, PcvChannelRgb);
        // Parallel depths count from the camera, which stands at the view box's far distance.
        double range = c.perspective ? 300.0 : 100.0;
        double base = c.perspective ? 0.0 : view.viewBoxFar - 100.0;
        for (int i = 0; i < 4; ++i) {
            double point[3];
            double depth = base + range * shares[i];
            PointAtPixel(host, 50 + 80 * i, 100, c.perspective ? depth : view.viewBoxFar - depth, point);
            cloud.Add(White(point));
        }
        cloud.BuildSingleNode();
        for (const ClipCase& clip : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + clip.name);
            view.nearDistance = static_cast<float>(base + range * clip.nearShare);
            view.farDistance = static_cast<float>(base + range * clip.farShare);
            ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(PixelAt(view, 0, 50 + 80 * i, 100) != 0, clip.drawn[i]) << "point " << i;
        }
    }
}

struct SizeCase {
    float pointSize;
    int first; // the footprint covers columns and rows first .. last relative to the point's pixel
    int last;
};

TEST(PointSize, AThousandUnitsMakeOnePixelAndEveryPointAtLeastOne) {
    const SizeCase cases[] = {{0.0f, 0, 0},     {400.0f, 0, 0},   {1000.0f, 0, 0}, {2000.0f, 0, 1},
                              {3000.0f, -1, 1}, {5200.0f, -2, 2}, {-7.0f, 0, 0}};
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ViewCase& c : kViews) {
        HostView host = MakeHostView(c, false);
        double point[3];
        PointAtPixel(host, 150, 80, PlaceOf(c, 0.5), point);
        for (const SizeCase& size : cases) {
            SCOPED_TRACE(std::string(c.name) + " size " + std::to_string(size.pointSize));
            Drawn drawn = DrawPoints(renderer.get(), host, {White(point)}, size.pointSize);
            int side = size.last - size.first + 1;
            ASSERT_EQ(drawn.lit[0].size(), static_cast<size_t>(side * side));
            for (const Pixel& p : drawn.lit[0]) {
                EXPECT_GE(p.column - 150, size.first);
                EXPECT_LE(p.column - 150, size.last);
                EXPECT_GE(p.row - 80, size.first);
                EXPECT_LE(p.row - 80, size.last);
            }
        }
    }
}

TEST(PointSize, NearerPointsCoverFartherOnes) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c, false);
        double nearPoint[3], farPoint[3];
        // Far first in the cloud's order, near second, and the other way round: the near one wins.
        PointAtPixel(host, 100, 100, c.perspective ? 200.0 : 80.0, nearPoint);
        PointAtPixel(host, 100, 100, c.perspective ? 250.0 : 20.0, farPoint);
        TestPoint nearOne = White(nearPoint), farOne = White(farPoint);
        farOne.green = 0;
        for (bool nearFirst : {false, true}) {
            std::vector<TestPoint> points =
                nearFirst ? std::vector<TestPoint>{nearOne, farOne} : std::vector<TestPoint>{farOne, nearOne};
            Drawn drawn = DrawPoints(renderer.get(), host, points, 3000.0f);
            EXPECT_EQ(PixelAt(drawn.view, 0, 100, 100), Bgr(255, 255, 255));
        }
    }
}

TEST(Records, ViewsThatCannotBeDrawnAreRefusedAndLargerOnesGrowTheBuffer) {
    RendererPtr renderer(RendererCreate(50, 100, 2));
    ASSERT_TRUE(renderer);
    HostView host = MakeHostView(kViews[3], true);
    TestCloud cloud(637000.0, 849000.0, 0.0);
    double point[3];
    PointAtPixel(host, 300, 150, 280.0, point);
    cloud.Add(White(point));
    cloud.BuildSingleNode();
    ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints | PcvRenderChannel, PcvChannelRgb);
    ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
    EXPECT_EQ(view.imageBuffer, RendererImageBuffer(renderer.get()));
    EXPECT_EQ(LitPixels(view, 0).size(), 1u);
    EXPECT_EQ(LitPixels(view, 1).size(), 1u);

    struct Broken {
        const char* name;
        void (*spoil)(ProjectionImageData*);
    };
    const Broken broken[] = {
        {"NoWidth", [](ProjectionImageData* v) { v->imageWidth = 0; }},
        {"NegativeHeight", [](ProjectionImageData* v) { v->imageHeight = -5; }},
        {"SingularRotation",
         [](ProjectionImageData* v) { std::memset(v->rotation[2], 0, sizeof v->rotation[2]); }},
        {"NanRotation", [](ProjectionImageData* v) { v->rotation[0][1] = NAN; }},
        {"NoScale", [](ProjectionImageData* v) { v->projectionScale1 = 0.0f; }},
        {"InfiniteCamera", [](ProjectionImageData* v) { v->cameraPosition[1] = INFINITY; }},
    };
    for (const Broken& b : broken) {
        ProjectionImageData spoilt = view;
        b.spoil(&spoilt);
        EXPECT_EQ(RendererDraw(renderer.get(), cloud.Source(), &spoilt, DefaultSettings()), 0) << b.name;
        int x, y, r;
        float d;
        EXPECT_EQ(RendererProject(spoilt, {point[0], point[1], point[2]}, &x, &y, &r, &d), 0) << b.name;
    }
}

} // namespace
