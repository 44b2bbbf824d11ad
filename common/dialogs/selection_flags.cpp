#include "dialogs/selection_flags.h"

#include "runtime/memory.h"

#include <cstring>

namespace {

const char kPageMapTag[] = "SelPage";

long long Smaller(long long a, long long b) {
    return a < b ? a : b;
}
long long Larger(long long a, long long b) {
    return a > b ? a : b;
}

long long PageCount(long long bytes) {
    return (bytes + kSelectionPage - 1) / kSelectionPage;
}
long long PageStart(long long page) {
    return page * kSelectionPage;
}

void MarkPages(SelectionFlags* flags, long long first, long long last) {
    long long firstPage = first / kSelectionPage;
    memset(flags->pages + firstPage, 1, static_cast<size_t>(last / kSelectionPage - firstPage + 1));
}

// The first set index in [first, end), or -1; pages never written are skipped unread.
long long FindFirstSet(const SelectionFlags* flags, long long first, long long end) {
    for (long long page = first / kSelectionPage; first < end && PageStart(page) < end; ++page) {
        if (!flags->pages[page]) continue;
        long long from = Larger(PageStart(page), first);
        long long to = Smaller(PageStart(page + 1), end);
        for (long long index = from; index < to; ++index)
            if (flags->bytes[index]) return index;
    }
    return -1;
}

// The last set index in [first, end), or -1.
long long FindLastSet(const SelectionFlags* flags, long long first, long long end) {
    if (first >= end) return -1;
    for (long long page = (end - 1) / kSelectionPage; page >= 0 && PageStart(page + 1) > first; --page) {
        if (!flags->pages[page]) continue;
        long long from = Larger(PageStart(page), first);
        for (long long index = Smaller(PageStart(page + 1), end) - 1; index >= from; --index)
            if (flags->bytes[index]) return index;
    }
    return -1;
}

// Narrows [low, high) until both of its ends are set bytes, so that later scans and clears stay
// short after the far ends of a selection were cleared; SelectionClearAll relies on it.
void ShrinkTouched(SelectionFlags* flags) {
    long long first = FindFirstSet(flags, flags->low, flags->high);
    if (first < 0) {
        flags->low = flags->high = 0;
        return;
    }
    flags->low = first;
    flags->high = FindLastSet(flags, first, flags->high) + 1;
}

void ClearWritten(SelectionFlags* flags, long long first, long long last) {
    for (long long page = first / kSelectionPage; PageStart(page) <= last; ++page) {
        if (!flags->pages[page]) continue;
        long long from = Larger(PageStart(page), first);
        long long to = Smaller(PageStart(page + 1) - 1, last);
        memset(flags->bytes + from, 0, static_cast<size_t>(to - from + 1));
        if (from == PageStart(page) && to == PageStart(page + 1) - 1) flags->pages[page] = 0;
    }
}

} // namespace

int SelectionGrow(SelectionFlags* flags, long long count, long long minimum, long long growth,
                  const char* tag) {
    if (count < 0) return 0;
    if (count <= flags->capacity && flags->bytes) return 1;
    long long wanted = Larger(count, Larger(minimum, flags->capacity + growth));
    if (static_cast<unsigned long long>(wanted) > static_cast<size_t>(-1) / 2) return 0;
    // Fresh zero-filled blocks rather than a reallocation: only the pages that were written are
    // copied, so growing a huge, mostly empty block stays cheap.
    auto* bytes = static_cast<unsigned char*>(MemAllocZero(static_cast<size_t>(wanted), tag));
    auto* pages =
        static_cast<unsigned char*>(MemAllocZero(static_cast<size_t>(PageCount(wanted)), kPageMapTag));
    if (!bytes || !pages) {
        MemFree(bytes);
        MemFree(pages);
        return 0;
    }
    if (flags->bytes) {
        for (long long page = flags->low / kSelectionPage; PageStart(page) < flags->high; ++page) {
            if (!flags->pages[page]) continue;
            long long length = Smaller(kSelectionPage, flags->capacity - PageStart(page));
            memcpy(bytes + PageStart(page), flags->bytes + PageStart(page), static_cast<size_t>(length));
            pages[page] = 1;
        }
        MemFree(flags->bytes);
        MemFree(flags->pages);
    }
    flags->bytes = bytes;
    flags->pages = pages;
    flags->capacity = wanted;
    return 1;
}

void SelectionRelease(SelectionFlags* flags) {
    MemFree(flags->bytes);
    MemFree(flags->pages);
    flags->bytes = nullptr;
    flags->pages = nullptr;
    flags->capacity = flags->low = flags->high = 0;
}

int SelectionIsSet(const SelectionFlags* flags, long long index) {
    if (index < flags->low || index >= flags->high) return 0;
    return flags->bytes[index] != 0;
}

int SelectionIsOnly(const SelectionFlags* flags, long long index) {
    // The ends of [low, high) are set bytes: a stretch of one is exactly one set flag.
    return flags->low == index && flags->high == index + 1;
}

void SelectionSetRange(SelectionFlags* flags, long long first, long long last, int value) {
    if (!flags->bytes) return;
    first = Larger(first, 0);
    last = Smaller(last, flags->capacity - 1);
    if (first > last) return;
    if (value) {
        memset(flags->bytes + first, 1, static_cast<size_t>(last - first + 1));
        MarkPages(flags, first, last);
        if (flags->low == flags->high) {
            flags->low = first;
            flags->high = last + 1;
        } else {
            flags->low = Smaller(flags->low, first);
            flags->high = Larger(flags->high, last + 1);
        }
        return;
    }
    first = Larger(first, flags->low);
    last = Smaller(last, flags->high - 1);
    if (first > last) return;
    ClearWritten(flags, first, last);
    if (first == flags->low) flags->low = last + 1;
    if (last == flags->high - 1) flags->high = first;
    if (flags->low >= flags->high) flags->low = flags->high = 0;
    ShrinkTouched(flags);
}

int SelectionClearAll(SelectionFlags* flags) {
    // The ends of [low, high) are always set bytes, so a non-empty stretch means something is set.
    int anySet = flags->high > flags->low;
    if (anySet) ClearWritten(flags, flags->low, flags->high - 1);
    flags->low = flags->high = 0;
    return anySet;
}

void SelectionTruncate(SelectionFlags* flags, long long count) {
    if (count < flags->high) SelectionSetRange(flags, Larger(count, 0), flags->high - 1, 0);
}

void SelectionDelete(SelectionFlags* flags, long long index) {
    if (index < 0 || index >= flags->high) return;
    // Below low - 1 every byte and its successor are zero: nothing moves there.
    long long start = Larger(index, flags->low - 1);
    long long pageCount = PageCount(flags->capacity);
    for (long long page = start / kSelectionPage; PageStart(page) < flags->high; ++page) {
        bool nextWritten = page + 1 < pageCount && flags->pages[page + 1];
        if (!flags->pages[page] && !nextWritten) continue;
        long long from = Larger(PageStart(page), start);
        long long end = Smaller(PageStart(page + 1), flags->high);
        memmove(flags->bytes + from, flags->bytes + from + 1, static_cast<size_t>(end - from - 1));
        // The page's last byte takes the next page's first, which has not moved yet.
        flags->bytes[end - 1] = end < flags->high ? flags->bytes[end] : 0;
        flags->pages[page] = 1;
    }
    if (index < flags->low) --flags->low;
    --flags->high;
    ShrinkTouched(flags);
}

long long SelectionFirst(const SelectionFlags* flags, long long* count) {
    long long first = FindFirstSet(flags, flags->low, flags->high);
    if (!count) return first;
    long long found = 0;
    for (long long page = flags->low / kSelectionPage; first >= 0 && PageStart(page) < flags->high; ++page) {
        if (!flags->pages[page]) continue;
        long long to = Smaller(PageStart(page + 1), flags->high);
        for (long long index = Larger(PageStart(page), flags->low); index < to; ++index)
            found += flags->bytes[index];
    }
    *count = found;
    return first;
}

void SelectionExtend(SelectionFlags* flags, long long anchor, long long oldExtent, long long caret) {
    long long newFirst = Smaller(anchor, caret);
    long long newLast = Larger(anchor, caret);
    if (oldExtent >= 0) {
        long long oldFirst = Smaller(anchor, oldExtent);
        long long oldLast = Larger(anchor, oldExtent);
        if (oldFirst < newFirst) SelectionSetRange(flags, oldFirst, Smaller(oldLast, newFirst - 1), 0);
        if (oldLast > newLast) SelectionSetRange(flags, Larger(oldFirst, newLast + 1), oldLast, 0);
    }
    SelectionSetRange(flags, newFirst, newLast, 1);
}
