// What the point search hands the engine and takes back: points converted between the host's and the
// engine's units, and the request record for the engine's point finding.
#include "snapping.h"

#include <stdint.h>

namespace {
// Byte 6 of the request: find the nearest point within the engine's pick radius, not just under the
// one pixel.
constexpr uint8_t kFindNearest = 1;
} // namespace

Point3Dd EnginePointFromHost(const DPoint3d& point, double workingPerMaster) {
    // Multiplying by the reciprocal, as the rest of the viewer's unit conversions do, keeps the
    // engine's idea of a host point the same wherever it is converted.
    double toMaster = 1.0 / workingPerMaster;
    return Point3Dd{point.x * toMaster, point.y * toMaster, point.z * toMaster};
}

DPoint3d HostPointFromEngine(const double found[3], double workingPerMaster) {
    return DPoint3d{found[0] * workingPerMaster, found[1] * workingPerMaster, found[2] * workingPerMaster};
}

SnapMouse SnapMouseFor(const ProjectedPosition& position, int imageHeight, bool passDepth) {
    // Fields the engine does not read stay zero rather than stack garbage; a depth of 0 tells it the
    // depth is not known.
    SnapMouse mouse = {};
    int64_t middle = (static_cast<int64_t>(position.columnLeft) + position.columnRight) / 2;
    mouse.x = static_cast<int16_t>(middle);
    mouse.y = static_cast<int16_t>(imageHeight - position.rowFromBottom);
    mouse.nearest = kFindNearest;
    mouse.reserved2 = 0;
    mouse.index = -1;
    if (passDepth) mouse.depth = position.depth;
    return mouse;
}
