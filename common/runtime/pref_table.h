// Preference files: UTF-8 key=value lines under one header line, held whole in memory while a
// program looks values up and changes them, and written back whole.
#pragma once

#include <wchar.h>

// Everything after the header line, as wide characters, lines separated by CR LF. The text is not
// zero-terminated; only the first `length` characters are meaningful.
struct PrefTable {
    wchar_t* text;
    int length;
    int capacity;
};

// Header line used when a caller passes none.
extern const wchar_t* const kPrefDefaultHeader;

// Limits of the format. A whole file must stay below kPrefFileLimitBytes.
constexpr int kPrefFileLimitBytes = 1048576;
constexpr int kPrefMaxHeaderChars = 199;
constexpr int kPrefMaxKeyChars = 199;
// Key plus value of a line that is added to the table.
constexpr int kPrefMaxNewLineChars = 528;
// A value may grow by at most this much in one change.
constexpr int kPrefSpareChars = 1000;
constexpr int kPrefGrowChars = 32768;
// UTF-8 bytes the text may take, so that a written file stays below the limit with the longest header
// and its line end, and PrefRead accepts it again.
constexpr int kPrefMaxTextBytes = kPrefFileLimitBytes - 1 - kPrefMaxHeaderChars - 2;

// Clears the table without freeing its text: for a table whose contents are garbage.
void PrefInit(PrefTable* table);
// Frees the text and clears the table.
void PrefFree(PrefTable* table);

// Replaces the table's contents with a file's. The table must be initialised (PrefInit, or zeroed)
// before its first use; whatever it held is freed first, so a failed read leaves it empty.
// 1 read, 0 the file cannot be opened, -1 not a preference file (wrong header, too small, too large,
// not readable to the end, out of memory). header null means kPrefDefaultHeader.
int PrefRead(PrefTable* table, const wchar_t* path, const wchar_t* header);
// Writes header and text into a temporary file beside path and puts it in the place of the old file only
// once all of it is written and flushed. 1 written; 0 not (a full disk, no right, a missing folder), and
// then the old file is exactly as it was and no temporary file is left.
int PrefWrite(const PrefTable* table, const wchar_t* path, const wchar_t* header);

// Getters answer 1 and fill the output, or 0 and leave it alone, so callers preset their defaults.
int PrefGetInt(int* value, const PrefTable* table, const wchar_t* key);
int PrefGetDouble(double* value, const PrefTable* table, const wchar_t* key);
// Copies at most maxChars characters and terminates: the output holds maxChars + 1.
int PrefGetString(wchar_t* value, const PrefTable* table, const wchar_t* key, int maxChars);

// Setters answer 1 when the table holds the new value, 0 when they refused (the table is then exactly
// as before): a key that is empty, too long or holds "=" or a line break, a value with a line break,
// a line over the limits, a text growing beyond kPrefMaxTextBytes (its file could not be read back),
// or no memory.
int PrefSetString(PrefTable* table, const wchar_t* key, const wchar_t* value);
int PrefSetInt(PrefTable* table, const wchar_t* key, int value);
// format: a printf format with exactly one floating-point conversion, null for "%.3f".
int PrefSetDouble(PrefTable* table, const wchar_t* key, double value, const wchar_t* format);
