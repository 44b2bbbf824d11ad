// Commands and key-ins of the mini apps: registration from their tables, and running them by typed
// text (see parts/keyin_match.h), by command id (tool-bar buttons) or by name.
#pragma once

#include "cface/host.h"

#include <string>

// Records taken from an all-zero-terminated table (at most kMaxTableRecords), or -1 for a null table.
constexpr int kMaxTableRecords = 4096;
int PublishCommands(OrbisaMiniApp* app, const MAppCmdHook* table);
int PublishKeyins(OrbisaMiniApp* app, const MAppSpaccel* table);
void RemoveAppCommands(OrbisaMiniApp* app);

// Runs what was typed; an unknown key-in shows "Unknown key-in: TEXT" in the status line. True when a
// command ran.
bool RunKeyin(const std::wstring& typed);
// Runs the app's command of that id with a null argument; false when it has none.
bool RunCommandById(OrbisaMiniApp* app, int64_t id);
// Calls a command's handler for its app, then the idle hooks (event 0).
void InvokeCommand(const HostCommand& command, const wchar_t* argument);
