// Writing uncompressed LAS files of any version 1.0 to 1.4 and point format 0 to 10: for tests,
// benchmarks and sample scenes. The header's counts and bounds are filled in when the file is finished.
// In LAS 1.4 the legacy 32-bit count and return counts are 0 for formats 6 to 10 (as the format asks),
// the 64-bit ones always filled. Return numbers, classes and flags keep the bits the format holds;
// formats 0 to 5 hold scan angles from -128 to 127 degrees and clamp others to those ends. Version 1.0
// files carry the two-byte start signature before the points. The records written are empty
// (user "Nimbo", record ids 0, 1, ...).
#pragma once

#include "las_reader.h"

struct LasWriteOptions {
    uint8_t versionMinor; // 0..4 (version 1.x)
    uint8_t pointFormat;  // 0..10; formats above 5 need version 1.4
    uint16_t extraBytes;  // zero bytes written after each record's standard fields
    double scale[3];
    double offset[3];
    uint32_t vlrCount;  // variable-length records written before the points (empty payloads)
    uint32_t evlrCount; // extended records written after the points (1.4 only)
};

struct LasWriter {
    HANDLE handle;
    LasWriteOptions options;
    uint16_t recordLength;
    uint64_t pointCount;
    uint64_t returnCounts[15];
    int32_t minimum[3];
    int32_t maximum[3];
    uint8_t* buffer;
    uint32_t bufferBytes;
    uint32_t buffered;
    bool failed;
};

// Creates the file. 1 on success, 0 with the reason in error (for instance a format the version
// cannot hold).
int LasCreate(LasWriter* writer, const wchar_t* path, const LasWriteOptions& options, wchar_t* error,
              int errorChars);
// Appends points; fields the format does not carry are dropped. 1 on success, 0 once a write failed.
int LasWritePoints(LasWriter* writer, const LasPoint* points, uint32_t count);
// Writes the extended records and the final header, and closes the file. 1 when every write succeeded.
int LasFinish(LasWriter* writer);
