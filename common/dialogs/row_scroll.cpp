#include "dialogs/row_scroll.h"

namespace {

long long LastTop(long long count, long long visible) {
    long long last = count - (visible > 0 ? visible : 1);
    return last > 0 ? last : 0;
}

// The highest position the thumb can reach in a scaled bar of page size visible.
long long ScaledBarTravel(long long visible) {
    long long page = visible > 0 ? visible : 1;
    return kScrollBarLimit - page + 1;
}

} // namespace

long long ScrollClampTop(long long top, long long count, long long visible) {
    long long last = LastTop(count, visible);
    if (top > last) top = last;
    return top < 0 ? 0 : top;
}

int ScrollIsScaled(long long count) {
    return count - 1 > kScrollBarLimit;
}

int ScrollTopToBar(long long top, long long count, long long visible) {
    top = ScrollClampTop(top, count, visible);
    if (!ScrollIsScaled(count)) return static_cast<int>(top);
    long long last = LastTop(count, visible);
    long long travel = ScaledBarTravel(visible);
    if (top >= last) return static_cast<int>(travel);
    long long bar = static_cast<long long>(static_cast<double>(top) * (static_cast<double>(travel) / last));
    return static_cast<int>(bar < travel ? bar : travel - 1);
}

long long ScrollBarToTop(long long barPosition, long long count, long long visible) {
    if (!ScrollIsScaled(count)) return ScrollClampTop(barPosition, count, visible);
    long long last = LastTop(count, visible);
    long long travel = ScaledBarTravel(visible);
    if (barPosition <= 0) return 0;
    if (barPosition >= travel) return last;
    long long top =
        static_cast<long long>(static_cast<double>(barPosition) * (static_cast<double>(last) / travel));
    return top < last ? top : last - 1;
}

void ScrollBarShow(HWND window, long long top, long long count, long long visible) {
    if (!window) return;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    if (ScrollIsScaled(count))
        info.nMax = static_cast<int>(kScrollBarLimit);
    else
        info.nMax = count > 0 ? static_cast<int>(count - 1) : 0;
    info.nPage = static_cast<UINT>(visible > 0 ? visible : 1);
    info.nPos = ScrollTopToBar(top, count, visible);
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

long long ScrollForRequest(HWND window, int request, long long top, long long count, long long visible) {
    long long page = visible > 0 ? visible : 1;
    switch (request) {
        case SB_LINEUP:
            top -= 1;
            break;
        case SB_LINEDOWN:
            top += 1;
            break;
        case SB_PAGEUP:
            top -= page;
            break;
        case SB_PAGEDOWN:
            top += page;
            break;
        case SB_TOP:
            top = 0;
            break;
        case SB_BOTTOM:
            top = count - visible;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit track position from the bar itself, not the 16-bit one of the message.
            SCROLLINFO info = {};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(window, SB_VERT, &info)) top = ScrollBarToTop(info.nTrackPos, count, visible);
            break;
        }
        default:
            break;
    }
    return ScrollClampTop(top, count, visible);
}

long long ScrollForWheel(int delta, int* remainder, long long top, long long count, long long visible) {
    int total = delta + (remainder ? *remainder : 0);
    int notches = total / WHEEL_DELTA;
    if (remainder) *remainder = total - notches * WHEEL_DELTA;
    return ScrollClampTop(top - notches, count, visible);
}

long long ScrollToShow(long long row, long long top, long long count, long long visible) {
    long long page = visible > 0 ? visible : 1;
    if (row < top)
        top = row;
    else if (row > top + page - 1)
        top = row - page + 1;
    return ScrollClampTop(top, count, visible);
}

int ScrollCursorOver(HWND window) {
    POINT cursor;
    if (!GetCursorPos(&cursor)) return 0;
    RECT rect;
    if (!GetWindowRect(window, &rect)) return 0;
    return PtInRect(&rect, cursor) != 0;
}
