// Bounded text operations on fixed buffers. Each reports whether the whole text fitted, so that a path that
// would be cut is treated as an error instead of silently naming another file.
#pragma once

#include <cstddef>

// Copies source into target (capacity in characters, terminator included); false when it was cut.
bool SetupTextCopy(wchar_t* target, size_t capacity, const wchar_t* source);

// Appends source to the text in target; false when it was cut (target then holds what fitted).
bool SetupTextAppend(wchar_t* target, size_t capacity, const wchar_t* source);

// target := folder + "\" + relative, with no second backslash when folder already ends in one.
bool SetupJoinPath(wchar_t* target, size_t capacity, const wchar_t* folder, const wchar_t* relative);

// Removes tab, line feed, carriage return and space from both ends of text, in place.
void SetupTrimBlanks(wchar_t* text);
void SetupTrimTrailingBlanks(wchar_t* text);

bool SetupIsBlank(wchar_t c);
bool SetupEndsWithBackslash(const wchar_t* text);

// Compares without regard to case (ASCII letters only; the description format is ASCII).
bool SetupEqualNoCase(const wchar_t* a, const wchar_t* b);
bool SetupStartsWithNoCase(const wchar_t* text, const wchar_t* prefix);
