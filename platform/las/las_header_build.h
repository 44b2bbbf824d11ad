// The public header block and the variable-length record headers a writer puts into its file.
#pragma once

#include "las_format.h"
#include "las_writer.h"

// Where the writer's points start: after its header, its records and (LAS 1.0) the start signature.
uint64_t LasWriterPointDataOffset(const LasWriteOptions& options);

// The header for the writer's current state: counts, per-return counts and bounds of the points
// written so far. Fills LasHeaderSizeOfVersion(minor) bytes; false when the count cannot be stored in
// the version's header.
bool LasBuildHeader(const LasWriter& writer, uint8_t* bytes);

// A record header with an empty payload; index numbers the record.
void LasBuildVlrHeader(uint32_t index, uint8_t (&bytes)[kLasVlrHeaderBytes]);
void LasBuildEvlrHeader(uint32_t index, uint8_t (&bytes)[kLasEvlrHeaderBytes]);
