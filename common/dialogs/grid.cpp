#ifndef NIMBO_PLUGIN

#include "dialogs/grid.h"

#include "dialogs/row_paint.h"
#include "dialogs/row_scroll.h"

#include <windowsx.h>

#include <cstring>

namespace {

const char kSelectionTag[] = "TbxSel";
// Cells are laid out from this offset inside the control (edge and margin); clicks are measured
// from kClickInset, the item's margin.
const int kCellInset = 3;
const int kClickInset = 4;

int Larger(int a, int b) {
    return a > b ? a : b;
}

int Columns(const GridModel* model) {
    return model->columns > 0 ? model->columns : 1;
}

int GridRowsFor(const GridModel* model, int cells) {
    int columns = Columns(model);
    return cells / columns + (cells % columns ? 1 : 0);
}

void StampChange(GridModel* model) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    model->changeStamp = counter.QuadPart;
}

void CallChangeHook(GridModel* model) {
    if (model->dialog && model->dialog->changeHook) model->dialog->changeHook(model->dialog, model->item);
}

void ShowScrollBar(GridModel* model) {
    ScrollBarShow(model->window, model->topRow, model->gridRows, model->visibleRows);
}

int ClampTop(const GridModel* model, long long top) {
    return static_cast<int>(ScrollClampTop(top, model->gridRows, model->visibleRows));
}

int SetTop(GridModel* model, long long top) {
    int clamped = ClampTop(model, top);
    if (clamped == model->topRow) return 0;
    model->topRow = clamped;
    ShowScrollBar(model);
    return 1;
}

void ShowCaretRow(GridModel* model, int cell) {
    SetTop(model,
           ScrollToShow(GridRowOfCell(model, cell), model->topRow, model->gridRows, model->visibleRows));
}

void SelectAlone(GridModel* model, int cell) {
    SelectionClearAll(&model->selection);
    SelectionSetRange(&model->selection, cell, cell, 1);
    model->caretCell = model->anchorCell = model->extentCell = cell;
}

int ExtendAllowed(const GridModel* model) {
    return !model->singleSelection && model->anchorCell >= 0;
}

void ExtendTo(GridModel* model, int cell) {
    SelectionExtend(&model->selection, model->anchorCell, model->extentCell, cell);
    model->caretCell = model->extentCell = cell;
}

int KeyIsDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// The caret cell a navigation key leads to, or -1 for keys that do not navigate. Computed in 64 bits:
// a page of a wide grid moves further than an int can count near the end of a long one.
int CaretForKey(const GridModel* model, WPARAM key, int control) {
    long long columns = Columns(model);
    long long page = Larger(model->visibleRows, 1) * columns;
    bool hasCaret = model->caretCell >= 0;
    long long caret = hasCaret ? model->caretCell : static_cast<long long>(model->topRow) * columns;
    long long target;
    switch (key) {
        case VK_LEFT:
            target = hasCaret ? caret - 1 : caret;
            break;
        case VK_RIGHT:
            target = hasCaret ? caret + 1 : caret;
            break;
        case VK_UP:
            target = hasCaret ? caret - columns : caret;
            break;
        case VK_DOWN:
            target = hasCaret ? caret + columns : caret;
            break;
        case VK_PRIOR:
            target = caret - page;
            break;
        case VK_NEXT:
            target = caret + page;
            break;
        case VK_HOME:
            target = control ? 0 : model->topRow * columns;
            break;
        case VK_END:
            target = control ? model->cellCount - 1
                             : (model->topRow + Larger(model->visibleRows, 1)) * columns - 1;
            break;
        default:
            return -1;
    }
    // Up or Down beyond either end stops at the edge cell of the same column's direction.
    if (target < 0) target = 0;
    if (target > model->cellCount - 1) target = model->cellCount - 1;
    return static_cast<int>(target);
}

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
bool KeyDoesNothing(const GridModel* model, int caret, bool extend) {
    if (caret != model->caretCell || model->extentCell != caret) return false;
    return extend || (model->anchorCell == caret && SelectionIsOnly(&model->selection, caret));
}

void OnKeyDown(GridModel* model, WPARAM key) {
    if (key == VK_TAB) {
        HWND next = GetNextDlgTabItem(GetParent(model->window), model->window, KeyIsDown(VK_SHIFT));
        if (next && next != model->window) SetFocus(next);
        return;
    }
    if (model->cellCount <= 0) return;
    if (model->scrollOnly) {
        int request = ScrollRequestForKey(key);
        if (request >= 0 && SetTop(model, ScrollForRequest(model->window, request, model->topRow,
                                                           model->gridRows, model->visibleRows)))
            GridRepaint(model);
        return;
    }
    int caret = CaretForKey(model, key, KeyIsDown(VK_CONTROL));
    if (caret < 0) return;
    bool extend = KeyIsDown(VK_SHIFT) && ExtendAllowed(model);
    if (KeyDoesNothing(model, caret, extend)) return;
    if (extend)
        ExtendTo(model, caret);
    else
        SelectAlone(model, caret);
    StampChange(model);
    ShowCaretRow(model, caret);
    GridRepaint(model);
    CallChangeHook(model);
}

void OnLeftButton(GridModel* model, int x, int y, WPARAM keys) {
    int cell = GridCellAt(model, x, y);
    if (cell < 0) return;
    if (model->clickHandler) {
        int column = cell % Columns(model);
        int slotRow = GridRowOfCell(model, cell) - model->topRow;
        int inX = x - kClickInset - column * model->hPitch;
        int inY = y - model->headerOffset - slotRow * model->vPitch;
        int answer = model->clickHandler(cell, inX, inY, model);
        if (answer == GridClickIgnore) return;
        if (answer != GridClickGoOn) {
            GridRepaint(model);
            return;
        }
    }
    if (model->scrollOnly || cell >= model->cellCount) return;
    if ((keys & MK_CONTROL) && !model->singleSelection) {
        SelectionSetRange(&model->selection, cell, cell, SelectionIsSet(&model->selection, cell) ? 0 : 1);
        model->caretCell = model->anchorCell = model->extentCell = cell;
    } else if ((keys & MK_SHIFT) && ExtendAllowed(model)) {
        ExtendTo(model, cell);
    } else {
        SelectAlone(model, cell);
    }
    StampChange(model);
    ShowCaretRow(model, cell);
    SetFocus(model->window);
    GridRepaint(model);
    CallChangeHook(model);
}

void OnRightButton(GridModel* model) {
    if (model->scrollOnly) return;
    model->caretCell = model->anchorCell = model->extentCell = -1;
    if (!SelectionClearAll(&model->selection)) return;
    StampChange(model);
    GridRepaint(model);
    CallChangeHook(model);
}

void PaintCells(GridModel* model, HDC dc, const RECT* client) {
    RECT area = {client->left + 1, client->top + 1, client->right - 1, client->bottom - 1};
    HRGN clip = CreateRectRgnIndirect(&area);
    SelectClipRgn(dc, clip);
    if (model->font) SelectObject(dc, model->font);
    SetBkMode(dc, OPAQUE);
    int columns = Columns(model);
    for (int slotRow = 0; slotRow < model->visibleRows; ++slotRow) {
        for (int column = 0; column < columns; ++column) {
            long long cellNumber = (static_cast<long long>(model->topRow) + slotRow) * columns + column;
            if (cellNumber > 2147483647) break;
            int cell = static_cast<int>(cellNumber);
            int left = column * model->hPitch + kCellInset;
            int top = model->headerOffset + slotRow * model->vPitch + kCellInset;
            RECT rect = {left, top, left + model->cellWidth, top + model->cellHeight};
            int selected = cell < model->cellCount && SelectionIsSet(&model->selection, cell);
            RowPaintSlotColors(dc, &rect, selected);
            if (model->painter) model->painter(cell, model, dc, &rect, selected ? 0 : 1, selected ? 1 : 0);
        }
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}

void PaintContent(void* model, HDC dc, const RECT* client) {
    PaintCells(static_cast<GridModel*>(model), dc, client);
}

void OnPaint(GridModel* model, HWND window) {
    RowPaintBuffered(window, model->hasFocus, PaintContent, model);
}

} // namespace

void GridClear(GridModel* model) {
    if (!model) return;
    memset(model, 0, sizeof *model);
    model->hGap = model->vGap = 2;
    model->margin = 2;
    model->columns = 1;
    model->caretCell = model->anchorCell = model->extentCell = -1;
}

void GridRelease(GridModel* model) {
    if (model) SelectionRelease(&model->selection);
}

int GridComputePitch(GridModel* model) {
    if (!model || model->cellHeight <= 0 || model->cellWidth <= 0 || model->vGap < 0 || model->hGap < 0)
        return 0;
    model->hPitch = model->cellWidth + model->hGap;
    model->vPitch = model->cellHeight + model->vGap;
    return 1;
}

int GridRowOfCell(const GridModel* model, int cell) {
    return cell / Columns(model);
}

int GridSetCellCount(GridModel* model, int count, int repaint) {
    if (!model || count < 0) return 0;
    if (!SelectionGrow(&model->selection, count, GridSelectionMinimum, GridSelectionGrowth, kSelectionTag))
        return 0;
    SelectionTruncate(&model->selection, count);
    if (model->caretCell >= count) model->caretCell = -1;
    if (model->anchorCell >= count || model->caretCell < 0) model->anchorCell = -1;
    if (model->extentCell >= count || model->caretCell < 0) model->extentCell = -1;
    model->cellCount = count;
    model->gridRows = GridRowsFor(model, count);
    int top = ClampTop(model, model->topRow);
    int moved = top != model->topRow;
    model->topRow = top;
    ShowScrollBar(model);
    if (repaint || moved) GridRepaint(model);
    return 1;
}

int GridSelectRange(GridModel* model, int first, int last, int value, int repaint) {
    if (!model || model->scrollOnly || model->cellCount <= 0) return 0;
    if (first < 0) first = 0;
    if (last < 0 || last >= model->cellCount) last = model->cellCount - 1;
    if (first > last) return 0;
    if (value) {
        if (model->singleSelection) {
            SelectionClearAll(&model->selection);
            last = first;
        }
        SelectionSetRange(&model->selection, first, last, 1);
        if (model->caretCell < 0) {
            model->anchorCell = first;
            model->extentCell = model->caretCell = last;
        }
    } else {
        SelectionSetRange(&model->selection, first, last, 0);
        if (model->caretCell >= first && model->caretCell <= last)
            model->caretCell = model->anchorCell = model->extentCell = -1;
    }
    StampChange(model);
    if (repaint) GridRepaint(model);
    return 1;
}

int GridIsSelected(const GridModel* model, int cell) {
    if (!model || cell < 0 || cell >= model->cellCount) return 0;
    return SelectionIsSet(&model->selection, cell);
}

int GridFirstSelected(const GridModel* model) {
    return model ? static_cast<int>(SelectionFirst(&model->selection, nullptr)) : -1;
}

int GridCountSelected(const GridModel* model) {
    if (!model) return 0;
    long long count = 0;
    SelectionFirst(&model->selection, &count);
    return static_cast<int>(count);
}

int GridScrollTo(GridModel* model, int gridRow, int repaint) {
    if (!model) return 0;
    if (SetTop(model, gridRow) && repaint) GridRepaint(model);
    return 1;
}

int GridMakeCellVisible(GridModel* model, int cell, int repaint) {
    if (!model || cell < 0) return 0;
    int row = GridRowOfCell(model, cell);
    if (row >= model->topRow && row <= model->topRow + model->visibleRows - 1) return 1;
    return GridScrollTo(model, row - model->visibleRows / 2, repaint);
}

int GridCellAt(const GridModel* model, int x, int y) {
    if (!model || model->hPitch <= 0 || model->vPitch <= 0) return -1;
    // Clicks on the header or beside the columns hit no cell; without these tests they would be
    // taken for a cell of a neighbouring row.
    if (y < model->headerOffset || x < kClickInset) return -1;
    int column = (x - kClickInset) / model->hPitch;
    if (column >= Columns(model)) return -1;
    long long row = model->topRow + (y - model->headerOffset) / model->vPitch;
    long long cell = row * Columns(model) + column;
    return cell < model->cellCount ? static_cast<int>(cell) : -1;
}

void GridRepaint(GridModel* model) {
    if (model && model->window) InvalidateRect(model->window, nullptr, FALSE);
}

void GridTakeSize(GridModel* model) {
    if (!model || !model->window) return;
    GetClientRect(model->window, &model->rect);
    RECT outer;
    GetWindowRect(model->window, &outer);
    int height = outer.bottom - outer.top;
    model->visibleRows = model->vPitch > 0 ? Larger((height - 6) / model->vPitch, 0) : 0;
    model->topRow = ClampTop(model, model->topRow);
    ShowScrollBar(model);
}

LRESULT GridWindowProc(GridModel* model, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
            GridTakeSize(model);
            GridRepaint(model);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            model->hasFocus = message == WM_SETFOCUS;
            GridRepaint(model);
            return 0;
        case WM_VSCROLL:
            if (SetTop(model, ScrollForRequest(window, LOWORD(wParam), model->topRow, model->gridRows,
                                               model->visibleRows)))
                GridRepaint(model);
            return 0;
        case WM_MOUSEWHEEL:
            if (!ScrollCursorOver(window)) return DefWindowProcW(window, message, wParam, lParam);
            if (SetTop(model, ScrollForWheel(GET_WHEEL_DELTA_WPARAM(wParam), &model->wheelRemainder,
                                             model->topRow, model->gridRows, model->visibleRows)))
                GridRepaint(model);
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
