// Turning LasPoint values into the records of a point format.
#pragma once

#include "las_writer.h"

// Encodes count points into consecutive records of the writer's format at records (stride: the
// writer's record length; the extra bytes after each record's own fields are left as they are), and
// adds them to the writer's counts and bounds.
void LasEncodePoints(LasWriter* writer, const LasPoint* points, uint32_t count, uint8_t* records);
