// The arguments of Lidora's key-ins: a point count for "lidora generate", a file path for "lidora load".
#pragma once

#include <stddef.h>
#include <stdint.h>

// A whole number from 1 to kLidoraMaxPoints; digits may be grouped with "," or "_" ("1,000,000").
// An empty or null text gives fallback. 0 with the reason in error (kLidoraErrorChars) otherwise.
int ArgumentPointCount(const wchar_t* text, int64_t fallback, int64_t* count, wchar_t* error);
// The path in text without blanks around it and without enclosing double quotes, into path
// (capacity characters). 1 when there is one; 0 for none (path empty) and for one that does not fit
// (with the reason in error).
int ArgumentPath(const wchar_t* text, wchar_t* path, size_t capacity, wchar_t* error);
