// The Start-menu shortcut to the first installed program.
#pragma once

#include <cstddef>

// Creates "<name>.lnk" in the user's Start-menu Programs folder when the first [ExeFiles] entry asks for
// it. Always true: a missing shortcut does not make the installation fail.
bool ShortcutCreate();

// The link file's full path for an entry name; false when the name could leave the Programs folder (a
// separator, a ":" or a dot-only name) or the folder is unknown.
bool ShortcutLinkPath(const wchar_t* name, wchar_t* linkPath, size_t capacity);
