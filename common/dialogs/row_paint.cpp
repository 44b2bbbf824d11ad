#include "dialogs/row_paint.h"

namespace {

const COLORREF kFocusFrameColor = RGB(80, 80, 224);

} // namespace

void RowPaintFrame(HDC dc, const RECT* client, int hasFocus) {
    FillRect(dc, client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT edge = *client;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    if (!hasFocus) return;
    HBRUSH frame = CreateSolidBrush(kFocusFrameColor);
    RECT outer = *client;
    FrameRect(dc, &outer, frame);
    InflateRect(&outer, -1, -1);
    FrameRect(dc, &outer, frame);
    DeleteObject(frame);
}

void RowPaintSlotColors(HDC dc, const RECT* band, int selected) {
    if (selected) FillRect(dc, band, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkColor(dc, selected ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

void RowPaintBuffered(HWND window, int hasFocus, RowPaintContent content, void* model) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HDC target = (memory && bitmap) ? memory : dc;
    HGDIOBJ oldBitmap = (target == memory) ? SelectObject(memory, bitmap) : nullptr;
    HGDIOBJ oldFont = GetCurrentObject(target, OBJ_FONT);
    RowPaintFrame(target, &client, hasFocus);
    content(model, target, &client);
    SelectObject(target, oldFont);
    if (target == memory) {
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    EndPaint(window, &paint);
}
