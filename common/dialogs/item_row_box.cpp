// Item kind 21: the row box as a dialog item. The model lives with the caller; the item only ties
// the "NimboRowBoxCtrl" window to it.
#ifndef NIMBO_PLUGIN
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/row_box.h"

namespace {

RowBoxModel* ModelOf(DialogItem* item) {
    return item ? static_cast<RowBoxModel*>(item->model) : nullptr;
}

LRESULT RowBoxControlProc(DialogItem* item, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Messages of the control's creation arrive before DlgRowBox has tied the model to the item.
    return RowBoxWindowProc(ModelOf(item), window, message, wParam, lParam);
}

// DlgRefresh: the caller changed rows or selection behind the control's back.
void RefreshRowBox(DialogItem* item) {
    RowBoxModel* model = ModelOf(item);
    if (!model) return;
    RowBoxTakeSize(model);
    RowBoxRepaint(model);
}

} // namespace

const ItemBehaviour ItemRowBoxBehaviour = {
    APP_CLASS_ROWBOX,
    WS_VSCROLL,
    0,
    1, // takes the focus: it is driven by the keyboard too
    0, // the selection is data, not a value to record
    1, // takes the wheel
    LayoutPlain,
    ColorsStatic,
    RefreshRowBox,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    RowBoxControlProc,
    nullptr,
    nullptr,
};

DialogItem* DlgRowBox(Dialog* dialog, double x, double y, double w, double h, RowBoxModel* model) {
    if (!dialog || !model) return nullptr;
    DialogItem* item = ItemCreate(dialog, DlgKindRowBox, x, y, w, h, nullptr, 0, 0, nullptr, model, 0,
                                  nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    const AppMetrics* metrics = AppGetMetrics();
    model->dialog = dialog;
    model->item = item;
    model->window = item->control;
    model->rowHeight = metrics->controlTextHeight;
    model->charHeight = metrics->H;
    model->charWidth = metrics->W;
    model->margin = 4;
    model->font = AppFont(AppFontRegular);
    item->model = model;
    RowBoxTakeSize(model);
    // A model filled before it was attached may still lack its selection block.
    if (!RowBoxSetRowCount(model, model->rowCount, 1)) RowBoxSetRowCount(model, 0, 1);
    return item;
}
#endif
