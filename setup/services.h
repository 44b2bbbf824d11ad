// The Windows services that [ExeFiles] entries marked as services become.
#pragma once

#include <cstddef>

#include "setup_state.h"

struct Dialog;

// Stops and deletes the service of every Service entry, so that their programs can be replaced.
void ServiceRemoveAll(const FileEntry* list, int count);

// Stops (without waiting) and deletes one service if it exists.
void ServiceStopDelete(const wchar_t* name);

// Grants the logon right once (when user is not empty) and creates and starts every service.
bool ServiceInstallAll(Dialog* status, const wchar_t* user, const wchar_t* password, const FileEntry* list,
                       int count);

// Adds "SeServiceLogonRight" to the account.
bool ServiceGrantLogonRight(const wchar_t* user);

// Creates the service (own process, automatic start) and starts it. An empty user means the local system.
bool ServiceCreate(const wchar_t* program, const wchar_t* name, const wchar_t* user, const wchar_t* password);

// The command line the service manager starts: the program's path, quoted when it holds a blank so that
// "C:\Program Files\x.exe" cannot start C:\Program.exe instead. False when it does not fit.
bool ServiceCommandLine(const wchar_t* program, wchar_t* commandLine, size_t capacity);
