// Text items: a line of static text in palette colours.
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

void RefreshText(DialogItem* item) {
    if (item->control) SetWindowTextW(item->control, item->text);
}

DWORD AlignmentStyle(int flags) {
    if (flags & DlgTextRight) return SS_RIGHT;
    if (flags & DlgTextCentre) return SS_CENTER;
    return SS_LEFT;
}

} // namespace

const ItemBehaviour ItemTextBehaviour = {
    .className = L"STATIC",
    .style = SS_NOPREFIX,
    .layout = LayoutText,
    .colors = ColorsItemPalette,
    .refresh = RefreshText,
};

DialogItem* DlgText(Dialog* dialog, double x, double y, double w, const wchar_t* text, int flags,
                    int textColor, int backColor) {
    if (!dialog) return nullptr;
    bool bold = (flags & DlgTextBold) != 0;
    // Narrower than half a column means "as wide as the text".
    if (w < 0.5 && AppGetMetrics()->columnUnit > 0)
        w = static_cast<double>(AppTextWidth(dialog->window, text ? text : L"", bold ? 1 : 0)) /
            AppGetMetrics()->columnUnit;
    DialogItem* item = ItemCreate(dialog, DlgKindText, x, y, w, 0, nullptr, AlignmentStyle(flags), 0, text,
                                  nullptr, flags, nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    item->textColor = textColor;
    item->backColor = backColor;
    if (bold) SendMessageW(item->control, WM_SETFONT, reinterpret_cast<WPARAM>(AppFont(AppFontBold)), FALSE);
    return item;
}

int DlgSetText(DialogItem* item, const wchar_t* text) {
    if (!item || !item->control) return 0;
    ItemCopyText(item->text, DlgItemTextLength, text);
    SetWindowTextW(item->control, item->text);
    return 1;
}
