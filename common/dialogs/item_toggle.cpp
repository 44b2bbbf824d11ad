// Toggles: check boxes (or push-like toggles) bound to an int that holds 0 or 1.
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

#ifndef NIMBO_PLUGIN

namespace {

int* Variable(DialogItem* item) {
    return static_cast<int*>(item->variable);
}

void RefreshToggle(DialogItem* item) {
    if (item->control && item->variable)
        SendMessageW(item->control, BM_SETCHECK, *Variable(item) ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SaveToggle(DialogItem* item) {
    item->saved.i = *Variable(item);
}

void RestoreToggle(DialogItem* item) {
    *Variable(item) = item->saved.i;
}

int ToggleCommand(DialogItem* item, int notifyCode) {
    if (notifyCode != BN_CLICKED || !item->variable) return 0;
    *Variable(item) = SendMessageW(item->control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    return 1;
}

} // namespace

const ItemBehaviour ItemToggleBehaviour = {
    .className = L"BUTTON",
    .style = BS_AUTOCHECKBOX | BS_NOTIFY,
    .tabStop = 1,
    .recorded = 1,
    .layout = LayoutToggle,
    .colors = ColorsStatic,
    .refresh = RefreshToggle,
    .save = SaveToggle,
    .restore = RestoreToggle,
    .command = ToggleCommand,
};

DialogItem* DlgToggleNamed(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                           const wchar_t* label, const wchar_t* name) {
    if (!dialog || !variable) return nullptr;
    DWORD style = (flags & DlgTogglePushLike) ? BS_PUSHLIKE : 0;
    DialogItem* item = ItemCreate(dialog, DlgKindToggle, x, y, w, 0, nullptr, style, 0, label, variable,
                                  flags, nullptr, nullptr, name);
    if (item) RefreshToggle(item);
    return item;
}

DialogItem* DlgToggle(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                      const wchar_t* label) {
    return DlgToggleNamed(dialog, x, y, w, variable, flags, label, nullptr);
}

#endif
