// The system's save and open file choosers, remembering the last chosen path under a key of a
// preference table so that the next choice starts where the user left off.
#pragma once

#include <windows.h>

#include "runtime/pref_table.h"

// Characters of the path buffer the choosers fill, the terminator included.
constexpr int kFileDialogPathChars = 400;

// Save chooser. path (kFileDialogPathChars) holds the start and receives the choice; when it is
// empty and a table is given, the path stored under key is the start. With forceExtension the
// start's extension becomes defaultExtension. filter is a double-zero-terminated list of
// description/pattern pairs, the first of which is selected; defaultExtension may be given as
// "tss", ".tss" or "*.tss". The chosen folder must exist; an existing file is only replaced after
// the user agreed. 1 chosen (path filled, stored under key when a table is given), 0 cancelled (path
// and table unchanged).
int FileSaveDialog(wchar_t* path, const wchar_t* filter, const wchar_t* defaultExtension,
                   const wchar_t* title, PrefTable* table, const wchar_t* key, int forceExtension,
                   HWND owner);

// Open chooser, as FileSaveDialog without forcing the extension; the chosen file must exist.
int FileOpenDialog(wchar_t* path, const wchar_t* filter, const wchar_t* defaultExtension,
                   const wchar_t* title, PrefTable* table, const wchar_t* key, HWND owner);

// The path a chooser starts from (kFileDialogPathChars): path, or when it is empty the value stored
// under key; with newExtension (not null) its extension replaced; without "." steps.
void FileDialogStartPath(wchar_t* start, const wchar_t* path, const PrefTable* table, const wchar_t* key,
                         const wchar_t* newExtension);

// Removes every folder step "." that stands between two slashes or backslashes ("a\.\b" is "a\b").
void FileDialogRemoveDotSteps(wchar_t* path);

// The extension a chooser adds to names typed without one: defaultExtension without leading "*" and
// "." and cut at a ";" of a pattern list; empty when what is left is still a pattern. out holds
// capacity characters.
void FileDialogExtension(wchar_t* out, int capacity, const wchar_t* defaultExtension);
