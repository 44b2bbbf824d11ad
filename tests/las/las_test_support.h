// Scaffolding the LAS tests share: generated points, writing and reading whole files, the raw header
// fields that the reader does not expose, and the folder of real sample files.
#pragma once

#include "las_reader.h"
#include "las_writer.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace lastest {

// A fresh scratch folder named after the running test, so that tests running side by side never
// share one.
std::wstring Scratch();

// The folder of the real sample files as a Windows path, or empty when it is missing (where explains
// which folders were tried).
std::wstring SampleFolder(std::string* where);

// count points with every field spread over its full range; the same seed gives the same points.
std::vector<LasPoint> GeneratePoints(uint32_t count, uint32_t seed);

// What a point reads back as after a round trip through the format: fields the format lacks are 0,
// the return, class and flag fields keep only the bits the format has.
LasPoint AsStoredIn(const LasPoint& point, int format);

// Writes the points to a new file; an empty text on success, else the writer's complaint.
std::wstring WriteLas(const std::wstring& path, const LasWriteOptions& options,
                      const std::vector<LasPoint>& points);

// Opens the file and reads every point in batches of batchSize; empty error text on success.
struct ReadResult {
    LasHeader header = {};
    std::vector<LasPoint> points;
    std::wstring error;
};
ReadResult ReadLas(const std::wstring& path, uint32_t batchSize = 4096);

// Fields of the file's public header block that the reader keeps to itself, read from its bytes.
struct RawCounts {
    uint32_t legacyCount = 0;
    uint32_t legacyReturns[5] = {};
    uint64_t count64 = 0;        // LAS 1.4 only
    uint64_t returns64[15] = {}; // LAS 1.4 only
};
bool ReadRawCounts(const std::wstring& path, RawCounts* counts);

// Histogram of return numbers 1..15 (index 0 for return 1); return 0 is not counted.
std::vector<uint64_t> ReturnHistogram(const std::vector<LasPoint>& points);

// Compares every field, naming the point in the failure.
void ExpectSamePoint(const LasPoint& want, const LasPoint& got, size_t index);

// gtest-friendly text of a wide error.
std::string Narrow(const std::wstring& text);

// Options for version 1.minor and the format, with millimetre scales and a shifted origin.
LasWriteOptions Options(int minor, int format);

} // namespace lastest
