// Drawing in the real host with the real engine: what each view update paints (mono, the stereo pair,
// parallel views mono whatever the host's switch), that the engine's picture of the cloud reaches the
// views, that nothing reaches the plug-in once it is unloaded, and that redraws allocate nothing.
#include "support/ocular_host.h"
#include "support/png_reader.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using hostrun::FirstLineStartingWith;
using hostrun::Joined;
using hostrun::ValueOf;

constexpr unsigned kHostBackground = 0x282C34;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The number after " -> " of a call-log line.
long long ResultOf(const std::string& line) {
    size_t arrow = line.find(" -> ");
    return arrow == std::string::npos ? -999 : std::stoll(line.substr(arrow + 4));
}

// One call into a mini app and the host calls it made before the next.
struct Callback {
    std::string line;
    std::vector<std::string> calls;
};

std::vector<Callback> CallbacksOf(const std::vector<std::string>& log) {
    std::vector<Callback> callbacks;
    for (const std::string& line : log) {
        if (StartsWith(line, "callback ")) {
            callbacks.push_back({line, {}});
        } else if (!callbacks.empty()) {
            callbacks.back().calls.push_back(line);
        }
    }
    return callbacks;
}

std::vector<std::string> Named(const std::vector<std::string>& calls, const std::string& name) {
    std::vector<std::string> found;
    for (const std::string& call : calls)
        if (StartsWith(call, name + " ")) found.push_back(call);
    return found;
}

std::vector<std::string> PaintsOf(const Callback& callback) {
    std::vector<std::string> paints;
    for (const std::string& call : callback.calls)
        if (StartsWith(call, "DrawRaster ") || StartsWith(call, "DrawRasterStereo ")) paints.push_back(call);
    return paints;
}

const char kUpdate[] = "callback ViewsUpdate app=\"ocular\" phase=";

// The last update of each view with phase 1, by view index.
std::map<int, Callback> LastPaintingUpdates(const std::vector<Callback>& callbacks) {
    std::map<int, Callback> last;
    for (const Callback& c : callbacks)
        if (StartsWith(c.line, std::string(kUpdate) + "1")) last[std::stoi(ValueOf(c.line, "viewIndex"))] = c;
    return last;
}

// The views of the scene Lidora generates (400 m square about 637000, 849000, heights near 100).
const char kFitScene[] = "view 0 fit 636800 848800 60 637200 849200 160\n"
                         "view 3 fit 636800 848800 60 637200 849200 160\n";

struct ExpectedPaint {
    int view;
    const char* why;
    std::vector<std::string> paints; // the paint calls up to their pixels, in order
};

TEST(Drawing, MonoViewsPaintOnceStereoCameraViewsTwiceParallelViewsAlwaysMono) {
    ocularhost::Install install = ocularhost::MakeInstall(L"drawing_paints");
    // Views 0 to 2 are parallel, 3 a camera view. 0 and 3 get stereo; 2 becomes a camera view without.
    ocularhost::Result run = ocularhost::Run(install, "view 0 size 320 240\n"
                                                      "view 0 stereo on\n"
                                                      "view 3 stereo on\n"
                                                      "view 2 perspective\n"
                                                      "redraw\n"
                                                      "unload ocular\n"
                                                      "redraw\n");
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output) << Joined(run.errors);
    std::vector<Callback> callbacks = CallbacksOf(run.log);
    std::map<int, Callback> last = LastPaintingUpdates(callbacks);

    const std::string tail =
        " origin=(0,0) size=(320,240) width=320 height=240 format=5 pixels=non-null -> 0";
    const ExpectedPaint expected[] = {
        {0, "parallel with the host's stereo on", {"DrawRaster view=0" + tail}},
        {1, "parallel", {"DrawRaster view=1" + tail}},
        {2, "camera view, stereo off", {"DrawRaster view=2" + tail}},
        {3,
         "camera view, stereo on",
         {"DrawRasterStereo view=3 eye=0" + tail, "DrawRasterStereo view=3 eye=1" + tail}},
    };
    for (const ExpectedPaint& e : expected) {
        SCOPED_TRACE(e.why);
        ASSERT_TRUE(last.count(e.view)) << "no update of view " << e.view;
        EXPECT_EQ(PaintsOf(last[e.view]), e.paints) << Joined(last[e.view].calls);
        // The host's stereo switch is asked for camera views only.
        bool camera = e.view >= 2;
        std::vector<std::string> stereoAsked = Named(last[e.view].calls, "VwIsStereo");
        EXPECT_EQ(stereoAsked.size(), camera ? 1u : 0u);
    }

    // Every update: phase 0 leaves the view to the host, phase 1 paints exactly as the view is.
    int updates = 0;
    for (const Callback& c : callbacks) {
        if (!StartsWith(c.line, kUpdate)) continue;
        ++updates;
        if (StartsWith(c.line, std::string(kUpdate) + "0")) {
            EXPECT_TRUE(c.calls.empty()) << c.line << "\n" << Joined(c.calls);
            continue;
        }
        std::vector<std::string> perspective = Named(c.calls, "VwIsPerspective");
        std::vector<std::string> stereo = Named(c.calls, "VwIsStereo");
        ASSERT_EQ(perspective.size(), 1u) << c.line;
        bool pair = ResultOf(perspective[0]) != 0 && !stereo.empty() && (ResultOf(stereo[0]) & 1);
        std::vector<std::string> paints = PaintsOf(c);
        ASSERT_EQ(paints.size(), pair ? 2u : 1u) << c.line << "\n" << Joined(c.calls);
        if (pair) {
            EXPECT_EQ(ValueOf(paints[0], "eye"), "0");
            EXPECT_EQ(ValueOf(paints[1], "eye"), "1");
        } else {
            EXPECT_TRUE(StartsWith(paints[0], "DrawRaster "));
        }
    }
    EXPECT_GE(updates, 8);

    // After the unload: the hook went with a null, and no update reached the plug-in again.
    size_t unload = 0;
    for (size_t i = 0; i < callbacks.size(); ++i)
        if (StartsWith(callbacks[i].line, "callback MAppEvent app=\"ocular\"")) unload = i;
    ASSERT_GT(unload, 0u);
    EXPECT_FALSE(Named(callbacks[unload].calls, "ViewsSetFuncOnUpdate hook=null").empty())
        << Joined(callbacks[unload].calls);
    for (size_t i = unload + 1; i < callbacks.size(); ++i)
        EXPECT_FALSE(StartsWith(callbacks[i].line, kUpdate)) << callbacks[i].line;
}

// "pixel N X Y B G R" as 0xRRGGBB.
unsigned PixelOf(const std::string& line) {
    unsigned b = 0, g = 0, r = 0;
    int view = 0, x = 0, y = 0;
    if (sscanf(line.c_str(), "pixel %d %d %d %u %u %u", &view, &x, &y, &b, &g, &r) != 6) return 0xFFFFFFFFu;
    return (r << 16) | (g << 8) | b;
}

struct PictureStats {
    long pixels = 0;
    long background = 0; // the host's own background
    long dark = 0;       // the engine's background where no point is drawn
};

bool Analyse(const std::wstring& path, PictureStats* stats) {
    pngread::Image image;
    std::string why;
    if (!pngread::Read(path, &image, &why)) return false;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            unsigned rgb = pngread::PixelAt(image, x, y);
            unsigned r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
            ++stats->pixels;
            if (rgb == kHostBackground) ++stats->background;
            if (r < 16 && g < 16 && b < 16) ++stats->dark;
        }
    }
    return true;
}

TEST(Drawing, TheCloudReachesTheViewsAsTheEngineDrawsIt) {
    ocularhost::Install install = ocularhost::MakeInstall(L"drawing_cloud");
    std::string root = ocularhost::Narrow(install.root);
    std::string script = std::string("view 0 size 400 300\n") + kFitScene + "save 0 " + root +
                         "\\empty_top.png\n"
                         "pixel 0 200 150\n"
                         "keyin lidora generate 200000\n"
                         "keyin update loaded\n"
                         "view 3 stereo on\n"
                         "redraw\n"
                         "save 0 " +
                         root +
                         "\\cloud_top.png\n"
                         "save 3 " +
                         root +
                         "\\cloud_stereo.png\n"
                         "pixel 0 200 150\n"
                         "wait 1500\n";
    ocularhost::RunOptions options;
    options.host.exitAfterScript = false;
    ocularhost::Running* running = ocularhost::Start(install, script + "exit\n", options);
    std::wstring last = install.root + L"\\cloud_stereo.png";
    if (ui::WaitUntil([&] { return GetFileAttributesW(last.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000)) {
        Sleep(500);
        testenv::SaveScreenshot("ocular_drawing_cloud");
    }
    ocularhost::Result run = ocularhost::Finish(running);
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output) << Joined(run.errors);

    std::vector<std::string> pixels = hostrun::LinesStartingWith(run.output, "pixel 0 200 150 ");
    ASSERT_EQ(pixels.size(), 2u) << Joined(run.output);
    EXPECT_NE(PixelOf(pixels[1]), PixelOf(pixels[0])) << "the centre of the top view shows the cloud";
    EXPECT_NE(PixelOf(pixels[1]), kHostBackground);

    PictureStats empty, top, stereo;
    ASSERT_TRUE(Analyse(install.root + L"\\empty_top.png", &empty));
    ASSERT_TRUE(Analyse(install.root + L"\\cloud_top.png", &top));
    ASSERT_TRUE(Analyse(install.root + L"\\cloud_stereo.png", &stereo));
    // Before the points came the engine drew an empty image over the host's contents (only the host's
    // axis triad overlay shows); with them the scene fills most of the fitted top view.
    EXPECT_EQ(empty.background, 0);
    EXPECT_LT(empty.pixels - empty.dark, empty.pixels / 100);
    EXPECT_GT(top.pixels - top.dark, top.pixels / 2);
    // The stereo camera view shows the cloud as the anaglyph of both eyes.
    EXPECT_GT(stereo.pixels - stereo.dark, stereo.pixels / 10);

    std::vector<std::string> pairs = ocularhost::CallsNamed(run.log, {"DrawRasterStereo"});
    EXPECT_FALSE(pairs.empty());
}

// The plug-in's imports of the allocation functions are counted while 100 redraws of the four views
// (one of them a stereo pair) run after a first one: none may allocate. The probe shows that it counts
// by an allocation through the plug-in's own import and by a plug-in command that allocates.
TEST(Drawing, RedrawsAllocateNothing) {
    ocularhost::Install install = ocularhost::MakeInstall(L"drawing_allocation");
    ocularhost::RunOptions options;
    options.extraApps = {hostrun::BuildPath(L"tests\\ocular\\alloc_probe\\allocprobe.ix")};
    std::string script = std::string("view 0 size 320 240\n") + kFitScene +
                         "keyin lidora generate 200000\n"
                         "keyin update loaded\n"
                         "view 3 stereo on\n"
                         "redraw\n"
                         "keyin allocprobe start\n"
                         "repeat 100 redraw\n"
                         "keyin allocprobe count\n"
                         "keyin allocprobe through\n"
                         "keyin allocprobe count\n"
                         "keyin allocprobe start\n"
                         "keyin about ocularis\n"
                         "keyin allocprobe count\n"
                         "keyin allocprobe stop\n";
    ocularhost::Result run = ocularhost::Run(install, script, options);
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output) << Joined(run.errors);

    std::string patched = FirstLineStartingWith(run.output, "allocprobe patched ");
    EXPECT_NE(patched.find(" GlobalAlloc"), std::string::npos) << patched; // the tagged allocator
    EXPECT_NE(patched.find(" malloc"), std::string::npos) << patched;      // the C runtime
    std::vector<std::string> counts = hostrun::LinesStartingWith(run.output, "allocprobe count ");
    ASSERT_EQ(counts.size(), 3u) << Joined(run.output);
    EXPECT_EQ(counts[0], "allocprobe count 0") << "allocations during 100 redraws";
    EXPECT_EQ(counts[1], "allocprobe count 1 GlobalAlloc=1");
    long afterAbout = 0;
    ASSERT_EQ(sscanf(counts[2].c_str(), "allocprobe count %ld", &afterAbout), 1);
    EXPECT_GT(afterAbout, 0) << counts[2];

    // The redraws happened with the plug-in painting: 100 times four views after the first round.
    size_t updates = 0;
    for (const std::string& line : run.log)
        if (StartsWith(line, std::string(kUpdate) + "1")) ++updates;
    EXPECT_GE(updates, 404u);
}

} // namespace
