// Operations on items that every kind shares, with their by-variable and by-callback forms.
#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/item_kinds.h"

DialogItem* DlgItemAt(Dialog* dialog, int index) {
    if (!dialog || index < 0 || index >= dialog->itemCount) return nullptr;
    return dialog->items[index];
}

DialogItem* DlgItemByVariable(Dialog* dialog, const void* variable) {
    if (!dialog || !variable) return nullptr;
    for (int index = 0; index < dialog->itemCount; ++index)
        if (dialog->items[index]->variable == variable) return dialog->items[index];
    return nullptr;
}

DialogItem* DlgItemByCallback(Dialog* dialog, DlgCallback callback) {
    if (!dialog || !callback) return nullptr;
    for (int index = 0; index < dialog->itemCount; ++index) {
        DialogItem* item = dialog->items[index];
        if (item->kind == DlgKindButton && item->callback == callback) return item;
    }
    return nullptr;
}

int DlgEnable(DialogItem* item, int enable) {
    if (!item) return 0;
    HWND windows[3] = {item->control, item->label, item->unit};
    for (HWND window : windows)
        if (window) EnableWindow(window, enable ? TRUE : FALSE);
    return 1;
}

int DlgShowItem(DialogItem* item, int show) {
    if (!item) return 0;
    item->visible = show ? 1 : 0;
    HWND windows[3] = {item->control, item->label, item->unit};
    for (HWND window : windows)
        if (window) ShowWindow(window, show ? SW_SHOWNA : SW_HIDE);
    // A choice shown again picks the entry of its variable's current value.
    if (show && item->kind == DlgKindChoice) DlgRefresh(item);
    return 1;
}

int DlgRefresh(DialogItem* item) {
    if (!item) return 0;
    const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
    if (behaviour && behaviour->refresh) behaviour->refresh(item);
    return 1;
}

int DlgFocus(DialogItem* item) {
    if (!item || !item->control) return 0;
    SetFocus(item->control);
    return 1;
}

int DlgCommit(DialogItem* item) {
    if (!item || !item->dialog) return 0;
    // Once a run has its result, a field losing the focus must not overwrite restored values.
    if (item->dialog->result) return 0;
    const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
    if (!behaviour || !behaviour->commit || !behaviour->commit(item)) return 0;
    ItemNotify(item);
    return 1;
}

int DlgSetLabel(DialogItem* item, const wchar_t* text) {
    if (!item) return 0;
    if (item->kind == DlgKindToggle || item->kind == DlgKindButton) {
        SetWindowTextW(item->control, text ? text : L"");
        return 1;
    }
    if (!item->label) {
        if (!ItemCreateLabel(item, text ? text : L"")) return 0;
        return 1;
    }
    SetWindowTextW(item->label, text ? text : L"");
    ItemPlaceLabel(item);
    InvalidateRect(item->dialog->window, nullptr, TRUE);
    return 1;
}

int DlgSetButtonPressed(Dialog* dialog, DlgCallback callback, int pressed) {
    DialogItem* item = DlgItemByCallback(dialog, callback);
    if (!item) return 0;
    item->pressed = pressed ? 1 : 0;
    if (item->flags & DlgButtonRadio)
        SendMessageW(item->control, BM_SETCHECK, pressed ? BST_CHECKED : BST_UNCHECKED, 0);
    else
        SendMessageW(item->control, BM_SETSTATE, pressed ? TRUE : FALSE, 0);
    return 1;
}

int DlgEnableVariable(Dialog* dialog, const void* variable, int enable) {
    return DlgEnable(DlgItemByVariable(dialog, variable), enable);
}
int DlgEnableButton(Dialog* dialog, DlgCallback callback, int enable) {
    return DlgEnable(DlgItemByCallback(dialog, callback), enable);
}
int DlgShowItemVariable(Dialog* dialog, const void* variable, int show) {
    return DlgShowItem(DlgItemByVariable(dialog, variable), show);
}
int DlgShowButton(Dialog* dialog, DlgCallback callback, int show) {
    return DlgShowItem(DlgItemByCallback(dialog, callback), show);
}
int DlgRefreshVariable(Dialog* dialog, const void* variable) {
    return DlgRefresh(DlgItemByVariable(dialog, variable));
}
int DlgFocusVariable(Dialog* dialog, const void* variable) {
    return DlgFocus(DlgItemByVariable(dialog, variable));
}
int DlgFocusButton(Dialog* dialog, DlgCallback callback) {
    return DlgFocus(DlgItemByCallback(dialog, callback));
}
int DlgSetLabelVariable(Dialog* dialog, const void* variable, const wchar_t* text) {
    return DlgSetLabel(DlgItemByVariable(dialog, variable), text);
}
int DlgSetLabelButton(Dialog* dialog, DlgCallback callback, const wchar_t* text) {
    return DlgSetLabel(DlgItemByCallback(dialog, callback), text);
}
