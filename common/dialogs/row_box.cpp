#ifndef NIMBO_PLUGIN

#include "dialogs/row_box.h"

#include "dialogs/row_paint.h"
#include "dialogs/row_scroll.h"

#include <windowsx.h>

#include <cstring>

namespace {

const char kSelectionTag[] = "RbxSel";
// The frame of a focused control; the palette has no such blue.

long long Smaller(long long a, long long b) {
    return a < b ? a : b;
}
long long Larger(long long a, long long b) {
    return a > b ? a : b;
}

void StampChange(RowBoxModel* model) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    model->changeStamp = counter.QuadPart;
}

void CallChangeHook(RowBoxModel* model) {
    if (model->dialog && model->dialog->changeHook) model->dialog->changeHook(model->dialog, model->item);
}

void ShowScrollBar(RowBoxModel* model) {
    ScrollBarShow(model->window, model->topRow, model->rowCount, model->visibleRows);
}

// Moves the top row; returns 1 when it moved.
int SetTop(RowBoxModel* model, long long top) {
    top = ScrollClampTop(top, model->rowCount, model->visibleRows);
    if (top == model->topRow) return 0;
    model->topRow = top;
    ShowScrollBar(model);
    return 1;
}

// Rows are painted in bands of one row height from just inside the top edge; the text of a row
// starts kRowTextInset below its band's top, which centres it in the band.
const int kBandsTop = 1;
const int kRowTextInset = 2;

// The row under a client y coordinate, or -1 above the first row.
long long RowAtY(const RowBoxModel* model, int y) {
    if (model->rowHeight <= 0 || y < kBandsTop) return -1;
    return model->topRow + (y - kBandsTop) / model->rowHeight;
}

void SelectAlone(RowBoxModel* model, long long row) {
    SelectionClearAll(&model->selection);
    SelectionSetRange(&model->selection, row, row, 1);
    model->caretRow = model->anchorRow = model->extentRow = row;
}

int ExtendAllowed(const RowBoxModel* model) {
    return !model->singleSelection && model->anchorRow >= 0;
}

void ExtendTo(RowBoxModel* model, long long row) {
    SelectionExtend(&model->selection, model->anchorRow, model->extentRow, row);
    model->caretRow = model->extentRow = row;
}

// ---- keyboard ----

int KeyIsDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// The caret row a navigation key leads to, or -1 for keys that do not navigate.
long long CaretForKey(const RowBoxModel* model, WPARAM key, int control) {
    long long page = Larger(model->visibleRows, 1);
    long long caret = model->caretRow >= 0 ? model->caretRow : model->topRow;
    long long target;
    switch (key) {
        case VK_UP:
            target = model->caretRow >= 0 ? caret - 1 : caret;
            break;
        case VK_DOWN:
            target = model->caretRow >= 0 ? caret + 1 : caret;
            break;
        case VK_PRIOR:
            target = caret - page;
            break;
        case VK_NEXT:
            target = caret + page;
            break;
        case VK_HOME:
            target = control ? 0 : model->topRow;
            break;
        case VK_END:
            target = control ? model->rowCount - 1 : model->topRow + page - 1;
            break;
        default:
            return -1;
    }
    return Larger(0, Smaller(target, model->rowCount - 1));
}

// In scroll-only mode the navigation keys move the view itself.
int ScrollRequestForKey(WPARAM key) {
    switch (key) {
        case VK_UP:
            return SB_LINEUP;
        case VK_DOWN:
            return SB_LINEDOWN;
        case VK_PRIOR:
            return SB_PAGEUP;
        case VK_NEXT:
            return SB_PAGEDOWN;
        case VK_HOME:
            return SB_TOP;
        case VK_END:
            return SB_BOTTOM;
        default:
            return -1;
    }
}

// Up on the first row, End on the last: the selection stays as it is and nobody is told.
bool KeyDoesNothing(const RowBoxModel* model, long long caret, bool extend) {
    if (caret != model->caretRow || model->extentRow != caret) return false;
    return extend || (model->anchorRow == caret && SelectionIsOnly(&model->selection, caret));
}

void OnKeyDown(RowBoxModel* model, WPARAM key) {
    if (key == VK_TAB) {
        // The control wants every key, so Tab navigation has to be passed on by hand.
        HWND next = GetNextDlgTabItem(GetParent(model->window), model->window, KeyIsDown(VK_SHIFT));
        if (next && next != model->window) SetFocus(next);
        return;
    }
    if (model->rowCount <= 0) return;
    if (model->scrollOnly) {
        int request = ScrollRequestForKey(key);
        if (request >= 0 && SetTop(model, ScrollForRequest(model->window, request, model->topRow,
                                                           model->rowCount, model->visibleRows)))
            RowBoxRepaint(model);
        return;
    }
    long long caret = CaretForKey(model, key, KeyIsDown(VK_CONTROL));
    if (caret < 0) return;
    bool extend = KeyIsDown(VK_SHIFT) && ExtendAllowed(model);
    if (KeyDoesNothing(model, caret, extend)) return;
    if (extend)
        ExtendTo(model, caret);
    else
        SelectAlone(model, caret);
    StampChange(model);
    SetTop(model, ScrollToShow(caret, model->topRow, model->rowCount, model->visibleRows));
    RowBoxRepaint(model);
    CallChangeHook(model);
}

// ---- mouse ----

void OnLeftButton(RowBoxModel* model, int x, int y, WPARAM keys) {
    long long row = RowAtY(model, y);
    if (row < 0 || row >= model->rowCount) return;
    if (model->clickHandler) {
        int answer = model->clickHandler(row, x - model->margin, model);
        if (answer == RowBoxClickIgnore) return;
        if (answer != RowBoxClickGoOn) {
            RowBoxRepaint(model);
            return;
        }
    }
    if (model->scrollOnly) return;
    // The handler may have changed the list (a tree opening a node).
    if (row >= model->rowCount) return;
    if ((keys & MK_CONTROL) && !model->singleSelection) {
        SelectionSetRange(&model->selection, row, row, SelectionIsSet(&model->selection, row) ? 0 : 1);
        model->caretRow = model->anchorRow = model->extentRow = row;
    } else if ((keys & MK_SHIFT) && ExtendAllowed(model)) {
        ExtendTo(model, row);
    } else {
        SelectAlone(model, row);
    }
    StampChange(model);
    SetTop(model, ScrollToShow(row, model->topRow, model->rowCount, model->visibleRows));
    SetFocus(model->window);
    RowBoxRepaint(model);
    CallChangeHook(model);
}

void OnRightButton(RowBoxModel* model) {
    if (model->scrollOnly) return;
    model->caretRow = model->anchorRow = model->extentRow = -1;
    if (!SelectionClearAll(&model->selection)) return;
    StampChange(model);
    RowBoxRepaint(model);
    CallChangeHook(model);
}

void OnWheel(RowBoxModel* model, int delta) {
    long long top =
        ScrollForWheel(delta, &model->wheelRemainder, model->topRow, model->rowCount, model->visibleRows);
    if (SetTop(model, top)) RowBoxRepaint(model);
}

// ---- painting ----

void PaintRows(RowBoxModel* model, HDC dc, const RECT* client) {
    RECT area = {client->left + 3, client->top + kBandsTop, client->right - 3, client->bottom - 1};
    HRGN clip = CreateRectRgnIndirect(&area);
    SelectClipRgn(dc, clip);
    if (model->font) SelectObject(dc, model->font);
    SetBkMode(dc, OPAQUE);
    for (long long slot = 0; slot < model->visibleRows; ++slot) {
        long long row = model->topRow + slot;
        if (row >= model->rowCount) break;
        int bandTop = area.top + static_cast<int>(slot) * model->rowHeight;
        RECT band = {area.left, bandTop, area.right, bandTop + model->rowHeight};
        RECT rowRect = {area.left, bandTop + kRowTextInset, area.right,
                        bandTop + kRowTextInset + model->charHeight};
        int selected = SelectionIsSet(&model->selection, row);
        RowPaintSlotColors(dc, &band, selected);
        if (model->painter) model->painter(row, model, dc, &rowRect, selected ? 0 : 1, selected ? 1 : 0);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}

void PaintContent(void* model, HDC dc, const RECT* client) {
    PaintRows(static_cast<RowBoxModel*>(model), dc, client);
}

void OnPaint(RowBoxModel* model, HWND window) {
    RowPaintBuffered(window, model->hasFocus, PaintContent, model);
}

} // namespace

void RowBoxClear(RowBoxModel* model) {
    if (!model) return;
    memset(model, 0, sizeof *model);
    model->margin = 2;
    model->caretRow = model->anchorRow = model->extentRow = -1;
}

void RowBoxRelease(RowBoxModel* model) {
    if (model) SelectionRelease(&model->selection);
}

int RowBoxSetRowCount(RowBoxModel* model, long long count, int repaint) {
    if (!model || count < 0) return 0;
    if (!SelectionGrow(&model->selection, count, RowBoxSelectionMinimum, RowBoxSelectionGrowth,
                       kSelectionTag))
        return 0;
    // Flags of rows that no longer exist would come back as selected when the list grows again.
    SelectionTruncate(&model->selection, count);
    if (model->caretRow >= count) model->caretRow = -1;
    if (model->anchorRow >= count || model->caretRow < 0) model->anchorRow = -1;
    if (model->extentRow >= count || model->caretRow < 0) model->extentRow = -1;
    model->rowCount = count;
    long long top = ScrollClampTop(model->topRow, count, model->visibleRows);
    int moved = top != model->topRow;
    model->topRow = top;
    ShowScrollBar(model);
    if (repaint || moved) RowBoxRepaint(model);
    return 1;
}

int RowBoxDeleteRow(RowBoxModel* model, long long row) {
    if (!model || row < 0 || row >= model->rowCount) return 0;
    SelectionDelete(&model->selection, row);
    StampChange(model);
    return 1;
}

int RowBoxSelectRange(RowBoxModel* model, long long first, long long last, int value, int repaint) {
    if (!model || model->scrollOnly || model->rowCount <= 0) return 0;
    if (first < 0) first = 0;
    if (last < 0 || last >= model->rowCount) last = model->rowCount - 1;
    if (first > last) return 0;
    if (value) {
        if (model->singleSelection) {
            // One row at most: the new one replaces whatever was selected.
            SelectionClearAll(&model->selection);
            last = first;
        }
        SelectionSetRange(&model->selection, first, last, 1);
        if (model->caretRow < 0) {
            model->anchorRow = first;
            model->extentRow = model->caretRow = last;
        }
    } else {
        SelectionSetRange(&model->selection, first, last, 0);
        if (model->caretRow >= first && model->caretRow <= last)
            model->caretRow = model->anchorRow = model->extentRow = -1;
    }
    StampChange(model);
    if (repaint) RowBoxRepaint(model);
    return 1;
}

int RowBoxIsSelected(const RowBoxModel* model, long long row) {
    if (!model || row < 0 || row >= model->rowCount) return 0;
    return SelectionIsSet(&model->selection, row);
}

long long RowBoxFirstSelected(const RowBoxModel* model) {
    return model ? SelectionFirst(&model->selection, nullptr) : -1;
}

long long RowBoxFirstSelectedCount(const RowBoxModel* model, long long* count) {
    if (!model) {
        if (count) *count = 0;
        return -1;
    }
    return SelectionFirst(&model->selection, count);
}

void RowBoxVisibleRange(const RowBoxModel* model, long long* first, long long* last) {
    if (first) *first = model ? model->topRow : 0;
    if (last) *last = model ? model->topRow + model->visibleRows - 1 : -1;
}

int RowBoxScrollTo(RowBoxModel* model, long long row, int repaint) {
    if (!model) return 0;
    if (SetTop(model, row) && repaint) RowBoxRepaint(model);
    return 1;
}

int RowBoxMakeVisible(RowBoxModel* model, long long row, int repaint) {
    if (!model) return 0;
    if (row >= model->topRow && row <= model->topRow + model->visibleRows - 1) return 1;
    return RowBoxScrollTo(model, row - model->visibleRows / 3, repaint);
}

void RowBoxRepaintRow(RowBoxModel* model, long long row) {
    if (!model || !model->window || row < model->topRow || row >= model->topRow + model->visibleRows) return;
    int bandTop = kBandsTop + static_cast<int>(row - model->topRow) * model->rowHeight;
    RECT band = {0, bandTop, model->rect.right, bandTop + model->rowHeight};
    InvalidateRect(model->window, &band, FALSE);
}

void RowBoxRepaint(RowBoxModel* model) {
    if (model && model->window) InvalidateRect(model->window, nullptr, FALSE);
}

void RowBoxTakeSize(RowBoxModel* model) {
    if (!model || !model->window) return;
    GetClientRect(model->window, &model->rect);
    RECT outer;
    GetWindowRect(model->window, &outer);
    long long height = outer.bottom - outer.top;
    model->visibleRows = model->rowHeight > 0 ? Larger((height - 6) / model->rowHeight, 0) : 0;
    model->topRow = ScrollClampTop(model->topRow, model->rowCount, model->visibleRows);
    ShowScrollBar(model);
}

LRESULT RowBoxWindowProc(RowBoxModel* model, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!model) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaint(model, window);
            return 0;
        case WM_SIZE:
            RowBoxTakeSize(model);
            RowBoxRepaint(model);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            model->hasFocus = message == WM_SETFOCUS;
            RowBoxRepaint(model);
            return 0;
        case WM_VSCROLL:
            if (SetTop(model, ScrollForRequest(window, LOWORD(wParam), model->topRow, model->rowCount,
                                               model->visibleRows)))
                RowBoxRepaint(model);
            return 0;
        case WM_MOUSEWHEEL:
            // Pointing elsewhere: the dialog hands the wheel to whatever is under the mouse.
            if (!ScrollCursorOver(window)) return DefWindowProcW(window, message, wParam, lParam);
            OnWheel(model, GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(model, wParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnLeftButton(model, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam);
            return 0;
        case WM_RBUTTONDOWN:
            OnRightButton(model);
            return 0;
        case WM_DESTROY:
            if (model->destroyHandler) model->destroyHandler(model);
            model->window = nullptr;
            model->dialog = nullptr;
            model->item = nullptr;
            model->hasFocus = 0;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

#endif
