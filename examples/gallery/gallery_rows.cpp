#include "gallery_rows.h"

#include <windows.h>

#include <cwchar>

#include "dialogs/app.h"
#include "dialogs/grid.h"
#include "dialogs/items.h"
#include "dialogs/row_box.h"
#include "dialogs/tree.h"

namespace {

const long long HugeRowCount = 3000000000LL;

struct RowControls {
    RowBoxModel rows;
    TreeModel tree;
    GridModel cells;
    DialogItem* rowBox;
    DialogItem* rowStatus;
    DialogItem* treeStatus;
    DialogItem* gridStatus;
};

RowControls Controls;

// Sorting orders neighbouring siblings, so siblings are listed together: level by level, every
// child after its parent.
TreeNode Nodes[] = {
    {1, 0, L"Projects", TreeOpen},
    {8, 0, L"Sessions", TreeClosed},
    {11, 0, L"settings_path.txt", TreeLeaf},
    {12, 0, L"ocular.ini", TreeLeaf},
    {2, 1, L"Tunnel north portal.prj", TreeLeaf},
    {3, 1, L"Bridge survey", TreeClosed},
    {6, 1, L"Archive", TreeClosed},
    {4, 3, L"Deck.prj", TreeLeaf},
    {5, 3, L"piers.prj", TreeLeaf},
    {7, 6, L"2019 scans.prj", TreeLeaf},
    {9, 8, L"monday.tss", TreeLeaf},
    {10, 8, L"Friday.tss", TreeLeaf},
};

void DrawRowText(HDC dc, const RECT* rect, int textColor, int backColor, const wchar_t* text) {
    SetTextColor(dc, AppPaletteColor(textColor));
    SetBkColor(dc, AppPaletteColor(backColor));
    RECT box = {rect->left + 4, rect->top, rect->right, rect->bottom};
    DrawTextW(dc, text, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void PaintHugeRow(long long row, RowBoxModel*, HDC dc, const RECT* rect, int textColor, int backColor) {
    wchar_t text[80];
    swprintf(text, 80, L"Point %lld  (tile %lld)", row, row / 65536);
    DrawRowText(dc, rect, textColor, backColor, text);
}

void PaintSwatchCell(int cell, GridModel* model, HDC dc, const RECT* rect, int textColor, int backColor) {
    if (cell >= model->cellCount) return;
    RECT sample = {rect->left + 3, rect->top + 3, rect->left + 15, rect->bottom - 3};
    FillRect(dc, &sample, AppPaletteBrush(2 + cell % 16));
    wchar_t text[16];
    swprintf(text, 16, L"%d", cell);
    RECT label = {rect->left + 14, rect->top, rect->right, rect->bottom};
    SetTextColor(dc, AppPaletteColor(textColor));
    SetBkColor(dc, AppPaletteColor(backColor));
    DrawTextW(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
}

void ShowSelection(DialogItem* status, long long first, long long count) {
    wchar_t text[96];
    if (count <= 0)
        swprintf(text, 96, L"Nothing selected");
    else if (count == 1)
        swprintf(text, 96, L"Selected: %lld", first);
    else
        swprintf(text, 96, L"Selected: %lld rows from %lld", count, first);
    DlgSetText(status, text);
}

void ReportChange(Dialog*, DialogItem* item) {
    if (!item) return;
    long long count = 0;
    if (item == Controls.rowBox) {
        long long first = RowBoxFirstSelectedCount(&Controls.rows, &count);
        ShowSelection(Controls.rowStatus, first, count);
    } else if (item->model == &Controls.tree.rows) {
        long long first = RowBoxFirstSelectedCount(&Controls.tree.rows, &count);
        TreeNode* node = TreeNodeAtRow(&Controls.tree, first);
        DlgSetText(Controls.treeStatus, node ? node->name : L"Nothing selected");
    } else if (item->model == &Controls.cells) {
        ShowSelection(Controls.gridStatus, GridFirstSelected(&Controls.cells),
                      GridCountSelected(&Controls.cells));
    }
}

void AddRowBox(Dialog* dialog) {
    DlgText(dialog, 1, 0.2, 30, L"Row box of 3000000000 rows", DlgTextBold, 1, 10);
    RowBoxClear(&Controls.rows);
    Controls.rows.painter = PaintHugeRow;
    RowBoxSetRowCount(&Controls.rows, HugeRowCount, 0);
    Controls.rowBox = DlgRowBox(dialog, 1, 1.3, 30, 14, &Controls.rows);
    Controls.rowStatus = DlgText(dialog, 1, 15.5, 30, L"Ctrl+End goes to the last row", 0, 1, 10);
}

void AddTree(Dialog* dialog) {
    DlgText(dialog, 33, 0.2, 26, L"Tree", DlgTextBold, 1, 10);
    TreeInit(&Controls.tree, Nodes, sizeof Nodes / sizeof Nodes[0]);
    TreeSort(&Controls.tree, 1);
    TreeRebuild(&Controls.tree, 0);
    DlgTree(dialog, 33, 1.3, 26, 14, &Controls.tree);
    Controls.treeStatus = DlgText(dialog, 33, 15.5, 26, L"A click opens or closes a folder", 0, 1, 10);
}

void AddGrid(Dialog* dialog) {
    DlgText(dialog, 61, 0.2, 28, L"Grid", DlgTextBold, 1, 10);
    GridClear(&Controls.cells);
    Controls.cells.painter = PaintSwatchCell;
    Controls.cells.cellWidth = AppColumnsToPixels(4.5);
    Controls.cells.cellHeight = AppGetMetrics()->controlTextHeight;
    Controls.cells.columns = 5;
    Controls.cells.cellCount = 203;
    DlgTable(dialog, 61, 1.3, 28, 14, &Controls.cells);
    Controls.gridStatus = DlgText(dialog, 61, 15.5, 28, L"Arrows move, Shift extends", 0, 1, 10);
}

} // namespace

int GalleryShowRowControls(Dialog* gallery) {
    Dialog* dialog = DlgCreate(L"Row box, tree and grid", 90, 18.2, DlgWindowPopup, 0,
                               gallery ? gallery->window : nullptr);
    if (!dialog) return 0;
    AddRowBox(dialog);
    AddTree(dialog);
    AddGrid(dialog);
    DlgLine(dialog, 0, 16.7, 0);
    DlgButton(dialog, 78, 17, 11, 0, DlgStandardOk, L"Close", nullptr, 0);
    DlgSetChangeHook(dialog, ReportChange);
    DlgRun(dialog);
    RowBoxRelease(&Controls.rows);
    TreeRelease(&Controls.tree);
    GridRelease(&Controls.cells);
    return 0;
}
