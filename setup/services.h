// The Windows services that [ExeFiles] entries marked as services become.
#pragma once

#include <cstddef>

#include "setup_state.h"

struct Dialog;

// Which of the listed services were running when the installation stopped them (by list index).
struct ServiceStopRecord {
    bool wasRunning[kSetupMaxFiles];
};

// Stops the service of every Service entry and waits (at most about 30 seconds each) until it has, so that
// its program can be replaced; the registrations stay. Records which of them were running.
void ServiceStopAll(const FileEntry* list, int count, ServiceStopRecord* stopped);

// Starts again the services that ServiceStopAll found running: an installation that ends before it
// replaces them leaves them as it found them.
void ServiceRestartStopped(const FileEntry* list, int count, const ServiceStopRecord* stopped);

// Stops, deletes and waits until the service of every Service entry is gone, so that it can be created anew.
void ServiceRemoveAll(const FileEntry* list, int count);

// Stops one service (waiting until it has), deletes it and waits (at most about 30 seconds) until the
// service manager has let go of it: while anyone holds it open it is only marked for deletion, and a new
// service of its name cannot be created yet. Nothing happens when it does not exist.
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
