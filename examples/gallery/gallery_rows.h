// The gallery's window of the row-box controls: a row box of three thousand million rows, a tree
// and a grid, each painted by its caller.
#pragma once

#include "dialogs/dialog.h"

// Push-button callback: runs the window modally over the gallery and keeps the gallery open (0).
int GalleryShowRowControls(Dialog* gallery);
