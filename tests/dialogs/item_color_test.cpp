// Colour buttons: the bound colour painted inside a raised edge, and a real click that opens the system
// colour chooser, answered from a driver thread: a chosen colour is stored and announced, a cancelled
// chooser changes nothing, and cancelling the dialog restores the colour it started with.
#include <gtest/gtest.h>
#include <windows.h>

#ifndef NIMBO_PLUGIN
#include <colordlg.h>

#include <atomic>
#include <string>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

namespace {

const wchar_t kTitle[] = L"Colour Button Test";

std::atomic<int> gChanges{0};
void CountChange(Dialog*, DialogItem* item) {
    if (item) ++gChanges;
}

class ColorButton : public testing::Test {
protected:
    static void SetUpTestSuite() {
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Colour Test", L"NOICON", nullptr, 12);
    }
    static void TearDownTestSuite() { AppEnd(); }
    void SetUp() override { gChanges = 0; }

    Dialog* Build(unsigned char* color) {
        Dialog* dialog = DlgCreate(kTitle, 36, 4, DlgWindowPopup, 0, nullptr);
        EXPECT_NE(dialog, nullptr);
        DlgSetChangeHook(dialog, CountChange);
        button_ = DlgColor(dialog, 14, 0.5, 8, color, DlgItemNotify, L"Point colour:");
        EXPECT_NE(button_, nullptr);
        DlgButton(dialog, 10, 2.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
        DlgButton(dialog, 22, 2.5, 10, 0, DlgStandardCancel, L"Cancel", nullptr, 0);
        return dialog;
    }

    // The system chooser that the colour button opened over the dialog.
    static HWND WaitForChooser(HWND dialogWindow) {
        HWND chooser = nullptr;
        ui::WaitUntil([&] {
            chooser = nullptr;
            EnumWindows(
                [](HWND window, LPARAM found) -> BOOL {
                    if (ui::ClassName(window) == L"#32770" && IsWindowVisible(window)) {
                        *reinterpret_cast<HWND*>(found) = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&chooser));
            return chooser && GetWindow(chooser, GW_OWNER) == dialogWindow;
        });
        return chooser;
    }

    // A real left click in the middle of the colour button.
    static void ClickColorButton(HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
    }

    static void SetChooserColor(HWND chooser, int red, int green, int blue) {
        const int ids[3] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
        const int values[3] = {red, green, blue};
        for (int channel = 0; channel < 3; ++channel) {
            HWND field = GetDlgItem(chooser, ids[channel]);
            SendMessageW(field, WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(std::to_wstring(values[channel]).c_str()));
        }
    }

    DialogItem* button_ = nullptr;
};

TEST_F(ColorButton, PaintsTheBoundColourInsideARaisedEdge) {
    unsigned char color[3] = {200, 40, 90};
    Dialog* dialog = Build(color);
    COLORREF centre = 0, corner = 0, corner2 = 0;
    int height = 0;
    ui::Beside driver(kTitle, [&] {
        HWND window = ui::WaitForWindow(kTitle);
        Sleep(300);
        RECT rect;
        GetClientRect(button_->control, &rect);
        height = rect.bottom;
        HDC dc = GetDC(button_->control);
        centre = GetPixel(dc, rect.right / 2, rect.bottom / 2);
        corner = GetPixel(dc, 0, 0);
        corner2 = GetPixel(dc, rect.right - 1, rect.bottom - 1);
        ReleaseDC(button_->control, dc);
        testenv::SaveScreenshot("color_button");
        ui::Click(ui::FindByText(window, L"OK"));
    });
    EXPECT_EQ(DlgRun(dialog), 1);
    EXPECT_EQ(centre, RGB(200, 40, 90));
    EXPECT_NE(corner, RGB(200, 40, 90)) << "the edge frames the colour";
    EXPECT_NE(corner2, RGB(200, 40, 90));
    EXPECT_NE(corner, corner2) << "raised: light above, dark below";
    EXPECT_EQ(height, AppGetMetrics()->H + 4);
}

TEST_F(ColorButton, ChoosingAColourStoresItAndNotifies) {
    unsigned char color[3] = {10, 20, 30};
    Dialog* dialog = Build(color);
    bool chooserSeen = false;
    ui::Beside driver(kTitle, [&] {
        HWND window = ui::WaitForWindow(kTitle);
        Sleep(200);
        ClickColorButton(button_->control);
        HWND chooser = WaitForChooser(window);
        chooserSeen = chooser != nullptr;
        if (!chooser) return;
        SetChooserColor(chooser, 0, 128, 255);
        Sleep(100);
        testenv::SaveScreenshot("color_chooser");
        ui::Click(GetDlgItem(chooser, IDOK));
        ui::WaitForWindowGone(chooser);
        Sleep(200);
        ui::Click(ui::FindByText(window, L"OK"));
    });
    EXPECT_EQ(DlgRun(dialog), 1);
    ASSERT_TRUE(chooserSeen) << "a click opens the chooser, owned by the dialog";
    EXPECT_EQ(color[0], 0);
    EXPECT_EQ(color[1], 128);
    EXPECT_EQ(color[2], 255);
    EXPECT_EQ(gChanges, 1);
}

TEST_F(ColorButton, CancelledChooserKeepsTheColour) {
    unsigned char color[3] = {10, 20, 30};
    Dialog* dialog = Build(color);
    bool chooserSeen = false;
    ui::Beside driver(kTitle, [&] {
        HWND window = ui::WaitForWindow(kTitle);
        Sleep(200);
        ClickColorButton(button_->control);
        HWND chooser = WaitForChooser(window);
        chooserSeen = chooser != nullptr;
        if (!chooser) return;
        SetChooserColor(chooser, 255, 255, 0);
        ui::Click(GetDlgItem(chooser, IDCANCEL));
        ui::WaitForWindowGone(chooser);
        Sleep(200);
        ui::Click(ui::FindByText(window, L"OK"));
    });
    EXPECT_EQ(DlgRun(dialog), 1);
    ASSERT_TRUE(chooserSeen);
    EXPECT_EQ(color[0], 10);
    EXPECT_EQ(color[1], 20);
    EXPECT_EQ(color[2], 30);
    EXPECT_EQ(gChanges, 0);
}

TEST_F(ColorButton, CancellingTheDialogRestoresTheStartingColour) {
    unsigned char color[3] = {10, 20, 30};
    Dialog* dialog = Build(color);
    ui::Beside driver(kTitle, [&] {
        HWND window = ui::WaitForWindow(kTitle);
        Sleep(200);
        ClickColorButton(button_->control);
        HWND chooser = WaitForChooser(window);
        if (!chooser) return;
        SetChooserColor(chooser, 1, 2, 3);
        ui::Click(GetDlgItem(chooser, IDOK));
        ui::WaitForWindowGone(chooser);
        Sleep(200);
        ui::Click(ui::FindByText(window, L"Cancel"));
    });
    EXPECT_EQ(DlgRun(dialog), -1);
    EXPECT_EQ(color[0], 10);
    EXPECT_EQ(color[1], 20);
    EXPECT_EQ(color[2], 30);
}

TEST_F(ColorButton, RefusesAMissingVariable) {
    Dialog* dialog = DlgCreate(kTitle, 20, 2, DlgWindowToolDisabled, 0, nullptr);
    EXPECT_EQ(DlgColor(dialog, 1, 0, 5, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(DlgColor(nullptr, 1, 0, 5, reinterpret_cast<unsigned char*>(&dialog), 0, nullptr), nullptr);
    DlgClose(&dialog);
}

} // namespace
#endif
