// Modeless windows that tell the user what a long operation is doing while the caller keeps working
// on the same thread: the two-line status window and the one-line busy window. Neither has a close
// box; they stay until the caller closes them.
#pragma once

#include <windows.h>

struct Dialog;

// Longest line of a status or busy window, without the terminator.
constexpr int kStatusLineLength = 400;

// Two centred lines, the first bold. A null or empty line shows a single space. Null when the window
// cannot be created.
Dialog* StatusWindowOpen(const wchar_t* line0, const wchar_t* line1, HWND parent, const wchar_t* title);
// Replaces line index (limited to 0..1) with format and argument composed as for message dialogs. A null
// window is ignored.
void StatusWindowSetLine(Dialog* window, int index, const wchar_t* format, const wchar_t* argument);
// Closes the window and clears the reference; a null reference (or one holding null) is ignored.
void StatusWindowClose(Dialog** window);

// One centred bold line.
Dialog* BusyWindowOpen(const wchar_t* format, const wchar_t* argument, HWND parent, const wchar_t* title);
void BusyWindowSetText(Dialog* window, const wchar_t* format, const wchar_t* argument);
void BusyWindowClose(Dialog** window);

// Sizes and positions, in character units, shared by the windows and their tests.
constexpr double kStatusWindowColumns = 82;
constexpr double kStatusWindowLines = 2.9;
constexpr double kBusyWindowLines = 2;
constexpr int kStatusWindowStyle = 0x30; // caption without system menu: no close box
