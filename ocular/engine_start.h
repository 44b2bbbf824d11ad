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
// The decimal number at the start of an ocular.ini value line (after white space), 0 when there is none.
double IniNumber(const char* text);
// Megabytes for a budget in gigabytes, truncated; 0 for zero, negative or not-a-number budgets.
unsigned long long MegabytesFromGigabytes(double gigabytes);
