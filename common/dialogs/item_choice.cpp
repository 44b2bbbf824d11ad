// Choices: an owner-drawn drop-down list whose entries carry their value in the entry data, so that
// the bound int holds values rather than positions and separators can sit between groups of entries.
#ifndef NIMBO_PLUGIN
#include <windows.h>

#include <commctrl.h>

#include <cwchar>

#include "dialogs/app.h"
#include "dialogs/choice_paint.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

const wchar_t SeparatorText[] = L"---------";
const UINT_PTR OpenListSubclassId = 1;
// The open list needs some room even when AppStart could not measure the monitor.
const int FallbackDropDownRows = 10;

int* ChoiceVariable(DialogItem* item) {
    return static_cast<int*>(item->variable);
}

int IsChoice(const DialogItem* item) {
    return item && item->kind == DlgKindChoice && item->control;
}

int EntryCount(HWND control) {
    LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

LPARAM EntryData(HWND control, int index) {
    return static_cast<LPARAM>(SendMessageW(control, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

// The entry that shows a value: the first selectable one holding it, or -1 when there is none.
int EntryOfValue(HWND control, int value) {
    int count = EntryCount(control);
    for (int index = 0; index < count; ++index) {
        LPARAM data = EntryData(control, index);
        if (ChoiceEntrySelectable(data) && ChoiceEntryValue(data) == value) return index;
    }
    return -1;
}

// The first selectable entry from index on, walking by step (+1 down, -1 up), or -1.
int NearestSelectable(HWND control, int index, int step) {
    int count = EntryCount(control);
    for (; index >= 0 && index < count; index += step)
        if (ChoiceEntrySelectable(EntryData(control, index))) return index;
    return -1;
}

void ShowEntry(HWND control, int index) {
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// A separator cannot be the value: the selection skips over it in the direction it was moving, which
// is known from where the variable's entry stands.
int EntryBeyondSeparator(HWND control, int separator, int current) {
    if (current >= 0 && separator == current - 1) return NearestSelectable(control, separator - 1, -1);
    if (current >= 0 && separator == current + 1) return NearestSelectable(control, separator + 1, +1);
    // With no entry selected yet the first key press comes from above: a leading separator must
    // not lock the keyboard out of the list.
    if (current < 0) return NearestSelectable(control, separator + 1, +1);
    return -1;
}

int ChoiceSelectionChanged(DialogItem* item) {
    HWND control = item->control;
    int* variable = ChoiceVariable(item);
    LRESULT chosen = SendMessageW(control, CB_GETCURSEL, 0, 0);
    if (chosen < 0) return 0;
    int index = static_cast<int>(chosen);
    int old = *variable;
    LPARAM data = EntryData(control, index);
    if (ChoiceEntrySelectable(data)) {
        *variable = ChoiceEntryValue(data);
        return *variable != old;
    }
    int target = EntryBeyondSeparator(control, index, EntryOfValue(control, old));
    if (target >= 0) *variable = ChoiceEntryValue(EntryData(control, target));
    ShowEntry(control, EntryOfValue(control, *variable));
    return *variable != old;
}

void ChoiceRefresh(DialogItem* item) {
    ShowEntry(item->control, EntryOfValue(item->control, *ChoiceVariable(item)));
    // Callers set the variable after filling the entries; what a cancel restores is what they then showed.
    item->saved.i = *ChoiceVariable(item);
}

int ChoiceCommit(DialogItem*) {
    return 0;
} // every selection change has written the variable already

void ChoiceSave(DialogItem* item) {
    item->saved.i = *ChoiceVariable(item);
}

void ChoiceRestore(DialogItem* item) {
    *ChoiceVariable(item) = item->saved.i;
}

int ChoiceCommand(DialogItem* item, int notifyCode) {
    if (notifyCode != CBN_SELCHANGE) return 0;
    return ChoiceSelectionChanged(item);
}

int ChoiceEntryText(HWND control, int index, wchar_t* text, int capacity) {
    LRESULT length = SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return 0;
    // Longer entries are not painted; their length alone tells the painter so.
    if (length >= capacity) return static_cast<int>(length);
    SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return static_cast<int>(length);
}

int ChoiceDrawItem(DialogItem* item, DRAWITEMSTRUCT* draw) {
    wchar_t text[ChoicePaintTextLimit] = L"";
    const AppMetrics* metrics = AppGetMetrics();
    ChoiceEntryLook look = {};
    look.text = text;
    look.data = ChoiceEntryData(0, 1); // an empty face paints like an empty selectable entry
    look.choiceFlags = item->flags;
    look.selected = (draw->itemState & ODS_SELECTED) != 0;
    look.focused = (draw->itemState & ODS_FOCUS) != 0;
    look.disabled = (draw->itemState & ODS_DISABLED) != 0;
    look.W = metrics->W;
    look.H = metrics->H;
    look.font = AppFont(AppFontRegular);
    int index = static_cast<int>(draw->itemID);
    if (index >= 0) {
        look.textLength = ChoiceEntryText(draw->hwndItem, index, text, ChoicePaintTextLimit);
        look.data = static_cast<LPARAM>(draw->itemData);
    }
    ChoicePaintEntry(draw->hDC, &draw->rcItem, &look);
    return 1;
}

// The closed face is as tall as an edit field; entries of the open list get the text-with-pad height.
int ChoiceFaceItemHeight() {
    return AppGetMetrics()->H - 2;
}
int ChoiceEntryHeight() {
    return AppGetMetrics()->textPadHeight;
}

int ChoiceMeasureItem(DialogItem*, MEASUREITEMSTRUCT* measure) {
    measure->itemHeight = static_cast<UINT>(measure->itemID == static_cast<UINT>(-1) ? ChoiceFaceItemHeight()
                                                                                     : ChoiceEntryHeight());
    return 1;
}

// A drop-down's window height covers its open list; the layout gives only the closed face.
void ChoiceSizeList(DialogItem* item) {
    HWND control = item->control;
    SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ChoiceFaceItemHeight());
    SendMessageW(control, CB_SETITEMHEIGHT, 0, ChoiceEntryHeight());
    int rows = AppGetMetrics()->dropDownRows;
    if (rows < 1) rows = FallbackDropDownRows;
    RECT face;
    GetWindowRect(control, &face);
    int height = (face.bottom - face.top) + rows * ChoiceEntryHeight() + 2;
    SetWindowPos(control, nullptr, 0, 0, face.right - face.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Enter in an open list closes it on the entry it shows, as in any drop-down; only Enter on the closed
// control goes on to the dialog (its OK button, or the next field).
LRESULT CALLBACK ChoiceKeysProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN && SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0)) {
        SendMessageW(window, CB_SHOWDROPDOWN, FALSE, 0);
        return 0;
    }
    if (message == WM_CHAR && wParam == L'\r' && SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0)) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ChoiceKeysProc, OpenListSubclassId);
    return DefSubclassProc(window, message, wParam, lParam);
}

int AddEntry(DialogItem* choice, int value, int selectable, const wchar_t* text) {
    if (!IsChoice(choice)) return 0;
    LRESULT index =
        SendMessageW(choice->control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L""));
    if (index < 0) return 0;
    SendMessageW(choice->control, CB_SETITEMDATA, static_cast<WPARAM>(index),
                 ChoiceEntryData(value, selectable));
    return 1;
}

} // namespace

const ItemBehaviour ItemChoiceBehaviour = {
    L"COMBOBOX",
    CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL,
    0,
    1, // tab stop
    1, // recorded
    1, // takes the wheel
    LayoutEdit,
    ColorsBlackOnWhite,
    ChoiceRefresh,
    ChoiceCommit,
    ChoiceSave,
    ChoiceRestore,
    ChoiceCommand,
    nullptr,
    ChoiceDrawItem,
    ChoiceMeasureItem,
    nullptr,
    nullptr,
    nullptr,
};

DialogItem* DlgChoice(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                      const wchar_t* label) {
    return DlgChoiceNamed(dialog, x, y, w, variable, flags, label, nullptr);
}

DialogItem* DlgChoiceNamed(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                           const wchar_t* label, const wchar_t* name) {
    if (!dialog || !variable) return nullptr;
    DialogItem* item = ItemCreate(dialog, DlgKindChoice, x, y, w, 0, nullptr, 0, 0, nullptr, variable, flags,
                                  label, nullptr, name);
    if (!item) return nullptr;
    ChoiceSizeList(item);
    SetWindowSubclass(item->control, ChoiceKeysProc, OpenListSubclassId, 0);
    return item;
}

int DlgChoiceAdd(DialogItem* choice, int value, const wchar_t* text) {
    return AddEntry(choice, value, 1, text);
}

int DlgChoiceAddSeparator(DialogItem* choice, int value) {
    return AddEntry(choice, value, 0, SeparatorText);
}

int DlgChoiceAddRange(DialogItem* choice, int first, int last) {
    if (!IsChoice(choice)) return 0;
    // A wide counter: a run that ends at INT_MAX must end, not wrap around.
    for (long long value = first; value <= last; ++value) {
        wchar_t text[16];
        swprintf(text, sizeof text / sizeof text[0], L"%d", static_cast<int>(value));
        if (!AddEntry(choice, static_cast<int>(value), 1, text)) return 0;
    }
    return 1;
}
#endif
