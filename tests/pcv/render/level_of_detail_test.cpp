// Level of detail: the nodes a frame draws stay within the point budget whatever the cloud's size,
// larger and nearer nodes come first, nodes are acquired on the calling thread under the record's
// priority, and the depth estimate brackets what is in sight.
#include "render_test_support.h"

using namespace rendertest;

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 270;

// Random ground points over 300 x 300 units with a little relief.
std::unique_ptr<TestCloud> Ground(int points, size_t perNode = 2000) {
    auto cloud = std::make_unique<TestCloud>(5000.0, 7000.0, 0.0, 0.001);
    std::mt19937 random(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < points; ++i) {
        double x = unit(random) * 300.0, y = unit(random) * 300.0;
        TestPoint p{5000.0 + x, 7000.0 + y, 2.0 * std::sin(x / 20.0) + unit(random)};
        p.intensity = 40000;
        p.classification = 2;
        cloud->Add(p);
    }
    cloud->Build(perNode, 12);
    return cloud;
}

HostView OverGround(bool stereo) {
    double target[3] = {5150.0, 7150.0, 0.0};
    double eye[3] = {5150.0, 7150.0 - 260.0, 150.0};
    double up[3] = {0, 0, 1};
    HostView view = PerspectiveHostView(eye, target, up, 180.0, 560.0, kWidth, kHeight);
    view.stereo = stereo;
    return view;
}

TEST(LevelOfDetail, TheDrawnPointsStayWithinTheBudget) {
    std::unique_ptr<TestCloud> cloud = Ground(300000);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    const uint32_t budgets[] = {3000, 20000, 100000, 250000, 1000000};
    for (bool stereo : {false, true})
        for (uint32_t budget : budgets) {
            SCOPED_TRACE(std::to_string(budget) + (stereo ? " stereo" : " mono"));
            ProjectionImageData view =
                RecordOf(OverGround(stereo), 1000.0f, PcvRenderPoints | PcvRenderShading);
            ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings(nullptr, budget)),
                      0);
            const RenderFrameStats& stats = RendererLastFrameStats(renderer.get());
            EXPECT_LE(stats.pointsSelected, budget);
            EXPECT_LE(stats.pointsSelected, cloud->Size());
            // A budget below what is in sight is used up.
            if (budget <= 100000) {
                EXPECT_GE(stats.pointsSelected, budget * 95 / 100);
            }
            if (stereo) {
                EXPECT_EQ(stats.pointsLooked, 2 * stats.pointsSelected);
            } else {
                // Two bands of rows: a node that spans both is looked at by each.
                EXPECT_GE(stats.pointsLooked, stats.pointsSelected);
                EXPECT_LE(stats.pointsLooked, 2 * stats.pointsSelected);
            }
            EXPECT_EQ(static_cast<int>(stats.nodesSelected), cloud->acquireCalls);
            cloud->acquireCalls = 0;
            cloud->acquiredNodes.clear();
        }
}

TEST(LevelOfDetail, AFrameCostsWhatTheBudgetAllowsWhateverTheCloudsSize) {
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    uint64_t looked[2] = {};
    int index = 0;
    for (int points : {60000, 600000}) {
        std::unique_ptr<TestCloud> cloud = Ground(points);
        ProjectionImageData view = RecordOf(OverGround(true), 1000.0f, PcvRenderPoints);
        ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings(nullptr, 30000)), 0);
        looked[index++] = RendererLastFrameStats(renderer.get()).pointsLooked;
    }
    EXPECT_LE(looked[0], 60000u);
    EXPECT_LE(looked[1], 60000u);
    EXPECT_GE(looked[1], 57000u);
    EXPECT_GE(looked[0], 57000u);
}

double DistanceToBox(const double p[3], const double low[3], const double high[3]) {
    double sum = 0.0;
    for (int a = 0; a < 3; ++a) {
        double gap = std::max({low[a] - p[a], 0.0, p[a] - high[a]});
        sum += gap * gap;
    }
    return std::sqrt(sum);
}

TEST(LevelOfDetail, LargerAndNearerNodesComeFirstAndParentsBeforeChildren) {
    std::unique_ptr<TestCloud> cloud = Ground(300000, 1000);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    HostView host = OverGround(false);
    ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
    // Levels 0 to 2 hold about 21000 points; the budget ends in level 3.
    ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings(nullptr, 30000)), 0);
    const CloudBlock& block = cloud->Block();
    std::vector<bool> seen(cloud->NodeCount(), false);
    double previous = HUGE_VAL;
    int nearCount = 0, farCount = 0;
    ASSERT_GT(cloud->acquiredNodes.size(), 10u);
    for (int node : cloud->acquiredNodes) {
        const CloudNode& n = cloud->Node(node);
        if (n.parent != kNoNode) {
            EXPECT_TRUE(seen[n.parent]) << node;
        }
        seen[node] = true;
        double low[3], high[3];
        for (int a = 0; a < 3; ++a) {
            low[a] = std::max(n.minimum[a], block.minimum[a]);
            high[a] = std::min(n.maximum[a], block.maximum[a]);
        }
        // Angular size of the node's spacing as seen from the camera.
        double size = n.spacing / std::max(DistanceToBox(view.cameraPosition, low, high), 1e-9);
        EXPECT_LE(size, previous * (1 + 1e-9)) << node;
        previous = size;
        if (n.level >= 3) {
            double centreY = 0.5 * (low[1] + high[1]);
            if (centreY < 7150.0)
                ++nearCount;
            else
                ++farCount;
        }
    }
    // The half of the ground nearer to the camera gets the finer nodes.
    EXPECT_GT(nearCount, 2 * farCount);
}

TEST(LevelOfDetail, NodesAreAcquiredUnderTheRecordsPriorityAndNotReleasedByTheDrawing) {
    std::unique_ptr<TestCloud> cloud = Ground(50000);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    ProjectionImageData view = RecordOf(OverGround(true), 1000.0f, PcvRenderPoints);
    view.pageLockPriority = 3;
    ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings()), 0);
    EXPECT_GT(cloud->acquireCalls, 0);
    EXPECT_EQ(cloud->lastAcquirePriority, 3);
    EXPECT_EQ(cloud->releaseCalls, 0);
    EXPECT_FALSE(LitPixels(view, 0).empty());
}

TEST(LevelOfDetail, NodesThatCannotBeHadAreLeftOut) {
    std::unique_ptr<TestCloud> cloud = Ground(50000);
    cloud->refuseAcquire = true;
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    ProjectionImageData view = RecordOf(OverGround(true), 1000.0f, PcvRenderPoints | PcvRenderShading);
    ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings()), 0);
    EXPECT_TRUE(LitPixels(view, 0).empty());
    EXPECT_TRUE(LitPixels(view, 1).empty());
    EXPECT_EQ(RendererLastFrameStats(renderer.get()).pointsLooked, 0u);
}

TEST(LevelOfDetail, AnEmptyCloudDrawsAnEmptyImage) {
    TestCloud cloud;
    cloud.Build(100, 4);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    ProjectionImageData view = RecordOf(OverGround(false), 1000.0f, PcvRenderPoints | PcvRenderShading);
    ASSERT_GT(RendererDraw(renderer.get(), cloud.Source(), &view, DefaultSettings()), 0);
    EXPECT_TRUE(LitPixels(view, 0).empty());
    CloudSource none = {};
    ASSERT_GT(RendererDraw(renderer.get(), none, &view, DefaultSettings()), 0);
    EXPECT_TRUE(LitPixels(view, 0).empty());
}

// Depths of the cloud's points in a view: least and greatest.
void PointDepths(const TestCloud& cloud, const ProjectionImageData& view, double* low, double* high) {
    *low = HUGE_VAL;
    *high = -HUGE_VAL;
    for (size_t i = 0; i < cloud.Size(); ++i) {
        const TestPoint& p = cloud.Point(i);
        double q[3] = {p.x - view.cameraPosition[0], p.y - view.cameraPosition[1],
                       p.z - view.cameraPosition[2]};
        double depth =
            -(view.rotation[2][0] * q[0] + view.rotation[2][1] * q[1] + view.rotation[2][2] * q[2]);
        *low = std::min(*low, depth);
        *high = std::max(*high, depth);
    }
}

TEST(DepthEstimate, TheEstimateBracketsThePointsInSightAndNarrowsTheViewBox) {
    std::unique_ptr<TestCloud> cloud = Ground(40000);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    HostView top = ParallelHostView(identity, 5000.0 - 120.0, 7000.0, -500.0, 300.0, 1000.0, kWidth, kHeight);
    HostView views[] = {top, OverGround(false), OverGround(true)};
    for (const HostView& host : views) {
        ProjectionImageData view = RecordOf(host, 1000.0f, PcvRenderPoints);
        double low, high;
        PointDepths(*cloud, view, &low, &high);
        float nearest = RendererEstimateDepth(renderer.get(), cloud->Source(), &view);
        EXPECT_EQ(nearest, view.nearDepthEstimate);
        EXPECT_LE(view.nearDepthEstimate, low);
        EXPECT_GE(view.farDepthEstimate, high);
        EXPECT_GE(view.nearDepthEstimate, view.nearDistance);
        EXPECT_LE(view.farDepthEstimate, view.farDistance);
        if (!host.perspective) {
            // The whole cloud is in sight from above: the estimate is its height range.
            EXPECT_NEAR(view.nearDepthEstimate, low, 0.05);
            EXPECT_NEAR(view.farDepthEstimate, high, 0.05);
        }
        // Narrowed as the plug-in narrows them, the clip distances still keep every point.
        view.nearDistance = std::max(view.nearDistance, view.nearDepthEstimate);
        view.farDistance = std::min(view.farDistance, view.farDepthEstimate);
        ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings()), 0);
        ProjectionImageData wide = RecordOf(host, 1000.0f, PcvRenderPoints);
        ProjectionImageData narrowed = view;
        std::vector<Pixel> narrowedPixels = LitPixels(narrowed, 0);
        ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &wide, DefaultSettings()), 0);
        EXPECT_EQ(LitPixels(wide, 0).size(), narrowedPixels.size());
    }
}

TEST(DepthEstimate, WithNothingInSightTheViewsOwnDistancesStand) {
    std::unique_ptr<TestCloud> cloud = Ground(20000);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    double target[3] = {9000.0, 9000.0, 0.0};
    double eye[3] = {9000.0, 9000.0 - 100.0, 50.0};
    double up[3] = {0, 0, 1};
    ProjectionImageData view = RecordOf(PerspectiveHostView(eye, target, up, 50.0, 100.0, kWidth, kHeight),
                                        1000.0f, PcvRenderPoints);
    view.nearDepthEstimate = -1.0f;
    view.farDepthEstimate = -1.0f;
    float nearest = RendererEstimateDepth(renderer.get(), cloud->Source(), &view);
    EXPECT_EQ(nearest, view.nearDistance);
    EXPECT_EQ(view.nearDepthEstimate, view.nearDistance);
    EXPECT_EQ(view.farDepthEstimate, view.farDistance);
    EXPECT_EQ(cloud->acquireCalls, 0); // from node bounds alone
}

TEST(Workers, TheImageIsTheSameWhateverTheNumberOfWorkers) {
    std::unique_ptr<TestCloud> cloud = Ground(200000);
    const uint32_t modes[] = {PcvRenderPoints, PcvRenderPoints | PcvRenderShading | PcvRenderChannel};
    for (bool stereo : {false, true})
        for (uint32_t mode : modes)
            for (float size : {1000.0f, 3000.0f}) {
                SCOPED_TRACE(std::string(stereo ? "stereo" : "mono") + " mode " + std::to_string(mode) +
                             " size " + std::to_string(size));
                std::vector<uint32_t> images[3];
                for (int workers = 1; workers <= 3; ++workers) {
                    RendererPtr renderer(RendererCreate(kHeight, 2 * kWidth, workers));
                    ASSERT_TRUE(renderer);
                    ProjectionImageData view = RecordOf(OverGround(stereo), size, mode);
                    ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view,
                                           DefaultSettings(nullptr, 150000)),
                              0);
                    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(view.imageBuffer);
                    images[workers - 1].assign(pixels, pixels + (stereo ? 2 : 1) * kWidth * kHeight);
                }
                EXPECT_GT(
                    std::count_if(images[0].begin(), images[0].end(), [](uint32_t p) { return p != 0; }),
                    kWidth * kHeight / 4);
                EXPECT_TRUE(images[0] == images[1]);
                EXPECT_TRUE(images[0] == images[2]);
            }
}

TEST(Screenshots, LevelOfDetailUnderASmallAndALargeBudget) {
    std::unique_ptr<TestCloud> cloud = Ground(300000);
    RendererPtr renderer = MakeRenderer(kHeight, kWidth);
    for (uint32_t budget : {20000u, 300000u}) {
        ProjectionImageData view =
            RecordOf(OverGround(false), 2000.0f, PcvRenderPoints | PcvRenderShading | PcvRenderChannel);
        ASSERT_GT(RendererDraw(renderer.get(), cloud->Source(), &view, DefaultSettings(nullptr, budget)), 0);
        EXPECT_TRUE(SaveBmp("render_budget_" + std::to_string(budget), view));
    }
}

} // namespace
