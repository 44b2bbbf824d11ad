// Swatches: an edged area filled with a palette colour, for legends and colour samples.
#ifndef NIMBO_PLUGIN
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

const ItemBehaviour ItemSwatchBehaviour = {
    L"STATIC",  SS_NOTIFY,         WS_EX_STATICEDGE,
    0, // not a tab stop
    0, // not recorded
    0, // the wheel goes to the dialog
    LayoutArea, ColorsItemPalette, nullptr,          nullptr, nullptr, nullptr, nullptr,
    nullptr,    nullptr,           nullptr,          nullptr, nullptr, nullptr,
};

DialogItem* DlgSwatch(Dialog* dialog, double x, double y, double w, double h, int backColor) {
    DialogItem* item = ItemCreate(dialog, DlgKindSwatch, x, y, w, h, nullptr, 0, 0, nullptr, nullptr, 0,
                                  nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    item->backColor = backColor;
    InvalidateRect(item->control, nullptr, TRUE);
    return item;
}
#endif
