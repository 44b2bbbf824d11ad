// State commands: the one interactive command that gets the user's data points, resets and cursor
// movements until it stops or another replaces it. Its name and prompt show in the status line.
#pragma once

#include "cface/host.h"

void StartStateCommand(OrbisaMiniApp* app, StateFunc dataPoint, StateFunc reset, const char* name,
                       const char* prompt);
void StopStateCommand();
// Stops the running state command when it belongs to the app (at its unload).
void StopStateCommandOf(OrbisaMiniApp* app);
