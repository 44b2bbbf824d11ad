// GuiDlg.dll as the viewer meets it: with the real engine, a project converted from LAS files, class
// files, and the dialogs driven through their windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "channel_table.h"
#include "class_mask.h"
#include "dialog_driver.h"
#include "guidlg.h"
#include "las_writer.h"
#include "pcv.h"
#include "snap_dialog.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"
#include "visibility_dialog.h"

using guidlg_test::ClickRowCheckBox;
using guidlg_test::RowChecked;
using guidlg_test::RowCount;
using guidlg_test::RowOfClass;
using guidlg_test::RowText;
using guidlg_test::WaitForDialog;
using guidlg_test::WaitForRowChecked;

namespace {

const wchar_t kProjectCaption[] = L"Lidora Project";
const wchar_t kClassCaption[] = L"Point Classes";

// Points of three classes on a grid: 1500 ground, 900 trees, 600 buildings.
constexpr int kGround = 1500, kTrees = 900, kBuildings = 600;

std::string Narrow(const std::wstring& text) {
    std::string s;
    for (wchar_t c : text) s += static_cast<char>(c < 128 ? c : '?');
    return s;
}

std::wstring WriteBlock(const std::wstring& path, int format) {
    LasWriteOptions options{};
    options.versionMinor = 2;
    options.pointFormat = static_cast<uint8_t>(format);
    for (int axis = 0; axis < 3; ++axis) options.scale[axis] = 0.01;
    options.offset[0] = 637000;
    options.offset[1] = 849000;
    options.offset[2] = 100;
    LasWriter writer{};
    wchar_t error[kLasErrorChars] = L"";
    if (!LasCreate(&writer, path.c_str(), options, error, kLasErrorChars)) return error;
    std::vector<LasPoint> points(kGround + kTrees + kBuildings);
    for (size_t i = 0; i < points.size(); ++i) {
        LasPoint& p = points[i];
        p.x = static_cast<int32_t>(i % 60) * 100;
        p.y = static_cast<int32_t>(i / 60) * 100;
        p.classification = i < kGround ? 2 : i < kGround + kTrees ? 5 : 6;
        p.z = p.classification == 2 ? 0 : p.classification == 5 ? 800 : 1200;
        p.intensity = static_cast<uint16_t>(1000 + i * 7);
        p.returnNumber = 1;
        p.numberOfReturns = 1;
        p.red = p.green = p.blue = static_cast<uint16_t>(i * 20);
    }
    if (!LasWritePoints(&writer, points.data(), static_cast<uint32_t>(points.size()))) return L"write failed";
    return LasFinish(&writer) ? L"" : L"finish failed";
}

bool WaitForEngine() {
    return ui::WaitUntil([] { return pcvCalculateGetProgressStatus() == 100; }, 120000);
}

class GuiDlgWithEngine : public testing::Test {
protected:
    static void SetUpTestSuite() {
        pcvDllInit();
        pcvSetCpuMode(true);
        root_ = testenv::ScratchFolder(L"guidlg_engine_root");
        pcvInit(200, 400, 0, false, root_.c_str());
    }
    static void TearDownTestSuite() { pcvFree(); }

    // A project of one block converted and loaded through GuiDlg, as the viewer opens it.
    void OpenProject(int format) {
        folder_ = testenv::ScratchFolder(L"guidlg_project_" + std::to_wstring(format));
        ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\las").c_str(), nullptr));
        ASSERT_EQ(WriteBlock(folder_ + L"\\las\\grid.las", format), L"");
        project_ = folder_ + L"\\site.prj";
        ASSERT_TRUE(
            testenv::WriteFileBytes(project_, "[Ocularis project]\r\nStorage=las\r\n\r\nBlock grid\r\n"));
        pcvReInit();
        ASSERT_EQ(GuiDlg_ConvertLidoraProject(project_.c_str(), false, false, 0), 1);
        ASSERT_TRUE(WaitForEngine());
        wchar_t error[PCV_TEXT_CHARS] = L"";
        ASSERT_FALSE(pcvGetError(error)) << Narrow(error);
        ASSERT_TRUE(pcvIsProjectLoaded());
    }

    static std::wstring root_;
    std::wstring folder_, project_;
};
std::wstring GuiDlgWithEngine::root_;

// Runs call here while script drives the window titled title from another thread.
template <typename Call>
auto Beside(const std::wstring& title, const std::function<void(HWND)>& script, Call call) {
    ui::Beside driver(title, [&] {
        HWND window = WaitForDialog(title);
        if (window) script(window);
    });
    return call();
}

TEST_F(GuiDlgWithEngine, ConvertRefusesWhatIsNoProjectWithItsOwnMessage) {
    std::wstring folder = testenv::ScratchFolder(L"guidlg_not_projects");
    std::wstring text = folder + L"\\notes.prj";
    ASSERT_TRUE(testenv::WriteFileBytes(text, "a shopping list\r\n"));
    struct Case {
        std::wstring path;
        const wchar_t* reasonPart;
    } cases[] = {{folder + L"\\missing.prj", L"does not exist"}, {text, L"neither a Lidora project"}};
    for (const Case& c : cases) {
        std::wstring shown;
        int result = Beside(
            kProjectCaption,
            [&](HWND box) {
                shown = ui::MessageBoxText(box);
                testenv::SaveScreenshot("guidlg_convert_refused");
                ui::AnswerMessageBox(box, L"OK");
            },
            [&] { return GuiDlg_ConvertLidoraProject(c.path.c_str(), false, false, 0); });
        EXPECT_EQ(result, 0);
        EXPECT_NE(shown.find(c.reasonPart), std::wstring::npos) << Narrow(shown);
        EXPECT_NE(shown.find(c.path), std::wstring::npos) << Narrow(shown);
    }
}

TEST_F(GuiDlgWithEngine, ASessionLoadsTheProjectItNames) {
    OpenProject(3);
    std::wstring session = folder_ + L"\\view.tss";
    ASSERT_TRUE(pcvSaveSession(session.c_str(), 0, 0, L"", L"", L""));
    pcvReInit();
    ASSERT_FALSE(pcvIsProjectLoaded());
    ASSERT_EQ(GuiDlg_ConvertLidoraProject(session.c_str(), false, false, 0), 1);
    ASSERT_TRUE(WaitForEngine());
    wchar_t error[PCV_TEXT_CHARS] = L"";
    EXPECT_FALSE(pcvGetError(error)) << Narrow(error);
    ASSERT_TRUE(pcvIsProjectLoaded());
    wchar_t loaded[PCV_TEXT_CHARS] = L"";
    ASSERT_EQ(pcvGetProjectFile(loaded), 1);
    EXPECT_EQ(_wcsicmp(loaded, project_.c_str()), 0) << Narrow(loaded);
}

TEST_F(GuiDlgWithEngine, WithoutTheDialogTheChannelIsCheckedAgainstTheProject) {
    for (int format : {3, 1}) {
        OpenProject(format);
        unsigned long long channels = pcvGetProjectChannelMask();
        EXPECT_TRUE(channels & 1) << "every project has elevation";
        EXPECT_EQ((channels >> 7) & 1, format == 3 ? 1u : 0u) << "RGB colour only where the file has it";
        ClassificationMask256 mask{};
        ClassMaskShowAll(&mask);
        ClassMaskSetVisible(&mask, 6, false);
        ClassificationMask256 before = mask;
        unsigned int option = 2;
        // Channel widths: elevation 4 bytes a point, intensity 2, classification 1, RGB colour 3.
        struct Case {
            unsigned int asked;
            int maxWidth;
            unsigned int expected;
        } cases[] = {{7, 4, format == 3 ? 7u : 0u}, {5, 4, 5}, {3, 4, 0}, {0, 0, 0}, {28, 4, 28},
                     {7, 3, format == 3 ? 7u : 1u}, {7, 2, 1}, {0, 1, 5}, {5, 1, 5}};
        for (const Case& c : cases) {
            unsigned int channel = c.asked;
            EXPECT_EQ(GuiDlg_setVisibility(&mask, &channel, &option, false, c.maxWidth), 1);
            EXPECT_EQ(channel, c.expected) << format << " " << c.asked << " " << c.maxWidth;
        }
        EXPECT_EQ(memcmp(&mask, &before, sizeof mask), 0) << "no dialog, no change to the classes";
        EXPECT_EQ(option, 2u);
    }
}

TEST_F(GuiDlgWithEngine, TheDialogShowsTheProjectsChannelsAndClassesAndOkWritesThem) {
    OpenProject(3);
    // Class names from the class file, colours from the viewer's table.
    ASSERT_TRUE(
        testenv::WriteFileBytes(folder_ + L"\\city.ptc", "6, Houses, 200 60 60, 1\n5, Trees, 0 150 0, 1\n"));
    ClassificationMask256 mask{};
    ASSERT_EQ(GuiDlg_initClassificationMaskForProject(&mask, project_.c_str(), folder_.c_str(), L"city.ptc"),
              1);
    static unsigned int colours[256][3];
    for (int c = 0; c < 256; ++c) colours[c][0] = colours[c][1] = colours[c][2] = 0;
    colours[2][0] = 255; // ground red in the viewer's table
    ASSERT_EQ(GuiDlg_updateClassificationColorTable(colours), 1);

    unsigned int channel = 7, option = 2;
    std::vector<std::wstring> radios, rows;
    int result = Beside(
        kVisibilityTitle,
        [&](HWND dialog) {
            for (int i = 0; i < kChannelCount; ++i)
                if (HWND radio = GetDlgItem(dialog, kVisibilityChannelFirst + i))
                    radios.push_back(ui::Text(radio));
            HWND list = GetDlgItem(dialog, kVisibilityClassList);
            for (int row = 0; row < RowCount(list); ++row)
                rows.push_back(RowText(list, row, 0) + L" " + RowText(list, row, 1) + L" " +
                               RowText(list, row, 2));
            testenv::SaveScreenshot("guidlg_dll_visibility");
            ui::Click(ui::FindByText(dialog, L"Classification", L"Button"));
            ClickRowCheckBox(list, RowOfClass(list, 5));
            WaitForRowChecked(list, RowOfClass(list, 5), false);
            ui::Click(GetDlgItem(dialog, IDOK));
        },
        [&] { return GuiDlg_setVisibility(&mask, &channel, &option, true, 4); });
    ASSERT_EQ(result, 1);
    std::vector<std::wstring> expectedRadios;
    for (int i = 0; i < kChannelCount; ++i)
        if (ChannelInMask(kChannels[i].number, pcvGetProjectChannelMask()))
            expectedRadios.push_back(kChannels[i].name);
    EXPECT_EQ(radios, expectedRadios);
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"2 Ground 1,500", L"5 Trees 900", L"6 Houses 600"}));
    EXPECT_EQ(channel, 5u);
    EXPECT_EQ(mask.active, 1u);
    EXPECT_FALSE(ClassMaskIsVisible(mask, 5));
    EXPECT_TRUE(ClassMaskIsVisible(mask, 2));
    EXPECT_TRUE(ClassMaskIsVisible(mask, 6));
    GuiDlg_updateClassificationColorTable(nullptr);
}

TEST_F(GuiDlgWithEngine, CancelChangesNothingAndWithoutAProjectNothingHappens) {
    OpenProject(3);
    ClassificationMask256 mask{};
    ClassMaskShowAll(&mask);
    unsigned int channel = 7, option = 2;
    std::vector<std::wstring> radios;
    int result = Beside(
        kVisibilityTitle,
        [&](HWND dialog) {
            for (int i = 0; i < kChannelCount; ++i)
                if (HWND radio = GetDlgItem(dialog, kVisibilityChannelFirst + i))
                    radios.push_back(ui::Text(radio));
            HWND list = GetDlgItem(dialog, kVisibilityClassList);
            ui::Click(ui::FindByText(dialog, L"Classification", L"Button"));
            ClickRowCheckBox(list, RowOfClass(list, 2));
            WaitForRowChecked(list, RowOfClass(list, 2), false);
            ui::Click(GetDlgItem(dialog, IDCANCEL));
        },
        // At most 2 bytes a point: elevation and RGB colour are not offered.
        [&] { return GuiDlg_setVisibility(&mask, &channel, &option, true, 2); });
    EXPECT_EQ(radios, (std::vector<std::wstring>{L"Intensity", L"Classification", L"Return number"}));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(channel, 7u);
    EXPECT_TRUE(ClassMaskIsVisible(mask, 2));

    pcvReInit();
    ASSERT_FALSE(pcvIsProjectLoaded());
    channel = 3;
    EXPECT_EQ(GuiDlg_setVisibility(&mask, &channel, &option, false, 0), 0);
    EXPECT_EQ(GuiDlg_setVisibility(&mask, &channel, &option, true, 0), 0); // no dialog opens
    EXPECT_EQ(channel, 3u);
    EXPECT_EQ(GuiDlg_setVisibility(nullptr, &channel, &option, false, 0), 0);
}

TEST_F(GuiDlgWithEngine, ClassFilesSetTheMaskOrAreRefusedWithTheirLine) {
    std::wstring folder = testenv::ScratchFolder(L"guidlg_class_files");
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\classes").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\classes\\good.ptc",
                                        "6, Building, 1 2 3, 0\n7, Noise, 1 2 3, 0\n"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\classes\\bad.ptc",
                                        "2, Ground, 1 2 3, 1\n\n6, Building, 1 2 3\n"));
    ClassificationMask256 mask{};
    EXPECT_EQ(GuiDlg_initClassificationMaskForProject(&mask, L"x.prj", folder.c_str(), L"classes\\good.ptc"),
              1);
    EXPECT_EQ(mask.active, 1u);
    EXPECT_FALSE(ClassMaskIsVisible(mask, 6));
    EXPECT_FALSE(ClassMaskIsVisible(mask, 7));
    EXPECT_TRUE(ClassMaskIsVisible(mask, 2));

    // A missing file, or none named: every class shown, without a word.
    EXPECT_EQ(GuiDlg_initClassificationMaskForProject(&mask, L"x.prj", folder.c_str(), L"classes\\none.ptc"),
              0);
    for (uint32_t word : mask.classes) EXPECT_EQ(word, 0xFFFFFFFFu);
    mask = {};
    EXPECT_EQ(GuiDlg_initClassificationMaskForProject(&mask, L"x.prj", folder.c_str(), L""), 0);
    EXPECT_EQ(mask.active, 1u);
    for (uint32_t word : mask.classes) EXPECT_EQ(word, 0xFFFFFFFFu);

    // A malformed file: the user is told the line, and every class is shown.
    std::wstring shown;
    int result = Beside(
        kClassCaption,
        [&](HWND box) {
            shown = ui::MessageBoxText(box);
            testenv::SaveScreenshot("guidlg_bad_class_file");
            ui::AnswerMessageBox(box, L"OK");
        },
        [&] {
            return GuiDlg_initClassificationMaskForProject(&mask, L"x.prj", folder.c_str(),
                                                           L"classes\\bad.ptc");
        });
    EXPECT_EQ(result, 0);
    EXPECT_NE(shown.find(L"line 3"), std::wstring::npos) << Narrow(shown);
    EXPECT_NE(shown.find(L"bad.ptc"), std::wstring::npos) << Narrow(shown);
    for (uint32_t word : mask.classes) EXPECT_EQ(word, 0xFFFFFFFFu);
    EXPECT_EQ(
        GuiDlg_initClassificationMaskForProject(nullptr, L"x.prj", folder.c_str(), L"classes\\good.ptc"), 0);
}

TEST_F(GuiDlgWithEngine, SnapSettingsThroughTheDll) {
    int mask = 127;
    int result = Beside(
        kSnapTitle,
        [&](HWND dialog) {
            ui::Click(GetDlgItem(dialog, kSnapViewFirst + 7));
            ui::WaitUntil(
                [&] { return ui::CheckState(GetDlgItem(dialog, kSnapViewFirst + 7)) == BST_CHECKED; });
            ui::Click(GetDlgItem(dialog, IDOK));
        },
        [&] { return GuiDlg_openSnapSettings(&mask, nullptr, nullptr); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(mask, 255);
    result = Beside(
        kSnapTitle, [&](HWND dialog) { ui::PressKeyInFocus(dialog, VK_ESCAPE); },
        [&] { return GuiDlg_openSnapSettings(&mask, nullptr, nullptr); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(mask, 255);
    EXPECT_EQ(GuiDlg_openSnapSettings(nullptr, nullptr, nullptr), 0);
}

} // namespace
