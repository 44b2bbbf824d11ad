// The toolkit windows the installation steps talk through: the status window and the message dialogs.
// Every operation accepts a null status window, which is how the silent mode runs: nothing is shown.
#pragma once

#include <windows.h>

struct Dialog;

// The "Installing..." window captioned "Nimbo Setup"; null when it cannot be opened.
Dialog* PromptStatusOpen();
void PromptStatusClose(Dialog** status);
HWND PromptStatusHandle(Dialog* status);

// Shows text (taken literally, "%" included) on line 0 or 1 of the status window.
void PromptStatusLine(Dialog* status, int index, const wchar_t* text);

// Questions and notices of the toolkit, captioned with the application name; format holds one "%s".
bool PromptYesNo(Dialog* status, const wchar_t* format, const wchar_t* argument);
// 1 Retry, 0 Skip, -1 Cancel.
int PromptRetrySkipCancel(Dialog* status, const wchar_t* format, const wchar_t* argument);
void PromptInfo(HWND owner, const wchar_t* format, const wchar_t* argument);
