// The entry of the host program: orbisa.exe only calls this.
#pragma once

#include "orbisa_cface.h"

#include <windows.h>

extern "C" {

// Runs the host with the process's command line; returns the exit code.
ORBISA_CFACE_API int OrbisaHostMain(HINSTANCE instance, int showCommand);

} // extern "C"
