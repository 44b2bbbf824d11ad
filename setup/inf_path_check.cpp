#include "inf_path_check.h"

#include "setup_text.h"

#include <cwchar>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Windows ignores trailing dots and blanks of a name and everything from the first dot when it looks for
// a device, so "nul.txt" and "CON ." reach the device as well.
bool ComponentIsDevice(const wchar_t* start, size_t length) {
    wchar_t base[8];
    size_t n = 0;
    while (n < length && start[n] != L'.') {
        if (n >= 7) return false;
        base[n] = start[n];
        ++n;
    }
    while (n > 0 && base[n - 1] == L' ') --n;
    base[n] = 0;
    static const wchar_t* const kDevices[] = {L"CON", L"NUL", L"AUX", L"PRN"};
    for (const wchar_t* device : kDevices)
        if (SetupEqualNoCase(base, device)) return true;
    if (n == 4 && base[3] >= L'1' && base[3] <= L'9') {
        base[3] = 0;
        return SetupEqualNoCase(base, L"COM") || SetupEqualNoCase(base, L"LPT");
    }
    return false;
}

bool ComponentIsParent(const wchar_t* start, size_t length) {
    // ".." and, after Windows trims trailing dots and blanks, "... " as well.
    size_t dots = 0;
    while (dots < length && start[dots] == L'.') ++dots;
    if (dots < 2) return false;
    for (size_t i = dots; i < length; ++i)
        if (start[i] != L'.' && start[i] != L' ') return false;
    return true;
}

} // namespace

bool InfPathIsSafe(const wchar_t* path) {
    if (path == nullptr || path[0] == 0) return false;
    if (IsSeparator(path[0])) return false;
    if (wcschr(path, L':') != nullptr) return false;
    const wchar_t* component = path;
    while (true) {
        const wchar_t* end = component;
        while (*end && !IsSeparator(*end)) ++end;
        size_t length = static_cast<size_t>(end - component);
        if (ComponentIsParent(component, length) || ComponentIsDevice(component, length)) return false;
        if (*end == 0) return true;
        component = end + 1;
    }
}
