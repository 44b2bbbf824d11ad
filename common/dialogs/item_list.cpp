// Virtual lists: an owner-drawn list box that stores no lines at all. The caller says how many lines
// there are and paints each visible one in its draw callback, so lists of any length cost nothing.
#ifndef NIMBO_PLUGIN
#include <windows.h>

#include <commctrl.h>

#include <climits>

#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"
#include "runtime/memory.h"

namespace {

const UINT_PTR ClickSubclassId = 1;

long long* LineVariable(DialogItem* item) {
    return static_cast<long long*>(item->variable);
}

int IsList(const DialogItem* item) {
    return item && item->kind == DlgKindList && item->control;
}
int IsMultiple(const DialogItem* item) {
    return (item->flags & DlgListMultiple) != 0;
}
int IsClickList(const DialogItem* item) {
    return (item->flags & DlgListNoSelection) != 0;
}
// Only a single-selection list keeps its selected line in the variable.
int KeepsLineVariable(const DialogItem* item) {
    return item->variable && !IsMultiple(item) && !IsClickList(item);
}

int LineHeight() {
    return AppGetMetrics()->controlTextHeight;
}

int VisibleLines(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    LRESULT height = SendMessageW(control, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0) return 1;
    int lines = static_cast<int>((client.bottom - client.top) / height);
    return lines > 0 ? lines : 1;
}

long long SelectedLine(HWND control) {
    LRESULT line = SendMessageW(control, LB_GETCURSEL, 0, 0);
    return line < 0 ? -1 : line;
}

int IsLine(const DialogItem* item, long long line) {
    return line >= 0 && line < item->lineCount;
}

// Clicks of a no-selection list go to the caller instead of selecting; the line is worked out from
// the top line and the line height, since the list box reports only 16 bits of it.
LRESULT CALLBACK ClickListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    DialogItem* item = reinterpret_cast<DialogItem*>(data);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            SetFocus(window);
            LRESULT height = SendMessageW(window, LB_GETITEMHEIGHT, 0, 0);
            int y = static_cast<short>(HIWORD(lParam));
            if (height <= 0 || y < 0) return 0;
            long long line = SendMessageW(window, LB_GETTOPINDEX, 0, 0) + y / height;
            if (IsLine(item, line) && item->listClick && item->listClick(item, line))
                InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, ClickListProc, ClickSubclassId);
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void ListRefresh(DialogItem* item) {
    if (KeepsLineVariable(item)) {
        long long line = *LineVariable(item);
        if (IsLine(item, line)) {
            DlgListShowLine(item, line);
            SendMessageW(item->control, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        } else {
            SendMessageW(item->control, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        }
    }
    // Lines live with the caller: a refresh is also how it has changed lines repainted.
    InvalidateRect(item->control, nullptr, TRUE);
}

int ListCommit(DialogItem*) {
    return 0;
} // selection changes write the variable as they happen

void ListSave(DialogItem* item) {
    if (item->variable) item->saved.i64 = *LineVariable(item);
}

void ListRestore(DialogItem*) {} // a list keeps its selection when the dialog is cancelled

int ListCommand(DialogItem* item, int notifyCode) {
    if (notifyCode != LBN_SELCHANGE && notifyCode != LBN_SELCANCEL) return 0;
    if (IsClickList(item)) return 0;
    if (KeepsLineVariable(item)) *LineVariable(item) = SelectedLine(item->control);
    return 1;
}

void ChooseLineColours(HDC dc, int selected) {
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
}

int ListDrawItem(DialogItem* item, DRAWITEMSTRUCT* draw) {
    HDC dc = draw->hDC;
    COLORREF oldText = GetTextColor(dc);
    COLORREF oldBack = GetBkColor(dc);
    HGDIOBJ oldFont = AppFont(AppFontRegular) ? SelectObject(dc, AppFont(AppFontRegular)) : nullptr;
    int selected = (draw->itemState & ODS_SELECTED) != 0;
    ChooseLineColours(dc, selected);
    // The callback draws on a cleared line in the right colours, so that it need only draw its text.
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &draw->rcItem, L"", 0, nullptr);
    long long line = static_cast<int>(draw->itemID);
    if (IsLine(item, line) && item->listDraw) item->listDraw(item, line, dc, &draw->rcItem, selected);
    if (draw->itemState & ODS_FOCUS) DrawFocusRect(dc, &draw->rcItem);
    if (oldFont) SelectObject(dc, oldFont);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    return 1;
}

int ListMeasureItem(DialogItem*, MEASUREITEMSTRUCT* measure) {
    measure->itemHeight = static_cast<UINT>(LineHeight());
    return 1;
}

DWORD SelectionStyle(int flags) {
    if (flags & DlgListNoSelection) return LBS_NOSEL;
    if (flags & DlgListMultiple) return LBS_EXTENDEDSEL;
    return 0;
}

} // namespace

const ItemBehaviour ItemListBehaviour = {
    L"LISTBOX",
    LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL,
    WS_EX_CLIENTEDGE,
    1, // tab stop
    0, // not recorded
    1, // takes the wheel
    LayoutPlain,
    ColorsBlackOnWhite,
    ListRefresh,
    ListCommit,
    ListSave,
    ListRestore,
    ListCommand,
    nullptr,
    ListDrawItem,
    ListMeasureItem,
    nullptr,
    nullptr,
    nullptr,
};

DialogItem* DlgList(Dialog* dialog, double x, double y, double w, double h, long long* lineVariable,
                    long long lineCount, int flags, DlgListDrawCallback draw) {
    DialogItem* item = ItemCreate(dialog, DlgKindList, x, y, w, h, nullptr, SelectionStyle(flags), 0, nullptr,
                                  lineVariable, flags, nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    item->listDraw = draw;
    SendMessageW(item->control, LB_SETITEMHEIGHT, 0, LineHeight());
    if (IsClickList(item))
        SetWindowSubclass(item->control, ClickListProc, ClickSubclassId, reinterpret_cast<DWORD_PTR>(item));
    DlgListSetCount(item, lineCount);
    if (KeepsLineVariable(item)) ListRefresh(item);
    return item;
}

void DlgListSetClickCallback(DialogItem* list, DlgListClickCallback click) {
    if (IsList(list)) list->listClick = click;
}

int DlgListSetCount(DialogItem* list, long long lineCount) {
    if (!IsList(list)) return 0;
    // A list box counts in ints; more lines than that cannot be shown, fewer than none make no sense.
    if (lineCount < 0) lineCount = 0;
    if (lineCount > INT_MAX) lineCount = INT_MAX;
    if (SendMessageW(list->control, LB_SETCOUNT, static_cast<WPARAM>(lineCount), 0) < 0) return 0;
    list->lineCount = lineCount;
    InvalidateRect(list->control, nullptr, TRUE);
    return 1;
}

int DlgListSelect(DialogItem* list, long long line) {
    if (!IsList(list)) return 0;
    // -1 clears the selection; any other line must exist.
    if (line != -1 && !IsLine(list, line)) return 0;
    if (IsMultiple(list))
        SendMessageW(list->control, LB_SETSEL, line >= 0, static_cast<LPARAM>(line));
    else if (!IsClickList(list))
        SendMessageW(list->control, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    if (list->variable && !IsMultiple(list)) *LineVariable(list) = line;
    return 1;
}

int DlgListShowLine(DialogItem* list, long long line) {
    if (!IsList(list) || !IsLine(list, line)) return 0;
    int visible = VisibleLines(list->control);
    long long top = SendMessageW(list->control, LB_GETTOPINDEX, 0, 0);
    if (line >= top && line < top + visible) return 1;
    long long newTop = line - visible / 2;
    if (newTop < 0) newTop = 0;
    SendMessageW(list->control, LB_SETTOPINDEX, static_cast<WPARAM>(newTop), 0);
    return 1;
}

int DlgListSelection(DialogItem* list, int** lines) {
    if (!lines) return 0;
    *lines = nullptr;
    if (!IsList(list) || IsClickList(list)) return 0;
    LRESULT count = IsMultiple(list) ? SendMessageW(list->control, LB_GETSELCOUNT, 0, 0)
                                     : (SelectedLine(list->control) >= 0 ? 1 : 0);
    if (count <= 0) return 0;
    int* block = static_cast<int*>(MemAlloc(static_cast<size_t>(count) * sizeof(int), "LstBsl"));
    if (!block) return 0;
    LRESULT got = 1;
    if (IsMultiple(list))
        got = SendMessageW(list->control, LB_GETSELITEMS, static_cast<WPARAM>(count),
                           reinterpret_cast<LPARAM>(block));
    else
        block[0] = static_cast<int>(SelectedLine(list->control));
    if (got <= 0) {
        MemFree(block);
        return 0;
    }
    *lines = block;
    return static_cast<int>(got);
}
#endif
