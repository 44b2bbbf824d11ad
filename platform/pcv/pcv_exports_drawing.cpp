// pcv.dll's drawing: rendering a view record, depth estimates, projection and point finding.
#include "camera_markers.h"
#include "engine_state.h"

#include "pcv.h"

#include <float.h>

namespace {

// Keeps the record as the last drawn view of its kind, for a session saved later.
void RememberView(const ProjectionImageData& view) {
    EngineState& engine = Engine();
    int kind = (view.flags & PcvViewParallel) ? 1 : 0;
    engine.lastViews[kind] = view;
    engine.lastViewDrawn[kind] = true;
}

} // namespace

extern "C" {

PCV_API float pcvGetDepthEstimation(ProjectionImageData* view) {
    if (!view) return 0;
    EngineState& engine = Engine();
    if (!engine.renderer) {
        view->nearDepthEstimate = view->nearDistance;
        view->farDepthEstimate = view->farDistance;
        return view->nearDepthEstimate;
    }
    return RendererEstimateDepth(engine.renderer, EngineCloud(), view);
}

PCV_API int pcvSetView(ProjectionImageData* view) {
    EngineState& engine = Engine();
    if (!view || !engine.renderer) return 0;
    int ready = RendererDraw(engine.renderer, EngineCloud(), view, EngineRenderSettings());
    if (ready > 0) {
        DrawCameraMarkers(engine.images, *view);
        RememberView(*view);
    }
    return ready;
}

PCV_API void pcvReleasePageLockPri(int priority) {
    const CloudSource& cloud = EngineCloud();
    cloud.release(cloud.context, priority);
}

// The engine keeps no clip planes fixed across frames: clearing them opens the view box to the
// whole depth range, so that a caller bounding its next view box by the previous one is not held
// by a bound from another view.
PCV_API void pcvClearFixedFrontClip(ProjectionImageData* view) {
    if (view) view->viewBoxNear = -FLT_MAX;
}

PCV_API void pcvClearFixedRearClip(ProjectionImageData* view) {
    if (view) view->viewBoxFar = FLT_MAX;
}

PCV_API int pcvCalculateProjection(int* columnLeft, int* columnRight, int* rowFromBottom, float* depth,
                                   float* reserved, const Point3Dd* point, const ProjectionImageData* view) {
    int left = 0, right = 0, row = 0;
    float d = 0;
    int result = point && view ? RendererProject(*view, *point, &left, &right, &row, &d) : 0;
    if (columnLeft) *columnLeft = result ? left : 0;
    if (columnRight) *columnRight = result ? right : 0;
    if (rowFromBottom) *rowFromBottom = result ? row : 0;
    if (depth) *depth = result ? d : 0;
    if (reserved) *reserved = 0;
    return result;
}

PCV_API bool pcvFindPoint(ProjectionImageData* view, SnapMouse* mouse) {
    if (!mouse) return false;
    mouse->index = -1;
    EngineState& engine = Engine();
    if (!view || !engine.renderer || !engine.project) return false;
    return RendererFindPoint(engine.renderer, EngineCloud(), *view, EngineRenderSettings(), mouse);
}

} // extern "C"
