// The picture items and caller-painted areas: swatches filled with a palette colour, custom areas whose
// handler paints and hears the mouse, bitmaps loaded from the resources and centred in their area, and
// the tool bar with its two named buttons sized to fit. Colours are read back from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#ifndef NIMBO_PLUGIN
#include <commctrl.h>

#include <string>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "support/test_environment.h"

namespace {

COLORREF PixelOf(HWND control, int x, int y) {
    HDC dc = GetDC(control);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return color;
}

COLORREF CentreOf(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    return PixelOf(control, client.right / 2, client.bottom / 2);
}

struct CustomLog {
    int paints = 0;
    int clicks = 0;
    POINT click = {};
    DialogItem* item = nullptr;
    void* data = nullptr;
};
CustomLog gCustom;

// Paints the area green and remembers who asked; everything else goes to the default handling.
int GreenHandler(DialogItem* item, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    gCustom.item = item;
    gCustom.data = item->userData;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(item->control, &paint);
        RECT client;
        GetClientRect(item->control, &client);
        HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
        FillRect(dc, &client, green);
        DeleteObject(green);
        EndPaint(item->control, &paint);
        ++gCustom.paints;
        *result = 0;
        return 1;
    }
    if (message == WM_LBUTTONDOWN) {
        ++gCustom.clicks;
        gCustom.click = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        *result = 0;
        return 1;
    }
    return 0;
}

class PictureItems : public testing::Test {
protected:
    static void SetUpTestSuite() {
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Misc Test", L"NOICON", nullptr, 12);
    }
    static void TearDownTestSuite() { AppEnd(); }
    void SetUp() override {
        gCustom = CustomLog();
        dialog_ = DlgCreate(L"Pictures", 40, 8, DlgWindowToolDisabled, 0, nullptr);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override {
        if (dialog_) DlgClose(&dialog_);
    }
    void Show() {
        DlgShow(dialog_);
        SetForegroundWindow(dialog_->window);
        testenv::PumpMessages(200);
    }
    Dialog* dialog_ = nullptr;
};

TEST_F(PictureItems, SwatchIsAnEdgedAreaOfItsPaletteColour) {
    DialogItem* red = DlgSwatch(dialog_, 2, 1, 10, 2, 2);
    DialogItem* wide = DlgSwatch(dialog_, 20, 1, 0, 2, 17);
    ASSERT_NE(red, nullptr);
    ASSERT_NE(wide, nullptr);
    Show();
    EXPECT_EQ(CentreOf(red->control), RGB(255, 0, 0));
    EXPECT_EQ(CentreOf(wide->control), RGB(0, 0, 80));
    EXPECT_TRUE(GetWindowLongW(red->control, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_EQ(GetWindowLongW(red->control, GWL_STYLE) & WS_TABSTOP, 0);
    RECT client, area;
    GetClientRect(dialog_->window, &client);
    GetWindowRect(wide->control, &area);
    MapWindowPoints(nullptr, dialog_->window, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_EQ(area.right, client.right) << "width 0 reaches the right edge";
    EXPECT_EQ(DlgSwatch(nullptr, 1, 1, 1, 1, 2), nullptr);
}

TEST_F(PictureItems, CustomAreaIsPaintedAndClickedThroughItsHandler) {
    int marker = 0;
    DialogItem* custom = DlgCustom(dialog_, 2, 1, 20, 4, WS_BORDER);
    ASSERT_NE(custom, nullptr);
    DlgCustomSetHandler(custom, GreenHandler, &marker);
    DialogItem* plain = DlgCustom(dialog_, 24, 1, 10, 4, 0);
    ASSERT_NE(plain, nullptr);
    Show();
    wchar_t className[64] = {};
    GetClassNameW(custom->control, className, 64);
    EXPECT_STREQ(className, L"NimboCustomCtrl");
    EXPECT_TRUE(GetWindowLongW(custom->control, GWL_STYLE) & WS_BORDER) << "the caller's style bits";
    EXPECT_GE(gCustom.paints, 1);
    EXPECT_EQ(gCustom.item, custom);
    EXPECT_EQ(gCustom.data, &marker);
    EXPECT_EQ(CentreOf(custom->control), RGB(0, 160, 0));
    EXPECT_EQ(CentreOf(plain->control), GetSysColor(COLOR_WINDOW)) << "no handler: the class background";

    POINT at = {7, 9};
    ClientToScreen(custom->control, &at);
    SetCursorPos(at.x, at.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    testenv::PumpMessages(150);
    EXPECT_EQ(gCustom.clicks, 1);
    EXPECT_EQ(gCustom.click.x, 7);
    EXPECT_EQ(gCustom.click.y, 9);
    testenv::SaveScreenshot("custom_and_swatch");
}

TEST_F(PictureItems, BitmapComesFromTheResourcesCentredInItsArea) {
    DialogItem* picture = DlgBitmap(dialog_, 2, 1, 8, 2, L"ZOOM_IN", 0, 0);
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->bitmap, nullptr);
    DialogItem* missing = DlgBitmap(dialog_, 12, 1, 8, 2, L"NO_SUCH_PICTURE", 0, 10);
    ASSERT_NE(missing, nullptr) << "a missing picture leaves an empty area, not a failed page";
    EXPECT_EQ(missing->bitmap, nullptr);
    Show();
    RECT area;
    GetClientRect(picture->control, &area);
    EXPECT_EQ(area.right, AppColumnsToPixels(8)) << "the area keeps the size it was given";
    EXPECT_EQ(area.bottom, AppLinesToPixels(2));
    // The plus sign of the magnifier: rows 6 and 7 of the 16-pixel picture, columns 4 to 9.
    int left = (area.right - 16) / 2, top = (area.bottom - 16) / 2;
    EXPECT_EQ(PixelOf(picture->control, left + 5, top + 6), RGB(0, 90, 200));
    EXPECT_EQ(PixelOf(picture->control, left + 6, top + 9), RGB(0, 90, 200));
    EXPECT_EQ(PixelOf(picture->control, 1, 1), RGB(255, 255, 255)) << "around it: background colour 0";
    EXPECT_EQ(PixelOf(missing->control, 1, 1), RGB(232, 232, 232)) << "an empty area of colour 10";
    testenv::SaveScreenshot("bitmap");
}

TEST_F(PictureItems, ToolbarHasItsTwoNamedButtonsAndFitsThem) {
    SetCursorPos(1, 1); // no button hot under the mouse in the picture
    DialogItem* toolbar = DlgToolbar(dialog_, 2, 1);
    ASSERT_NE(toolbar, nullptr);
    Show();
    HWND bar = toolbar->control;
    ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 2);
    const wchar_t* names[2] = {L"Display Mode", L"Zoom In"};
    int buttonsRight = 0;
    for (int index = 0; index < 2; ++index) {
        TBBUTTON button = {};
        ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)));
        wchar_t text[64] = {};
        SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, names[index]);
        EXPECT_GE(button.iBitmap, 0) << names[index] << " has its picture";
        RECT rect;
        SendMessageW(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        EXPECT_GT(rect.right - rect.left, 16);
        buttonsRight = rect.right;
    }
    RECT outer;
    GetWindowRect(bar, &outer);
    MapWindowPoints(nullptr, dialog_->window, reinterpret_cast<POINT*>(&outer), 2);
    EXPECT_EQ(outer.left, AppColumnsToPixels(2));
    EXPECT_GE(outer.right - outer.left, buttonsRight) << "both buttons fit";
    EXPECT_LT(outer.right - outer.left, buttonsRight + 20) << "and no more than they need";
    testenv::SaveScreenshot("toolbar");
    EXPECT_EQ(DlgToolbar(nullptr, 1, 1), nullptr);
}

} // namespace
#endif
