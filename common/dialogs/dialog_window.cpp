// The window procedure of every toolkit dialog: control notifications become variable updates,
// push buttons and menu commands run their callbacks, and the exits of a run are decided here.
#include "dialogs/app.h"
#include "dialogs/app_internal.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/dialog_recording.h"
#include "dialogs/item_kinds.h"

namespace {

const ItemBehaviour* BehaviourOf(const DialogItem* item) {
    return item ? ItemBehaviourOf(item->kind) : nullptr;
}

DialogItem* OwnItem(Dialog* dialog, HWND control) {
    DialogItem* item = ItemFromControl(control);
    return (item && item->dialog == dialog) ? item : nullptr;
}

LRESULT OnCommand(Dialog* dialog, WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (!control) {
        // Menu commands carry no control window; identifiers below the menu range come from the
        // system's dialog navigation and mean nothing here.
        DlgMenuEntry* entry = DlgMenuEntryById(dialog, LOWORD(wParam));
        if (entry && entry->kind == 1 && entry->callback)
            DialogRunCommand(dialog, entry->callback, entry->name);
        return 0;
    }
    DialogItem* item = OwnItem(dialog, control);
    if (!item || item->control != control) return 0;
    int code = HIWORD(wParam);
    if (item->kind == DlgKindButton) {
        if (code == BN_CLICKED) DialogRunCommand(dialog, item->callback, item->name);
        return 0;
    }
    const ItemBehaviour* behaviour = BehaviourOf(item);
    if (behaviour && behaviour->command && behaviour->command(item, code)) ItemNotify(item);
    return 0;
}

LRESULT OnControlNotify(Dialog* dialog, HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                        bool* handled) {
    DialogItem* item = OwnItem(dialog, control);
    const ItemBehaviour* behaviour = BehaviourOf(item);
    *handled = behaviour && behaviour->notify;
    return *handled ? behaviour->notify(item, message, wParam, lParam) : 0;
}

LRESULT OnControlColor(Dialog* dialog, UINT message, HDC dc, HWND control) {
    DialogItem* item = OwnItem(dialog, control);
    const ItemBehaviour* behaviour = BehaviourOf(item);
    ItemColorRule rule = ColorsStatic;
    if (item && item->control == control && behaviour) rule = behaviour->colors;
    if (item && item->control == control && (item->flags & DlgItemDisplayOnly) && ItemIsEdit(item)) {
        SetTextColor(dc, AppPaletteColor(AppColorBlack));
        SetBkColor(dc, AppPaletteColor(AppColorBackground));
        return reinterpret_cast<LRESULT>(AppPaletteBrush(AppColorBackground));
    }
    switch (rule) {
        case ColorsItemPalette:
            SetTextColor(dc, AppPaletteColor(item->textColor));
            SetBkColor(dc, AppPaletteColor(item->backColor));
            return reinterpret_cast<LRESULT>(AppPaletteBrush(item->backColor));
        case ColorsBlackOnWhite:
            if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX || item->kind == DlgKindSlider) {
                SetTextColor(dc, AppPaletteColor(AppColorBlack));
                SetBkColor(dc, AppPaletteColor(AppColorWhite));
                return reinterpret_cast<LRESULT>(AppPaletteBrush(AppColorWhite));
            }
            break; // a read-only edit asks for static colours: it stands on the dialog background
        case ColorsStatic:
            break;
    }
    SetTextColor(dc, AppPaletteColor(AppColorBlack));
    SetBkColor(dc, AppPaletteColor(AppColorBackground));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(AppPaletteBrush(AppColorBackground));
}

void OnClose(Dialog* dialog) {
    if (DialogIsRunning(dialog)) {
        // The run destroys its dialog itself once its loop sees the result.
        if (!dialog->result) {
            DlgRecordValues(dialog);
            DialogSetResult(dialog, -1);
        }
        return;
    }
    DlgDestroy(dialog);
}

void OnDestroy(Dialog* dialog) {
    if (!dialog->result) {
        DlgRecordValues(dialog);
        DialogSetResult(dialog, -1);
    }
    if (dialog->destroyHook) {
        DlgDestroyHook hook = dialog->destroyHook;
        dialog->destroyHook = nullptr;
        hook(dialog);
    }
}

// Wheel messages travel up from the focused control; they belong to the control under the mouse.
LRESULT OnMouseWheel(Dialog* dialog, WPARAM wParam, LPARAM lParam) {
    static bool forwarding = false; // a control that passes the wheel up again must not loop
    if (forwarding) return 0;
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    HWND under = WindowFromPoint(at);
    DialogItem* item = OwnItem(dialog, under);
    const ItemBehaviour* behaviour = BehaviourOf(item);
    if (!item || item->control != under || !behaviour || !behaviour->takesWheel) return 0;
    forwarding = true;
    LRESULT result = SendMessageW(under, WM_MOUSEWHEEL, wParam, lParam);
    forwarding = false;
    return result;
}

// A borderless popup ends on any click: the field being edited is written first, and the click still
// reaches the item under the mouse.
void OnBorderlessClick(Dialog* dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DialogItem* focused = OwnItem(dialog, GetFocus())) DlgCommit(focused);
    DlgEnd(dialog, 1);
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    HWND child = ChildWindowFromPointEx(dialog->window, at, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!child || child == dialog->window) return;
    MapWindowPoints(dialog->window, child, &at, 1);
    ReleaseCapture();
    SendMessageW(child, message, wParam, MAKELPARAM(at.x, at.y));
}

void OnInitMenuPopup(Dialog* dialog, HMENU popup) {
    if (!dialog->menuPopupHook) return;
    for (int index = 0; index < dialog->menuCount; ++index) {
        DlgMenuEntry* entry = &dialog->menuEntries[index];
        if ((entry->kind == 0 || entry->kind == 3) && entry->popup == popup) {
            dialog->menuPopupHook(dialog, entry);
            return;
        }
    }
}

Dialog* DialogOfWindow(HWND window, UINT message) {
    if (Dialog* dialog = static_cast<Dialog*>(GetPropW(window, DLG_PROP_DIALOG))) return dialog;
    Dialog* creating = DialogCreating();
    if (message != WM_NCCREATE || !creating) return nullptr;
    SetPropW(window, DLG_PROP_DIALOG, creating);
    creating->window = window;
    return creating;
}

} // namespace

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* dialog = DialogOfWindow(window, message);
    if (!dialog) return DefWindowProcW(window, message, wParam, lParam);
    if (dialog->messageSpy) dialog->messageSpy(dialog, message, wParam, lParam);
    if (dialog->messageFilter && dialog->messageFilter(dialog, nullptr, message, wParam, lParam)) return 0;
    switch (message) {
        case WM_COMMAND:
            return OnCommand(dialog, wParam, lParam);
        case WM_NOTIFY: {
            bool handled = false;
            LRESULT result = OnControlNotify(dialog, reinterpret_cast<NMHDR*>(lParam)->hwndFrom, message,
                                             wParam, lParam, &handled);
            if (handled) return result;
            break;
        }
        case WM_HSCROLL:
        case WM_VSCROLL: {
            bool handled = false;
            LRESULT result =
                OnControlNotify(dialog, reinterpret_cast<HWND>(lParam), message, wParam, lParam, &handled);
            if (handled) return result;
            break;
        }
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            DialogItem* item = OwnItem(dialog, draw->hwndItem);
            const ItemBehaviour* behaviour = BehaviourOf(item);
            if (behaviour && behaviour->drawItem && behaviour->drawItem(item, draw)) return TRUE;
            break;
        }
        case WM_MEASUREITEM: {
            // Sent while the control is being created: the item is found by its identifier.
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            DialogItem* item = DlgItemAt(dialog, static_cast<int>(measure->CtlID));
            const ItemBehaviour* behaviour = BehaviourOf(item);
            if (behaviour && behaviour->measureItem && behaviour->measureItem(item, measure)) return TRUE;
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return OnControlColor(dialog, message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_CHAR:
            if (wParam == VK_ESCAPE) {
                DlgEnd(dialog, -1);
                return 0;
            }
            break;
        case WM_CLOSE:
            OnClose(dialog);
            return 0;
        case WM_DESTROY:
            OnDestroy(dialog);
            break;
        case WM_NCDESTROY: {
            DialogReleaseRecord(dialog);
            RemovePropW(window, DLG_PROP_DIALOG);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_SIZE:
            if (dialog->layoutHook &&
                (wParam == SIZE_RESTORED || wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED))
                DialogRelayout(dialog);
            break;
        case WM_EXITSIZEMOVE:
            if (dialog->sizeEndHook) dialog->sizeEndHook(dialog);
            if (dialog->layoutHook) DialogRelayout(dialog);
            break;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (dialog->minWidth > 0) info->ptMinTrackSize.x = dialog->minWidth;
            if (dialog->minHeight > 0) info->ptMinTrackSize.y = dialog->minHeight;
            return 0;
        }
        case WM_INITMENUPOPUP:
            OnInitMenuPopup(dialog, reinterpret_cast<HMENU>(wParam));
            break;
        case WM_MOUSEWHEEL:
            return OnMouseWheel(dialog, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if ((dialog->style & DlgStyleBorderless) && DialogIsRunning(dialog) && !dialog->result) {
                OnBorderlessClick(dialog, message, wParam, lParam);
                return 0;
            }
            break;
        case DLG_MSG_FOCUS_AFTER: {
            DialogItem* next = DialogNextTabItem(dialog, DlgItemAt(dialog, static_cast<int>(wParam)));
            SetFocus(next ? next->control : window);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
