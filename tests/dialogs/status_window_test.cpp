// Status and busy windows: their size, style and lines, which line an index reaches, the composition of
// replaced lines, and that closing clears the caller's reference.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "dialogs/status_window.h"
#include "support/test_environment.h"

namespace {

std::wstring TextOf(DialogItem* item) {
    wchar_t text[1024] = {};
    GetWindowTextW(item->control, text, 1024);
    return text;
}

std::wstring LineOf(Dialog* window, int index) {
    return TextOf(DlgItemAt(window, index));
}

class StatusWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
#ifdef NIMBO_PLUGIN
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Status Test", L"NOICON");
#else
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Status Test", L"NOICON", nullptr, 12);
#endif
    }
};

void ExpectClientSize(Dialog* window, double columns, double lines) {
    RECT client;
    GetClientRect(window->window, &client);
    EXPECT_EQ(client.right, AppColumnsToPixels(columns));
    EXPECT_EQ(client.bottom, AppLinesToPixels(lines));
}

void ExpectNoCloseBox(Dialog* window) {
    EXPECT_EQ(window->kind, DlgWindowTool);
    EXPECT_EQ(window->style, 0x30);
    LONG style = GetWindowLongW(window->window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "a status window must not offer a close box";
    EXPECT_TRUE(IsWindowVisible(window->window));
}

void ExpectCentredText(DialogItem* item, double x, double y, double w, bool bold) {
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->kind, DlgKindText);
    EXPECT_EQ(item->x, x);
    EXPECT_EQ(item->y, y);
    EXPECT_EQ(item->w, w);
    EXPECT_EQ(GetWindowLongW(item->control, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(item->control, WM_GETFONT, 0, 0));
    EXPECT_EQ(font, AppFont(bold ? AppFontBold : AppFontRegular));
    EXPECT_EQ(item->textColor, AppColorBlack);
    EXPECT_EQ(item->backColor, AppColorBackground);
}

TEST_F(StatusWindowTest, OpensWithTwoCentredLinesTheFirstBold) {
    Dialog* status = StatusWindowOpen(L"Installing...", L"Copying files", nullptr, L"Nimbo Setup");
    ASSERT_NE(status, nullptr);
    ExpectNoCloseBox(status);
    ExpectClientSize(status, 82, 2.9);
    ASSERT_EQ(status->itemCount, 2);
    ExpectCentredText(DlgItemAt(status, 0), 1, 0.4, 80, true);
    ExpectCentredText(DlgItemAt(status, 1), 1, 1.5, 80, false);
    EXPECT_EQ(LineOf(status, 0), L"Installing...");
    EXPECT_EQ(LineOf(status, 1), L"Copying files");
    wchar_t title[64] = {};
    GetWindowTextW(status->window, title, 64);
    EXPECT_STREQ(title, L"Nimbo Setup");
    testenv::SaveScreenshot("status_window");
    StatusWindowClose(&status);
    EXPECT_EQ(status, nullptr);
}

TEST_F(StatusWindowTest, MissingOrEmptyLinesShowASpace) {
    Dialog* status = StatusWindowOpen(nullptr, L"", nullptr, L"Nimbo Setup");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(LineOf(status, 0), L" ");
    EXPECT_EQ(LineOf(status, 1), L" ");
    StatusWindowSetLine(status, 0, L"", nullptr);
    EXPECT_EQ(LineOf(status, 0), L" ");
    StatusWindowSetLine(status, 1, nullptr, nullptr);
    EXPECT_EQ(LineOf(status, 1), L" ");
    StatusWindowClose(&status);
}

TEST_F(StatusWindowTest, LineIndexIsLimitedToTheTwoLines) {
    Dialog* status = StatusWindowOpen(L"first", L"second", nullptr, L"Nimbo Setup");
    ASSERT_NE(status, nullptr);
    StatusWindowSetLine(status, 5, L"Copying %s", L"setup.inf");
    EXPECT_EQ(LineOf(status, 0), L"first");
    EXPECT_EQ(LineOf(status, 1), L"Copying setup.inf");
    StatusWindowSetLine(status, -3, L"Step %s", L"two");
    EXPECT_EQ(LineOf(status, 0), L"Step two");
    EXPECT_EQ(LineOf(status, 1), L"Copying setup.inf");
    StatusWindowSetLine(status, 1, L"no argument %s", nullptr);
    EXPECT_EQ(LineOf(status, 1), L"no argument %s");
    StatusWindowClose(&status);
}

TEST_F(StatusWindowTest, ReplacedLinesAreCutAtFourHundredCharacters) {
    Dialog* status = StatusWindowOpen(L"a", L"b", nullptr, L"Nimbo Setup");
    ASSERT_NE(status, nullptr);
    std::wstring path(1500, L'p');
    StatusWindowSetLine(status, 1, L"Copying %s", path.c_str());
    std::wstring shown = LineOf(status, 1);
    EXPECT_EQ(shown.size(), static_cast<size_t>(kStatusLineLength));
    EXPECT_EQ(shown.substr(0, 8), L"Copying ");
    StatusWindowClose(&status);
}

TEST_F(StatusWindowTest, NullWindowsAndReferencesAreIgnored) {
    StatusWindowSetLine(nullptr, 0, L"x", nullptr);
    BusyWindowSetText(nullptr, L"x", nullptr);
    StatusWindowClose(nullptr);
    BusyWindowClose(nullptr);
    Dialog* none = nullptr;
    StatusWindowClose(&none);
    BusyWindowClose(&none);
    EXPECT_EQ(none, nullptr);
}

TEST_F(StatusWindowTest, OnlyTextItemsAreReplaced) {
    Dialog* status = StatusWindowOpen(L"a", L"b", nullptr, L"Nimbo Setup");
    ASSERT_NE(status, nullptr);
    // A caller that put something else at a line's place keeps it untouched.
    DialogItem* line = DlgItemAt(status, 1);
    line->kind = DlgKindLine;
    StatusWindowSetLine(status, 1, L"changed", nullptr);
    line->kind = DlgKindText;
    EXPECT_EQ(LineOf(status, 1), L"b");
    StatusWindowClose(&status);
}

TEST_F(StatusWindowTest, BusyWindowHasOneBoldCentredLine) {
    Dialog* busy = BusyWindowOpen(L"Loading %s", L"project.prj", nullptr, L"Ocularis");
    ASSERT_NE(busy, nullptr);
    ExpectNoCloseBox(busy);
    ExpectClientSize(busy, 82, 2);
    ASSERT_EQ(busy->itemCount, 1);
    ExpectCentredText(DlgItemAt(busy, 0), 1, 0.5, 80, true);
    EXPECT_EQ(LineOf(busy, 0), L"Loading project.prj");
    testenv::SaveScreenshot("busy_window");
    BusyWindowSetText(busy, L"Converting %s", L"points");
    EXPECT_EQ(LineOf(busy, 0), L"Converting points");
    BusyWindowClose(&busy);
    EXPECT_EQ(busy, nullptr);
}

TEST_F(StatusWindowTest, CentredOnTheParent) {
    Dialog* owner = DlgCreate(L"Owner", 100, 20, DlgWindowTool, 0, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(DlgShow(owner));
    Dialog* status = StatusWindowOpen(L"a", L"b", owner->window, L"Nimbo Setup");
    ASSERT_NE(status, nullptr);
    RECT outer, inner;
    GetWindowRect(owner->window, &outer);
    GetWindowRect(status->window, &inner);
    EXPECT_NEAR((inner.left + inner.right) / 2.0, (outer.left + outer.right) / 2.0, 1.5);
    EXPECT_NEAR((inner.top + inner.bottom) / 2.0, (outer.top + outer.bottom) / 2.0, 1.5);
    StatusWindowClose(&status);
    DlgClose(&owner);
}

} // namespace
