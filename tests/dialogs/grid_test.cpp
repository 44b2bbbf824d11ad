// The grid: cell geometry and hit testing with a header, the model's selection and scrolling rules
// on whole rows of cells, and the control under real mouse and keyboard input.
#ifndef NIMBO_PLUGIN
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/grid.h"
#include "real_input.h"
#include "support/test_environment.h"

namespace {

// ---- the model ----

struct GridModelFixture : ::testing::Test {
    GridModel model;
    void SetUp() override {
        GridClear(&model);
        model.cellWidth = 30;
        model.cellHeight = 20;
        model.columns = 4;
        model.visibleRows = 6;
        ASSERT_TRUE(GridComputePitch(&model));
    }
    void TearDown() override { GridRelease(&model); }
};

TEST_F(GridModelFixture, ClearedModelHasGapsOfTwoAndPitchesAddThem) {
    EXPECT_EQ(model.hGap, 2);
    EXPECT_EQ(model.vGap, 2);
    EXPECT_EQ(model.hPitch, 32);
    EXPECT_EQ(model.vPitch, 22);
    EXPECT_EQ(model.caretCell, -1);
    EXPECT_EQ(model.anchorCell, -1);
}

TEST_F(GridModelFixture, SizesThatCannotMakeAGridAreRefused) {
    model.cellHeight = 0;
    EXPECT_FALSE(GridComputePitch(&model));
    model.cellHeight = -3;
    EXPECT_FALSE(GridComputePitch(&model));
    model.cellHeight = 20;
    model.vGap = -1;
    EXPECT_FALSE(GridComputePitch(&model));
    model.vGap = 0;
    EXPECT_TRUE(GridComputePitch(&model)); // no gap is fine
    model.cellWidth = 0;                   // would divide every click by zero
    EXPECT_FALSE(GridComputePitch(&model));
}

TEST_F(GridModelFixture, PartialLastRowCountsAndTopStaysInside) {
    ASSERT_TRUE(GridSetCellCount(&model, 10, 0));
    EXPECT_EQ(model.gridRows, 3);
    ASSERT_TRUE(GridSetCellCount(&model, 1000, 0));
    EXPECT_EQ(model.gridRows, 250);
    ASSERT_TRUE(GridScrollTo(&model, 400, 0));
    EXPECT_EQ(model.topRow, 244);
    ASSERT_TRUE(GridSetCellCount(&model, 100, 0));
    EXPECT_EQ(model.topRow, 19);
    EXPECT_FALSE(GridSetCellCount(&model, -5, 0));
}

TEST_F(GridModelFixture, MakeCellVisibleCentresItsRow) {
    ASSERT_TRUE(GridSetCellCount(&model, 1000, 0));
    ASSERT_TRUE(GridMakeCellVisible(&model, 401, 0)); // grid row 100
    EXPECT_EQ(model.topRow, 97);
    ASSERT_TRUE(GridMakeCellVisible(&model, 411, 0)); // row 102, shown: no move
    EXPECT_EQ(model.topRow, 97);
    ASSERT_TRUE(GridMakeCellVisible(&model, 5, 0));
    EXPECT_EQ(model.topRow, 0);
    ASSERT_TRUE(GridMakeCellVisible(&model, 999, 0));
    EXPECT_EQ(model.topRow, 244);
}

TEST_F(GridModelFixture, HitTestCountsTheHeaderAndStaysInsideTheColumns) {
    ASSERT_TRUE(GridSetCellCount(&model, 50, 0));
    model.headerOffset = 20;
    model.topRow = 2;
    // x is measured from 4, y from the header; pitches 32 and 22.
    EXPECT_EQ(GridCellAt(&model, 4 + 2 * 32 + 5, 20 + 22 + 3), (2 + 1) * 4 + 2);
    EXPECT_EQ(GridCellAt(&model, 4, 20), 2 * 4);
    EXPECT_EQ(GridCellAt(&model, 4 + 3 * 32 + 31, 20 + 21), 2 * 4 + 3);
    EXPECT_EQ(GridCellAt(&model, 30, 19), -1);                   // on the header
    EXPECT_EQ(GridCellAt(&model, 4 + 4 * 32, 30), -1);           // right of the last column
    EXPECT_EQ(GridCellAt(&model, 2, 30), -1);                    // left of the first
    EXPECT_EQ(GridCellAt(&model, 10, 20 + 22 * 10), 48);         // grid row 12 holds cells 48 and 49
    EXPECT_EQ(GridCellAt(&model, 4 + 2 * 32, 20 + 22 * 10), -1); // cell 50 does not exist
}

TEST_F(GridModelFixture, SelectionRulesMatchTheRowBox) {
    ASSERT_TRUE(GridSetCellCount(&model, 40, 0));
    ASSERT_TRUE(GridSelectRange(&model, 3, 9, 1, 0));
    EXPECT_EQ(model.anchorCell, 3);
    EXPECT_EQ(model.caretCell, 9);
    EXPECT_EQ(GridCountSelected(&model), 7);
    ASSERT_TRUE(GridSelectRange(&model, 8, 12, 0, 0)); // holds the caret
    EXPECT_EQ(model.caretCell, -1);
    EXPECT_EQ(GridCountSelected(&model), 5);
    EXPECT_EQ(GridFirstSelected(&model), 3);
    model.singleSelection = 1;
    ASSERT_TRUE(GridSelectRange(&model, 20, 30, 1, 0));
    EXPECT_EQ(GridCountSelected(&model), 1);
    EXPECT_TRUE(GridIsSelected(&model, 20));
    model.scrollOnly = 1;
    EXPECT_FALSE(GridSelectRange(&model, 0, 1, 1, 0));
    EXPECT_FALSE(GridIsSelected(&model, 45));
}

// ---- the control ----

int gChanges = 0;
int gHighestPainted = -1;
int gSlotsPainted = 0;
int gPastLastPainted = 0;
int gClickX = -1, gClickY = -1, gClickCell = -1;

void CountChange(Dialog*, DialogItem*) {
    ++gChanges;
}

void PaintCell(int cell, GridModel* model, HDC dc, const RECT* rect, int textColor, int backColor) {
    ++gSlotsPainted;
    if (cell > gHighestPainted) gHighestPainted = cell;
    if (cell >= model->cellCount) {
        ++gPastLastPainted;
        return;
    }
    HBRUSH frame = CreateSolidBrush(RGB(160, 160, 200));
    FrameRect(dc, rect, frame);
    DeleteObject(frame);
    wchar_t text[16];
    swprintf(text, 16, L"%d", cell);
    SetTextColor(dc, AppPaletteColor(textColor));
    SetBkColor(dc, AppPaletteColor(backColor));
    RECT box = *rect;
    DrawTextW(dc, text, -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

int RememberClick(int cell, int x, int y, GridModel*) {
    gClickCell = cell;
    gClickX = x;
    gClickY = y;
    return GridClickGoOn;
}

struct GridWindow : ::testing::Test {
    GridModel model;
    Dialog* dialog = nullptr;
    DialogItem* item = nullptr;

    void SetUp() override {
        static bool started = false;
        if (!started) AppStart(GetModuleHandleW(nullptr), 0, 0, L"Grid Test", L"NOICON", nullptr, 12);
        started = true;
        GridClear(&model);
        model.cellWidth = 44;
        model.cellHeight = 26;
        model.columns = 5;
        model.headerOffset = 4;
        model.painter = PaintCell;
        model.clickHandler = RememberClick;
        gChanges = gSlotsPainted = gPastLastPainted = 0;
        gHighestPainted = gClickCell = gClickX = gClickY = -1;
    }
    void Build(int cells) {
        model.cellCount = cells;
        dialog = DlgCreate(L"Grid", 30, 12, DlgWindowTool, 0, nullptr);
        ASSERT_NE(dialog, nullptr);
        item = DlgTable(dialog, 1, 1, 28, 10, &model);
        ASSERT_NE(item, nullptr);
        DlgSetChangeHook(dialog, CountChange);
        ASSERT_TRUE(DlgShow(dialog));
        realinput::Activate(dialog->window);
        SetFocus(model.window);
        testenv::PumpMessages(100);
        gChanges = 0;
    }
    void TearDown() override {
        if (dialog) DlgClose(&dialog);
        GridRelease(&model);
    }
    void ClickCell(int column, int slotRow, std::initializer_list<WORD> modifiers = {}, bool right = false) {
        realinput::Click(model.window, 4 + column * model.hPitch + 10,
                         model.headerOffset + slotRow * model.vPitch + 8, modifiers, right);
    }
};

TEST_F(GridWindow, RefusesCellsWithoutHeightAndNegativeGaps) {
    Build(20);
    GridModel bad;
    GridClear(&bad);
    bad.cellWidth = 10;
    bad.cellHeight = 0;
    EXPECT_EQ(DlgTable(dialog, 1, 1, 10, 5, &bad), nullptr);
    bad.cellHeight = 10;
    bad.vGap = -2;
    EXPECT_EQ(DlgTable(dialog, 1, 1, 10, 5, &bad), nullptr);
    EXPECT_EQ(DlgTable(dialog, 1, 1, 10, 5, nullptr), nullptr);
    EXPECT_EQ(model.hPitch, 46);
    EXPECT_EQ(model.vPitch, 28);
    RECT outer;
    GetWindowRect(model.window, &outer);
    EXPECT_EQ(model.visibleRows, (outer.bottom - outer.top - 6) / model.vPitch);
}

TEST_F(GridWindow, PainterSeesEverySlotEvenPastTheLastCell) {
    Build(12); // 5 columns: the third row holds cells 10 and 11 and three empty slots
    ASSERT_GE(model.visibleRows, 3);
    gSlotsPainted = gPastLastPainted = 0;
    gHighestPainted = -1;
    InvalidateRect(model.window, nullptr, FALSE);
    UpdateWindow(model.window);
    EXPECT_EQ(gSlotsPainted, 5 * model.visibleRows);
    EXPECT_EQ(gHighestPainted, 5 * model.visibleRows - 1);
    EXPECT_EQ(gPastLastPainted, 5 * model.visibleRows - 12);
}

TEST_F(GridWindow, ClicksAndKeysMoveByCellsAndRowsOfCells) {
    Build(200);
    ClickCell(2, 1);
    EXPECT_EQ(gClickCell, 7);
    EXPECT_GE(gClickX, 0);
    EXPECT_LT(gClickX, model.cellWidth);
    EXPECT_GE(gClickY, 0);
    EXPECT_LT(gClickY, model.cellHeight);
    EXPECT_TRUE(GridIsSelected(&model, 7));
    EXPECT_EQ(gChanges, 1);
    realinput::PressKey(VK_RIGHT);
    EXPECT_EQ(model.caretCell, 8);
    realinput::PressKey(VK_DOWN);
    EXPECT_EQ(model.caretCell, 13);
    realinput::PressKey(VK_LEFT, {VK_SHIFT});
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(model.anchorCell, 13);
    EXPECT_EQ(model.caretCell, 17);
    EXPECT_EQ(GridCountSelected(&model), 5); // 13..17
    realinput::PressKey(VK_NEXT);
    EXPECT_EQ(model.caretCell, 17 + 5 * model.visibleRows);
    EXPECT_EQ(GridCountSelected(&model), 1);
    realinput::PressKey(VK_END, {VK_CONTROL});
    EXPECT_EQ(model.caretCell, 199);
    EXPECT_EQ(model.topRow, 40 - model.visibleRows);
    EXPECT_EQ(gChanges, 7);
    UpdateWindow(model.window);
    testenv::SaveScreenshot("grid_last_cell_selected");
    realinput::PressKey(VK_HOME, {VK_CONTROL});
    realinput::PressKey(VK_RIGHT, {VK_SHIFT});
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    UpdateWindow(model.window);
    testenv::SaveScreenshot("grid_range_selected");
    EXPECT_EQ(GridCountSelected(&model), 7); // 0..6
}

TEST_F(GridWindow, ClicksOffTheCellsDoNothingAndRightClickClears) {
    Build(7);
    ClickCell(4, 1); // cell 9 does not exist
    EXPECT_EQ(gClickCell, -1);
    EXPECT_EQ(gChanges, 0);
    realinput::Click(model.window, 4 + 5 * model.hPitch + 3, 10); // right of the columns
    EXPECT_EQ(gClickCell, -1);
    ClickCell(1, 0);
    ClickCell(1, 1, {VK_CONTROL});
    EXPECT_EQ(GridCountSelected(&model), 2);
    EXPECT_TRUE(GridIsSelected(&model, 6));
    gChanges = 0;
    ClickCell(0, 0, {}, true);
    EXPECT_EQ(GridCountSelected(&model), 0);
    EXPECT_EQ(model.caretCell, -1);
    EXPECT_EQ(gChanges, 1);
    ClickCell(0, 0, {}, true); // nothing left to clear: no report
    EXPECT_EQ(gChanges, 1);
}

TEST_F(GridWindow, RefreshFollowsColumnsChangedByTheCaller) {
    Build(100);
    model.columns = 10;
    ASSERT_TRUE(DlgRefresh(item));
    EXPECT_EQ(model.gridRows, 10);
    realinput::PressKey(VK_END, {VK_CONTROL});
    EXPECT_EQ(model.topRow, 10 - model.visibleRows);
    realinput::PressKey(VK_UP);
    EXPECT_EQ(model.caretCell, 89);
}

TEST_F(GridWindow, WheelScrollsRowsOfCellsUnderTheMouse) {
    Build(500);
    realinput::Wheel(model.window, 30, 30, -3);
    EXPECT_EQ(model.topRow, 3);
    realinput::Wheel(model.window, 30, 30, 5);
    EXPECT_EQ(model.topRow, 0);
    EXPECT_EQ(gChanges, 0);
}

} // namespace
#endif
