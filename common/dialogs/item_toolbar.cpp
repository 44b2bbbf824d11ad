// Tool bars: a small "ToolbarWindow32" with the display-mode and zoom buttons, sized to its buttons.
#ifndef NIMBO_PLUGIN
#include <windows.h>

#include <commctrl.h>

#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

struct ToolbarButtonSpec {
    const wchar_t* bitmapName;
    const wchar_t* text;
    int command;
};

// Command identifiers far above item indexes, labels and units, so that a click is never taken for
// another item's notification.
const ToolbarButtonSpec ToolbarButtons[] = {
    {L"DISPLAY_MODE", L"Display Mode", 40001},
    {L"ZOOM_IN", L"Zoom In", 40002},
};
const int ToolbarButtonCount = sizeof ToolbarButtons / sizeof ToolbarButtons[0];

// Pictures are loaded once and shared by every tool bar, like the toolkit's fonts: a tool bar does
// not copy the bitmaps it is given, and the program ends before anybody could miss them.
HBITMAP ToolbarPictures[sizeof ToolbarButtons / sizeof ToolbarButtons[0]];

HBITMAP ToolbarPicture(int index) {
    if (!ToolbarPictures[index])
        ToolbarPictures[index] = static_cast<HBITMAP>(LoadImageW(
            AppInstance(), ToolbarButtons[index].bitmapName, IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    return ToolbarPictures[index];
}

void SetPictureSize(HWND toolbar) {
    for (int index = 0; index < ToolbarButtonCount; ++index) {
        BITMAP info = {};
        if (ToolbarPicture(index) && GetObjectW(ToolbarPicture(index), sizeof info, &info)) {
            SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(info.bmWidth, info.bmHeight));
            return;
        }
    }
}

void AddToolbarButton(HWND toolbar, int index) {
    LRESULT image = -1;
    if (ToolbarPicture(index)) {
        TBADDBITMAP picture = {};
        picture.nID = reinterpret_cast<UINT_PTR>(ToolbarPicture(index));
        image = SendMessageW(toolbar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&picture));
    }
    TBBUTTON button = {};
    button.iBitmap = image >= 0 ? static_cast<int>(image) : I_IMAGENONE;
    button.idCommand = ToolbarButtons[index].command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
    button.iString = reinterpret_cast<INT_PTR>(ToolbarButtons[index].text);
    SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
}

// The tool bar takes the size its buttons need, at the position it was given.
void FitToolbar(HWND toolbar) {
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    SIZE size = {};
    SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    RECT now;
    GetWindowRect(toolbar, &now);
    int height = size.cy > 0 ? size.cy : now.bottom - now.top;
    SetWindowPos(toolbar, nullptr, 0, 0, size.cx + 2, height + 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

const ItemBehaviour ItemToolbarBehaviour = {
    TOOLBARCLASSNAMEW,
    TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER,
    0,
    0, // not a tab stop
    0, // not recorded
    1, // takes the wheel
    LayoutPlain,
    ColorsStatic,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

DialogItem* DlgToolbar(Dialog* dialog, double x, double y) {
    if (!dialog) return nullptr;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    // The starting size is a placeholder until the buttons are in.
    DialogItem* item = ItemCreate(dialog, DlgKindToolbar, x, y, 1, 1, nullptr, 0, 0, nullptr, nullptr, 0,
                                  nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    HWND toolbar = item->control;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SetPictureSize(toolbar);
    for (int index = 0; index < ToolbarButtonCount; ++index) AddToolbarButton(toolbar, index);
    FitToolbar(toolbar);
    return item;
}
#endif
