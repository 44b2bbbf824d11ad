// Reading uncompressed LAS files (versions 1.0 to 1.4, point formats 0 to 10), shared by the engine's
// conversion and by the Lidora mini app. Points are read in batches in file order; every failure
// leaves a text for the user and never reads outside the file or the caller's buffers.
//
// The library (target `las`, with las_writer.h) reads the public header of each version (1.3 adds the
// waveform offset, 1.4 the extended-record offset and count, the 64-bit point count and 15 return
// counts), checks it against the file's size, and then reads points in blocks of about 2 MB that one
// loop per point format decodes, so that reading costs no call and no allocation per point. Variable-
// length and extended records are skipped (their counts are kept), as are the extra bytes after a
// record's standard fields. Every format is read in every version, although the LAS documents define
// formats 6 to 10 for 1.4 only. The writer produces files for tests, benchmarks and sample scenes.
#pragma once

#include <windows.h>

#include <stdint.h>

// Capacity of an error text, terminator included.
constexpr int kLasErrorChars = 512;

struct LasHeader {
    uint8_t versionMajor;
    uint8_t versionMinor;
    uint8_t pointFormat;     // 0..10
    uint16_t recordLength;   // bytes per point record, extra bytes included
    uint16_t standardLength; // bytes of the format's own fields
    // LAS 1.4: the 64-bit count whenever it differs from the legacy 32-bit count or that one is 0,
    // except that a 64-bit count of 0 leaves a non-zero legacy count standing. Earlier versions: the
    // legacy count. Either way it never exceeds what the file holds (LasOpen refuses the file).
    uint64_t pointCount;
    uint64_t pointDataOffset; // file offset of the first point record
    uint32_t vlrCount;
    uint64_t evlrOffset; // 0 when there are no extended records
    uint32_t evlrCount;
    double scale[3];
    double offset[3];
    double minimum[3]; // bounds as the header states them (coordinates, not integers)
    double maximum[3];
    bool hasGpsTime;
    bool hasRgb;
    bool hasNir;
    char systemIdentifier[33];
    char generatingSoftware[33];
};

// One point, decoded from any format. Fields a format does not carry are 0.
struct LasPoint {
    int32_t x, y, z; // raw integers: coordinate = integer * scale + offset
    uint16_t intensity;
    uint8_t returnNumber; // 1..15 (1..7 in formats 0 to 5)
    uint8_t numberOfReturns;
    uint8_t classification; // 0..255 (0..31 in formats 0 to 5)
    uint8_t classFlags;     // bit 0 synthetic, 1 key-point, 2 withheld, 3 overlap (formats 6 to 10 only)
    uint8_t userData;
    uint16_t pointSourceId;
    int16_t scanAngle; // formats 6 to 10: 0.006 degree units; earlier formats: whole degrees
    double gpsTime;
    uint16_t red, green, blue; // 0..65535
    uint16_t nir;
};

// An open file; plain data, owned by the caller. Close it with LasClose.
struct LasFile {
    HANDLE handle;
    uint64_t fileSize;
    LasHeader header;
    uint64_t nextPoint; // index of the point the next read returns
    uint8_t* buffer;    // read buffer of bufferBytes
    uint32_t bufferBytes;
};

// Opens the file and checks its header against the file: signature, version, format, record length,
// offsets and counts that fit the file. 1 when open; 0 with the reason in error (kLasErrorChars), for
// instance "Compressed LAZ files are not supported" for LAZ files.
// A file that is refused leaves the record zeroed, so that LasClose on it is harmless.
int LasOpen(LasFile* file, const wchar_t* path, wchar_t* error, int errorChars);
// Reads up to maxPoints points at the current position into points. Returns the number read (0 at
// the end of the points), or -1 with the reason in error when the file cannot be read.
int64_t LasReadPoints(LasFile* file, LasPoint* points, uint32_t maxPoints, wchar_t* error, int errorChars);
// Moves the current position to point index (at most pointCount). 1 on success, 0 for a bad index.
int LasSeekPoint(LasFile* file, uint64_t index);
// Closes the file and frees its buffer; a closed or zeroed file is ignored.
void LasClose(LasFile* file);

// A point's coordinate on axis 0, 1 or 2.
inline double LasCoordinate(const LasHeader& header, int32_t value, int axis) {
    return value * header.scale[axis] + header.offset[axis];
}
