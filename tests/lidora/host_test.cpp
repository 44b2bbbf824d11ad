// Lidora loaded into the real host and driven by scripts: the key-ins generate, load and clear points,
// a probe mini app reads them back through the five entry points, and the test answers the message
// boxes and the open-file dialog the way a person would.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host_script.h"
#include "lidora_probe.h"
#include "lidora_test_support.h"
#include "scene_generator.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

using lidoratest::Narrow;
using lidoratest::Utf8;

namespace {

// What one "probe lidora" wrote.
struct Probe {
    bool read = false;
    LidoraProbeHeader header{};
    std::vector<Point3Di> points;
    std::vector<unsigned char> classes;
    std::vector<unsigned short> intensities, colours;

    // The probed arrays as a cloud, for the comparison with a LAS file.
    LidoraCloud AsCloud() {
        LidoraCloud cloud{};
        cloud.count = header.count;
        cloud.points = points.data();
        cloud.classes = classes.data();
        cloud.intensities = intensities.data();
        cloud.colours = colours.data();
        cloud.divisor = header.divisor;
        for (int axis = 0; axis < 3; ++axis) cloud.offset[axis] = header.offset[axis];
        return cloud;
    }
};

template <typename T> bool Take(const std::string& bytes, size_t* at, T* target, size_t count) {
    size_t size = sizeof(T) * count;
    if (*at + size > bytes.size()) return false;
    memcpy(target, bytes.data() + *at, size);
    *at += size;
    return true;
}

Probe ReadProbe(const std::wstring& path) {
    Probe probe;
    std::string bytes;
    if (!testenv::ReadFileBytes(path, bytes)) return probe;
    size_t at = 0;
    if (!Take(bytes, &at, &probe.header, 1) || memcmp(probe.header.magic, "LIDPROBE", 8) != 0) return probe;
    size_t n =
        probe.header.count > 0 && !probe.header.nullArrays ? static_cast<size_t>(probe.header.count) : 0;
    probe.points.resize(n);
    probe.classes.resize(n);
    probe.intensities.resize(n);
    probe.colours.resize(3 * n);
    probe.read = Take(bytes, &at, probe.points.data(), n) && Take(bytes, &at, probe.classes.data(), n) &&
                 Take(bytes, &at, probe.intensities.data(), n) &&
                 Take(bytes, &at, probe.colours.data(), 3 * n) && at == bytes.size();
    return probe;
}

class LidoraInHost : public testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::ScratchFolder(L"lidora_host_" +
                                         Wide(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    static std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

    std::wstring ProbeFile(int n) const { return folder_ + L"\\probe" + std::to_wstring(n) + L".bin"; }
    std::string ProbeLine(int n) const { return "keyin probe lidora " + Utf8(ProbeFile(n)); }

    hostrun::Result Run(const std::vector<std::string>& lines, const std::function<void()>& during = {}) {
        hostrun::Result result = lidoratest::RunHostScript(
            L"lidora_host_run", {lidoratest::BinFolder() + L"\\lidor.ix", lidoratest::ProbeModule()}, lines,
            during);
        EXPECT_TRUE(result.started && !result.timedOut) << "the host did not run to its end";
        EXPECT_EQ(result.exitCode, 0) << hostrun::Joined(result.output) << hostrun::Joined(result.errors);
        return result;
    }

    std::wstring folder_;
};

// Answers the next Lidora message box with OK, keeping its text and a screenshot.
std::function<void()> AnswerMessages(std::vector<std::wstring>* texts, int count, const char* screenshot) {
    return [texts, count, screenshot] {
        for (int i = 0; i < count; ++i) {
            HWND box = ui::WaitForMessageBox(L"Lidora", 60000);
            if (!box) return;
            texts->push_back(ui::MessageBoxText(box));
            if (i == 0 && screenshot) testenv::SaveScreenshot(screenshot);
            ui::AnswerMessageBox(box, L"OK");
        }
    };
}

TEST_F(LidoraInHost, GeneratedSceneReachesOtherMiniAppsThroughTheEntryPoints) {
    Run({"keyin lidora generate 1000", ProbeLine(1), "keyin lidora generate", ProbeLine(2)});
    Probe small = ReadProbe(ProbeFile(1));
    ASSERT_TRUE(small.read);
    EXPECT_EQ(small.header.entryPoints, 5);
    EXPECT_EQ(small.header.count, 1000);
    EXPECT_EQ(small.header.divisor, 1000);
    EXPECT_EQ(small.header.offset[0], 637000.0);
    EXPECT_EQ(small.header.offset[1], 849000.0);
    EXPECT_EQ(small.header.offset[2], 100.0);
    EXPECT_EQ(small.header.nullArrays, 0);
    EXPECT_EQ(small.header.results[0], 1);

    // The same as the scene generated here: the key-in's count reaches the generator unchanged.
    LidoraCloud scene{};
    wchar_t error[kLidoraErrorChars];
    ASSERT_EQ(SceneGenerate(1000, &scene, error), 1);
    EXPECT_EQ(memcmp(small.points.data(), scene.points, 1000 * sizeof(Point3Di)), 0);
    EXPECT_EQ(memcmp(small.classes.data(), scene.classes, 1000), 0);
    EXPECT_EQ(memcmp(small.intensities.data(), scene.intensities, 2000), 0);
    EXPECT_EQ(memcmp(small.colours.data(), scene.colours, 6000), 0);
    CloudFree(&scene);

    Probe full = ReadProbe(ProbeFile(2));
    ASSERT_TRUE(full.read);
    EXPECT_EQ(full.header.count, 1000000); // the default count
    EXPECT_EQ(memcmp(full.points.data(), small.points.data(), 1000 * sizeof(Point3Di)), 0);
}

TEST_F(LidoraInHost, RealLasFilesLoadWithEveryCoordinateReproduced) {
    std::wstring samples = lidoratest::SampleFolder();
    ASSERT_FALSE(samples.empty());
    std::vector<std::wstring> texts;
    hostrun::Result result =
        Run({"keyin lidora load " + Utf8(samples + L"\\simple.las"), ProbeLine(1),
             "keyin lidora load \"" + Utf8(samples + L"\\vegetation_1_3.las") + "\"", ProbeLine(2),
             "keyin lidora load " + Utf8(samples + L"\\test1_4.las"), ProbeLine(3)},
            AnswerMessages(&texts, 0, "lidora_loads_samples"));
    // test1_4.las has no exact common scale: it loads rounded to its finest axis.
    const wchar_t* names[] = {L"simple.las", L"vegetation_1_3.las", L"test1_4.las"};
    for (int i = 0; i < 3; ++i) {
        Probe probe = ReadProbe(ProbeFile(i + 1));
        ASSERT_TRUE(probe.read) << Narrow(names[i]);
        lidoratest::LasContent las = lidoratest::ReadWholeLas(samples + L"\\" + names[i]);
        ASSERT_TRUE(las.error.empty());
        EXPECT_TRUE(lidoratest::ExpectCloudMatchesLas(probe.AsCloud(), las, i < 2)) << Narrow(names[i]);
    }
    EXPECT_TRUE(texts.empty());
}

TEST_F(LidoraInHost, GeneratedFilesWithUnequalScalesLoadExactly) {
    struct Case {
        const wchar_t* name;
        int minor, format;
        double scale[3];
    } cases[] = {{L"cm_cm_mm.las", 2, 3, {0.01, 0.01, 0.001}}, {L"mm_dm_cm.las", 4, 8, {0.001, 0.1, 0.01}}};
    std::vector<std::string> lines;
    for (int i = 0; i < 2; ++i) {
        std::wstring path = folder_ + L"\\" + cases[i].name;
        LasWriteOptions options = lidoratest::SceneOptions(cases[i].minor, cases[i].format, cases[i].scale[0],
                                                           cases[i].scale[1], cases[i].scale[2]);
        ASSERT_EQ(lidoratest::WriteSceneLas(path, options, 20000), L"");
        lines.push_back("keyin lidora load " + Utf8(path));
        lines.push_back(ProbeLine(i + 1));
    }
    Run(lines);
    for (int i = 0; i < 2; ++i) {
        Probe probe = ReadProbe(ProbeFile(i + 1));
        ASSERT_TRUE(probe.read);
        EXPECT_EQ(probe.header.divisor, 1000);
        EXPECT_TRUE(lidoratest::ExpectCloudMatchesLas(
            probe.AsCloud(), lidoratest::ReadWholeLas(folder_ + L"\\" + cases[i].name)))
            << Narrow(cases[i].name);
    }
}

TEST_F(LidoraInHost, ClearLeavesNothingAndBadArgumentsAreTold) {
    std::vector<std::wstring> texts;
    Run({"keyin lidora generate 500", "keyin lidora generate ten", ProbeLine(1),
         "keyin lidora load " + Utf8(folder_ + L"\\missing.las"), ProbeLine(2), "keyin lidora clear",
         ProbeLine(3)},
        AnswerMessages(&texts, 2, "lidora_bad_count"));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find(L"\"ten\" is not a point count"), std::wstring::npos) << Narrow(texts[0]);
    EXPECT_NE(texts[1].find(L"missing.las"), std::wstring::npos) << Narrow(texts[1]);
    // Neither refusal touched the points held before.
    EXPECT_EQ(ReadProbe(ProbeFile(1)).header.count, 500);
    EXPECT_EQ(ReadProbe(ProbeFile(2)).header.count, 500);
    Probe cleared = ReadProbe(ProbeFile(3));
    ASSERT_TRUE(cleared.read);
    EXPECT_EQ(cleared.header.entryPoints, 5);
    EXPECT_EQ(cleared.header.count, 0);
    EXPECT_EQ(cleared.header.nullArrays, 15);
    EXPECT_EQ(cleared.header.divisor, 1);
    EXPECT_EQ(cleared.header.results[0], 0);
}

// The file name field of the system's open-file dialog: an Edit inside the combo box of id 0x47C.
HWND FileNameField(HWND dialog) {
    HWND combo = GetDlgItem(dialog, 0x47C);
    HWND inner = combo ? FindWindowExW(combo, nullptr, L"ComboBox", nullptr) : nullptr;
    return FindWindowExW(inner ? inner : combo, nullptr, L"Edit", nullptr);
}

TEST_F(LidoraInHost, LoadWithoutAFileAsksForOneInTheOpenFileDialog) {
    std::wstring samples = lidoratest::SampleFolder();
    std::wstring chosen = samples + L"\\simple.las";
    bool filled = false;
    Run({"keyin lidora load", ProbeLine(1), "keyin lidora load", ProbeLine(2)}, [&] {
        // First time: choose simple.las; second time: cancel, which keeps it.
        HWND dialog = ui::WaitForWindow(L"Load LAS File into Lidora", 60000, L"#32770");
        if (!dialog) return;
        HWND edit = nullptr;
        ui::WaitUntil([&] { return (edit = FileNameField(dialog)) != nullptr; }, 5000);
        testenv::SaveScreenshot("lidora_open_file_dialog");
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
        filled = ui::Text(edit) == chosen;
        ui::Click(GetDlgItem(dialog, IDOK));
        ui::WaitForWindowGone(dialog, 10000);
        HWND again = ui::WaitForWindow(L"Load LAS File into Lidora", 60000, L"#32770");
        if (again) ui::Click(GetDlgItem(again, IDCANCEL));
    });
    EXPECT_TRUE(filled);
    Probe first = ReadProbe(ProbeFile(1));
    ASSERT_TRUE(first.read);
    EXPECT_EQ(first.header.count, 1065);
    EXPECT_TRUE(lidoratest::ExpectCloudMatchesLas(first.AsCloud(), lidoratest::ReadWholeLas(chosen)));
    EXPECT_EQ(ReadProbe(ProbeFile(2)).header.count, 1065);
}

TEST_F(LidoraInHost, UnloadingLidoraFreesItsArrays) {
    std::wstring memoryFile = folder_ + L"\\memory.bin";
    Run({"keyin lidora generate 300000", ProbeLine(1), "unload lidor", ProbeLine(2),
         "keyin probe memory " + Utf8(memoryFile)});
    Probe held = ReadProbe(ProbeFile(1));
    ASSERT_TRUE(held.read);
    EXPECT_EQ(held.header.count, 300000);
    Probe gone = ReadProbe(ProbeFile(2));
    EXPECT_EQ(gone.header.entryPoints, 0); // lidor.ix is no longer in the process
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(memoryFile, bytes));
    ASSERT_EQ(bytes.size(), sizeof(LidoraProbeMemory));
    LidoraProbeMemory memory{};
    memcpy(&memory, bytes.data(), sizeof memory);
    EXPECT_EQ(memory.address, held.header.pointsAddress);
    EXPECT_EQ(memory.state, static_cast<uint32_t>(MEM_FREE));
}

} // namespace
