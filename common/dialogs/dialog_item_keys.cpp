// Keys inside item controls: every control is subclassed so that Enter and, in borderless popups,
// Tab reach the dialog's rules before the control's own handling; the dialog's message filter sees
// every message of every control first.
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/item_kinds.h"

namespace {

bool AnswersEnter(const DialogItem* item) {
    if (ItemIsEdit(item)) return !(item->flags & DlgItemDisplayOnly);
    return item->kind == DlgKindToggle || item->kind == DlgKindChoice || item->kind == DlgKindButton;
}

bool EndsBorderlessOnTab(const DialogItem* item) {
    return (item->dialog->style & DlgStyleBorderless) && ItemIsEdit(item) &&
           !(item->flags & DlgItemDisplayOnly);
}

bool IsTabStop(const DialogItem* item) {
    const ItemBehaviour* behaviour = ItemBehaviourOf(item->kind);
    if (!item->control || !item->visible || !behaviour) return false;
    LONG_PTR style = GetWindowLongPtrW(item->control, GWL_STYLE);
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

} // namespace

DialogItem* DialogOkButton(Dialog* dialog) {
    for (int index = 0; dialog && index < dialog->itemCount; ++index) {
        DialogItem* item = dialog->items[index];
        if (item->kind == DlgKindButton && item->callback == DlgStandardOk) return item;
    }
    return nullptr;
}

DialogItem* DialogNextTabItem(Dialog* dialog, DialogItem* after) {
    if (!dialog || dialog->itemCount == 0) return nullptr;
    int start = after ? after->index + 1 : 0;
    for (int step = 0; step < dialog->itemCount; ++step) {
        DialogItem* item = dialog->items[(start + step) % dialog->itemCount];
        if (item != after && IsTabStop(item)) return item;
    }
    return nullptr;
}

void DialogHandleEnter(DialogItem* item) {
    Dialog* dialog = item->dialog;
    if (item->kind == DlgKindButton) {
        PostMessageW(item->control, BM_CLICK, 0, 0);
        return;
    }
    DialogItem* ok = DialogOkButton(dialog);
    if (ok && ok->control && IsWindowEnabled(ok->control)) {
        DlgCommit(item);
        PostMessageW(ok->control, BM_CLICK, 0, 0);
        return;
    }
    if ((dialog->style & DlgStyleBorderless) && ItemIsEdit(item)) {
        DlgCommit(item);
        DlgEnd(dialog, 1);
        return;
    }
    DialogItem* next = DialogNextTabItem(dialog, item);
    if (next) SetFocus(next->control);
}

LRESULT CALLBACK ItemSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* item = static_cast<DialogItem*>(GetPropW(window, DLG_PROP_ITEM));
    if (!item || !item->previousProc) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC previous = item->previousProc;
    Dialog* dialog = item->dialog;
    if (dialog->messageFilter && dialog->messageFilter(dialog, item, message, wParam, lParam)) return 0;
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = CallWindowProcW(previous, window, message, wParam, lParam);
            const MSG* key = reinterpret_cast<const MSG*>(lParam);
            if (key && key->message == WM_KEYDOWN) {
                if (key->wParam == VK_RETURN && AnswersEnter(item)) code |= DLGC_WANTMESSAGE;
                if (key->wParam == VK_TAB && EndsBorderlessOnTab(item)) code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (item->kind == DlgKindButton && item->keyHandler &&
                item->keyHandler(item, static_cast<int>(wParam), message == WM_KEYDOWN))
                return 0;
            if (message == WM_KEYUP) break;
            if (wParam == VK_RETURN && AnswersEnter(item)) {
                DialogHandleEnter(item);
                return 0;
            }
            if (wParam == VK_TAB && EndsBorderlessOnTab(item)) {
                DlgCommit(item);
                DlgEnd(dialog, 1);
                return 0;
            }
            break;
        case WM_CHAR:
            // The key-down already acted; the character would only make the control beep.
            if (wParam == L'\r' && AnswersEnter(item)) return 0;
            if (wParam == L'\t' && EndsBorderlessOnTab(item)) return 0;
            break;
        case WM_SETFOCUS:
            if (item->kind == DlgKindTextBox) {
                LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
                PostMessageW(dialog->window, DLG_MSG_FOCUS_AFTER, static_cast<WPARAM>(item->index), 0);
                return result;
            }
            break;
        case WM_NCDESTROY: {
            LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropW(window, DLG_PROP_ITEM);
            if (item->control == window) item->control = nullptr;
            return result;
        }
        default:
            break;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}
