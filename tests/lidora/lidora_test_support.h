// Scaffolding the Lidora tests share: the real sample files, LAS files of the generated scene at
// chosen scales, and the check that a cloud reproduces a LAS file's coordinates exactly.
#pragma once

#include "las_reader.h"
#include "las_writer.h"
#include "lidora_cloud.h"

#include <string>
#include <vector>

namespace lidoratest {

// The folder of the real sample LAS files as a Windows path; empty when it is missing.
std::wstring SampleFolder();
std::string Narrow(const std::wstring& text);

// Writes the first count points of the scene with these options (version, format, scales, offsets).
// Empty on success, else the writer's complaint.
std::wstring WriteSceneLas(const std::wstring& path, const LasWriteOptions& options, uint32_t count);
LasWriteOptions SceneOptions(int minor, int format, double sx, double sy, double sz);

// Every point of a LAS file, with its header; error empty on success.
struct LasContent {
    LasHeader header = {};
    std::vector<LasPoint> points;
    std::wstring error;
};
LasContent ReadWholeLas(const std::wstring& path);

// Compares a cloud (count, points, divisor, offsets, classes, intensities, colours) with the file's
// points: integer / divisor + offset reproduces each LAS coordinate, and the integers sit on the
// file's own steps. Reports through gtest; returns whether all held.
// Exact: every coordinate reproduced and on the file's own lattice; rounded: within half a step of the
// cloud's scale.
bool ExpectCloudMatchesLas(const LidoraCloud& cloud, const LasContent& las, bool exact = true);

} // namespace lidoratest
