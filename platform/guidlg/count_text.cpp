#include "count_text.h"

void CountText(unsigned long long count, wchar_t* text, size_t capacity) {
    if (!text || capacity == 0) return;
    wchar_t reversed[32];
    int length = 0;
    do {
        if (length % 4 == 3) reversed[length++] = L',';
        reversed[length++] = static_cast<wchar_t>(L'0' + count % 10);
        count /= 10;
    } while (count);
    if (static_cast<size_t>(length) >= capacity) {
        text[0] = 0;
        return;
    }
    for (int i = 0; i < length; ++i) text[i] = reversed[length - 1 - i];
    text[length] = 0;
}
