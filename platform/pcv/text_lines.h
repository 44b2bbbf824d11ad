// The engine's 8-bit text files (projects, sessions, image lists, class files, the conversion record
// and the summary): read whole into memory and handed out line by line, or written line by line in
// UTF-8 with CR LF line ends. Lines read are decoded as UTF-8 when they are valid UTF-8 and in the
// ANSI code page otherwise, so that files written by 8-bit programs keep their accented names.
#pragma once

#include "storage_io.h"

#include <stddef.h>

// The longest line the engine reads, in characters.
constexpr size_t kMaxLineChars = 1023;
// The largest text file the engine reads.
constexpr size_t kMaxTextFileBytes = 16u << 20;

struct TextLines {
    char* bytes;
    size_t size;
    size_t next;    // offset of the next line
    int lineNumber; // of the line last read
};

enum TextOpenResult { kTextOpened = 1, kTextMissing = 0, kTextTooLarge = -1, kTextUnreadable = -2 };

int TextLinesOpen(TextLines* lines, const wchar_t* path);
void TextLinesClose(TextLines* lines);
// Reads the next line (without its line end) into line (kMaxLineChars + 1). Returns 1 for a line, 0
// at the end of the file, -1 for a line that is too long (it is skipped).
int TextLinesNext(TextLines* lines, wchar_t* line);

// Writes line and CR LF in UTF-8.
bool TextWriteLine(StorageWriter* writer, const wchar_t* line);

// Splits "Key=Value" (no blanks around "="); false when line has no "=". key gets at most keyChars.
bool TextSplitKey(const wchar_t* line, wchar_t* key, size_t keyChars, const wchar_t** value);
// Removes blanks and tabs at both ends, in place.
void TextTrim(wchar_t* text);
