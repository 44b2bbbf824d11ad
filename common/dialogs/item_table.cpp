// Item kind 22: the grid as a dialog item, tying a "NimboTableCtrl" window to the caller's model.
#ifndef NIMBO_PLUGIN
#include "dialogs/app.h"
#include "dialogs/grid.h"
#include "dialogs/item_kinds.h"

namespace {

GridModel* ModelOf(DialogItem* item) {
    return item ? static_cast<GridModel*>(item->model) : nullptr;
}

LRESULT GridControlProc(DialogItem* item, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return GridWindowProc(ModelOf(item), window, message, wParam, lParam);
}

// DlgRefresh: the caller may have changed cell size, gaps or columns behind the control's back.
void RefreshGrid(DialogItem* item) {
    GridModel* model = ModelOf(item);
    if (!model) return;
    GridComputePitch(model);
    GridTakeSize(model);
    GridSetCellCount(model, model->cellCount, 1); // grid rows follow the columns
}

} // namespace

const ItemBehaviour ItemTableBehaviour = {
    APP_CLASS_TABLE,
    WS_VSCROLL,
    0,
    1, // takes the focus
    0, // not recorded
    1, // takes the wheel
    LayoutPlain,
    ColorsStatic,
    RefreshGrid,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    GridControlProc,
    nullptr,
    nullptr,
};

DialogItem* DlgTable(Dialog* dialog, double x, double y, double w, double h, GridModel* model) {
    if (!dialog || !model || !GridComputePitch(model)) return nullptr;
    DialogItem* item = ItemCreate(dialog, DlgKindTable, x, y, w, h, nullptr, 0, 0, nullptr, model, 0, nullptr,
                                  nullptr, nullptr);
    if (!item) return nullptr;
    const AppMetrics* metrics = AppGetMetrics();
    model->dialog = dialog;
    model->item = item;
    model->window = item->control;
    model->charHeight = metrics->H;
    model->charWidth = metrics->W;
    model->margin = 4;
    model->font = AppFont(AppFontRegular);
    item->model = model;
    GridTakeSize(model);
    if (!GridSetCellCount(model, model->cellCount, 1)) GridSetCellCount(model, 0, 1);
    return item;
}
#endif
