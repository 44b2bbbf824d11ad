// Sliders driven by keys, a real thumb drag and scroll notifications: the variable follows the thumb,
// the change hook hears of every move, and ranges below zero come out right while the thumb is dragged.
#include <gtest/gtest.h>
#include <windows.h>

#ifndef NIMBO_PLUGIN
#include <commctrl.h>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "support/test_environment.h"

namespace {

int gChanges = 0;
DialogItem* gChangedItem = nullptr;
int gLowestSeen = 0;
int gHighestSeen = 0;
void CountChange(Dialog*, DialogItem* item) {
    if (!item) return;
    ++gChanges;
    gChangedItem = item;
    int value = *static_cast<int*>(item->variable);
    if (gChanges == 1 || value < gLowestSeen) gLowestSeen = value;
    if (gChanges == 1 || value > gHighestSeen) gHighestSeen = value;
}

class SliderDialog : public testing::Test {
protected:
    static void SetUpTestSuite() {
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Slider Test", L"NOICON", nullptr, 12);
    }
    static void TearDownTestSuite() { AppEnd(); }
    void SetUp() override {
        gChanges = 0;
        gChangedItem = nullptr;
    }
    void TearDown() override {
        if (dialog_) DlgClose(&dialog_);
    }

    DialogItem* Build(int* variable, int minimum, int maximum, int page) {
        dialog_ = DlgCreate(L"Slider", 40, 3, DlgWindowToolDisabled, 0, nullptr);
        EXPECT_NE(dialog_, nullptr);
        DlgSetChangeHook(dialog_, CountChange);
        DialogItem* slider = DlgSlider(dialog_, 2, 1, 36, variable, minimum, maximum, page, DlgItemNotify);
        EXPECT_NE(slider, nullptr);
        DlgShow(dialog_);
        SetForegroundWindow(dialog_->window);
        testenv::PumpMessages(150);
        return slider;
    }

    static int Position(DialogItem* slider) {
        return static_cast<int>(SendMessageW(slider->control, TBM_GETPOS, 0, 0));
    }

    static void Key(DialogItem* slider, WORD vk) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = vk;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SetFocus(slider->control);
        SendInput(2, input, sizeof(INPUT));
        testenv::PumpMessages(100);
    }

    static INPUT MouseAt(POINT screen, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return input;
    }

    // Presses the thumb, drags it to the client x given, releases it; counts moves seen while dragging.
    static void DragThumbTo(DialogItem* slider, int targetX) {
        RECT thumb;
        SendMessageW(slider->control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        POINT from = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
        POINT to = {targetX, from.y};
        ClientToScreen(slider->control, &from);
        ClientToScreen(slider->control, &to);
        INPUT press[2] = {MouseAt(from, 0), MouseAt(from, MOUSEEVENTF_LEFTDOWN)};
        SendInput(2, press, sizeof(INPUT));
        testenv::PumpMessages(60);
        for (int step = 1; step <= 4; ++step) {
            POINT at = {from.x + (to.x - from.x) * step / 4, from.y};
            INPUT move = MouseAt(at, 0);
            SendInput(1, &move, sizeof(INPUT));
            testenv::PumpMessages(60);
        }
        INPUT release = MouseAt(to, MOUSEEVENTF_LEFTUP);
        SendInput(1, &release, sizeof(INPUT));
        testenv::PumpMessages(100);
    }

    static void Scroll(Dialog* dialog, DialogItem* slider, int code, int position) {
        SendMessageW(dialog->window, WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)),
                     reinterpret_cast<LPARAM>(slider->control));
    }

    Dialog* dialog_ = nullptr;
};

TEST_F(SliderDialog, StartsAtTheVariableWithItsRangeAndPage) {
    int value = 30;
    DialogItem* slider = Build(&value, 10, 90, 20);
    EXPECT_EQ(Position(slider), 30);
    EXPECT_EQ(SendMessageW(slider->control, TBM_GETRANGEMIN, 0, 0), 10);
    EXPECT_EQ(SendMessageW(slider->control, TBM_GETRANGEMAX, 0, 0), 90);
    EXPECT_EQ(SendMessageW(slider->control, TBM_GETPAGESIZE, 0, 0), 20);
    RECT face;
    GetWindowRect(slider->control, &face);
    EXPECT_EQ(face.bottom - face.top, AppGetMetrics()->H + 4) << "as high as an edit field";
    testenv::SaveScreenshot("slider");
    EXPECT_EQ(DlgSlider(dialog_, 1, 2, 10, nullptr, 0, 1, 1, 0), nullptr);
}

TEST_F(SliderDialog, KeysMoveTheThumbAndWriteTheVariable) {
    int value = 30;
    DialogItem* slider = Build(&value, 10, 90, 20);
    Key(slider, VK_RIGHT);
    EXPECT_EQ(value, 31);
    Key(slider, VK_NEXT);
    EXPECT_EQ(value, 51) << "a page is the page size";
    Key(slider, VK_END);
    EXPECT_EQ(value, 90);
    Key(slider, VK_HOME);
    EXPECT_EQ(value, 10);
    EXPECT_GE(gChanges, 4);
    EXPECT_EQ(gChangedItem, slider);
}

TEST_F(SliderDialog, DraggingTheThumbFollowsItToTheEnd) {
    int value = 50;
    DialogItem* slider = Build(&value, 0, 100, 10);
    RECT channel;
    SendMessageW(slider->control, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    DragThumbTo(slider, channel.right + 20);
    EXPECT_EQ(value, 100);
    EXPECT_EQ(Position(slider), 100);
    EXPECT_GE(gChanges, 2) << "every move while dragging notifies";
}

TEST_F(SliderDialog, RangeBelowZeroSurvivesDragging) {
    int value = 0;
    DialogItem* slider = Build(&value, -50, 50, 5);
    RECT channel;
    SendMessageW(slider->control, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    DragThumbTo(slider, channel.left - 20);
    EXPECT_EQ(value, -50);
    EXPECT_GE(gChanges, 2);
    EXPECT_GE(gLowestSeen, -50);
    EXPECT_LE(gHighestSeen, 0) << "while dragging too: not the 16-bit 65486 a scroll message carries";

    // The notification's own position counts where it can hold the range...
    int small = 10;
    DialogItem* plain = DlgSlider(dialog_, 2, 2, 36, &small, 0, 100, 10, 0);
    Scroll(dialog_, plain, TB_THUMBTRACK, 37);
    EXPECT_EQ(small, 37);
    // ...and other codes read the control.
    SendMessageW(plain->control, TBM_SETPOS, TRUE, 64);
    Scroll(dialog_, plain, TB_ENDTRACK, 0);
    EXPECT_EQ(small, 64);
}

TEST_F(SliderDialog, RefreshMovesTheThumbAndCancelKeepsIt) {
    int value = 20;
    DialogItem* slider = Build(&value, 0, 100, 10);
    value = 75;
    ASSERT_EQ(DlgRefresh(slider), 1);
    EXPECT_EQ(Position(slider), 75);
    Key(slider, VK_RIGHT);
    ASSERT_EQ(value, 76);
    DlgRestoreVariables(dialog_);
    EXPECT_EQ(value, 76) << "a slider keeps where the user left it";
}

} // namespace
#endif
