// The status line at the bottom of the main window: the running state command's name and prompt, the
// latest message (an unknown key-in, a mini app that failed) and the cursor position in master units.
#pragma once

#include <windows.h>

#include <string>

HWND CreateStatusLine(HWND parent);
void LayoutStatusLine();
void SetStatusMessage(const std::wstring& message);
// Shows the running state command's name and prompt (or nothing when none runs).
void RefreshStatusPrompt();
void SetStatusCoordinates(const std::wstring& text);
// The texts of its first two parts.
std::wstring StatusPromptText();
std::wstring StatusMessageText();
