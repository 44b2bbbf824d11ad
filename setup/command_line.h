// The folders a silent installation takes from its command line.
#pragma once

#include <cstddef>

// Reads the executables folder, the settings folder and, unless twoArguments, the host folder from the
// 8-bit (UTF-8) command line. True when all of them are there; the folders are then replaced, otherwise they
// keep their values. Each folder buffer holds 400 characters.
bool SetupParseCommandLine(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                           const char* commandLine, bool twoArguments);

// Makes a relative folder absolute against the current folder; an absolute one (drive and root, or a
// network path) is left exactly as it is, trailing backslash included. An empty folder stays empty.
// False when the result would not fit into capacity characters.
bool SetupMakeFolderAbsolute(wchar_t* folder, size_t capacity);
