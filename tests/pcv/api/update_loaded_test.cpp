// The plug-in's project commands through pcv.dll: "UpdateLoaded" converts the points in memory on the
// worker thread and reloads them, "LoadProject" converts LAS projects and loads them; the loaded cloud
// is drawn, projected and searched, classes hide, and every failure comes back as a text, once.
#include "api_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using apitest::Narrow;

class ProjectCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("Api_") + test->name();
        settings = testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
        dataFolder = settings + L"\\ocular\\data";
        CreateDirectoryW((settings + L"\\ocular").c_str(), nullptr);
        ASSERT_NE(apitest::EngineStart(&plugin, settings), nullptr);
        apitest::TakeError(); // the GPU attempt's
    }
    void TearDown() override { pcvFree(); }

    // UpdateLoaded, then the reload it ends with; the engine's error text or "".
    std::wstring UpdateLoadedAndReload(const pcvtest::MemoryScene& scene,
                                       apitest::Waited* conversion = nullptr) {
        apitest::Waited waited;
        if (!apitest::UpdateLoaded(dataFolder, scene, &waited)) return apitest::TakeError();
        if (conversion) *conversion = waited;
        if (!waited.finished) return L"the conversion never reached 100";
        return apitest::LoadProject(dataFolder + L"\\LoadedPoints.prj", &channel);
    }

    apitest::Plugin plugin;
    std::wstring settings, dataFolder;
    unsigned int channel = 0;
};

TEST_F(ProjectCommands, UpdateLoadedConvertsOnTheWorkerAndReloads) {
    // Files of an earlier conversion of another kind, which the plug-in deletes first.
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    CreateDirectoryW((dataFolder + L"\\octree").c_str(), nullptr);
    ASSERT_TRUE(pcvtest::WriteText(dataFolder + L"\\octree\\singleblock.c28", "left over"));
    pcvtest::MemoryScene scene = pcvtest::MakeScene(1000000);
    DWORD before = GetTickCount();
    apitest::Waited waited;
    ASSERT_EQ(apitest::UpdateLoaded(dataFolder, scene, &waited), 1);
    DWORD took = GetTickCount() - before;
    ASSERT_TRUE(waited.finished);
    // The call returned at once: the first poll saw the work still running, and progress only rose.
    EXPECT_LT(waited.progress.front(), 100);
    EXPECT_GT(waited.progress.size(), 3u) << "took " << took << " ms";
    EXPECT_TRUE(std::is_sorted(waited.progress.begin(), waited.progress.end()));
    EXPECT_EQ(waited.progress.back(), 100);
    bool reading = false, building = false, writing = false;
    for (const std::wstring& d : waited.descriptions) {
        reading = reading || d.rfind(L"Reading points", 0) == 0;
        building = building || d.rfind(L"Building octree", 0) == 0;
        writing = writing || d.rfind(L"Writing storage", 0) == 0;
    }
    EXPECT_TRUE(reading && building && writing);
    EXPECT_EQ(apitest::TakeError(), L"");
    EXPECT_TRUE(pcvIsProjectLoaded()) << "the conversion loads what it converted";
    // Every file left is one the plug-in deletes before the next conversion.
    for (const std::wstring& file : pcvtest::ListFiles(dataFolder)) {
        const std::vector<std::wstring>& stale = apitest::StaleFiles();
        EXPECT_NE(std::find(stale.begin(), stale.end(), file), stale.end()) << Narrow(file);
    }
    EXPECT_FALSE(pcvtest::ListFiles(dataFolder).count(L"octree\\singleblock.c28"));
    // The reload of "UpdateLoaded": LoadProject RELOAD of LoadedPoints.prj.
    apitest::Waited loading;
    ASSERT_EQ(apitest::LoadProject(dataFolder + L"\\LoadedPoints.prj", &channel, &loading), L"");
    EXPECT_TRUE(pcvIsProjectLoaded());
    EXPECT_EQ(channel, 0u) << "mask 1 is the elevation channel";
    EXPECT_EQ(pcvGetProjectChannelMask(), (1ull << 0) | (1ull << 1) | (1ull << 5) | (1ull << 7));
    unsigned long long counts[256];
    EXPECT_EQ(pcvGetProjectClassCounts(counts), 1);
    EXPECT_EQ(counts[6],
              static_cast<unsigned long long>(std::count(scene.classes.begin(), scene.classes.end(), 6)));
    wchar_t file[PCV_TEXT_CHARS];
    EXPECT_EQ(pcvGetProjectFile(file), 1);
    EXPECT_EQ(std::wstring(file), dataFolder + L"\\LoadedPoints.prj");
}

TEST_F(ProjectCommands, TheLoadedCloudIsDrawnProjectedAndFound) {
    pcvtest::MemoryScene scene = pcvtest::MakeScene(400000);
    ASSERT_EQ(UpdateLoadedAndReload(scene), L"");
    // The middle of the building's roof: class 6 between 400 and 500 m of the scene.
    double cx = 637450, cy = 849450;
    ProjectionImageData& view = plugin.view;
    apitest::TopView(&view, cx, cy, 450, 300, 100, 1200, 800);
    view.renderingMode = 7 | 8;
    view.channel = channel;
    pcvGetDepthEstimation(&view);
    EXPECT_LT(view.nearDepthEstimate, view.farDepthEstimate);
    ASSERT_GT(pcvSetView(&view), 0);
    EXPECT_EQ(view.imageBuffer, reinterpret_cast<uint8_t*>(plugin.handle));
    size_t lit = apitest::LitPixels(view);
    EXPECT_GT(lit, 1200u * 800u / 2) << "the scene covers the view";
    EXPECT_TRUE(apitest::SaveImage("pcv_top_view_shaded", view));
    pcvReleasePageLockPri(0);
    // A point of the scene, projected and searched as the snap filter does.
    size_t index = 0;
    for (size_t i = 0; i < scene.points.size(); ++i)
        if (scene.classes[i] == 6) index = i;
    Point3Dd point{scene.summary.offsetX + scene.points[index].x * 0.001,
                   scene.summary.offsetY + scene.points[index].y * 0.001,
                   scene.summary.offsetZ + scene.points[index].z * 0.001};
    int a = 0, b = 0, c = 0;
    float depth = 0;
    ASSERT_EQ(pcvCalculateProjection(&a, &b, &c, &depth, nullptr, &point, &view), 1);
    EXPECT_EQ(a, b) << "a mono view has one column";
    EXPECT_GT(depth, 0);
    SnapMouse mouse;
    memset(&mouse, 0xCC, sizeof(mouse));
    mouse.x = static_cast<int16_t>((a + b) / 2);
    mouse.y = static_cast<int16_t>(view.imageHeight - c);
    mouse.nearest = 1;
    mouse.reserved2 = 0;
    mouse.depth = depth;
    mouse.index = -1;
    pcvFindPoint(&view, &mouse);
    ASSERT_GE(mouse.index, 0);
    double pixel = 300.0 / 800;
    EXPECT_NEAR(mouse.found[0], point.x, 3 * pixel);
    EXPECT_NEAR(mouse.found[1], point.y, 3 * pixel);
    EXPECT_NEAR(mouse.found[2], point.z, 1.0);
    // A point outside the view does not project.
    Point3Dd outside{cx + 1000, cy, 450};
    EXPECT_EQ(pcvCalculateProjection(&a, &b, &c, &depth, nullptr, &outside, &view), 0);
}

TEST_F(ProjectCommands, HiddenClassesAreNotDrawn) {
    pcvtest::MemoryScene scene = pcvtest::MakeScene(200000);
    ASSERT_EQ(UpdateLoadedAndReload(scene), L"");
    ProjectionImageData& view = plugin.view;
    auto draw = [&]() {
        apitest::TopView(&view, 637500, 849500, 450, 1100, 200, 800, 800);
        view.renderingMode = 5 | 8;
        view.channel = 5;
        pcvGetDepthEstimation(&view);
        EXPECT_GT(pcvSetView(&view), 0);
        pcvReleasePageLockPri(0);
        return apitest::LitPixels(view);
    };
    size_t all = draw();
    EXPECT_TRUE(apitest::SaveImage("pcv_classes_all", view));
    ClassificationMask256 visible{};
    visible.active = 1;
    for (uint32_t& word : visible.classes) word = 0xFFFFFFFF;
    visible.classes[0] &= ~(1u << 2); // no ground
    ClassificationMask256 session{};
    EXPECT_EQ(pcvSetFlagsWithClassification(&visible, &session, false), 255);
    size_t withoutGround = draw();
    EXPECT_TRUE(apitest::SaveImage("pcv_classes_without_ground", view));
    EXPECT_LT(withoutGround, all / 2);
    EXPECT_GT(withoutGround, 0u) << "buildings and trees stay";
    visible.classes[0] = 0xFFFFFFFF;
    EXPECT_EQ(pcvSetFlagsWithClassification(&visible, &session, false), 256);
    EXPECT_EQ(draw(), all);
}

TEST_F(ProjectCommands, AStereoViewDrawsBothEyes) {
    pcvtest::MemoryScene scene = pcvtest::MakeScene(200000);
    ASSERT_EQ(UpdateLoadedAndReload(scene), L"");
    ProjectionImageData& view = plugin.view;
    apitest::DownwardCamera(&view, 637500, 849500, 900, 400, 600, 1980, 1080, true);
    view.renderingMode = 7 | 8;
    pcvGetDepthEstimation(&view);
    ASSERT_GT(pcvSetView(&view), 0);
    EXPECT_GT(apitest::LitPixels(view, 0), 1000u);
    EXPECT_GT(apitest::LitPixels(view, 1), 1000u);
    EXPECT_TRUE(apitest::SaveImage("pcv_stereo_left", view, 0));
    EXPECT_TRUE(apitest::SaveImage("pcv_stereo_right", view, 1));
    Point3Dd point{637500, 849500, 400};
    int a = 0, b = 0, c = 0;
    float depth = 0;
    ASSERT_EQ(pcvCalculateProjection(&a, &b, &c, &depth, nullptr, &point, &view), 1);
    EXPECT_NE(a, b) << "the eyes see a point at another depth than the screen in different columns";
    pcvReleasePageLockPri(0);
}

TEST_F(ProjectCommands, FailuresComeBackAsTextsOnce) {
    // Refused at once: the call says 0 and the text waits.
    EXPECT_EQ(pcvConvertLidoraProject((settings + L"\\none.prj").c_str(), 0, nullptr, 0, false, false), 0);
    EXPECT_EQ(apitest::TakeError(), L"The project file does not exist: " + settings + L"\\none.prj");
    EXPECT_EQ(apitest::TakeError(), L"");
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(settings));
    EXPECT_EQ(pcvConvertLidoraProject((settings + L"\\LoadedPoints.prj").c_str(), 0, nullptr, 0, false, true),
              0);
    EXPECT_EQ(apitest::TakeError(), L"No points were handed over in memory to convert.");
    // Refused by the worker: the call says 1, the wait ends at 100 and the text waits, "%" and all.
    std::wstring folder = settings + L"\\100% scans";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\site.prj",
                                   "[Ocularis project]\r\nStorage=sources\r\nBlock north\r\n"));
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\sources\\north.las", "LASF but nothing more"));
    unsigned int ignored = 0;
    std::wstring error = apitest::LoadProject(folder + L"\\site.prj", &ignored);
    EXPECT_NE(error.find(L"100% scans"), std::wstring::npos) << Narrow(error);
    EXPECT_FALSE(pcvIsProjectLoaded());
    EXPECT_EQ(apitest::TakeError(), L"");
    EXPECT_EQ(pcvCalculateGetProgressStatus(), 100);
    // A later load that works reports nothing old.
    pcvtest::MemoryScene scene = pcvtest::MakeScene(1000);
    EXPECT_EQ(UpdateLoadedAndReload(scene), L"");
}

TEST_F(ProjectCommands, ReInitStopsAConversionAndLeavesNoStorageToLoad) {
    pcvtest::MemoryScene scene = pcvtest::MakeScene(3000000);
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(dataFolder));
    pcvSetMemoryPoints(scene.points.data(), scene.classes.data(), scene.intensities.data(),
                       scene.colours.data(), &scene.summary);
    ASSERT_EQ(pcvConvertLidoraProject((dataFolder + L"\\LoadedPoints.prj").c_str(), 0x100000A2, nullptr, 0,
                                      false, true),
              1);
    EXPECT_LT(pcvCalculateGetProgressStatus(), 100);
    Sleep(100);
    pcvReInit();
    EXPECT_EQ(pcvCalculateGetProgressStatus(), 100);
    EXPECT_FALSE(pcvIsProjectLoaded());
    EXPECT_EQ(apitest::TakeError(), L"") << "a stopped conversion is no failure";
    EXPECT_FALSE(pcvtest::ListFiles(dataFolder).count(L"octree\\LoadedPoints.oct"));
    // The points were handed over for that conversion only.
    EXPECT_EQ(pcvConvertLidoraProject((dataFolder + L"\\LoadedPoints.prj").c_str(), 0x100000A2, nullptr, 0,
                                      false, true),
              0);
    EXPECT_EQ(apitest::TakeError(), L"No points were handed over in memory to convert.");
    // Loading what is there fails with the reason.
    unsigned int ignored = 0;
    EXPECT_NE(apitest::LoadProject(dataFolder + L"\\LoadedPoints.prj", &ignored)
                  .find(L"has no source to convert it from"),
              std::wstring::npos);
}

TEST_F(ProjectCommands, LasProjectsConvertOnceAndLoadFromStorageThen) {
    std::wstring folder = settings + L"\\site";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
    ASSERT_EQ(pcvtest::WriteLasScene(folder + L"\\sources\\north.las", 100000), L"");
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\site.prj",
                                   "[Ocularis project]\r\nStorage=sources\r\nBlock north\r\n"));
    auto written = [&]() {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW((folder + L"\\octree\\north.oct").c_str(), GetFileExInfoStandard, &data);
        return static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
               data.ftLastWriteTime.dwLowDateTime;
    };
    ASSERT_EQ(apitest::LoadProject(folder + L"\\site.prj", &channel), L"");
    uint64_t first = written();
    EXPECT_NE(first, 0u) << "the first load converts";
    Sleep(50);
    ASSERT_EQ(apitest::LoadProject(folder + L"\\site.prj", &channel), L"");
    EXPECT_EQ(written(), first) << "unchanged sources are not converted again";
    EXPECT_TRUE(pcvIsProjectLoaded());
    EXPECT_EQ(pcvGetProjectChannelMask() >> 28 & 1, 1u);
}

} // namespace
