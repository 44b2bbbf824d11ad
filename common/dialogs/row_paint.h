// Painting shared by the row box and the grid: the white face with its sunken edge and focus frame,
// the black band of a selected row or cell, and painting through a memory bitmap.
#pragma once

#include <windows.h>

// Fills the control white, draws its sunken edge and, while it has the focus, a 2-pixel frame.
void RowPaintFrame(HDC dc, const RECT* client, int hasFocus);

// Fills the band of a selected slot black and sets the colours the slot's painter draws with:
// white on black when selected, black on white otherwise.
void RowPaintSlotColors(HDC dc, const RECT* band, int selected);

// Paints the control's frame and then its content through a memory bitmap: a list that moves by whole
// pages on every wheel notch would flicker otherwise. Falls back to the window's own device context
// when no bitmap can be had.
typedef void (*RowPaintContent)(void* model, HDC dc, const RECT* client);
void RowPaintBuffered(HWND window, int hasFocus, RowPaintContent content, void* model);
