// Sliders: a trackbar bound to an int that follows the thumb while it moves.
#ifndef NIMBO_PLUGIN
#include <windows.h>

#include <commctrl.h>

#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

int* SliderVariable(DialogItem* item) {
    return static_cast<int*>(item->variable);
}

int SliderPosition(DialogItem* item) {
    return static_cast<int>(SendMessageW(item->control, TBM_GETPOS, 0, 0));
}

// A scroll message carries the thumb position in 16 unsigned bits only; a range below zero or above
// 65535 would come out wrong, so the control itself is asked then.
int ThumbPosition(DialogItem* item, WPARAM wParam) {
    int lowest = static_cast<int>(SendMessageW(item->control, TBM_GETRANGEMIN, 0, 0));
    int highest = static_cast<int>(SendMessageW(item->control, TBM_GETRANGEMAX, 0, 0));
    if (lowest >= 0 && highest <= 0xFFFF) return HIWORD(wParam);
    return SliderPosition(item);
}

int IsThumbCode(int code) {
    return code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
}

void SliderRefresh(DialogItem* item) {
    SendMessageW(item->control, TBM_SETPOS, TRUE, *SliderVariable(item));
}

int SliderCommit(DialogItem*) {
    return 0;
} // the scroll messages write the variable

void SliderSave(DialogItem* item) {
    item->saved.i = *SliderVariable(item);
}

void SliderRestore(DialogItem*) {} // a slider keeps where the user left it

LRESULT SliderNotify(DialogItem* item, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_HSCROLL) return 0;
    int code = LOWORD(wParam);
    *SliderVariable(item) = IsThumbCode(code) ? ThumbPosition(item, wParam) : SliderPosition(item);
    ItemNotify(item);
    return 0;
}

} // namespace

const ItemBehaviour ItemSliderBehaviour = {
    TRACKBAR_CLASSW,
    TBS_HORZ | TBS_BOTTOM,
    0,
    1, // tab stop
    1, // recorded
    1, // takes the wheel
    LayoutEdit,
    ColorsBlackOnWhite,
    SliderRefresh,
    SliderCommit,
    SliderSave,
    SliderRestore,
    nullptr,
    SliderNotify,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

DialogItem* DlgSlider(Dialog* dialog, double x, double y, double w, int* variable, int minimum, int maximum,
                      int pageSize, int flags) {
    return DlgSliderNamed(dialog, x, y, w, variable, minimum, maximum, pageSize, flags, nullptr);
}

DialogItem* DlgSliderNamed(Dialog* dialog, double x, double y, double w, int* variable, int minimum,
                           int maximum, int pageSize, int flags, const wchar_t* name) {
    if (!dialog || !variable) return nullptr;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    DialogItem* item = ItemCreate(dialog, DlgKindSlider, x, y, w, 0, nullptr, 0, 0, nullptr, variable, flags,
                                  nullptr, nullptr, name);
    if (!item) return nullptr;
    SendMessageW(item->control, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(item->control, TBM_SETRANGEMAX, FALSE, maximum);
    SendMessageW(item->control, TBM_SETPAGESIZE, 0, pageSize);
    SliderRefresh(item);
    return item;
}
#endif
