// The creation path all item kinds share, and the small services items use to find one another.
#include "dialogs/app.h"
#include "dialogs/app_internal.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/item_kinds.h"

#include "runtime/memory.h"

namespace {

const int kItemTableGrowth = 200;

bool GrowItemTable(Dialog* dialog) {
    if (dialog->itemCount < dialog->itemCapacity) return true;
    int capacity = dialog->itemCapacity + kItemTableGrowth;
    size_t bytes = sizeof(DialogItem*) * static_cast<size_t>(capacity);
    void* table = dialog->items ? MemRealloc(dialog->items, bytes) : MemAlloc(bytes, "DlgItb");
    if (!table) return false;
    dialog->items = static_cast<DialogItem**>(table);
    dialog->itemCapacity = capacity;
    return true;
}

HWND CreateTextWindow(DialogItem* item, const wchar_t* text, DWORD alignment, int idOffset) {
    HWND window = CreateWindowExW(0, L"STATIC", text, WS_CHILD | alignment | (item->visible ? WS_VISIBLE : 0),
                                  0, 0, 0, 0, item->dialog->window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(item->index + idOffset)),
                                  AppInstance(), nullptr);
    if (!window) return nullptr;
    SetPropW(window, DLG_PROP_ITEM, item);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(AppFont(AppFontRegular)), FALSE);
    if (!IsWindowEnabled(item->control)) EnableWindow(window, FALSE);
    return window;
}

} // namespace

void ItemCopyText(wchar_t* target, int capacity, const wchar_t* source) {
    if (!target || capacity <= 0) return;
    int length = 0;
    if (source)
        while (length < capacity - 1 && source[length]) {
            target[length] = source[length];
            ++length;
        }
    target[length] = 0;
}

bool ItemIsEdit(const DialogItem* item) {
    return item && item->kind >= DlgKindString && item->kind <= DlgKindDouble;
}

DialogItem* ItemFromControl(HWND control) {
    return control ? static_cast<DialogItem*>(GetPropW(control, DLG_PROP_ITEM)) : nullptr;
}

void ItemNotify(DialogItem* item) {
    if (!item || !(item->flags & DlgItemNotify)) return;
    Dialog* dialog = item->dialog;
    if (dialog && dialog->changeHook) dialog->changeHook(dialog, item);
}

HWND ItemCreateLabel(DialogItem* item, const wchar_t* text) {
    item->label = CreateTextWindow(item, text, SS_RIGHT, DlgLabelIdOffset);
    ItemPlaceLabel(item);
    return item->label;
}

HWND ItemCreateUnit(DialogItem* item, const wchar_t* text) {
    item->unit = CreateTextWindow(item, text, SS_LEFT, DlgUnitIdOffset);
    ItemPlaceUnit(item);
    return item->unit;
}

DialogItem* ItemCreate(Dialog* dialog, int kind, double x, double y, double w, double h,
                       const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text,
                       void* variable, int flags, const wchar_t* label, const wchar_t* unit,
                       const wchar_t* name) {
    const ItemBehaviour* behaviour = ItemBehaviourOf(kind);
    if (!dialog || !dialog->window || !behaviour || !GrowItemTable(dialog)) return nullptr;
    auto* item = static_cast<DialogItem*>(MemAllocZero(sizeof(DialogItem), "DlgItm"));
    if (!item) return nullptr;
    item->dialog = dialog;
    item->index = dialog->itemCount;
    item->kind = kind;
    item->flags = flags;
    item->visible = 1;
    item->textColor = AppColorBlack;
    item->backColor = AppColorBackground;
    item->x = x;
    item->y = y;
    item->w = w;
    item->h = h;
    item->variable = variable;
    ItemCopyText(item->text, DlgItemTextLength, text);
    ItemCopyText(item->name, DlgNameLength, name);
    RECT rect = ItemLayoutRect(dialog, kind, flags, x, y, w, h);
    item->px = rect.left;
    item->py = rect.top;
    item->pw = rect.right - rect.left;
    item->ph = rect.bottom - rect.top;
    // In the table before the control exists: owner-drawn controls ask for their size while being made.
    dialog->items[dialog->itemCount++] = item;

    // A caller that names its own class gives the whole style: the kind's styles belong to its own class.
    DWORD windowStyle = WS_CHILD | WS_VISIBLE | style;
    DWORD windowExStyle = exStyle;
    if (!className) {
        className = behaviour->className;
        windowStyle |= behaviour->style | (behaviour->tabStop ? WS_TABSTOP : 0);
        windowExStyle |= behaviour->exStyle;
    }
    // The control gets the whole text; the item keeps what fits its record.
    HWND control = CreateWindowExW(
        windowExStyle, className, text ? text : L"", windowStyle, item->px, item->py, item->pw, item->ph,
        dialog->window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(item->index)), AppInstance(), item);
    if (!control) {
        --dialog->itemCount;
        MemFree(item);
        return nullptr;
    }
    item->control = control;
    SetPropW(control, DLG_PROP_ITEM, item);
    item->previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ItemSubclassProc)));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(AppFont(AppFontRegular)), FALSE);
    if (variable && behaviour->save) behaviour->save(item);
    if (ItemIsEdit(item) && behaviour->refresh) behaviour->refresh(item);
    if (label && label[0]) ItemCreateLabel(item, label);
    if (unit && unit[0]) ItemCreateUnit(item, unit);
    return item;
}

// The window procedure of the toolkit's own control classes: the item arrives with the creation
// parameters and is kept in the class's extra bytes; its kind decides the rest.
LRESULT CALLBACK ItemClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* item = reinterpret_cast<DialogItem*>(GetWindowLongPtrW(window, 0));
    const ItemBehaviour* behaviour = item ? ItemBehaviourOf(item->kind) : nullptr;
    if (behaviour && behaviour->controlProc)
        return behaviour->controlProc(item, window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}
