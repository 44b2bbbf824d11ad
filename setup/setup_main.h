// The installer's entry: reads the description, asks or takes the folders, installs, reports.
#pragma once

#include <windows.h>

// Returns the exit code (SetupExit). arguments is the command line after the program's name, in UTF-16, so
// that folders outside the 8-bit code page arrive as typed.
int SetupMain(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* arguments, int showCommand);

// The exit code for a run that got as far as the installation steps: a failed one tells whether the user
// stopped it (No or Cancel to a question) or a step failed on its own.
int SetupExitCodeOf(bool completed);

// Limits the run-time DLL search to the system folder, so that a DLL of a system name lying beside
// setup.exe (in a downloads folder, say) is never loaded into an elevated installer. Call first.
void SetupRestrictDllSearch();
