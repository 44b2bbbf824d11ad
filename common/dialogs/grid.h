// The grid: a scrolling table of equal, selectable cells filled row by row, whose content the caller
// paints. Whole rows of cells scroll as a unit; the model keeps one selection byte per cell.
#pragma once

#include <windows.h>

#include "dialogs/dialog.h"
#include "dialogs/selection_flags.h"

struct GridModel;

// Paints one cell slot; cell may be past the last cell (slots of a partial last row), where the
// painter usually draws nothing.
typedef void (*GridPainter)(int cell, GridModel* model, HDC dc, const RECT* rect, int textColor,
                            int backColor);
// Runs first on a left click on a cell, with the position inside the cell. Answers GridClickGoOn,
// GridClickHandled (repaint and stop) or GridClickIgnore.
typedef int (*GridClickHandler)(int cell, int x, int y, GridModel* model);
typedef void (*GridDestroyHandler)(GridModel* model);

enum GridClickResult { GridClickGoOn = 0, GridClickHandled = 1, GridClickIgnore = 2 };

enum { GridSelectionMinimum = 1024, GridSelectionGrowth = 512 };

struct GridModel {
    Dialog* dialog; // set by DlgTable
    DialogItem* item;
    HWND window;
    GridPainter painter;
    GridClickHandler clickHandler;
    GridDestroyHandler destroyHandler;
    SelectionFlags selection; // tag "TbxSel"
    long long changeStamp;
    RECT rect; // the control's client rectangle
    int charHeight, charWidth;
    int margin;
    int singleSelection;
    int scrollOnly;
    int cellWidth, cellHeight; // set by the caller
    int hGap, vGap;            // 2 and 2 when cleared
    int hPitch, vPitch;        // size + gap, computed by DlgTable
    int columns;               // set by the caller
    int headerOffset;          // pixels above the first row of cells, left to the caller
    int cellCount;
    int gridRows; // cells / columns, a partial row counting as a whole one
    int topRow;   // first grid row shown
    int visibleRows;
    int caretCell, anchorCell, extentCell; // -1 = none
    int hasFocus;
    HFONT font;
    int wheelRemainder;
    void* owner;
};

// The cleared state: no cells, no selection, caret, anchor and extent -1, gaps 2, margin 2, one column.
void GridClear(GridModel* model);
void GridRelease(GridModel* model);

// Pitches from cell size and gaps; 0 when the sizes cannot make a grid (a cell height that is not
// positive, a cell width that is not positive, a negative gap).
int GridComputePitch(GridModel* model);
// The grid row of a cell, and the number of grid rows of the cells.
int GridRowOfCell(const GridModel* model, int cell);

int GridSetCellCount(GridModel* model, int count, int repaint);
// first/last -1 stand for the first and the last cell; the rules are the row box's.
int GridSelectRange(GridModel* model, int first, int last, int value, int repaint);
int GridIsSelected(const GridModel* model, int cell);
int GridFirstSelected(const GridModel* model);
int GridCountSelected(const GridModel* model);
int GridScrollTo(GridModel* model, int gridRow, int repaint);
// Scrolls only when the cell's grid row is not shown; it then stands half a page from the top.
int GridMakeCellVisible(GridModel* model, int cell, int repaint);
// The cell under a client point, or -1 (header, outside the columns, past the last cell).
int GridCellAt(const GridModel* model, int x, int y);
void GridRepaint(GridModel* model);

LRESULT GridWindowProc(GridModel* model, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void GridTakeSize(GridModel* model);

#ifndef NIMBO_PLUGIN
// Item kind 22: a grid for the model (cell size, gaps and columns set beforehand). Null when the
// dialog or model is null, the cell height is not positive or a gap is negative.
DialogItem* DlgTable(Dialog* dialog, double x, double y, double w, double h, GridModel* model);
#endif
