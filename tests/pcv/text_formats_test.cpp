// The engine's text files as people and other programs write them: project files (the plug-in's own
// LoadedPoints.prj included), image lists, and session files read back field for field.
#include "image_list.h"
#include "pcv_test_support.h"
#include "project_file.h"
#include "session_file.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

using pcvtest::Narrow;

std::wstring Scratch() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    return testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
}

struct ProjectCase {
    const char* name;
    std::string text;
    bool ok;
    bool lidora;
    std::vector<std::wstring> blocks; // names, or the error's beginning when not ok
    const wchar_t* sourceOfFirst;     // relative to the scratch folder; null: none
};

TEST(ProjectFile, ReadsWhatPeopleAndThePluginWrite) {
    const ProjectCase cases[] = {
        {"the plug-in's LoadedPoints.prj",
         "[Ocularis project]\r\nStorage=Lidora\r\n\r\nBlock singleblock\r\n",
         true,
         true,
         {L"singleblock"},
         nullptr},
        {"LF line ends, blanks and comments",
         "  [Ocularis project]  \n; blocks\n# more\nBlock  north  \nBlock south\n",
         true,
         true,
         {L"north", L"south"},
         nullptr},
        {"a relative source folder",
         "[Ocularis project]\r\nStorage=scans\\site\r\nBlock north\r\n",
         true,
         false,
         {L"north"},
         L"scans\\site\\north.las"},
        {"a block named with its extension",
         "[Ocularis project]\r\nStorage=scans\r\nBlock tile.las\r\n",
         true,
         false,
         {L"tile.las"},
         L"scans\\tile.las.las"},
        {"unknown lines are ignored",
         "[Ocularis project]\r\nColour=red\r\nBlock a\r\nSomething\r\n",
         true,
         true,
         {L"a"},
         nullptr},
        {"UTF-8 names",
         "\xEF\xBB\xBF[Ocularis project]\r\nBlock Stra\xC3\x9F"
         "e\r\n",
         true,
         true,
         {L"Stra\u00DFe"},
         nullptr},
        {"8-bit names",
         "[Ocularis project]\r\nBlock Stra\xDF"
         "e\r\n",
         true,
         true,
         {L"Stra\u00DFe"},
         nullptr},
        {"no header", "Block a\r\n", false, false, {L"The file "}, nullptr},
        {"no blocks", "[Ocularis project]\r\nStorage=Lidora\r\n", false, false, {L"The project "}, nullptr},
        {"a block name with a colon",
         "[Ocularis project]\r\nBlock c:x\r\n",
         false,
         false,
         {L"The block name is not a usable file name in line 2 of "},
         nullptr},
        {"a block name too long",
         "[Ocularis project]\r\nBlock " + std::string(121, 'b') + "\r\n",
         false,
         false,
         {L"The block name is not a usable file name in line 2 of "},
         nullptr},
        {"an empty file", "", false, false, {L"The file "}, nullptr},
    };
    std::wstring folder = Scratch();
    for (const ProjectCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring path = folder + L"\\p" + std::to_wstring(&c - cases) + L".prj";
        ASSERT_TRUE(pcvtest::WriteText(path, c.text));
        ProjectFile project;
        wchar_t error[2048] = L"";
        bool ok = ProjectFileRead(path.c_str(), &project, error, 2048);
        ASSERT_EQ(ok, c.ok) << Narrow(error);
        if (!ok) {
            EXPECT_EQ(std::wstring(error).substr(0, c.blocks[0].size()), c.blocks[0]) << Narrow(error);
            continue;
        }
        EXPECT_EQ(project.lidoraStorage, c.lidora);
        ASSERT_EQ(project.blocks.size(), c.blocks.size());
        for (size_t i = 0; i < c.blocks.size(); ++i)
            EXPECT_EQ(std::wstring(project.blocks[i].name), c.blocks[i]);
        EXPECT_EQ(std::wstring(project.name), L"p" + std::to_wstring(&c - cases));
        EXPECT_EQ(std::wstring(project.folder), folder);
        std::wstring source = c.sourceOfFirst ? folder + L"\\" + c.sourceOfFirst : L"";
        EXPECT_EQ(std::wstring(project.blocks[0].source), source);
    }
}

TEST(ProjectFile, AMissingFileSaysSo) {
    ProjectFile project;
    wchar_t error[2048] = L"";
    std::wstring path = Scratch() + L"\\none.prj";
    EXPECT_FALSE(ProjectFileRead(path.c_str(), &project, error, 2048));
    EXPECT_EQ(std::wstring(error), L"The project file does not exist: " + path);
}

TEST(ImageList, CamerasWithTheirImagesAndTheAuxiliaryListAfterThem) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\a.txt", "[Ocularis image list]\r\n; x y z image\r\n"
                                                        "637012.5 849020.25 131 IMG 0001.jpg\r\n\r\n"
                                                        "1 2 3\tb.jpg\r\n"));
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\b.txt", "[Ocularis image list]\n-4 -5.5 6e1 aux.png\n"));
    ImageList list{};
    wchar_t error[2048] = L"";
    ASSERT_TRUE(
        ImageListAttach(&list, (folder + L"\\a.txt").c_str(), (folder + L"\\b.txt").c_str(), error, 2048))
        << Narrow(error);
    ASSERT_EQ(list.cameras.size(), 3u);
    EXPECT_EQ(list.cameras[0].position[0], 637012.5);
    EXPECT_EQ(list.cameras[0].position[1], 849020.25);
    EXPECT_STREQ(list.cameras[0].image, L"IMG 0001.jpg");
    EXPECT_STREQ(list.cameras[1].image, L"b.jpg");
    EXPECT_EQ(list.cameras[2].position[2], 60);
    EXPECT_TRUE(list.cameras[2].enabled);
    EXPECT_TRUE(list.attached);
}

TEST(ImageList, RefusesWhatIsNoList) {
    const struct {
        const char* text;
        const wchar_t* error;
    } cases[] = {
        {"x y z image\r\n", L"This is not an image list"},
        {"[Ocularis image list]\r\n1 2 image\r\n", L"Line 2 of the image list "},
        {"[Ocularis image list]\r\n1 2 3\r\n", L"Line 2 of the image list "},
        {"[Ocularis image list]\r\n1 2 3x.jpg\r\n", L"Line 2 of the image list "},
    };
    std::wstring folder = Scratch();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::wstring path = folder + L"\\bad.txt";
        ASSERT_TRUE(pcvtest::WriteText(path, c.text));
        ImageList list{};
        wchar_t error[2048] = L"";
        EXPECT_FALSE(ImageListAttach(&list, path.c_str(), nullptr, error, 2048));
        EXPECT_EQ(std::wstring(error).substr(0, wcslen(c.error)), c.error) << Narrow(error);
        EXPECT_FALSE(list.attached);
    }
    ImageList list{};
    wchar_t error[2048] = L"";
    EXPECT_FALSE(ImageListAttach(&list, (folder + L"\\none.txt").c_str(), nullptr, error, 2048));
    EXPECT_EQ(std::wstring(error).substr(0, 30), L"The image list does not exist:");
}

ProjectionImageData SampleView(int seed) {
    ProjectionImageData v;
    memset(&v, 0, sizeof(v)); // padding too, for the byte comparison below
    v.cameraPosition[0] = 637000.123456789 + seed;
    v.cameraPosition[1] = 849000.987654321;
    v.cameraPosition[2] = -12.5;
    v.flags = static_cast<uint32_t>(seed);
    v.nearDistance = 0.1f;
    v.farDistance = 12345.678f;
    v.stereoShift = -3.25f;
    v.heightToWidth = 2160.0f / 3960.0f;
    v.imageHeight = 2160;
    v.imageWidth = 3960;
    v.pageLockPriority = -7;
    v.nearDepthEstimate = 1.5f;
    v.highlightColor = 0xFFFF00;
    v.viewBoxNear = -1e30f;
    v.viewBoxFar = 3.0e38f;
    v.renderingMode = 7;
    v.shadingStrength = 0.25f;
    v.projectionScale1 = 2.75f;
    v.projectionScale2 = 1;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) v.rotation[r][c] = static_cast<float>(r * 3 + c) / 7.0f - 0.5f;
    v.pointSize = 2500.5f;
    v.pointSizeAttenuation = 0.125f;
    v.shadingRadius = 5;
    v.highlightFound = 1;
    v.cameraLensAngle = 0.7f;
    v.cameraFocalLength = 35.5f;
    v.farDepthEstimate = 999.25f;
    v.channel = 1u << 28;
    return v;
}

TEST(SessionFile, EverySavedValueReadsBackAsItWas) {
    std::wstring path = Scratch() + L"\\view.tss";
    SessionData* saved = new SessionData();
    wcscpy(saved->projectFile, L"Z:\\scans\\site.prj");
    saved->engineValue = -42;
    saved->cameraMask = 0x7FFFFFFF;
    wcscpy(saved->classFile, L"C:\\classes\\Stra\u00DFe 50%.ptc");
    wcscpy(saved->imageList, L"C:\\images\\list.txt");
    wcscpy(saved->imageListAux, L"");
    saved->views[0] = SampleView(0);
    saved->views[1] = SampleView(1);
    saved->visibleClasses.active = 1;
    for (int w = 0; w < 8; ++w) saved->visibleClasses.classes[w] = 0x80000001u * static_cast<uint32_t>(w + 1);
    saved->sessionClasses.active = 0;
    saved->sessionClasses.classes[3] = 0xDEADBEEF;
    wchar_t error[2048] = L"";
    ASSERT_TRUE(SessionWrite(path.c_str(), *saved, error, 2048)) << Narrow(error);
    EXPECT_TRUE(SessionFileIs(path.c_str()));
    SessionData* read = new SessionData();
    ASSERT_TRUE(SessionRead(path.c_str(), read, error, 2048)) << Narrow(error);
    EXPECT_STREQ(read->projectFile, saved->projectFile);
    EXPECT_EQ(read->engineValue, -42);
    EXPECT_EQ(read->cameraMask, 0x7FFFFFFF);
    EXPECT_STREQ(read->classFile, saved->classFile);
    EXPECT_STREQ(read->imageList, saved->imageList);
    EXPECT_STREQ(read->imageListAux, L"");
    EXPECT_EQ(memcmp(&read->visibleClasses, &saved->visibleClasses, sizeof(ClassificationMask256)), 0);
    EXPECT_EQ(memcmp(&read->sessionClasses, &saved->sessionClasses, sizeof(ClassificationMask256)), 0);
    for (int v = 0; v < 2; ++v) {
        // Every field but the image buffer, which is the engine's and not saved.
        ProjectionImageData want = saved->views[v];
        want.imageBuffer = nullptr;
        EXPECT_EQ(memcmp(&read->views[v], &want, sizeof(want)), 0) << "view " << v + 1;
    }
    delete saved;
    delete read;
}

TEST(SessionFile, RefusesWhatIsNoSessionAndIgnoresUnknownKeys) {
    std::wstring folder = Scratch();
    wchar_t error[2048] = L"";
    SessionData* s = new SessionData();
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\a.tss", "[Ocularis project]\r\nBlock a\r\n"));
    EXPECT_FALSE(SessionFileIs((folder + L"\\a.tss").c_str()));
    EXPECT_FALSE(SessionRead((folder + L"\\a.tss").c_str(), s, error, 2048));
    EXPECT_EQ(std::wstring(error).substr(0, 38), L"This is not an Ocularis session file (");
    ASSERT_TRUE(pcvtest::WriteText(
        folder + L"\\b.tss", "[Ocularis session]\nFuture=1\nView1.PointSize=12.5\nView3.PointSize=1\n"));
    ASSERT_TRUE(SessionRead((folder + L"\\b.tss").c_str(), s, error, 2048));
    EXPECT_EQ(s->views[0].pointSize, 12.5f);
    EXPECT_EQ(s->views[1].pointSize, 0.0f);
    EXPECT_FALSE(SessionRead((folder + L"\\none.tss").c_str(), s, error, 2048));
    EXPECT_EQ(std::wstring(error).substr(0, 32), L"The session file does not exist:");
    delete s;
}

TEST(SessionFile, AMovedProjectIsFoundBesideTheSession) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteText(folder + L"\\site.prj", "[Ocularis project]\r\nBlock a\r\n"));
    ASSERT_TRUE(
        pcvtest::WriteText(folder + L"\\v.tss", "[Ocularis session]\r\nProject=Q:\\gone\\site.prj\r\n"));
    wchar_t project[1024], error[2048] = L"";
    ASSERT_TRUE(SessionProjectOf((folder + L"\\v.tss").c_str(), project, 1024, error, 2048));
    EXPECT_EQ(std::wstring(project), folder + L"\\site.prj");
}

} // namespace
