// Pieces of the application state shared between the files that make it up.
#pragma once

#include <windows.h>

#include "dialogs/app.h"

void AppCreatePaletteBrushes();
AppMetrics* AppMutableMetrics();

// The window procedures behind the toolkit's window classes.
LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ItemClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
