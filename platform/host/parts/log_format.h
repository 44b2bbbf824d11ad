// The text of the host's call log: one line per host operation a mini app calls, its name, then its
// arguments as name=value pairs, then "->" and the result. Texts are quoted with C escapes, pointers
// show as null or non-null, points as (x,y,z), records as {field=value ...} and tables as [...].
// The same helpers format the host's script output, so numbers read the same everywhere.
#pragma once

#include "orbisa_cadio.h"

#include <stddef.h>
#include <stdint.h>

#include <string>

// The longest text taken from a caller's pointer; longer texts are cut (and marked with "...").
constexpr size_t kLogTextLimit = 4096;

// The shortest decimal form that reads back as the same double ("1500", "0.1", "-2.5e-07").
std::string FormatNumber(double value);
// UTF-8 of a wide text (at most kLogTextLimit characters); null gives "".
std::string WideToUtf8Text(const wchar_t* text);
// Wide text of UTF-8 bytes.
std::wstring Utf8ToWideText(const std::string& utf8);
// Characters of a caller's text before its terminator, looking at no more than limit of them.
size_t BoundedLength(const char* text, size_t limit);
size_t BoundedWideLength(const wchar_t* text, size_t limit);
// "null", or the text in double quotes with backslash escapes for quotes, backslashes and controls.
std::string QuoteText(const char* utf8);
std::string QuoteWide(const wchar_t* text);
std::string FormatPointer(const void* pointer);
// "(x,y,z)", or "null".
std::string FormatPoint(const DPoint3d* point);

struct LogLine {
    std::string text;
};

void LogBegin(LogLine& line, const char* operation);
void LogInt(LogLine& line, const char* name, long long value);
void LogDouble(LogLine& line, const char* name, double value);
void LogText(LogLine& line, const char* name, const char* utf8);
void LogWide(LogLine& line, const char* name, const wchar_t* text);
void LogPointer(LogLine& line, const char* name, const void* pointer);
void LogPoint(LogLine& line, const char* name, const DPoint3d* point);
// A value already formatted (a record, a table).
void LogRaw(LogLine& line, const char* name, const std::string& value);
// " -> value" for the result; LogAfter adds name=value pairs behind it (outputs of the call).
void LogResult(LogLine& line, long long value);
void LogResultText(LogLine& line, const std::string& value);
void LogAfter(LogLine& line, const char* name, const std::string& value);
