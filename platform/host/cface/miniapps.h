// Loading and unloading mini apps. A mini app is loaded with LoadLibrary under its own file name, its
// MiniAppMain is called once, and at unload (or at the end of the host) its event-2 hook runs before
// the module is freed. Whatever it registered (commands, key-ins, menus, tool bars, hooks, resource
// collections inside its image) goes with it.
#pragma once

#include "cface/host.h"

#include <string>

// Loads and starts a mini app. A missing file, a file that is not a DLL, a DLL without MiniAppMain or a
// MiniAppMain that crashes is reported in the status line and on standard error; the host goes on.
// quietWhenMissing: a default mini app that is not there is no problem.
bool LoadMiniApp(const std::wstring& path, bool quietWhenMissing);
// Runs the unload hook, removes the app's registrations and frees the module.
void UnloadMiniApp(OrbisaMiniApp* app);
// Every loaded mini app, the last loaded first.
void UnloadAllMiniApps();
// A loaded mini app by module name without extension (or with it), letter case ignored.
OrbisaMiniApp* FindMiniApp(const std::string& name);
// The loaded mini app whose module image holds the address, or null.
OrbisaMiniApp* AppHoldingAddress(const void* address);
// Calls the event hook of every loaded mini app that set one (event 0 after a command, for instance).
void CallEventHooks(int eventCode);
