// The process-wide table of dialog records, the two spare records, and the lookup from a window.
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"

#include <cstring>

namespace {

Dialog table[DlgTableSize];
Dialog spares[DlgSpareCount];
int highCount; // one more than the highest record ever used
Dialog* creating;

} // namespace

Dialog* DlgTableAt(int index) {
    return (index >= 0 && index < DlgTableSize) ? &table[index] : nullptr;
}

Dialog* DlgSpareAt(int index) {
    return (index >= 0 && index < DlgSpareCount) ? &spares[index] : nullptr;
}

void DialogClearRecord(Dialog* dialog) {
    memset(dialog, 0, sizeof *dialog);
    dialog->commandCounter = DlgMenuIdBase;
}

Dialog* DialogTakeRecord() {
    for (int index = 0; index < highCount; ++index) {
        if (table[index].window || &table[index] == creating) continue;
        DialogClearRecord(&table[index]);
        return &table[index];
    }
    if (highCount >= DlgTableSize) return nullptr;
    Dialog* record = &table[highCount++];
    DialogClearRecord(record);
    return record;
}

void DialogSetCreating(Dialog* dialog) {
    creating = dialog;
}

Dialog* DialogCreating() {
    return creating;
}

Dialog* DlgAttachSpare(HWND window) {
    if (!window) return nullptr;
    for (Dialog& spare : spares)
        if (spare.window == window) return &spare;
    for (Dialog& spare : spares) {
        if (spare.window) continue;
        DialogClearRecord(&spare);
        spare.window = window;
        RECT client{};
        GetClientRect(window, &client);
        spare.clientWidth = client.right;
        spare.clientHeight = client.bottom;
        spare.ownRecord = 1;
        return &spare;
    }
    return nullptr;
}

void DlgDetachSpare(Dialog* dialog) {
    if (!dialog || dialog < &spares[0] || dialog >= &spares[DlgSpareCount]) return;
    if (dialog->window) DialogReleaseRecord(dialog);
    DialogClearRecord(dialog);
}

Dialog* DlgFromWindow(HWND window) {
    if (!window) return nullptr;
    for (Dialog& spare : spares)
        if (spare.window == window) return &spare;
    if (Dialog* dialog = static_cast<Dialog*>(GetPropW(window, DLG_PROP_DIALOG))) return dialog;
    if (DialogItem* item = static_cast<DialogItem*>(GetPropW(window, DLG_PROP_ITEM))) return item->dialog;
    return nullptr;
}
