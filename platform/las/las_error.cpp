#include "las_error.h"

#include <stdarg.h>
#include <wchar.h>

int LasFail(wchar_t* error, int errorChars, const wchar_t* format, ...) {
    if (!error || errorChars <= 0) return 0;
    error[0] = L'\0';
    va_list arguments;
    va_start(arguments, format);
    int written = vswprintf(error, static_cast<size_t>(errorChars), format, arguments);
    va_end(arguments);
    // vswprintf reports a text that did not fit as a failure; keep what fitted.
    if (written < 0) error[errorChars - 1] = L'\0';
    return 0;
}
