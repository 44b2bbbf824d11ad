// The arithmetic of the point-size adjustment and of the point search's request to the engine: the
// numbers a user meets as "10 pixels right grows the points by 8" and "a click lands on the cloud".
#include <gtest/gtest.h>

#include "display.h"
#include "snapping.h"

#include <limits>
#include <string.h>

namespace {

struct MotionCase {
    const char* what;
    int32_t startSize, startX, startY, x, y;
    int32_t expected;
};

const MotionCase kMotionCases[] = {
    {"10 px right grows by (5*5)/3", 1000, 400, 300, 410, 300, 1008},
    {"10 px left shrinks by the same", 1000, 400, 300, 390, 300, 992},
    {"an odd pixel is dropped by the halving", 1000, 400, 300, 411, 300, 1008},
    {"halving truncates toward zero, not down", 100, 400, 300, 395, 300, 99},
    {"vertical movement alone grows", 1000, 400, 300, 400, 310, 1008},
    {"left and down: the amount is both, the sign is left's", 1000, 400, 300, 390, 310, 984},
    {"the sum is divided once, not each square", 1000, 0, 0, 2, 2, 1000},
    {"grows up to 10000 and no more", 9995, 400, 300, 1400, 300, 10000},
    {"shrinks down to 0 and no less", 5, 400, 300, 100, 300, 0},
    {"a start above the range comes back into it", 20000, 400, 300, 400, 300, 10000},
    {"cursors a whole coordinate range apart clamp rather than wrap", 0, INT32_MIN, INT32_MIN, INT32_MAX,
     INT32_MAX, 10000},
};

TEST(PointSizeMotion, SizeFollowsTheCursorFromTheStart) {
    for (const MotionCase& c : kMotionCases) {
        EXPECT_EQ(AdjustedPointSize(c.startSize, c.startX, c.startY, c.x, c.y), c.expected) << c.what;
    }
}

TEST(PointSizeMotion, StartSizeIsTheSettingTruncatedTowardZero) {
    struct {
        double setting;
        int32_t expected;
    } cases[] = {
        {3000.0, 3000},
        {7.9, 7},
        {-7.9, -7},
        {0.0, 0},
        {1e30, INT32_MAX},
        {-1e30, INT32_MIN},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(PointSizeTruncated(c.setting), c.expected) << c.setting;
}

struct RequestCase {
    const char* what;
    ProjectedPosition position;
    int imageHeight;
    bool passDepth;
    int16_t column, row;
    float depth;
};

const RequestCase kRequestCases[] = {
    {"stereo: the middle of both eyes, truncated", {1001, 1004, 1, 2.0f}, 600, true, 1002, 599, 2.0f},
    {"a negative middle truncates toward zero", {-3, 0, 0, 1.0f}, 10, true, -1, 10, 1.0f},
    {"the snap filter passes no depth", {10, 12, 599, 9.0f}, 600, false, 11, 1, 0.0f},
};

TEST(SnapRequest, FilledByteByByteAsTheEngineReadsIt) {
    for (const RequestCase& c : kRequestCases) {
        SnapMouse mouse = SnapMouseFor(c.position, c.imageHeight, c.passDepth);
        unsigned char bytes[sizeof(SnapMouse)];
        memcpy(bytes, &mouse, sizeof bytes);
        int16_t column, row;
        float depth;
        int32_t index;
        memcpy(&column, bytes + 0, 2);
        memcpy(&row, bytes + 2, 2);
        memcpy(&depth, bytes + 12, 4);
        memcpy(&index, bytes + 40, 4);
        EXPECT_EQ(column, c.column) << c.what;
        EXPECT_EQ(row, c.row) << c.what;
        EXPECT_EQ(bytes[6], 1) << c.what;
        EXPECT_EQ(bytes[7], 0) << c.what;
        EXPECT_EQ(depth, c.depth) << c.what;
        EXPECT_EQ(index, -1) << c.what;
    }
}

TEST(SnapUnits, WorkingUnitsPerMasterUnitScaleBothWays) {
    Point3Dd engine = EnginePointFromHost(DPoint3d{1000, 2000, 30}, 1000);
    EXPECT_EQ(engine.x, 1.0);
    EXPECT_EQ(engine.y, 2.0);
    EXPECT_EQ(engine.z, 0.03);
    const double found[3] = {1.5, 2.5, 0.04};
    DPoint3d host = HostPointFromEngine(found, 1000);
    EXPECT_EQ(host.x, 1500.0);
    EXPECT_EQ(host.y, 2500.0);
    EXPECT_EQ(host.z, 40.0);
}

} // namespace
