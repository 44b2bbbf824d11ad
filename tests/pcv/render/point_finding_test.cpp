// Finding the point under the mouse: round trips through the projection as the plug-in makes them,
// the pick radius, visibility (occlusion, hidden classes, clipping), exact coordinates, and the
// independence from the last image drawn.
#include "render_test_support.h"

using namespace rendertest;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;

struct ViewCase {
    const char* name;
    bool perspective;
    double tilt;
    bool stereo;
};

const ViewCase kViews[] = {
    {"TopParallel", false, 0.0, false},
    {"TiltedParallel", false, 30.0, false},
    {"TopPerspective", true, 0.0, false},
    {"TiltedPerspective", true, 45.0, false},
    {"TiltedPerspectiveStereo", true, 45.0, true},
    {"TopParallelStereo", false, 0.0, true},
};

HostView MakeHostView(const ViewCase& c) {
    double rotation[3][3];
    TiltedRotation(c.tilt, rotation);
    HostView view;
    if (c.perspective) {
        double target[3] = {637050.0, 849050.0, 10.0};
        double eye[3];
        for (int a = 0; a < 3; ++a) eye[a] = target[a] + 200.0 * rotation[2][a];
        double up[3] = {rotation[1][0], rotation[1][1], rotation[1][2]};
        view = PerspectiveHostView(eye, target, up, 100.0, 300.0, kWidth, kHeight);
    } else {
        double centre[3] = {637050.0, 849050.0, 0.0};
        double x0 = Dot3(rotation[0], centre) - 80.0, y0 = Dot3(rotation[1], centre) - 50.0;
        double z0 = Dot3(rotation[2], centre) - 60.0;
        view = ParallelHostView(rotation, x0, y0, z0, 100.0, 120.0, kWidth, kHeight);
    }
    view.stereo = c.stereo;
    return view;
}

// Points with coordinates as large as real survey data, at pixel positions 20 pixels apart.
TestCloud SparseCloud(const HostView& host, std::vector<double>* placesOut = nullptr) {
    TestCloud cloud(637000.0, 849000.0, 0.0, 0.001);
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int row = 10; row < kHeight - 10; row += 20)
        for (int column = 10; column < kWidth - 10; column += 20) {
            double place = host.perspective ? 120.0 + 150.0 * unit(random) : 20.0 + 80.0 * unit(random);
            double point[3];
            PointAtPixel(host, column, row, place, point);
            TestPoint p{point[0] + 0.0001234, point[1] - 0.0004321, point[2]};
            p.intensity = 50000;
            p.classification = static_cast<uint8_t>(row % 40 == 10 ? 2 : 6);
            cloud.Add(p);
            if (placesOut) placesOut->push_back(place);
        }
    cloud.Build(16, 6);
    return cloud;
}

// The mouse position the plug-in makes of a point's projection: ((left + right) / 2, height - row).
bool MouseOf(const ProjectionImageData& view, const double point[3], SnapMouse* mouse) {
    int left = 0, right = 0, row = 0;
    float depth = 0.0f;
    if (!RendererProject(view, {point[0], point[1], point[2]}, &left, &right, &row, &depth)) return false;
    *mouse = {};
    mouse->x = static_cast<int16_t>((left + right) / 2);
    mouse->y = static_cast<int16_t>(view.imageHeight - row);
    mouse->nearest = 1;
    mouse->depth = depth;
    mouse->index = -1;
    return true;
}

TEST(FindPoint, EveryPointIsFoundAtItsOwnProjectionInMasterUnitsExactly) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c);
        TestCloud cloud = SparseCloud(host);
        ProjectionImageData view = RecordOf(host, 3000.0f, PcvRenderPoints);
        for (size_t i = 0; i < cloud.Size(); ++i) {
            double stored[3];
            cloud.StoredPosition(i, stored);
            SnapMouse mouse;
            ASSERT_TRUE(MouseOf(view, stored, &mouse)) << i;
            ASSERT_TRUE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse))
                << i;
            ASSERT_GE(mouse.index, 0);
            EXPECT_EQ(cloud.SourceOfOrdinal(mouse.index), static_cast<int>(i));
            EXPECT_EQ(mouse.found[0], stored[0]);
            EXPECT_EQ(mouse.found[1], stored[1]);
            EXPECT_EQ(mouse.found[2], stored[2]);
        }
    }
}

struct OffsetCase {
    int dx, dy;
    bool found;
};

TEST(FindPoint, OnlyPointsWithinAFewPixelsOfTheMouseAreFound) {
    const OffsetCase cases[] = {{0, 0, true},  {2, 1, true},   {-3, -2, true}, {4, 4, true},
                                {6, 0, false}, {0, -7, false}, {9, 9, false}};
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c);
        TestCloud cloud = SparseCloud(host);
        ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
        double stored[3];
        cloud.StoredPosition(37, stored);
        for (const OffsetCase& o : cases) {
            SnapMouse mouse;
            ASSERT_TRUE(MouseOf(view, stored, &mouse));
            int left, right, row;
            float depth;
            RendererProject(view, {stored[0], stored[1], stored[2]}, &left, &right, &row, &depth);
            // In stereo the mouse is the average of two eyes' columns, one pixel off at most.
            if (c.stereo && (o.dx == 4 || o.dx == -3)) continue;
            mouse.x = static_cast<int16_t>(mouse.x + o.dx);
            mouse.y = static_cast<int16_t>(mouse.y + o.dy);
            bool found = RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse);
            EXPECT_EQ(found, o.found) << o.dx << "," << o.dy;
            EXPECT_EQ(mouse.index >= 0, o.found);
            if (found) {
                EXPECT_EQ(cloud.SourceOfOrdinal(mouse.index), 37);
            }
        }
    }
}

TEST(FindPoint, WithoutTheNearestFlagOnlyThePixelUnderTheMouseCounts) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = MakeHostView(kViews[0]);
    TestCloud cloud = SparseCloud(host);
    ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
    double stored[3];
    cloud.StoredPosition(20, stored);
    SnapMouse mouse;
    ASSERT_TRUE(MouseOf(view, stored, &mouse));
    mouse.nearest = 0;
    EXPECT_TRUE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
    mouse.x = static_cast<int16_t>(mouse.x + 1);
    EXPECT_FALSE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
    EXPECT_EQ(mouse.index, -1);
}

struct ChoiceCase {
    const char* name;
    // Two points: pixel offsets from the mouse and depth (perspective) of each; the expected winner.
    int dx[2];
    double depth[2];
    int winner;
};

TEST(FindPoint, TheVisiblePointNearestTheMouseWinsAndOfEquallyNearOnesTheNearestToTheViewer) {
    const ChoiceCase cases[] = {
        {"SameRayNearerWins", {0, 0}, {150.0, 200.0}, 0},
        {"SameRayNearerWinsInEitherOrder", {0, 0}, {200.0, 150.0}, 1},
        {"CloserToTheMouseWins", {1, 3}, {200.0, 150.0}, 0},
        {"EquallyCloseNearerWins", {-2, 2}, {200.0, 150.0}, 1},
        {"HiddenBehindABigFootprintLoses", {0, 2}, {200.0, 150.0}, 1},
    };
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = MakeHostView(kViews[2]);
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestCloud cloud(637000.0, 849000.0, 0.0, 0.001);
        for (int i = 0; i < 2; ++i) {
            double point[3];
            PointAtPixel(host, 100 + c.dx[i], 100, c.depth[i], point);
            cloud.Add({point[0], point[1], point[2]});
        }
        cloud.BuildSingleNode();
        // The footprint of 5 pixels covers the far point at 2 pixels with the near one.
        float size = std::string(c.name) == "HiddenBehindABigFootprintLoses" ? 5000.0f : 1000.0f;
        ProjectionImageData view = RecordOf(host, size, PcvRenderPoints);
        SnapMouse mouse = {};
        mouse.x = 100;
        mouse.y = 100;
        mouse.nearest = 1;
        mouse.index = -1;
        ASSERT_TRUE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
        EXPECT_EQ(cloud.SourceOfOrdinal(mouse.index), c.winner);
    }
}

TEST(FindPoint, HiddenClassesAndClippedPointsAreNotFound) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (const ViewCase& c : kViews) {
        SCOPED_TRACE(c.name);
        HostView host = MakeHostView(c);
        std::vector<double> places;
        TestCloud cloud = SparseCloud(host, &places);
        ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
        ClassificationMask256 noBuildings = {};
        noBuildings.active = 1;
        for (uint32_t& word : noBuildings.classes) word = 0xFFFFFFFFu;
        noBuildings.classes[0] &= ~(1u << 6);
        int found = 0, hiddenFound = 0;
        for (size_t i = 0; i < cloud.Size(); ++i) {
            double stored[3];
            cloud.StoredPosition(i, stored);
            SnapMouse mouse;
            ASSERT_TRUE(MouseOf(view, stored, &mouse));
            if (RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(&noBuildings),
                                  &mouse)) {
                ++found;
                if (cloud.Point(cloud.SourceOfOrdinal(mouse.index)).classification == 6) ++hiddenFound;
                EXPECT_EQ(cloud.SourceOfOrdinal(mouse.index), static_cast<int>(i));
            } else {
                EXPECT_EQ(cloud.Point(i).classification, 6);
            }
        }
        EXPECT_GT(found, 0);
        EXPECT_EQ(hiddenFound, 0);

        // Clip away everything farther than the middle of the points' depths.
        ProjectionImageData clipped = view;
        double middlePlace = c.perspective ? 195.0 : 60.0;
        clipped.farDistance = static_cast<float>(c.perspective ? middlePlace : view.viewBoxFar - middlePlace);
        if (!c.perspective) clipped.nearDistance = view.viewBoxNear;
        for (size_t i = 0; i < cloud.Size(); ++i) {
            double stored[3];
            cloud.StoredPosition(i, stored);
            SnapMouse mouse;
            ASSERT_TRUE(MouseOf(clipped, stored, &mouse));
            bool inside = c.perspective ? places[i] < middlePlace : places[i] > middlePlace;
            EXPECT_EQ(RendererFindPoint(renderer.get(), cloud.Source(), clipped, DefaultSettings(), &mouse),
                      inside)
                << i;
        }
    }
}

TEST(FindPoint, TheSearchLooksAtTheCloudNotAtTheLastImage) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView top = MakeHostView(kViews[0]);
    HostView tilted = MakeHostView(kViews[3]);
    TestCloud cloud = SparseCloud(tilted);
    ProjectionImageData topView = RecordOf(top, 1000.0f, PcvRenderPoints);
    ProjectionImageData tiltedView = RecordOf(tilted, 1000.0f, PcvRenderPoints);
    // The last image is of the top view; the search is made in the tilted one.
    ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &topView, DefaultSettings()), 0);
    for (size_t i : {0u, 17u, 40u, 99u}) {
        double stored[3];
        cloud.StoredPosition(i, stored);
        SnapMouse mouse;
        ASSERT_TRUE(MouseOf(tiltedView, stored, &mouse));
        ASSERT_TRUE(RendererFindPoint(renderer.get(), cloud.Source(), tiltedView, DefaultSettings(), &mouse));
        EXPECT_EQ(cloud.SourceOfOrdinal(mouse.index), static_cast<int>(i));
    }
}

TEST(FindPoint, TheSearchReleasesWhatItPinnedAndFindsNothingWithoutPoints) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = MakeHostView(kViews[2]);
    TestCloud cloud = SparseCloud(host);
    ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
    view.pageLockPriority = 2;
    double stored[3];
    cloud.StoredPosition(3, stored);
    SnapMouse mouse;
    ASSERT_TRUE(MouseOf(view, stored, &mouse));
    ASSERT_TRUE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
    EXPECT_GT(cloud.acquireCalls, 0);
    EXPECT_EQ(cloud.lastAcquirePriority, 2);
    EXPECT_EQ(cloud.releaseCalls, 1);
    EXPECT_EQ(cloud.lastReleasePriority, 2);
    // Fewer nodes than the whole cloud: only those near the mouse's ray.
    EXPECT_LT(cloud.acquireCalls, cloud.NodeCount());

    cloud.refuseAcquire = true;
    mouse.index = 5;
    EXPECT_FALSE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
    EXPECT_EQ(mouse.index, -1);
    cloud.refuseAcquire = false;
    ProjectionImageData noPoints = view;
    noPoints.renderingMode = PcvRenderChannel;
    EXPECT_FALSE(RendererFindPoint(renderer.get(), cloud.Source(), noPoints, DefaultSettings(), &mouse));
    mouse.x = -30;
    EXPECT_FALSE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
}

TEST(FindPoint, TheFoundPointIsMarkedWhenTheRecordAsks) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = MakeHostView(kViews[4]);
    TestCloud cloud = SparseCloud(host);
    ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
    double stored[3];
    cloud.StoredPosition(50, stored);
    SnapMouse mouse;
    ASSERT_TRUE(MouseOf(view, stored, &mouse));
    ASSERT_TRUE(RendererFindPoint(renderer.get(), cloud.Source(), view, DefaultSettings(), &mouse));
    auto marked = [&](const ProjectionImageData& v, int eye) {
        size_t count = 0;
        for (const Pixel& p : LitPixels(v, eye)) count += p.colour == 0xFFFF00;
        return count;
    };
    ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
    EXPECT_EQ(marked(view, 0), 0u);
    view.highlightFound = 1;
    ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
    EXPECT_GT(marked(view, 0), 20u);
    EXPECT_GT(marked(view, 1), 20u);
    SaveBmp("render_found_point_marked", view);
}

} // namespace
