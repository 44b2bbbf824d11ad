// Lookups a host uses to reach into open dialogs by name or by bound variable.
#include "dialogs/dialog_recording.h"

#include "dialogs/app.h"
#include "dialogs/dialog_name_registry.h"
#include "runtime/text.h"

namespace {

bool HasName(const Dialog* dialog, const wchar_t* name) {
    if (dialog->name[0]) return TextCompareNoCase(dialog->name, name) == 0;
    wchar_t title[DlgItemTextLength];
    title[0] = 0;
    GetWindowTextW(dialog->window, title, DlgItemTextLength);
    return TextCompareNoCase(title, name) == 0;
}

// A dialog inside a modal run belongs to that run: closing it from outside would leave the run
// looping over a destroyed window.
bool IsModal(const Dialog* dialog) {
    return dialog->kind == DlgWindowPopup;
}

void CallDestroyHookOnce(Dialog* dialog) {
    DlgDestroyHook hook = dialog->destroyHook;
    dialog->destroyHook = nullptr;
    if (hook) hook(dialog);
}

} // namespace

DialogItem* DlgFindItemByName(const wchar_t* name, Dialog** dialog) {
    if (dialog) *dialog = nullptr;
    if (!name || !name[0]) return nullptr;
    int cursor = 0;
    while (Dialog* open = DlgNextOpenDialog(&cursor)) {
        for (int i = 0; i < open->itemCount; ++i) {
            DialogItem* item = open->items[i];
            if (!item || TextCompareNoCase(DlgRecordedName(item), name) != 0) continue;
            if (dialog) *dialog = open;
            return item;
        }
    }
    return nullptr;
}

DlgMenuEntry* DlgFindMenuEntryByName(const wchar_t* name, Dialog** dialog) {
    if (dialog) *dialog = nullptr;
    if (!name || !name[0]) return nullptr;
    int cursor = 0;
    while (Dialog* open = DlgNextOpenDialog(&cursor)) {
        for (int i = 0; i < open->menuCount; ++i) {
            DlgMenuEntry* entry = &open->menuEntries[i];
            const wchar_t* entryName = entry->name;
#ifdef NIMBO_PLUGIN
            if (!entryName[0]) {
                const DlgNamedAction* action = DlgNamedActionOf(entry->callback);
                if (action) entryName = action->name;
            }
#endif
            if (!entryName[0] || TextCompareNoCase(entryName, name) != 0) continue;
            if (dialog) *dialog = open;
            return entry;
        }
    }
    return nullptr;
}

int DlgRefreshBoundVariable(const void* variable) {
    if (!variable) return 0;
    int refreshed = 0;
    int cursor = 0;
    while (Dialog* open = DlgNextOpenDialog(&cursor)) {
        for (int i = 0; open->window && i < open->itemCount; ++i) {
            DialogItem* item = open->items[i];
            if (!item || item->variable != variable) continue;
            DlgRefresh(item);
            ++refreshed;
            if (open->changeHook) open->changeHook(open, item);
        }
    }
    return refreshed;
}

int DlgRefreshSiblings(DialogItem* item) {
    if (!item || !item->dialog || !item->variable) return 0;
    Dialog* dialog = item->dialog;
    int refreshed = 0;
    for (int i = 0; i < dialog->itemCount; ++i) {
        DialogItem* other = dialog->items[i];
        if (!other || other == item || other->variable != item->variable) continue;
        DlgRefresh(other);
        ++refreshed;
    }
    return refreshed;
}

int DlgCloseByName(const wchar_t* name) {
    if (!name || !name[0]) return 0;
    int cursor = 0;
    while (Dialog* open = DlgNextOpenDialog(&cursor)) {
        // Spare records belong to windows the toolkit did not create; it does not close those.
        bool spare = cursor > DlgTableSize;
        if (spare || IsModal(open) || !HasName(open, name)) continue;
        CallDestroyHookOnce(open);
        DlgClose(&open);
        return 1;
    }
    return 0;
}

int DlgEndWithCallback(Dialog* dialog, DlgCallback callback) {
    if (!dialog || !dialog->window || !callback || IsModal(dialog)) return 0;
    AppRunCommandHookBefore();
    int result = callback(dialog);
    AppRunCommandHookAfter();
    if (result == 0 || !dialog->window) return result;
    DlgEnd(dialog, result);
    CallDestroyHookOnce(dialog);
    DlgClose(&dialog);
    return result;
}
