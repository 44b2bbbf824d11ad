// Menu bars built from code: popups, commands that run like push buttons, and their state.
#include "dialogs/dialog.h"
#include "dialogs/item_kinds.h"

#include "runtime/memory.h"

namespace {

const int kMenuTableGrowth = 400;

DlgMenuEntry* AddEntry(Dialog* dialog, int kind, HMENU popup, const wchar_t* text, const wchar_t* name,
                       DlgCallback callback) {
    if (dialog->menuCount >= dialog->menuCapacity) {
        int capacity = dialog->menuCapacity + kMenuTableGrowth;
        size_t bytes = sizeof(DlgMenuEntry) * static_cast<size_t>(capacity);
        void* table =
            dialog->menuEntries ? MemRealloc(dialog->menuEntries, bytes) : MemAlloc(bytes, "DlgMtb");
        if (!table) return nullptr;
        dialog->menuEntries = static_cast<DlgMenuEntry*>(table);
        dialog->menuCapacity = capacity;
    }
    DlgMenuEntry* entry = &dialog->menuEntries[dialog->menuCount++];
    entry->kind = kind;
    entry->id = ++dialog->commandCounter;
    entry->popup = popup;
    ItemCopyText(entry->text, DlgNameLength, text);
    ItemCopyText(entry->name, DlgNameLength, name);
    entry->callback = callback;
    return entry;
}

HMENU AppendPopup(Dialog* dialog, HMENU owner, int kind, const wchar_t* title) {
    if (!dialog || !owner) return nullptr;
    HMENU popup = CreatePopupMenu();
    if (!popup) return nullptr;
    if (!AddEntry(dialog, kind, popup, title, nullptr, nullptr) ||
        !AppendMenuW(owner, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), title ? title : L"")) {
        DestroyMenu(popup);
        return nullptr;
    }
    return popup;
}

DlgMenuEntry* EntryByCallback(Dialog* dialog, DlgCallback callback) {
    if (!dialog || !callback) return nullptr;
    for (int index = 0; index < dialog->menuCount; ++index)
        if (dialog->menuEntries[index].kind == 1 && dialog->menuEntries[index].callback == callback)
            return &dialog->menuEntries[index];
    return nullptr;
}

} // namespace

int DlgMenuBar(Dialog* dialog) {
    if (!dialog) return 0;
    if (!dialog->menu) dialog->menu = CreateMenu();
    return dialog->menu ? 1 : 0;
}

HMENU DlgMenuPopup(Dialog* dialog, const wchar_t* title) {
    return dialog ? AppendPopup(dialog, dialog->menu, 0, title) : nullptr;
}

HMENU DlgMenuSubPopup(Dialog* dialog, HMENU popup, const wchar_t* title) {
    return AppendPopup(dialog, popup, 3, title);
}

int DlgMenuCommand(Dialog* dialog, HMENU popup, DlgCallback callback, const wchar_t* text,
                   const wchar_t* name) {
    if (!dialog || !popup) return 0;
    DlgMenuEntry* entry = AddEntry(dialog, 1, popup, text, name, callback);
    if (!entry) return 0;
    if (!AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(entry->id), text ? text : L"")) {
        --dialog->menuCount;
        return 0;
    }
    return entry->id;
}

int DlgMenuSeparator(Dialog* dialog, HMENU popup) {
    if (!dialog || !popup) return 0;
    DlgMenuEntry* entry = AddEntry(dialog, 1, popup, nullptr, nullptr, nullptr);
    if (!entry) return 0;
    return AppendMenuW(popup, MF_SEPARATOR, 0, nullptr) ? 1 : 0;
}

int DlgMenuEnable(Dialog* dialog, DlgCallback callback, int enable) {
    DlgMenuEntry* entry = EntryByCallback(dialog, callback);
    if (!entry) return 0;
    EnableMenuItem(entry->popup, static_cast<UINT>(entry->id),
                   MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
    return 1;
}

int DlgMenuCheck(Dialog* dialog, DlgCallback callback, int check) {
    DlgMenuEntry* entry = EntryByCallback(dialog, callback);
    if (!entry) return 0;
    CheckMenuItem(entry->popup, static_cast<UINT>(entry->id),
                  MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
    return 1;
}

DlgMenuEntry* DlgMenuEntryById(Dialog* dialog, int id) {
    if (!dialog || id <= DlgMenuIdBase) return nullptr;
    for (int index = 0; index < dialog->menuCount; ++index)
        if (dialog->menuEntries[index].id == id) return &dialog->menuEntries[index];
    return nullptr;
}
