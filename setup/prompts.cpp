#include "prompts.h"

#include "dialogs/dialog.h"
#include "dialogs/message_box.h"
#include "dialogs/status_window.h"

Dialog* PromptStatusOpen() {
    return StatusWindowOpen(L"Installing...", L"", nullptr, L"Nimbo Setup");
}

void PromptStatusClose(Dialog** status) {
    if (*status) StatusWindowClose(status);
    *status = nullptr;
}

HWND PromptStatusHandle(Dialog* status) {
    return status ? status->window : nullptr;
}

// The toolkit formats its lines printf-style; a path is passed as the argument so that a "%" in it stays.
void PromptStatusLine(Dialog* status, int index, const wchar_t* text) {
    if (status) StatusWindowSetLine(status, index, L"%s", text);
}

bool PromptYesNo(Dialog* status, const wchar_t* format, const wchar_t* argument) {
    return MsgYesNo(PromptStatusHandle(status), format, argument);
}

int PromptRetrySkipCancel(Dialog* status, const wchar_t* format, const wchar_t* argument) {
    return MsgRetrySkipCancel(PromptStatusHandle(status), format, argument);
}

void PromptInfo(HWND owner, const wchar_t* format, const wchar_t* argument) {
    MsgInfo(owner, format, argument);
}
