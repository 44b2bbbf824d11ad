// The window GuiDlg's dialogs and messages belong to: the host's top window when GuiDlg runs inside
// the Orbisa host, else the caller's active window.
#pragma once

#include <windows.h>

HWND OwnerWindow();
// A modal message box with an OK button over OwnerWindow().
void OwnerMessage(const wchar_t* caption, const wchar_t* text, UINT icon);
