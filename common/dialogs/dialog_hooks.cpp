// Setting a dialog's hooks and its minimum tracking size.
#include "dialogs/app.h"
#include "dialogs/dialog.h"

void DlgSetDestroyHook(Dialog* dialog, DlgDestroyHook hook) {
    if (dialog) dialog->destroyHook = hook;
}
void DlgSetSizeEndHook(Dialog* dialog, DlgSizeEndHook hook) {
    if (dialog) dialog->sizeEndHook = hook;
}
void DlgSetChangeHook(Dialog* dialog, DlgChangeHook hook) {
    if (dialog) dialog->changeHook = hook;
}
void DlgSetLayoutHook(Dialog* dialog, DlgLayoutHook hook) {
    if (dialog) dialog->layoutHook = hook;
}
void DlgSetAfterLayoutHook(Dialog* dialog, DlgAfterLayoutHook hook) {
    if (dialog) dialog->afterLayoutHook = hook;
}
void DlgSetMenuPopupHook(Dialog* dialog, DlgMenuPopupHook hook) {
    if (dialog) dialog->menuPopupHook = hook;
}
void DlgSetMessageSpy(Dialog* dialog, DlgMessageSpy spy) {
    if (dialog) dialog->messageSpy = spy;
}
void DlgSetMessageFilter(Dialog* dialog, DlgMessageFilter filter) {
    if (dialog) dialog->messageFilter = filter;
}

// Kept as the outer size the frame needs around that client area, which is what tracking limits.
void DlgSetMinimumSize(Dialog* dialog, double columns, double lines) {
    if (!dialog || !dialog->window) return;
    RECT rect{0, 0, AppColumnsToPixels(columns), AppLinesToPixels(lines)};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog->window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog->window, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, (dialog->style & DlgStyleMenuBar) ? TRUE : FALSE, exStyle);
    dialog->minWidth = columns > 0 ? rect.right - rect.left : 0;
    dialog->minHeight = lines > 0 ? rect.bottom - rect.top : 0;
}
