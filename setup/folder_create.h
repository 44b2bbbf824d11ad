// Creating the target folders and the folders the description lists below them.
#pragma once

#include "setup_state.h"

struct Dialog;

// True when the folder exists at the end; every missing folder on the way is created.
bool FolderCreatePath(const wchar_t* path);

// One target folder, with the administrator hint when it cannot be made (status window only).
bool FolderCreate(Dialog* status, const wchar_t* folder);

// base joined with each entry, in list order; stops at the first folder that cannot be made.
bool FolderCreateList(Dialog* status, const wchar_t* base, const FolderEntry* list, int count);
