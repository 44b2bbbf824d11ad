// Turning the bytes of a public header block into a LasHeader, checked against the file's size.
#pragma once

#include "las_reader.h"

// bytes holds the first `available` bytes of a file of fileSize bytes (the whole header when the file
// is long enough). 1 with header filled; 0 with the reason in error.
int LasParseHeader(const uint8_t* bytes, uint64_t available, uint64_t fileSize, LasHeader* header,
                   wchar_t* error, int errorChars);
