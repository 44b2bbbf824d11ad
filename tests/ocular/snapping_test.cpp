// Points entered in the real host land on the cloud: the input listener and the snap filter with the
// real engine, on a small cloud whose points are known, with 1000 working units per master unit.
#include <gtest/gtest.h>

#include "support/ocular_host.h"
#include "support/test_environment.h"

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using ocularhost::Install;
using ocularhost::Result;

struct LasPoint0 {
    int32_t x, y, z; // hundredths of a master unit
};

template <typename T> void Put(std::string& bytes, size_t at, T value) {
    memcpy(&bytes[at], &value, sizeof value);
}

// A LAS 1.2 file of point format 0 with scale 0.01 and offset 0 on every axis.
std::string LasFile(const std::vector<LasPoint0>& points) {
    constexpr size_t kHeader = 227, kRecord = 20;
    std::string bytes(kHeader + kRecord * points.size(), '\0');
    memcpy(&bytes[0], "LASF", 4);
    bytes[24] = 1;
    bytes[25] = 2;
    Put<uint16_t>(bytes, 94, kHeader);
    Put<uint32_t>(bytes, 96, kHeader);
    bytes[104] = 0;
    Put<uint16_t>(bytes, 105, kRecord);
    Put<uint32_t>(bytes, 107, static_cast<uint32_t>(points.size()));
    Put<uint32_t>(bytes, 111, static_cast<uint32_t>(points.size()));
    int32_t low[3] = {INT32_MAX, INT32_MAX, INT32_MAX}, high[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
    for (size_t i = 0; i < points.size(); ++i) {
        const int32_t axes[3] = {points[i].x, points[i].y, points[i].z};
        for (int a = 0; a < 3; ++a) {
            Put<int32_t>(bytes, kHeader + kRecord * i + 4 * a, axes[a]);
            low[a] = axes[a] < low[a] ? axes[a] : low[a];
            high[a] = axes[a] > high[a] ? axes[a] : high[a];
        }
        Put<uint16_t>(bytes, kHeader + kRecord * i + 12, 100); // intensity
        bytes[kHeader + kRecord * i + 14] = 0x09;              // return 1 of 1
        bytes[kHeader + kRecord * i + 15] = 2;                 // ground
    }
    for (int a = 0; a < 3; ++a) {
        Put<double>(bytes, 131 + 8 * a, 0.01);
        Put<double>(bytes, 155 + 8 * a, 0.0);
        Put<double>(bytes, 179 + 16 * a, high[a] * 0.01);
        Put<double>(bytes, 187 + 16 * a, low[a] * 0.01);
    }
    return bytes;
}

// The found point (1.5, 2.5, 0.04) and three far corners that give the cloud its extent.
const std::vector<LasPoint0> kCloud = {{150, 250, 4}, {-5000, -5000, 0}, {5000, 5000, 50}, {-5000, 5000, 20}};

// Every view shown is a top view of the square -100..100 master units, 300 pixels wide: the cloud
// point (1.5, 2.5) is at pixel (152, 146), a pixel from where the host point (1, 2) projects.
const char kViews[] = "view 6 open\nview 7 open\nview 0 size 300 300\nview 0 top\nview 6 top\nview 7 top\n"
                      "view 0 fit -100 -100 -1 100 100 1\nview 6 fit -100 -100 -1 100 100 1\n"
                      "view 7 fit -100 -100 -1 100 100 1\n";

struct Line {
    const char* what;
    const char* script;
    const char* printed;
};

const Line kLines[] = {
    {"the filter replaces the point in working units", "snapfilter 0 1000 2000 30",
     "snapfilter 1 1500 2500 40"},
    {"a data point event is replaced the same way", "event 2 0 1000 2000 30", "event 2 1500 2500 40"},
    {"a reset event passes unchanged", "event 1 0 1000 2000 30", "event 1 1000 2000 30"},
    {"a key-in event passes unchanged", "event 3 0 1000 2000 30", "event 3 1000 2000 30"},
    {"view 6 is in the default mask 127", "snapfilter 6 1000 2000 30", "snapfilter 1 1500 2500 40"},
    {"view 7 is not: the filter declines", "snapfilter 7 1000 2000 30", "snapfilter 0 1000 2000 30"},
    {"nor does the listener snap in view 7", "event 2 7 1000 2000 30", "event 2 1000 2000 30"},
    {"no cloud point near: unchanged", "snapfilter 0 -90000 90000 30", "snapfilter 0 -90000 90000 30"},
};

std::string Failure(const Result& run) {
    return hostrun::Joined(run.output) + "\n" + hostrun::Joined(run.errors);
}

TEST(Snapping, PointsLandOnTheCloudInWorkingUnits) {
    Install install = ocularhost::MakeInstall(L"snapping_cloud");
    std::wstring las = install.root + L"\\snap.las";
    ASSERT_TRUE(testenv::WriteFileBytes(las, LasFile(kCloud)));
    std::string script =
        "design units 1000\nkeyin lidora load " + ocularhost::Narrow(las) + "\nkeyin update loaded\n";
    script += kViews;
    for (const Line& line : kLines) script += std::string(line.script) + "\n";
    // A click through the real mouse path: the listener rewrites the point before the host places it.
    script +=
        "click 0 152 146\nsave 0 " +
        ocularhost::Narrow(testenv::BuildFolder() + L"\\screenshots\\ocular\\ocular_snapping_click.png") +
        "\n";
    script += "design none\nsnapfilter 0 1000 2000 30\nevent 2 0 1000 2000 30\n";

    Result run = ocularhost::Run(install, script);
    ASSERT_EQ(run.exitCode, 0) << Failure(run);
    std::vector<std::string> printed;
    for (const std::string& line : run.output)
        if (line.rfind("snapfilter ", 0) == 0 || line.rfind("event ", 0) == 0) printed.push_back(line);
    ASSERT_EQ(printed.size(), std::size(kLines) + 2) << Failure(run);
    for (size_t i = 0; i < std::size(kLines); ++i) EXPECT_EQ(printed[i], kLines[i].printed) << kLines[i].what;
    EXPECT_EQ(hostrun::FirstLineStartingWith(run.output, "point 0 "), "point 0 1500 2500 40")
        << "the clicked point is the cloud's";
    EXPECT_EQ(printed[std::size(kLines)], "snapfilter 0 1000 2000 30")
        << "no design file: no factor, no snap";
    EXPECT_EQ(printed[std::size(kLines) + 1], "event 2 1000 2000 30") << "no design file";
}

} // namespace
