// Bitmap items: a picture from the program's resources on a palette-coloured background.
#ifndef NIMBO_PLUGIN
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

// The picture is centred in the area it was given, on the item's background colour, which a plain
// bitmap static would not do (it shrinks to the picture or fills around it with its corner pixel).
int BitmapDrawItem(DialogItem* item, DRAWITEMSTRUCT* draw) {
    FillRect(draw->hDC, &draw->rcItem, AppPaletteBrush(item->backColor));
    BITMAP info = {};
    if (!item->bitmap || !GetObjectW(item->bitmap, sizeof info, &info)) return 1;
    int left = draw->rcItem.left + (draw->rcItem.right - draw->rcItem.left - info.bmWidth) / 2;
    int top = draw->rcItem.top + (draw->rcItem.bottom - draw->rcItem.top - info.bmHeight) / 2;
    HDC source = CreateCompatibleDC(draw->hDC);
    HGDIOBJ old = SelectObject(source, item->bitmap);
    BitBlt(draw->hDC, left, top, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    return 1;
}

void BitmapDestroy(DialogItem* item) {
    if (!item->bitmap) return;
    DeleteObject(item->bitmap);
    item->bitmap = nullptr;
}

} // namespace

const ItemBehaviour ItemBitmapBehaviour = {
    L"STATIC",  SS_OWNERDRAW,      0,
    0, // not a tab stop
    0, // not recorded
    0, // the wheel goes to the dialog
    LayoutArea, ColorsItemPalette, nullptr, nullptr, nullptr, nullptr,       nullptr,
    nullptr,    BitmapDrawItem,    nullptr, nullptr, nullptr, BitmapDestroy,
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
    InvalidateRect(item->control, nullptr, TRUE);
    return item;
}
#endif
