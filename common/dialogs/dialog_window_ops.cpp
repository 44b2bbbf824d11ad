// Moving, sizing, hiding and redrawing whole dialogs.
#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_internal.h"

namespace {

bool HasWindow(const Dialog* dialog) {
    return dialog && dialog->window;
}

} // namespace

void DlgToTop(Dialog* dialog) {
    if (!HasWindow(dialog)) return;
    SetWindowPos(dialog->window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(dialog->window);
}

void DlgMoveTo(Dialog* dialog, int x, int y) {
    if (!HasWindow(dialog)) return;
    SetWindowPos(dialog->window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DlgMoveRelative(Dialog* dialog, const Dialog* other, int dx, int dy) {
    if (!HasWindow(dialog) || !HasWindow(other)) return;
    RECT rect{};
    GetWindowRect(other->window, &rect);
    DlgMoveTo(dialog, rect.left + dx, rect.top + dy);
}

void DlgResizePixels(Dialog* dialog, int width, int height) {
    if (!HasWindow(dialog)) return;
    RECT client{}, outer{};
    GetClientRect(dialog->window, &client);
    GetWindowRect(dialog->window, &outer);
    SetWindowPos(dialog->window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(dialog->window, &client);
    dialog->clientWidth = client.right;
    dialog->clientHeight = client.bottom;
}

void DlgResize(Dialog* dialog, double columns, double lines) {
    DlgResizePixels(dialog, AppColumnsToPixels(columns), AppLinesToPixels(lines));
}

void DlgClientSize(Dialog* dialog, double* columns, double* lines) {
    RECT client{};
    if (HasWindow(dialog)) GetClientRect(dialog->window, &client);
    if (columns) *columns = AppPixelsToColumns(client.right);
    if (lines) *lines = AppPixelsToLines(client.bottom);
}

void DlgHide(Dialog* dialog) {
    if (HasWindow(dialog)) ShowWindow(dialog->window, SW_HIDE);
}

void DlgSetResizable(Dialog* dialog, int resizable) {
    if (!HasWindow(dialog)) return;
    LONG_PTR style = GetWindowLongPtrW(dialog->window, GWL_STYLE);
    style = resizable ? (style | WS_THICKFRAME) : (style & ~static_cast<LONG_PTR>(WS_THICKFRAME));
    if (resizable)
        dialog->style |= DlgStyleResizable;
    else
        dialog->style &= ~DlgStyleResizable;
    // Keep the client area: the frame grows or shrinks around it.
    RECT client{};
    GetClientRect(dialog->window, &client);
    SetWindowLongPtrW(dialog->window, GWL_STYLE, style);
    SetWindowPos(dialog->window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DlgResizePixels(dialog, client.right, client.bottom);
}

void DlgRedrawItems(Dialog* dialog) {
    if (!HasWindow(dialog)) return;
    RedrawWindow(dialog->window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
