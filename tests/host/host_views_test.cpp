// The host's views under the test mini app: painting (mono, stereo pairs in each layout, clipped
// rasters), saved pictures, data points through the listener, the snap filter and state commands,
// and view parameters after navigation by script and by real mouse messages.
#include "host_test_support.h"
#include "support/png_reader.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using hostrun::FirstLineStartingWith;
using hostrun::ValueOf;
using hosttest::ExpectInOrder;
using hosttest::RunClean;
using hosttest::Triple;
using hosttest::WordsOf;

constexpr double kPi = 3.14159265358979323846;

// The word after a given one ("centre 1,2,3" gives "1,2,3").
std::string WordAfter(const std::string& line, const std::string& word) {
    std::vector<std::string> w = WordsOf(line);
    for (size_t i = 0; i + 1 < w.size(); ++i)
        if (w[i] == word) return w[i + 1];
    return {};
}

const char kSetUp[] = "view 0 size 400 300\nview 0 fit 0 0 0 100 50 10\n";

// "pixel N X Y B G R" as 0xRRGGBB.
unsigned PixelOf(const std::string& line) {
    std::vector<std::string> w = WordsOf(line);
    if (w.size() != 7) return 0xFFFFFFFFu;
    return (unsigned(std::stoi(w[6])) << 16) | (unsigned(std::stoi(w[5])) << 8) | unsigned(std::stoi(w[4]));
}

struct PixelCheck {
    int view, x, y;
    unsigned rgb; // 0xRRGGBB; kBackground for the host's own background
};
constexpr unsigned kBackground = 0x282C34;

struct PaintCase {
    const char* name;
    std::string lines;
    std::vector<PixelCheck> checks;
};

TEST(HostPainting, RastersShowAsGivenClippedAndCombinedInStereo) {
    const PaintCase cases[] = {
        {"mono",
         "keyin tm paint mono 336699\n",
         {{0, 200, 150, 0x336699}, {1, 5, 5, 0x336699}, {3, 399, 100, 0x336699}}},
        {"anaglyph",
         "view 3 stereo on\nkeyin tm paint stereo FF8040 20A0C0\n",
         {{3, 200, 150, 0xFFA0C0}, {0, 200, 150, 0xFFA0C0}}},
        {"side by side",
         "stereomode sidebyside\nkeyin tm paint stereo FF8040 20A0C0\n",
         {{3, 10, 150, 0xFF8040}, {3, 199, 150, 0xFF8040}, {3, 200, 150, 0x20A0C0}, {3, 390, 150, 0x20A0C0}}},
        {"over and under",
         "stereomode overunder\nkeyin tm paint stereo FF8040 20A0C0\n",
         {{2, 200, 10, 0xFF8040}, {2, 200, 149, 0xFF8040}, {2, 200, 150, 0x20A0C0}, {2, 200, 290, 0x20A0C0}}},
        {"one eye alone is not shown", "keyin tm paint lefteye FF0000\n", {{0, 200, 100, kBackground}}},
        {"clipped at the lower right",
         "keyin tm paint rect 350 250 100 100 80 60 00FF00\n",
         {{0, 360, 260, 0x00FF00},
          {0, 399, 299, 0x00FF00},
          {0, 349, 260, kBackground},
          {0, 360, 249, kBackground}}},
        {"clipped at the upper left",
         "keyin tm paint rect -30 -20 100 100 50 40 FF0000\n",
         {{0, 0, 0, 0xFF0000}, {0, 19, 19, 0xFF0000}, {0, 20, 0, kBackground}, {0, 0, 20, kBackground}}},
        {"size smaller than the raster",
         "keyin tm paint rect 10 10 5 4 50 40 0000FF\n",
         {{0, 14, 13, 0x0000FF}, {0, 15, 13, kBackground}, {0, 14, 14, kBackground}}},
        {"raster far larger than the view",
         "keyin tm paint rect 0 0 3000 3000 3000 3000 123456\n",
         {{0, 0, 0, 0x123456}, {0, 399, 299, 0x123456}}},
    };
    int index = 0;
    for (const PaintCase& c : cases) {
        std::string script = std::string(kSetUp) + c.lines + "redraw\n";
        for (const PixelCheck& check : c.checks)
            script += "pixel " + std::to_string(check.view) + " " + std::to_string(check.x) + " " +
                      std::to_string(check.y) + "\n";
        hostrun::Result run = RunClean(L"paint_" + std::to_wstring(index++), script);
        std::vector<std::string> pixels = hostrun::LinesStartingWith(run.output, "pixel ");
        ASSERT_EQ(pixels.size(), c.checks.size()) << c.name << "\n" << hostrun::Joined(run.output);
        for (size_t i = 0; i < pixels.size(); ++i)
            EXPECT_EQ(PixelOf(pixels[i]), c.checks[i].rgb) << c.name << ": " << pixels[i];
        EXPECT_TRUE(FirstLineStartingWith(run.output, "paint failed").empty()) << c.name;
    }
}

TEST(HostPainting, PaintingOutsideAnUpdateIsRefusedAndSavedPicturesHoldWhatIsShown) {
    std::wstring folder = testenv::ScratchFolder(L"saved_picture");
    std::wstring file = folder + L"\\view0.png";
    std::string utf8(file.begin(), file.end());
    hostrun::Result run =
        RunClean(L"saved_picture_run", std::string(kSetUp) +
                                           "keyin tm paint rect 0 0 200 300 200 300 C08040\n"
                                           "keyin tm drawnow\nclick 0 300 150\nmove 0 390 290\n"
                                           "save 0 " +
                                           utf8 + "\npixel 0 300 150\npixel 0 390 290\n");
    std::vector<std::string> drawnow = WordsOf(FirstLineStartingWith(run.output, "drawnow"));
    ASSERT_EQ(drawnow.size(), 3u);
    EXPECT_LT(std::stoi(drawnow[1]), 0);
    EXPECT_LT(std::stoi(drawnow[2]), 0);
    pngread::Image image;
    std::string why;
    ASSERT_TRUE(pngread::Read(file, &image, &why)) << why;
    EXPECT_EQ(image.width, 400);
    EXPECT_EQ(image.height, 300);
    EXPECT_EQ(pngread::PixelAt(image, 10, 10), 0xC08040u);
    EXPECT_EQ(pngread::PixelAt(image, 390, 10), kBackground);
    // The overlays are part of the picture: the marker point placed and the cursor cross.
    std::vector<std::string> pixels = hostrun::LinesStartingWith(run.output, "pixel 0 ");
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(PixelOf(pixels[0]), 0xE5C07Bu) << "marker point";
    EXPECT_EQ(pngread::PixelAt(image, 300, 150), PixelOf(pixels[0]));
    EXPECT_EQ(pngread::PixelAt(image, 390 + 5, 290), 0xFFFFFFu) << "cursor cross";
    EXPECT_EQ(PixelOf(pixels[1]), kBackground) << "the cross leaves a gap at the cursor";
}

// The design point of a pixel of view 0 (a top view) from its "params" line.
std::vector<double> PointOfPixel(const std::string& params, double px, double py) {
    std::vector<double> origin = Triple(ValueOf(params, "origin")), delta = Triple(ValueOf(params, "delta"));
    std::vector<double> size = Triple(ValueOf(params, "size"));
    return {origin[0] + (px + 0.5) / size[0] * delta[0], origin[1] + (1 - (py + 0.5) / size[1]) * delta[1],
            origin[2] + delta[2] / 2};
}

std::vector<double> NumbersAfter(const std::string& line, size_t first, size_t count) {
    std::vector<std::string> w = WordsOf(line);
    std::vector<double> values;
    for (size_t i = first; i < first + count && i < w.size(); ++i) values.push_back(std::stod(w[i]));
    return values;
}

void ExpectPoint(const std::vector<double>& got, const std::vector<double>& wanted, const char* what) {
    ASSERT_EQ(got.size(), 3u) << what;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], wanted[i], 1e-6) << what << " coordinate " << i;
}

TEST(HostInput, DataPointsGoThroughTheListenerAndTheSnapFilter) {
    hostrun::Result run =
        RunClean(L"data_points", std::string(kSetUp) + "params 0\n"
                                                       "click 0 200 150\n"
                                                       "keyin tm listen 1 2 3\nclick 0 200 150\n"
                                                       "keyin tm snapfilter 10 0 0\nclick 0 200 150\n"
                                                       "snap on\nclick 0 200 150\n"
                                                       "event 2 0 1 2 3\nevent 1 0 1 2 3\n"
                                                       "snapfilter 0 5 5 5\n"
                                                       "keyin tm snapfilter pass\nsnapfilter 0 5 5 5\n");
    std::string params = FirstLineStartingWith(run.output, "params 0 ");
    std::vector<double> base = PointOfPixel(params, 200, 150);
    std::vector<std::string> points = hostrun::LinesStartingWith(run.output, "point 0 ");
    ASSERT_EQ(points.size(), 4u) << hostrun::Joined(run.output);
    ExpectPoint(NumbersAfter(points[0], 2, 3), base, "plain click");
    ExpectPoint(NumbersAfter(points[1], 2, 3), {base[0] + 1, base[1] + 2, base[2] + 3}, "listener");
    ExpectPoint(NumbersAfter(points[2], 2, 3), {base[0] + 1, base[1] + 2, base[2] + 3},
                "filter unused, snap off");
    ExpectPoint(NumbersAfter(points[3], 2, 3), {base[0] + 11, base[1] + 2, base[2] + 3},
                "listener, then filter");
    EXPECT_EQ(hostrun::LinesStartingWith(run.output, "filter mode 0").size(), 3u)
        << "one click, two snapfilter lines";
    ExpectInOrder(run.output, {"listener kind 2 point 1.000000,2.000000,3.000000 view 0", "event 2 2 4 6",
                               "listener kind 1 point 1.000000,2.000000,3.000000 view 0", "event 1 1 2 3",
                               "snapfilter 1 15 5 5", "snapfilter 0 5 5 5"});
}

TEST(HostInput, WithoutAFilterSnappingFindsAMarkerPointNearby) {
    hostrun::Result run =
        RunClean(L"host_snap", std::string(kSetUp) + "click 0 200 150\nsnap on\nclick 0 205 153\n"
                                                     "snap off\nclick 0 205 153\nsnapfilter 0 1 2 3\n");
    std::vector<std::string> points = hostrun::LinesStartingWith(run.output, "point 0 ");
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].substr(8), points[0].substr(8)) << "snapped onto the first";
    EXPECT_NE(points[2].substr(8), points[0].substr(8));
    EXPECT_EQ(FirstLineStartingWith(run.output, "snapfilter"), "snapfilter none 1 2 3");
}

TEST(HostInput, StateCommandsGetDataPointsMotionAndReset) {
    hostrun::Result run = RunClean(
        L"state_command", std::string(kSetUp) + "keyin tm state\nstatus\nclick 0 100 100\nstatus\n"
                                                "move 0 120 100\nmove 0 120 100\nclick 0 130 100\nstatus\n"
                                                "keyin tm state\nclick 0 50 50\nreset\nstatus\n"
                                                "design units 1000\nkeyin tm state current\nclick 0 100 100\n"
                                                "keyin tm stop\nkeyin tm stop\n");
    ExpectInOrder(run.output, {"status prompt=\"Test State > Enter a first point\" message=\"\"",
                               "status prompt=\"Test State > Move, then accept\" message=\"\"",
                               "status prompt=\"\" message=\"\"", "state-reset view 0 point null last 0",
                               "status prompt=\"\" message=\"\"", "stop 0", "stop 1"});
    EXPECT_TRUE(hostrun::LinesStartingWith(run.output, "point 0 ").empty())
        << "state commands took every point";
    std::string first = FirstLineStartingWith(run.output, "state-first");
    std::vector<std::string> motions = hostrun::LinesStartingWith(run.output, "state-motion");
    ASSERT_FALSE(motions.empty());
    EXPECT_EQ(hostrun::LinesStartingWith(run.output, "state-motion").size(), 2u)
        << "the click's own move, the moves to 120 (once: the same place twice is no movement)";
    // The cursor is where the script put it: 20 pixels right of the first point.
    std::vector<double> at = Triple(WordsOf(first).back()), moved = Triple(WordsOf(motions[0]).back());
    EXPECT_EQ(moved[0] - at[0], 20) << first << " / " << motions[0];
    EXPECT_EQ(moved[1], at[1]);
    EXPECT_FALSE(FirstLineStartingWith(run.output, "state-accept").empty());
    // A state command that asked for the current transform gets master units.
    std::vector<std::string> firsts = hostrun::LinesStartingWith(run.output, "state-first");
    ASSERT_EQ(firsts.size(), 3u);
    std::vector<double> working = Triple(WordsOf(firsts[0])[1]), master = Triple(WordsOf(firsts[2])[1]);
    EXPECT_NEAR(master[0], working[0] / 1000, 1e-6);
}

TEST(HostViews, ParametersAfterNavigationAgreeWithWhatMiniAppsRead) {
    hostrun::Result run =
        RunClean(L"navigation", std::string(kSetUp) + "keyin tm params 0\nparams 0\n"
                                                      "view 0 pan 40 0\nparams 0\n"
                                                      "view 0 zoom 0.5 0 0\nparams 0\n"
                                                      "view 0 rotate 90 0\nparams 0\nkeyin tm params 0\n"
                                                      "view 3 camera 100 -100 100 0 0 0\nkeyin tm params 3\n"
                                                      "view 3 stereo on\nview 3 parallel\nkeyin tm params 3\n"
                                                      "view 2 close\nkeyin tm params 2\n");
    std::vector<std::string> params = hostrun::LinesStartingWith(run.output, "params 0 ");
    std::vector<std::string> app = hostrun::LinesStartingWith(run.output, "app-params ");
    ASSERT_EQ(params.size(), 4u);
    ASSERT_EQ(app.size(), 5u) << hostrun::Joined(run.output);
    // Fitted: centred on the range's centre, parallel, 400 x 300.
    EXPECT_NE(app[0].find("result 0 byview 0 index 0 size 400,300 centre 50.000000,25.000000,5.000000 "
                          "delta 110.000000,82.500000,11.000000 perspective 0"),
              std::string::npos)
        << app[0];
    // Pan: 40 pixels right moves the view 40 pixels' worth of design to the left.
    std::vector<double> d0 = Triple(ValueOf(params[0], "delta")), o0 = Triple(ValueOf(params[0], "origin"));
    std::vector<double> o1 = Triple(ValueOf(params[1], "origin"));
    EXPECT_NEAR(o1[0], o0[0] - 40 * d0[0] / 400, 1e-9);
    // Zoom by 0.5 about the upper-left pixel: half the extents, that corner kept.
    std::vector<double> d2 = Triple(ValueOf(params[2], "delta")), o2 = Triple(ValueOf(params[2], "origin"));
    EXPECT_NEAR(d2[0], d0[0] / 2, 1e-9);
    EXPECT_NEAR(o2[0] + 0.5 / 400 * d2[0], o1[0] + 0.5 / 400 * d0[0], 1e-9);
    // Rotate by a drag of 90 pixels: 45 degrees about design z, the centre kept.
    std::vector<double> r3 = Triple(ValueOf(params[3], "rotation"));
    EXPECT_NEAR(r3[0], std::cos(kPi / 4), 1e-9);
    EXPECT_NEAR(std::fabs(r3[1]), std::sin(kPi / 4), 1e-9);
    std::vector<double> centre = Triple(WordAfter(app[1], "centre"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(centre[i], o2[i] + d2[i] / 2, 1e-5) << "rotation keeps the centre";
    // The camera: eye and target as given, eye-to-target distance as focal length.
    EXPECT_NE(
        app[2].find("perspective 1 eye 100.000000,-100.000000,100.000000 target 0.000000,0.000000,0.000000 "
                    "lens 0.872665 focal 173.205081 stereo 0"),
        std::string::npos)
        << app[2];
    EXPECT_NE(app[3].find("perspective 0"), std::string::npos) << app[3];
    EXPECT_NE(app[3].find("stereo 1"), std::string::npos) << app[3];
    EXPECT_NE(app[4].find("app-params 2 result -2"), std::string::npos) << app[4];
}

} // namespace
