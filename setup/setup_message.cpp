#include "setup_message.h"

void SetupComposeMessage(wchar_t* target, size_t capacity, const wchar_t* text, const wchar_t* argument) {
    if (capacity == 0) return;
    size_t used = 0;
    const wchar_t* replacement = argument ? argument : L"";
    for (const wchar_t* p = text; *p && used + 1 < capacity; ++p) {
        if (p[0] == L'%' && p[1] == L's') {
            for (const wchar_t* r = replacement; *r && used + 1 < capacity; ++r) target[used++] = *r;
            ++p;
        } else {
            target[used++] = *p;
        }
    }
    target[used] = 0;
}

int SetupMessage(HWND owner, const wchar_t* text, UINT style, const wchar_t* argument) {
    wchar_t message[800];
    SetupComposeMessage(message, 800, text, argument);
    return MessageBoxW(owner, message, L"Nimbo Setup", style);
}
