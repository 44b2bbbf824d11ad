// The plug-in's life inside the host: the module state that start-up fills, the start-up sequence and
// the teardown at unload.
#pragma once

#include "orbisa_cface.h"
#include "runtime/pref_table.h"

#include <windows.h>

#include <stddef.h>

constexpr size_t kHostPreferencesPathChars = 1024;

// The host's top window: the parent of every message box and dialog of the plug-in.
extern HWND TopWindow;
// Values the file dialogs remember between runs, and the file they live in.
extern PrefTable HostPreferences;
extern wchar_t HostPreferencesPath[kHostPreferencesPathChars];
// The handle the host gave the mini app at registration.
extern MAppHandle ThisMiniApp;
// The engine handle of a successful EngineStart; null before it and after the teardown.
extern unsigned int* EngineHandle;

// The plug-in's version, shown by the about window.
constexpr int kOcularVersionMajor = 24;
constexpr int kOcularVersionMinor = 2;

extern "C" int MiniAppMain(void);
// The start-up sequence MiniAppMain runs; always 0.
int PluginStart(void);
// The unload hook (event code 2). Safe to run twice: after a failed engine start the teardown has run
// once already when the host unloads the mini app.
int PluginUnload(void);

// Commands that need the engine call this first: false, after telling the user, when it is not running.
bool EngineRequired();
