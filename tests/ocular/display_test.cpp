// The display commands in the real host: the point size dragged out with the mouse through the host's
// own state-command machinery, the typed size, and the snap and visibility dialogs through their real
// windows. Settings are read back from ocular.upf, which the plug-in writes at unload.
#include <gtest/gtest.h>

#include "support/ocular_host.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <string>
#include <vector>

namespace {

using ocularhost::Install;
using ocularhost::Result;

// The text after "key=" on its line of ocular.upf, or "(missing)".
std::string UpfValue(const std::string& upf, const std::string& key) {
    size_t at = 0;
    while ((at = upf.find(key + "=", at)) != std::string::npos) {
        if (at == 0 || upf[at - 1] == '\n') {
            size_t begin = at + key.size() + 1;
            size_t end = upf.find_first_of("\r\n", begin);
            return upf.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        }
        at += key.size();
    }
    return "(missing)";
}

std::string Failure(const Result& run) {
    return hostrun::Joined(run.output) + "\n" + hostrun::Joined(run.errors);
}

// Views 0 (top, parallel) and 3 (camera) are large enough for drags of 300 pixels.
const char kViews[] = "view 0 size 500 360\n";

struct AdjustCase {
    const char* what;
    std::string script;
    const char* pointSize;         // camera views
    const char* pointSizeParallel; // parallel views
    const char* renderingMode;
};

const AdjustCase kAdjustCases[] = {
    {"plain points: 10 px right in a parallel view grows by 8 and turns channel colours on",
     "keyin plain points\nkeyin adjust point size\nclick 0 100 100\nmove 0 110 100\nclick 0 110 100\n",
     "0.00", "3008.00", "5"},
    {"high contrast stays; a typed 5 is where a camera view starts, 10 px left stops at 0",
     "keyin high  contrast\nkeyin adjust point size 5\nkeyin adjust point size\nclick 3 300 100\n"
     "move 3 290 100\nclick 3 290 100\n",
     "0.00", "3000.00", "3"},
    {"medium contrast stays; a long drag stops at 10000; a reset puts the start back",
     "keyin medium contrast\nkeyin adjust point size\nclick 0 50 100\nmove 0 450 100\nclick 0 450 100\n"
     "keyin adjust point size 9995\nkeyin adjust point size\nclick 3 50 100\nmove 3 450 300\nreset\n",
     "9995.00", "10000.00", "7"},
    {"drawn left and down from 3000, the amount is both and the sign is left's",
     "keyin adjust point size\nclick 1 300 100\nmove 1 290 110\nmove 1 280 120\nclick 1 280 120\n", "0.00",
     "2934.00", "5"},
    {"a typed size is taken unclamped, for the camera setting, whichever view is active",
     "view 0 activate\nkeyin adjust point size 7\nkeyin adjust point size -3\n", "-3.00", "3000.00", "5"},
};

TEST(PointSizeAdjustment, MouseAndTypedSizesReachTheSettings) {
    for (const AdjustCase& c : kAdjustCases) {
        Install install = ocularhost::MakeInstall(L"display_point_size");
        Result run = ocularhost::Run(install, std::string(kViews) + c.script);
        ASSERT_EQ(run.exitCode, 0) << c.what << "\n" << Failure(run);
        std::string upf = ocularhost::ReadSettingsFile(install, L"ocular.upf");
        EXPECT_EQ(UpfValue(upf, "PointSize"), c.pointSize) << c.what;
        EXPECT_EQ(UpfValue(upf, "PointSizeParallel"), c.pointSizeParallel) << c.what;
        EXPECT_EQ(UpfValue(upf, "RenderingMode"), c.renderingMode) << c.what;
    }
}

TEST(PointSizeAdjustment, PromptsAndRedrawsFollowTheThreeStates) {
    Install install = ocularhost::MakeInstall(L"display_point_size_states");
    Result run = ocularhost::Run(install, std::string(kViews) +
                                              "keyin adjust point size\nstatus\nclick 0 100 100\nstatus\n"
                                              "move 0 120 100\nclick 0 120 100\nstatus\n"
                                              "keyin adjust point size no number\nstatus\nreset\nstatus\n");
    ASSERT_EQ(run.exitCode, 0) << Failure(run);
    std::vector<std::string> status = hostrun::LinesStartingWith(run.output, "status ");
    ASSERT_EQ(status.size(), 5u) << Failure(run);
    EXPECT_NE(status[0].find("Start adjustment by entering a datapoint"), std::string::npos) << status[0];
    EXPECT_NE(status[0].find("Point Size Adjustment"), std::string::npos) << status[0];
    EXPECT_NE(status[1].find("Move mouse to Adjust"), std::string::npos) << status[1];
    EXPECT_EQ(status[2].find("Adjust"), std::string::npos) << "accepted: " << status[2];
    EXPECT_NE(status[3].find("Start adjustment by entering a datapoint"), std::string::npos)
        << "a text that is no number starts the adjustment: " << status[3];
    EXPECT_EQ(status[4].find("adjustment"), std::string::npos) << "reset: " << status[4];
    // The motion redraws the view it happened in, once per movement.
    std::vector<std::string> updates = ocularhost::CallsNamed(run.log, {"VwUpdate"});
    bool redrewView0 = false;
    for (const std::string& line : updates) redrewView0 |= line.find("viewIndex=0") != std::string::npos;
    EXPECT_TRUE(redrewView0) << hostrun::Joined(updates);
    // The reset before a first data point changed nothing: the size accepted before stays.
    std::string upf = ocularhost::ReadSettingsFile(install, L"ocular.upf");
    EXPECT_EQ(UpfValue(upf, "PointSizeParallel"), "3033.00");
}

TEST(PointCloudVisibility, WithoutAProjectOnlyTheMessage) {
    Install install = ocularhost::MakeInstall(L"display_visibility_none");
    Result run = ocularhost::Run(install, "keyin set point cloud visibility\n");
    ASSERT_EQ(run.exitCode, 0) << Failure(run);
    bool told = false;
    for (const std::wstring& text : run.messages)
        told |= text.find(L"No project loaded - cannot set channel and visibility.") == 0;
    EXPECT_TRUE(told) << run.messages.size() << " messages";
    EXPECT_TRUE(ocularhost::CallsNamed(run.log, {"CadFileColorFromIndex"}).empty())
        << "no colours are read without a project";
}

// The radio button of a channel in the visibility dialog.
HWND ChannelButton(HWND dialog, const wchar_t* name) {
    return ui::FindByText(dialog, name, L"Button");
}

TEST(PointCloudVisibility, TheDialogChangesTheChannelInPlaceWithTheDesignsColours) {
    Install install = ocularhost::MakeInstall(L"display_visibility");
    std::wstring design = install.root + L"\\classes.design";
    // Class 2 (ground) blue: the dialog's swatch shows the design file's colour, not a palette's.
    ASSERT_TRUE(testenv::WriteFileBytes(design, "color 2 0 0 255\n"));
    ocularhost::Running* host = ocularhost::Start(
        install, "keyin lidora generate 20000\nkeyin update loaded\ndesign open " +
                     ocularhost::Narrow(design) +
                     "\nkeyin set point cloud visibility\nkeyin set point cloud visibility\n");
    bool elevationFirst = false, classificationKept = false;
    for (int round = 0; round < 2; ++round) {
        HWND dialog = ui::WaitForWindow(L"Point Cloud Visibility", 90000, L"#32770");
        ASSERT_NE(dialog, nullptr) << "round " << round;
        HWND classification = ChannelButton(dialog, L"Classification");
        ASSERT_NE(classification, nullptr) << "round " << round;
        if (round == 0) {
            elevationFirst = ui::CheckState(ChannelButton(dialog, L"Elevation")) == BST_CHECKED;
            testenv::SaveScreenshot("ocular_visibility_dialog");
            ui::Click(classification);
            ui::WaitUntil([&] { return ui::CheckState(classification) == BST_CHECKED; });
            ui::Click(ui::FindByText(dialog, L"OK", L"Button"));
        } else {
            classificationKept = ui::CheckState(classification) == BST_CHECKED;
            testenv::SaveScreenshot("ocular_visibility_dialog_again");
            ui::Click(ui::FindByText(dialog, L"Cancel", L"Button"));
        }
        ui::WaitForWindowGone(dialog, 10000);
    }
    Result run = ocularhost::Finish(host, 180000);
    ASSERT_EQ(run.exitCode, 0) << Failure(run);
    EXPECT_TRUE(elevationFirst) << "the channel chosen by the load";
    EXPECT_TRUE(classificationKept) << "OK wrote the channel the plug-in shows";
    // Each run reads classes 0 to 254 afresh, asking for the active design file each time.
    std::vector<std::string> colours = ocularhost::CallsNamed(run.log, {"CadFileColorFromIndex"});
    ASSERT_EQ(colours.size(), 2u * 255u) << hostrun::Joined(colours);
    EXPECT_NE(colours[0].find("index=0 "), std::string::npos) << colours[0];
    EXPECT_NE(colours[254].find("index=254 "), std::string::npos) << colours[254];
    EXPECT_NE(colours[255].find("index=0 "), std::string::npos) << colours[255];
    EXPECT_GE(ocularhost::CallsNamed(run.log, {"CadFileGetActive"}).size(), 2u * 255u);
}

// The check box "View N" of the snap dialog.
HWND SnapViewBox(HWND dialog, int view) {
    return ui::FindByText(dialog, L"View " + std::to_wstring(view + 1), L"Button");
}

TEST(SnapSettings, TheDialogEditsTheSnappingMask) {
    Install install = ocularhost::MakeInstall(L"display_snap_settings");
    ocularhost::Running* host =
        ocularhost::Start(install, "keyin snap settings\nkeyin snap settings\nkeyin snap settings\n");
    std::vector<int> firstStates;
    bool radiusShown = true;
    for (int round = 0; round < 3; ++round) {
        HWND dialog = ui::WaitForWindow(L"Snap Settings", 60000, L"#32770");
        ASSERT_NE(dialog, nullptr) << "round " << round;
        if (round == 0) {
            for (int view = 0; view < 8; ++view)
                firstStates.push_back(ui::CheckState(SnapViewBox(dialog, view)));
            radiusShown = ui::FindByText(dialog, L"Snap radius (m):") != nullptr;
            testenv::SaveScreenshot("ocular_snap_settings");
            ui::Click(SnapViewBox(dialog, 0)); // off
            ui::Click(SnapViewBox(dialog, 7)); // on
            ui::WaitUntil([&] { return ui::CheckState(SnapViewBox(dialog, 7)) == BST_CHECKED; });
            ui::Click(ui::FindByText(dialog, L"OK", L"Button"));
        } else if (round == 1) {
            EXPECT_EQ(ui::CheckState(SnapViewBox(dialog, 0)), BST_UNCHECKED)
                << "the mask was changed in place";
            EXPECT_EQ(ui::CheckState(SnapViewBox(dialog, 7)), BST_CHECKED);
            ui::Click(SnapViewBox(dialog, 3));
            ui::WaitUntil([&] { return ui::CheckState(SnapViewBox(dialog, 3)) == BST_UNCHECKED; });
            ui::Click(ui::FindByText(dialog, L"Cancel", L"Button"));
        } else {
            EXPECT_EQ(ui::CheckState(SnapViewBox(dialog, 3)), BST_CHECKED) << "Cancel kept the mask";
            ui::Click(ui::FindByText(dialog, L"OK", L"Button"));
        }
        ui::WaitForWindowGone(dialog, 10000);
    }
    Result run = ocularhost::Finish(host);
    ASSERT_EQ(run.exitCode, 0) << Failure(run);
    EXPECT_EQ(firstStates, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 0})) << "the default mask 127";
    EXPECT_FALSE(radiusShown) << "the viewer keeps no snap radius for the dialog";
    std::string upf = ocularhost::ReadSettingsFile(install, L"ocular.upf");
    EXPECT_EQ(UpfValue(upf, "SnappingMask"), "254");
}

} // namespace
