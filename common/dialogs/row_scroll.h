// Vertical scrolling shared by the row box and the grid: the top row kept inside the list, and the
// scroll bar, whose positions are 32-bit, standing in for 64-bit row numbers.
#pragma once

#include <windows.h>

// The largest position the scroll bar is given; longer lists are mapped onto 0..this. One short of
// the largest int: a bar whose range spans every int cannot hold its page size (the range's length
// overflows an int inside the bar, and Wine's bar then shows a thumb of 2147483648 rows).
constexpr long long kScrollBarLimit = 2147483646;

// The top row limited to 0..count - visible (0 when everything fits).
long long ScrollClampTop(long long top, long long count, long long visible);
// 1 when the list is too long for the scroll bar and its positions are scaled.
int ScrollIsScaled(long long count);
// Scroll-bar position of a top row, and the top row of a scroll-bar position. In a scaled bar the
// first and the last top row map onto the ends of the thumb's travel, so that dragging the thumb to
// an end reaches the first or the last row.
int ScrollTopToBar(long long top, long long count, long long visible);
long long ScrollBarToTop(long long barPosition, long long count, long long visible);
// Shows top, count and visible rows on the control's vertical bar; the bar stays visible (disabled)
// when everything fits.
void ScrollBarShow(HWND window, long long top, long long count, long long visible);
// The top row after a WM_VSCROLL request (line, page, top, bottom, thumb), already clamped.
long long ScrollForRequest(HWND window, int request, long long top, long long count, long long visible);
// The top row after turning the wheel by delta (WHEEL_DELTA per notch; positive is away from the
// user, which scrolls up), one row per notch, clamped. remainder keeps the part of a notch that
// high-resolution wheels deliver in pieces.
long long ScrollForWheel(int delta, int* remainder, long long top, long long count, long long visible);
// The smallest move of top that brings row into top..top + visible - 1.
long long ScrollToShow(long long row, long long top, long long count, long long visible);
// 1 when the cursor is over the window (the wheel scrolls only what it points at).
int ScrollCursorOver(HWND window);
