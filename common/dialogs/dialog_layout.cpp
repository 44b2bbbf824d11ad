// Where items stand: the layout rules of each kind, labels and unit texts beside their control, and
// the re-layout of resizable dialogs through their layout hook.
#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"
#include "dialogs/item_kinds.h"

#include "runtime/memory.h"

namespace {

int TextHeight(const AppMetrics* metrics) {
    return AppRound(1.2 * metrics->H);
}

// Labels and unit texts share the vertical placement of texts inside a line.
int LabelTop(const DialogItem* item) {
    return AppLinesToPixels(item->y) + AppGetMetrics()->pad;
}

} // namespace

RECT ItemLayoutRect(const Dialog* dialog, int kind, int flags, double x, double y, double w, double h) {
    const AppMetrics* metrics = AppGetMetrics();
    int left = AppColumnsToPixels(x);
    int top = AppLinesToPixels(y);
    int width = AppColumnsToPixels(w);
    int height = AppLinesToPixels(h);
    int clientWidth = dialog ? dialog->clientWidth : 0;
    int clientHeight = dialog ? dialog->clientHeight : 0;
    const ItemBehaviour* behaviour = ItemBehaviourOf(kind);
    ItemLayoutRule rule = behaviour ? behaviour->layout : LayoutPlain;
    bool editKind = kind >= DlgKindString && kind <= DlgKindDouble;
    if (editKind && (flags & DlgItemDisplayOnly)) {
        // Plain text inside the field's place: inset 3 pixels, one character high.
        return RECT{left + 3, top + metrics->pad, left + width - 3, top + metrics->pad + metrics->H};
    }
    switch (rule) {
        case LayoutPlain:
            break;
        case LayoutEdit:
            height = metrics->H + 4;
            top += metrics->halfPad;
            break;
        case LayoutToggle:
            height = (flags & DlgTogglePushLike) ? AppLinesToPixels(1.2) : metrics->H;
            top += metrics->pad;
            break;
        case LayoutButton:
            if (h == 0) height = AppLinesToPixels(1.2);
            break;
        case LayoutText:
            if (h == 0) height = TextHeight(metrics);
            top = AppLinesToPixels(y + 0.1);
            break;
        case LayoutHLine:
            if (w == 0) width = clientWidth - left;
            height = 2;
            break;
        case LayoutVLine:
            width = 2;
            if (h == 0) height = clientHeight - top;
            break;
        case LayoutArea:
            if (w == 0) width = clientWidth - left;
            if (h == 0) height = clientHeight - top;
            break;
        case LayoutWideArea:
            if (w == 0) width = clientWidth - left;
            break;
        case LayoutColor:
            height = metrics->H + 4;
            break;
    }
    return RECT{left, top, left + width, top + height};
}

void ItemPlaceLabel(DialogItem* item) {
    if (!item->label) return;
    wchar_t text[DlgItemTextLength];
    GetWindowTextW(item->label, text, DlgItemTextLength);
    int width = AppTextWidth(item->dialog->window, text, 0);
    MoveWindow(item->label, item->px - 4 - width, LabelTop(item), width, TextHeight(AppGetMetrics()), TRUE);
}

void ItemPlaceUnit(DialogItem* item) {
    if (!item->unit) return;
    wchar_t text[DlgItemTextLength];
    GetWindowTextW(item->unit, text, DlgItemTextLength);
    int width = AppTextWidth(item->dialog->window, text, 0);
    MoveWindow(item->unit, AppColumnsToPixels(item->x + item->w + 1), LabelTop(item), width,
               TextHeight(AppGetMetrics()), TRUE);
}

void ItemPlace(DialogItem* item, const RECT* rect) {
    item->px = rect->left;
    item->py = rect->top;
    item->pw = rect->right - rect->left;
    item->ph = rect->bottom - rect->top;
    if (item->control) MoveWindow(item->control, item->px, item->py, item->pw, item->ph, TRUE);
    ItemPlaceLabel(item);
    ItemPlaceUnit(item);
}

void DialogRelayout(Dialog* dialog) {
    if (!dialog || !dialog->layoutHook || !dialog->window || dialog->itemCount == 0) return;
    RECT client{};
    GetClientRect(dialog->window, &client);
    dialog->clientWidth = client.right;
    dialog->clientHeight = client.bottom;
    auto* rects = static_cast<DlgLayoutRect*>(
        MemAllocZero(sizeof(DlgLayoutRect) * static_cast<size_t>(dialog->itemCount), "DlgSzt"));
    if (!rects) return;
    int filled = dialog->layoutHook(rects, dialog->itemCount, dialog, AppPixelsToColumns(client.right),
                                    AppPixelsToLines(client.bottom));
    if (filled > dialog->itemCount) filled = dialog->itemCount; // never read past the rectangles we made
    for (int index = 0; index < filled; ++index) {
        DialogItem* item = rects[index].item;
        if (!item || item->dialog != dialog) continue;
        item->x = rects[index].x;
        item->y = rects[index].y;
        item->w = rects[index].w;
        item->h = rects[index].h;
        RECT rect = ItemLayoutRect(dialog, item->kind, item->flags, item->x, item->y, item->w, item->h);
        ItemPlace(item, &rect);
    }
    MemFree(rects);
    InvalidateRect(dialog->window, nullptr, TRUE);
    if (dialog->afterLayoutHook) dialog->afterLayoutHook(dialog);
}
