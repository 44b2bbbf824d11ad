// The input-queue listener and the snap filter: a point entered in a view that shows the cloud is
// replaced by the cloud point the engine finds at the same place of that view's image.
#include "snapping.h"

#include "settings.h"
#include "view.h"

#include "pcv.h"

namespace {

constexpr unsigned kLastViewIndex = 7;

bool ViewSnaps(unsigned viewIndex) {
    return viewIndex <= kLastViewIndex && ((OcularSettings.SnappingMask >> viewIndex) & 1) != 0;
}

// True when *point was replaced. Only the engine's depth of the projection differs between the two
// callers: the listener passes it, the filter does not.
bool PointSearch(DPoint3d* point, ViewHandle view, bool passDepth) {
    if (!point) return false;
    unsigned viewIndex = static_cast<unsigned>(ViewGetIndex(view));
    if (!ViewSnaps(viewIndex)) return false;

    // Without an active design file there is no working-units factor; the point is then left to the
    // host rather than scaled by a made-up one.
    double workingPerMaster = 0.0;
    FileOriginAndUnits(nullptr, &workingPerMaster);
    if (!(workingPerMaster > 0.0)) return false;

    // The search works on a private record: the shared one is locked only while it is copied, so the
    // engine's search never holds up a view redraw.
    ProjectionImageData record;
    ViewCopy(&record);
    FillViewRecord(&record, view);

    Point3Dd enginePoint = EnginePointFromHost(*point, workingPerMaster);
    ProjectedPosition position = {};
    if (pcvCalculateProjection(&position.columnLeft, &position.columnRight, &position.rowFromBottom,
                               &position.depth, nullptr, &enginePoint, &record) == 0)
        return false;

    SnapMouse mouse = SnapMouseFor(position, record.imageHeight, passDepth);
    // The engine's boolean is not relied on: the index says whether a point was found.
    pcvFindPoint(&record, &mouse);
    if (mouse.index < 0) return false;

    *point = HostPointFromEngine(mouse.found, workingPerMaster);
    return true;
}

} // namespace

void InputListener(int kind, DPoint3d* point, ViewHandle view) {
    if (!pcvIsProjectLoaded() || kind != InputEventDataPoint) return;
    PointSearch(point, view, true);
}

int SnapFilter(int mode, DPoint3d* point, ViewHandle view) {
    if (mode != 0) return 0;
    return PointSearch(point, view, false) ? 1 : 0;
}
