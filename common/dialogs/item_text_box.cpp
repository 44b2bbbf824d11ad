// Text boxes: long read-only text (message dialogs) that never keeps the focus.
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

namespace {

void RefreshTextBox(DialogItem* item) {
    if (item->control) SetWindowTextW(item->control, item->text);
}

} // namespace

const ItemBehaviour ItemTextBoxBehaviour = {
    .className = L"EDIT",
    .style = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
    .takesWheel = 1,
    .layout = LayoutPlain,
    .colors = ColorsItemPalette,
    .refresh = RefreshTextBox,
};

DialogItem* DlgTextBox(Dialog* dialog, double x, double y, double w, double h, const wchar_t* text) {
    return ItemCreate(dialog, DlgKindTextBox, x, y, w, h, nullptr, 0, 0, text, nullptr, 0, nullptr, nullptr,
                      nullptr);
}
