// The folders a silent installation takes from its command line.
#pragma once

#include <cstddef>

// What the command line says about the folders.
enum class CommandLineFolders {
    Missing,  // fewer arguments than the kind needs (or an empty one): the user is asked
    Given,    // every folder is there and usable: a silent installation
    Unusable, // enough arguments, but one cannot be a folder (too long, characters no path may hold)
};

// Reads the executables folder, the settings folder and, unless twoArguments, the host folder from the
// arguments: the command line after the program's name, in UTF-16 as the system passes it. The folders are
// replaced only for Given; each buffer holds 400 characters.
CommandLineFolders SetupReadCommandLine(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                                        const wchar_t* arguments, bool twoArguments);

// The same for an 8-bit command line whose arguments are UTF-8; true only for Given.
bool SetupParseCommandLine(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                           const char* commandLine, bool twoArguments);

// What follows the program's name in a whole command line (GetCommandLineW), found the way the system
// finds the command line it hands to WinMain: a quoted name up to its closing quote, else up to the first
// blank; then the blanks behind it.
const wchar_t* SetupCommandLineArguments(const wchar_t* commandLine);

// Makes a relative folder absolute against the current folder; an absolute one (drive and root, or a
// network path) is left exactly as it is, trailing backslash included. An empty folder stays empty.
// False when the result would not fit into capacity characters.
bool SetupMakeFolderAbsolute(wchar_t* folder, size_t capacity);
