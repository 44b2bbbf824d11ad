#include "memory_source.h"

#include "engine_text.h"

#include <math.h>
#include <string.h>

static_assert(sizeof(Point3Di) == 12, "Point3Di is three 32-bit integers");

bool MemorySourceColumns(const MemoryPoints& memory, PointColumns* columns, wchar_t* error,
                         size_t errorChars) {
    memset(columns, 0, sizeof(*columns));
    if (!memory.set || !memory.points || memory.summary.pointCount == 0) {
        TextCopy(error, errorChars, L"No points were handed over in memory to convert.");
        return false;
    }
    const PointCloudSummary& s = memory.summary;
    const double scales[3] = {s.scaleX, s.scaleY, s.scaleZ};
    const double offsets[3] = {s.offsetX, s.offsetY, s.offsetZ};
    for (int axis = 0; axis < 3; ++axis) {
        if (!(scales[axis] > 0) || !isfinite(scales[axis]) || !isfinite(offsets[axis])) {
            TextCopy(
                error, errorChars,
                L"The points handed over in memory have unusable scales: each must be a positive number.");
            return false;
        }
        columns->scale[axis] = scales[axis];
        columns->origin[axis] = offsets[axis];
    }
    columns->count = s.pointCount;
    columns->xyz = &memory.points[0].x;
    columns->classification = memory.classes;
    columns->intensity = memory.intensities;
    columns->rgb16 = memory.colours;
    return true;
}
