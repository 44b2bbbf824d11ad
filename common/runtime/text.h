// Operations on zero-terminated wide-character text in caller-owned buffers. None writes beyond the
// size it is given; text that does not fit is cut.
#pragma once

#include <cstddef>

// Characters before the terminator; 0 for null.
size_t TextLength(const wchar_t* text);

// 0 when equal ignoring letter case, -1 when a sorts first, 1 otherwise. Null counts as empty.
int TextCompareNoCase(const wchar_t* a, const wchar_t* b);
// 1 when text begins with prefix, letter case ignored.
int TextStartsWithNoCase(const wchar_t* text, const wchar_t* prefix);
// Copies at most maximum characters and terminates: dest must hold maximum + 1.
void TextCopyMax(wchar_t* dest, size_t maximum, const wchar_t* source);

// Removes trailing (or leading) blanks, tabs, carriage returns and line feeds.
void TextTrimEnd(wchar_t* text);
void TextTrimStart(wchar_t* text);
// Removes every trailing occurrence of character (a path's backslashes, a drive's colon).
void TextStripTrailing(wchar_t* text, wchar_t character);
// Removes every occurrence of character (the "&" of a menu label).
void TextRemoveAll(wchar_t* text, wchar_t character);

constexpr int kTextFieldCount = 15;
constexpr int kTextFieldLength = 39;
typedef wchar_t TextField[kTextFieldLength + 1];
// Splits text at commas into at most 15 fields of at most 39 characters (longer ones are cut); the
// fields not filled are emptied. Returns the number of fields found (0 for an empty text).
int TextSplitCommas(TextField fields[kTextFieldCount], const wchar_t* text);

enum TextAlign { kTextAlignLeft = 0, kTextAlignCentre = 1, kTextAlignRight = 2 };
// Places text in a field of width characters filled up with fill; text longer than width is cut.
// dest must hold width + 1.
void TextColumn(wchar_t* dest, size_t width, const wchar_t* text, int mode, wchar_t fill = L' ');

// UTF-8 to wide, zero-terminated source. Output cut to capacity - 1 characters (never inside a
// surrogate pair) and terminated; a null source gives "". Returns the characters written.
int Utf8ToWide(wchar_t* dest, size_t capacity, const char* source);
// As Utf8ToWide for exactly bytes bytes of source; zero bytes inside are converted, not an end.
int Utf8ToWideCount(wchar_t* dest, size_t capacity, const char* source, size_t bytes);
// Wide characters that bytes bytes of UTF-8 convert to (without a terminator).
size_t Utf8ToWideLength(const char* source, size_t bytes);
// Wide to UTF-8, zero-terminated source. Output cut to capacity - 1 bytes (never inside a character)
// and terminated; a null source gives "". Returns the bytes written.
int WideToUtf8(char* dest, size_t capacity, const wchar_t* source);
// As WideToUtf8 for exactly chars characters of source.
int WideToUtf8Count(char* dest, size_t capacity, const wchar_t* source, size_t chars);
// Bytes that chars wide characters convert to (without a terminator).
size_t WideToUtf8Length(const wchar_t* source, size_t chars);
// Each byte becomes the character of the same number (narrow text lines of unknown code page).
// Output cut to capacity - 1 and terminated.
void TextWidenBytes(wchar_t* dest, size_t capacity, const char* source);
