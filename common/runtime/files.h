// Questions about files and folders, copying and moving, reading text lines, walking folders and
// building the filter list of the file choosers.
#pragma once

#include <cstddef>
#include <cstdio>

#include "runtime/path.h"

// Size in characters of a composed path (a folder of up to 400 characters plus a file name).
constexpr size_t kComposedPathCapacity = 1024;
// Size in characters of a chooser filter list unless the caller says otherwise.
constexpr size_t kFileFilterCapacity = 1024;
// Bytes a narrow text line may have; the rest of a longer line is skipped.
constexpr size_t kNarrowLineBytes = 19998;

// 1 when a file (not a folder) of that name exists.
int FileExists(const wchar_t* path);

enum FolderExistsResult { kFolderMissing = 0, kFolderFound = 1, kFolderDriveRoot = 2 };
// kFolderFound for a folder, kFolderMissing for nothing or a file, kFolderDriveRoot for "", "C:" or
// "C:\". Trailing backslashes are ignored.
int FolderExists(const wchar_t* path);

// Compares the local last-write times of two files to the second: 1 when a is older than b, -1
// when newer, 0 when equal or when either file is missing.
int FileTimeCompare(const wchar_t* a, const wchar_t* b);
// Size in bytes; 0 when the file cannot be opened.
unsigned long long FileSize(const wchar_t* path);
// Copies source over destination, replacing an existing destination. 1/0.
int FileCopy(const wchar_t* destination, const wchar_t* source);
// Moves (across volumes by copying) source to destination, which must not exist. 1/0.
int FileMove(const wchar_t* destination, const wchar_t* source);
// The system's temporary folder, ending with a backslash. 0 and an empty out when it does not fit.
int TempFolder(wchar_t* out, size_t capacity = kPathCapacity);

// Reads one line of stream into out (capacity characters, terminator included) and trims trailing
// blanks, tabs and line ends. With narrow set the line is read as bytes (at most 19998) widened
// one by one; otherwise with the stream's own wide reading. What does not fit is skipped, so the
// next call reads the next line. 0 at the end of the file.
int TextReadLine(wchar_t* out, size_t capacity, FILE* stream, int narrow);

// Called with the full path of each file found; any result other than 0 ends the walk.
typedef int (*FileWalkCallback)(const wchar_t* path, void* context);
// Calls callback for every file (not folder) in folder that matches pattern, then, with recurse
// set, walks every subfolder whose name does not start with "." alike. Returns the first non-zero
// callback result, or 0. A folder path of 400 characters or more is not walked.
int FilesWalk(FileWalkCallback callback, const wchar_t* folder, const wchar_t* pattern, int recurse,
              void* context = nullptr);

// Adds "description\0pattern\0" to a chooser's double-zero-terminated filter list, then, when
// allFiles is given, "allFiles\0*.*\0", and the final terminator. With append set the entries go
// behind those already in the list. 0 (list unchanged) when the result would not fit capacity.
int FileFilterAdd(wchar_t* list, const wchar_t* description, const wchar_t* pattern, const wchar_t* allFiles,
                  int append, size_t capacity = kFileFilterCapacity);
