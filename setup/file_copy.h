// Installing the listed files: one copy, one listed entry with its questions, and a whole list.
#pragma once

#include "setup_state.h"

struct Dialog;

enum CopyResult : int {
    CopyOk = 0,
    CopySourceMissing = -1,
    CopyTargetNotWritable = -2, // also a read or write that failed on the way: the target is left as it was
    CopyNoMemory = -5,
};

constexpr int kCopyBlockBytes = 16384;

// Copies source to target in blocks and gives the target the source's last-write time. Over an existing
// target the copy is made in a temporary file beside it, flushed, and replaces it only when complete; a new
// target is written in place and removed again when the copy fails. So any failure leaves the target (or
// its absence) as it was and no temporary file. A target that is the source itself (the media folder
// installed onto) is left alone and counts as copied.
CopyResult FileCopyData(const wchar_t* source, const wchar_t* target);

// Same last-write second and the same non-zero size.
bool FileSameVersion(const wchar_t* source, const wchar_t* target);

// Installs one entry from the installation media into folder; true on success or when the user chose to
// go on without it. A No or Cancel from the user also sets g_setup.userEnded.
bool FileCopyListed(Dialog* status, const wchar_t* folder, const FileEntry* entry);

// Every entry in list order; configuration templates are expanded instead of copied.
bool FileCopyList(Dialog* status, const wchar_t* folder, const FileEntry* list, int count);
