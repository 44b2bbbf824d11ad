// Writing a file whole or not at all: the new contents go into a temporary file in the target's folder,
// which takes the target's place only once every byte is written and flushed. Until then the target (or
// its absence) stays exactly as it was, and a failure leaves no temporary file behind.
#pragma once

#include <windows.h>

#include "runtime/files.h"

struct FileReplacement {
    HANDLE handle; // the temporary file, open for writing; INVALID_HANDLE_VALUE when there is none
    wchar_t target[kComposedPathCapacity];
    wchar_t temporary[kComposedPathCapacity];
};

// Names of temporary files start so. They are longer than any file entry of an installation description
// can be, so a temporary file never stands where a listed file belongs.
#define FILE_REPLACE_PREFIX L"~nimbo-being-written-"

// Creates a temporary file of a name nobody uses beside target and opens it for writing (and for setting
// its times). 1 open; 0 when nothing could be created (a missing folder, paths too long, no right).
int FileReplaceBegin(FileReplacement* replacement, const wchar_t* target);
// Flushes the temporary file to the disk, closes it and moves it over the target in one step. 1 replaced;
// 0 when any of that failed: the temporary file is then deleted and the target untouched.
int FileReplaceCommit(FileReplacement* replacement);
// Closes and deletes the temporary file; the target stays as it was. Safe on a record already finished.
void FileReplaceAbandon(FileReplacement* replacement);

// 1 when the path names a device or pipe (\\.\...), which is written in place: nothing can stand beside it.
int FileIsDevicePath(const wchar_t* path);
