// The visibility and snap settings dialogs on real windows: a second thread finds them by title,
// clicks radio buttons, list check boxes and buttons, types and presses keys, and the test checks
// what the dialog wrote into the caller's variables.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "channel_table.h"
#include "class_listing.h"
#include "class_mask.h"
#include "dialog_driver.h"
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

constexpr unsigned long long kFourChannels = (1ull << 0) | (1ull << 1) | (1ull << 5) | (1ull << 7);

HWND RadioOf(HWND dialog, unsigned int channel) {
    for (int i = 0; i < kChannelCount; ++i)
        if (kChannels[i].number == channel) return GetDlgItem(dialog, kVisibilityChannelFirst + i);
    return nullptr;
}

class VisibilityDialogTest : public testing::Test {
protected:
    void SetUp() override {
        unsigned long long counts[256] = {};
        counts[2] = 1000;
        counts[5] = 250;
        counts[6] = 1234567;
        PointClassTable table{};
        table.classes[6] = {true, true, 200, 60, 60, L"Houses"};
        static unsigned int colours[256][3];
        for (int c = 0; c < 256; ++c) {
            colours[c][0] = (c * 40) % 256;
            colours[c][1] = (c * 90) % 256;
            colours[c][2] = (c * 150) % 256;
        }
        ClassListingBuild(counts, &table, colours, &listing_);
        request_.channelMask = kFourChannels;
        request_.classes = &listing_;
        request_.channel = 7;
        ClassMaskShowAll(&request_.mask);
        ClassMaskSetVisible(&request_.mask, 100, false); // a class without points keeps its bit
        request_.option = 2;
        choice_.channel = 999;
        choice_.option = 999;
    }

    // Runs the dialog here while script drives it from another thread; script gets the dialog.
    int Run(const std::function<void(HWND)>& script) {
        int result = -2;
        {
            ui::Beside driver(kVisibilityTitle, [&] {
                HWND dialog = WaitForDialog(kVisibilityTitle);
                if (dialog) script(dialog);
            });
            result = VisibilityDialogRun(nullptr, request_, &choice_);
        }
        return result;
    }

    static ClassListing listing_;
    VisibilityRequest request_{};
    VisibilityChoice choice_{};
};
ClassListing VisibilityDialogTest::listing_;

TEST_F(VisibilityDialogTest, OkWritesTheChosenChannelAndTheClassesClicked) {
    std::wstring seen;
    int rows = 0;
    bool rgbChecked = false, returnNumberShown = true, unchecked = false;
    int result = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kVisibilityClassList);
        rows = RowCount(list);
        int houses = RowOfClass(list, 6);
        seen = RowText(list, houses, 0) + L"|" + RowText(list, houses, 1) + L"|" + RowText(list, houses, 2);
        rgbChecked = ui::CheckState(RadioOf(dialog, 7)) == BST_CHECKED;
        returnNumberShown = ui::FindByText(dialog, L"Return number", L"Button") != nullptr;
        testenv::SaveScreenshot("guidlg_visibility_open");
        ui::Click(ui::FindByText(dialog, L"Classification", L"Button"));
        ClickRowCheckBox(list, houses);
        unchecked = WaitForRowChecked(list, houses, false);
        testenv::SaveScreenshot("guidlg_visibility_changed");
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(seen, L"6|Houses|1,234,567");
    EXPECT_TRUE(rgbChecked);
    EXPECT_FALSE(returnNumberShown) << "the project carries no return numbers";
    EXPECT_TRUE(unchecked);
    EXPECT_EQ(choice_.channel, 5u);
    EXPECT_EQ(choice_.mask.active, 1u);
    EXPECT_FALSE(ClassMaskIsVisible(choice_.mask, 6));
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 2));
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 5));
    EXPECT_FALSE(ClassMaskIsVisible(choice_.mask, 100));
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 101));
    EXPECT_EQ(choice_.option, 2u);
}

TEST_F(VisibilityDialogTest, CancelAndEscapeChangeNothing) {
    for (bool escape : {false, true}) {
        int result = Run([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, kVisibilityClassList);
            ui::Click(RadioOf(dialog, 1));
            ClickRowCheckBox(list, RowOfClass(list, 2));
            WaitForRowChecked(list, RowOfClass(list, 2), false);
            if (escape)
                ui::PressKeyInFocus(dialog, VK_ESCAPE);
            else
                ui::Click(GetDlgItem(dialog, IDCANCEL));
        });
        EXPECT_EQ(result, 0) << escape;
        EXPECT_EQ(choice_.channel, 999u) << escape;
        EXPECT_EQ(choice_.option, 999u) << escape;
    }
}

TEST_F(VisibilityDialogTest, TabWalksEveryControlArrowsChooseTheChannelEnterAccepts) {
    std::vector<int> order;
    bool classificationChecked = false;
    int result = Run([&](HWND dialog) {
        for (int i = 0; i < 7; ++i) {
            HWND focus = ui::FocusOf(dialog);
            order.push_back(GetDlgCtrlID(focus));
            ui::PressKeyInFocus(dialog, VK_TAB);
            ui::WaitUntil([&] { return ui::FocusOf(dialog) != focus; }, 2000);
        }
        order.push_back(GetDlgCtrlID(ui::FocusOf(dialog))); // round to the channels again
        // Up from RGB colour to Classification, which an arrow key also checks.
        HWND classification = RadioOf(dialog, 5);
        ui::PressKeyInFocus(dialog, VK_UP);
        classificationChecked =
            ui::WaitUntil([&] { return ui::CheckState(classification) == BST_CHECKED; }, 2000) &&
            ui::FocusOf(dialog) == classification;
        ui::PressKeyInFocus(dialog, VK_RETURN);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(classificationChecked);
    EXPECT_EQ(choice_.channel, 5u);
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 6));
    std::vector<int> expected = {kVisibilityChannelFirst + 3, // RGB colour, the checked channel
                                 kVisibilityClassList,
                                 kVisibilityShowAll,
                                 kVisibilityHideAll,
                                 kVisibilityListAllBox,
                                 IDOK,
                                 IDCANCEL,
                                 kVisibilityChannelFirst + 3};
    EXPECT_EQ(order, expected);
}

TEST_F(VisibilityDialogTest, SpaceTogglesTheFocusedClass) {
    bool toggled = false;
    int result = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kVisibilityClassList);
        // A click on the name of class 5 focuses the list and that row; Space then toggles it.
        int row = RowOfClass(list, 5);
        RECT name{};
        name.top = 1;
        name.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&name));
        ui::MouseClick(list, name.left + 4, (name.top + name.bottom) / 2);
        ui::WaitUntil([&] { return ui::FocusOf(dialog) == list; }, 2000);
        int focused =
            static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        ui::PressKey(list, VK_SPACE);
        toggled = focused >= 0 && WaitForRowChecked(list, focused, false);
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(toggled);
    EXPECT_FALSE(ClassMaskIsVisible(choice_.mask, 5));
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 2));
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 6));
}

TEST_F(VisibilityDialogTest, EveryClassListedOnRequestAndShowAllHideAll) {
    int rowsBefore = 0, rowsAll = 0;
    bool allHidden = false;
    int result = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kVisibilityClassList);
        rowsBefore = RowCount(list);
        ui::Click(GetDlgItem(dialog, kVisibilityListAllBox));
        ui::WaitUntil([&] { return RowCount(list) == 256; }, 3000);
        rowsAll = RowCount(list);
        testenv::SaveScreenshot("guidlg_visibility_every_class");
        ui::Click(GetDlgItem(dialog, kVisibilityHideAll));
        ui::WaitUntil([&] { return !RowChecked(list, 255); }, 3000);
        allHidden = !RowChecked(list, 0) && !RowChecked(list, 255);
        // Then one class back on.
        ClickRowCheckBox(list, RowOfClass(list, 2));
        WaitForRowChecked(list, RowOfClass(list, 2), true);
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(rowsBefore, 3);
    EXPECT_EQ(rowsAll, 256);
    EXPECT_TRUE(allHidden);
    EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, 2));
    for (int c : {0, 5, 6, 100, 255}) EXPECT_FALSE(ClassMaskIsVisible(choice_.mask, c)) << c;
    EXPECT_EQ(choice_.option, 2u | kVisibilityListAll);

    // The option brings the full list back the next time; Show all then checks every class.
    request_.option = choice_.option;
    ClassMaskSetVisible(&request_.mask, 100, false);
    result = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kVisibilityClassList);
        rowsAll = RowCount(list);
        ui::Click(GetDlgItem(dialog, kVisibilityShowAll));
        ui::WaitUntil([&] { return RowChecked(list, RowOfClass(list, 100)); }, 3000);
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(rowsAll, 256);
    for (int c = 0; c < 256; ++c) EXPECT_TRUE(ClassMaskIsVisible(choice_.mask, c)) << c;
}

TEST_F(VisibilityDialogTest, AChannelTheProjectLacksFallsBackToTheFirstItHas) {
    request_.channel = 28;
    bool elevationChecked = false;
    int result = Run([&](HWND dialog) {
        elevationChecked = ui::CheckState(RadioOf(dialog, 0)) == BST_CHECKED;
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(elevationChecked);
    EXPECT_EQ(choice_.channel, 0u);
}

// ---- Snap settings ----

struct SnapRun {
    int result;
    std::wstring message;
};

SnapRun RunSnap(SnapSettings* settings, const std::function<void(HWND)>& script) {
    SnapRun run{-2, L""};
    {
        ui::Beside driver(kSnapTitle, [&] {
            HWND dialog = WaitForDialog(kSnapTitle);
            if (dialog) script(dialog);
        });
        run.result = SnapDialogRun(nullptr, settings);
    }
    return run;
}

HWND ViewBox(HWND dialog, int view) {
    return GetDlgItem(dialog, kSnapViewFirst + view);
}

TEST(SnapDialog, OneCheckBoxPerViewOverTheMask) {
    SnapSettings settings{127, false, 0, false, 0};
    std::vector<int> states;
    std::vector<std::wstring> labels;
    bool hasEdit = true, hasCombo = true;
    SnapRun run = RunSnap(&settings, [&](HWND dialog) {
        for (int view = 0; view < 8; ++view) {
            states.push_back(ui::CheckState(ViewBox(dialog, view)));
            labels.push_back(ui::Text(ViewBox(dialog, view)));
        }
        hasEdit = GetDlgItem(dialog, kSnapRadius) != nullptr;
        hasCombo = GetDlgItem(dialog, kSnapType) != nullptr;
        testenv::SaveScreenshot("guidlg_snap_settings");
        ui::Click(ui::FindByText(dialog, L"View 8", L"Button"));
        ui::Click(ui::FindByText(dialog, L"View 1", L"Button"));
        ui::WaitUntil([&] { return ui::CheckState(ViewBox(dialog, 0)) == BST_UNCHECKED; }, 2000);
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(states, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(labels, (std::vector<std::wstring>{L"View 1", L"View 2", L"View 3", L"View 4", L"View 5",
                                                 L"View 6", L"View 7", L"View 8"}));
    EXPECT_FALSE(hasEdit);
    EXPECT_FALSE(hasCombo);
    EXPECT_EQ(settings.mask, 254);
}

TEST(SnapDialog, CancelEscapeAndBitsAboveTheViews) {
    SnapSettings settings{0x305, false, 0, false, 0};
    SnapRun run = RunSnap(&settings, [&](HWND dialog) {
        ui::Click(ViewBox(dialog, 3));
        ui::WaitUntil([&] { return ui::CheckState(ViewBox(dialog, 3)) == BST_CHECKED; }, 2000);
        ui::Click(GetDlgItem(dialog, IDCANCEL));
    });
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(settings.mask, 0x305);
    run = RunSnap(&settings, [&](HWND dialog) {
        ui::Click(ViewBox(dialog, 3));
        ui::WaitUntil([&] { return ui::CheckState(ViewBox(dialog, 3)) == BST_CHECKED; }, 2000);
        ui::PressKeyInFocus(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(settings.mask, 0x305);
    run = RunSnap(&settings, [&](HWND dialog) {
        ui::Click(ViewBox(dialog, 2)); // view 3 off
        ui::WaitUntil([&] { return ui::CheckState(ViewBox(dialog, 2)) == BST_UNCHECKED; }, 2000);
        ui::PressKeyInFocus(dialog, VK_RETURN);
    });
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(settings.mask, 0x301);
}

TEST(SnapDialog, RadiusAndTypeWhenTheCallerKeepsThem) {
    SnapSettings settings{1, true, 0.1, true, 5};
    std::wstring shownRadius, shownType, warning;
    bool stillOpen = false;
    SnapRun run = RunSnap(&settings, [&](HWND dialog) {
        HWND field = GetDlgItem(dialog, kSnapRadius);
        shownRadius = ui::Text(field);
        shownType = ui::Text(GetDlgItem(dialog, kSnapType));
        testenv::SaveScreenshot("guidlg_snap_settings_radius");
        ui::TypeInto(field, L"-2");
        ui::WaitUntil([&] { return ui::Text(field) == L"-2"; }, 2000);
        ui::Click(GetDlgItem(dialog, IDOK));
        HWND box = guidlg_test::WaitForOwnedDialog(dialog, kSnapTitle);
        if (box) {
            warning = ui::MessageBoxText(box);
            testenv::SaveScreenshot("guidlg_snap_settings_bad_radius");
            ui::AnswerMessageBox(box, L"OK");
        }
        stillOpen = IsWindow(dialog) != 0;
        ui::TypeInto(field, L"0.25");
        ui::WaitUntil([&] { return ui::Text(field) == L"0.25"; }, 2000);
        ui::Click(GetDlgItem(dialog, IDOK));
    });
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(shownRadius, L"0.100");
    EXPECT_EQ(shownType, L"Type 5"); // an unknown type is shown as it is and kept
    EXPECT_NE(warning.find(L"snap radius"), std::wstring::npos);
    EXPECT_TRUE(stillOpen);
    EXPECT_DOUBLE_EQ(settings.radius, 0.25);
    EXPECT_EQ(settings.type, 5);
    EXPECT_EQ(settings.mask, 1);
}

TEST(SnapDialog, RadiusTexts) {
    struct Case {
        const wchar_t* text;
        int ok;
        double radius;
    } cases[] = {{L"0.25", 1, 0.25}, {L" 3 ", 1, 3}, {L"10000", 1, 10000}, {L"10000.5", 0, 0},
                 {L"0", 0, 0},       {L"-1", 0, 0},  {L"1e400", 0, 0},     {L"nan", 0, 0},
                 {L"", 0, 0},        {L"2 m", 0, 0}, {L"0x10", 0, 0},      {L"inf", 0, 0}};
    for (const Case& c : cases) {
        double radius = -7;
        EXPECT_EQ(SnapRadiusParse(c.text, &radius), c.ok) << std::wstring(c.text).size();
        if (c.ok)
            EXPECT_DOUBLE_EQ(radius, c.radius);
        else
            EXPECT_EQ(radius, -7);
    }
}

} // namespace
