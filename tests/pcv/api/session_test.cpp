// Sessions and image lists through pcv.dll, as the plug-in's "SaveSession" and "LoadProject" of a .tss
// use them: every value the eleven arguments return comes back as it was saved, the session's project
// loads through the conversion call, and enabled cameras show as markers.
#include "api_test_support.h"

#include <gtest/gtest.h>

namespace {

using apitest::Narrow;

class Sessions : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("Sessions_") + test->name();
        folder = testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
        ASSERT_NE(apitest::EngineStart(&plugin, folder), nullptr);
        apitest::TakeError();
        scene = pcvtest::MakeScene(100000);
        apitest::Waited waited;
        ASSERT_EQ(apitest::UpdateLoaded(folder, scene, &waited), 1);
        ASSERT_EQ(apitest::LoadProject(folder + L"\\LoadedPoints.prj", &channel), L"");
    }
    void TearDown() override { pcvFree(); }

    // A view update of the plug-in: depth estimate, render, release.
    void Draw() {
        pcvGetDepthEstimation(&plugin.view);
        ASSERT_GT(pcvSetView(&plugin.view), 0);
        pcvReleasePageLockPri(0);
    }

    apitest::Plugin plugin;
    std::wstring folder;
    pcvtest::MemoryScene scene;
    unsigned int channel = 0;
};

ClassificationMask256 Hiding(uint32_t active, int hidden) {
    ClassificationMask256 mask{};
    mask.active = active;
    for (uint32_t& word : mask.classes) word = 0xFFFFFFFF;
    mask.classes[hidden / 32] &= ~(1u << (hidden % 32));
    return mask;
}

TEST_F(Sessions, SaveAndLoadGiveBackEveryValue) {
    // A perspective view with the plug-in's point size 2000 (scaled by the root of its projection
    // scale), then a parallel one with 3500, channel 5 and medium contrast.
    apitest::DownwardCamera(&plugin.view, 637500, 849500, 900, 400, 600, 990, 540, true);
    plugin.view.pointSize = static_cast<float>(2000 * sqrt(plugin.view.projectionScale1));
    plugin.view.renderingMode = 7 | 8;
    plugin.view.channel = 5;
    Draw();
    apitest::TopView(&plugin.view, 637500, 849500, 450, 1000, 200, 800, 600);
    plugin.view.pointSize = 3500;
    plugin.view.renderingMode = 3 | 8;
    plugin.view.channel = 1;
    Draw();
    ClassificationMask256 visible = Hiding(1, 2), session = Hiding(1, 200);
    pcvSetFlagsWithClassification(&visible, &session, false);
    std::wstring file = folder + L"\\site view.tss";
    ASSERT_TRUE(pcvSaveSession(file.c_str(), -17, 0x0000002A, L"C:\\classes\\50% ground.ptc",
                               L"C:\\img\\a.txt", L"C:\\img\\b.txt"))
        << Narrow(apitest::TakeError());

    // "LoadProject" of the session: re-initialise, then the session steps.
    pcvReInit();
    wchar_t imageList[1024], imageListAux[1024], classFile[1024], sessionFile[1024];
    imageList[0] = imageListAux[0] = 0;
    wcscpy(sessionFile, file.c_str());
    int engineValue = 0, cameraMask = 0;
    ProjectionImageData view1{}, view2{};
    ClassificationMask256 loadedVisible = Hiding(1, 255), loadedSession{};
    ASSERT_TRUE(pcvLoadSession(file.c_str(), imageList, imageListAux, &engineValue, &cameraMask, classFile,
                               &view1, &view2, &loadedVisible, &loadedSession, sessionFile));
    EXPECT_STREQ(imageList, L"C:\\img\\a.txt");
    EXPECT_STREQ(imageListAux, L"C:\\img\\b.txt");
    EXPECT_STREQ(classFile, L"C:\\classes\\50% ground.ptc");
    EXPECT_EQ(engineValue, -17);
    EXPECT_EQ(cameraMask, 0x2A);
    EXPECT_FLOAT_EQ(view1.pointSize, 2000) << "the perspective size the plug-in's setting had";
    EXPECT_FLOAT_EQ(view2.pointSize, 3500);
    EXPECT_EQ(view1.renderingMode, 7u) << "the look of the view, without the CPU mark";
    EXPECT_EQ(view2.renderingMode, 3u);
    EXPECT_EQ(view1.channel, 1u << 5) << "channels come back as masks";
    EXPECT_EQ(view2.channel, 1u << 1);
    EXPECT_EQ(memcmp(&loadedVisible, &visible, sizeof(visible)), 0);
    EXPECT_EQ(memcmp(&loadedSession, &session, sizeof(session)), 0);
    EXPECT_EQ(std::wstring(sessionFile), file);
    EXPECT_EQ(view1.imageBuffer, reinterpret_cast<uint8_t*>(plugin.handle));
    unsigned int first = 0, second = 0;
    EXPECT_TRUE(pcvGetChannelFromChannelMask(&first, &second, view1.channel));
    EXPECT_EQ(second, 5u);
    EXPECT_EQ(pcvGetChannelWidth(view1.channel), 1);

    // The conversion call of the session (GuiDlg's, after the session steps) loads its project.
    EXPECT_FALSE(pcvIsProjectLoaded());
    ASSERT_EQ(pcvConvertLidoraProject(file.c_str(), 0, nullptr, 0, false, false), 1);
    EXPECT_TRUE(apitest::WaitForEngine(50).finished);
    EXPECT_EQ(apitest::TakeError(), L"");
    EXPECT_TRUE(pcvIsProjectLoaded());
    wchar_t project[PCV_TEXT_CHARS];
    pcvGetProjectFile(project);
    EXPECT_EQ(std::wstring(project), folder + L"\\LoadedPoints.prj");

    // Saved again without drawing, the session keeps what it loaded.
    std::wstring again = folder + L"\\again.tss";
    ASSERT_TRUE(pcvSaveSession(again.c_str(), 3, 4, L"", L"", L""));
    ProjectionImageData view1b{}, view2b{};
    ASSERT_TRUE(pcvLoadSession(again.c_str(), imageList, imageListAux, &engineValue, &cameraMask, classFile,
                               &view1b, &view2b, &loadedVisible, &loadedSession, sessionFile));
    EXPECT_FLOAT_EQ(view1b.pointSize, 2000);
    EXPECT_FLOAT_EQ(view2b.pointSize, 3500);
    EXPECT_EQ(engineValue, 3);
    EXPECT_EQ(cameraMask, 4);
    EXPECT_STREQ(imageList, L"");
}

TEST_F(Sessions, SavingWithoutAProjectAndLoadingANonSessionFail) {
    pcvReInit();
    EXPECT_FALSE(pcvSaveSession((folder + L"\\x.tss").c_str(), 0, 0, L"", L"", L""));
    EXPECT_EQ(apitest::TakeError(), L"No project is loaded, so there is no session to save.");
    EXPECT_FALSE(pcvtest::ListFiles(folder).count(L"x.tss"));
    wchar_t a[1024], b[1024], c[1024], d[1024];
    int e = 0, m = 0;
    ProjectionImageData v1{}, v2{};
    ClassificationMask256 k1{}, k2{};
    wcscpy(d, (folder + L"\\LoadedPoints.prj").c_str());
    EXPECT_FALSE(pcvLoadSession(d, a, b, &e, &m, c, &v1, &v2, &k1, &k2, d));
    EXPECT_NE(apitest::TakeError().find(L"This is not an Ocularis session file"), std::wstring::npos);
}

TEST_F(Sessions, EnabledCamerasShowAsMarkers) {
    std::wstring list = folder + L"\\images.txt";
    ASSERT_TRUE(pcvtest::WriteText(
        list, "[Ocularis image list]\r\n637300 849300 500 a.jpg\r\n637700 849700 500 b.jpg\r\n"));
    EXPECT_FALSE(pcvIsImageListAttached());
    ASSERT_EQ(pcvAttachImageList(list.c_str(), L""), 2);
    EXPECT_TRUE(pcvIsImageListAttached());
    apitest::TopView(&plugin.view, 637500, 849500, 450, 1000, 200, 800, 800);
    plugin.view.renderingMode = 1 | 8;
    auto markerAt = [&](double x, double y) {
        Point3Dd p{x, y, 500};
        int a, b, c;
        float depth;
        if (!pcvCalculateProjection(&a, &b, &c, &depth, nullptr, &p, &plugin.view)) return false;
        // The marker's outline passes 5 pixels left of the camera's pixel.
        return apitest::PixelAt(plugin.view, 0, a - 5, plugin.view.imageHeight - c) == 0xFFFF00;
    };
    Draw();
    EXPECT_TRUE(markerAt(637300, 849300));
    EXPECT_TRUE(markerAt(637700, 849700));
    EXPECT_TRUE(apitest::SaveImage("pcv_camera_markers", plugin.view));
    pcvSetCameraEnable(1, false);
    Draw();
    EXPECT_TRUE(markerAt(637300, 849300));
    EXPECT_FALSE(markerAt(637700, 849700));
    // Re-attaching reads the list again and keeps the switches.
    ASSERT_TRUE(pcvtest::WriteText(
        list, "[Ocularis image list]\r\n637300 849300 500 a.jpg\r\n637700 849700 500 b.jpg\r\n"
              "637500 849500 500 c.jpg\r\n"));
    EXPECT_EQ(pcvReAttachImageList(), 3);
    Draw();
    EXPECT_FALSE(markerAt(637700, 849700));
    EXPECT_TRUE(markerAt(637500, 849500));
    EXPECT_EQ(pcvAttachImageList((folder + L"\\none.txt").c_str(), L""), 0);
    EXPECT_NE(apitest::TakeError().find(L"The image list does not exist: "), std::wstring::npos);
    EXPECT_TRUE(pcvIsImageListAttached()) << "a failed attach leaves the attached list";
}

} // namespace
