// Bitmap items: a picture from the program's resources on a palette-coloured background.
#ifndef NIMBO_PLUGIN
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

void BitmapDestroy(DialogItem* item) {
    if (!item->bitmap) return;
    if (item->control) SendMessageW(item->control, STM_SETIMAGE, IMAGE_BITMAP, 0);
    DeleteObject(item->bitmap);
    item->bitmap = nullptr;
}

} // namespace

const ItemBehaviour ItemBitmapBehaviour = {
    L"STATIC",
    SS_BITMAP | SS_CENTERIMAGE,
    0,
    0, // not a tab stop
    0, // not recorded
    0, // the wheel goes to the dialog
    LayoutArea,
    ColorsItemPalette,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    BitmapDestroy,
};

DialogItem* DlgBitmap(Dialog* dialog, double x, double y, double w, double h, const wchar_t* resourceName,
                      int flags, int backColor) {
    DialogItem* item = ItemCreate(dialog, DlgKindBitmap, x, y, w, h, nullptr, 0, 0, nullptr, nullptr, flags,
                                  nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    item->backColor = backColor;
    // A missing picture leaves an empty area rather than failing the whole page.
    if (resourceName)
        item->bitmap = static_cast<HBITMAP>(LoadImageW(AppInstance(), resourceName, IMAGE_BITMAP, 0, 0, 0));
    if (item->bitmap) {
        // SS_BITMAP shrinks the control to the picture; it is centred in the area it was given instead.
        RECT area;
        GetWindowRect(item->control, &area);
        MapWindowPoints(nullptr, GetParent(item->control), reinterpret_cast<POINT*>(&area), 2);
        SendMessageW(item->control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(item->bitmap));
        MoveWindow(item->control, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
    return item;
}
#endif
