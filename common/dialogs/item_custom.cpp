// Custom items: a "NimboCustomCtrl" window whose painting and input belong to the caller's handler.
#ifndef NIMBO_PLUGIN
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

LRESULT CustomControlProc(DialogItem* item, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (item && item->customHandler && item->customHandler(item, message, wParam, lParam, &result))
        return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

const ItemBehaviour ItemCustomBehaviour = {
    APP_CLASS_CUSTOM,
    0,
    0,
    0, // a caller that wants the focus gives the control WS_TABSTOP among its style bits
    1, // recorded when the caller names it and gives it a variable and a formatter
    1, // takes the wheel
    LayoutArea,
    ColorsStatic,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    CustomControlProc,
    nullptr,
    nullptr,
};

DialogItem* DlgCustom(Dialog* dialog, double x, double y, double w, double h, DWORD extraStyle) {
    return ItemCreate(dialog, DlgKindCustom, x, y, w, h, nullptr, extraStyle, 0, nullptr, nullptr, 0, nullptr,
                      nullptr, nullptr);
}

void DlgCustomSetHandler(DialogItem* custom, DlgCustomHandler handler, void* userData) {
    if (!custom || custom->kind != DlgKindCustom) return;
    custom->customHandler = handler;
    custom->userData = userData;
    if (custom->control) InvalidateRect(custom->control, nullptr, TRUE);
}
#endif
