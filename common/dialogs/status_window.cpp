#include "dialogs/status_window.h"

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "dialogs/message_box.h"

namespace {

// One text line of a status or busy window, in character units.
struct StatusLinePlace {
    double x, y, width;
    int flags;
};

const StatusLinePlace kStatusLines[] = {
    {1, 0.4, 80, DlgTextCentre | DlgTextBold},
    {1, 1.5, 80, DlgTextCentre},
};
const StatusLinePlace kBusyLine = {1, 0.5, 80, DlgTextCentre | DlgTextBold};

// A static control with no text collapses its line in some themes and leaves stale pixels in others;
// a single space keeps the line's height and paints it clean.
const wchar_t* ShownText(const wchar_t* text) {
    return text && *text ? text : L" ";
}

DialogItem* AddLine(Dialog* dialog, const StatusLinePlace& place, const wchar_t* text) {
    return DlgText(dialog, place.x, place.y, place.width, ShownText(text), place.flags, AppColorBlack,
                   AppColorBackground);
}

Dialog* OpenWindow(double lines, HWND parent, const wchar_t* title) {
    return DlgCreate(title ? title : L"", kStatusWindowColumns, lines, DlgWindowTool, kStatusWindowStyle,
                     parent);
}

// Shows the dialog and paints it at once: the caller goes straight back to work without pumping
// messages, and an unpainted window would stay blank until the next message dialog.
Dialog* ShowWindowNow(Dialog* dialog) {
    if (!DlgShow(dialog)) {
        DlgClose(&dialog);
        return nullptr;
    }
    UpdateWindow(dialog->window);
    return dialog;
}

void SetItemText(Dialog* window, int index, const wchar_t* format, const wchar_t* argument) {
    if (!window || !window->window) return;
    DialogItem* item = DlgItemAt(window, index);
    if (!item || item->kind != DlgKindText) return;
    wchar_t text[kStatusLineLength + 1];
    MsgFormat(text, kStatusLineLength + 1, format, argument);
    DlgSetText(item, ShownText(text));
    UpdateWindow(item->control);
}

void CloseWindow(Dialog** window) {
    if (!window || !*window) return;
    DlgClose(window);
    *window = nullptr;
}

} // namespace

Dialog* StatusWindowOpen(const wchar_t* line0, const wchar_t* line1, HWND parent, const wchar_t* title) {
    Dialog* dialog = OpenWindow(kStatusWindowLines, parent, title);
    if (!dialog) return nullptr;
    wchar_t first[kStatusLineLength + 1];
    wchar_t second[kStatusLineLength + 1];
    MsgFormat(first, kStatusLineLength + 1, line0, nullptr);
    MsgFormat(second, kStatusLineLength + 1, line1, nullptr);
    if (!AddLine(dialog, kStatusLines[0], first) || !AddLine(dialog, kStatusLines[1], second)) {
        DlgClose(&dialog);
        return nullptr;
    }
    return ShowWindowNow(dialog);
}

void StatusWindowSetLine(Dialog* window, int index, const wchar_t* format, const wchar_t* argument) {
    SetItemText(window, index < 0 ? 0 : index > 1 ? 1 : index, format, argument);
}

void StatusWindowClose(Dialog** window) {
    CloseWindow(window);
}

Dialog* BusyWindowOpen(const wchar_t* format, const wchar_t* argument, HWND parent, const wchar_t* title) {
    Dialog* dialog = OpenWindow(kBusyWindowLines, parent, title);
    if (!dialog) return nullptr;
    wchar_t text[kStatusLineLength + 1];
    MsgFormat(text, kStatusLineLength + 1, format, argument);
    if (!AddLine(dialog, kBusyLine, text)) {
        DlgClose(&dialog);
        return nullptr;
    }
    return ShowWindowNow(dialog);
}

void BusyWindowSetText(Dialog* window, const wchar_t* format, const wchar_t* argument) {
    SetItemText(window, 0, format, argument);
}

void BusyWindowClose(Dialog** window) {
    CloseWindow(window);
}
