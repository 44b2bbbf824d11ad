// Creating dialog windows of every kind, showing them modelessly, and destroying them.
#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/item_kinds.h"

#include "runtime/memory.h"

#include <commctrl.h>

namespace {

struct WindowStyle {
    DWORD style;
    DWORD exStyle;
};

WindowStyle StyleFor(int kind, int flags) {
    WindowStyle result{WS_CAPTION | WS_SYSMENU, 0};
    if (kind == DlgWindowPopup) {
        result.style |= WS_POPUP;
        result.exStyle |= WS_EX_DLGMODALFRAME;
    }
    if (flags & DlgStyleResizable) result.style |= WS_THICKFRAME;
    if (flags & DlgStyleMinMax) result.style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (flags & DlgStyleNoSysMenu) result.style &= ~WS_SYSMENU;
    if (flags & DlgStyleBorderless) {
        result.style = WS_POPUP;
        result.exStyle = 0;
    }
    return result;
}

SIZE OuterSize(int clientWidth, int clientHeight, const WindowStyle& style, bool menuBar) {
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, style.style, menuBar ? TRUE : FALSE, style.exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The frame the system actually draws can differ from what AdjustWindowRectEx predicts (Windows 10
// adds invisible borders, Wine draws its own); measure the real client area and correct the outer size
// so that the client area is exactly what the layout was computed for.
void CorrectClientSize(HWND window, int clientWidth, int clientHeight, bool menuBar) {
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int missingWidth = clientWidth - client.right;
    int missingHeight = clientHeight - client.bottom;
    if (menuBar) missingHeight += GetSystemMetrics(SM_CYMENU); // the bar is attached only when shown
    if (missingWidth == 0 && missingHeight == 0) return;
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + missingWidth,
                 outer.bottom - outer.top + missingHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT CentredOn(HWND parent, SIZE size) {
    RECT area{};
    if (!parent || !GetWindowRect(parent, &area)) GetWindowRect(GetDesktopWindow(), &area);
    return POINT{area.left + ((area.right - area.left - size.cx) >> 1),
                 area.top + ((area.bottom - area.top - size.cy) >> 1)};
}

HWND CreateDialogWindow(Dialog* dialog, const wchar_t* className, const wchar_t* title, WindowStyle style,
                        POINT at, SIZE size, HWND parent) {
    DialogSetCreating(dialog);
    HWND window = CreateWindowExW(style.exStyle, className, title ? title : L"", style.style, at.x, at.y,
                                  size.cx, size.cy, parent, nullptr, AppInstance(), dialog);
    DialogSetCreating(nullptr);
    return window;
}

Dialog* BuildDialog(Dialog* record, const wchar_t* title, double columns, double lines, int kind, int flags,
                    HWND parent) {
    WindowStyle style = StyleFor(kind, flags);
    int clientWidth = AppColumnsToPixels(columns);
    int clientHeight = AppLinesToPixels(lines);
    bool menuBar = (flags & DlgStyleMenuBar) != 0;
    SIZE outer = OuterSize(clientWidth, clientHeight, style, menuBar);
    POINT at = CentredOn(parent, outer);
    record->kind = kind;
    record->style = flags;
    record->parent = parent;
    HWND window = CreateDialogWindow(record, APP_CLASS_DIALOG, title, style, at, outer, parent);
    if (!window) {
        DialogClearRecord(record);
        return nullptr;
    }
    record->window = window;
    CorrectClientSize(window, clientWidth, clientHeight, menuBar);
    record->clientWidth = clientWidth;
    record->clientHeight = clientHeight;
    return record;
}

} // namespace

Dialog* DlgCreate(const wchar_t* title, double columns, double lines, int kind, int style, HWND parent) {
    Dialog* record = DialogTakeRecord();
    if (!record) return nullptr;
    return BuildDialog(record, title, columns, lines, kind, style, parent);
}

Dialog* DlgCreateNamed(const wchar_t* title, double columns, double lines, int kind, int style, HWND parent,
                       const wchar_t* name) {
    Dialog* dialog = DlgCreate(title, columns, lines, kind, style, parent);
    if (dialog) ItemCopyText(dialog->name, DlgNameLength, name);
    return dialog;
}

Dialog* DlgCreateInto(Dialog* record, const wchar_t* title, double columns, double lines, int kind, int style,
                      HWND parent) {
    if (!record) return nullptr;
    DialogClearRecord(record);
    record->ownRecord = 1;
    return BuildDialog(record, title, columns, lines, kind, style, parent);
}

Dialog* DlgCreateTool(const wchar_t* title, double columns, double lines, int, int style) {
    Dialog* record = DialogTakeRecord();
    if (!record) return nullptr;
    WindowStyle windowStyle{WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                            WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME};
    int clientWidth = AppColumnsToPixels(columns);
    int clientHeight = AppLinesToPixels(lines);
    SIZE outer = OuterSize(clientWidth, clientHeight, windowStyle, false);
    POINT at{CW_USEDEFAULT, CW_USEDEFAULT};
    if (style & DlgStyleCentred) at = CentredOn(nullptr, outer);
    record->kind = DlgWindowTool;
    record->style = style;
    HWND window = CreateDialogWindow(record, APP_CLASS_TOOL, title, windowStyle, at, outer, nullptr);
    if (!window) {
        DialogClearRecord(record);
        return nullptr;
    }
    record->window = window;
    CorrectClientSize(window, clientWidth, clientHeight, false);
    record->clientWidth = clientWidth;
    record->clientHeight = clientHeight;
    record->shown = 1;
    return record;
}

Dialog* DlgCreateChild(HWND host) {
    if (!host) return nullptr;
    Dialog* record = DialogTakeRecord();
    if (!record) return nullptr;
    RECT client{};
    GetClientRect(host, &client);
    record->kind = DlgWindowChild;
    record->parent = host;
    HWND window = CreateDialogWindow(record, APP_CLASS_CHILD, L"",
                                     WindowStyle{WS_CHILD | WS_VISIBLE, WS_EX_CONTROLPARENT}, POINT{0, 0},
                                     SIZE{client.right, client.bottom}, host);
    if (!window) {
        DialogClearRecord(record);
        return nullptr;
    }
    record->window = window;
    record->clientWidth = client.right;
    record->clientHeight = client.bottom;
    record->shown = 1;
    return record;
}

int DlgShow(Dialog* dialog) {
    if (!dialog || !dialog->window || dialog->kind == DlgWindowPopup) return 0;
    SendMessageW(dialog->window, WM_INITDIALOG, 0, 0);
    if (dialog->menu) SetMenu(dialog->window, dialog->menu);
    if (dialog->tooltip) SendMessageW(dialog->tooltip, TTM_ACTIVATE, TRUE, 0);
    ShowWindow(dialog->window, SW_SHOW);
    dialog->shown = 1;
    for (int index = 0; index < dialog->itemCount; ++index) {
        DialogItem* item = dialog->items[index];
        const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
        if (behaviour && behaviour->shown) behaviour->shown(item);
    }
    UpdateWindow(dialog->window);
    if (dialog->changeHook) dialog->changeHook(dialog, nullptr);
    return 1;
}

void DlgDestroy(Dialog* dialog) {
    if (!dialog || !dialog->window) return;
    if (IsWindow(dialog->window) && GetPropW(dialog->window, DLG_PROP_DIALOG) == dialog) {
        DestroyWindow(dialog->window); // the window procedure releases the record on its last message
        if (!dialog->window) return;
    }
    DialogReleaseRecord(dialog);
}

void DlgClose(Dialog** reference) {
    if (!reference || !*reference) return;
    Dialog* dialog = *reference;
    *reference = nullptr;
    if (!dialog->window) return;
    // The same path as the close box: the destroy hook runs and an unset result becomes -1.
    DlgDestroy(dialog);
}

void DialogReleaseRecord(Dialog* dialog) {
    for (int index = 0; index < dialog->itemCount; ++index) {
        DialogItem* item = dialog->items[index];
        if (!item) continue;
        const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
        if (behaviour && behaviour->destroy) behaviour->destroy(item);
        HWND windows[3] = {item->control, item->label, item->unit};
        for (HWND window : windows) {
            if (!window || !IsWindow(window)) continue;
            RemovePropW(window, DLG_PROP_ITEM);
            DestroyWindow(window);
        }
        MemFree(item);
    }
    MemFree(dialog->items);
    MemFree(dialog->menuEntries);
    if (dialog->menu && IsMenu(dialog->menu)) DestroyMenu(dialog->menu);
    if (dialog->tooltip && IsWindow(dialog->tooltip)) DestroyWindow(dialog->tooltip);
    if (dialog->window && IsWindow(dialog->window)) RemovePropW(dialog->window, DLG_PROP_DIALOG);
    DialogClearRecord(dialog);
}
