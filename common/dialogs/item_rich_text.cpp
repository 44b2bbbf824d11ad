// Rich-text items: a read-only rich-edit view that a RichTextBuffer fills with formatted lines.
#ifndef NIMBO_PLUGIN
#include <richedit.h>

#include "dialogs/item_kinds.h"
#include "dialogs/items.h"
#include "dialogs/rich_text.h"

namespace {

RichTextBuffer* BufferOf(DialogItem* item) {
    return static_cast<RichTextBuffer*>(item->model);
}

void RichTextShown(DialogItem* item) {
    RichTextBuffer* buffer = BufferOf(item);
    if (buffer && buffer->item == item) RichTextShowFormatting(buffer);
}

// The buffer outlives the dialog (the agreement page frees it after the run); without this it would
// keep writing into a control that is gone.
void RichTextDestroyed(DialogItem* item) {
    RichTextBuffer* buffer = BufferOf(item);
    if (buffer && buffer->item == item) buffer->item = nullptr;
}

} // namespace

const ItemBehaviour ItemRichTextBehaviour = {
    L"RICHEDIT50W",
    ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_BORDER,
    WS_EX_CLIENTEDGE,
    0, // not a tab stop: the focus belongs to the page's buttons
    0, // not recorded
    1, // the wheel scrolls the text
    LayoutWideArea,
    ColorsBlackOnWhite,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    RichTextShown,
    RichTextDestroyed,
};

DialogItem* DlgRichText(Dialog* dialog, double x, double y, double w, double h, const wchar_t* initialText,
                        int flags, RichTextBuffer* buffer) {
    DialogItem* item = ItemCreate(dialog, DlgKindRichText, x, y, w, h, nullptr, 0, 0, nullptr, buffer, flags,
                                  nullptr, nullptr, nullptr);
    if (!item) return nullptr;
    item->model = buffer;
    if (buffer) buffer->item = item;
    // Set after creation rather than through the item's text, which holds only 799 characters.
    if (initialText) SetWindowTextW(item->control, initialText);
    return item;
}
#endif
