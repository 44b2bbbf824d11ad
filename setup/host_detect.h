// Finding the host's program folder from the open command of its document type.
#pragma once

#include "setup_state.h"

// Presets microStationFolder (MicroStation kind) or orbisaFolder (Orbisa kind) when the registry knows it.
void HostDetect(InstallKind kind);

// Reads the command below HKEY_CLASSES_ROOT\key and stores the folder of the program it starts (at most
// 399 characters). True when the command names a program.
bool HostReadCommand(const wchar_t* key, wchar_t* folder);
