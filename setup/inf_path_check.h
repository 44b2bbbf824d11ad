// Which relative paths a description may name for folders and files.
#pragma once

// True for a path that stays below the folder it is joined to: not empty, not absolute, no drive, no
// leading separator, no ".." component, no ":" (which would also open an alternate data stream) and no
// component that names a device (CON, NUL, AUX, PRN, COM1-9, LPT1-9, with or without an extension).
bool InfPathIsSafe(const wchar_t* path);
