// The settings-path file: one line, written by the installer beside the installed programs, that
// names the folder where those programs keep their settings.
#pragma once

// Characters of the path buffers both readers fill, the terminator included.
constexpr int kSettingsPathChars = 400;

extern const wchar_t* const kSettingsPathFileName;

// Program form. Reads "..\settings_path.txt" relative to the folder of ownFilePath (the folder above
// the program's own), takes its first line, at most 399 characters, without its line end, into path
// (kSettingsPathChars). path is only changed when the file could be opened. 1 when the line holds
// more than 3 characters, which no usable folder path can do without.
int SettingsPathRead(wchar_t* path, const wchar_t* ownFilePath);

// Installer form. Reads "settings_path.txt" in folder, takes its first line, at most 398 characters,
// without trailing blanks, tabs and line ends and then without trailing backslashes, into path
// (kSettingsPathChars). path is only changed when the file could be opened. 1 when the result is not
// empty.
int SettingsPathReadFolder(wchar_t* path, const wchar_t* folder);
