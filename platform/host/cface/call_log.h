// The call log (--log FILE): one line per host operation a mini app calls (see parts/log_format.h),
// and one "callback ..." line before each call the host makes into a mini app. Lines end in CR LF and
// are written at once, so that a log survives a crash.
#pragma once

#include "parts/log_format.h"

struct OrbisaMiniApp;

// Opens (replacing) the log file; false when it cannot be created.
bool CallLogOpen(const wchar_t* path);
void CallLogClose();
bool CallLogging();
void CallLogWrite(const LogLine& line);
// The sink that Orbisa.CadIO.dll hands its lines to.
void CallLogSink(const char* line);

// Logs a call with at most one integer argument (none when argument is null) and its result.
void LogIntCall(const char* name, const char* argument, long long value, long long result);
// Starts a "callback NAME" line naming the mini app called.
void LogCallbackBegin(LogLine& line, const char* name, const OrbisaMiniApp* app);
