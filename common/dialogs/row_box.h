// The row box: a scrolling list of selectable rows with 64-bit row numbers, for lists far too long
// for the system's list controls. Rows are painted by the caller; the model keeps only one
// selection byte per row, the scroll position and the caret.
#pragma once

#include <windows.h>

#include "dialogs/dialog.h"
#include "dialogs/selection_flags.h"

struct RowBoxModel;

// Paints one row into rect in the given palette colours (text on background).
typedef void (*RowBoxPainter)(long long row, RowBoxModel* model, HDC dc, const RECT* rect, int textColor,
                              int backColor);
// Runs first on a left click on a row; x is measured from the control's left edge minus the margin.
// Answers RowBoxClickGoOn, RowBoxClickHandled (repaint and stop) or RowBoxClickIgnore.
typedef int (*RowBoxClickHandler)(long long row, int x, RowBoxModel* model);
// Called when the control is destroyed; the model itself stays the caller's.
typedef void (*RowBoxDestroyHandler)(RowBoxModel* model);

enum RowBoxClickResult { RowBoxClickGoOn = 0, RowBoxClickHandled = 1, RowBoxClickIgnore = 2 };

// Minimum size and least growth of the selection block.
enum { RowBoxSelectionMinimum = 1024, RowBoxSelectionGrowth = 512 };

struct RowBoxModel {
    Dialog* dialog; // set by DlgRowBox
    DialogItem* item;
    HWND window; // the control, null before DlgRowBox and after the control was destroyed
    RowBoxPainter painter;
    RowBoxClickHandler clickHandler;
    RowBoxDestroyHandler destroyHandler;
    SelectionFlags selection; // tag "RbxSel"
    long long changeStamp;    // high-resolution counter at the last selection change
    RECT rect;                // the control's client rectangle in pixels
    int rowHeight;
    int charHeight, charWidth;
    int margin;
    int singleSelection;
    int scrollOnly; // no selection at all: keys and clicks only scroll
    long long visibleRows;
    long long rowCount;
    long long topRow;
    long long caretRow, anchorRow, extentRow; // -1 = none
    int hasFocus;
    HFONT font;         // selected into the device context before the painter runs
    int wheelRemainder; // part of a wheel notch not yet scrolled
    void* owner;        // free for whatever the row box is built into (the tree)
};

// Puts a model into its cleared state: no rows, no selection, caret, anchor and extent -1, margin 2.
// For a fresh model; one that holds a selection block gives it back with RowBoxRelease first.
void RowBoxClear(RowBoxModel* model);
// Frees the selection block (the caller's model outlives the control, so the caller frees it).
void RowBoxRelease(RowBoxModel* model);

// Sets the number of rows: grows the selection block, drops the selection of rows that no longer
// exist, keeps the top row inside the list and updates the scroll bar. Repaints when asked or when
// the top row moved. 0 when the selection block cannot grow (nothing changes then).
int RowBoxSetRowCount(RowBoxModel* model, long long count, int repaint);
// Removes the selection flag of row, moving the flags of the following rows up by one.
int RowBoxDeleteRow(RowBoxModel* model, long long row);
// Sets (value 1) or clears (0) rows first..last; -1 stands for the first or the last row.
// In single-selection mode setting selects the first row alone. Clearing the caret's row drops caret,
// anchor and extent; setting without a caret puts the anchor at first and caret and extent at last.
// 0 (nothing done) in scroll-only mode, without rows, or for a range outside the list.
int RowBoxSelectRange(RowBoxModel* model, long long first, long long last, int value, int repaint);
int RowBoxIsSelected(const RowBoxModel* model, long long row);
// The first selected row, -1 when none; with count, the number of selected rows too.
long long RowBoxFirstSelected(const RowBoxModel* model);
long long RowBoxFirstSelectedCount(const RowBoxModel* model, long long* count);
// The first and last row a full view shows (top .. top + visible - 1).
void RowBoxVisibleRange(const RowBoxModel* model, long long* first, long long* last);
int RowBoxScrollTo(RowBoxModel* model, long long row, int repaint);
// Scrolls only when row is outside the visible range; it then stands a third of a page from the top.
int RowBoxMakeVisible(RowBoxModel* model, long long row, int repaint);
void RowBoxRepaintRow(RowBoxModel* model, long long row);
void RowBoxRepaint(RowBoxModel* model);

// The control's window procedure behind the "NimboRowBoxCtrl" class, for the item's model.
LRESULT RowBoxWindowProc(RowBoxModel* model, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the control's size into the model (client rectangle, visible rows) and refreshes the bar.
void RowBoxTakeSize(RowBoxModel* model);

#ifndef NIMBO_PLUGIN
// Item kind 21: a row box for the model, which must stay alive as long as the dialog. Null when the
// dialog or the model is null or the control cannot be made.
DialogItem* DlgRowBox(Dialog* dialog, double x, double y, double w, double h, RowBoxModel* model);
#endif
