#include "prompts.h"

#include "dialogs/dialog.h"

// The toolkit's message and status windows arrive after the installer's steps; until both are there the
// questions fall back to platform message boxes so that the steps can already be built and run.
#if __has_include("dialogs/message_box.h") && __has_include("dialogs/status_window.h")
#define NIMBO_SETUP_HAS_TOOLKIT_PROMPTS 1
#include "dialogs/message_box.h"
#include "dialogs/status_window.h"
#endif

#ifdef NIMBO_SETUP_HAS_TOOLKIT_PROMPTS

Dialog* PromptStatusOpen() {
    return StatusWindowOpen(L"Installing...", L"", nullptr, L"Nimbo Setup");
}

void PromptStatusClose(Dialog** status) {
    if (*status) StatusWindowClose(status);
    *status = nullptr;
}

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

#else

#include "setup_message.h"

Dialog* PromptStatusOpen() {
    return nullptr;
}
void PromptStatusClose(Dialog** status) {
    *status = nullptr;
}
void PromptStatusLine(Dialog*, int, const wchar_t*) {}

bool PromptYesNo(Dialog* status, const wchar_t* format, const wchar_t* argument) {
    wchar_t text[800];
    SetupComposeMessage(text, 800, format, argument);
    return MessageBoxW(PromptStatusHandle(status), text, L"setup", MB_YESNO) == IDYES;
}

int PromptRetrySkipCancel(Dialog* status, const wchar_t* format, const wchar_t* argument) {
    wchar_t text[800];
    SetupComposeMessage(text, 800, format, argument);
    int answer = MessageBoxW(PromptStatusHandle(status), text, L"setup", MB_CANCELTRYCONTINUE);
    return answer == IDTRYAGAIN ? 1 : answer == IDCONTINUE ? 0 : -1;
}

void PromptInfo(HWND owner, const wchar_t* format, const wchar_t* argument) {
    wchar_t text[800];
    SetupComposeMessage(text, 800, format, argument);
    MessageBoxW(owner, text, L"setup", MB_OK);
}

#endif

HWND PromptStatusHandle(Dialog* status) {
    return status ? status->window : nullptr;
}
