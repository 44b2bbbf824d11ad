// Bounded text and path operations on the engine's wide-character buffers. None writes past the
// capacity it is given (terminator included); those that return bool return false when the result
// did not fit, leaving a terminated, cut text.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Capacity of the engine's path buffers (as PCV_TEXT_CHARS).
constexpr size_t kPathChars = 1024;

bool TextCopy(wchar_t* to, size_t capacity, const wchar_t* from);
bool TextAppend(wchar_t* to, size_t capacity, const wchar_t* tail);
// "folder\name" (no doubled backslash when folder ends with one).
bool PathJoin(wchar_t* to, size_t capacity, const wchar_t* folder, const wchar_t* name);
// The folder part of path, without the last backslash ("" when path has none).
void PathFolder(wchar_t* to, size_t capacity, const wchar_t* path);
// The file name without its folder and its last extension.
void PathStem(wchar_t* to, size_t capacity, const wchar_t* path);
// True when path's last extension is extension (with its dot, letter case ignored).
bool PathHasExtension(const wchar_t* path, const wchar_t* extension);
// True when path is absolute: a drive and backslash, or a UNC path.
bool PathIsAbsolute(const wchar_t* path);
bool TextEqualNoCase(const wchar_t* a, const wchar_t* b);

// Appends decimal or hexadecimal numbers (hexadecimal without prefix, 16 digits).
bool TextAppendUnsigned(wchar_t* to, size_t capacity, uint64_t value);
bool TextAppendHex(wchar_t* to, size_t capacity, uint64_t value);

// 8-bit file text to wide: UTF-8 when the bytes are valid UTF-8, else the ANSI code page. Returns
// false when the result did not fit.
bool TextFromFileBytes(wchar_t* to, size_t capacity, const char* bytes, size_t count);
// Wide to UTF-8 for the files the engine writes. Returns false when the result did not fit.
bool TextToUtf8(char* to, size_t capacity, const wchar_t* from);
