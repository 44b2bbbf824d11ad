// The main window "Orbisa": menu bar, tool-bar area, the open views in a grid (each under a header
// with its title), the key-in line and the status line.
#pragma once

#include <windows.h>

bool CreateMainWindow(int showCommand);
void LayoutMainWindow();
// Sizes the main window so that each open view's client area is width x height pixels.
bool SetViewImageSize(int width, int height);
// Ends the host: unloads the mini apps (their unload hooks run), closes the windows and leaves the
// message loop with the exit code.
void RequestHostExit(int exitCode);
