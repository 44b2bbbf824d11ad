// Point counts as people read them: digits in groups of three ("1,234,567").
#pragma once

#include <stddef.h>

void CountText(unsigned long long count, wchar_t* text, size_t capacity);
