// Projects in the real host with the real engine: the points Lidora holds become the plug-in's own
// project below its data folder and are shown, the reload brings them back, and the ways a load can
// be asked for (keyword, path, dialog) or refused.
#include "projects_fixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace projecttest;

// The stale storage of an earlier conversion, in the order the plug-in deletes it.
const wchar_t* const kStaleFiles[] = {
    L"octree\\singleblock.oct",      L"octree\\singleblock.c28",  L"octree\\singleblock.c07",
    L"octree\\singleblock.c05",      L"octree\\singleblock.c01",  L"octree\\LoadedPoints_STATS.c08",
    L"octree\\LoadedPoints_LUT.c05", L"octree\\LoadedPoints.oct", L"octree\\LoadedPoints.c28",
    L"octree\\LoadedPoints.c08",     L"octree\\LoadedPoints.c07", L"octree\\LoadedPoints.c05",
    L"octree\\LoadedPoints.c01",     L"octree\\LoadedPoints.inf", L"LoadedPoints.prj",
    L"LoadedPoints_shadow.prj",
};
const char kStaleBytes[] = "stale storage of an earlier conversion";
const char kLoadedPointsBytes[] = "[Ocularis project]\r\nStorage=Lidora\r\n\r\nBlock singleblock\r\n";

void PlantStaleFiles(const ocularhost::Install& install) {
    CreateDirectoryW(DataFolder(install).c_str(), nullptr);
    CreateDirectoryW((DataFolder(install) + L"\\octree").c_str(), nullptr);
    for (const wchar_t* name : kStaleFiles)
        ASSERT_TRUE(testenv::WriteFileBytes(DataFolder(install) + L"\\" + name, kStaleBytes)) << name;
}

// The stale files that still hold what was planted.
std::vector<std::wstring> StaleFilesLeft(const ocularhost::Install& install) {
    std::vector<std::wstring> left;
    for (const wchar_t* name : kStaleFiles)
        if (ReadBytes(DataFolder(install) + L"\\" + name) == kStaleBytes) left.push_back(name);
    return left;
}

// Messages beyond the start-up warning of the CPU fallback.
std::vector<std::wstring> LaterMessages(const ocularhost::Result& run) {
    std::vector<std::wstring> later;
    for (const std::wstring& text : run.messages)
        if (text.find(L"GPU") == std::wstring::npos && text.find(L"CPU") == std::wstring::npos)
            later.push_back(text);
    return later;
}

std::string Png(const ocularhost::Install& install, const char* name) {
    return ocularhost::Narrow(install.root) + "\\" + name + ".png";
}
std::wstring WPng(const ocularhost::Install& install, const char* name) {
    return Widen(Png(install, name));
}

// Runs the script and, once the host has saved the picture named, takes a screenshot of the screen.
ocularhost::Result RunWithScreenshot(const ocularhost::Install& install, const std::string& script,
                                     const std::wstring& lastPicture, const std::string& screenshot,
                                     ocularhost::RunOptions options = {}) {
    ocularhost::Running* running = ocularhost::Start(install, script + "wait 1500\n", options);
    if (ui::WaitUntil([&] { return Exists(lastPicture); }, 120000)) testenv::SaveScreenshot(screenshot);
    return ocularhost::Finish(running);
}

TEST(UpdateLoaded, EverySampleFileIsConvertedShownAndReloadedFromStorage) {
    const wchar_t* samples[] = {L"simple", L"vegetation_1_3", L"test1_4"};
    for (const wchar_t* sample : samples) {
        SCOPED_TRACE(ocularhost::Narrow(sample));
        std::wstring las = SampleLas(std::wstring(sample) + L".las");
        ASSERT_FALSE(las.empty());
        Range range{};
        ASSERT_TRUE(LasRange(las, &range));
        ocularhost::Install install = ocularhost::MakeInstall(std::wstring(L"update_") + sample);
        PlantStaleFiles(install);
        RemovalWatcher octree(DataFolder(install) + L"\\octree"), data(DataFolder(install));
        ASSERT_TRUE(octree.Watching() && data.Watching());

        std::string script = FitLine(0, range) + "save 0 " + Png(install, "empty") + "\n" +
                             "keyin lidora load " + ocularhost::Narrow(las) + "\n" + "keyin update loaded\n" +
                             "save 0 " + Png(install, "converted") + "\n" +
                             // Lidora's arrays gone: what the reload shows comes from the storage.
                             "keyin lidora clear\nkeyin reload\n" + "save 0 " + Png(install, "reloaded") +
                             "\n";
        ocularhost::Result run = RunWithScreenshot(install, script, WPng(install, "reloaded"),
                                                   "update_loaded_" + ocularhost::Narrow(sample));
        ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
        EXPECT_TRUE(LaterMessages(run).empty()) << Joined(run.messages);

        // The order within each folder: the block's files and the project's, then the two beside them.
        std::vector<std::wstring> removed = octree.Stop();
        for (std::wstring& name : removed) name = L"octree\\" + name;
        removed.resize(std::min<size_t>(removed.size(), 14));
        std::vector<std::wstring> besides = data.Stop();
        removed.insert(removed.end(), besides.begin(), besides.begin() + std::min<size_t>(besides.size(), 2));
        EXPECT_EQ(removed, std::vector<std::wstring>(std::begin(kStaleFiles), std::end(kStaleFiles)))
            << Joined(removed);
        EXPECT_EQ(std::vector<std::wstring>(removed.begin(), removed.begin() + std::size(kStaleFiles)),
                  std::vector<std::wstring>(std::begin(kStaleFiles), std::end(kStaleFiles)))
            << Joined(removed);
        EXPECT_TRUE(StaleFilesLeft(install).empty()) << Joined(StaleFilesLeft(install));
        EXPECT_EQ(ReadBytes(DataFolder(install) + L"\\LoadedPoints.prj"), kLoadedPointsBytes);
        EXPECT_TRUE(Exists(DataFolder(install) + L"\\octree\\LoadedPoints.oct"));

        long cloud = DifferingPixels(WPng(install, "empty"), WPng(install, "converted"));
        EXPECT_GT(cloud, 200) << "the converted cloud is shown";
        EXPECT_EQ(DifferingPixels(WPng(install, "converted"), WPng(install, "reloaded")), 0)
            << "the reload shows the same cloud";
    }
}

TEST(LoadProject, OnlyExactKeywordsReloadAndOtherTextsArePaths) {
    ocularhost::Install install = ocularhost::MakeInstall(L"load_arguments");
    Range range{};
    std::wstring las = SampleLas(L"simple.las");
    ASSERT_TRUE(LasRange(las, &range));
    std::string tooLong = "Z:\\" + std::string(1100, 'p') + ".prj";
    std::string script = FitLine(0, range) + "save 0 " + Png(install, "empty") + "\n" + "keyin lidora load " +
                         ocularhost::Narrow(las) + "\nkeyin update loaded\nkeyin lidora clear\n" + "save 0 " +
                         Png(install, "loaded") + "\n" + "keyin load project " + tooLong + "\n" + "save 0 " +
                         Png(install, "too_long") + "\n" + "keyin load project Reload\nredraw\n" + "save 0 " +
                         Png(install, "mixed_case") + "\n" + "keyin load project reload\n" + "save 0 " +
                         Png(install, "lower_case") + "\n" +
                         "keyin load project Z:\\no\\such\\folder\\x.prj\n" + "keyin load project RELOAD\n" +
                         "save 0 " + Png(install, "upper_case") + "\n" +
                         "keyin load project Z:\\no\\such\\folder\\x.prj\n" + "menu Ocularis/Reload\n" +
                         "save 0 " + Png(install, "menu") + "\n";
    BoxAnswerer boxes({L"Lidora Project"});
    ocularhost::Result run = ocularhost::Run(install, script);
    std::vector<std::wstring> boxTexts = boxes.Stop();
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);

    EXPECT_GT(DifferingPixels(WPng(install, "empty"), WPng(install, "loaded")), 200);
    // Refused before anything happened: the project stays.
    ASSERT_EQ(LaterMessages(run), std::vector<std::wstring>{L"The path is too long."})
        << Joined(run.messages);
    EXPECT_EQ(DifferingPixels(WPng(install, "loaded"), WPng(install, "too_long")), 0);
    // "Reload" is a file that does not exist: GuiDlg says so, and the engine has been cleared.
    ASSERT_EQ(boxTexts.size(), 3u) << Joined(boxTexts);
    EXPECT_NE(boxTexts[0].find(L"\"Reload\""), std::wstring::npos) << Joined(boxTexts);
    EXPECT_EQ(DifferingPixels(WPng(install, "empty"), WPng(install, "mixed_case")), 0);
    EXPECT_NE(boxTexts[1].find(L"x.prj"), std::wstring::npos) << Joined(boxTexts);
    for (const char* picture : {"lower_case", "upper_case", "menu"})
        EXPECT_EQ(DifferingPixels(WPng(install, "loaded"), WPng(install, picture)), 0) << picture;
}

TEST(LoadProject, TheOpenDialogCancelledKeepsTheProjectAndConfirmedLoadsAndRemembersTheFile) {
    ocularhost::Install install = ocularhost::MakeInstall(L"open_dialog");
    DeleteFileW(HostPreferencesFile(install).c_str());
    Range range{};
    std::wstring las = SampleLas(L"vegetation_1_3.las");
    ASSERT_TRUE(LasRange(las, &range));
    // The reload after the conversion, with no session, is the only other way to this file.
    std::wstring project = DataFolder(install) + L"\\LoadedPoints.prj";
    std::string script = FitLine(0, range) + "save 0 " + Png(install, "empty") + "\n" + "keyin lidora load " +
                         ocularhost::Narrow(las) + "\nkeyin update loaded\nkeyin lidora clear\n" + "save 0 " +
                         Png(install, "loaded") + "\n" + "keyin load project\n" + "save 0 " +
                         Png(install, "cancelled") + "\n" + "keyin load project\n" + "save 0 " +
                         Png(install, "chosen") + "\n";
    FileDialogUser cancel{L"Open Lidora Project or Ocularis Session", L"", "open_dialog_first"};
    FileDialogUser choose{L"Open Lidora Project or Ocularis Session", project, "open_dialog_second"};
    ocularhost::Running* running = ocularhost::Start(install, script);
    ActOnFileDialog(&cancel);
    ActOnFileDialog(&choose);
    ocularhost::Result run = ocularhost::Finish(running);
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);

    EXPECT_TRUE(cancel.found && cancel.closed);
    EXPECT_TRUE(choose.found && choose.closed);
    EXPECT_EQ(DifferingPixels(WPng(install, "loaded"), WPng(install, "cancelled")), 0);
    EXPECT_EQ(DifferingPixels(WPng(install, "loaded"), WPng(install, "chosen")), 0);
    EXPECT_GT(DifferingPixels(WPng(install, "empty"), WPng(install, "chosen")), 200);
    // The choice is remembered under the dialog's key, for the next dialog to start from.
    std::string hostPreferences = ReadBytes(HostPreferencesFile(install));
    EXPECT_NE(hostPreferences.find("Project/Session File=" + ocularhost::Narrow(project)), std::string::npos)
        << hostPreferences;
}

TEST(LoadProject, TheEnginesErrorIsShownAsItStandsPercentSignsIncluded) {
    ocularhost::Install install = ocularhost::MakeInstall(L"engine_error");
    // Storage only, and none there: the engine fails on its worker and names the project file.
    std::wstring folder = install.root + L"\\pct100%s%d%%";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring project = folder + L"\\nothing.prj";
    ASSERT_TRUE(testenv::WriteFileBytes(project,
                                        "[Ocularis project]\r\nStorage=Lidora\r\n\r\nBlock singleblock\r\n"));
    ocularhost::Result run =
        ocularhost::Run(install, "keyin load project " + ocularhost::Narrow(project) + "\n");
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
    std::vector<std::wstring> later = LaterMessages(run);
    ASSERT_EQ(later.size(), 1u) << Joined(run.messages);
    EXPECT_NE(later[0].find(project), std::wstring::npos) << Joined(later);
    EXPECT_NE(later[0].find(L"missing or damaged"), std::wstring::npos) << Joined(later);
}

TEST(UpdateLoaded, WithoutLidoraNothingIsTouched) {
    ocularhost::Install install = ocularhost::MakeInstall(L"update_no_lidora");
    PlantStaleFiles(install);
    ocularhost::RunOptions options;
    options.lidora = false;
    ocularhost::Result run = ocularhost::Run(install, "keyin update loaded\n", options);
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
    EXPECT_EQ(StaleFilesLeft(install).size(), std::size(kStaleFiles));
    EXPECT_TRUE(LaterMessages(run).empty()) << Joined(run.messages);
}

TEST(UpdateLoaded, UnusablePointCountsAndDivisorsLeaveTheStorageAlone) {
    ocularhost::RunOptions options;
    options.lidora = false;
    options.extraApps = {hostrun::BuildPath(L"tests\\ocular\\fake_lidora\\lidor.ix")};
    struct Case {
        const char* name;
        const char* counts;
        bool converted;
    };
    const Case cases[] = {
        {"divisor_zero", "64 0", false},
        {"divisor_negative", "64 -1000", false},
        {"count_above_32_bits", "4294967306 1000", false},
        {"count_negative", "-5 1000", false},
        {"no_points", "0 1000", false},
        {"usable", "64 1000", true}, // the stand-in itself converts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ocularhost::Install install = ocularhost::MakeInstall(Widen(std::string("update_fake_") + c.name));
        PlantStaleFiles(install);
        ocularhost::Result run = ocularhost::Run(
            install, std::string("keyin fakelidora set ") + c.counts + "\nkeyin update loaded\n", options);
        ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
        ASSERT_FALSE(hostrun::FirstLineStartingWith(run.output, "fakelidora count=").empty())
            << hostrun::Joined(run.output);
        EXPECT_EQ(StaleFilesLeft(install).size(), c.converted ? 0u : std::size(kStaleFiles));
        EXPECT_EQ(ReadBytes(DataFolder(install) + L"\\LoadedPoints.prj"),
                  c.converted ? kLoadedPointsBytes : kStaleBytes);
        EXPECT_TRUE(LaterMessages(run).empty()) << Joined(run.messages);
    }
}

} // namespace
