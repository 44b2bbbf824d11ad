// Thin wrappers of the system's folder and file choosers. Each is modal and owned by the given window.
// Filter lists are in the choosers' own form: "description\0pattern\0...\0" ending with two zeros.
#pragma once

#include <windows.h>

// Characters of the path buffer that BrowseFolder and SaveFileChooser fill, terminator included.
constexpr int kChooserPathCapacity = 400;
// Bytes of the work buffer of the multi-selection open chooser.
constexpr int kOpenFilesWorkBytes = 8000000;

// The shell's folder chooser, starting at the folder already in path (kChooserPathCapacity characters).
// 1 and the chosen folder in path, or 0 when cancelled (path unchanged).
int BrowseFolder(wchar_t* path, HWND owner, const wchar_t* title);

// The standard save chooser with the first filter selected; path (kChooserPathCapacity characters)
// holds the proposed name on entry and the chosen file on return. 1 chosen, 0 cancelled.
int SaveFileChooser(wchar_t* path, HWND owner, const wchar_t* title, const wchar_t* filters,
                    const wchar_t* defaultExtension);

// The standard open chooser with multiple selection. The output receives one full path per chosen file,
// each followed by a terminator, and one more terminator after the last (so a single file gives its path
// and two terminators). Paths that do not fit whole are left out. 1 when at least one path was written,
// 0 when cancelled or when not even one fitted.
int OpenFilesChooser(wchar_t* output, int capacity, HWND owner, const wchar_t* title, const wchar_t* filters,
                     const wchar_t* defaultExtension);

// Turns the chooser's answer (a lone full path, or a folder followed by names, each zero-terminated, the
// list ending with an empty name) into the output list described at OpenFilesChooser. Returns the number
// of paths written.
int OpenFilesCollect(wchar_t* output, int capacity, const wchar_t* answer);
