#include "dialogs/selection_flags.h"

#include "runtime/memory.h"

#include <cstring>

namespace {

long long Smaller(long long a, long long b) {
    return a < b ? a : b;
}
long long Larger(long long a, long long b) {
    return a > b ? a : b;
}

void WidenTouched(SelectionFlags* flags, long long first, long long end) {
    if (flags->low == flags->high) {
        flags->low = first;
        flags->high = end;
        return;
    }
    flags->low = Smaller(flags->low, first);
    flags->high = Larger(flags->high, end);
}

// Narrows [low, high) until both of its ends are set bytes, so that later scans and clears stay
// short after the far ends of a selection were cleared; SelectionClearAll relies on it.
void ShrinkTouched(SelectionFlags* flags) {
    while (flags->low < flags->high && !flags->bytes[flags->low]) ++flags->low;
    while (flags->high > flags->low && !flags->bytes[flags->high - 1]) --flags->high;
    if (flags->low == flags->high) flags->low = flags->high = 0;
}

} // namespace

int SelectionGrow(SelectionFlags* flags, long long count, long long minimum, long long growth,
                  const char* tag) {
    if (count < 0) return 0;
    if (count <= flags->capacity && flags->bytes) return 1;
    long long wanted = Larger(count, Larger(minimum, flags->capacity + growth));
    if (static_cast<unsigned long long>(wanted) > static_cast<size_t>(-1) / 2) return 0;
    // A fresh zero-filled block rather than a reallocation: only the stretch that can hold set
    // bytes is copied, so growing a huge, mostly empty block stays cheap.
    unsigned char* fresh = static_cast<unsigned char*>(MemAllocZero(static_cast<size_t>(wanted), tag));
    if (!fresh) return 0;
    if (flags->bytes) {
        if (flags->high > flags->low)
            memcpy(fresh + flags->low, flags->bytes + flags->low,
                   static_cast<size_t>(flags->high - flags->low));
        MemFree(flags->bytes);
    }
    flags->bytes = fresh;
    flags->capacity = wanted;
    return 1;
}

void SelectionRelease(SelectionFlags* flags) {
    MemFree(flags->bytes);
    flags->bytes = nullptr;
    flags->capacity = flags->low = flags->high = 0;
}

int SelectionIsSet(const SelectionFlags* flags, long long index) {
    if (index < flags->low || index >= flags->high) return 0;
    return flags->bytes[index] != 0;
}

void SelectionSetRange(SelectionFlags* flags, long long first, long long last, int value) {
    if (!flags->bytes) return;
    first = Larger(first, 0);
    last = Smaller(last, flags->capacity - 1);
    if (first > last) return;
    if (value) {
        memset(flags->bytes + first, 1, static_cast<size_t>(last - first + 1));
        WidenTouched(flags, first, last + 1);
        return;
    }
    first = Larger(first, flags->low);
    last = Smaller(last, flags->high - 1);
    if (first > last) return;
    memset(flags->bytes + first, 0, static_cast<size_t>(last - first + 1));
    if (first == flags->low) flags->low = last + 1;
    if (last == flags->high - 1) flags->high = first;
    if (flags->low >= flags->high) flags->low = flags->high = 0;
    ShrinkTouched(flags);
}

int SelectionClearAll(SelectionFlags* flags) {
    // The ends of [low, high) are always set bytes, so a non-empty stretch means something is set.
    int anySet = flags->high > flags->low;
    if (flags->high > flags->low)
        memset(flags->bytes + flags->low, 0, static_cast<size_t>(flags->high - flags->low));
    flags->low = flags->high = 0;
    return anySet;
}

void SelectionTruncate(SelectionFlags* flags, long long count) {
    if (count < flags->high) SelectionSetRange(flags, Larger(count, 0), flags->high - 1, 0);
}

void SelectionDelete(SelectionFlags* flags, long long index) {
    if (index < 0 || index >= flags->high) return;
    long long from = Larger(index, flags->low);
    if (from == index) {
        memmove(flags->bytes + index, flags->bytes + index + 1, static_cast<size_t>(flags->high - index - 1));
    } else {
        // The deleted row lies before every set flag: the whole set stretch moves up by one.
        memmove(flags->bytes + from - 1, flags->bytes + from, static_cast<size_t>(flags->high - from));
        --flags->low;
    }
    flags->bytes[flags->high - 1] = 0;
    --flags->high;
    ShrinkTouched(flags);
}

long long SelectionFirst(const SelectionFlags* flags, long long* count) {
    long long first = -1;
    long long found = 0;
    for (long long index = flags->low; index < flags->high; ++index) {
        if (!flags->bytes[index]) continue;
        if (first < 0) {
            first = index;
            if (!count) break;
        }
        ++found;
    }
    if (count) *count = found;
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
