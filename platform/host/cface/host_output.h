// What the host prints: script output on standard output (and the --out file), problems on standard
// error (and standard output and the --out file as well, so that one stream shows what happened in
// order). Standard output goes through the C runtime's stream, which mini apps built with the same
// runtime share, and is flushed after every line, so their printing and the host's stay in order.
#pragma once

#include <string>

// Opens (replacing) the --out file; false when it cannot be created.
bool OutputOpenCopy(const wchar_t* path);
void OutputClose();
// One line of script output (UTF-8, without line end).
void PrintLine(const std::string& line);
// One problem: standard error, standard output and the --out file.
void PrintProblem(const std::string& line);
// Flushes the C runtime's standard output (mini apps' printing included).
void FlushOutput();
