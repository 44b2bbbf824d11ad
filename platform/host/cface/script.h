// The script of --script FILE: its lines run one after the other once the mini apps are loaded, each
// after the previous one's redraws and messages are done. A line that is unknown, malformed or that
// cannot be carried out stops the script with its line number (exit code 2); --exit ends the host after
// the last line. The lines are listed in script_lines.cpp and the README.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

constexpr size_t kScriptLineLimit = 16384;
constexpr size_t kScriptFileLimit = 16u << 20;

// Reads the script; false (and why) when it cannot be read.
bool ScriptLoad(const wchar_t* path, std::string* why);
// Starts running the loaded script from the message loop.
void ScriptBegin(bool exitAfter);
UINT ScriptStepMessage();
void ScriptStep();
void ScriptStop();
// Handles every queued message and redraw until the host is idle.
void SettleHost();

enum ScriptLineResult { kScriptLineDone, kScriptLineFailed, kScriptLineExit };
// Runs one line (exposed for repeat); error says what went wrong.
ScriptLineResult RunScriptLine(const std::string& line, int depth, std::string* error);
