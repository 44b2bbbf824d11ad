#include "command_arguments.h"

#include "lidora_cloud.h"

#include <stdio.h>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

void Bounds(const wchar_t* text, const wchar_t** begin, const wchar_t** end) {
    const wchar_t* b = text ? text : L"";
    while (IsBlank(*b)) ++b;
    const wchar_t* e = b;
    while (*e) ++e;
    while (e > b && IsBlank(e[-1])) --e;
    *begin = b;
    *end = e;
}

void CountRefused(const wchar_t* begin, const wchar_t* end, wchar_t* error) {
    int length = static_cast<int>(end - begin > 60 ? 60 : end - begin);
    swprintf(error, kLidoraErrorChars,
             L"\"%.*ls\" is not a point count. Give a whole number from 1 to 2,147,483,647, for instance "
             L"\"lidora generate 1000000\".",
             length, begin);
}

} // namespace

int ArgumentPointCount(const wchar_t* text, int64_t fallback, int64_t* count, wchar_t* error) {
    const wchar_t *begin, *end;
    Bounds(text, &begin, &end);
    if (begin == end) {
        *count = fallback;
        return 1;
    }
    int64_t value = 0;
    bool digitBefore = false;
    for (const wchar_t* p = begin; p < end; ++p) {
        if ((*p == L',' || *p == L'_') && digitBefore && p + 1 < end && p[1] >= L'0' && p[1] <= L'9')
            continue;
        if (*p < L'0' || *p > L'9') {
            CountRefused(begin, end, error);
            return 0;
        }
        digitBefore = true;
        value = value * 10 + (*p - L'0');
        if (value > kLidoraMaxPoints) {
            CountRefused(begin, end, error);
            return 0;
        }
    }
    if (value < 1) {
        CountRefused(begin, end, error);
        return 0;
    }
    *count = value;
    return 1;
}

int ArgumentPath(const wchar_t* text, wchar_t* path, size_t capacity, wchar_t* error) {
    path[0] = 0;
    const wchar_t *begin, *end;
    Bounds(text, &begin, &end);
    if (end - begin >= 2 && *begin == L'"' && end[-1] == L'"') {
        ++begin;
        --end;
    }
    if (begin == end) return 0;
    size_t length = static_cast<size_t>(end - begin);
    if (length >= capacity) {
        swprintf(error, kLidoraErrorChars, L"The file path is longer than %u characters.",
                 static_cast<unsigned>(capacity - 1));
        return 0;
    }
    for (size_t i = 0; i < length; ++i) path[i] = begin[i];
    path[length] = 0;
    return 1;
}
