// Virtual lists driven with the real mouse and keyboard: only visible lines are drawn, a click or a key
// selects into the 64-bit variable, a no-selection list hands clicks to its callback, a multi-selection
// list returns its lines in a tagged block, and lines are scrolled into view centred.
#include <gtest/gtest.h>
#include <windows.h>

#ifndef NIMBO_PLUGIN
#include <algorithm>
#include <cwchar>
#include <vector>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "runtime/memory.h"
#include "support/test_environment.h"

namespace {

struct DrawLog {
    std::vector<long long> lines;
    std::vector<int> heights;
    int selectedDraws = 0;
    std::vector<long long> selectedLines;
};
DrawLog gDraws;

void DrawLine(DialogItem*, long long line, HDC dc, const RECT* rect, int selected) {
    gDraws.lines.push_back(line);
    gDraws.heights.push_back(rect->bottom - rect->top);
    gDraws.selectedDraws += selected != 0;
    if (selected) gDraws.selectedLines.push_back(line);
    wchar_t text[40];
    swprintf(text, 40, L"Line %lld", line);
    TextOutW(dc, rect->left + 4, rect->top + 2, text, static_cast<int>(wcslen(text)));
}

struct ClickLog {
    std::vector<long long> lines;
    int answer = 1;
};
ClickLog gClicks;

int ClickLine(DialogItem*, long long line) {
    gClicks.lines.push_back(line);
    return gClicks.answer;
}

int gChanges = 0;
DialogItem* gChangedItem = nullptr;
void CountChange(Dialog*, DialogItem* item) {
    if (!item) return;
    ++gChanges;
    gChangedItem = item;
}

class ListDialog : public testing::Test {
protected:
    static void SetUpTestSuite() {
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"List Test", L"NOICON", nullptr, 12);
    }
    static void TearDownTestSuite() { AppEnd(); }
    void SetUp() override {
        gDraws = DrawLog();
        gClicks = ClickLog();
        gChanges = 0;
        gChangedItem = nullptr;
        SetCursorPos(1, 1);
    }
    void TearDown() override {
        if (dialog_) DlgClose(&dialog_);
    }

    DialogItem* Build(long long* variable, long long lines, int flags) {
        dialog_ = DlgCreate(L"Virtual list", 40, 12, DlgWindowToolDisabled, 0, nullptr);
        EXPECT_NE(dialog_, nullptr);
        DlgSetChangeHook(dialog_, CountChange);
        DialogItem* list = DlgList(dialog_, 2, 1, 30, 10, variable, lines, flags | DlgItemNotify, DrawLine);
        EXPECT_NE(list, nullptr);
        DlgShow(dialog_);
        SetForegroundWindow(dialog_->window);
        testenv::PumpMessages(150);
        return list;
    }

    static int Visible(DialogItem* list) {
        RECT client;
        GetClientRect(list->control, &client);
        return client.bottom / static_cast<int>(SendMessageW(list->control, LB_GETITEMHEIGHT, 0, 0));
    }
    static long long Top(DialogItem* list) { return SendMessageW(list->control, LB_GETTOPINDEX, 0, 0); }

    static void Redraw(DialogItem* list) {
        gDraws = DrawLog();
        InvalidateRect(list->control, nullptr, TRUE);
        UpdateWindow(list->control);
    }

    // A real click in the middle of a visible line, optionally with a key held down.
    static void ClickLineOf(DialogItem* list, long long line, WORD heldKey = 0) {
        long long top = Top(list);
        int height = static_cast<int>(SendMessageW(list->control, LB_GETITEMHEIGHT, 0, 0));
        POINT at = {20, static_cast<int>((line - top) * height + height / 2)};
        ClientToScreen(list->control, &at);
        SetCursorPos(at.x, at.y);
        std::vector<INPUT> inputs;
        auto key = [&](WORD vk, DWORD flags) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        auto mouse = [&](DWORD flags) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = flags;
            inputs.push_back(input);
        };
        if (heldKey) key(heldKey, 0);
        mouse(MOUSEEVENTF_LEFTDOWN);
        mouse(MOUSEEVENTF_LEFTUP);
        if (heldKey) key(heldKey, KEYEVENTF_KEYUP);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        testenv::PumpMessages(120);
    }

    static void Key(HWND control, WORD vk) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = vk;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SetFocus(control);
        SendInput(2, input, sizeof(INPUT));
        testenv::PumpMessages(100);
    }

    Dialog* dialog_ = nullptr;
};

TEST_F(ListDialog, DrawsOnlyTheVisibleLinesOfAHugeList) {
    long long line = -1;
    DialogItem* list = Build(&line, 100000, 0);
    Redraw(list);
    int visible = Visible(list);
    ASSERT_GE(visible, 5);
    ASSERT_FALSE(gDraws.lines.empty());
    EXPECT_EQ(*std::min_element(gDraws.lines.begin(), gDraws.lines.end()), 0);
    EXPECT_LE(*std::max_element(gDraws.lines.begin(), gDraws.lines.end()), visible)
        << "a partial line at most";
    for (int height : gDraws.heights) EXPECT_EQ(height, AppGetMetrics()->controlTextHeight);
    testenv::SaveScreenshot("list_top");

    ASSERT_EQ(DlgListShowLine(list, 50000), 1);
    Redraw(list);
    ASSERT_FALSE(gDraws.lines.empty());
    EXPECT_GE(*std::min_element(gDraws.lines.begin(), gDraws.lines.end()), 50000 - visible);
    EXPECT_LE(*std::max_element(gDraws.lines.begin(), gDraws.lines.end()), 50000 + visible);
}

TEST_F(ListDialog, ClickAndKeysSelectIntoTheVariableAndNotify) {
    long long line = -1;
    DialogItem* list = Build(&line, 50, 0);
    ClickLineOf(list, 3);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(gChanges, 1);
    EXPECT_EQ(gChangedItem, list);
    Key(list->control, VK_DOWN);
    EXPECT_EQ(line, 4);
    Key(list->control, VK_END);
    EXPECT_EQ(line, 49);
    EXPECT_EQ(gChanges, 3);
    Redraw(list);
    ASSERT_GE(gDraws.selectedDraws, 1) << "the draw callback is told which line is selected";
    for (long long selected : gDraws.selectedLines) EXPECT_EQ(selected, 49);
}

TEST_F(ListDialog, NoSelectionListHandsClicksToItsCallback) {
    long long line = 77;
    DialogItem* list = Build(&line, 20, DlgListNoSelection);
    DlgListSetClickCallback(list, ClickLine);
    gClicks.answer = 1;
    gDraws = DrawLog();
    ClickLineOf(list, 2);
    ASSERT_EQ(gClicks.lines.size(), 1u);
    EXPECT_EQ(gClicks.lines[0], 2);
    EXPECT_FALSE(gDraws.lines.empty()) << "a non-zero answer repaints the list";
    EXPECT_EQ(line, 77) << "the variable is not a selection here";
    EXPECT_EQ(SendMessageW(list->control, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(gDraws.selectedDraws, 0);
    EXPECT_EQ(gChanges, 0);

    gClicks.answer = 0;
    gDraws = DrawLog();
    ClickLineOf(list, 5);
    ASSERT_EQ(gClicks.lines.size(), 2u);
    EXPECT_EQ(gClicks.lines[1], 5);
    EXPECT_TRUE(gDraws.lines.empty()) << "a zero answer leaves the lines as they are";

    // Below the last line there is no line to hand over.
    ASSERT_EQ(DlgListSetCount(list, 3), 1);
    ClickLineOf(list, 6);
    EXPECT_EQ(gClicks.lines.size(), 2u);
}

TEST_F(ListDialog, MultiSelectionReturnsTheLinesInATaggedBlock) {
    long long line = 77;
    DialogItem* list = Build(&line, 30, DlgListMultiple);
    ClickLineOf(list, 1);
    ClickLineOf(list, 4, VK_CONTROL);
    ClickLineOf(list, 6, VK_CONTROL);
    testenv::SaveScreenshot("list_multiple");
    int* lines = nullptr;
    ASSERT_EQ(DlgListSelection(list, &lines), 3);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines[0], 1);
    EXPECT_EQ(lines[1], 4);
    EXPECT_EQ(lines[2], 6);
    int index = MemFind("LstBsl", 0);
    ASSERT_GE(index, 0);
    void* block = nullptr;
    size_t size = 0;
    MemNext(nullptr, &block, &size, index - 1);
    EXPECT_EQ(block, lines);
    EXPECT_EQ(size, 3 * sizeof(int));
    MemFree(lines);
    EXPECT_EQ(MemFind("LstBsl", 0), -1);
    EXPECT_EQ(line, 77) << "a multi-selection list leaves the line variable alone";
    EXPECT_EQ(gChanges, 3);

    ASSERT_EQ(DlgListSelect(list, -1), 1);
    lines = reinterpret_cast<int*>(&line);
    EXPECT_EQ(DlgListSelection(list, &lines), 0);
    EXPECT_EQ(lines, nullptr) << "nothing selected: no block";
}

TEST_F(ListDialog, ShowLineCentresOnlyLinesOutsideThePage) {
    long long line = -1;
    DialogItem* list = Build(&line, 1000, 0);
    int visible = Visible(list);
    ASSERT_EQ(DlgListShowLine(list, 500), 1);
    EXPECT_EQ(Top(list), 500 - visible / 2);
    long long top = Top(list);
    ASSERT_EQ(DlgListShowLine(list, top + 1), 1);
    EXPECT_EQ(Top(list), top) << "a visible line does not scroll";
    ASSERT_EQ(DlgListShowLine(list, top + visible - 1), 1);
    EXPECT_EQ(Top(list), top);
    ASSERT_EQ(DlgListShowLine(list, 2), 1);
    EXPECT_EQ(Top(list), 0) << "near the start the first line stays on top";
    EXPECT_EQ(DlgListShowLine(list, 1000), 0);
    EXPECT_EQ(DlgListShowLine(list, -1), 0);
    EXPECT_EQ(Top(list), 0);
}

TEST_F(ListDialog, SelectAndRefreshWriteAndShowTheLine) {
    long long line = 600;
    DialogItem* list = Build(&line, 1000, 0);
    EXPECT_EQ(SendMessageW(list->control, LB_GETCURSEL, 0, 0), 600) << "the variable's line at creation";
    int visible = Visible(list);
    EXPECT_LE(Top(list), 600);
    EXPECT_GT(Top(list) + visible, 600);

    ASSERT_EQ(DlgListSelect(list, 10), 1);
    EXPECT_EQ(line, 10);
    EXPECT_EQ(SendMessageW(list->control, LB_GETCURSEL, 0, 0), 10);
    EXPECT_EQ(DlgListSelect(list, 1000), 0);
    EXPECT_EQ(DlgListSelect(list, -2), 0);
    EXPECT_EQ(line, 10) << "refused lines leave the variable";

    line = 900;
    ASSERT_EQ(DlgRefresh(list), 1);
    EXPECT_EQ(SendMessageW(list->control, LB_GETCURSEL, 0, 0), 900);
    EXPECT_EQ(Top(list), 900 - visible / 2);

    int* lines = nullptr;
    ASSERT_EQ(DlgListSelection(list, &lines), 1) << "a single selection reads as one line";
    EXPECT_EQ(lines[0], 900);
    MemFree(lines);

    ASSERT_EQ(DlgListSelect(list, -1), 1);
    EXPECT_EQ(line, -1);
    EXPECT_EQ(SendMessageW(list->control, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ListDialog, SetCountChangesTheLinesThatAreDrawn) {
    long long line = -1;
    DialogItem* list = Build(&line, 1000, 0);
    ASSERT_EQ(DlgListSetCount(list, 3), 1);
    EXPECT_EQ(SendMessageW(list->control, LB_GETCOUNT, 0, 0), 3);
    Redraw(list);
    ASSERT_EQ(gDraws.lines.size(), 3u);
    EXPECT_EQ(gDraws.lines.back(), 2);
    ASSERT_EQ(DlgListSetCount(list, -5), 1);
    EXPECT_EQ(SendMessageW(list->control, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(list->lineCount, 0);
    EXPECT_EQ(DlgListSelect(list, 0), 0) << "no lines, nothing to select";
    EXPECT_EQ(DlgListSetCount(nullptr, 3), 0);
}

TEST_F(ListDialog, CancelKeepsTheSelectedLine) {
    long long line = 2;
    DialogItem* list = Build(&line, 10, 0);
    ClickLineOf(list, 5);
    ASSERT_EQ(line, 5);
    DlgRestoreVariables(dialog_);
    EXPECT_EQ(line, 5);
}

} // namespace
#endif
