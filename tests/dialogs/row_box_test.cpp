// The row box: selection bytes kept to the stretch that holds set rows, the scroll bar standing in
// for 64-bit row numbers, the model's selection rules, and the control driven by real mouse and
// keyboard input, up to a list of three thousand million rows.
#ifndef NIMBO_PLUGIN
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/row_box.h"
#include "dialogs/row_scroll.h"
#include "dialogs/selection_flags.h"
#include "real_input.h"
#include "support/test_environment.h"

namespace {

const long long kHugeRows = 3000000000LL;

// ---- selection bytes ----

TEST(SelectionFlags, GrowthFollowsMinimumAndStepAndKeepsSetFlags) {
    SelectionFlags flags = {};
    ASSERT_TRUE(SelectionGrow(&flags, 10, 1024, 512, "RbxSel"));
    EXPECT_EQ(flags.capacity, 1024);
    SelectionSetRange(&flags, 3, 4, 1);
    SelectionSetRange(&flags, 1023, 1023, 1);
    ASSERT_TRUE(SelectionGrow(&flags, 1025, 1024, 512, "RbxSel"));
    EXPECT_EQ(flags.capacity, 1536); // at least 512 more than before
    ASSERT_TRUE(SelectionGrow(&flags, 5000, 1024, 512, "RbxSel"));
    EXPECT_EQ(flags.capacity, 5000);
    EXPECT_TRUE(SelectionIsSet(&flags, 3));
    EXPECT_TRUE(SelectionIsSet(&flags, 4));
    EXPECT_TRUE(SelectionIsSet(&flags, 1023));
    EXPECT_FALSE(SelectionIsSet(&flags, 1024));
    EXPECT_FALSE(SelectionIsSet(&flags, 4999)); // the new part is zero
    EXPECT_FALSE(SelectionGrow(&flags, -1, 1024, 512, "RbxSel"));
    EXPECT_EQ(flags.capacity, 5000);
    SelectionRelease(&flags);
    EXPECT_EQ(flags.bytes, nullptr);
}

TEST(SelectionFlags, TouchedStretchFollowsSetAndClearedEnds) {
    SelectionFlags flags = {};
    ASSERT_TRUE(SelectionGrow(&flags, 1000, 1024, 512, "RbxSel"));
    SelectionSetRange(&flags, 100, 110, 1);
    SelectionSetRange(&flags, 500, 500, 1);
    EXPECT_EQ(flags.low, 100);
    EXPECT_EQ(flags.high, 501);
    SelectionSetRange(&flags, 0, 105, 0); // clears the front part of the first run
    EXPECT_EQ(flags.low, 106);
    SelectionSetRange(&flags, 500, 900, 0);
    EXPECT_EQ(flags.high, 111);
    long long count = 0;
    EXPECT_EQ(SelectionFirst(&flags, &count), 106);
    EXPECT_EQ(count, 5);
    EXPECT_TRUE(SelectionClearAll(&flags));
    EXPECT_FALSE(SelectionClearAll(&flags)); // nothing left to clear
    EXPECT_EQ(SelectionFirst(&flags, &count), -1);
    EXPECT_EQ(count, 0);
    // Ranges reaching outside the block are cut, not written beyond it.
    SelectionSetRange(&flags, -5, 2, 1);
    SelectionSetRange(&flags, 1020, 5000, 1);
    EXPECT_EQ(flags.low, 0);
    EXPECT_EQ(flags.high, 1024);
    SelectionRelease(&flags);
}

TEST(SelectionFlags, DeleteMovesLaterFlagsUpAndTruncateDropsTheTail) {
    SelectionFlags flags = {};
    ASSERT_TRUE(SelectionGrow(&flags, 100, 1024, 512, "RbxSel"));
    SelectionSetRange(&flags, 10, 10, 1);
    SelectionSetRange(&flags, 20, 21, 1);
    SelectionDelete(&flags, 15); // between the runs
    EXPECT_TRUE(SelectionIsSet(&flags, 10));
    EXPECT_TRUE(SelectionIsSet(&flags, 19));
    EXPECT_TRUE(SelectionIsSet(&flags, 20));
    EXPECT_FALSE(SelectionIsSet(&flags, 21));
    SelectionDelete(&flags, 2); // before every set flag
    EXPECT_TRUE(SelectionIsSet(&flags, 9));
    EXPECT_FALSE(SelectionIsSet(&flags, 10));
    EXPECT_TRUE(SelectionIsSet(&flags, 18));
    EXPECT_TRUE(SelectionIsSet(&flags, 19));
    SelectionDelete(&flags, 9); // a set flag itself
    long long count = 0;
    EXPECT_EQ(SelectionFirst(&flags, &count), 17);
    EXPECT_EQ(count, 2);
    SelectionTruncate(&flags, 18);
    EXPECT_EQ(SelectionFirst(&flags, &count), 17);
    EXPECT_EQ(count, 1);
    SelectionRelease(&flags);
}

TEST(SelectionFlags, PagesNeverWrittenStillTakePartAcrossTheirBorders) {
    SelectionFlags flags = {};
    ASSERT_TRUE(SelectionGrow(&flags, 3 * kSelectionPage, 1024, 512, "RbxSel"));
    SelectionSetRange(&flags, kSelectionPage, kSelectionPage, 1); // first byte of the second page
    SelectionDelete(&flags, 5);                                   // moves it back into the first page
    EXPECT_TRUE(SelectionIsSet(&flags, kSelectionPage - 1));
    EXPECT_FALSE(SelectionIsSet(&flags, kSelectionPage));
    long long count = 0;
    EXPECT_EQ(SelectionFirst(&flags, &count), kSelectionPage - 1);
    EXPECT_EQ(count, 1);
    SelectionSetRange(&flags, 2 * kSelectionPage + 7, 2 * kSelectionPage + 7, 1);
    ASSERT_TRUE(SelectionGrow(&flags, 10 * kSelectionPage, 1024, 512, "RbxSel")); // copies written pages only
    EXPECT_TRUE(SelectionIsSet(&flags, kSelectionPage - 1));
    EXPECT_TRUE(SelectionIsSet(&flags, 2 * kSelectionPage + 7));
    EXPECT_EQ(SelectionFirst(&flags, &count), kSelectionPage - 1);
    EXPECT_EQ(count, 2);
    SelectionSetRange(&flags, 0, 10 * kSelectionPage, 0);
    EXPECT_EQ(SelectionFirst(&flags, &count), -1);
    EXPECT_EQ(count, 0);
    SelectionRelease(&flags);
}

TEST(SelectionFlags, ExtendingFromTheAnchorClearsWhatFallsOutside) {
    SelectionFlags flags = {};
    ASSERT_TRUE(SelectionGrow(&flags, 100, 1024, 512, "RbxSel"));
    SelectionExtend(&flags, 5, -1, 7);
    SelectionExtend(&flags, 5, 7, 8);
    long long count = 0;
    EXPECT_EQ(SelectionFirst(&flags, &count), 5);
    EXPECT_EQ(count, 4);
    SelectionExtend(&flags, 5, 8, 6);
    EXPECT_EQ(SelectionFirst(&flags, &count), 5);
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(SelectionIsSet(&flags, 7));
    SelectionExtend(&flags, 5, 6, 2); // across the anchor
    EXPECT_EQ(SelectionFirst(&flags, &count), 2);
    EXPECT_EQ(count, 4);
    EXPECT_FALSE(SelectionIsSet(&flags, 6));
    SelectionRelease(&flags);
}

// ---- the scroll bar ----

TEST(RowScroll, ShortListsUseRowNumbersAsBarPositions) {
    EXPECT_FALSE(ScrollIsScaled(2147483647LL)); // last row 2147483646 still fits
    EXPECT_TRUE(ScrollIsScaled(2147483648LL));
    EXPECT_EQ(ScrollTopToBar(40, 100, 10), 40);
    EXPECT_EQ(ScrollBarToTop(95, 100, 10), 90); // clamped to count - visible
    EXPECT_EQ(ScrollClampTop(-3, 100, 10), 0);
    EXPECT_EQ(ScrollClampTop(50, 5, 10), 0); // everything fits
}

TEST(RowScroll, HugeListsScaleBothWaysAndReachBothEnds) {
    const long long visible = 12;
    const long long lastTop = kHugeRows - visible;
    const long long travel = kScrollBarLimit - visible + 1;
    EXPECT_EQ(ScrollTopToBar(0, kHugeRows, visible), 0);
    EXPECT_EQ(ScrollTopToBar(lastTop, kHugeRows, visible), travel);
    EXPECT_EQ(ScrollBarToTop(travel, kHugeRows, visible), lastTop);
    EXPECT_EQ(ScrollBarToTop(kScrollBarLimit, kHugeRows, visible), lastTop);
    EXPECT_EQ(ScrollBarToTop(0, kHugeRows, visible), 0);
    long long middle = ScrollBarToTop(travel / 2, kHugeRows, visible);
    EXPECT_NEAR(static_cast<double>(middle), lastTop / 2.0, 4.0);
    // There and back again lands within the rows one bar step stands for.
    long long top = 1234567890123LL % lastTop;
    long long back = ScrollBarToTop(ScrollTopToBar(top, kHugeRows, visible), kHugeRows, visible);
    EXPECT_LE(back, top);
    EXPECT_GT(back, top - 3);
    // Positions grow with the rows, and no row short of the last claims the last position.
    EXPECT_LT(ScrollTopToBar(lastTop - 1, kHugeRows, visible), travel);
    EXPECT_LE(ScrollTopToBar(lastTop / 3, kHugeRows, visible),
              ScrollTopToBar(lastTop / 3 + 2, kHugeRows, visible));
    // Lists near the 64-bit limit neither overflow nor leave the range.
    long long giant = 9000000000000000000LL;
    EXPECT_EQ(ScrollTopToBar(giant - visible, giant, visible), travel);
    EXPECT_EQ(ScrollBarToTop(travel, giant, visible), giant - visible);
}

TEST(RowScroll, WheelAndCaretMovesStayInsideTheList) {
    int remainder = 0;
    EXPECT_EQ(ScrollForWheel(-3 * WHEEL_DELTA, &remainder, 0, 100, 10), 3); // towards the user: down
    EXPECT_EQ(ScrollForWheel(WHEEL_DELTA, &remainder, 3, 100, 10), 2);
    EXPECT_EQ(ScrollForWheel(5 * WHEEL_DELTA, &remainder, 2, 100, 10), 0);
    EXPECT_EQ(ScrollForWheel(-60, &remainder, 5, 100, 10), 5); // half a notch waits for its other half
    EXPECT_EQ(ScrollForWheel(-60, &remainder, 5, 100, 10), 6);
    EXPECT_EQ(ScrollToShow(50, 0, 100, 10), 41);
    EXPECT_EQ(ScrollToShow(3, 41, 100, 10), 3);
    EXPECT_EQ(ScrollToShow(45, 41, 100, 10), 41);
}

// ---- the model's operations ----

struct RowBoxModelOps : ::testing::Test {
    RowBoxModel model;
    void SetUp() override {
        RowBoxClear(&model);
        model.rowHeight = 20;
        model.visibleRows = 10;
    }
    void TearDown() override { RowBoxRelease(&model); }
    long long SelectedCount() {
        long long count = 0;
        RowBoxFirstSelectedCount(&model, &count);
        return count;
    }
};

TEST_F(RowBoxModelOps, ClearedModelHasNoCaretAndTheSmallMargin) {
    EXPECT_EQ(model.caretRow, -1);
    EXPECT_EQ(model.anchorRow, -1);
    EXPECT_EQ(model.extentRow, -1);
    EXPECT_EQ(model.margin, 2);
    EXPECT_FALSE(RowBoxSelectRange(&model, 0, 5, 1, 0)); // no rows
}

TEST_F(RowBoxModelOps, SelectRangeSetsAnchorAndCaretOnlyWithoutCaret) {
    ASSERT_TRUE(RowBoxSetRowCount(&model, 100, 0));
    EXPECT_GE(model.selection.capacity, 1024);
    ASSERT_TRUE(RowBoxSelectRange(&model, 10, 20, 1, 0));
    EXPECT_EQ(model.anchorRow, 10);
    EXPECT_EQ(model.caretRow, 20);
    EXPECT_EQ(model.extentRow, 20);
    ASSERT_TRUE(RowBoxSelectRange(&model, 30, 31, 1, 0)); // caret exists: it stays
    EXPECT_EQ(model.caretRow, 20);
    EXPECT_EQ(SelectedCount(), 13);
    ASSERT_TRUE(RowBoxSelectRange(&model, 0, 15, 0, 0)); // caret 20 outside: kept
    EXPECT_EQ(model.caretRow, 20);
    ASSERT_TRUE(RowBoxSelectRange(&model, 18, 25, 0, 0)); // holds the caret: caret, anchor, extent go
    EXPECT_EQ(model.caretRow, -1);
    EXPECT_EQ(model.anchorRow, -1);
    EXPECT_EQ(model.extentRow, -1);
    EXPECT_EQ(RowBoxFirstSelected(&model), 16);
    ASSERT_TRUE(RowBoxSelectRange(&model, -1, -1, 1, 0)); // -1 and -1: every row
    EXPECT_EQ(SelectedCount(), 100);
    EXPECT_EQ(model.caretRow, 99);
    EXPECT_FALSE(RowBoxSelectRange(&model, 200, 300, 1, 0)); // outside the list
}

TEST_F(RowBoxModelOps, SingleSelectionKeepsOneRowAndScrollOnlyKeepsNone) {
    ASSERT_TRUE(RowBoxSetRowCount(&model, 50, 0));
    model.singleSelection = 1;
    ASSERT_TRUE(RowBoxSelectRange(&model, 4, 9, 1, 0));
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_TRUE(RowBoxIsSelected(&model, 4));
    EXPECT_EQ(model.caretRow, 4);
    ASSERT_TRUE(RowBoxSelectRange(&model, 7, -1, 1, 0));
    EXPECT_EQ(SelectedCount(), 1); // the earlier row does not stay selected beside it
    EXPECT_TRUE(RowBoxIsSelected(&model, 7));
    model.singleSelection = 0;
    model.scrollOnly = 1;
    EXPECT_FALSE(RowBoxSelectRange(&model, 0, 3, 1, 0));
    EXPECT_FALSE(RowBoxIsSelected(&model, 0));
}

TEST_F(RowBoxModelOps, RowCountClampsTopAndForgetsRowsThatWent) {
    ASSERT_TRUE(RowBoxSetRowCount(&model, 1000, 0));
    ASSERT_TRUE(RowBoxScrollTo(&model, 995, 0));
    EXPECT_EQ(model.topRow, 990);
    ASSERT_TRUE(RowBoxSelectRange(&model, 995, 995, 1, 0));
    ASSERT_TRUE(RowBoxSetRowCount(&model, 500, 0));
    EXPECT_EQ(model.topRow, 490);
    EXPECT_EQ(model.caretRow, -1);
    ASSERT_TRUE(RowBoxSetRowCount(&model, 1000, 0));
    EXPECT_FALSE(RowBoxIsSelected(&model, 995)); // does not come back with the rows
    EXPECT_EQ(RowBoxFirstSelected(&model), -1);
    // A count the memory cannot hold fails and changes nothing.
    EXPECT_FALSE(RowBoxSetRowCount(&model, 4000000000000000000LL, 0));
    EXPECT_EQ(model.rowCount, 1000);
    EXPECT_FALSE(RowBoxSetRowCount(&model, -1, 0));
}

TEST_F(RowBoxModelOps, MakeVisiblePutsTheRowAThirdDownAndDeleteShiftsSelection) {
    ASSERT_TRUE(RowBoxSetRowCount(&model, 1000, 0));
    model.visibleRows = 12;
    ASSERT_TRUE(RowBoxMakeVisible(&model, 500, 0));
    EXPECT_EQ(model.topRow, 496);
    ASSERT_TRUE(RowBoxMakeVisible(&model, 505, 0)); // already shown: no move
    EXPECT_EQ(model.topRow, 496);
    ASSERT_TRUE(RowBoxMakeVisible(&model, 2, 0));
    EXPECT_EQ(model.topRow, 0);
    ASSERT_TRUE(RowBoxMakeVisible(&model, 999, 0));
    EXPECT_EQ(model.topRow, 988);
    long long first = 0, last = 0;
    RowBoxVisibleRange(&model, &first, &last);
    EXPECT_EQ(first, 988);
    EXPECT_EQ(last, 999);

    ASSERT_TRUE(RowBoxSelectRange(&model, 10, 10, 1, 0));
    ASSERT_TRUE(RowBoxSelectRange(&model, 12, 12, 1, 0));
    ASSERT_TRUE(RowBoxDeleteRow(&model, 11));
    EXPECT_TRUE(RowBoxIsSelected(&model, 10));
    EXPECT_TRUE(RowBoxIsSelected(&model, 11));
    EXPECT_FALSE(RowBoxIsSelected(&model, 12));
    EXPECT_FALSE(RowBoxDeleteRow(&model, 1000));
}

// ---- memory of a huge list ----

struct MemoryFigures {
    long long workingSetMb;
    long long commitMb; // private bytes; Wine leaves this at zero
    long long pagefileMb;
};

MemoryFigures MeasureMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return {static_cast<long long>(counters.WorkingSetSize >> 20),
            static_cast<long long>(counters.PrivateUsage >> 20),
            static_cast<long long>(counters.PagefileUsage >> 20)};
}

void Report(const char* when, const MemoryFigures& figures) {
    printf("[memory] %s: working set %lld MB, commit charge %lld MB (pagefile usage %lld MB)\n", when,
           figures.workingSetMb, figures.commitMb, figures.pagefileMb);
}

TEST(RowBoxMemory, HugeListTouchesOnlyTheSelectedStretch) {
    RowBoxModel model;
    RowBoxClear(&model);
    model.rowHeight = 20;
    model.visibleRows = 20;
    MemoryFigures before = MeasureMemory();
    Report("before 3000000000 rows", before);
    int grown = RowBoxSetRowCount(&model, kHugeRows, 0);
    if (!grown) {
        // No 3 GB block to be had: the list stays as it was.
        EXPECT_EQ(model.rowCount, 0);
        GTEST_SKIP() << "a 3 GB selection block cannot be had here";
    }
    EXPECT_GE(model.selection.capacity, kHugeRows);
    ASSERT_TRUE(RowBoxSelectRange(&model, kHugeRows - 1, kHugeRows - 1, 1, 0));
    ASSERT_TRUE(RowBoxSelectRange(&model, 7, 7, 1, 0));
    long long count = 0;
    EXPECT_EQ(RowBoxFirstSelectedCount(&model, &count), 7);
    EXPECT_EQ(count, 2);
    ASSERT_TRUE(RowBoxSelectRange(&model, 0, 100, 0, 0));
    EXPECT_EQ(RowBoxFirstSelected(&model), kHugeRows - 1);
    ASSERT_TRUE(RowBoxSetRowCount(&model, kHugeRows + 10, 0)); // grows, copying only the set stretch
    EXPECT_TRUE(RowBoxIsSelected(&model, kHugeRows - 1));
    ASSERT_TRUE(RowBoxMakeVisible(&model, kHugeRows - 1, 0));
    MemoryFigures after = MeasureMemory();
    Report("3000000010 rows, two selected", after);
    EXPECT_LT(after.workingSetMb - before.workingSetMb, 256);
    RowBoxRelease(&model);
}

// ---- the control under real input ----

int gChanges = 0;
DialogItem* gChangedItem = nullptr;
void CountChange(Dialog*, DialogItem* item) {
    ++gChanges;
    gChangedItem = item;
}

long long gPaintedLast = -1;
int gPaintedLastColor = -1;
int gPaints = 0;

void NumberText(long long value, wchar_t* text, int capacity) {
    wchar_t digits[24];
    int length = 0;
    do {
        digits[length++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value > 0 && length < 23);
    int at = 0;
    const wchar_t prefix[] = L"Row ";
    for (int i = 0; prefix[i] && at < capacity - 1; ++i) text[at++] = prefix[i];
    while (length > 0 && at < capacity - 1) text[at++] = digits[--length];
    text[at] = 0;
}

void PaintRowNumber(long long row, RowBoxModel*, HDC dc, const RECT* rect, int textColor, int backColor) {
    ++gPaints;
    if (row > gPaintedLast) {
        gPaintedLast = row;
        gPaintedLastColor = textColor;
    }
    wchar_t text[40];
    NumberText(row, text, 40);
    SetTextColor(dc, AppPaletteColor(textColor));
    SetBkColor(dc, AppPaletteColor(backColor));
    RECT box = *rect;
    box.left += 4;
    DrawTextW(dc, text, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

int gClickAnswer = RowBoxClickGoOn;
long long gClickedRow = -1;
int ClickWithAnswer(long long row, int, RowBoxModel*) {
    gClickedRow = row;
    return gClickAnswer;
}

void StartToolkit() {
    static bool started = false;
    if (started) return;
    AppStart(GetModuleHandleW(nullptr), 0, 0, L"Row Box Test", L"NOICON", nullptr, 12);
    started = true;
}

struct RowBoxWindow : ::testing::Test {
    RowBoxModel model;
    Dialog* dialog = nullptr;
    DialogItem* item = nullptr;

    void SetUp() override {
        StartToolkit();
        RowBoxClear(&model);
        model.painter = PaintRowNumber;
        gChanges = 0;
        gChangedItem = nullptr;
        gPaintedLast = -1;
        gPaints = 0;
        gClickAnswer = RowBoxClickGoOn;
        gClickedRow = -1;
    }
    // Rows and modes are set before the dialog is built, as a caller would.
    void Build(long long rows) {
        RowBoxSetRowCount(&model, rows, 0);
        dialog = DlgCreate(L"Row box", 40, 14, DlgWindowTool, 0, nullptr);
        ASSERT_NE(dialog, nullptr);
        item = DlgRowBox(dialog, 2, 1, 36, 12, &model);
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
        RowBoxRelease(&model);
    }
    // Middle of a row slot, in the control's client coordinates.
    int SlotY(long long slot) const {
        return 1 + static_cast<int>(slot) * model.rowHeight + model.rowHeight / 2;
    }
    void ClickSlot(long long slot, std::initializer_list<WORD> modifiers = {}, bool right = false) {
        realinput::Click(model.window, 40, SlotY(slot), modifiers, right);
    }
    long long SelectedCount() {
        long long count = 0;
        RowBoxFirstSelectedCount(&model, &count);
        return count;
    }
    void Paint() {
        UpdateWindow(model.window);
        testenv::PumpMessages(50);
    }
};

TEST_F(RowBoxWindow, TakesItsMetricsAndVisibleRowsFromTheControl) {
    Build(100);
    const AppMetrics* metrics = AppGetMetrics();
    EXPECT_EQ(model.rowHeight, metrics->controlTextHeight);
    EXPECT_EQ(model.margin, 4);
    RECT outer;
    GetWindowRect(model.window, &outer);
    EXPECT_EQ(model.visibleRows, (outer.bottom - outer.top - 6) / model.rowHeight);
    EXPECT_GT(model.visibleRows, 5);
    EXPECT_EQ(model.dialog, dialog);
    EXPECT_EQ(model.item, item);
    EXPECT_EQ(DlgRowBox(nullptr, 0, 0, 10, 5, &model), nullptr);
    EXPECT_EQ(DlgRowBox(dialog, 0, 0, 10, 5, nullptr), nullptr);
}

TEST_F(RowBoxWindow, HugeListScrollsToTheEndByThumbAndWheelAndCtrlEndSelectsTheLastRow) {
    MemoryFigures before = MeasureMemory();
    Build(kHugeRows);
    if (model.rowCount != kHugeRows) GTEST_SKIP() << "a 3 GB selection block cannot be had here";
    const long long lastTop = kHugeRows - model.visibleRows;

    // The thumb dragged to the bottom of its track shows the last rows.
    RECT bar;
    GetWindowRect(model.window, &bar);
    int arrow = GetSystemMetrics(SM_CYVSCROLL);
    int barX = bar.right - GetSystemMetrics(SM_CXVSCROLL) / 2;
    realinput::Drag({barX, bar.top + arrow + 3}, {barX, bar.bottom - 2});
    EXPECT_EQ(model.topRow, lastTop);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(model.window, SB_VERT, &info));
    EXPECT_EQ(info.nMax, kScrollBarLimit);
    EXPECT_EQ(info.nPos, ScrollTopToBar(lastTop, kHugeRows, model.visibleRows));
    Paint();
    EXPECT_EQ(gPaintedLast, kHugeRows - 1);
    testenv::SaveScreenshot("row_box_thumb_at_end");

    // Halfway up the track is halfway through the rows.
    int middleY = (bar.top + arrow + bar.bottom - arrow) / 2;
    realinput::Drag({barX, bar.bottom - arrow - 3}, {barX, middleY});
    EXPECT_GT(model.topRow, kHugeRows / 4);
    EXPECT_LT(model.topRow, kHugeRows * 3 / 4);
    ASSERT_TRUE(GetScrollInfo(model.window, SB_VERT, &info));
    EXPECT_EQ(info.nPos, ScrollTopToBar(model.topRow, kHugeRows, model.visibleRows));

    // The wheel: one row per notch, towards the user is down, clamped at the end.
    RowBoxScrollTo(&model, lastTop - 5, 1);
    realinput::Wheel(model.window, 40, SlotY(2), -3);
    EXPECT_EQ(model.topRow, lastTop - 2);
    realinput::Wheel(model.window, 40, SlotY(2), -4);
    EXPECT_EQ(model.topRow, lastTop);
    realinput::Wheel(model.window, 40, SlotY(2), 1);
    EXPECT_EQ(model.topRow, lastTop - 1);
    // Over something else the wheel leaves the list alone.
    POINT outside = {5, 5};
    ClientToScreen(dialog->window, &outside);
    realinput::MoveTo(outside);
    std::vector<INPUT> turn = {realinput::Mouse(MOUSEEVENTF_WHEEL, -WHEEL_DELTA)};
    realinput::Send(turn);
    EXPECT_EQ(model.topRow, lastTop - 1);

    // Ctrl+Home then Ctrl+End: the last row becomes the caret and the only selected row.
    realinput::PressKey(VK_HOME, {VK_CONTROL});
    EXPECT_EQ(model.topRow, 0);
    EXPECT_EQ(model.caretRow, 0);
    realinput::PressKey(VK_END, {VK_CONTROL});
    EXPECT_EQ(model.caretRow, kHugeRows - 1);
    EXPECT_EQ(model.topRow, lastTop);
    long long count = 0;
    EXPECT_EQ(RowBoxFirstSelectedCount(&model, &count), kHugeRows - 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(gChanges, 2);
    EXPECT_EQ(gChangedItem, item);
    gPaintedLast = -1;
    InvalidateRect(model.window, nullptr, FALSE);
    Paint();
    EXPECT_EQ(gPaintedLast, kHugeRows - 1);
    EXPECT_EQ(gPaintedLastColor, 0); // white on black: selected
    testenv::SaveScreenshot("row_box_last_row_selected");

    MemoryFigures after = MeasureMemory();
    Report("row box of 3000000000 rows after scrolling and Ctrl+End", after);
    EXPECT_LT(after.workingSetMb - before.workingSetMb, 256);
}

TEST_F(RowBoxWindow, ShiftArrowsExtendFromTheAnchorAndGiveBackRows) {
    Build(100);
    ClickSlot(5);
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(model.anchorRow, 5);
    EXPECT_EQ(model.caretRow, 7);
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(RowBoxFirstSelected(&model), 5);
    EXPECT_EQ(SelectedCount(), 4);
    EXPECT_TRUE(RowBoxIsSelected(&model, 8));
    realinput::PressKey(VK_UP, {VK_SHIFT});
    realinput::PressKey(VK_UP, {VK_SHIFT});
    EXPECT_EQ(model.caretRow, 6);
    EXPECT_EQ(SelectedCount(), 2);
    EXPECT_FALSE(RowBoxIsSelected(&model, 7));
    EXPECT_FALSE(RowBoxIsSelected(&model, 8));
    EXPECT_EQ(gChanges, 6); // the click and every key that moved the selection
    Paint();
    testenv::SaveScreenshot("row_box_shift_extended");
    // Without Shift the selection collapses onto the new caret, and the anchor follows it.
    realinput::PressKey(VK_DOWN);
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_EQ(model.anchorRow, 7);
    EXPECT_TRUE(RowBoxIsSelected(&model, 7));
}

TEST_F(RowBoxWindow, NavigationKeysMoveTheCaretAndKeepItInView) {
    Build(1000);
    ClickSlot(3);
    long long visible = model.visibleRows;
    realinput::PressKey(VK_NEXT);
    EXPECT_EQ(model.caretRow, 3 + visible);
    EXPECT_EQ(model.topRow, 4); // just enough to show the caret
    realinput::PressKey(VK_HOME);
    EXPECT_EQ(model.caretRow, 4); // top visible row
    realinput::PressKey(VK_END);
    EXPECT_EQ(model.caretRow, 4 + visible - 1);
    realinput::PressKey(VK_PRIOR);
    EXPECT_EQ(model.caretRow, 3);
    realinput::PressKey(VK_UP);
    realinput::PressKey(VK_UP);
    realinput::PressKey(VK_UP);
    realinput::PressKey(VK_UP);
    EXPECT_EQ(model.caretRow, 0); // stops at the first row
    EXPECT_EQ(model.topRow, 0);
    EXPECT_EQ(SelectedCount(), 1);
    // Keys that change nothing are not reported (the fourth Up); every other key and the click were.
    int reported = gChanges;
    EXPECT_EQ(reported, 8);
    realinput::PressKey(VK_UP);
    realinput::PressKey(VK_HOME, {VK_CONTROL});
    realinput::PressKey(VK_UP, {VK_SHIFT});
    EXPECT_EQ(gChanges, reported);
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(gChanges, reported + 1);
}

TEST_F(RowBoxWindow, ClicksSelectToggleAndExtendButNotBelowTheLastRow) {
    Build(3);
    ClickSlot(6); // below the last row
    EXPECT_EQ(RowBoxFirstSelected(&model), -1);
    EXPECT_EQ(gChanges, 0);
    ClickSlot(0);
    ClickSlot(2, {VK_CONTROL});
    EXPECT_EQ(SelectedCount(), 2);
    ClickSlot(2, {VK_CONTROL}); // toggles back
    EXPECT_EQ(SelectedCount(), 1);
    ClickSlot(0);
    ClickSlot(2, {VK_SHIFT});
    EXPECT_EQ(SelectedCount(), 3);
    EXPECT_EQ(model.anchorRow, 0);
    EXPECT_EQ(model.caretRow, 2);
    EXPECT_EQ(GetFocus(), model.window);
    EXPECT_EQ(gChanges, 5); // one per click on a row
}

TEST_F(RowBoxWindow, CtrlClickInSingleSelectionSelectsOnlyThatRow) {
    model.singleSelection = 1;
    Build(20);
    ClickSlot(1);
    ClickSlot(4, {VK_CONTROL});
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_TRUE(RowBoxIsSelected(&model, 4));
    ClickSlot(6, {VK_SHIFT});
    EXPECT_EQ(SelectedCount(), 1);
    realinput::PressKey(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_TRUE(RowBoxIsSelected(&model, 7));
}

TEST_F(RowBoxWindow, RightClickClearsAndReportsOnlyWhenSomethingWasSelected) {
    Build(20);
    ClickSlot(0, {}, true);
    EXPECT_EQ(gChanges, 0);
    ClickSlot(2);
    ClickSlot(4, {VK_CONTROL});
    gChanges = 0;
    ClickSlot(9, {}, true);
    EXPECT_EQ(RowBoxFirstSelected(&model), -1);
    EXPECT_EQ(model.caretRow, -1);
    EXPECT_EQ(gChanges, 1);
    EXPECT_EQ(gChangedItem, item);
}

TEST_F(RowBoxWindow, ClickHandlerAnswersDecideWhatTheClickDoes) {
    model.clickHandler = ClickWithAnswer;
    Build(20);
    gClickAnswer = RowBoxClickIgnore;
    ClickSlot(3);
    EXPECT_EQ(gClickedRow, 3);
    EXPECT_EQ(RowBoxFirstSelected(&model), -1);
    EXPECT_EQ(gChanges, 0);
    gClickAnswer = RowBoxClickHandled;
    gPaints = 0;
    ClickSlot(4);
    Paint();
    EXPECT_EQ(RowBoxFirstSelected(&model), -1);
    EXPECT_GT(gPaints, 0); // handled: repainted
    EXPECT_EQ(gChanges, 0);
    gClickAnswer = RowBoxClickGoOn;
    ClickSlot(5);
    EXPECT_EQ(RowBoxFirstSelected(&model), 5);
    EXPECT_EQ(gChanges, 1);
    gClickedRow = -1;
    ClickSlot(25); // no row there: the handler is not asked
    EXPECT_EQ(gClickedRow, -1);
}

TEST_F(RowBoxWindow, ScrollOnlyKeysAndClicksOnlyScroll) {
    model.scrollOnly = 1;
    model.clickHandler = ClickWithAnswer;
    Build(500);
    realinput::PressKey(VK_DOWN);
    EXPECT_EQ(model.topRow, 1);
    realinput::PressKey(VK_NEXT);
    EXPECT_EQ(model.topRow, 1 + model.visibleRows);
    realinput::PressKey(VK_END);
    EXPECT_EQ(model.topRow, 500 - model.visibleRows);
    realinput::PressKey(VK_HOME);
    EXPECT_EQ(model.topRow, 0);
    ClickSlot(2);
    EXPECT_EQ(gClickedRow, 2); // the handler still hears of clicks
    ClickSlot(2, {}, true);
    EXPECT_EQ(RowBoxFirstSelected(&model), -1);
    EXPECT_EQ(model.caretRow, -1);
    EXPECT_EQ(gChanges, 0);
}

} // namespace
#endif
