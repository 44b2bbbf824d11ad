// Starting and stopping the pcv engine, and ocular.ini, the engine's tuning file.
#pragma once

#include <stdint.h>

// The engine handle of pcvInit, or null when neither GPU nor CPU mode could be started (the user has
// been told).
unsigned int* EngineStart();
// Saves the settings when they changed, then frees the engine. Returns 1.
int EngineStop();
// Reads ocular.ini into OcularSettings; false when the file cannot be opened.
bool IniRead();
// Puts the host's current transform into master units without rotation or scaling.
void ResetCurrentTransform();
// The engine's CPU memory limit for the installed memory in kibibytes.
unsigned long long CpuMemoryLimitFromInstalled(unsigned long long installedKibibytes);
