// Colour buttons: an owner-drawn button that shows the bound colour and lets the user pick another
// one with the system colour chooser.
#ifndef NIMBO_PLUGIN
#include <windows.h>

#include <commdlg.h>

#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

// The chooser's sixteen custom colours are remembered for the whole run of the program, so that a
// colour mixed once can be picked again on the next button.
COLORREF CustomColors[16];

unsigned char* ColorVariable(DialogItem* item) {
    return static_cast<unsigned char*>(item->variable);
}

COLORREF BoundColor(DialogItem* item) {
    const unsigned char* rgb = ColorVariable(item);
    return RGB(rgb[0], rgb[1], rgb[2]);
}

void StoreColor(DialogItem* item, COLORREF color) {
    unsigned char* rgb = ColorVariable(item);
    rgb[0] = GetRValue(color);
    rgb[1] = GetGValue(color);
    rgb[2] = GetBValue(color);
}

// Opens the chooser owned by the dialog; 1 when the user chose a colour.
int ChooseNewColor(DialogItem* item) {
    CHOOSECOLORW chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = item->dialog ? item->dialog->window : nullptr;
    chooser.rgbResult = BoundColor(item);
    chooser.lpCustColors = CustomColors;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&chooser)) return 0;
    StoreColor(item, chooser.rgbResult);
    InvalidateRect(item->control, nullptr, TRUE);
    return 1;
}

void ColorRefresh(DialogItem* item) {
    InvalidateRect(item->control, nullptr, TRUE);
}

int ColorCommit(DialogItem*) {
    return 0;
} // the chooser writes the variable itself

void ColorSave(DialogItem* item) {
    for (int channel = 0; channel < 3; ++channel) item->saved.rgb[channel] = ColorVariable(item)[channel];
}

void ColorRestore(DialogItem* item) {
    for (int channel = 0; channel < 3; ++channel) ColorVariable(item)[channel] = item->saved.rgb[channel];
}

int ColorCommand(DialogItem* item, int notifyCode) {
    if (notifyCode != BN_CLICKED) return 0;
    return ChooseNewColor(item);
}

int ColorDrawItem(DialogItem* item, DRAWITEMSTRUCT* draw) {
    RECT area = draw->rcItem;
    DrawEdge(draw->hDC, &area, EDGE_RAISED, BF_RECT | BF_ADJUST);
    HBRUSH brush = CreateSolidBrush(BoundColor(item));
    FillRect(draw->hDC, &area, brush);
    DeleteObject(brush);
    if (draw->itemState & ODS_FOCUS) DrawFocusRect(draw->hDC, &area);
    return 1;
}

} // namespace

const ItemBehaviour ItemColorBehaviour = {
    L"BUTTON",
    BS_OWNERDRAW,
    0,
    1, // tab stop
    1, // recorded
    0, // the wheel goes to the dialog
    LayoutColor,
    ColorsStatic,
    ColorRefresh,
    ColorCommit,
    ColorSave,
    ColorRestore,
    ColorCommand,
    nullptr,
    ColorDrawItem,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

DialogItem* DlgColor(Dialog* dialog, double x, double y, double w, unsigned char* color, int flags,
                     const wchar_t* label) {
    return DlgColorNamed(dialog, x, y, w, color, flags, label, nullptr);
}

DialogItem* DlgColorNamed(Dialog* dialog, double x, double y, double w, unsigned char* color, int flags,
                          const wchar_t* label, const wchar_t* name) {
    if (!dialog || !color) return nullptr;
    return ItemCreate(dialog, DlgKindColor, x, y, w, 0, nullptr, 0, 0, nullptr, color, flags, label, nullptr,
                      name);
}
#endif
