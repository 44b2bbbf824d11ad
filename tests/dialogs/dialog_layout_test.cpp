// Where items stand: client size of a dialog, each kind's layout rule, labels and unit texts, and the
// re-layout of a resizable dialog through its layout hook. Expected rectangles are computed from the
// measured metrics and compared with the controls' real rectangles.
#include <gtest/gtest.h>

#include "dialog_toolkit_start.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

namespace {

class DialogLayout : public ToolkitTest {
protected:
    const AppMetrics& m() const { return *AppGetMetrics(); }
    int Col(double columns) const { return AppColumnsToPixels(columns); }
    int Line(double lines) const { return AppLinesToPixels(lines); }
};

RECT Rect(HWND window) {
    return ui::RectInParent(window);
}

void ExpectRect(const RECT& expected, HWND window, const char* what) {
    RECT actual = Rect(window);
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

} // namespace

TEST_F(DialogLayout, ClientAreaIsExactlyTheColumnsAndLinesAsked) {
    Dialog* dialog = DlgCreate(L"Size", 78, 24.5, DlgWindowPopup, 0, nullptr);
    ASSERT_NE(nullptr, dialog);
    RECT client{};
    GetClientRect(dialog->window, &client);
    EXPECT_EQ(78 * m().columnUnit, client.right);
    EXPECT_EQ(AppRound(24.5 * m().lineUnit), client.bottom);
    double columns = 0, lines = 0;
    DlgClientSize(dialog, &columns, &lines);
    EXPECT_DOUBLE_EQ(78.0, columns);
    // Centred on the desktop: the halves of the free space left and right differ by at most one pixel.
    RECT outer{}, desktop{};
    GetWindowRect(dialog->window, &outer);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_LE(std::abs((outer.left - desktop.left) - (desktop.right - outer.right)), 1);
    EXPECT_LE(std::abs((outer.top - desktop.top) - (desktop.bottom - outer.bottom)), 1);
}

TEST_F(DialogLayout, ResizableAndMenuBarDialogsKeepTheirClientArea) {
    Dialog* dialog =
        DlgCreate(L"Resizable", 30, 10, DlgWindowPopup, DlgStyleResizable | DlgStyleMinMax, nullptr);
    RECT client{};
    GetClientRect(dialog->window, &client);
    EXPECT_EQ(Col(30), client.right);
    EXPECT_EQ(Line(10), client.bottom);
    EXPECT_NE(0, GetWindowLongPtrW(dialog->window, GWL_STYLE) & WS_THICKFRAME);
    DlgResize(dialog, 40, 12);
    GetClientRect(dialog->window, &client);
    EXPECT_EQ(Col(40), client.right);
    EXPECT_EQ(Line(12), client.bottom);

    // The menu bar is attached when the run starts; the client area below it is still the asked size.
    Dialog* withMenu = DlgCreate(L"With menu", 30, 10, DlgWindowPopup, DlgStyleMenuBar, nullptr);
    ASSERT_EQ(1, DlgMenuBar(withMenu));
    HMENU file = DlgMenuPopup(withMenu, L"File");
    ASSERT_NE(nullptr, file);
    int command = DlgMenuCommand(withMenu, file, DlgStandardYes, L"Close", nullptr);
    EXPECT_EQ(20002, command) << "the popup took 20001, one above the counter's start";
    static RECT runningClient{};
    static int runningCommand = 0;
    runningCommand = command;
    ui::Beside driver(L"With menu", [] {
        HWND window = ui::WaitForWindow(L"With menu");
        ui::WaitUntil([&] { return GetMenu(window) != nullptr; });
        GetClientRect(window, &runningClient);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(runningCommand, 0), 0);
    });
    EXPECT_EQ(2, DlgRun(withMenu)) << "a menu command ends the run with its callback's value";
    EXPECT_EQ(Col(30), runningClient.right);
    EXPECT_EQ(Line(10), runningClient.bottom);
}

TEST_F(DialogLayout, ItemsLabelsAndUnitsStandWhereTheRulesPutThem) {
    Dialog* dialog = DlgCreate(L"Layout", 78, 24.5, DlgWindowPopup, 0, nullptr);
    wchar_t name[20] = L"abc";
    DialogItem* field = DlgString(dialog, 20, 2, 30, name, 19, 0, L"Folder name:", L"chars");
    ASSERT_NE(nullptr, field);
    RECT fieldRect{Col(20), Line(2) + m().halfPad, Col(50), Line(2) + m().halfPad + m().H + 4};
    ExpectRect(fieldRect, field->control, "edit field");

    ASSERT_NE(nullptr, field->label);
    RECT label = Rect(field->label);
    EXPECT_EQ(Col(20) - 4, label.right) << "label ends 4 pixels before the control";
    EXPECT_EQ(Line(2) + m().pad, label.top);
    EXPECT_EQ(AppRound(1.2 * m().H), label.bottom - label.top);
    EXPECT_EQ(AppTextWidth(dialog->window, L"Folder name:", 0), label.right - label.left);
    EXPECT_EQ(GetWindowLongPtrW(field->label, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
    EXPECT_EQ(field->index + 10000, GetDlgCtrlID(field->label));

    ASSERT_NE(nullptr, field->unit);
    RECT unit = Rect(field->unit);
    EXPECT_EQ(Col(20 + 30 + 1), unit.left) << "unit text starts one column after the item";
    EXPECT_EQ(label.top, unit.top);
    EXPECT_EQ(field->index + 20000, GetDlgCtrlID(field->unit));

    DialogItem* button = DlgButton(dialog, 2, 20, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    ExpectRect(RECT{Col(2), Line(20), Col(14), Line(20) + Line(1.2)}, button->control,
               "button without height");
    DialogItem* tall = DlgButton(dialog, 20, 20, 12, 2, DlgStandardCancel, L"Tall", nullptr, 0);
    ExpectRect(RECT{Col(20), Line(20), Col(32), Line(20) + Line(2)}, tall->control, "button with height");

    DialogItem* text = DlgText(dialog, 2, 4, 30, L"Some text", 0, 1, 10);
    ExpectRect(RECT{Col(2), Line(4.1), Col(32), Line(4.1) + AppRound(1.2 * m().H)}, text->control, "text");
    DialogItem* fitted = DlgText(dialog, 2, 5, 0, L"Fitted", 0, 1, 10);
    EXPECT_EQ(AppTextWidth(dialog->window, L"Fitted", 0), Rect(fitted->control).right - Col(2));

    DialogItem* line = DlgLine(dialog, 3, 6, 0);
    ExpectRect(RECT{Col(3), Line(6), Col(78), Line(6) + 2}, line->control, "line to the right edge");
    EXPECT_EQ(nullptr, DlgLine(nullptr, 0, 0, 0));

#ifndef NIMBO_PLUGIN
    DialogItem* vline = DlgVLine(dialog, 60, 7, 0);
    ExpectRect(RECT{Col(60), Line(7), Col(60) + 2, AppRound(24.5 * m().lineUnit)}, vline->control,
               "vertical line to the bottom");
    int flag = 0;
    DialogItem* toggle = DlgToggle(dialog, 2, 8, 20, &flag, 0, L"Toggle");
    ExpectRect(RECT{Col(2), Line(8) + m().pad, Col(22), Line(8) + m().pad + m().H}, toggle->control,
               "toggle");
    DialogItem* pushLike = DlgToggle(dialog, 30, 8, 10, &flag, DlgTogglePushLike, L"Push");
    EXPECT_EQ(Line(1.2), Rect(pushLike->control).bottom - Rect(pushLike->control).top);

    int shown = 7;
    DialogItem* display =
        DlgInt(dialog, 20, 10, 10, &shown, nullptr, nullptr, DlgItemDisplayOnly, L"Shown:", nullptr);
    ExpectRect(RECT{Col(20) + 3, Line(10) + m().pad, Col(30) - 3, Line(10) + m().pad + m().H},
               display->control, "display-only field");
    EXPECT_EQ(L"Static", ui::ClassName(display->control));
    EXPECT_EQ(L"7", ui::Text(display->control));
    EXPECT_EQ(0, GetWindowLongPtrW(display->control, GWL_STYLE) & WS_BORDER);
#endif
    DialogItem* box = DlgTextBox(dialog, 2, 12, 40, 3, L"A text box\r\nwith two lines");
    ExpectRect(RECT{Col(2), Line(12), Col(42), Line(15)}, box->control, "text box");
    EXPECT_EQ(box->index, GetDlgCtrlID(box->control)) << "the control's identifier is its item index";

    ui::Beside driver(L"Layout", [] {
        HWND window = ui::WaitForWindow(L"Layout");
        testenv::SaveScreenshot("dialog_layout_rules");
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(-1, DlgRun(dialog));
}

namespace {

DialogItem* hookedItem;

// Keeps the item one column from the right edge, whatever the size.
int KeepRight(DlgLayoutRect* rects, int count, Dialog*, double columns, double lines) {
    EXPECT_GE(count, 1);
    rects[0] = DlgLayoutRect{hookedItem, columns - 11, lines - 2, 10, 0};
    return 1;
}

} // namespace

TEST_F(DialogLayout, LayoutHookMovesItemsWhenTheDialogIsResized) {
    static int afterLayout = 0;
    afterLayout = 0;
    Dialog* dialog = DlgCreate(L"Relayout", 40, 10, DlgWindowPopup, DlgStyleResizable, nullptr);
    wchar_t value[10] = L"";
    hookedItem = DlgString(dialog, 1, 1, 10, value, 9, 0, L"Value:", nullptr);
    DlgSetLayoutHook(dialog, KeepRight);
    DlgSetAfterLayoutHook(dialog, [](Dialog*) { ++afterLayout; });
    DlgResize(dialog, 60, 14);
    RECT rect = Rect(hookedItem->control);
    EXPECT_EQ(Col(60 - 11), rect.left);
    EXPECT_EQ(Line(14 - 2) + m().halfPad, rect.top) << "the kind's rule still applies to hook rectangles";
    EXPECT_EQ(m().H + 4, rect.bottom - rect.top);
    EXPECT_EQ(Col(60 - 11) - 4, Rect(hookedItem->label).right);
    EXPECT_GE(afterLayout, 1);
}
