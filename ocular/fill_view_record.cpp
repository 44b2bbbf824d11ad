// Gathers what the engine's view record needs from the host; view_record_math.cpp does the arithmetic.
#include "settings.h"
#include "view.h"
#include "view_record_math.h"

namespace {

constexpr unsigned kViewCount = 8;

// Per view index, so that one perspective view's clip distance never bounds another's.
ViewNearBound NearBounds[kViewCount];

// False when the host cannot describe the view (it is closed or not a view): its values would be
// undefined, so the record is left as it stands.
bool GatherHostView(HostViewValues* host, ViewHandle view, int index) {
    if (VwGetParams(&host->box, index) < 0) return false;
    CurrTransTransformPts(&host->box.origin, 1, 1);
    CurrTransTransformDelta(&host->box.delta, 1, 1);
    if (!ViewGetImageSize(&host->width, &host->height, index)) return false;
    if (VwParamsByView(&host->camera, view) < 0) return false;
    host->perspective = ViewIsPerspective(&host->eye, &host->target, nullptr, nullptr, index) == 1;
    host->stereoState = 0;
    if (host->perspective) {
        // Asked for camera views only: the engine draws parallel views mono whatever the host's switch.
        double eyeSeparation = 0, convergence = 0;
        host->stereoState = VwIsStereo(index, &eyeSeparation, &convergence);
    }
    return true;
}

} // namespace

void FillViewRecord(ProjectionImageData* record, ViewHandle view) {
    int index = ViewGetIndex(view);
    if (static_cast<unsigned>(index) >= kViewCount) return;
    HostViewValues host{};
    if (!GatherHostView(&host, view, index)) return;
    ViewPointSizes sizes = {OcularSettings.PointSize, OcularSettings.PointSizeParallel};
    ViewRecordCamera(record, host, sizes);
    pcvClearFixedFrontClip(record);
    pcvClearFixedRearClip(record);
    ViewRecordDepths(record, host, &NearBounds[index]);
}
