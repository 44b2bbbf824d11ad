// The modal run of a dialog, the modal stack, and the ways a run ends.
#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/dialog_recording.h"
#include "dialogs/item_kinds.h"

#include <commctrl.h>

namespace {

struct ModalEntry {
    HWND window;
    int result; // kept here too: the record may be released before the loop sees the result
};

ModalEntry modalStack[DlgModalStackSize];
int modalCount;  // entries in use (at most DlgModalStackSize)
int modalDepth;  // runs in progress, including those the full stack did not record
bool noWaitNext; // the one-shot switch of DlgSetNoWait

ModalEntry* EntryOf(HWND window) {
    for (int index = modalCount - 1; index >= 0; --index)
        if (modalStack[index].window == window) return &modalStack[index];
    return nullptr;
}

// Windows disabled for the duration of one run, so that exactly those are enabled again.
struct DisabledSet {
    HWND parent;
    HWND hosts[2];
};

DisabledSet DisableOwners(Dialog* dialog) {
    DisabledSet set{};
    if (!dialog->parent) return set;
    if (IsWindowEnabled(dialog->parent)) {
        EnableWindow(dialog->parent, FALSE);
        set.parent = dialog->parent;
    }
    for (int index = 0; index < 2; ++index) {
        HWND host = AppHostWindow(index);
        if (host && host != dialog->parent && IsWindowEnabled(host)) {
            EnableWindow(host, FALSE);
            set.hosts[index] = host;
        }
    }
    for (int index = 0; index < DlgTableSize; ++index) {
        Dialog* other = DlgTableAt(index);
        if (other == dialog || !other->window || other->kind != DlgWindowToolDisabled || other->disabledByRun)
            continue;
        if (!IsWindowEnabled(other->window)) continue;
        EnableWindow(other->window, FALSE);
        other->disabledByRun = 1;
    }
    return set;
}

// Each run re-enables only what it disabled itself; a kind-3 window disabled by an outer run stays so
// until that run ends, because its flag was already set when the inner run looked.
void EnableOwners(const DisabledSet& set, bool disabledToolWindows) {
    if (set.parent && IsWindow(set.parent)) EnableWindow(set.parent, TRUE);
    for (HWND host : set.hosts)
        if (host && IsWindow(host)) EnableWindow(host, TRUE);
    if (!disabledToolWindows) return;
    for (int index = 0; index < DlgTableSize; ++index) {
        Dialog* other = DlgTableAt(index);
        if (!other->disabledByRun) continue;
        other->disabledByRun = 0;
        if (other->window) EnableWindow(other->window, TRUE);
    }
}

bool AnyToolWindowDisabledByRun() {
    for (int index = 0; index < DlgTableSize; ++index)
        if (DlgTableAt(index)->disabledByRun) return true;
    return false;
}

void ShowDialogAndItems(Dialog* dialog) {
    ShowWindow(dialog->window, SW_SHOW);
    dialog->shown = 1;
    for (int index = 0; index < dialog->itemCount; ++index) {
        DialogItem* item = dialog->items[index];
        const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
        if (behaviour && behaviour->shown) behaviour->shown(item);
    }
    UpdateWindow(dialog->window);
}

void FocusFirstItem(Dialog* dialog) {
    DialogItem* first = DialogNextTabItem(dialog, nullptr);
    if (!first) {
        SetFocus(dialog->window);
        return;
    }
    SetFocus(first->control);
    if (ItemIsEdit(first) && !(first->flags & DlgItemDisplayOnly))
        SendMessageW(first->control, EM_SETSEL, 0, -1);
}

// Escape in an open drop-down list only closes the list, as in any native dialog.
bool IsDroppedDownCombo(HWND window) {
    for (HWND candidate = window; candidate; candidate = GetParent(candidate)) {
        wchar_t className[16];
        if (GetClassNameW(candidate, className, 16) && lstrcmpiW(className, L"ComboBox") == 0)
            return SendMessageW(candidate, CB_GETDROPPEDSTATE, 0, 0) != 0;
        if (GetWindowLongW(candidate, GWL_STYLE) & WS_POPUP) break;
    }
    return false;
}

bool IsEscapeForDialog(const MSG& msg, HWND dialogWindow) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == dialogWindow || IsChild(dialogWindow, msg.hwnd)) && !IsDroppedDownCombo(msg.hwnd);
}

// Standard dialog handling gives Tab navigation; Enter is left to the items (their subclass handles it),
// so the system never turns it into a click of whatever control has identifier 1.
bool HandledAsDialogMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || !GetPropW(root, DLG_PROP_DIALOG)) return false;
    return IsDialogMessageW(root, &msg) != 0;
}

int ProcessMessages(Dialog* dialog, HWND window, ModalEntry* entry) {
    MSG msg;
    while (true) {
        if (entry->result) return entry->result;
        if (dialog->window != window) return -1;   // destroyed from outside without a result
        if (dialog->result) return dialog->result; // a run the full modal stack did not record
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // leave the quit for the outer loop
            return entry->result;
        }
        if (got < 0) return entry->result ? entry->result : -1;
        if (msg.message == WM_USER + 1) continue;
        if (IsEscapeForDialog(msg, window)) {
            SendMessageW(window, WM_CHAR, VK_ESCAPE, 0);
            continue;
        }
        if (HandledAsDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

void DlgSetNoWait() {
    noWaitNext = true;
}

bool DialogIsRunning(const Dialog* dialog) {
    return dialog && dialog->window && EntryOf(dialog->window);
}

void DialogSetResult(Dialog* dialog, int result) {
    dialog->result = result;
    if (ModalEntry* entry = EntryOf(dialog->window)) entry->result = result;
}

Dialog* DlgTopModal() {
    return modalCount ? DlgFromWindow(modalStack[modalCount - 1].window) : nullptr;
}

int DlgStandardOk(Dialog*) {
    return 1;
}
int DlgStandardCancel(Dialog*) {
    return -1;
}
int DlgStandardYes(Dialog*) {
    return 2;
}
int DlgStandardNo(Dialog*) {
    return -2;
}

void DlgRestoreVariables(Dialog* dialog) {
    if (!dialog) return;
    for (int index = 0; index < dialog->itemCount; ++index) {
        DialogItem* item = dialog->items[index];
        const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
        if (item->variable && behaviour && behaviour->restore) behaviour->restore(item);
    }
}

void DlgEnd(Dialog* dialog, int result) {
    if (!dialog || !dialog->window || !result || dialog->result) return;
    DlgRecordValues(dialog);
    if (result < 0) DlgRestoreVariables(dialog);
    DialogSetResult(dialog, result);
}

void DialogRunCommand(Dialog* dialog, DlgCallback callback, const wchar_t* name) {
    DlgRecordCommand(callback, name);
    if (!callback) return;
    HWND window = dialog->window;
    AppRunCommandHookBefore();
    int result = callback(dialog);
    AppRunCommandHookAfter();
    // The callback may have closed a modeless dialog; its record is then free or someone else's.
    if (result && dialog->window == window) DlgEnd(dialog, result);
}

int DlgRun(Dialog* dialog) {
    if (!dialog || !dialog->window) return 0;
    bool noWait = noWaitNext;
    noWaitNext = false;
    if (modalCount > 0) {
        HWND top = modalStack[modalCount - 1].window;
        if (dialog->parent != top) {
            DlgDestroy(dialog);
            EnableWindow(top, TRUE);
            return 0;
        }
    }
    HWND window = dialog->window;
    HWND previousFocus = GetFocus();
    if (dialog->menu) SetMenu(window, dialog->menu);
    if (dialog->tooltip) SendMessageW(dialog->tooltip, TTM_ACTIVATE, TRUE, 0);
    bool toolWindowsBefore = AnyToolWindowDisabledByRun();
    DisabledSet disabled = DisableOwners(dialog);
    bool disabledToolWindows = !toolWindowsBefore && AnyToolWindowDisabledByRun();

    SendMessageW(window, WM_INITDIALOG, 0, 0);
    if (!noWait) ShowDialogAndItems(dialog);
    if (dialog->changeHook && dialog->window == window) dialog->changeHook(dialog, nullptr);
    if (dialog->window == window) DlgDrainQueuedAssignments(dialog);

    int result = 1;
    if (!noWait && dialog->window == window) {
        ModalEntry local{window, dialog->result};
        ModalEntry* entry = &local;
        if (modalCount < DlgModalStackSize) {
            modalStack[modalCount] = local;
            entry = &modalStack[modalCount++];
        }
        ++modalDepth;
        FocusFirstItem(dialog);
        if (dialog->style & DlgStyleBorderless) SetCapture(window);
        result = ProcessMessages(dialog, window, entry);
        if (dialog->style & DlgStyleBorderless) ReleaseCapture();
        --modalDepth;
        if (entry != &local) --modalCount;
    } else if (dialog->window != window) {
        result = -1; // destroyed while starting
    }

    if (dialog->window == window) {
        dialog->result = result;
        if (dialog->menu) {
            SetMenu(window, nullptr);
            DestroyMenu(dialog->menu);
            dialog->menu = nullptr;
        }
    }
    EnableOwners(disabled, disabledToolWindows);
    if (dialog->window == window) DlgDestroy(dialog);
    if (previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
    return result;
}
