// Push buttons: a callback run on a click, optionally with a picture, a tooltip, or as one of a group
// of push-like radio buttons.
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

#include <commctrl.h>

namespace {

void DestroyButtonPictures(DialogItem* item) {
    if (item->bitmap) DeleteObject(item->bitmap);
    if (item->icon) DestroyIcon(item->icon);
    item->bitmap = nullptr;
    item->icon = nullptr;
}

// Icons are square and come in the standard sizes; the button's larger side picks one.
int IconSizeFor(int width, int height) {
    int side = width > height ? width : height;
    if (side > 65) return 64;
    if (side >= 50) return 48;
    if (side >= 34) return 32;
    return 24;
}

DWORD ButtonStyle(DlgCallback callback, int flags) {
    DWORD style = 0;
    if (flags & DlgButtonRadio) {
        style = BS_AUTORADIOBUTTON | BS_PUSHLIKE;
        if (flags & DlgButtonRadioGroup) style |= WS_GROUP;
    } else {
        style = callback == DlgStandardOk ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    }
    if (flags & DlgButtonBitmap)
        style |= BS_BITMAP;
    else if (flags & DlgButtonIcon)
        style |= BS_ICON;
    return style;
}

void AttachPicture(DialogItem* item, const wchar_t* resourceName, int flags) {
    if (!resourceName) return;
    if (flags & DlgButtonBitmap) {
        item->bitmap = static_cast<HBITMAP>(LoadImageW(AppInstance(), resourceName, IMAGE_BITMAP, 0, 0, 0));
        if (item->bitmap)
            SendMessageW(item->control, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(item->bitmap));
    } else if (flags & DlgButtonIcon) {
        int size = IconSizeFor(item->pw, item->ph);
        item->icon = static_cast<HICON>(LoadImageW(AppInstance(), resourceName, IMAGE_ICON, size, size, 0));
        if (item->icon)
            SendMessageW(item->control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(item->icon));
    }
}

HWND DialogTooltip(Dialog* dialog) {
    if (dialog->tooltip) return dialog->tooltip;
    dialog->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                      dialog->window, nullptr, AppInstance(), nullptr);
    return dialog->tooltip;
}

void AddTooltip(DialogItem* item, const wchar_t* tooltip) {
    HWND window = DialogTooltip(item->dialog);
    if (!window) return;
    ItemCopyText(item->tooltip, DlgItemTextLength, tooltip);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every version of the common controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = item->dialog->window;
    tool.uId = reinterpret_cast<UINT_PTR>(item->control);
    tool.lpszText = item->tooltip;
    SendMessageW(window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace

const ItemBehaviour ItemButtonBehaviour = {
    .className = L"BUTTON",
    .tabStop = 1,
    .layout = LayoutButton,
    .colors = ColorsStatic,
    .destroy = DestroyButtonPictures,
};

DialogItem* DlgButtonNamed(Dialog* dialog, double x, double y, double w, double h, DlgCallback callback,
                           const wchar_t* label, const wchar_t* tooltip, int flags, const wchar_t* name) {
    if (!dialog) return nullptr;
    bool picture = (flags & (DlgButtonBitmap | DlgButtonIcon)) != 0;
    DialogItem* item = ItemCreate(dialog, DlgKindButton, x, y, w, h, nullptr, ButtonStyle(callback, flags), 0,
                                  picture ? L"" : label, nullptr, flags, nullptr, nullptr, name);
    if (!item) return nullptr;
    item->callback = callback;
    if (picture) AttachPicture(item, label, flags);
    if (tooltip) AddTooltip(item, tooltip);
    return item;
}

DialogItem* DlgButton(Dialog* dialog, double x, double y, double w, double h, DlgCallback callback,
                      const wchar_t* label, const wchar_t* tooltip, int flags) {
    return DlgButtonNamed(dialog, x, y, w, h, callback, label, tooltip, flags, nullptr);
}
